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

TEST_F(StatisticsTest, CountsFollowTheQueueAndTheListOnlyAClick) {
  // Before any search: no choice made, nothing counted or listed.
  EXPECT_EQ(dialog->windowTitle(), "Statistiques recherche en cours");
  EXPECT_EQ(dialog->parent(), nullptr);
  EXPECT_EQ(Counts(), std::vector<int>(6, 0));
  for (int i = 0; i < 6; ++i) {
    EXPECT_FALSE(dialog->Control<QRadioButton>(StatisticsDialog::kFirstChoice + i)->isChecked());
  }
  for (int i = 0; i < 6; ++i) EXPECT_TRUE(Listed(StatisticsDialog::kFirstChoice + i).isEmpty()) << i;
  EXPECT_TRUE(dialog->Timer().isActive());

  Add("http://engine.test/a", 1, FoundBy::FromEngine);
  Add("http://base.test/", 0, FoundBy::FromEngine);
  Add("http://z.test/cache1", 0, FoundBy::CacheFallback);
  Add("http://r.test/", 0, FoundBy::ScriptRedirect);
  Add("http://z.test/cache-of-engine", 2, FoundBy::CacheFallback);
  Add("http://a.test/cache2", 0, FoundBy::CacheFallback);
  Add("http://n.test/", 0, FoundBy::NearbyLink);
  dialog->RefreshCounts();
  // FoundBy 0 never counts; the count takes engine entries too, the list does not.
  EXPECT_EQ(Counts(), (std::vector<int>{1, 0, 0, 0, 1, 3}));
  // Queue order, unsorted, only the chosen code.
  EXPECT_EQ(Listed(StatisticsDialog::kFirstChoice + 5),
            (QStringList{"http://z.test/cache1", "http://a.test/cache2"}));
  EXPECT_EQ(Listed(StatisticsDialog::kFirstChoice + 0), QStringList{"http://r.test/"});
  EXPECT_EQ(Listed(StatisticsDialog::kFirstChoice + 4), QStringList{"http://n.test/"});

  // The run goes on: counts change at the next refresh, the list stays as it was.
  Add("http://f.test/frame", 0, FoundBy::FrameSource);
  Add("http://n.test/2", 0, FoundBy::NearbyLink);
  dialog->RefreshCounts();
  EXPECT_EQ(Counts(), (std::vector<int>{1, 1, 0, 0, 2, 3}));
  EXPECT_EQ(dialog->Control<QListWidget>(StatisticsDialog::kList)->count(), 1);

  // A stop empties the queue: everything falls to 0.
  StopAndClearQueue(*ctx);
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
