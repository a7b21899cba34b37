#include "search/engine_pages.h"

#include <algorithm>
#include <cstdint>

#include "core/url_text.h"
#include "platform/text.h"

namespace orvi {
namespace {

constexpr size_t npos = std::string_view::npos;

// The decimal number at pos as the engines' pages were read: leading white
// space, one sign, digits; 0 when there is none. The byte at skip, the
// thousands separator taken out, is passed over. Saturates instead of
// overflowing.
int64_t NumberAt(std::string_view text, size_t pos, size_t skip = npos) {
  auto next = [&](size_t i) { return i + 1 == skip ? i + 2 : i + 1; };
  size_t i = pos == skip ? pos + 1 : pos;
  while (i < text.size() && IsWhite(text[i])) i = next(i);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    i = next(i);
  }
  int64_t value = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    value = std::min<int64_t>(value * 10 + (text[i] - '0'), INT32_MAX);
    i = next(i);
  }
  return negative ? -value : value;
}

// A result total: the first "," within the 6 characters from pos is the
// thousands separator and is taken out (only that one, so "1,234,567" reads
// 1234); then the number there, kept within 0 and kMaxEngineTotal.
int ReadTotal(std::string_view text, size_t pos) {
  if (pos >= text.size()) return 0;
  size_t comma = text.substr(pos, 6).find(',');
  int64_t value = NumberAt(text, pos, comma == npos ? npos : pos + comma);
  return static_cast<int>(std::clamp<int64_t>(value, 0, kMaxEngineTotal));
}

std::string CutLink(std::string_view link) { return std::string(link.substr(0, kMaxLinkChars)); }

// Google announces "a - b of about N." after its title: the total is the first
// number that reads nonzero from 8 characters past the " - " (past the end of
// the range), taken only when a full stop closes the sentence soon after it.
int GoogleTotal(std::string_view page, size_t dash) {
  constexpr size_t kSkip = 8, kPositions = 72, kStopWithin = 20;
  size_t begin = dash + kSkip;
  size_t end = std::min(page.size(), begin + kPositions);
  for (size_t at = begin; at < end; ++at) {
    if (NumberAt(page, at) == 0) continue;
    if (page.substr(at + 1, kStopWithin).find('.') == npos) return 0;
    return ReadTotal(page, at);
  }
  return 0;
}

}  // namespace

ResultPage ReadGooglePage(std::string_view page, bool firstPage) {
  static constexpr std::string_view kResult = "<p><a href=";
  static constexpr std::string_view kCache = "/search?q=cache";
  ResultPage out;
  size_t title = page.find("</title>");
  size_t dash = page.find(" - ", title == npos ? 0 : title);
  if (dash == npos) return out;
  out.marked = true;
  if (firstPage) out.total = GoogleTotal(page, dash);
  // The 10 characters from 8 before the " - " (from the start of a page where
  // it comes sooner).
  size_t mark = dash >= 8 ? dash - 8 : 0;
  out.rangeMarker = std::string(page.substr(mark, 10));

  size_t pos = 0;
  for (;;) {
    size_t result = page.find(kResult, pos);
    if (result == npos) break;
    size_t http = page.find("http", result);
    if (http == npos) break;
    size_t close = page.find('>', http);
    if (close == npos) break;
    std::string_view link = page.substr(http, close - http);
    link = link.substr(0, link.find('&'));
    pos = close + 1;
    if (Holds(link, ".txt")) continue;
    ResultLink taken{CutLink(link), {}};
    // The cache link of this result only: one found past the next result
    // belongs to that result, which would otherwise be lost.
    size_t cache = page.substr(close, page.find(kResult, close) - close).find(kCache);
    if (cache != npos) {
      cache += close;
      size_t end = page.find_first_of("+>", cache);
      if (end == npos) {
        out.links.push_back(std::move(taken));
        break;
      }
      taken.cachePath = std::string(page.substr(cache, end - cache));
      pos = end;
    }
    out.links.push_back(std::move(taken));
  }
  return out;
}

ResultPage ReadFastPage(std::string_view page, bool firstPage, std::string_view excludedHost) {
  static constexpr std::string_view kLink = "status='";
  ResultPage out;
  size_t pos = page.find(" of ");
  if (pos == npos) return out;
  out.marked = true;
  if (firstPage) {
    // "of <b>N</b>": the total follows the next tag.
    size_t tag = page.find('>', pos);
    if (tag == npos) {
      out.refetch = true;
      return out;
    }
    out.total = ReadTotal(page, tag + 1);
    pos = tag + 1;
  }
  for (;;) {
    size_t at = page.find("status='http", pos);
    if (at == npos) break;
    size_t begin = at + kLink.size();
    size_t end = page.find('\'', begin);
    if (end == npos) break;
    std::string_view link = page.substr(begin, end - begin);
    pos = end + 1;
    if (Holds(link, ".txt") || (!excludedHost.empty() && Holds(link, excludedHost))) continue;
    out.links.push_back({CutLink(link), {}});
  }
  return out;
}

ResultPage ReadWiseNutPage(std::string_view page, bool firstPage) {
  static constexpr std::string_view kHref = "href=\"";
  ResultPage out;
  size_t documents = page.find("documents");
  if (documents == npos) return out;
  out.marked = true;
  if (firstPage) {
    // "... of about: 1,234 documents": the total follows the first ":" of the
    // 32 characters before "documents" (or any later one).
    size_t colon = page.find(':', documents >= 32 ? documents - 32 : 0);
    if (colon == npos) {
      out.refetch = true;
      return out;
    }
    size_t number = colon + 1;
    while (number < page.size() && page[number] == ' ') ++number;
    out.total = ReadTotal(page, number);
  }
  size_t pos = documents;
  for (;;) {
    size_t at = page.find(kHref, pos);
    if (at == npos) break;
    size_t begin = at + kHref.size();
    size_t end = page.find('"', begin);
    if (end == npos) break;
    std::string_view link = page.substr(begin, end - begin);
    pos = end + 1;
    if (!link.starts_with("http") || Holds(link, ".txt")) continue;
    out.links.push_back({CutLink(link), {}});
  }
  return out;
}

}  // namespace orvi
