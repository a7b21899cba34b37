# The sandbox web's readers of fixture files and of HTTP requests.
orvi_fuzz(fuzz_sandbox_fixture SOURCES fuzz_sandbox_fixture.cpp DEPS orvi_sandbox)
orvi_fuzz(fuzz_sandbox_request SOURCES fuzz_sandbox_request.cpp DEPS orvi_sandbox)
