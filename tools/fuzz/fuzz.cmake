# libFuzzer targets (clang only), built when ZV_FUZZ is on:
#  zv-fuzz-library       the library reader on hostile Zandervale.xml files
#  zv-fuzz-image-header  the image-header guard on hostile image files
#  zv-fuzz-dates         the name, EXIF and XMP date readers and Exiv2's metadata reading
#  zv-fuzz-cache         the thumbnail cache's reader on hostile cache files
#  zv-fuzz-previews      a camera RAW's preview and a JPEG's EXIF preview
# The reader and the guard are built into them with the fuzzer's coverage and
# the address and UB sanitizers; run them with `make fuzz`.
option(ZV_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
if(NOT ZV_FUZZ)
  return()
endif()
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "ZV_FUZZ needs clang (configure with CXX=clang++-14)")
endif()

# A UB report must stop the run, or libFuzzer never counts it as a finding.
set(ZV_FUZZ_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all
  -fno-omit-frame-pointer)
foreach(lib zv_photos zv_textures zv_library zv_index)
  target_compile_options(${lib} PRIVATE -fsanitize=fuzzer-no-link ${ZV_FUZZ_SANITIZERS})
  target_link_options(${lib} INTERFACE -fsanitize=address,undefined)
endforeach()

set(ZV_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})
function(zv_fuzz_target name source lib)
  add_executable(${name} ${ZV_FUZZ_DIR}/${source})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer ${ZV_FUZZ_SANITIZERS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${name} PRIVATE ${lib})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZV_TOOLS_OUTPUT_DIR})
endfunction()
zv_fuzz_target(zv-fuzz-library LibraryFuzz.cpp zv_library)
zv_fuzz_target(zv-fuzz-image-header ImageHeaderFuzz.cpp zv_textures)
zv_fuzz_target(zv-fuzz-dates DateFuzz.cpp zv_index)
zv_fuzz_target(zv-fuzz-cache CacheFuzz.cpp zv_textures)
zv_fuzz_target(zv-fuzz-previews PreviewFuzz.cpp zv_index)
