# The results window: its GUI tests.
orvi_gui_test(ui_results_test SOURCES results_window_test.cpp DEPS Qt6::Test)
