// An answer of any bytes through the rows of today's JSON engines: no
// crash on broken JSON, every link kept a web address of at most 239
// characters, a next page only after results.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_exact_text.h"
#include "core/url_text.h"
#include "platform/text.h"
#include "search/web_pages.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ExactText bodyText(std::string_view(reinterpret_cast<const char*>(data), size));
  static const std::vector<orvi::WebEngine> rows = orvi::BuiltInWebEngines();
  for (const orvi::WebEngine& row : rows) {
    if (row.Format != "json") continue;
    orvi::WebPage read = orvi::ReadWebPage(row, 200, bodyText.view(), 0);
    for (const std::string& link : read.links) {
      Check(link.size() <= orvi::kMaxLinkChars && (orvi::StartsWithIgnoreCase(link, "http://") || orvi::StartsWithIgnoreCase(link, "https://")));
    }
    Check(!read.next || (read.kind == orvi::WebPage::Kind::Results && !read.links.empty()));
  }
  return 0;
}
