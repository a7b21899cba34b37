#include "explore/statistics.h"

#include <gtest/gtest.h>

#include "explore/queue.h"

namespace orvi {
namespace {

TEST(StatisticsTest, CountsByCodeAndListsExplorationPagesOnly) {
  Context ctx{ContextOptions{.appFolder = "/tmp"}};
  EXPECT_EQ(CountQueueByFoundBy(ctx).counts, (std::array<int, kFoundByCount>{}));
  struct {
    const char* url;
    int engine;
    FoundBy how;
  } pages[] = {{"http://e/1", 1, FoundBy::FromEngine},  {"http://c/1", 0, FoundBy::CacheFallback},
               {"http://n/1", 0, FoundBy::NearbyLink},  {"http://c/2", 2, FoundBy::CacheFallback},
               {"http://c/3", 0, FoundBy::CacheFallback}, {"http://f/1", 0, FoundBy::FrameSource}};
  for (const auto& p : pages) {
    ctx.queue.entries.push_back(std::make_shared<QueueEntry>(p.url, p.engine, p.how, 0));
  }
  FoundByCounts counts = CountQueueByFoundBy(ctx);
  EXPECT_EQ(counts.counts, (std::array<int, kFoundByCount>{0, 0, 1, 0, 0, 1, 3}));
  EXPECT_EQ(QueueUrlsFoundBy(ctx, FoundBy::CacheFallback),
            (std::vector<std::string>{"http://c/1", "http://c/3"}));
  EXPECT_TRUE(QueueUrlsFoundBy(ctx, FoundBy::FromEngine).empty());
}

}  // namespace
}  // namespace orvi
