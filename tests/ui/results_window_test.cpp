// The results window over a real catalogue and queue (the rows are
// results_view_test's); the tick is driven by hand.
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QResizeEvent>
#include <QMenu>
#include <QSlider>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "explore/queue.h"
#include "gui_test_support.h"
#include "results/catalogue.h"
#include "ui/common.h"

namespace orvi::ui {
namespace {

using Texts = std::vector<std::string>;

class ResultsWindowTest : public ::testing::Test {
 protected:
  // Never shown: nothing here needs pixels, and painting a large window puts
  // Qt's own fill threads to work.
  ResultsWindowTest() {
    w->TickTimer().stop();
    Resize(w->DesignSize());
  }
  ~ResultsWindowTest() override { ctx.run.SchedulerActive = false; }
  // A hidden window gets its resize event only when shown: send it now.
  void Resize(QSize size) {
    QResizeEvent event(size, w->size());
    w->resize(size);
    QCoreApplication::sendEvent(w.get(), &event);
  }
  // A link into the catalogue.
  void Add(const std::string& name, const std::string& url, const std::string& page = "http://p/", int series = 0) {
    AddFoundLink(ctx, ctx.catalogue, name, url, page, false, series);
  }
  Texts Column() {
    Texts texts;
    for (int i = 0; i < w->FileList()->topLevelItemCount(); ++i) {
      texts.push_back(FromQt(w->FileList()->topLevelItem(i)->text(0)));
    }
    return texts;
  }
  void Select(const Texts& keys) {
    w->FileList()->clearSelection();
    for (const std::string& key : keys) w->FileList()->findItems(ToQt(key), Qt::MatchExactly).at(0)->setSelected(true);
  }
  std::string Field(int id) { return FromQt(w->Control<QLineEdit>(id)->text()); }
  int TreeItems() {
    int n = 0;
    for (QTreeWidgetItemIterator it(w->FileTree()); *it; ++it) ++n;
    return n;
  }
  void Run(int id) { w->Commands().Execute(id); }

