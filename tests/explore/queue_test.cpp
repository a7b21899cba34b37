#include "explore/queue.h"

#include <gtest/gtest.h>

#include "explore/statistics.h"

#include <thread>

#include "support/manual_clock.h"

namespace orvi {
namespace {

class QueueTest : public ::testing::Test {
 protected:
  QueueTest() { ctx.run.collecting = true; }

  QueueEntryPtr Accept(std::string_view url, int engine = 0, FoundBy how = FoundBy::NearbyLink,
                       int depth = 1) {
    return AcceptUrl(ctx, url, added, engine, how, depth);
  }

  std::shared_ptr<test::ManualClock> clock = std::make_shared<test::ManualClock>();
  Context ctx{ContextOptions{.appFolder = "/tmp", .clock = clock}};
  bool added = false;
};

TEST_F(QueueTest, DuplicatesIgnoreLetterCaseAndTheHostQuotaIsStricterForEngineResults) {
  ctx.activeProfile.MaxDomains = 10;
  QueueEntryPtr first = Accept("http://Example.com/Page.html", 1, FoundBy::FromEngine, 0);
  ASSERT_TRUE(first && added);
  EXPECT_EQ(first->engine, 1);
  EXPECT_EQ(Accept("http://example.com/page.HTML"), first);
  EXPECT_FALSE(added);
  EXPECT_EQ(ctx.run.AddedCount, 0);  // engine results are not "added" pages

  int accepted = 0;
  for (int i = 0; i < 20; ++i) {
    accepted += Accept("http://h.com/e" + std::to_string(i), 2, FoundBy::FromEngine, 0) != nullptr;
  }
  EXPECT_EQ(accepted, 8);  // 0.75 x 10 = 7: refused once 8 are queued
  for (int i = 0; i < 20; ++i) accepted += Accept("http://h.com/x" + std::to_string(i)) != nullptr;
  EXPECT_EQ(accepted, 11);  // exploration links: refused once 11 are queued
  EXPECT_EQ(ctx.run.AddedCount, 3);
  // Cache links and other hosts are not held back.
  EXPECT_TRUE(Accept("http://h.com/search?q=cache:abc"));
  EXPECT_TRUE(Accept("http://other.com/"));
  // A duplicate met after the quota was exceeded is not found: refused.
  EXPECT_FALSE(Accept("http://h.com/x19"));
}

TEST_F(QueueTest, NormalisedForm) {
  ctx.activeProfile.MaxDomains = 100;
  EXPECT_EQ(Accept("http://a.com/page.html%20class=x")->url, "http://a.com/page.html");
  EXPECT_EQ(Accept("http://a.com/my page .html ")->url, "http://a.com/my%20page%20.html");
  EXPECT_EQ(Accept("http://a.com/p.html#top")->url, "http://a.com/p.html");
  EXPECT_EQ(Accept("http://a.com/q.html>text<b>")->url, "http://a.com/q.html");
  EXPECT_EQ(Accept("http://a.com/" + std::string(300, 'x'))->url.size(), 239u);
  // Filtered out: none, nothing added.
  EXPECT_FALSE(Accept("http://a.com/file.zip"));
  EXPECT_EQ(ctx.queue.count(), 5);
  // Nothing enters without a search, nothing past the capacity.
  ctx.run.collecting = false;
  EXPECT_FALSE(Accept("http://b.com/"));
  ctx.run.collecting = true;
  ctx.activeProfile.MaxDomains = 10000;
  for (int i = 0; i < 4100; ++i) Accept("http://b.com/" + std::to_string(i));
  EXPECT_EQ(ctx.queue.count(), 3999);
}

TEST_F(QueueTest, ConcurrentAcceptsKeepOneEntryPerUrl) {
  ctx.activeProfile.MaxDomains = 1000;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([this] {
      for (int i = 0; i < 300; ++i) {
        bool mine = false;
        AcceptUrl(ctx, "http://h" + std::to_string(i % 7) + ".com/" + std::to_string(i), mine, 0,
                  FoundBy::NearbyLink, 1);
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(ctx.queue.count(), 300);
  EXPECT_EQ(ctx.run.AddedCount, 300);
}

// A stop empties the queue, breaks every registered socket at once (waiting
// for nothing) and closes the door to the threads of the stopped phase, also
// once the next phase has begun; an entry a worker holds stays alive.
TEST_F(QueueTest, AStopEmptiesTheQueueBreaksTheSocketsAndShutsOutTheStoppedPhase) {
  ctx.activeProfile.MaxDomains = 10;
  const uint64_t phase = BeginSearchPhase(ctx);
  QueueEntryPtr held = Accept("http://a.com/");
  held->state = kTaken;
  uint16_t port = 0;
  int listener = ListenLoopback(port);
  int fd = CreateTcpSocket();
  ASSERT_TRUE(ConnectIPv4(fd, *ResolveIPv4("127.0.0.1"), port));
  SetSocketTimeouts(fd, 30000);  // a socket left unbroken fails the test, late
  ctx.sockets.RegisterSocket(fd);

  StopAndClearQueue(ctx);
  EXPECT_FALSE(ctx.run.collecting);
  EXPECT_TRUE(ctx.queue.count() == 0 && clock->Sleeps().empty());
  char byte;
  EXPECT_EQ(Receive(fd, &byte, 1).bytes, 0);  // broken: the end of the stream at once
  EXPECT_EQ(ctx.sockets.RegisteredCount(), 0);
  held->state = kDone;  // the worker finishing after the stop writes into a live entry
  EXPECT_EQ(held->url, "http://a.com/");

  BeginSearchPhase(ctx);
  bool stale = true;
  EXPECT_FALSE(AcceptUrl(ctx, "http://b.com/", stale, 0, FoundBy::NearbyLink, 1, phase));
  EXPECT_TRUE(Accept("http://c.com/"));
  EXPECT_EQ(ctx.queue.count(), 1);
  CloseSocket(fd);
  CloseSocket(listener);
}

TEST_F(QueueTest, StatisticsCountByCodeAndListExplorationPagesOnly) {
  EXPECT_EQ(CountQueueByFoundBy(ctx).counts, (std::array<int, kFoundByCount>{}));
  using enum FoundBy;
  const std::tuple<const char*, int, FoundBy> pages[] = {
      {"http://e/1", 1, FromEngine}, {"http://c/1", 0, CacheFallback}, {"http://n/1", 0, NearbyLink},
      {"http://c/2", 2, CacheFallback}, {"http://c/3", 0, CacheFallback}, {"http://f/1", 0, FrameSource}};
  for (const auto& [url, engine, how] : pages) ctx.queue.entries.push_back(std::make_shared<QueueEntry>(url, engine, how, 0));
  EXPECT_EQ(CountQueueByFoundBy(ctx).counts, (std::array<int, kFoundByCount>{0, 0, 1, 0, 0, 1, 3}));
  EXPECT_EQ(QueueUrlsFoundBy(ctx, CacheFallback), (std::vector<std::string>{"http://c/1", "http://c/3"}));
  EXPECT_TRUE(QueueUrlsFoundBy(ctx, FromEngine).empty());
}

}  // namespace
}  // namespace orvi
