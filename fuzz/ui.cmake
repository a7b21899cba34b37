# The progress clip's reader (Qt-free, so it builds without the windows).
orvi_fuzz(fuzz_avi_clip SOURCES fuzz_avi_clip.cpp ${PROJECT_SOURCE_DIR}/src/ui/avi_clip.cpp DEPS orvi_platform)
target_include_directories(fuzz_avi_clip PRIVATE ${PROJECT_SOURCE_DIR}/src)