  test::TempDir home;
  std::shared_ptr<QtUiPort> port = std::make_shared<QtUiPort>();
  Context ctx{ContextOptions{.appFolder = home.path(), .ui = port}};
  test::RecordingBrowser browser;
  GuiEnv env{ctx, *port, browser, {}, {}};
  std::unique_ptr<ResultsWindow> w = std::make_unique<ResultsWindow>(env);
};

TEST_F(ResultsWindowTest, SelectionFillsThePaneAndDevelop) {
  Add("solo.zip", "http://a/solo.zip", "http://p/solo.html");
  Add("vol1.zip", "http://a/vol1.zip", "http://p/one.html", 2);
  Add("vol2.zip", "http://a/vol2.zip", "http://p/one.html", 2);
  Add("vol1.zip", "http://b/vol1.zip", "http://q/", 2);
  Add("mix1.zip", "http://a/mix1.zip", "http://p/one.html", 2);
  Add("mix2.zip", "http://a/mix2.zip", "http://p/two.html", 2);
  w->RefreshList();
  auto* develop = w->Control<QPushButton>(td::kDevelop);
  auto* reference = w->Control<QPushButton>(td::kReferencePage);
  // One group: "Développer" checked, its file in the pane.
  Select({"solo"});
  EXPECT_TRUE(develop->isChecked());
  EXPECT_EQ(Field(td::kFileUrl) + " " + Field(td::kPage), "http://a/solo.zip http://p/solo.html");
  // The reference page only for volumes of one page.
  Select({"vol"});
  EXPECT_TRUE(!develop->isChecked() && w->SelectedFile() == nullptr && reference->isEnabled());
  reference->click();
  EXPECT_EQ(browser.opened, Texts{"http://p/one.html"});
  browser.works = false;
  QString said;
  test::AnswerBox(&said);
  reference->click();
  ASSERT_TRUE(test::PumpUntil([&] { return !said.isEmpty(); }));
  EXPECT_EQ(said, QString::fromUtf8("Aucun navigateur n'a pu être lancé pour ouvrir http://p/one.html"));
  Select({"mix"});  // volumes from two pages
  w->Commands().UpdateButtons();  // the tick's enabling agrees
  EXPECT_FALSE(reference->isEnabled());
  // The filter box: the list follows each keystroke; Escape shows every row again.
  auto* filter = w->Control<QLineEdit>(td::kFilter);
  QTest::keyClicks(filter, "VO");
  EXPECT_EQ(Column(), Texts{"vol"});
  QTest::keyClick(filter, Qt::Key_Escape);
  EXPECT_EQ(Column(), (Texts{"vol", "solo", "mix"}));
  // A sort keeps the chosen entries chosen.
  Select({"solo", "mix"});
  w->SortByColumn(0);
  Run(td::kDelete);
  EXPECT_EQ(Column(), (Texts{"vol"}));
}

TEST_F(ResultsWindowTest, ShiftF10AndTheMenuKeyOpenTheListsMenuUnderTheChosenRow) {
  for (const char* name : {"a.zip", "b.zip", "c.zip"}) Add(name, std::string("http://a/") + name);
  w->RefreshList();
  Select({"c"});
  QTreeWidget* list = w->FileList();
  const QPoint under = list->viewport()->mapToGlobal(list->visualItemRect(list->topLevelItem(2)).bottomLeft());
  QTest::keyClick(list, Qt::Key_F10, Qt::ShiftModifier);
  EXPECT_TRUE(w->ListMenu()->isVisible() && w->ListMenu()->pos() == under);
  w->ListMenu()->hide();
  QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(0, 0), QPoint(0, 0));  // the mouse, say
  QCoreApplication::sendEvent(list, &menuKey);
  EXPECT_TRUE(w->ListMenu()->isVisible() && w->ListMenu()->pos() == under);
  w->ListMenu()->hide();
}

TEST_F(ResultsWindowTest, ConnectionsListAndTheCacheLine) {
  ctx.engines.GoogleUrl = "http://127.0.0.1:9";
  const std::string cache = "http://127.0.0.1:9/search?q=cache:Xy1:site.org/a.html+word&hl=en";
  for (auto [url, state] : {std::pair{"http://site/page.html", -1}, {cache.c_str(), -1}, {"http://site/w.html", 0}}) {
    ctx.queue.entries.push_back(std::make_shared<QueueEntry>(url, 1, FoundBy::FromEngine, 0));
    ctx.queue.entries.back()->state = state;
  }
  QListWidget* list = w->ConnectionsList();
  auto lines = [&] {
    Texts texts;
    for (int i = 0; i < list->count(); ++i) texts.push_back(FromQt(list->item(i)->text()));
    return texts;
  };
  w->Tick();
  EXPECT_TRUE(lines().empty());  // only while the scheduler runs
  ctx.run.SchedulerActive = true;
  w->Tick();
  EXPECT_EQ(lines(), (Texts{"[cache] Xy1:site.org/a.html+word&hl=en", "http://site/page.html"}));
  list->setCurrentRow(0);
  Run(td::kOpenPage);
  EXPECT_EQ(browser.opened, Texts{cache});
  // The chosen line's page is done: no other line becomes the chosen one.
  ctx.queue.entries[1]->state = 0;
  w->Tick();
  Run(td::kOpenPage);
  EXPECT_TRUE(lines() == Texts{"http://site/page.html"} && browser.opened.size() == 1);
}

// The slider's brake is the run's (exploration_run_test): here, that the window follows it.
TEST_F(ResultsWindowTest, TheRunsProgressAndItsSlider) {
  auto* slider = w->Control<QSlider>(td::kSpeedSlider);
  auto* notice = w->Control<QLabel>(td::kDisconnected);
  EXPECT_TRUE(notice->isHidden());
  ctx.net.DisconnectedShown = true;
  ctx.run.progress.Update(
      [](RunProgress& p) { p = {.run = p.run, .waiting = 12, .speed = 23.44, .elapsed = 3725, .sliderPosition = 4}; });
  w->Tick();
  EXPECT_FALSE(notice->isHidden());
  EXPECT_EQ(Field(td::kWaiting) + "|" + Field(td::kSpeed) + "|" + Field(td::kElapsed) + "|" + Field(td::kRemaining),
            "12|23.4|01:02:05|");
  EXPECT_TRUE(slider->value() == 4 && ctx.run.Throttle == 16);
  ctx.run.progress.Reset();  // a new run clears what the last one showed
  w->Tick();
  EXPECT_EQ(Field(td::kWaiting), "");
}

// Every size is placed from the first rectangles, so that no rounding piles
// up as the window is resized again and again; and at the design, the frame's
// client on an 800 x 600 screen and a large screen, nothing overlaps and no
// text is cut.
TEST_F(ResultsWindowTest, EverySizeIsPlacedFromTheDesignWithNothingOverlappedOrCut) {
  auto places = [&] {
    std::vector<QRect> rects;
    for (int id : w->ControlIds()) rects.push_back(w->ControlById(id)->geometry());
    return rects;
  };
  const std::vector<QRect> design = places();
  Resize(w->DesignSize() + QSize(201, 41));
  const std::vector<QRect> grown = places();
  EXPECT_NE(grown, design);
  EXPECT_EQ(w->FileList()->columnWidth(0), 135 + 201 / 2);
  for (QSize d : {QSize(3, 7), QSize(-3, -2), QSize(1, 1), QSize(201, 41)}) Resize(w->DesignSize() + d);
  EXPECT_EQ(places(), grown);
  Resize(w->DesignSize());
  EXPECT_EQ(places(), design);
  EXPECT_EQ(w->FileList()->columnWidth(0), 135);

  for (QSize size : {w->DesignSize(), QSize(760, 536), QSize(1600, 1000)}) {
    Resize(size);
    SCOPED_TRACE(size.width());
    test::ExpectNothingOverlappedOrCut(*w, *w);
  }
}

TEST_F(ResultsWindowTest, ClearedCatalogueLeavesNoRowOrFileBehind) {
  Add("gone.zip", "http://a/gone.zip");
  w->RefreshList();
  Select({"gone"});
  ASSERT_NE(w->SelectedFile(), nullptr);
  ctx.catalogue.entries.clear();  // what a load or a new search does under the window
  Add("new.zip", "http://a/new.zip");
  w->Tick();
  EXPECT_EQ(Column(), Texts{"new"});
  EXPECT_TRUE(w->SelectedFile() == nullptr && TreeItems() == 0 && Field(td::kFileUrl).empty());

  // A page analysis clears the catalogue and deletes the rows, with no
  // refresh of the views after: the tree and the selected file go too.
  Select({"new"});
  w->ClearFileList();
  ctx.catalogue.entries.clear();
  EXPECT_TRUE(w->SelectedFile() == nullptr && TreeItems() == 0);
  Run(td::kOpenFile);
  Run(td::kTreeRecheck);
  for (int i = 0; i < 4; ++i) w->Tick();
  EXPECT_TRUE(browser.shell.empty() && Column().empty());
}

}  // namespace
}  // namespace orvi::ui
