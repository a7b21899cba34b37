# The results window's refresh over a full catalogue (needs the windows).
if(TARGET orvi_ui)
  add_executable(results_refresh_bench results_refresh_bench.cpp)
  target_link_libraries(results_refresh_bench PRIVATE orvi_ui orvi_warnings)
  set_target_properties(results_refresh_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endif()
