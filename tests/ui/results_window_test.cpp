// The results window over a real catalogue and queue: rows, toggles,
// sorting, the tree and the properties pane, the connections list, the
// commands, the layout rule and the keyboard. The tick is driven by hand.
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>
#include <QSlider>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/context.h"
#include "explore/queue.h"
#include "gui_test_support.h"
#include "results/catalogue.h"
#include "support/temp_dir.h"
#include "ui/browser.h"
#include "ui/common.h"
#include "ui/gui_env.h"
#include "ui/qt_ui_port.h"
#include "ui/results_window.h"

namespace orvi::ui {
namespace {

namespace tid = td;

class ResultsWindowTest : public ::testing::Test {
 protected:
  // The window is never shown: nothing here needs pixels, and painting a
  // large window puts Qt's own fill threads to work.
  ResultsWindowTest() {
    td = std::make_unique<ResultsWindow>(env);
    td->TickTimer().stop();
    Resize(td->DesignSize());
  }
  // A hidden window gets its resize event only when shown: send it now.
  void Resize(QSize size) {
    QSize old = td->size();
    td->resize(size);
    QResizeEvent event(size, old);
    QCoreApplication::sendEvent(td.get(), &event);
  }
  ~ResultsWindowTest() override {
    ctx.run.SchedulerActive = false;
    td.reset();
  }

  // A link into the catalogue; the file it made.
  FoundFile* Add(const std::string& name, const std::string& url, const std::string& page = "http://p/",
                 int series = 0) {
    AddFoundLink(ctx, ctx.catalogue, name, url, page, false, series);
    std::lock_guard lock(ctx.CatalogueLock);
    for (const auto& e : ctx.catalogue.entries) {
      for (FoundFile* f : FilesOf(*e)) {
        if (f->url == url) return f;
      }
    }
    ADD_FAILURE() << "not added: " << url;
    return nullptr;
  }
  void SetHits(const std::vector<int>& hits) {
    std::lock_guard lock(ctx.CatalogueLock);
    for (size_t i = 0; i < hits.size(); ++i) ctx.catalogue.entries[i]->hits = hits[i];
  }
  // The texts of one column, in list order.
  std::vector<std::string> Column(int column = 0) {
    std::vector<std::string> texts;
    QTreeWidget* list = td->FileList();
    for (int i = 0; i < list->topLevelItemCount(); ++i) texts.push_back(FromQt(list->topLevelItem(i)->text(column)));
    return texts;
  }
  void Select(const std::vector<std::string>& keys) {
    td->FileList()->clearSelection();
    for (const std::string& key : keys) {
      auto rows = td->FileList()->findItems(ToQt(key), Qt::MatchExactly);
      ASSERT_EQ(rows.size(), 1) << key;
      rows[0]->setSelected(true);
    }
  }
  std::string Field(int id) { return FromQt(td->Control<QLineEdit>(id)->text()); }
  int TreeItems() {
    int n = 0;
    for (QTreeWidgetItemIterator it(td->FileTree()); *it; ++it) ++n;
    return n;
  }
  void Queue(const std::string& url, int state) {
    std::lock_guard lock(ctx.QueueLock);
    ctx.queue.entries.push_back(std::make_shared<QueueEntry>(url, 1, FoundBy::FromEngine, 0));
    ctx.queue.entries.back()->state = state;
  }
  std::vector<std::string> ConnectionLines() {
    std::vector<std::string> lines;
    for (int i = 0; i < td->ConnectionsList()->count(); ++i) lines.push_back(FromQt(td->ConnectionsList()->item(i)->text()));
    return lines;
  }

