#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvi {

// Readers of the engines' result pages. A page is read by the markers that
// the engine's layout holds; a page without them gives no link. Totals are at
// most kMaxEngineTotal, links at most 239 characters.
constexpr int kMaxEngineTotal = 9999;

// One result of a page: the address to queue, and for an engine that keeps
// cached copies, the path of this result's copy on the engine's host.
struct ResultLink {
  std::string url;
  std::string cachePath;  // "/search?q=cache..."; empty: none
};

// What a reader takes from one result page.
struct ResultPage {
  bool marked = false;   // the page holds the engine's marker: its links were read
  bool refetch = false;  // a first page whose total could not be located: ask again
  int total = 0;         // read on the first page only
  // Engines that serve their last page again for a higher offset: the text
  // that names the page's range. The same again means the same page.
  std::optional<std::string> rangeMarker;
  std::vector<ResultLink> links;
};

// Google: the " - " of the result range after "</title>"; links "<p><a
// href=http...>" cut at their first "&", ".txt" links left out, each with its
// cache path.
ResultPage ReadGooglePage(std::string_view page, bool firstPage);

// Fast: " of " and the "status='http..." of each result. Links holding ".txt"
// or the excluded host fragment (none when empty) are left out.
ResultPage ReadFastPage(std::string_view page, bool firstPage, std::string_view excludedHost);

// WiseNut: "documents", then the quoted href of each result. Only links
// beginning with "http" and without ".txt" are kept.
ResultPage ReadWiseNutPage(std::string_view page, bool firstPage);

}  // namespace orvi
