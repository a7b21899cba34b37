#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvi {

// Readers of the three engines' result pages. A page is read by the markers
// that the engines' layouts hold; a page without them gives no link. Totals
// are at most kMaxEngineTotal, links at most 239 characters.
constexpr int kMaxEngineTotal = 9999;

struct GoogleLink {
  std::string url;        // cut at its first "&"
  std::string cachePath;  // "/search?q=cache..." of the same result; empty: none
};

struct GooglePage {
  bool marked = false;      // the " - " of the result range was found
  int total = 0;            // read on the first page only
  std::string rangeMarker;  // the text around the range: the same again means the same page
  std::vector<GoogleLink> links;  // ".txt" links left out
};

// firstPage: read the announced total as well.
GooglePage ReadGooglePage(std::string_view page, bool firstPage);

// A Fast or WiseNut page.
struct EnginePage {
  bool marked = false;   // " of " (Fast) or "documents" (WiseNut) was found
  bool refetch = false;  // first page whose total could not be located: ask again
  int total = 0;         // read on the first page only
  std::vector<std::string> links;
};

// Links holding ".txt" or the excluded host fragment (none when empty) are
// left out.
EnginePage ReadFastPage(std::string_view page, bool firstPage, std::string_view excludedHost);

// Only links beginning with "http" and without ".txt" are kept.
EnginePage ReadWiseNutPage(std::string_view page, bool firstPage);

}  // namespace orvi
