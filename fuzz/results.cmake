# The results file reader and the results view over what it read.
orvi_fuzz(fuzz_results SOURCES fuzz_results.cpp DEPS orvi_results)
