#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "search/engine_pages.h"

// The sandbox's pages read by the program's own engine readers, so that a test
// tells whether a page would be read as meant.
namespace orvi::sandbox::test {

struct Reading {
  int total = 0;
  std::string rangeMarker;  // Google
  std::vector<std::string> links;
  std::vector<std::string> cachePaths;  // Google, one per link
};

inline Reading Flatten(const ResultPage& page) {
  Reading r{page.total, page.rangeMarker.value_or(""), {}, {}};
  for (const ResultLink& link : page.links) {
    r.links.push_back(link.url);
    r.cachePaths.push_back(link.cachePath);
  }
  return r;
}

inline Reading ReadGoogle(std::string_view page) { return Flatten(ReadGooglePage(page, true)); }
inline Reading ReadFast(std::string_view page) { return Flatten(ReadFastPage(page, true, "")); }
inline Reading ReadWiseNut(std::string_view page) { return Flatten(ReadWiseNutPage(page, true)); }

}  // namespace orvi::sandbox::test
