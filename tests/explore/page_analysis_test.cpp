// The analysis of fetched page texts, without a network: what reaches the
// queue and the catalogue.
#include "explore/page_analysis.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "explore/link_scanner.h"
#include "explore/page_age.h"
#include "explore/queue.h"
#include "explore/queue_link_sink.h"
#include "platform/text.h"
#include "support/recording_sink.h"

namespace orvi {
namespace {

using Texts = std::vector<std::string>;

using test::RecordingSink;

constexpr char kPage[] = "http://site.example/dir/index.html";

class PageAnalysisTest : public ::testing::Test {
 protected:
  PageAnalysisTest() : ctx(ContextOptions{.appFolder = "/tmp", .startDate = {2024, 6, 1}}) {
    ctx.hosts.servers[0] = {"freehost.example", "@freehost"};
    ctx.hosts.servers[1] = {"otherhost.example", "@otherhost"};
    ctx.SearchText = "winamp";
    std::tie(ctx.activeProfile.AddLinkAway, ctx.activeProfile.FilesAway, ctx.activeProfile.MinFiles) =
        std::tuple(1600, 2400, 1);
    ctx.run.Extensions = {"zip"};
  }

  // Analyses a fetch's result with a fresh sink; nullopt is a failed fetch.
  void Analyse(std::optional<std::string> page, int depth = 1,
               FetchError label = FetchError::None) {
    auto accept = sink.accept;
    sink = RecordingSink();
    sink.accept = accept;
    QueueEntry entry(kPage, 1, FoundBy::FromEngine, depth);
    entry.cacheUrl = cacheUrl;
    AnalyseFetchedPage(ctx, entry, std::move(page), label, sink);
  }
  static std::string Html(const std::string& body) { return "<html><body>" + body + "</body></html>"; }
  static std::string Link(const std::string& href, const std::string& text = "x") {
    return "<a href=\"" + href + "\">" + text + "</a>";
  }
  static std::string File(const std::string& name, bool lettered, int length) {
    return name + " http://site.example/dir/" + name + " " + std::to_string(lettered) + " " +
           std::to_string(length);
  }

