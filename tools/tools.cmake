# Programs beside the viewer, built into ${CMAKE_BINARY_DIR}/tools:
#  zv-artwork OUTPUT_DIR: draws every artwork image the viewer reads (Cairo).
#  zv-sample-library OUTPUT_DIR [PICTURES [FIRST_YEAR [LAST_YEAR]]]: writes a
#    generated photo library (Zandervale.xml, thumbnails, originals);
#    zv-sample-library --photos OUTPUT_DIR: a folder of JPEG photos with EXIF.
# Targets the rest of the build relies on:
#  zv_artwork         the artwork in ${ZV_RUN_DIR}; zandervale depends on it
#  zv-sample-library  the library program
#  zv_sample_library  the demo library in ${ZV_SAMPLE_LIBRARY_DIR}, indexed
#                     by zandervale-index from ${ZV_SAMPLE_PHOTOS_DIR}
# The generators rerun only when their program changes (or an output is gone).
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(Threads REQUIRED)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)

set(ZV_TOOLS_OUTPUT_DIR ${CMAKE_BINARY_DIR}/tools)
set(ZV_SAMPLE_LIBRARY_DIR ${CMAKE_BINARY_DIR}/sample-library)
set(ZV_SAMPLE_LIBRARY ${ZV_SAMPLE_LIBRARY_DIR}/Zandervale.xml)
set(ZV_SAMPLE_PHOTOS_DIR ${CMAKE_BINARY_DIR}/sample-photos)

# Canvas, noise, text and PNG writing shared by both programs.
add_library(zv_paint STATIC ${CMAKE_CURRENT_LIST_DIR}/artwork/Paint.cpp)
target_link_libraries(zv_paint PUBLIC PkgConfig::CAIRO PkgConfig::FONTCONFIG PNG::PNG)

file(GLOB ZV_ARTWORK_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/artwork/*.cpp)
list(REMOVE_ITEM ZV_ARTWORK_SOURCES ${CMAKE_CURRENT_LIST_DIR}/artwork/Paint.cpp)
add_executable(zv-artwork ${ZV_ARTWORK_SOURCES})
target_link_libraries(zv-artwork PRIVATE zv_paint zv_calendar)

file(GLOB ZV_SAMPLE_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/sample-library/*.cpp)
add_executable(zv-sample-library ${ZV_SAMPLE_SOURCES})
target_link_libraries(zv-sample-library PRIVATE zv_paint zv_library JPEG::JPEG PkgConfig::EXIF Threads::Threads)

set_target_properties(zv-artwork zv-sample-library PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${ZV_TOOLS_OUTPUT_DIR})

# --- the library builder for photo folders (zandervale-index) ---------------
include(${CMAKE_CURRENT_LIST_DIR}/index/index.cmake)

# --- the decoder process both programs hand their photos to -----------------
include(${CMAKE_CURRENT_LIST_DIR}/decoder/decoder.cmake)

# --- the artwork in the run directory ---------------------------------------
set(ZV_ARTWORK_FILES
  street512x512_02.png cross512x512_01.png
  signs/signZandervale512x512_02.png
  compass.png help512x512_01.png selOverlay256x256.png gallOverlay256x32.png
  icons/zandervale48.png icons/zandervale256.png icons/zandervale.svg)
foreach(i RANGE 1 5)
  list(APPEND ZV_ARTWORK_FILES grass512x512_0${i}.png)
endforeach()
foreach(year RANGE 1900 2099)
  list(APPEND ZV_ARTWORK_FILES signs/sign${year}_128x32.png)
endforeach()
foreach(month January February March April May June July August September
              October November December)
  list(APPEND ZV_ARTWORK_FILES signs/sign${month}128x32.png)
endforeach()
list(TRANSFORM ZV_ARTWORK_FILES PREPEND ${ZV_RUN_DIR}/ OUTPUT_VARIABLE ZV_ARTWORK_OUTPUTS)

add_custom_command(OUTPUT ${ZV_ARTWORK_OUTPUTS}
  COMMAND zv-artwork ${ZV_RUN_DIR}
  DEPENDS zv-artwork
  COMMENT "Drawing the artwork into ${ZV_RUN_DIR}"
  VERBATIM)
add_custom_target(zv_artwork ALL DEPENDS ${ZV_ARTWORK_OUTPUTS})

# --- the demo library ---------------------------------------------------------
# Generated camera photos, indexed by the library builder as a user's folder
# would be. Stale files go first; the stamp and the library file are written
# last, so a run that fails half-way is tried again by the next build.
set(ZV_SAMPLE_PHOTOS_STAMP ${CMAKE_BINARY_DIR}/sample-photos.stamp)
add_custom_command(OUTPUT ${ZV_SAMPLE_PHOTOS_STAMP}
  COMMAND ${CMAKE_COMMAND} -E remove_directory ${ZV_SAMPLE_PHOTOS_DIR}
  COMMAND zv-sample-library --photos ${ZV_SAMPLE_PHOTOS_DIR}
  COMMAND ${CMAKE_COMMAND} -E touch ${ZV_SAMPLE_PHOTOS_STAMP}
  DEPENDS zv-sample-library
  COMMENT "Writing the sample photos into ${ZV_SAMPLE_PHOTOS_DIR}"
  VERBATIM)
add_custom_command(OUTPUT ${ZV_SAMPLE_LIBRARY}
  COMMAND ${CMAKE_COMMAND} -E remove_directory ${ZV_SAMPLE_LIBRARY_DIR}
  COMMAND zandervale-index ${ZV_SAMPLE_PHOTOS_DIR} ${ZV_SAMPLE_LIBRARY_DIR}
  DEPENDS zandervale-index ${ZV_SAMPLE_PHOTOS_STAMP}
  COMMENT "Indexing the sample photos into ${ZV_SAMPLE_LIBRARY_DIR}"
  VERBATIM)
add_custom_target(zv_sample_library ALL DEPENDS ${ZV_SAMPLE_LIBRARY})

# The viewer is run from ${ZV_RUN_DIR} on the demo library (make demo, e2e
# tests), so building it brings both along.
if(TARGET zandervale)
  add_dependencies(zandervale zv_artwork zv_sample_library)
endif()

# --- the frame benchmark ------------------------------------------------------
add_executable(zv-bench ${CMAKE_CURRENT_LIST_DIR}/bench/FrameBench.cpp ${CMAKE_CURRENT_LIST_DIR}/bench/BenchCity.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bench/FrameTimes.cpp ${CMAKE_CURRENT_LIST_DIR}/bench/Startups.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bench/Openings.cpp ${CMAKE_CURRENT_LIST_DIR}/bench/Fidelity.cpp)
target_link_libraries(zv-bench PRIVATE zv_app)
set_target_properties(zv-bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZV_TOOLS_OUTPUT_DIR})

# --- the gallery benchmark ----------------------------------------------------
add_executable(zv-index-bench ${CMAKE_CURRENT_LIST_DIR}/bench/IndexBench.cpp)
target_link_libraries(zv-index-bench PRIVATE PkgConfig::VIPS PkgConfig::EXIF)
set_target_properties(zv-index-bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZV_TOOLS_OUTPUT_DIR})

add_executable(zv-gallery-bench ${CMAKE_CURRENT_LIST_DIR}/bench/GalleryBench.cpp)
target_link_libraries(zv-gallery-bench PRIVATE zv_app)
set_target_properties(zv-gallery-bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZV_TOOLS_OUTPUT_DIR})

# --- fuzz targets (ZV_FUZZ=ON with clang) --------------------------------------
include(${CMAKE_CURRENT_LIST_DIR}/fuzz/fuzz.cmake)
