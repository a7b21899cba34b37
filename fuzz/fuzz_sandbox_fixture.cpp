// A fixture file of any content: read, and when it reads, every answer it
// holds rendered in each engine's layout at a few offsets.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_exact_text.h"
#include "sandbox/fake_engines.h"
#include "sandbox/fixture.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvi::sandbox;
  ExactText text(std::string_view(reinterpret_cast<const char*>(data), size));
  Fixture fixture;
  std::string error;
  if (!fixture.Parse(text.view(), "f.txt", error)) {
    Check(error.rfind("f.txt:", 0) == 0);
    return 0;
  }
  for (Engine engine : {Engine::Google, Engine::Fast, Engine::WiseNut}) {
    for (const std::string& query : fixture.Queries(engine)) {
      const EngineAnswer* answer = fixture.Answer(engine, query);
      Check(answer != nullptr && answer->total <= kMaxTotal);
      for (uint64_t offset : {uint64_t{0}, uint64_t{50}, answer->results.size() + uint64_t{1}}) {
        ResultPageInput in{query, answer, offset, 50, "http://127.0.0.1:1"};
        std::string page = engine == Engine::Google ? GooglePage(in)
                           : engine == Engine::Fast ? FastPage(in)
                                                    : WiseNutPage(in);
        Check(page.find("</body></html>") != std::string::npos);
      }
    }
  }
  // Every listed folder's entries lie inside it.
  for (const auto& [name, file] : fixture.FolderEntries("/")) {
    Check(!name.empty() && name.find('/') >= name.size() - 1);
    if (file == nullptr) {
      for (const auto& inner : fixture.FolderEntries("/" + name)) Check(!inner.first.empty());
    }
  }
  return 0;
}
