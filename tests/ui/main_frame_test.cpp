// The frame over a real core: size, title and menu, the menu's states (the
// rules are the session's, session_test), the start window, and the flows
// the windows start; the page analysis dialog: its fields, remembered
// choices, keyboard, and the choices "Go !" gives.
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include <thread>

#include "core/commands.h"
#include "explore/queue.h"
#include "gui_test_support.h"
#include "ui/common.h"
#include "ui/scan_dialog.h"

namespace orvi::test {
namespace {

using FrameTest = FrameFixture;
using ui::ScanDialog;

TEST_F(FrameTest, SizedFromTheInjectedScreenWithItsTitleAndMenu) {
  // 801 is not wider than 801; 0.88 x 802 = 705.76, 0.84 x 600 = 504.
  for (auto [screen, size] : {std::pair{QSize(800, 600), QSize(760, 560)}, {QSize(801, 600), QSize(761, 560)},
                              {QSize(802, 600), QSize(665, 464)}, {QSize(1600, 1000), QSize(1368, 800)}}) {
    EXPECT_EQ(ui::InitialFrameSize(screen), size) << screen.width();
  }
  MakeFrame("", QSize(1024, 768));
  EXPECT_EQ(frame->geometry(), QRect(0, 0, 861, 605));
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
    for (auto [id, idle, busy] : {std::tuple{4005, false, false}, {4012, true, false}, {4004, false, true}}) {
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
    EXPECT_FALSE(*toggle || MenuItem(id)->isChecked()) << id;
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
  AnswerBox(&asked, QStringLiteral("Oui"));
  Commands().Execute(cmd::kStopSearch);
  EXPECT_EQ(asked, QString::fromUtf8("Arrêter la recherche de \"\" ?"));
  EXPECT_TRUE(RunOver());
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

TEST_F(FrameTest, ALoadSetsTheSearchTextAndTitleAndAResumeWithoutASaveSaysSoOnce) {
  MakeFrame();
  Put("Save/setup.txt", "[setup,1]\r\nsetup1.zip,http://h/setup1.zip,http://h/,1,900,?? ??\r\n>\r\n");
  QString title, folder;
  AnswerFileDialog(QStringLiteral("setup.txt"), &title, &folder);
  Commands().Execute(cmd::kLoadResults);
  EXPECT_EQ(title, QStringLiteral("Charger une liste de fichiers"));
  EXPECT_EQ(QDir(folder).canonicalPath(), QDir(QString::fromStdString(home.File("Save"))).canonicalPath());
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("ORVI -> setup"));
  EXPECT_EQ(ctx->SearchText, "setup");
  EXPECT_EQ(ctx->catalogue.count(), 1);

  home.Write("Resultsvg.txt", "[kept,1]\r\nkept.zip,http://h/kept.zip,http://h/,1,10,?? ??\r\n>\r\n");
  Commands().Execute(cmd::kResumeSearch);
  QMessageBox* box = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())); }));
  EXPECT_EQ(box->text(), QString::fromUtf8("Pas de sauvegarde trouvée !"));
  EXPECT_EQ(box->icon(), QMessageBox::Critical);
  box->close();
  PumpEvents();
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(ctx->catalogue.count(), 1);  // the list stays as it was
}

// Opens the page analysis dialog, lets fill() work on it, and returns
// whether it ended with "Go !"; what it chose goes to chosen.
bool RunScanDialog(ui::GuiEnv& env, QWidget* parent, PageAnalysisChoices& chosen,
                   const std::function<void(ScanDialog*)>& fill) {
  WhenModal([fill](QWidget* modal) {
    auto* dialog = dynamic_cast<ScanDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    QApplication::setActiveWindow(dialog);
    fill(dialog);
  });
  return ScanDialog::Run(env, parent, chosen);
}

TEST_F(FrameTest, ScanDialogsFirstOpeningKeyboardOrderAndReturnMeansGo) {
  MakeFrame();
  PageAnalysisChoices chosen;
  EXPECT_TRUE(RunScanDialog(*env, &frame->Results(), chosen, [](ScanDialog* d) {
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Analyse de page web"));
    EXPECT_EQ(d->focusWidget(), d->ControlById(ScanDialog::kAddress));
    for (int box : {102, 103, 104, 300}) EXPECT_EQ(d->Control<QCheckBox>(box)->isChecked(), box != 300) << box;
    EXPECT_EQ(d->Control<QLineEdit>(105)->text(), QString());
    // Tab walks the fields in the order of the table.
    std::vector<QString> order;
    for (int i = 0; i < 8; ++i) {
      order.push_back(d->focusWidget()->objectName());
      QTest::keyClick(d->focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order, (std::vector<QString>{"id101", "id102", "id103", "id105", "id104", "id300", "id1", "id2"}));
    d->ControlById(101)->setFocus();
    QTest::keyClicks(d->focusWidget(), QStringLiteral("http://127.0.0.1:9/p"));
    d->Control<QLineEdit>(101)->insert(QString::fromUtf8("\xC3\xA9.html"));
    QTest::keyClick(d->focusWidget(), Qt::Key_Return);
  }));
  EXPECT_EQ(chosen.address, "http://127.0.0.1:9/p\xE9.html");
  EXPECT_TRUE(chosen.archives && chosen.executables && chosen.smartArchives && !chosen.wholeSite);
  EXPECT_EQ(chosen.extensions, "");
}

TEST_F(FrameTest, ScanDialogsChoicesAreRememberedWholeAndCancelKeepsThem) {
  MakeFrame();
  PageAnalysisChoices chosen;
  // The splitting of the text is the session's (session_test): here, that the
  // typed text reaches it, and comes back whole even past what it keeps.
  for (QString typed : {QStringLiteral(" mp3 , ogg "), QStringLiteral("a,b,c,d,e,f,g,h,i,j,k,l,m,n,o,p,q,r")}) {
    ASSERT_TRUE(RunScanDialog(*env, &frame->Results(), chosen, [&](ScanDialog* d) {
      d->Control<QLineEdit>(101)->setText(QStringLiteral("http://x/"));
      d->Control<QLineEdit>(105)->setText(typed);
      d->Control<QCheckBox>(102)->setChecked(false);
      d->Control<QCheckBox>(300)->setChecked(true);
      d->Control<QPushButton>(1)->click();
    }));
    EXPECT_EQ(ui::ToQt(chosen.extensions), typed);
    EXPECT_TRUE(!chosen.archives && chosen.wholeSite);
    // The next opening shows the whole text and the boxes, and an empty
    // address; "Annuler" and Escape change nothing.
    chosen = {};
    EXPECT_FALSE(RunScanDialog(*env, &frame->Results(), chosen, [&](ScanDialog* d) {
      EXPECT_EQ(d->Control<QLineEdit>(105)->text(), typed);
      EXPECT_EQ(d->Control<QLineEdit>(101)->text(), QString());
      EXPECT_TRUE(!d->Control<QCheckBox>(102)->isChecked() && d->Control<QCheckBox>(300)->isChecked());
      d->Control<QCheckBox>(300)->setChecked(false);
      d->Control<QLineEdit>(105)->setText(QStringLiteral("zip"));
      if (typed.size() < 20) d->Control<QPushButton>(2)->click();
      else QTest::keyClick(d, Qt::Key_Escape);
    }));
    EXPECT_EQ(chosen.address, "");
    EXPECT_TRUE(env->scan.wholeSite);
    EXPECT_EQ(ui::ToQt(env->scan.extensions), typed);
  }
}

}  // namespace
}  // namespace orvi::test
