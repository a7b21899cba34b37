// A worker's page work against a scripted HTTP server: fetch, analysis, and
// what it leaves in the queue and the catalogue.
#include <gtest/gtest.h>

#include <tuple>

#include "explore/page_analysis.h"
#include "explore/queue.h"
#include "support/script_server.h"

namespace orvi {
namespace {

using test::ScriptServer;
using Texts = std::vector<std::string>;

class PageAnalysisIntegrationTest : public ::testing::Test {
 protected:
  PageAnalysisIntegrationTest()
      : ctx(ContextOptions{.appFolder = "/tmp", .startDate = {2024, 6, 1}}) {
    ctx.settings.HttpTimeOut = ctx.settings.VerifyTimeOut = 20;
    ctx.run.collecting = true;
    ctx.SearchText = "winamp";
    ctx.run.Extensions = {"zip"};
    SearchProfile& p = ctx.activeProfile;
    std::tie(p.MaxDomains, p.AddLinkAway, p.FilesAway, p.MinFiles, p.DateLimit) = std::tuple(100, 1600, 2400, 1, 12);
  }

  // An engine result, taken by the scheduler.
  QueueEntryPtr Taken(const std::string& url) {
    bool added = false;
    QueueEntryPtr entry = AcceptUrl(ctx, url, added, 1, FoundBy::FromEngine, 0);
    entry->state = kTaken;
    return entry;
  }
  // "<foundBy> <depth> <engine> <url>" of the entries after the first.
  Texts Queued() {
    std::lock_guard lock(ctx.QueueLock);
    Texts out;
    for (size_t i = 1; i < ctx.queue.entries.size(); ++i) {
      const QueueEntry& e = *ctx.queue.entries[i];
      out.push_back(std::to_string(static_cast<int>(e.foundBy)) + " " + std::to_string(e.depth) +
                    " " + std::to_string(e.engine) + " " + e.url);
    }
    return out;
  }
  int Catalogued() {
    std::lock_guard lock(ctx.CatalogueLock);
    return ctx.catalogue.count();
  }

  Context ctx;
};

TEST_F(PageAnalysisIntegrationTest, TheAgeTestAndAStopDuringTheFetch) {
  ScriptServer server([](ScriptServer::Conn& c) {
    std::string request = c.ReadRequest();
    if (request.starts_with("HEAD")) {
      // Nineteen months before the start date, or seven.
      const char* year = request.find("/old.html") != std::string::npos ? "2022" : "2023";
      c.Send(std::string("HTTP/1.1 200 OK\r\nLast-Modified: Tue, 15 Nov ") + year +
             " 08:12:31 GMT\r\n\r\n");
    } else {
      c.Send(ScriptServer::Response("200 OK", "<html><body>winamp <a href=\"a.zip\">a</a>"));
    }
  });
  QueueEntryPtr old = Taken(server.Url("/old.html"));
  const std::string cache = "http://cache.example/search?q=cache:k:127.0.0.1/old.html";
  {
    std::lock_guard lock(ctx.QueueLock);
    old->cacheUrl = cache;
  }
  ASSERT_TRUE(AnalysePage(ctx, *old, ctx.run.generation));
  ASSERT_EQ(server.Requests().size(), 1u);  // the HEAD only
  EXPECT_TRUE(server.Requests()[0].starts_with("HEAD /old.html "));
  EXPECT_EQ(Queued(), Texts{"6 0 0 " + cache});
  EXPECT_EQ(Catalogued(), 0);

  ASSERT_TRUE(AnalysePage(ctx, *Taken(server.Url("/new.html")), ctx.run.generation));
  ASSERT_EQ(server.Requests().size(), 3u);
  EXPECT_TRUE(server.Requests()[2].starts_with("GET /new.html "));
  EXPECT_EQ(Catalogued(), 1);

  // Stopped: nothing is analysed and the entry stays taken.
  ctx.activeProfile.DateLimit = 0;
  QueueEntryPtr last = Taken(server.Url("/last.html"));
  ctx.run.collecting = false;
  EXPECT_FALSE(AnalysePage(ctx, *last, ctx.run.generation));
  EXPECT_EQ(last->state, kTaken);
  EXPECT_EQ(Catalogued(), 1);
}

// The page-age probe's socket is registered: a stop breaks its HEAD at once
// instead of waiting for VerifyTimeOut.
TEST_F(PageAnalysisIntegrationTest, AStopBreaksThePageAgeProbe) {
  ctx.settings.VerifyTimeOut = 60;
  std::atomic<bool> asked{false};
  std::atomic<int> closedByClient{-1};
  ScriptServer server([&](ScriptServer::Conn& c) {
    c.ReadRequest();
    asked = true;
    closedByClient = c.HoldUntilClosed();
  });
  QueueEntryPtr entry = Taken(server.Url("/page.html"));
  const uint64_t generation = ctx.run.generation;
  bool analysed = true;
  std::thread worker([&] { analysed = AnalysePage(ctx, *entry, generation); });
  while (!asked) std::this_thread::yield();
  StopAndClearQueue(ctx);
  worker.join();
  EXPECT_FALSE(analysed);
  while (closedByClient < 0) std::this_thread::yield();
  EXPECT_EQ(closedByClient, 1);
  EXPECT_EQ(server.Connections(), 1);  // and no fetch after it
}

}  // namespace
}  // namespace orvi