  test::TempDir home;
  std::shared_ptr<QtUiPort> port = std::make_shared<QtUiPort>();
  Context ctx{ContextOptions{.appFolder = home.path(), .ui = port}};
  test::RecordingBrowser browser;
  GuiEnv env{ctx, *port, browser, {}, {}};
  std::unique_ptr<ResultsWindow> td;
};

TEST(ListComparators, NumericOnesNeverAnswerEqual) {
  ListRow low, high, same;
  low.hits = low.fileCount = 1;
  low.shownSize = 1;
  high.hits = high.fileCount = 5;
  high.shownSize = 5;
  same = low;
  low.key = same.key = "abc";
  high.key = "ABD";
  struct Case {
    TLwCompare compare;
    const ListRow *a, *b;
    int placeA, placeB;
    bool flag;
    int sign;
  } cases[] = {
      {TLwCompNbHits(), &high, &low, 1, 0, true, -1},   // flag 1: largest first
      {TLwCompNbHits(), &high, &low, 1, 0, false, 1},   // flag 0: the other way
      {TLwCompNbHits(), &low, &same, 0, 1, true, -1},   // equal values: by place, never 0
      {TLwCompNbHits(), &low, &same, 1, 0, true, 1},
      {TLwCompNbHits(), &low, &same, 1, 0, false, 1},
      {TLwCompNbFiles(), &low, &high, 0, 1, true, 1},
      {TLwCompGlobalSize(), &low, &high, 0, 1, false, -1},
      {TLwCompNameFile(), &low, &high, 1, 0, true, -1},   // "abc" before "ABD", case ignored
      {TLwCompNameFile(), &low, &same, 0, 1, true, 0},    // texts may be equal
      {TLwCompExtensFile(), &low, &same, 0, 1, false, 0},
  };
  for (const Case& c : cases) {
    int got = c.compare(*c.a, c.placeA, *c.b, c.placeB, c.flag);
    EXPECT_EQ((got > 0) - (got < 0), c.sign) << static_cast<int>(c.compare.Column()) << " " << c.flag;
  }
}

TEST_F(ResultsWindowTest, TheErrorsCommandHidesErrorsAndBringsThemBackLast) {
  Add("broken.zip", "http://a/broken.zip")->SetState(FileState::Failed);
  Add("good.exe", "http://a/good.exe")->SetState(FileState::Valid);
  Add("setup1.zip", "http://a/setup1.zip", "http://p/", 2);
  Add("setup2.zip", "http://a/setup2.zip", "http://p/", 2);
  Add("@idrive~1", "http://idrive.com/f/1", "http://p/");
  td->Tick();
  EXPECT_EQ(Column(), (std::vector<std::string>{"broken", "good", "setup", "@idrive~1"}));
  EXPECT_EQ(Column(2), (std::vector<std::string>{"1", "1", "2", "?"}));

  td->Commands().Execute(cmd::kShowErrors);
  EXPECT_FALSE(td->showErrors);
  EXPECT_EQ(Column(), (std::vector<std::string>{"good", "setup", "@idrive~1"}));
  EXPECT_FALSE(td->Control<QPushButton>(cmd::kShowErrors)->isChecked());
  td->Commands().Execute(cmd::kShowErrors);
  EXPECT_EQ(Column(), (std::vector<std::string>{"good", "setup", "@idrive~1", "broken"}));

  // The other two toggles are plain flags the view reads (results_view_test).
  td->showSingleFiles = false;
  td->RefreshViews();
  EXPECT_EQ(Column(), (std::vector<std::string>{"setup", "@idrive~1"}));
}

TEST_F(ResultsWindowTest, SizeShowsOnceKnownAndNeverGoesBackToUnknown) {
  FoundFile* file = Add("movie.zip", "http://a/movie.zip");
  td->Tick();
  EXPECT_EQ(Column(4), std::vector<std::string>{"?"});
  file->size = 12345;
  file->SetState(FileState::Valid);
  for (int i = 0; i < 4; ++i) td->Tick();
  EXPECT_EQ(Column(4), std::vector<std::string>{"12.3k"});
  ResetFileForRecheck(ctx, file);  // the size is unknown again while it is checked
  for (int i = 0; i < 4; ++i) td->Tick();
  EXPECT_EQ(Column(4), std::vector<std::string>{"12.3k"});
  file->size = 1234567;
  td->RefreshList();
  EXPECT_EQ(Column(4), std::vector<std::string>{"1234k"});
}

TEST_F(ResultsWindowTest, TwoClicksOnHitsThenNewRowsStayAtTheBottom) {
  for (const char* name : {"a.zip", "b.zip", "c.zip", "d.zip"}) Add(name, std::string("http://h/") + name);
  SetHits({2, 7, 2, 4});
  td->RefreshList();
  QHeaderView* header = td->FileList()->header();
  emit header->sectionClicked(3);
  EXPECT_EQ(Column(), (std::vector<std::string>{"b", "d", "a", "c"}));
  emit header->sectionClicked(3);
  EXPECT_EQ(Column(), (std::vector<std::string>{"a", "c", "d", "b"}));
  Add("e.zip", "http://h/e.zip");
  SetHits({2, 7, 2, 4, 99});
  td->RefreshList();
  EXPECT_EQ(Column().back(), "e");
  // Each column keeps its own direction: the name column starts alphabetical.
  emit header->sectionClicked(0);
  EXPECT_EQ(Column(), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
  emit header->sectionClicked(3);
  EXPECT_EQ(Column().front(), "e");
  // A new search starts every column over.
  td->ResetSortFlags();
  emit header->sectionClicked(0);
  EXPECT_EQ(Column().front(), "a");
}

TEST_F(ResultsWindowTest, TwoRowsEmptyThePaneAndTheTreeComesBackWithinTwoTicks) {
  Add("one.zip", "http://a/one.zip");
  Add("one.zip", "http://b/one.zip", "http://q/");
  Add("two.zip", "http://a/two.zip");
  td->Tick();
  Select({"one"});
  EXPECT_EQ(td->SelectedEntry(), 0);
  EXPECT_EQ(TreeItems(), 3);  // the group and its two copies
  EXPECT_EQ(Field(tid::kFileUrl), "http://a/one.zip");

  Select({"one", "two"});
  EXPECT_EQ(TreeItems(), 0);
  for (int id : {tid::kFileUrl, tid::kPage, tid::kDate, tid::kSize}) EXPECT_EQ(Field(id), "") << id;
  EXPECT_EQ(td->SelectedEntry(), 0);
  td->Tick();
  td->Tick();
  EXPECT_EQ(TreeItems(), 3);
  EXPECT_EQ(FromQt(td->FileTree()->topLevelItem(0)->text(0)), "one.zip");
}

TEST_F(ResultsWindowTest, OneGroupChecksDevelopAndShowsItsFirstFile) {
  FoundFile* only = Add("solo.zip", "http://a/solo.zip", "http://p/solo.html");
  only->size = 2048;
  only->SetDate("Tue, 01 Jan 2002");
  Add("vol1.zip", "http://a/vol1.zip", "http://p/", 2);
  Add("vol2.zip", "http://a/vol2.zip", "http://p/", 2);
  td->RefreshList();
  auto* develop = td->Control<QPushButton>(tid::kDevelop);

  Select({"solo"});
  EXPECT_TRUE(develop->isChecked());
  EXPECT_TRUE(td->FileTree()->topLevelItem(0)->isExpanded());
  EXPECT_EQ(td->SelectedFile(), only);
  EXPECT_EQ(Field(tid::kFileUrl), "http://a/solo.zip");
  EXPECT_EQ(Field(tid::kPage), "http://p/solo.html");
  EXPECT_EQ(Field(tid::kSize), "2,048");
  EXPECT_EQ(Field(tid::kDate), "Tue, 01 Jan 2002");

  Select({"vol"});
  EXPECT_FALSE(develop->isChecked());
  EXPECT_EQ(td->SelectedFile(), nullptr);
  EXPECT_EQ(Field(tid::kFileUrl), "");
  EXPECT_EQ(td->FileTree()->topLevelItemCount(), 2);
  develop->click();
  EXPECT_TRUE(td->FileTree()->topLevelItem(1)->isExpanded());
  develop->click();
  EXPECT_FALSE(td->FileTree()->topLevelItem(0)->isExpanded());
}

TEST_F(ResultsWindowTest, ReferencePageOnlyWhenEveryVolumeCameFromOnePage) {
  Add("same1.zip", "http://a/same1.zip", "http://p/one.html", 2);
  Add("same2.zip", "http://a/same2.zip", "http://p/one.html", 2);
  Add("mix1.zip", "http://a/mix1.zip", "http://p/one.html", 2);
  Add("mix2.zip", "http://a/mix2.zip", "http://p/two.html", 2);
  td->RefreshList();
  auto* reference = td->Control<QPushButton>(tid::kReferencePage);
  EXPECT_FALSE(reference->isEnabled());  // nothing selected
  Select({"same"});
  EXPECT_TRUE(reference->isEnabled());
  Select({"mix"});
  EXPECT_FALSE(reference->isEnabled());
  td->Commands().UpdateButtons();
  EXPECT_FALSE(reference->isEnabled());  // the tick's enabling agrees
  Select({"same"});
  reference->click();
  EXPECT_EQ(browser.opened, std::vector<std::string>{"http://p/one.html"});
}

TEST_F(ResultsWindowTest, ConnectionsListAndTheCacheLine) {
  ctx.engines.GoogleUrl = "http://127.0.0.1:9";
  Queue("http://site/page.html", -1);
  Queue("http://127.0.0.1:9/search?q=cache:Xy1:site.org/a.html+word&hl=en", -1);
  Queue("http://site/waiting.html", 0);
  Queue("x", -1);
  // Only while the scheduler runs does the tick look at the queue.
  td->Tick();
  EXPECT_TRUE(ConnectionLines().empty());
  ctx.run.SchedulerActive = true;
  td->Tick();
  EXPECT_EQ(ConnectionLines(),
            (std::vector<std::string>{"x", "[cache] Xy1:site.org/a.html+word&hl=en", "http://site/page.html"}));

  QListWidget* lines = td->ConnectionsList();
  lines->setCurrentRow(1);
  td->Commands().Execute(tid::kOpenPage);
  EXPECT_EQ(browser.opened, std::vector<std::string>{"http://127.0.0.1:9/search?q=cache:Xy1:site.org/a.html+word&hl=en"});
  lines->setCurrentRow(0);  // shorter than two characters: nothing opens
  td->Commands().Execute(tid::kOpenPage);
  lines->setCurrentRow(2);
  emit lines->itemActivated(lines->item(2));  // a double click opens as the button does
  EXPECT_EQ(browser.opened.back(), "http://site/page.html");
  EXPECT_EQ(browser.opened.size(), 2u);

  {
    std::lock_guard lock(ctx.QueueLock);
    ctx.queue.entries[0]->state = 1;
    ctx.queue.entries[2]->state = -1;
  }
  td->Tick();
  EXPECT_EQ(ConnectionLines(), (std::vector<std::string>{"http://site/waiting.html", "x",
                                                         "[cache] Xy1:site.org/a.html+word&hl=en"}));
  {
    std::lock_guard lock(ctx.QueueLock);
    ctx.queue.entries.clear();
  }
  td->Tick();
  EXPECT_TRUE(ConnectionLines().empty());
}

TEST_F(ResultsWindowTest, DeleteRecheckAndTreeCommands) {
  FoundFile* a1 = Add("a.zip", "http://h1/a.zip");
  FoundFile* a2 = Add("a.zip", "http://h2/a.zip", "http://q/");
  FoundFile* b = Add("b.zip", "http://h1/b.zip");
  Add("c.zip", "http://h1/c.zip");
  for (FoundFile* f : {a1, a2, b}) {
    f->SetState(FileState::Valid);
    f->size = 10;
  }
  td->RefreshList();

  // Revérifier: every file of the selected entries back to Waiting.
  Select({"a", "b"});
  td->Commands().Execute(tid::kRecheck);
  for (FoundFile* f : {a1, a2, b}) EXPECT_EQ(f->State(), FileState::Waiting);

  // The Delete key deletes the selected rows.
  Select({"c"});
  td->FileList()->setFocus();
  QTest::keyClick(td->FileList(), Qt::Key_Delete);
  EXPECT_EQ(Column(), (std::vector<std::string>{"a", "b"}));

  // Tree "Supprimer" on the group item (no file of its own) removes its copies
  // one by one; the emptied entry leaves the list.
  Select({"a"});
  QTreeWidgetItem* group = td->FileTree()->topLevelItem(0);
  td->FileTree()->setCurrentItem(group);
  EXPECT_EQ(td->SelectedFile(), nullptr);
  td->Commands().Execute(tid::kTreeRecheck);
  td->Commands().Execute(tid::kTreeDelete);
  EXPECT_EQ(Column(), (std::vector<std::string>{"b"}));
  EXPECT_EQ(TreeItems(), 0);

  // With one file selected, only it goes; "Développer" stays as it was.
  Select({"b"});
  FoundFile* b2 = Add("b.zip", "http://h2/b.zip", "http://q/");
  td->RefreshTree(false);
  EXPECT_EQ(TreeItems(), 3);
  td->FileTree()->setCurrentItem(td->FileTree()->topLevelItem(0)->child(1));
  EXPECT_EQ(td->SelectedFile(), b2);
  td->Commands().Execute(tid::kTreeDelete);
  EXPECT_EQ(TreeItems(), 2);
  EXPECT_TRUE(td->Control<QPushButton>(tid::kDevelop)->isChecked());
}

TEST_F(ResultsWindowTest, OpenAndCopyButtons) {
  Add("f.zip", "http://a/f.zip", "http://p/f.html");
  Add("g.zip", "ftp://user@a:21/g.zip", "http://p/g.html");
  td->RefreshList();
  // Nothing selected: the buttons that need a file do nothing.
  td->Commands().Execute(tid::kOpenFile);
  td->Commands().Execute(tid::kOpenFilePage);
  EXPECT_TRUE(browser.opened.empty() && browser.shell.empty());

  Select({"f"});
  td->Control<QPushButton>(tid::kOpenFile)->click();
  td->Control<QPushButton>(tid::kOpenFilePage)->click();
  td->Control<QPushButton>(tid::kCopyFile)->click();
  td->Control<QPushButton>(tid::kCopyPage)->click();
  EXPECT_EQ(browser.shell, std::vector<std::string>{"http://a/f.zip"});
  EXPECT_EQ(browser.opened, std::vector<std::string>{"http://p/f.html"});
  EXPECT_EQ(browser.copied, (std::vector<std::string>{"http://a/f.zip", "http://p/f.html"}));
  // An address with a user and a port goes to the browser itself.
  Select({"g"});
  td->Commands().Execute(tid::kOpenFile);
  EXPECT_EQ(browser.opened.back(), "ftp://user@a:21/g.zip");
}

TEST_F(ResultsWindowTest, MenusSliderPauseAndNotice) {
  auto texts = [](QMenu* menu) {
    QStringList seen;
    for (QAction* a : menu->actions()) seen << QStringLiteral("%1 %2").arg(CommandIdOf(a).value_or(-1)).arg(a->text());
    return seen.join(QLatin1Char('|'));
  };
  EXPECT_EQ(texts(td->ListMenu()), QString::fromUtf8("20300 &Supprimer|20301 &Vérifier le lien"));
  EXPECT_EQ(texts(td->TreeMenu()), QString::fromUtf8("20702 Ouvrir le &fichier|20703 &Copier l'URL|"
                                                     "20704 Ouvrir la page &web|6901 &Vérifier ce(s) lien(s)|6900 &Supprimer"));

  auto* slider = td->Control<QSlider>(tid::kSpeedSlider);
  slider->setValue(14);
  EXPECT_EQ(ctx.run.Throttle, 6);
  QTest::keyClick(slider, Qt::Key_End);
  EXPECT_EQ(ctx.run.Throttle, 0);

  // The run's progress shows on the next tick.
  auto* pause = td->Control<QPushButton>(cmd::kPauseContinue);
  for (const char* text : {"Continue", "Pause"}) {
    td->Commands().Execute(cmd::kPauseContinue);
    td->Tick();
    EXPECT_EQ(pause->text(), QString::fromLatin1(text));
  }

  auto* notice = td->Control<QLabel>(tid::kDisconnected);
  EXPECT_TRUE(notice->isHidden());
  EXPECT_EQ(notice->text(), QString::fromUtf8("Déconnecté Attente connexion"));
  ctx.net.DisconnectedShown = true;
  td->Tick();
  EXPECT_FALSE(notice->isHidden());

  ctx.run.progress.Update(
      [](RunProgress& p) { p = {.run = p.run, .waiting = 12, .speed = 23.44, .elapsed = 3725, .sliderPosition = 4}; });
  td->Tick();
  for (auto [id, text] : {std::pair{tid::kWaiting, "12"}, {tid::kSpeed, "23.4"}, {tid::kElapsed, "01:02:05"},
                          {tid::kRemaining, ""}}) {
    EXPECT_EQ(Field(id), text) << id;
  }
  EXPECT_EQ(slider->value(), 4);
  EXPECT_EQ(ctx.run.Throttle, 16);
  ctx.run.progress.Reset();  // a new run clears what the last one showed
  td->Tick();
  EXPECT_EQ(Field(tid::kWaiting), "");
}

TEST_F(ResultsWindowTest, ProportionalLayout) {
  // How much of the growth each control moves (x, y) or stretches (w, h) by.
  const struct Rule {
    int id;
    double fx, fy, fw, fh;
  } rules[] = {{tid::kFileList, 0, 0, 0.5, 0.75}, {tid::kFileTree, 0.5, 0, 0.5, 1},
               {tid::kProgressBar, 0, 0, 1, 0},    {tid::kElapsed, 1, 0, 0, 0},
               {tid::kDelete, 0.5, 0.75, 0, 0},    {cmd::kPauseContinue, 0.5, 1, 0, 0},
               {tid::kFileUrl, 0, 1, 1, 0},        {tid::kCopyFile, 1, 1, 0, 0},
               {tid::kSpeedSlider, 0, 1, 0, 0},    {tid::kConnections, 0, 0.75, 0.5, 0.25},
               {tid::kBase, 0, 1, 0, 0},           {tid::kAnimation, 0, 0, 0, 0}};
  std::vector<QRect> first;
  for (const Rule& r : rules) first.push_back(td->ControlById(r.id)->geometry());
  auto at = [](int v, int delta, double f) { return static_cast<int>(v + delta * f); };
  // Every size is placed from the first rectangles, not from the last ones.
  for (QSize d : {QSize(200, 100), QSize(201, 41), QSize(-3, -2), QSize(0, 0)}) {
    Resize(td->DesignSize() + d);
    for (size_t i = 0; i < std::size(rules); ++i) {
      const Rule& r = rules[i];
      const QRect& b = first[i];
      EXPECT_EQ(td->ControlById(r.id)->geometry(),
                QRect(at(b.x(), d.width(), r.fx), at(b.y(), d.height(), r.fy), at(b.width(), d.width(), r.fw),
                      at(b.height(), d.height(), r.fh)))
          << r.id << " grown by " << d.width() << "x" << d.height();
    }
    EXPECT_EQ(td->FileList()->columnWidth(0), 135 + d.width() / 2) << d.width();
  }
}

// What a user would frown at: controls over each other, texts cut.
TEST_F(ResultsWindowTest, NothingOverlapsAndNoTextIsCut) {
  // The design, the frame's client on an 800 x 600 screen, a large screen.
  for (QSize size : {td->DesignSize(), QSize(760, 536), QSize(1600, 1000)}) {
    Resize(size);
    std::vector<QWidget*> placed;
    for (int id : td->ControlIds()) {
      QWidget* w = td->ControlById(id);
      if (qobject_cast<QGroupBox*>(w) || w->isHidden()) continue;  // frames hold their controls
      placed.push_back(w);
      EXPECT_TRUE(td->rect().contains(w->geometry())) << id;
    }
    for (size_t i = 0; i < placed.size(); ++i) {
      for (size_t j = i + 1; j < placed.size(); ++j) {
        EXPECT_FALSE(placed[i]->geometry().intersects(placed[j]->geometry()))
            << placed[i]->objectName().toStdString() << " over " << placed[j]->objectName().toStdString();
      }
    }
    for (int id : td->ControlIds()) {
      QWidget* w = td->ControlById(id);
      if (auto* label = qobject_cast<QLabel*>(w); label && !label->text().isEmpty()) {
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width()) << id;
        EXPECT_LE(label->fontMetrics().height(), label->height() + 1) << id;
      } else if (auto* button = qobject_cast<QPushButton*>(w)) {
        QString text = button->text().remove(QLatin1Char('&'));
        EXPECT_LE(button->fontMetrics().horizontalAdvance(text) + 4, button->width()) << id;
      } else if (auto* box = qobject_cast<QGroupBox*>(w)) {
        EXPECT_LE(box->fontMetrics().horizontalAdvance(box->title()) + 10, box->width()) << id;
      }
    }
  }
}

TEST_F(ResultsWindowTest, KeyboardOrderAndUse) {
  // The keyboard order follows the control table: the list first, then the tree.
  QWidget* list = td->FileList();
  QWidget* next = list->nextInFocusChain();
  while (list->isAncestorOf(next) || !(next->focusPolicy() & Qt::TabFocus)) next = next->nextInFocusChain();
  EXPECT_EQ(next, td->FileTree());
  Add("k.zip", "http://a/k.zip", "http://p/k.html");
  Add("l.zip", "http://a/l.zip");
  td->RefreshList();
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Home);
  EXPECT_EQ(td->SelectedEntry(), 0);
  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_EQ(td->SelectedEntry(), 1);
  QTest::keyClick(list, Qt::Key_Up);
  EXPECT_EQ(Field(tid::kFileUrl), "http://a/k.zip");
  // In the tree, Return opens the file.
  QTreeWidget* tree = td->FileTree();
  tree->setFocus();
  tree->setCurrentItem(tree->topLevelItem(0)->child(0));
  QTest::keyClick(tree, Qt::Key_Return);
  EXPECT_EQ(browser.shell, std::vector<std::string>{"http://a/k.zip"});
}

TEST_F(ResultsWindowTest, ClearedCatalogueLeavesNoRowOrFileBehind) {
  Add("gone.zip", "http://a/gone.zip");
  td->RefreshList();
  Select({"gone"});
  ASSERT_NE(td->SelectedFile(), nullptr);
  {
    // What a load or a new search does to the entries under the window.
    std::lock_guard lock(ctx.CatalogueLock);
    ctx.catalogue.entries.clear();
  }
  Add("new.zip", "http://a/new.zip");
  td->Tick();
  EXPECT_EQ(Column(), std::vector<std::string>{"new"});
  EXPECT_EQ(td->SelectedFile(), nullptr);
  EXPECT_EQ(TreeItems(), 0);
  EXPECT_EQ(Field(tid::kFileUrl), "");

  // A page analysis clears the catalogue and deletes the rows, with no
  // refresh of the views after: the tree and the selected file go too.
  Select({"new"});
  ASSERT_NE(td->SelectedFile(), nullptr);
  td->ClearFileList();
  {
    std::lock_guard lock(ctx.CatalogueLock);
    ctx.catalogue.entries.clear();
  }
  EXPECT_EQ(td->SelectedFile(), nullptr);
  EXPECT_EQ(TreeItems(), 0);
  td->Commands().Execute(tid::kOpenFile);
  td->Commands().Execute(tid::kTreeRecheck);
  for (int i = 0; i < 4; ++i) td->Tick();
  EXPECT_TRUE(browser.shell.empty());
  EXPECT_TRUE(Column().empty());
}

}  // namespace
}  // namespace orvi::ui
