// The frame: title, menu, sizes, start window, stop confirmation and the
// main commands over a real core.
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>

#include <filesystem>
#include <thread>

#include "core/commands.h"
#include "explore/queue.h"
#include "frame_fixture.h"
#include "results/results_file.h"
#include "ui/scan_dialog.h"

namespace orvi::test {
namespace {

using ui::InitialFrameSize;

class FrameTest : public FrameFixture {};

TEST_F(FrameTest, SizedFromTheInjectedScreenWithItsTitleAndMenu) {
  struct Case {
    QSize screen, frame;
  } cases[] = {
      {{800, 600}, {760, 560}},
      {{801, 600}, {761, 560}},     // 801 is not wider than 801
      {{802, 600}, {665, 464}},     // 0.88 x 802 = 705.76, 0.84 x 600 = 504
      {{1024, 768}, {861, 605}},
      {{1600, 1000}, {1368, 800}},
  };
  for (const Case& c : cases) EXPECT_EQ(InitialFrameSize(c.screen), c.frame) << c.screen.width();
  for (QSize screen : {QSize(800, 600), QSize(1024, 768)}) {
    MakeFrame("", screen);
    EXPECT_EQ(frame->size(), InitialFrameSize(screen));
    EXPECT_EQ(frame->pos(), QPoint(0, 0));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Orvilane v0.41"));
    EXPECT_FALSE(frame->windowIcon().isNull());
  }
  QStringList seen;
  for (QAction* top : frame->menuBar()->actions()) {
    seen << top->text();
    for (QAction* a : top->menu()->actions()) {
      seen << (a->isSeparator() ? QStringLiteral("-")
                                : QStringLiteral("%1 %2").arg(ui::CommandIdOf(a).value_or(-1)).arg(a->text()));
    }
  }
  QStringList expected = QString::fromUtf8(
      "&Fichier|4005 &Sauvegarder les résultats trouvés|4006 &Charger une sauvegarde|-|"
      "4012 &Analyser une page Web ...|-|4003 Options ...|-|4002 &Quitter|"
      "&Recherche|4000 &Nouvelle recherche|4004 &Arrêter la recherche en cours|-|"
      "4010 &Sauvegarder l'état de la recherche|4011 &Charger la derniere sauvegarde|-|"
      "20254 S&tatistiques ...|6888 &Editeur de profils ...|"
      "&Afficher|20900 &Liens en erreur|4008 &Dossiers serveurs|4009 &Fichiers unitaires|"
      "&Aide|7000 &Aide|-|4001 A &propos ...").split(QLatin1Char('|'));
  EXPECT_EQ(seen, expected);
}

TEST_F(FrameTest, EnablingAndCheckRules) {
  MakeFrame();
  struct Rule {
    int id;
    bool idle, running;
  } rules[] = {
      {4005, false, false},  // empty catalogue either way
      {4006, true, false}, {4011, true, false}, {4012, true, false},
      {4004, false, true}, {4010, false, true}, {20501, false, true},
      {4000, true, true}, {4002, true, true}, {20900, true, true},
  };
  for (bool running : {false, true}) {
    ctx->run.collecting = running;
    for (const Rule& r : rules) {
      EXPECT_EQ(Commands().IsEnabled(r.id), running ? r.running : r.idle) << r.id << " running " << running;
      if (QAction* a = MenuItem(r.id)) {
        EXPECT_EQ(a->isEnabled(), running ? r.running : r.idle) << r.id;
      }
    }
  }
  ctx->run.collecting = false;
  {
    std::lock_guard lock(ctx->CatalogueLock);
    ctx->catalogue.entries.push_back(std::make_shared<FoundEntry>());
  }
  EXPECT_TRUE(MenuItem(4005)->isEnabled());

  ui::ResultsWindow& td = frame->Results();
  for (auto [id, toggle] : {std::pair{4008, &td.showServerFolders}, std::pair{4009, &td.showSingleFiles},
                            std::pair{20900, &td.showErrors}}) {
    EXPECT_TRUE(MenuItem(id)->isChecked());
    MenuItem(id)->trigger();
    EXPECT_FALSE(*toggle) << id;
    EXPECT_FALSE(MenuItem(id)->isChecked());
    Commands().Execute(id);
    EXPECT_TRUE(MenuItem(id)->isChecked());
  }
}

TEST_F(FrameTest, StartWindowPostsItsCommand) {
  struct Case {
    int setting;
    std::vector<int> posted;
  } cases[] = {{0, {}}, {1, {4000}}, {2, {4012}}, {7, {4012}}};
  for (const Case& c : cases) {
    MakeFrame("StartWindow=" + std::to_string(c.setting) + "\r\n");
    std::vector<int> posted;
    for (int id : {4000, 4012}) Commands().Add(id, [&posted, id] { posted.push_back(id); });
    frame->PostStartWindow();
    EXPECT_TRUE(posted.empty());  // posted, not run on the spot
    PumpEvents();
    EXPECT_EQ(posted, c.posted) << c.setting;
  }
}

// A running search as the stop confirmation sees it: the collecting flag and
// a queue, without threads.
TEST_F(FrameTest, StopConfirmationOnlyYesStops) {
  MakeFrame();
  ctx->SearchText = "setup";
  for (const char* answer : {"Non", "Oui"}) {
    ctx->run.collecting = true;
    ctx->queue.entries.assign(3, std::make_shared<QueueEntry>("http://a/", 0, FoundBy::FromEngine, 0));
    QString shown;
    WhenModal([&](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(box->icon(), QMessageBox::Question);
      EXPECT_EQ(box->windowTitle(), QStringLiteral("ORVI"));
      EXPECT_EQ(box->defaultButton()->text(), QStringLiteral("&Non"));
      shown = box->text();
      ClickButton(box, QString::fromLatin1(answer));
    });
    Commands().Execute(cmd::kStopSearch);
    EXPECT_EQ(shown, QString::fromUtf8("Arrêter la recherche de \"setup\" ?"));
    const bool yes = std::string(answer) == "Oui";
    EXPECT_EQ(ctx->run.collecting.load(), !yes);
    EXPECT_EQ(ctx->queue.count(), yes ? 0 : 3);
  }
}

// A page analysis is a search of its own: the text of the search before it is
// gone, so the stop question (and the saved state) names no old search.
TEST_F(FrameTest, APageAnalysisForgetsTheLastSearchText) {
  MakeFrame();
  ctx->SearchText = "mozart";
  ctx->run.pageWork = [](QueueEntry&, uint64_t) { return true; };
  WhenModal([](QWidget* modal) {
    auto* dialog = dynamic_cast<ui::ScanDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    dialog->Control<QLineEdit>(ui::ScanDialog::kAddress)->setText(QStringLiteral("http://127.0.0.1:9/p.html"));
    dialog->accept();
  });
  Commands().Execute(cmd::kAnalysePage);
  ASSERT_TRUE(ctx->run.SchedulerActive);
  QString asked;
  WhenModal([&](QWidget* modal) {
    asked = qobject_cast<QMessageBox*>(modal)->text();
    ClickButton(modal, QStringLiteral("Oui"));
  });
  Commands().Execute(cmd::kStopSearch);
  EXPECT_EQ(asked, QString::fromUtf8("Arrêter la recherche de \"\" ?"));
  EXPECT_TRUE(RunOver());
}

TEST_F(FrameTest, NewSearchAnsweredNoLeavesTheSearchAndOpensNothing) {
  MakeFrame();
  ctx->run.collecting = true;
  ctx->queue.entries.assign(2, std::make_shared<QueueEntry>("http://a/", 0, FoundBy::FromEngine, 0));
  frame->setWindowTitle(QStringLiteral("Musique -> x"));
  int boxes = 0;
  WhenModal([&](QWidget* modal) {
    ++boxes;
    ClickButton(modal, QStringLiteral("Non"));
  });
  Commands().Execute(cmd::kNewSearch);
  PumpEvents();
  EXPECT_EQ(boxes, 1);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_TRUE(ctx->run.collecting);
  EXPECT_EQ(ctx->queue.count(), 2);
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("Musique -> x"));
  ctx->run.collecting = false;
}

TEST_F(FrameTest, AResumeWithoutASaveSaysSoOnceAndWithNoPageStartsNothing) {
  MakeFrame();
  home.Write("Resultsvg.txt", "[kept,1]\r\nkept.zip,http://h/kept.zip,http://h/,1,10,?? ??\r\n>\r\n");
  {
    std::lock_guard lock(ctx->CatalogueLock);
    ctx->catalogue.entries.push_back(std::make_shared<FoundEntry>());
  }
  Commands().Execute(cmd::kResumeSearch);
  QMessageBox* box = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())); }));
  EXPECT_EQ(box->text(), QString::fromUtf8("Pas de sauvegarde trouvée !"));
  EXPECT_EQ(box->icon(), QMessageBox::Critical);
  EXPECT_EQ(box->windowTitle(), QString());
  box->close();
  PumpEvents();
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_FALSE(ctx->run.collecting);
  EXPECT_EQ(Catalogued(), 1);  // the list of the window stays as it was

  // A save with no page clears the list but starts nothing.
  home.Write("profilsvg.ini", "[Profil]\r\n");
  home.Write("rechsvg.ini", "/Musique/mp3\r\nmozart\r\n");
  std::filesystem::remove(home.File("Resultsvg.txt"));
  Commands().Execute(cmd::kResumeSearch);
  EXPECT_EQ(ctx->run.BaseCount, 0);
  EXPECT_FALSE(ctx->run.SchedulerActive);
  EXPECT_EQ(Catalogued(), 0);  // no "Resultsvg.txt": nothing comes back
  // Nothing runs, so nothing is left "running" either.
  EXPECT_FALSE(ctx->run.collecting);
  EXPECT_TRUE(MenuItem(cmd::kAnalysePage)->isEnabled());
  EXPECT_FALSE(MenuItem(cmd::kStopSearch)->isEnabled());
  ASSERT_TRUE(PumpUntil([&] { return frame->windowTitle() == QStringLiteral("/Musique/mp3 -> mozart"); }, 5));
}

