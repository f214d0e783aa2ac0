# zandervale-index PHOTO_DIR [OUTPUT_DIR]: the library builder for real photo
# folders (libvips thumbnails, Exiv2 dates). Everything but main.cpp is the
# library zv_index, which the tests link to check its rules directly.

file(GLOB ZV_INDEX_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
list(REMOVE_ITEM ZV_INDEX_SOURCES ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
add_library(zv_index STATIC ${ZV_INDEX_SOURCES})
target_include_directories(zv_index PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(zv_index PUBLIC zv_photos zv_library Threads::Threads)

add_executable(zandervale-index ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(zandervale-index PRIVATE zv_index)
set_target_properties(zandervale-index PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZV_TOOLS_OUTPUT_DIR})

# What the tool tests need: the rules, the viewer's own loader to read the
# result back, and the built program to run.
add_library(zv_index_testing INTERFACE)
target_link_libraries(zv_index_testing INTERFACE zv_index zv_library)
add_dependencies(zv_index_testing zandervale-index)
