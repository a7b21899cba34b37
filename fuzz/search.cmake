# Readers of the search profiles and the query composition, and the text
# conversion at the program's edges.
orvi_fuzz(fuzz_profile SOURCES fuzz_profile.cpp DEPS orvi_search)
orvi_fuzz(fuzz_query SOURCES fuzz_query.cpp DEPS orvi_search)
orvi_fuzz(fuzz_cp1252 SOURCES fuzz_cp1252.cpp DEPS orvi_platform)
