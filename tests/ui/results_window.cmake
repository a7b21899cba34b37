# The results window: its GUI tests, and the program that draws it to PNG
# files for scripts/screenshots.sh (render_results_window OUT_DIR).
orvi_gui_test(ui_results_test SOURCES results_window_test.cpp DEPS Qt6::Test)

add_executable(render_results_window render_results_window.cpp)
target_link_libraries(render_results_window PRIVATE orvi_ui orvi_warnings)
set_target_properties(render_results_window PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
target_compile_definitions(render_results_window PRIVATE ORVI_CLIP_PATH="${ORVI_RUNTIME_DIR}/ORVI.avi")
add_dependencies(render_results_window orvi_clip)
