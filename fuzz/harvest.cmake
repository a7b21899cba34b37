# Readers of the search engines' result pages.
orvi_fuzz(fuzz_harvest_pages SOURCES fuzz_harvest_pages.cpp DEPS orvi_search)
