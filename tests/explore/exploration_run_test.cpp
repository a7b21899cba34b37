#include "explore/exploration_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <optional>
#include <tuple>

#include "results/catalogue.h"

#include "support/manual_clock.h"
#include "support/recording_ui.h"

namespace orvi {
namespace {

class RunTest : public ::testing::Test {
 protected:
  RunTest() {
    std::tie(ctx.settings.MinConnect, ctx.settings.MaxConnect, ctx.activeProfile.MaxDomains) = std::tuple(6, 14, 1000);
  }
  void Queue(const std::vector<std::string>& urls) {
    BeginSearchPhase(ctx);  // as a harvest does
    for (const std::string& url : urls) {
      bool added;
      ASSERT_TRUE(AcceptUrl(ctx, url, added, 0, FoundBy::NearbyLink, 1));
    }
  }
  int UiSaw(const std::string& call) { return static_cast<int>(std::ranges::count(ui->Calls(), call)); }
  // One timer tick on a new second.
  void Second() {
    clock->Advance(1000);
    OnRunTimer(ctx);
  }

  std::shared_ptr<test::ManualClock> clock = std::make_shared<test::ManualClock>();
  std::shared_ptr<test::RecordingUi> ui = std::make_shared<test::RecordingUi>();
  Context ctx{ContextOptions{.appFolder = "/tmp", .clock = clock, .ui = ui}};
};

TEST_F(RunTest, TheRunListsComeFromTheProfileAndTheSearchText) {
  SearchProfile& p = ctx.activeProfile;
  p.ExtensionCount = 2;
  std::tie(p.Extensions[0], p.Extensions[1]) = std::tuple("MP3", "jpeg");  // as typed in the page analysis dialog
  p.Zip = p.Exe = p.AddExtSais = true;
  p.ExtractAll = p.AjourURL = true;
  p.Slnk = " download , , files,x";
  ctx.SearchText = "my song by a band.ogg";
  ctx.ProfileName = "/Musique/mp3";
  StartExplorationRun(ctx, RunMode::Search);
  const ExplorationRun& run = ctx.run;
  EXPECT_EQ(run.Extensions, (std::vector<std::string>{"mp3", "jpeg", "zip", "exe", "ogg"}));
  EXPECT_EQ(run.NamePrefixes, (std::vector<std::string>{"son", "ban"}));
  EXPECT_EQ(run.BareName, "my song by a band");
  // Systematic mode adds no nearby links; an empty queue starts nothing.
  EXPECT_TRUE(run.ImageMode && !p.AjourURL && run.UrlKeywords.empty() && !run.SchedulerActive);

  p.ExtractAll = false;
  p.AjourURL = true;
  SetThrottle(ctx, 3);
  const uint64_t shown = ctx.run.progress.Copy().run;
  StartExplorationRun(ctx, RunMode::Scan);
  EXPECT_EQ(run.UrlKeywords, (std::vector<std::string>{"download", "files", "x"}));
  const RunProgress now = ctx.run.progress.Copy();  // a new display, the slider back at full speed
  EXPECT_EQ(std::tuple(now.run, now.base, now.sliderPosition), std::tuple(shown + 1, std::optional(0), 20));
}

TEST_F(RunTest, PickingRules) {
  Queue({"http://a.com/engine?q=1", "http://b.com/engine", "http://c.com/found?x", "http://d.com/files/found"});
  ctx.run.BaseCount = 2;
  std::lock_guard lock(ctx.QueueLock);
  auto url = [&] { return PickEntry(ctx)->url; };
  ctx.run.ElapsedSeconds = 1;
  EXPECT_EQ(url(), "http://b.com/engine");  // no query first
  ctx.run.ElapsedSeconds = 5;
  EXPECT_EQ(url(), "http://c.com/found?x");  // every fifth second: the exploration's pages
  ctx.run.ElapsedSeconds = 1;
  ctx.activeProfile.URLKeysFirst = true;
  ctx.run.UrlKeywords = {"files"};
  EXPECT_EQ(url(), "http://d.com/files/found");
  ctx.run.UrlKeywords = {"nothing"};
  ctx.queue.entries[1]->state = kTaken;
  ctx.queue.entries[3]->state = kDone;
  EXPECT_EQ(url(), "http://a.com/engine?q=1");  // only queries left: the first
  for (auto& e : ctx.queue.entries) e->state = kDone;
  EXPECT_EQ(PickEntry(ctx), nullptr);
}

TEST_F(RunTest, TheSchedulerKeepsToTheTargetAndThePause) {
  std::vector<std::string> urls;
  for (int i = 0; i < 20; ++i) urls.push_back("http://h.com/p" + std::to_string(i));
  Queue(urls);
  std::mutex mutex;
  std::condition_variable released;
  bool release = false;
  std::atomic<int> started{0};
  ctx.run.pageWork = [&](QueueEntry&, uint64_t) {
    ++started;
    std::unique_lock lock(mutex);
    released.wait(lock, [&] { return release; });
    return true;
  };
  StartExplorationRun(ctx, RunMode::Search);
  EXPECT_EQ(ctx.run.BaseCount, 20);
  while (started < 6) std::this_thread::yield();
  // The target holds: waiting pages stay waiting while six run.
  for (int i = 0; i < 50; ++i) {
    std::lock_guard lock(ctx.QueueLock);
    EXPECT_LE(ctx.run.InProgress, 6);
  }
  TogglePause(ctx);
  EXPECT_TRUE(ctx.run.Paused && ctx.run.progress.Copy().paused);  // the button reads "Continue"
  {
    std::lock_guard lock(mutex);
    release = true;
  }
  released.notify_all();
  while (ctx.run.FinishedCount < 6) std::this_thread::yield();
  EXPECT_EQ(started, 6);  // paused: nothing new
  TogglePause(ctx);
  while (ctx.run.FinishedCount < 20) std::this_thread::yield();
  ctx.run.collecting = false;
  JoinRunThreads(ctx);
  EXPECT_TRUE(ctx.run.InProgress == 0 && !ctx.run.SchedulerActive);
  for (auto& e : ctx.queue.entries) EXPECT_EQ(e->state, kTaken);  // the fake does not mark them
}

TEST_F(RunTest, TheTimerEndsAnIdleRunAfterElevenSecondsAndFiveIdleOnes) {
  Queue({"http://a.com/", "http://b.com/"});
  ctx.run.SchedulerActive = true;  // as if the scheduler ran
  ctx.run.FinishedCount = 2;
  int seconds = 0;
  while (ctx.run.collecting && seconds < 100) {
    Second();
    ++seconds;
  }
  EXPECT_EQ(seconds, 11 + 5);  // the 11th second is the first idle one; the 6th ends it
  EXPECT_EQ(UiSaw("box ORVI: Recherche termin\xE9" "e"), 1);
  EXPECT_EQ(std::tuple(ctx.run.progress.Copy().elapsed, ctx.run.progress.Copy().progress), std::tuple(16, 100));

  // A single-page analysis ends without the message.
  ui->Clear();
  ctx.queue.entries.pop_back();
  ctx.run.collecting = true;
  ctx.run.ElapsedSeconds = ctx.run.IdleSeconds = 0;
  while (ctx.run.collecting) Second();
  EXPECT_EQ(UiSaw("box ORVI: Recherche termin\xE9" "e"), 0);
}

TEST_F(RunTest, TheRegulatorLeavesRoomForTheProbes) {
  ctx.run.SchedulerActive = ctx.run.collecting = true;
  ctx.run.WaitingCount = 100;
  ctx.run.TargetConnections = 6;
  for (int i = 0; i < 3; ++i) ctx.verification.BeginProbe();
  // Five minutes at 100 K/s teach the regulator what the line can do.
  for (int s = 0; s < 300; ++s) {
    ctx.run.speedRing.Add(100000);
    Second();
  }
  EXPECT_GT(ctx.run.ReferenceSpeed, 50);
  EXPECT_EQ(ctx.run.TargetConnections, 6);  // near the reference: no more connections
  // Then the speed collapses: the target climbs, but never past MaxConnect
  // less the three probes.
  for (int s = 0; s < 300; ++s) {
    ctx.run.speedRing.Add(10);
    Second();
    EXPECT_LE(ctx.run.TargetConnections, 11);
  }
  EXPECT_EQ(ctx.run.TargetConnections, 11);
  TogglePause(ctx);
  EXPECT_EQ(ctx.run.TargetConnections, 6);
}

TEST_F(RunTest, TheAutosavePeriodPostsTheSaveCommand) {
  ctx.settings.Autosave = 5;
  ctx.run.SchedulerActive = ctx.run.collecting = true;
  ctx.run.WaitingCount = 1;  // keeps the run from ending
  for (int s = 1; s <= 600; ++s) {
    Second();
    if (s % 300 == 299 || s % 300 == 0) {
      EXPECT_EQ(UiSaw("post 4010"), s / 300) << s;
    }
  }
}

TEST_F(RunTest, TheCourtesyPauseBrakesAndRestores) {
  ctx.run.collecting = true;
  SetThrottle(ctx, 15);
  EXPECT_EQ(ctx.run.Throttle, 5);
  std::vector<int> braked, slider;  // the brake and the slider during each second of the pause
  clock->onSleep = [&](size_t) {
    braked.push_back(ctx.run.Throttle);
    slider.push_back(ctx.run.progress.Copy().sliderPosition);
  };
  YieldToBrowser(ctx);
  ctx.run.helpers.JoinAll();
  EXPECT_EQ(braked, std::vector<int>(28, 20));  // about 29 s with the brake on
  EXPECT_EQ(slider, std::vector<int>(28, 0));
  EXPECT_EQ(std::tuple(ctx.run.Throttle.load(), ctx.run.progress.Copy().sliderPosition, ctx.run.yieldCount.load()),
            std::tuple(5, 15, 0));
}

// A stop returns while a worker is still busy, and so does the next run's
// start; that worker, when it ends, adds nothing to the new search.
TEST_F(RunTest, AStoppedRunsWorkerAddsNothingToTheNextSearch) {
  Queue({"http://old.com/page"});
  std::mutex mutex;
  std::condition_variable released;
  bool release = false;
  std::atomic<bool> started{false};
  std::atomic<int> accepted{-1}, linked{-1};
  ctx.run.pageWork = [&](QueueEntry& entry, uint64_t generation) {
    if (entry.url != "http://old.com/page") return true;
    started = true;
    std::unique_lock lock(mutex);
    released.wait(lock, [&] { return release; });
    bool added = false;
    accepted = AcceptUrl(ctx, "http://stale.com/", added, 0, FoundBy::NearbyLink, 1, generation) !=
               nullptr;
    linked = AddFoundLink(ctx, ctx.catalogue, "s.zip", "http://stale.com/s.zip", entry.url, false,
                          0, generation);
    return true;
  };
  StartExplorationRun(ctx, RunMode::Search);
  while (!started) std::this_thread::yield();
  StopAndClearQueue(ctx);
  EXPECT_FALSE(ctx.run.SchedulerActive);  // the stop ends the run at once

  Queue({"http://new.com/page"});
  StartExplorationRun(ctx, RunMode::Search);  // nothing waits for the old worker
  EXPECT_TRUE(ctx.run.SchedulerActive);
  {
    std::lock_guard lock(mutex);
    release = true;
  }
  released.notify_all();
  while (accepted < 0 || linked < 0) std::this_thread::yield();
  EXPECT_EQ(accepted + linked, 0);
  {
    std::lock_guard lock(ctx.QueueLock);
    ASSERT_EQ(ctx.queue.count(), 1);
    EXPECT_EQ(ctx.queue.entries[0]->url, "http://new.com/page");
  }
  while (ctx.run.FinishedCount < 1) std::this_thread::yield();
  StopAndClearQueue(ctx);
  JoinRunThreads(ctx);
  EXPECT_EQ(ctx.catalogue.count(), 0);
  EXPECT_EQ(ctx.run.FinishedCount, 1);  // the new run's page only
}

}  // namespace
}  // namespace orvi
