// A page of any bytes through the rows of today's HTML engines, as page 1
// and as a later page, and through the tag reader itself. Nothing may read
// outside the page; every link kept is a web address of at most 239
// characters; a next page comes only with results, a block with a reason.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_exact_text.h"
#include "core/url_text.h"
#include "platform/text.h"
#include "search/html_tags.h"
#include "search/web_pages.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ExactText pageText(std::string_view(reinterpret_cast<const char*>(data), size));
  std::string_view page = pageText.view();
  static const std::vector<orvi::WebEngine> rows = orvi::BuiltInWebEngines();
  for (const orvi::WebEngine& row : rows) {
    if (row.Format != "html") continue;
    for (int paging : {0, 11}) {
      orvi::WebPage read = orvi::ReadWebPage(row, 200, page, paging);
      for (const std::string& link : read.links) {
        Check(link.size() <= orvi::kMaxLinkChars && (orvi::StartsWithIgnoreCase(link, "http://") || orvi::StartsWithIgnoreCase(link, "https://")));
      }
      Check(!read.next || (read.kind == orvi::WebPage::Kind::Results && read.nextPaging > paging));
      Check(read.kind != orvi::WebPage::Kind::Blocked || !read.reason.empty());
    }
  }
  size_t pos = 0;
  for (auto tag = orvi::NextTag(page, pos); tag; tag = orvi::NextTag(page, pos)) {
    Check(tag->begin >= pos && tag->end > tag->begin && tag->end <= page.size());
    pos = tag->end;
  }
  return 0;
}
