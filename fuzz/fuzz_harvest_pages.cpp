// A result page of any bytes through the three engines' readers, as a first
// page and as a later one. Nothing may read outside the page, totals stay
// within 0 and 9999, and every link kept is within 239 characters and is one
// the engine would take.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_exact_text.h"
#include "core/url_text.h"
#include "platform/text.h"
#include "search/engine_pages.h"

namespace {

using orvi::Holds;

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

void CheckTotal(int total) { Check(total >= 0 && total <= orvi::kMaxEngineTotal); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ExactText pageText(std::string_view(reinterpret_cast<const char*>(data), size));
  std::string_view page = pageText.view();
  for (bool first : {true, false}) {
    orvi::ResultPage google = orvi::ReadGooglePage(page, first);
    CheckTotal(google.total);
    Check(!google.refetch && google.rangeMarker.has_value() == google.marked);
    Check(!google.rangeMarker || google.rangeMarker->size() <= 10);
    Check(google.marked || google.links.empty());
    for (const orvi::ResultLink& link : google.links) {
      Check(link.url.size() <= orvi::kMaxLinkChars && link.url.starts_with("http") && !Holds(link.url, "&"));
      Check(link.cachePath.empty() || link.cachePath.starts_with("/search?q=cache"));
    }

    orvi::ResultPage fast = orvi::ReadFastPage(page, first, "excluded.example");
    CheckTotal(fast.total);
    Check(!fast.refetch || (first && fast.links.empty()));
    Check(!fast.rangeMarker);
    for (const orvi::ResultLink& link : fast.links) {
      Check(link.url.size() <= orvi::kMaxLinkChars && link.url.starts_with("http") && !Holds(link.url, "'"));
      Check(!Holds(link.url, "excluded.example") && link.cachePath.empty());
    }

    orvi::ResultPage wise = orvi::ReadWiseNutPage(page, first);
    CheckTotal(wise.total);
    Check(!wise.refetch || (first && wise.links.empty()));
    Check(!wise.rangeMarker);
    for (const orvi::ResultLink& link : wise.links) {
      Check(link.url.size() <= orvi::kMaxLinkChars && link.url.starts_with("http") && !Holds(link.url, "\"") &&
            link.cachePath.empty());
    }
  }
  return 0;
}
