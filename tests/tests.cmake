# Test executables. tests/unit/<subsystem>/ and tests/gl/<subsystem>/ each
# become one executable: a unit test links its subsystem's library only;
# tests/e2e/ drives the real binary, tests/tools/ the build's own programs.
# Run everything under Xvfb (make test).
find_package(GTest REQUIRED)
include(GoogleTest)

set(ZV_TEST_SUBSYSTEMS photos textures library scene city app controls gallery)

# The viewer's thumbnail cache stays inside the build while tests run.
set(ZV_TEST_CACHE "XDG_CACHE_HOME=${CMAKE_BINARY_DIR}/test-cache")

# Shared helpers of the tests (temporary folders, image writers, ...).
file(GLOB ZV_TEST_SUPPORT CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
add_library(zv_test_support STATIC ${ZV_TEST_SUPPORT})
target_include_directories(zv_test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests)
# libheif writes the turned HEICs libvips cannot, libtiff the DNGs.
pkg_check_modules(HEIF REQUIRED IMPORTED_TARGET libheif)
pkg_check_modules(TIFF REQUIRED IMPORTED_TARGET libtiff-4)
target_link_libraries(zv_test_support PUBLIC GTest::gtest zv_textures PkgConfig::HEIF PkgConfig::TIFF PkgConfig::EXIF
  PkgConfig::GIO)
# The loaders and the library builder under test hand photos to the decoder.
if(TARGET zandervale-decoder)
  add_dependencies(zv_test_support zandervale-decoder)
endif()
target_compile_definitions(zv_test_support PUBLIC
  ZV_RUN_DIR="${ZV_RUN_DIR}"
  ZV_BINARY="${ZV_RUN_DIR}/zandervale"
  ZV_TOOLS_DIR="${CMAKE_BINARY_DIR}/tools"
  ZV_BUILD_DIR="${CMAKE_BINARY_DIR}")

# The longest test takes some 20 s under the sanitizers; one that waits on
# something that never comes (a blocking open, a lost window) fails at this
# many seconds instead of holding the run for ctest's 25 minutes.
set(ZV_TEST_TIMEOUT 300)

foreach(subsystem ${ZV_TEST_SUBSYSTEMS})
  set(lib zv_${subsystem})
  file(GLOB unit_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/${subsystem}/*.cpp)
  if(unit_sources)
    add_executable(unit_${subsystem} ${unit_sources})
    target_link_libraries(unit_${subsystem} PRIVATE ${lib} zv_test_support GTest::gtest_main)
    gtest_discover_tests(unit_${subsystem} DISCOVERY_MODE PRE_TEST
      WORKING_DIRECTORY ${CMAKE_BINARY_DIR} PROPERTIES LABELS unit ENVIRONMENT ${ZV_TEST_CACHE} TIMEOUT ${ZV_TEST_TIMEOUT})
  endif()
  # GL tests bring their own main (tests/gl/GlTestMain.cpp): one hidden GLUT
  # window for the whole executable, working directory the run directory.
  # Many draw through the whole viewer, so they link all of it.
  file(GLOB gl_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/gl/${subsystem}/*.cpp)
  if(gl_sources)
    add_executable(gl_${subsystem} ${gl_sources} ${CMAKE_SOURCE_DIR}/tests/gl/GlTestMain.cpp)
    target_link_libraries(gl_${subsystem} PRIVATE zv_app zv_test_support GLUT::GLUT)
    add_dependencies(gl_${subsystem} zv_artwork)
    gtest_discover_tests(gl_${subsystem} DISCOVERY_MODE PRE_TEST
      WORKING_DIRECTORY ${ZV_RUN_DIR} PROPERTIES LABELS gl ENVIRONMENT ${ZV_TEST_CACHE} TIMEOUT ${ZV_TEST_TIMEOUT})
  endif()
endforeach()
# The viewer starts the indexer in the background; its test runs the real one.
add_dependencies(unit_app zandervale-index)

# Each end-to-end test starts its own Xvfb and talks to it through Xlib.
find_package(X11 REQUIRED)
file(GLOB e2e_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
if(e2e_sources)
  add_executable(e2e_tests ${e2e_sources})
  target_link_libraries(e2e_tests PRIVATE zv_test_support X11::X11 GTest::gtest_main)
  add_dependencies(e2e_tests zandervale zv_artwork zandervale-index)
  gtest_discover_tests(e2e_tests DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR} PROPERTIES LABELS e2e ENVIRONMENT ${ZV_TEST_CACHE} TIMEOUT ${ZV_TEST_TIMEOUT})
  # Mesa unloads its software driver as the viewer closes its display, before
  # LeakSanitizer reports what the driver kept: those frames would have no
  # module name for tests/lsan.supp to match. Under the sanitizers the tests
  # start the viewer with the driver preloaded, so it stays to the end; the
  # ASan runtime has to come first.
  if(ZV_SANITIZE)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libasan.so
                    OUTPUT_VARIABLE ZV_ASAN_RUNTIME OUTPUT_STRIP_TRAILING_WHITESPACE)
    pkg_get_variable(ZV_DRI_DIR dri dridriverdir)
    find_file(ZV_SOFTWARE_GL_DRIVER swrast_dri.so
              PATHS ${ZV_DRI_DIR} /usr/lib/${CMAKE_LIBRARY_ARCHITECTURE}/dri NO_DEFAULT_PATH)
    if(ZV_SOFTWARE_GL_DRIVER)
      target_compile_definitions(e2e_tests PRIVATE
        ZV_VIEWER_PRELOAD="${ZV_ASAN_RUNTIME}:${ZV_SOFTWARE_GL_DRIVER}")
    else()
      message(WARNING "no swrast_dri.so: the viewer's GL driver leaks will show unnamed")
    endif()
  endif()
endif()

# Tests of the programs in tools/ and of what they make.
file(GLOB tool_test_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/tools/*.cpp)
if(tool_test_sources)
  add_executable(tool_tests ${tool_test_sources})
  target_link_libraries(tool_tests PRIVATE zv_test_support GTest::gtest_main)
  add_dependencies(tool_tests zv_artwork zv_sample_library)
  target_link_libraries(tool_tests PRIVATE zv_index_testing)   # the indexer's rules, its program and the loader
  gtest_discover_tests(tool_tests DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR} PROPERTIES LABELS tools ENVIRONMENT ${ZV_TEST_CACHE} TIMEOUT ${ZV_TEST_TIMEOUT})
endif()

# make demo's tour without a display (scripts/demo.sh): a program beside the
# viewer, in tools/, built here because it drives the viewer through the
# end-to-end harness.
add_executable(zv-demo-tour ${CMAKE_SOURCE_DIR}/tools/demo/DemoTour.cpp ${CMAKE_SOURCE_DIR}/tests/e2e/Viewer.cpp)
target_link_libraries(zv-demo-tour PRIVATE zv_test_support X11::X11)
add_dependencies(zv-demo-tour zandervale zv_artwork zv_sample_library)
