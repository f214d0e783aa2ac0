# Programs beside the viewer, built into ${CMAKE_BINARY_DIR}/tools:
#  zv-artwork OUTPUT_DIR: draws every artwork image the viewer reads (Cairo).
# Targets the rest of the build relies on:
#  zv_artwork         the artwork in ${ZV_RUN_DIR}; zandervale depends on it
#  zv-sample-library  the library program (still a placeholder)
# The artwork is drawn again only when its program changes (or a file is gone).
find_package(PNG REQUIRED)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)

set(ZV_TOOLS_OUTPUT_DIR ${CMAKE_BINARY_DIR}/tools)

# Canvas, noise, text and PNG writing of the image generators.
add_library(zv_paint STATIC ${CMAKE_CURRENT_LIST_DIR}/artwork/Paint.cpp)
target_link_libraries(zv_paint PUBLIC PkgConfig::CAIRO PkgConfig::FONTCONFIG PNG::PNG)

file(GLOB ZV_ARTWORK_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/artwork/*.cpp)
list(REMOVE_ITEM ZV_ARTWORK_SOURCES ${CMAKE_CURRENT_LIST_DIR}/artwork/Paint.cpp)
add_executable(zv-artwork ${ZV_ARTWORK_SOURCES})
target_link_libraries(zv-artwork PRIVATE zv_paint)

set_target_properties(zv-artwork PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${ZV_TOOLS_OUTPUT_DIR})

# --- the artwork in the run directory ---------------------------------------
set(ZV_ARTWORK_FILES
  street512x512_02.png cross512x512_01.png
  signs/signZandervale512x512_02.png
  compass.png help512x512_01.png selOverlay256x256.png gallOverlay256x32.png)
foreach(i RANGE 1 5)
  list(APPEND ZV_ARTWORK_FILES grass512x512_0${i}.png)
endforeach()
foreach(year RANGE 1998 2010)
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

add_custom_target(zv-sample-library)

# The viewer reads its artwork from ${ZV_RUN_DIR}: building it draws it.
if(TARGET zandervale)
  add_dependencies(zandervale zv_artwork)
endif()
