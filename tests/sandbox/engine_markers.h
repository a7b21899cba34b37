#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

// The program's harvesters read engine pages by a few markers only; these
// readers apply the same rules, so that a test can tell whether a sandbox
// page would be read as meant.
namespace orvi::sandbox::test {

constexpr size_t kNpos = std::string_view::npos;

// The number at pos once the first "," within 6 characters is gone, at most 9999.
inline int Total(std::string_view page, size_t pos) {
  std::string text(page.substr(pos, 40));
  if (size_t comma = text.find(','); comma < 6) text.erase(comma, 1);
  int value = 0;
  for (size_t i = 0; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = std::min(value * 10 + (text[i] - '0'), 10000);
  }
  return std::min(value, 9999);
}

struct Reading {
  bool marked = false;
  int total = 0;
  std::string rangeMarker;              // Google
  std::vector<std::string> links;
  std::vector<std::string> cachePaths;  // Google, one per link
};

inline Reading ReadGoogle(std::string_view page) {
  Reading r;
  size_t title = page.find("</title>");
  size_t dash = page.find(" - ", title == kNpos ? 0 : title);
  if (dash == kNpos) return r;
  r.marked = true;
  for (size_t i = dash + 8; i < dash + 80 && i < page.size(); ++i) {
    if (page[i] < '1' || page[i] > '9') continue;  // the first number that reads nonzero
    size_t dot = page.find('.', i);
    r.total = dot != kNpos && dot - i < 20 ? Total(page, i) : 0;
    break;
  }
  r.rangeMarker = std::string(page.substr(dash - 8, 10));
  for (size_t pos = 0;;) {
    size_t h = page.find("http", std::min(page.size(), page.find("<p><a href=", pos)));
    size_t gt = page.find('>', h);
    if (h == kNpos || gt == kNpos) break;
    std::string link(page.substr(h, gt - h));
    r.links.push_back(link.substr(0, link.find('&')));
    size_t cache = page.find("/search?q=cache", gt);
    size_t end = cache == kNpos ? gt : std::min(page.find('+', cache), page.find('>', cache));
    r.cachePaths.emplace_back(cache == kNpos ? "" : page.substr(cache, end - cache));
    pos = end;
  }
  return r;
}

inline Reading ReadFast(std::string_view page) {
  Reading r;
  size_t of = page.find(" of ");
  size_t gt = page.find('>', of);
  if (of == kNpos || gt == kNpos) return r;
  r.marked = true;
  r.total = Total(page, gt + 1);
  for (size_t s = page.find("status='http", gt); s != kNpos; s = page.find("status='http", s + 1)) {
    r.links.emplace_back(page.substr(s + 8, page.find('\'', s + 8) - (s + 8)));
  }
  return r;
}

inline Reading ReadWiseNut(std::string_view page) {
  Reading r;
  size_t documents = page.find("documents");
  if (documents == kNpos) return r;
  r.marked = true;
  size_t colon = page.find(':', documents >= 32 ? documents - 32 : 0);
  if (colon != kNpos) r.total = Total(page, page.find_first_not_of(' ', colon + 1));
  for (size_t h = page.find("href=\"", documents); h != kNpos; h = page.find("href=\"", h + 1)) {
    std::string link(page.substr(h + 6, page.find('"', h + 6) - (h + 6)));
    if (link.starts_with("http")) r.links.push_back(link);
  }
  return r;
}

}  // namespace orvi::sandbox::test
