# Readers of page text from the link scanner.
orvi_fuzz(fuzz_link_value SOURCES fuzz_link_value.cpp DEPS orvi_explore)
orvi_fuzz(fuzz_numbered_series SOURCES fuzz_numbered_series.cpp DEPS orvi_explore)
orvi_fuzz(fuzz_url_decode SOURCES fuzz_url_decode.cpp DEPS orvi_core)
