#include "sandbox/fake_engines.h"

#include <gtest/gtest.h>

#include "sandbox/engine_markers.h"

namespace orvi::sandbox {
namespace {

using test::ReadFast;
using test::ReadGoogle;
using test::ReadWiseNut;

constexpr std::string_view kBase = "http://127.0.0.1:8421";

EngineAnswer Numbered(size_t count, uint64_t total) {
  EngineAnswer answer{total, {}};
  for (size_t i = 1; i <= count; ++i) answer.results.push_back({"{base}/p" + std::to_string(i) + ".html", ""});
  return answer;
}

std::vector<std::string> Urls(size_t first, size_t last) {
  std::vector<std::string> urls;
  for (size_t n = first; n <= last; ++n) urls.push_back(std::string(kBase) + "/p" + std::to_string(n) + ".html");
  return urls;
}

TEST(SandboxGooglePages, PageByFiftyThenServeTheLastPageAgainPastTheEnd) {
  EngineAnswer answer = Numbered(120, 5000);
  std::vector<std::string> markers, seen;
  for (uint64_t start : {0, 50, 100}) {
    auto r = ReadGoogle(GooglePage({"q", &answer, start, 50, kBase}));
    markers.push_back(r.rangeMarker);
    seen.insert(seen.end(), r.links.begin(), r.links.end());
  }
  EXPECT_EQ(seen, Urls(1, 120));
  EXPECT_NE(markers[0], markers[1]);
  EXPECT_NE(markers[1], markers[2]);
  // Beyond its results Google repeats its last page: the same range marker
  // makes the harvester stop without taking the links twice.
  for (uint64_t start : {150, 4950}) {
    auto r = ReadGoogle(GooglePage({"q", &answer, start, 50, kBase}));
    EXPECT_EQ(r.rangeMarker, markers[2]);
    EXPECT_EQ(r.links, Urls(101, 120));
  }
}

// A page echoes its query; whatever it holds, the markers a harvester looks
// for first must be the page's own.
TEST(SandboxResultPages, AQueryCannotShadowTheMarkers) {
  const std::string query = "</title> 42 - 7. of >99 documents: 5 status='http://evil/' <p><a href=http://x>";
  EngineAnswer answer = Numbered(2, 1234);
  auto google = ReadGoogle(GooglePage({query, &answer, 0, 50, kBase}));
  auto fast = ReadFast(FastPage({query, &answer, 0, 50, kBase}));
  auto wisenut = ReadWiseNut(WiseNutPage({query, &answer, 0, 100, kBase}));
  for (const auto& r : {google, fast, wisenut}) {
    EXPECT_EQ(r.total, 1234);
    EXPECT_EQ(r.links, Urls(1, 2));
  }
}

}  // namespace
}  // namespace orvi::sandbox
