// The frame over a real core: size, title and menu, the menu's states (the
// rules are the session's, session_test), the start window, and the flows
// the windows start.
#include <QDir>
#include <QMenuBar>
#include <QMessageBox>

#include <filesystem>
#include <thread>

#include "core/commands.h"
#include "explore/queue.h"
#include "frame_fixture.h"
#include "ui/scan_dialog.h"

namespace orvi::test {
namespace {

using FrameTest = FrameFixture;

TEST_F(FrameTest, SizedFromTheInjectedScreenWithItsTitleAndMenu) {
  struct Case {
    QSize screen, frame;
  } cases[] = {
      {{800, 600}, {760, 560}},
      {{801, 600}, {761, 560}},  // 801 is not wider than 801
      {{802, 600}, {665, 464}},  // 0.88 x 802 = 705.76, 0.84 x 600 = 504
      {{1600, 1000}, {1368, 800}},
  };
  for (const Case& c : cases) EXPECT_EQ(ui::InitialFrameSize(c.screen), c.frame) << c.screen.width();
  MakeFrame("", QSize(1024, 768));
  EXPECT_EQ(frame->size(), QSize(861, 605));
  EXPECT_EQ(frame->pos(), QPoint(0, 0));
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("Orvilane v0.41"));
  EXPECT_FALSE(frame->windowIcon().isNull());
  QStringList seen;
  for (QAction* top : frame->menuBar()->actions()) {
    seen << top->text();
    for (QAction* a : top->menu()->actions()) {
      seen << (a->isSeparator() ? QStringLiteral("-")
                                : QStringLiteral("%1 %2").arg(ui::CommandIdOf(a).value_or(-1)).arg(a->text()));
    }
  }
  EXPECT_EQ(seen, QString::fromUtf8(
                      "&Fichier|4005 &Sauvegarder les résultats trouvés|4006 &Charger une sauvegarde|-|"
                      "4012 &Analyser une page Web ...|-|4003 Options ...|-|4002 &Quitter|"
                      "&Recherche|4000 &Nouvelle recherche|4004 &Arrêter la recherche en cours|-|"
                      "4010 &Sauvegarder l'état de la recherche|4011 &Charger la derniere sauvegarde|-|"
                      "20254 S&tatistiques ...|6888 &Editeur de profils ...|"
                      "&Afficher|20900 &Liens en erreur|4008 &Dossiers serveurs|4009 &Fichiers unitaires|"
                      "&Aide|7000 &Aide|-|4001 A &propos ...")
                      .split(QLatin1Char('|')));
}

TEST_F(FrameTest, MenuStatesFollowTheRunAndTheToggles) {
  MakeFrame();
  for (bool running : {false, true}) {
    ctx->run.collecting = running;
    for (auto [id, idle, busy] : {std::tuple{4005, false, false}, {4011, true, false}, {4012, true, false},
                                  {4004, false, true}, {4010, false, true}, {4000, true, true}}) {
      EXPECT_EQ(MenuItem(id)->isEnabled(), running ? busy : idle) << id << " running " << running;
    }
  }
  ctx->run.collecting = false;
  ctx->catalogue.entries.push_back(std::make_shared<FoundEntry>());
  EXPECT_TRUE(MenuItem(4005)->isEnabled());

  ui::ResultsWindow& td = frame->Results();
  for (auto [id, toggle] : {std::pair{4008, &td.showServerFolders}, std::pair{4009, &td.showSingleFiles},
                            std::pair{20900, &td.showErrors}}) {
    EXPECT_TRUE(MenuItem(id)->isChecked());
    MenuItem(id)->trigger();
    EXPECT_FALSE(*toggle) << id;
    EXPECT_FALSE(MenuItem(id)->isChecked());
  }
}

TEST_F(FrameTest, StartWindowPostsItsCommand) {
  for (auto [setting, expected] : {std::pair{0, std::vector<int>{}}, {1, {4000}}, {2, {4012}}, {7, {4012}}}) {
    MakeFrame("StartWindow=" + std::to_string(setting) + "\r\n");
    std::vector<int> posted;
    for (int id : {4000, 4012}) Commands().Add(id, [&posted, id] { posted.push_back(id); });
    frame->PostStartWindow();
    EXPECT_TRUE(posted.empty());  // posted, not run on the spot
    PumpEvents();
    EXPECT_EQ(posted, expected) << setting;
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

TEST_F(FrameTest, AResumeWithoutASaveSaysSoOnceAndWithNoPageStartsNothing) {
  MakeFrame();
  home.Write("Resultsvg.txt", "[kept,1]\r\nkept.zip,http://h/kept.zip,http://h/,1,10,?? ??\r\n>\r\n");
  ctx->catalogue.entries.push_back(std::make_shared<FoundEntry>());
  Commands().Execute(cmd::kResumeSearch);
  QMessageBox* box = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())); }));
  EXPECT_EQ(box->text(), QString::fromUtf8("Pas de sauvegarde trouvée !"));
  EXPECT_EQ(box->icon(), QMessageBox::Critical);
  EXPECT_EQ(box->windowTitle(), QString());
  box->close();
  PumpEvents();
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(Catalogued(), 1);  // the list of the window stays as it was

  // A save with no page clears the list but starts nothing, and leaves
  // nothing "running" either.
  home.Write("profilsvg.ini", "[Profil]\r\n");
  home.Write("rechsvg.ini", "/Musique/mp3\r\nmozart\r\n");
  std::filesystem::remove(home.File("Resultsvg.txt"));
  Commands().Execute(cmd::kResumeSearch);
  EXPECT_FALSE(ctx->run.SchedulerActive);
  EXPECT_EQ(Catalogued(), 0);
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
  ctx->run.collecting = false;
  Commands().Execute(cmd::kQuit);  // posted too, as the quit message is
  EXPECT_EQ(ends, 0);
  ASSERT_TRUE(PumpUntil([&] { return ends == 1; }));
}

TEST_F(FrameTest, LoadSetsTheSearchTextAndTitle) {
  MakeFrame();
  Put("Save/setup.txt", "[setup,1]\r\nsetup1.zip,http://h/setup1.zip,http://h/,1,900,?? ??\r\n>\r\n");
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