  Context ctx;
  RecordingSink sink;
  std::string cacheUrl;
};

// SDM hands on the closer of a server folder whose link ends 100 characters
// before the text (distance 1000) and a zip whose address starts `after`
// characters after it.
TEST_F(PageAnalysisTest, DistancesAfterTheTextPlainBeforeItTenfoldTheAnchorsOwnZero) {
  ctx.activeProfile.SDM = ctx.activeProfile.Serveurs = true;
  for (size_t after : {999u, 1001u}) {
    ctx.run.ServerCounter = 0;
    Analyse(Html("<a href=\"http://freehost.example/f\">folder</a>" + std::string(88, '-') +
                 "winamp" + std::string(after - 15, '-') + Link("player.zip")));
    EXPECT_EQ(sink.links, Texts{after < 1000 ? File("player.zip", false, 1)
                                             : "@freehost~1 http://freehost.example/f 0 1"});
  }

  // The anchor's own link has distance zero.
  ctx.run.ServerCounter = 0;
  Analyse(Html(Link("setup.zip", "winamp setup") + Link("http://freehost.example/f")));
  EXPECT_EQ(sink.links, Texts{File("setup.zip", false, 1)});

  // No "</a" close after the text: it is no link's text, the scan starts after it.
  Analyse(Html("<a href=\"setup.zip\">winamp" + std::string(80, '-') + "</a>" +
               Link("http://freehost.example/g")));
  EXPECT_EQ(sink.links, Texts{"@freehost~2 http://freehost.example/g 0 1"});

  // The text's own link is a page: the file after it is measured from the
  // text, and the folder opened by the script in between is closer.
  Analyse(Html("<a href=\"page.html\">winamp</a> <b onclick=\"window.open("
               "'http://freehost.example/h')\">m</b>" + Link("player.zip")));
  EXPECT_EQ(sink.links, Texts{"@freehost~3 http://freehost.example/h 0 1"});
}

// Lettered series and MinFiles; a selective group ends at another name,
// takes 256 files, each name once, and does not start past FilesAway.
TEST_F(PageAnalysisTest, LetteredSeriesMinFilesAndSelectiveGroups) {
  const std::string page =
      Html("winamp " + Link("disk1a.zip") + Link("disk1b.zip") + Link("disk1c.zip"));
  Analyse(page);
  EXPECT_EQ(sink.links, (Texts{File("disk1a.zip", true, 3), File("disk1b.zip", true, 3),
                               File("disk1c.zip", true, 3)}));
  EXPECT_EQ(sink.pages, Texts(3, kPage));

  ctx.activeProfile.MinFiles = 4;
  Analyse(page);
  EXPECT_TRUE(sink.links.empty());
  ctx.activeProfile.MinFiles = 1;

  Analyse(Html("winamp " + Link("setup1.zip") + Link("page.html") + Link("setup2.zip") +
               Link("readme.zip") + Link("setup3.zip")));
  EXPECT_EQ(sink.links, (Texts{File("setup1.zip", false, 2), File("setup2.zip", false, 2)}));

  std::string body = "winamp " + Link("file000.zip") + Link("mirror/file000.zip");
  for (int i = 1; i < 300; ++i) body += Link("file" + std::to_string(1000 + i).substr(1) + ".zip");
  Analyse(Html(body));
  ASSERT_EQ(sink.links.size(), 256u);
  EXPECT_EQ(sink.links.front(), File("file000.zip", false, 256));
  EXPECT_EQ(sink.links.back(), File("file255.zip", false, 256));

  ctx.activeProfile.FilesAway = 100;
  Analyse(Html("winamp " + std::string(120, '-') + Link("setup1.zip")));
  EXPECT_TRUE(sink.links.empty());
}

TEST_F(PageAnalysisTest, RedirectionsWithAQueryOrNoLocationAreNotFollowed) {
  // An absolute and a relative Location, as nginx sends them, are the site
  // scan's test; a query is not followed, only the Location field counts, and
  // the body is not analysed.
  Analyse("HTTP/1.1 301 Moved\r\nLocation: http://other.example/n.php?id=4\r\n\r\n"
          "<html><body>winamp <a href=\"a.zip\">", 2, FetchError::Redirect);
  EXPECT_TRUE(sink.offers.empty() && sink.links.empty());
  for (const char* response : {"HTTP/1.1 302 Found\r\nX-Location: http://evil.example/x\r\n\r\nsee http://body.example/y",
                               "HTTP/1.1 302 Found\r\nLocation:\r\n\r\n"}) {
    Analyse(response, 2, FetchError::Redirect);
    EXPECT_TRUE(sink.offers.empty()) << response;
  }
}

TEST_F(PageAnalysisTest, KeywordLinks) {
  ctx.activeProfile.AjourURL = true;
  ctx.run.UrlKeywords = {"download", "mirror"};
  const std::string page =
      Html("winamp " + Link("a.html") + Link("b.html") + Link("files.html", "download area"));
  Analyse(page, 2);  // no nearby link this deep
  EXPECT_EQ(sink.offers, Texts{"4 3 http://site.example/dir/files.html"});

  // Internal plain links only, whose "</a" closes near the keyword with no
  // other link opening before it; four per keyword.
  std::string body = Link("#top", "download") + Link("http://x.example/d", "download") +
                     Link("//x.example/e", "download") +
                     Link("get.php?id=1", "download") + Link("javascript:go()", "download") +
                     "<a href=\"far.html\">download" + std::string(300, '-') + "</a>" +
                     "<a href=\"skip.html\">download</b>" + Link("next.html", "go");
  for (int i = 1; i <= 5; ++i) body += Link("d" + std::to_string(i) + ".html", "download");
  Analyse(Html(body + Link("m.html", "Mirror list")));
  EXPECT_EQ(sink.offers, (Texts{"4 2 http://site.example/dir/d1.html",
                                "4 2 http://site.example/dir/d2.html",
                                "4 2 http://site.example/dir/d3.html",
                                "4 2 http://site.example/dir/d4.html",
                                "4 2 http://site.example/dir/m.html"}));
}

// Three nearby links at most, closest first (the later of equals); one with
// a query comes after the others and counts two points; one the queue held
// already counts none.
TEST_F(PageAnalysisTest, NearbyLinksByScoreAndPoints) {
  ctx.activeProfile.AjourURL = true;
  auto nearby = [this](const std::string& body) {
    Analyse(Html(body));
    Texts out;
    for (const std::string& o : sink.offers) out.push_back(o.substr(std::string("5 2 ").size() + 24));
    return out;
  };
  const std::string five = "winamp " + Link("l1.html") + Link("l2.html?x=1") + Link("l3.html") +
                           Link("l4.html") + Link("l5.html");
  EXPECT_EQ(nearby(five), (Texts{"l1.html", "l3.html", "l4.html"}));
  EXPECT_EQ(nearby("winamp " + Link("q1?x=1") + Link("q2?x=1") + Link("q3?x=1")),
            (Texts{"q1?x=1", "q2?x=1"}));
  // Both end 21 characters from the anchor.
  EXPECT_EQ(nearby(Link("b.html") + std::string(14, '-') + "winamp" + Link("c.html")),
            (Texts{"c.html", "b.html"}));
  sink.accept = [](const std::string& url) { return url.find("l1") == std::string::npos; };
  EXPECT_EQ(nearby(five), (Texts{"l1.html", "l3.html", "l4.html", "l5.html"}));
}

TEST_F(PageAnalysisTest, TheCacheCopyOnlyForAPageWithoutTheText) {
  cacheUrl = "http://cache.example/search?q=cache:x:site.example/dir/index.html";
  const Texts fallback{"6 0 " + cacheUrl};
  Analyse(Html("winamp " + Link("a.zip")));
  EXPECT_TRUE(sink.offers.empty());
  EXPECT_EQ(sink.links.size(), 1u);

  Analyse(Html("nothing here " + Link("a.zip")));
  EXPECT_EQ(sink.offers, fallback);
  EXPECT_TRUE(sink.links.empty());
  Analyse(std::nullopt, 1, FetchError::Timeout);
  EXPECT_EQ(sink.offers, fallback);
  Analyse("plain text winamp");  // neither HTML nor a frameset
  EXPECT_EQ(sink.offers, fallback);
  Analyse(Html(std::string("x\0", 2) + "winamp " + Link("a.zip")));  // the text ends at NUL
  EXPECT_EQ(sink.offers, fallback);
  ctx.SearchText.clear();  // no input: no anchor
  Analyse(Html("winamp " + Link("a.zip")));
  EXPECT_EQ(sink.offers, fallback);
}

TEST_F(PageAnalysisTest, AServerFoldersLinksAreFollowedPastTheReachWhileInARow) {
  ctx.activeProfile.Serveurs = true;
  std::tie(ctx.activeProfile.AddLinkAway, ctx.activeProfile.FilesAway) = std::tuple(10, 60);
  std::string body = "winamp ";
  for (int i = 0; i < 20; ++i) body += Link("http://freehost.example/f" + std::to_string(i));
  Analyse(Html(body + Link("page.html") + Link("http://freehost.example/late")));
  ASSERT_EQ(sink.links.size(), 20u);
  EXPECT_EQ(sink.links[19], "@freehost~1 http://freehost.example/f19 0 0");
}

TEST_F(PageAnalysisTest, WhatCountsAsAFile) {
  // A UTF-8 name is kept in Windows-1252, cut once converted.
  const std::string long8 = std::string(75, 'a') + "%C3%A9%C3%A9%C3%A9%C3%A9%C3%A9.zip";
  Analyse(Html("winamp " + Link(long8)));
  EXPECT_EQ(sink.links, Texts{std::string(75, 'a') + "\xE9\xE9\xE9\xE9 http://site.example/dir/" +
                              long8 + " 0 1"});

  const std::string series =
      Html("winamp " + Link("disk1.bin") + Link("disk2.bin") + Link("readme.html"));
  const std::string volumes = Html("winamp " + Link("movie.rar") + Link("movie.r00") +
                                   Link("movie.c01") + Link("menu.rum"));
  const std::string image = Html("winamp <img src=\"photo.jpg\">");
  ctx.run.Extensions = {"zip", "jpg"};
  for (const std::string& page : {series, volumes, image}) {
    Analyse(page);
    EXPECT_TRUE(sink.links.empty());
  }
  ctx.activeProfile.SAD = true;
  Analyse(series);
  EXPECT_EQ(sink.links, (Texts{File("disk1.bin", false, 2), File("disk2.bin", false, 2)}));
  ctx.activeProfile.Archiv = true;
  Analyse(volumes);
  EXPECT_EQ(sink.links.size(), 3u);
  ctx.run.ImageMode = true;
  Analyse(image);
  EXPECT_EQ(sink.links, Texts{File("photo.jpg", false, 1)});

  ctx.activeProfile.FileNameMode = 2;
  ctx.run.BareName = "winamp";
  Analyse(Html("winamp " + Link("winamp2.zip") + Link("WinAmp.zip")));
  EXPECT_EQ(sink.links, Texts{File("WinAmp.zip", false, 1)});
  // The name test reads the name as the catalogue will hold it.
  ctx.run.BareName = "\xE9t\xE9";
  Analyse(Html("winamp " + Link("%C3%A9t%C3%A9.zip")));
  EXPECT_EQ(sink.links, Texts{"\xE9t\xE9.zip http://site.example/dir/%C3%A9t%C3%A9.zip 0 1"});
}

// Today's volumes come with their kind, as .r00 with rar: .zNN and .zip.NNN with zip, .7z(.NNN) with
// 7z (with rar and ace, or by name), .partN.rar with rar; never explored as pages; S.A.D takes 7z runs.
TEST_F(PageAnalysisTest, TodaysVolumesComeWithTheirKind) {
  ctx.activeProfile.ExtractAll = ctx.activeProfile.SiteScan = true;
  const std::string page = Html(Link("a.zip.001") + Link("b.z01") + Link("c.7z") + Link("d.7z.001") +
                                Link("e.part1.rar") + Link("next.html"));
  const std::tuple<Texts, bool, bool, std::string, Texts> cases[] = {  // extensions, Archiv, SAD
      {{}, false, false, page, {}},
      {{"zip"}, false, false, page, {"a.zip.001", "b.z01"}},
      {{}, true, false, page, {"c.7z", "d.7z.001", "e.part1.rar"}},
      {{"7z"}, false, false, page, {"c.7z", "d.7z.001"}},
      {{}, false, true, Html(Link("f.7z.001") + Link("f.7z.002")), {"f.7z.001", "f.7z.002"}}};
  for (const auto& [extensions, archiv, sad, html, names] : cases) {
    std::tie(ctx.run.Extensions, ctx.activeProfile.Archiv, ctx.activeProfile.SAD) = std::tie(extensions, archiv, sad);
    Analyse(html);
    Texts found;
    for (const std::string& link : sink.links) found.push_back(link.substr(0, link.find(' ')));
    EXPECT_EQ(found, names) << archiv << sad;
    EXPECT_EQ(sink.offers.size(), sad ? 0u : 1u);
  }
}

// Workers analyse their pages at once into the one queue and catalogue.
TEST_F(PageAnalysisTest, ConcurrentAnalysesShareTheQueueAndTheCatalogue) {
  ctx.run.collecting = true;
  ctx.activeProfile.MaxDomains = 1000;
  ctx.activeProfile.Serveurs = ctx.activeProfile.AjourURL = true;
  constexpr int kPages = 4;
  std::vector<std::thread> workers;
  for (int i = 0; i < kPages; ++i) {
    workers.emplace_back([this, n = std::to_string(i)] {
      QueueEntry entry("http://site.example/p" + n + "/index.html", 1, FoundBy::FromEngine, 0);
      QueueLinkSink queue(ctx);
      AnalyseFetchedPage(ctx, entry,
                         Html("winamp " + Link("http://freehost.example/t" + n) +
                              Link("file" + n + ".zip") + Link("next.html") +
                              Link("http://site.example/common.html")),
                         FetchError::None, queue);
    });
  }
  for (std::thread& t : workers) t.join();
  // Each page's next.html, and common.html once.
  EXPECT_EQ(std::tuple(ctx.run.ServerCounter.load(), ctx.catalogue.count(), ctx.queue.count()),
            std::tuple(kPages, 2 * kPages, kPages + 1));
}

// Pages built to make every anchor read the rest of the page: each distinct
// find is handed on once, and the analysis ends.
TEST_F(PageAnalysisTest, HostilePagesStayBounded) {
  ctx.activeProfile.Serveurs = ctx.activeProfile.AjourURL = true;
  auto repeat = [](const std::function<std::string(int)>& unit) {
    std::string body;
    for (int i = 0; body.size() < 140000; ++i) body += unit(i);
    return Html(body);
  };
  int links = 0;
  Analyse(repeat([&](int i) {
    links = i + 1;
    return "winamp " + Link("http://freehost.example/" + std::to_string(i));
  }));
  EXPECT_EQ(static_cast<int>(sink.links.size()), links);
  for (const std::string& link : sink.links) EXPECT_EQ(link.rfind("@freehost~1 ", 0), 0u);

  Analyse(repeat([](int) { return "winamp " + Link("aa.zip"); }));
  EXPECT_EQ(sink.links, Texts{File("aa.zip", false, 1)});
}

TEST_F(PageAnalysisTest, PageAgeInMonthsFromTheStartDate) {
  ctx.activeProfile.DateLimit = 12;
  EXPECT_TRUE(IsPageTooOld(ctx, "01 May 2023 00:00:00 GMT"));   // 13 months
  // 12 months; unreadable dates count as recent.
  for (const char* date : {"01 Jun 2023 00:00:00 GMT", "06-Nov-94 08:49:37 GMT", "6 08:49:37 1994", "15 Nov", ""}) {
    EXPECT_FALSE(IsPageTooOld(ctx, date)) << date;
  }
}

}  // namespace
}  // namespace orvi
