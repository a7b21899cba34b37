# The page analysis of any page bytes. Its own source is built with the
# library's checked element access, so that a read one past a text (which a
# std::string's terminator would hide) stops the fuzzer.
orvi_fuzz(fuzz_analysis SOURCES fuzz_analysis.cpp DEPS orvi_explore)
set_source_files_properties(${PROJECT_SOURCE_DIR}/src/explore/page_analysis.cpp
  TARGET_DIRECTORY orvi_explore PROPERTIES COMPILE_DEFINITIONS _GLIBCXX_ASSERTIONS)
