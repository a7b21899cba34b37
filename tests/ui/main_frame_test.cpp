// The frame over a real core and the flows its windows start; the page
// analysis dialog: keyboard, the choices "Go !" gives and what it remembers.
#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTreeView>

#include <thread>

#include "core/commands.h"
#include "explore/queue.h"
#include "gui_test_support.h"
#include "ui/common.h"
#include "ui/news_dialog.h"
#include "ui/options_sheet.h"
#include "ui/scan_dialog.h"
#include "ui/statistics_dialog.h"

namespace orvi::test {
namespace {

using FrameTest = FrameFixture;
using ui::ScanDialog;

TEST_F(FrameTest, SizedFromTheInjectedScreen) {
  // 801 is not wider than 801; 0.88 x 802 = 705.76, 0.84 x 600 = 504.
  EXPECT_EQ(ui::InitialFrameSize(QSize(801, 600)), QSize(761, 560));
  EXPECT_EQ(ui::InitialFrameSize(QSize(802, 600)), QSize(665, 464));
  MakeFrame("", QSize(1024, 768));
  EXPECT_EQ(frame->geometry(), QRect(0, 0, 861, 605));
}

TEST_F(FrameTest, StartWindowPostsItsCommand) {
  for (auto [setting, expected] : {std::pair{0, std::vector<int>{}}, {1, {4000}}, {7, {4012}}}) {
    MakeFrame("StartWindow=" + std::to_string(setting) + "\r\n");
    std::vector<int> posted;
    for (int id : {4000, 4012}) Commands().Add(id, [&posted, id] { posted.push_back(id); });
    frame->PostStartWindow();
    EXPECT_TRUE(posted.empty());  // posted, not run on the spot
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(posted, expected) << setting;
  }
}

// The news, the statistics, the about box and the options answer the
// keyboard while the preparation window is modal (as at start) and while a
// box of that window is up, which opens over its own window.
TEST_F(FrameTest, FreeStandingWindowsStayUsableUnderAModalWindowAndItsBox) {
  MakeFrame();
  std::vector<QPointer<QWidget>> windows = {ui::NewsDialog::Open(*env, "Version 0.42\r\n"), ui::AboutBox::Open(*env),
                                            ui::OptionsSheet::Open(*env, &frame->Results()),
                                            ui::StatisticsDialog::Open(*env)};
  WhenModal([&](QWidget* prep) {
    for (int i = 0; i < 3; ++i) QTest::keyClick(windows[i]->windowHandle(), Qt::Key_Escape);
    port->MessageBox({"Recherche termin\xE9" "e", "ORVI"});
    ASSERT_TRUE(PumpUntil([&] { return QApplication::activeModalWidget() != prep; }));
    QWidget* box = QApplication::activeModalWidget();
    EXPECT_EQ(box->parentWidget(), prep);
    QTest::keyClick(windows[3]->windowHandle(), Qt::Key_Escape);
    box->close();
    static_cast<QDialog*>(prep)->reject();
  });
  Commands().Execute(cmd::kNewSearch);
  for (size_t i = 0; i < windows.size(); ++i) EXPECT_TRUE(!windows[i] || windows[i]->isHidden()) << i;
}

TEST_F(FrameTest, AHelpThatCannotBeOpenedSaysSo) {
  MakeFrame();  // no help/ in the test's program folder, beside the tests or installed
  QString said;
  AnswerBox(&said);
  Commands().Execute(cmd::kHelp);
  ASSERT_TRUE(PumpUntil([&] { return !said.isEmpty(); }));
  EXPECT_EQ(said, QString::fromUtf8("L'aide n'a pas pu être ouverte : help/index.html"));
}

TEST_F(FrameTest, TheFileDialogsColumnsAreFrench) {
  MakeFrame();
  Put("Save/Archives/a.txt", "");
  Put("Save/b.txt", "xy");
  QStringList shown;  // the folder's size and type, the file's size
  WhenModal([&](QWidget* dialog) {
    auto* view = dialog->findChild<QTreeView*>();
    ASSERT_TRUE(PumpUntil([&] { return view->model()->rowCount(view->rootIndex()) == 2; }));
    const QModelIndex folder = view->rootIndex();
    for (auto [row, column] : {std::pair{0, 1}, {0, 2}, {1, 1}}) {
      shown << folder.model()->index(row, column, folder).data().toString();
    }
    static_cast<QDialog*>(dialog)->reject();
  });
  Commands().Execute(cmd::kLoadResults);
  EXPECT_EQ(shown, (QStringList{"", "Dossier", "2 octets"}));
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

TEST_F(FrameTest, ScanDialogsKeyboardOrderReturnMeansGoAndEscapeKeepsWhatItRemembers) {
  MakeFrame();
  PageAnalysisChoices chosen;
  // Opens the dialog and lets fill() work on it; true when it ends with "Go !".
  auto run = [&](const std::function<void(ScanDialog*)>& fill) {
    WhenModal([fill](QWidget* modal) {
      auto* dialog = dynamic_cast<ScanDialog*>(modal);
      ASSERT_NE(dialog, nullptr);
      QApplication::setActiveWindow(dialog);
      fill(dialog);
    });
    return ScanDialog::Run(*env, &frame->Results(), chosen);
  };
  // The splitting of the extensions is the session's (session_test): here,
  // that the typed text reaches it, and comes back whole even past what it keeps.
  const QString typed = QStringLiteral("a,b,c,d,e,f,g,h,i,j,k,l,m,n,o,p,q,r");
  EXPECT_TRUE(run([&](ScanDialog* d) {
    EXPECT_EQ(d->focusWidget(), d->ControlById(ScanDialog::kAddress));
    // Tab walks the fields in the order of the table.
    std::vector<QString> order;
    for (int i = 0; i < 8; ++i) {
      order.push_back(d->focusWidget()->objectName());
      QTest::keyClick(d->focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order, (std::vector<QString>{"id101", "id102", "id103", "id105", "id104", "id300", "id1", "id2"}));
    d->Control<QLineEdit>(105)->setText(typed);
    d->Control<QCheckBox>(300)->setChecked(true);
    d->ControlById(101)->setFocus();
    QTest::keyClicks(d->focusWidget(), QStringLiteral("http://127.0.0.1:9/p"));
    d->Control<QLineEdit>(101)->insert(QString::fromUtf8("\xC3\xA9.html"));
    QTest::keyClick(d->focusWidget(), Qt::Key_Return);
  }));
  EXPECT_EQ(chosen.address, "http://127.0.0.1:9/p\xE9.html");
  EXPECT_TRUE(chosen.archives && chosen.executables && chosen.smartArchives && chosen.wholeSite);
  EXPECT_EQ(ui::ToQt(chosen.extensions), typed);
  // The next opening shows the whole text and the box, and an empty address;
  // Escape changes nothing.
  chosen = {};
  EXPECT_FALSE(run([&](ScanDialog* d) {
    EXPECT_TRUE(d->Control<QLineEdit>(105)->text() == typed && d->Control<QLineEdit>(101)->text().isEmpty() &&
                d->Control<QCheckBox>(300)->isChecked());
    d->Control<QCheckBox>(300)->setChecked(false);
    d->Control<QLineEdit>(105)->setText(QStringLiteral("zip"));
    QTest::keyClick(d, Qt::Key_Escape);
  }));
  EXPECT_EQ(chosen.address, "");
  EXPECT_TRUE(env->scan.wholeSite);
  EXPECT_EQ(ui::ToQt(env->scan.extensions), typed);
}

}  // namespace
}  // namespace orvi::test
