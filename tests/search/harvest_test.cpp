#include <gtest/gtest.h>

#include <tuple>

#include "search/engine_pages.h"

namespace orvi {
namespace {

std::vector<std::string> Urls(const ResultPage& page) {
  std::vector<std::string> urls;
  for (const ResultLink& link : page.links) urls.push_back(link.url);
  return urls;
}

std::string GoogleHead(std::string_view range, std::string_view total) {
  return "<html><head><title>Google Search: a - b</title></head><body>Results <b>" +
         std::string(range) + "</b> of about <b>" + std::string(total) +
         "</b>.  Search took <b>0.27</b> seconds.";
}

TEST(GooglePageTest, TotalTakesOutOnlyTheFirstThousandsSeparator) {
  struct Case {
    std::string page;
    bool first;  // only the first page reads it
    int total;
  } cases[] = {
      {GoogleHead("1</b> - <b>50", "1,234,567"), true, 1234},
      {GoogleHead("1</b> - <b>50", "12,345"), true, 9999},
      {GoogleHead("1</b> - <b>50", "987"), true, 987},
      {GoogleHead("1</b> - <b>50", "987"), false, 0},
      // No full stop soon after the number: no total.
      {"</title>Results <b>1</b> - <b>50</b> of about <b>2,000</b> and then a long sentence.", true, 0},
      {"</title>x - 0000000000.", true, 0},  // nothing but zeros within reach
  };
  for (const Case& c : cases) EXPECT_EQ(ReadGooglePage(c.page, c.first).total, c.total) << c.page;
}

TEST(GooglePageTest, RangeMarkerIsReadBeforeTheDashEvenAtThePageStart) {
  ResultPage page = ReadGooglePage(GoogleHead("51</b> - <b>100", "700"), false);
  EXPECT_EQ(std::tie(page.marked, page.rangeMarker), std::tuple(true, "b>51</b> -"));
  // A " - " in the title does not count, one within 8 bytes of the start
  // gives what there is.
  EXPECT_EQ(ReadGooglePage("a - b", true).rangeMarker, "a - b");
  EXPECT_EQ(ReadGooglePage("<title>x - y</title>z", true).marked, false);
  ResultPage none = ReadGooglePage("<p><a href=http://a.example/>a</a>", true);
  EXPECT_TRUE(!none.marked && none.links.empty());
}

TEST(GooglePageTest, LinksWithTheirOwnCacheLinks) {
  std::string page = GoogleHead("1</b> - <b>4", "4") +
                     "<p><a href=http://a.example/1.html?x=1&y=2>One</a> a.example - "
                     "<a href=/search?q=cache:K1:a.example/1.html+madonna&hl=en>Cached</a>"
                     "<p><a href=http://a.example/notes.txt>txt</a>"
                     "<a href=/search?q=cache:KT:a.example/notes.txt>Cached</a>"
                     "<p><a href=http://b.example/2.html>Two</a> no cache here"
                     "<p><a href=http://c.example/3.html>Three</a>"
                     "<a href=/search?q=cache:K3:c.example/3.html>Cached</a>";
  ResultPage read = ReadGooglePage(page, true);
  ASSERT_EQ(Urls(read),
            (std::vector<std::string>{"http://a.example/1.html?x=1", "http://b.example/2.html", "http://c.example/3.html"}));
  EXPECT_EQ(read.links[0].cachePath, "/search?q=cache:K1:a.example/1.html");
  // A result without a cache link neither takes the next one's nor loses it.
  EXPECT_EQ(read.links[1].cachePath, "");
  EXPECT_EQ(read.links[2].cachePath, "/search?q=cache:K3:c.example/3.html");
}

TEST(GooglePageTest, UnfinishedMarkupEndsTheLinks) {
  // A cache path with neither "+" nor ">" after it: its link is kept, the
  // page is done.
  ResultPage read = ReadGooglePage("x - y <p><a href=http://a.example/>a</a> /search?q=cache:abc", true);
  ASSERT_EQ(Urls(read), (std::vector<std::string>{"http://a.example/"}));
  EXPECT_EQ(read.links[0].cachePath, "");
  EXPECT_TRUE(ReadGooglePage("x - y <p><a href=http://a.example/", true).links.empty());
  EXPECT_TRUE(ReadGooglePage("x - y <p><a href=/local>", true).links.empty());
  // Links are cut to 239 characters.
  std::string longLink = "http://a.example/" + std::string(400, 'p');
  EXPECT_EQ(ReadGooglePage("x - y <p><a href=" + longLink + ">", true).links[0].url,
            longLink.substr(0, 239));
}

TEST(FastPageTest, TotalAfterTheTagAndLinksFromTheStatusLines) {
  std::string page =
      "<html><body>Results 1 - 50 of <b>2,345,678</b> for madonna"
      "<a href=\"x\" onmouseover=\"window.status='http://a.example/1.html';\">"
      "<a onmouseover=\"status='http://www.alltheweb.com/help';\">"
      "<a onmouseover=\"status='http://b.example/list.txt';\">"
      "<a onmouseover=\"status='ftp://c.example/';\">"
      "<a onmouseover=\"status='http://d.example/2.html';\"></body>";
  ResultPage first = ReadFastPage(page, true, "alltheweb.com");
  EXPECT_EQ(std::tie(first.marked, first.refetch, first.total), std::tuple(true, false, 2345));
  EXPECT_EQ(Urls(first), (std::vector<std::string>{"http://a.example/1.html", "http://d.example/2.html"}));
  EXPECT_EQ(ReadFastPage(page, false, "alltheweb.com").total, 0);
  // An empty excluded fragment excludes nothing.
  EXPECT_EQ(ReadFastPage(page, false, "").links.size(), 3u);
}

TEST(FastPageTest, MissingMarkers) {
  EXPECT_FALSE(ReadFastPage("no results status='http://a.example/'", true, "").marked);
  ResultPage noTag = ReadFastPage("1 - 9 of 9 status='http://a.example/'", true, "");
  EXPECT_TRUE(noTag.refetch && noTag.links.empty());
  // Later pages do not look for the total.
  EXPECT_EQ(ReadFastPage("1 - 9 of 9 status='http://a.example/'", false, "").links.size(), 1u);
  EXPECT_TRUE(ReadFastPage("x of <b>9</b> status='http://a.example/", true, "").links.empty());
}

TEST(WiseNutPageTest, TotalAfterTheColonAndQuotedLinks) {
  std::string page =
      "<html><body>Results 1-100 of about:   1,234,567 documents found"
      "<a href=\"http://a.example/1.html\">1</a><a href=\"/help.html\">h</a>"
      "<a href=\"http://b.example/f.txt\">t</a><a href=\"http://c.example/\">3</a></body>";
  ResultPage first = ReadWiseNutPage(page, true);
  EXPECT_EQ(first.total, 1234);
  EXPECT_EQ(Urls(first), (std::vector<std::string>{"http://a.example/1.html", "http://c.example/"}));
  EXPECT_EQ(ReadWiseNutPage(page, false).total, 0);
  // The colon is looked for from 32 bytes before "documents", or from the
  // start of a shorter page.
  EXPECT_EQ(ReadWiseNutPage(":7 documents", true).total, 7);
  EXPECT_EQ(ReadWiseNutPage("total: 5 of which " + std::string(40, 'x') + " documents: 8", true).total, 8);
  EXPECT_TRUE(ReadWiseNutPage("9 documents", true).refetch);
  EXPECT_FALSE(ReadWiseNutPage("9 document", true).marked);
  EXPECT_TRUE(ReadWiseNutPage(": 9 documents <a href=\"http://a.example/", true).links.empty());
}

}  // namespace
}  // namespace orvi
