#include "ui/statistics_dialog.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include "core/commands.h"
#include "explore/queue.h"
#include "frame_fixture.h"

namespace orvi::test {
namespace {

using ui::StatisticsDialog;

class StatisticsTest : public FrameFixture {
 protected:
  void SetUp() override {
    MakeFrame();
    dialog = std::make_unique<StatisticsDialog>(*env);
  }
  void TearDown() override {
    dialog.reset();
    FrameFixture::TearDown();
  }
  void Add(const std::string& url, int engine, FoundBy how) {
    std::lock_guard lock(ctx->QueueLock);
    ctx->queue.entries.push_back(std::make_shared<QueueEntry>(url, engine, how, 1));
  }
  std::vector<int> Counts() {
    std::vector<int> counts;
    for (int i = 0; i < 6; ++i) {
      counts.push_back(dialog->Control<QLineEdit>(StatisticsDialog::kFirstCount + i)->text().toInt());
    }
    return counts;
  }
  QStringList Listed(int choice) {
    dialog->Control<QRadioButton>(choice)->click();
    QStringList rows;
    auto* list = dialog->Control<QListWidget>(StatisticsDialog::kList);
    for (int i = 0; i < list->count(); ++i) rows << list->item(i)->text();
    return rows;
  }
  std::unique_ptr<StatisticsDialog> dialog;
};

// What is counted is statistics_test's; here, when the dialog shows it.
TEST_F(StatisticsTest, CountsFollowTheQueueAndTheListOnlyAClick) {
  EXPECT_EQ(dialog->parent(), nullptr);
  for (int i = 0; i < 6; ++i) {
    EXPECT_FALSE(dialog->Control<QRadioButton>(StatisticsDialog::kFirstChoice + i)->isChecked());
  }
  EXPECT_TRUE(dialog->Timer().isActive());
  Add("http://engine.test/a", 1, FoundBy::FromEngine);
  Add("http://z.test/cache1", 0, FoundBy::CacheFallback);
  Add("http://r.test/", 0, FoundBy::ScriptRedirect);
  Add("http://z.test/cache-of-engine", 2, FoundBy::CacheFallback);
  Add("http://a.test/cache2", 0, FoundBy::CacheFallback);
  EXPECT_EQ(Counts(), std::vector<int>(6, 0));  // until the next refresh
  dialog->RefreshCounts();
  EXPECT_EQ(Counts(), (std::vector<int>{1, 0, 0, 0, 0, 3}));
  EXPECT_EQ(Listed(StatisticsDialog::kFirstChoice + 5), (QStringList{"http://z.test/cache1", "http://a.test/cache2"}));
  EXPECT_EQ(Listed(StatisticsDialog::kFirstChoice + 0), QStringList{"http://r.test/"});
  // The run goes on: counts change at the next refresh, the list stays as it was.
  Add("http://r.test/2", 0, FoundBy::ScriptRedirect);
  dialog->RefreshCounts();
  EXPECT_EQ(Counts(), (std::vector<int>{2, 0, 0, 0, 0, 3}));
  EXPECT_EQ(dialog->Control<QListWidget>(StatisticsDialog::kList)->count(), 1);
  StopAndClearQueue(*ctx);  // a stop empties the queue: everything falls to 0
  dialog->RefreshCounts();
  EXPECT_EQ(Counts(), std::vector<int>(6, 0));
}

TEST_F(StatisticsTest, SeveralCopiesFromTheCommandAndFermerCloses) {
  Commands().Execute(cmd::kStatistics);
  Commands().Execute(cmd::kStatistics);
  QList<StatisticsDialog*> open;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* s = dynamic_cast<StatisticsDialog*>(w); s && s != dialog.get() && s->isVisible()) open << s;
  }
  ASSERT_EQ(open.size(), 2);
  for (StatisticsDialog* s : open) {
    QPointer<StatisticsDialog> watched(s);
    s->Control<QPushButton>(StatisticsDialog::kClose)->click();
    EXPECT_TRUE(PumpUntil([&] { return watched.isNull(); }));
  }
}

}  // namespace
}  // namespace orvi::test
