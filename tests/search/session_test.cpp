#include "search/session.h"

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <tuple>
#include <utility>

#include "core/commands.h"
#include "explore/queue.h"
#include "support/temp_dir.h"

namespace orvi {
namespace {

// Answers every question with a chosen button and keeps what was asked.
class AnsweringUi final : public UiPort {
 public:
  MsgAnswer answer = MsgAnswer::No;
  std::vector<MessageSpec> asked;
  std::string title;

  void PostCommand(int) override {}
  void MessageBox(const MessageSpec&) override {}
  MsgAnswer Ask(const MessageSpec& box) override {
    Locked([&] { asked.push_back(box); });
    return answer;
  }
  void SetTitle(const std::string& text) override { Locked([&] { title = text; }); }

 private:
  void Locked(const std::function<void()>& change) {
    std::lock_guard lock(mutex_);
    change();
  }
  std::mutex mutex_;
};

class SessionTest : public ::testing::Test {
 protected:
  void QueuePages(int n) {
    std::lock_guard lock(ctx.QueueLock);
    for (int i = 0; i < n; ++i) {
      ctx.queue.entries.push_back(std::make_shared<QueueEntry>(
          "http://h" + std::to_string(i) + "/", 0, FoundBy::FromEngine, 0));
    }
  }

  test::TempDir dir;
  std::shared_ptr<AnsweringUi> ui = std::make_shared<AnsweringUi>();
  Context ctx{ContextOptions{.appFolder = dir.path(), .ui = ui}};
};

TEST_F(SessionTest, NoToTheStopQuestionKeepsTheRunningSearch) {
  QueuePages(2);
  ctx.run.collecting = true;
  bool prepared = false;
  auto prepare = [&](Context&) { return prepared = true; };

  EXPECT_EQ(NewSearch(ctx, SessionMode::Search, prepare), StartOutcome::StillRunning);
  EXPECT_TRUE(!prepared && ctx.run.collecting && ctx.queue.count() == 2);
  EXPECT_EQ(ui->asked.size(), 1u);
  // The question's text and the Yes that stops are the main window test's.
}

TEST_F(SessionTest, ACancelledPreparationChangesNothingAndNoPageStartsNothing) {
  QueuePages(1);
  EXPECT_EQ(NewSearch(ctx, SessionMode::Search, [](Context&) { return false; }),
            StartOutcome::Cancelled);
  EXPECT_EQ(ui->title, "");
  EXPECT_EQ(ctx.queue.count(), 1);

  // A preparation that leaves no page: reset and titled, nothing started.
  EXPECT_EQ(NewSearch(ctx, SessionMode::Search,
                      [](Context& c) {
                        c.queue.entries.clear();
                        c.ProfileName = "/Musique/mp3";
                        c.SearchText = "x";
                        return true;
                      }),
            StartOutcome::NoBasePage);
  EXPECT_EQ(ui->title, "/Musique/mp3 -> x");
  EXPECT_FALSE(ctx.run.SchedulerActive);
}

// The frame enables its menu items by these rules.
TEST_F(SessionTest, MenuCommandsFollowTheirEnablingRules) {
  const std::tuple<int, bool, bool> rules[] = {  // enabled while idle, while running
      {cmd::kSaveResults, false, false}, {cmd::kLoadResults, true, false},   {cmd::kResumeSearch, true, false},
      {cmd::kAnalysePage, true, false},  {cmd::kStopSearch, false, true},    {cmd::kSaveSearchState, false, true},
      {cmd::kPauseContinue, false, true}, {4003, true, true},          {cmd::kExportLinks, false, false}};
  for (const auto& [id, idle, running] : rules) {
    ctx.run.collecting = false;
    const bool enabledIdle = SessionCommandEnabled(ctx, id);
    ctx.run.collecting = true;
    EXPECT_EQ(std::pair(enabledIdle, SessionCommandEnabled(ctx, id)), std::pair(idle, running)) << id;
  }
}

}  // namespace
}  // namespace orvi
