# zandervale-decoder: the decoder process of the viewer and the library
# builder (src/photos/DecoderWorker). It links the gallery's and the
# builder's decode steps, and --as-needed keeps the viewer's GL and window
# libraries, which those layers bring along, out of it.
add_executable(zandervale-decoder ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(zandervale-decoder PRIVATE zv_index zv_gallery)
target_link_options(zandervale-decoder PRIVATE -Wl,--as-needed)
set_target_properties(zandervale-decoder PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZV_TOOLS_OUTPUT_DIR})
foreach(program zandervale zandervale-index)
  if(TARGET ${program})
    add_dependencies(${program} zandervale-decoder)
  endif()
endforeach()
