# Readers of the search engines' result pages.
orvi_fuzz(fuzz_harvest_pages SOURCES fuzz_harvest_pages.cpp DEPS orvi_search)
# Readers of today's engines: their HTML rows with the tag reader, their JSON.
orvi_fuzz(fuzz_web_html SOURCES fuzz_web_html.cpp DEPS orvi_search)
orvi_fuzz(fuzz_web_json SOURCES fuzz_web_json.cpp DEPS orvi_search)