TEST_F(FrameTest, PostedSaveAndQuitRunOnTheWindowsThread) {
  MakeFrame();
  ctx->ProfileName = "/Musique/mp3";
  ctx->SearchText = "mozart";
  ctx->run.collecting = true;
  ctx->queue.entries.push_back(std::make_shared<QueueEntry>("http://h/p.html", 0, FoundBy::FromEngine, 0));
  std::thread timer([&] { port->PostCommand(cmd::kSaveSearchState); });  // as the autosave does
  timer.join();
  EXPECT_EQ(home.Read("rechsvg.ini"), "<missing>");  // posted, not run on the poster's thread
  ASSERT_TRUE(PumpUntil([&] { return home.Read("rechsvg.ini") != "<missing>"; }));
  EXPECT_EQ(home.Read("rechsvg.ini"), "/Musique/mp3\r\nmozart\r\nhttp://h/p.html\r\n");
  EXPECT_EQ(home.Read("Resultsvg.txt"), "");
  ctx->run.collecting = false;

  // Quit is posted too, as the quit message is.
  Commands().Execute(cmd::kQuit);
  EXPECT_EQ(ends, 0);
  ASSERT_TRUE(PumpUntil([&] { return ends == 1; }));
}

TEST_F(FrameTest, LoadSetsTheSearchTextAndTitle) {
  MakeFrame();
  std::filesystem::create_directories(home.File("Save"));
  home.Write("Save/setup.txt",
             "[setup,2]\r\nsetup1.zip,http://h/setup1.zip,http://h/,1,900,?? ??\r\n>\r\n"
             "setup2.zip,http://h/setup2.zip,http://h/,1,900,?? ??\r\n>\r\n");
  QString title, folder;
  AnswerFileDialog(QStringLiteral("setup.txt"), &title, &folder);
  Commands().Execute(cmd::kLoadResults);
  EXPECT_EQ(title, QStringLiteral("Charger une liste de fichiers"));
  EXPECT_EQ(QDir(folder).canonicalPath(), QDir(QString::fromStdString(home.File("Save"))).canonicalPath());
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("ORVI -> setup"));
  EXPECT_EQ(ctx->SearchText, "setup");
  EXPECT_EQ(Catalogued(), 1);
}

}  // namespace
}  // namespace orvi::test
