# The product site's message file, normalised as it is stored and shown.
orvi_fuzz(fuzz_news SOURCES fuzz_news.cpp DEPS orvi_site)
