// The search preparation window over a real core: the profile tree, the
// inputs, the counter board's enabling, the slider, the commands and their
// enabling, the translation, and the reload when the profile editor closes.
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTreeWidget>

#include <atomic>

#include "explore/queue.h"
#include "frame_fixture.h"
#include "support/script_server.h"
#include "ui/prep_window.h"
#include "ui/profile_editor.h"

namespace orvi::test {
namespace {

using ui::PrepWindow;
namespace prep_ids = ui::prep_ids;

std::string Profile(const std::string& keys) { return "[Config]\r\n" + keys; }

class PrepTest : public FrameFixture {
 protected:
  void SetUp() override {
    Put("Profils/Musique/deux.ini", Profile("LibS1=Artiste :\r\nLibS2=Titre :\r\nHelpText=Deux champs\r\nFindS=1\r\n"
                                            "Key0=+mp3\r\nKey1=+ogg\r\nGoogleUse=3\r\nAtwUse=1\r\nWiseUse=0\r\n"));
    Put("Profils/Musique/un.ini", Profile("LibS1=Titre :\r\nHelpText=Une ligne\\\\Deux lignes\r\nFindS=1\r\n"
                                          "Key0=+mp3\r\nTranslate=1\r\nGoogleUse=1\r\nAtwUse=1\r\nWiseUse=1\r\n"));
    Put("Profils/Divers/tout.ini", Profile("LibS1=Rien :\r\nExtractAll=1\r\nFindS=0\r\nKey0=+zip\r\n"));
    Put("Profils/Divers/lisez-moi.txt", "a note, not a profile");
    Put("Profils/.cache/x.ini", Profile(""));
  }
  void TearDown() override {
    engines.reset();  // first: it lets go of the requests it holds
    window.reset();
    FrameFixture::TearDown();
  }
  PrepWindow& Open(const std::string& ini = "") {
    if (!frame) MakeFrame(ini);
    window = std::make_unique<PrepWindow>(*env, &frame->Results());
    window->show();
    return *window;
  }
  template <class W>
  W* C(int id) { return window->Control<W>(id); }
  QTreeWidgetItem* Leaf(const QString& folder, const QString& name) {
    for (QTreeWidgetItem* item : window->Tree()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive)) {
      if (item->parent() && item->parent()->text(0) == folder) return item;
    }
    return nullptr;
  }
  void Select(const QString& folder, const QString& name) {
    QTreeWidgetItem* item = Leaf(folder, name);
    ASSERT_NE(item, nullptr) << name.toStdString();
    window->Tree()->setCurrentItem(item);
  }
  void QueuePage() {
    std::lock_guard lock(ctx->QueueLock);
    ctx->queue.entries.push_back(std::make_shared<QueueEntry>("http://127.0.0.1:9/", 0, FoundBy::FromEngine, 0));
  }
  bool Enabled(int id) {
    window->Commands().UpdateButtons();
    return window->Commands().IsEnabled(id);
  }
  // The window over engines that hold every request open: a harvest stays under way.
  void OpenOnSilentEngines() {
    engines = std::make_unique<ScriptServer>([this](ScriptServer::Conn& c) {
      c.ReadRequest();
      ++asked;
      c.HoldUntilClosed();
    });
    const std::string base = engines->Url("");
    MakeFrame("NbRetry=1\r\n[Engines]\r\nGoogleUrl=" + base + "\r\nGoogleFallbackUrl=" + base + "\r\nFastUrl=" +
              base + "\r\nWiseNutUrl=" + base + "\r\n");
    Open();
  }

  std::atomic<int> asked{0};
  std::unique_ptr<ScriptServer> engines;
  std::unique_ptr<PrepWindow> window;
};

TEST_F(PrepTest, TreeOfFoldersAndFilesWithTheirImagesHowManyThereAre) {
  for (int i = 0; i < 70; ++i) Put("Profils/Lot/p" + std::to_string(100 + i) + ".ini", Profile(""));
  Open();
  QTreeWidget* tree = window->Tree();
  ASSERT_EQ(tree->topLevelItemCount(), 3);  // ".cache" is left out
  EXPECT_EQ(tree->topLevelItem(2)->text(0), QStringLiteral("Musique"));
  EXPECT_TRUE(tree->topLevelItem(0)->isExpanded());
  EXPECT_EQ(window->Profiles().size(), 74u);
  EXPECT_EQ(window->Profiles()[1], "/Divers/tout");
  // Leaves carry their index plus one, folders 0.
  EXPECT_EQ(Leaf("Musique", "un")->data(0, Qt::UserRole).toInt(), 74);
  EXPECT_EQ(tree->topLevelItem(2)->data(0, Qt::UserRole).toInt(), 0);
  const qint64 open = tree->topLevelItem(2)->icon(0).cacheKey();
  tree->collapseItem(tree->topLevelItem(2));
  EXPECT_NE(tree->topLevelItem(2)->icon(0).cacheKey(), open);
  tree->expandItem(tree->topLevelItem(2));
  EXPECT_EQ(tree->topLevelItem(2)->icon(0).cacheKey(), open);
  // The first profile is current the first time, selected and loaded.
  EXPECT_EQ(tree->currentItem(), Leaf("Divers", "lisez-moi"));
  EXPECT_EQ(ctx->ProfileName, "lisez-moi");
  EXPECT_EQ(C<QGroupBox>(PrepWindow::kProfileBox)->title(), QStringLiteral("lisez-moi"));
  // "lisez-moi.ini" does not exist: every field takes its default.
  EXPECT_TRUE(C<QLabel>(PrepWindow::kLabel1)->text().isEmpty());
  Select("Lot", "p169");
  EXPECT_EQ(ctx->ProfileName, "p169");
}

TEST_F(PrepTest, ProfileFieldsFollowTheSelection) {
  Open();
  struct Case {
    const char* folder;
    const char* name;
    const char* label1;
    bool twoInputs, translate, input1;
    const char* help;
  } cases[] = {
      {"Musique", "un", "Titre :", false, true, true, "Une ligne\nDeux lignes"},
      {"Musique", "deux", "Artiste :", true, false, true, "Deux champs"},
      {"Divers", "tout", "Rien :", false, false, false, ""},  // ExtractAll without FindS needs no input
      {"Musique", "deux", "Artiste :", true, false, true, "Deux champs"},
  };
  C<QLineEdit>(PrepWindow::kInput2)->setText(QStringLiteral("stale"));
  for (const Case& c : cases) {
    Select(c.folder, c.name);
    SCOPED_TRACE(c.name);
    EXPECT_EQ(C<QLabel>(PrepWindow::kLabel1)->text(), QString::fromUtf8(c.label1));
    EXPECT_EQ(C<QLabel>(PrepWindow::kLabel2)->isVisible(), c.twoInputs);
    EXPECT_EQ(C<QLineEdit>(PrepWindow::kInput2)->isVisible(), c.twoInputs);
    EXPECT_EQ(C<QPushButton>(PrepWindow::kTranslate)->isVisible(), c.translate);
    EXPECT_EQ(C<QLineEdit>(PrepWindow::kInput1)->isEnabled(), c.input1);
    EXPECT_EQ(C<QPlainTextEdit>(PrepWindow::kHelpText)->toPlainText(), QString::fromUtf8(c.help));
    EXPECT_EQ(C<QGroupBox>(PrepWindow::kProfileBox)->title(), QString::fromUtf8(c.name));
    EXPECT_EQ(ctx->ProfileName, c.name);
  }
  // Back on a two-input profile after a one-input one: the second field is empty.
  EXPECT_TRUE(C<QLineEdit>(PrepWindow::kInput2)->text().isEmpty());
  // A folder reloads the current profile from its file.
  Put("Profils/Musique/deux.ini", Profile("LibS1=Nouveau :\r\n"));
  window->Tree()->setCurrentItem(window->Tree()->topLevelItem(0));
  EXPECT_EQ(C<QLabel>(PrepWindow::kLabel1)->text(), QStringLiteral("Nouveau :"));
}

TEST_F(PrepTest, CountersEnabledByTheMasksAndTheRows) {
  Open();
  Select("Musique", "deux");  // rows 0-1; Google rows 0-1, Fast row 0, WiseNut none
  for (auto [id, enabled] : {std::pair{1200, true}, {1300, true}, {1201, true}, {1301, true}, {1202, false},
                             {1400, true}, {1500, true}, {1401, false}, {1501, false}, {1600, false}, {1609, false}}) {
    EXPECT_EQ(C<QLineEdit>(id)->isEnabled(), enabled) << id;  // row 2 is empty
  }
  for (int r = 0; r < 10; ++r) EXPECT_FALSE(C<QLabel>(prep_ids::kRowMarker + r)->isVisible());
}

TEST_F(PrepTest, SliderEndsAndMemory) {
  Open();
  EXPECT_EQ(C<QLineEdit>(PrepWindow::kStopAt)->text(), QStringLiteral("500"));
  for (auto [position, shown] : {std::pair{12, 2000}, {0, 100}, {7, 750}}) {
    C<QSlider>(PrepWindow::kSlider)->setValue(position);
    EXPECT_EQ(C<QLineEdit>(PrepWindow::kStopAt)->text().toInt(), shown);
    EXPECT_EQ(ctx->harvest.stopAt, shown);
  }
  // The next opening starts where the slider was left; the log box unchecked again.
  C<QCheckBox>(PrepWindow::kLog)->setChecked(true);
  C<QCheckBox>(PrepWindow::kAutoStart)->setChecked(false);
  window.reset();
  Open();
  EXPECT_EQ(C<QLineEdit>(PrepWindow::kStopAt)->text(), QStringLiteral("750"));
  EXPECT_FALSE(C<QCheckBox>(PrepWindow::kLog)->isChecked());
  EXPECT_FALSE(C<QCheckBox>(PrepWindow::kAutoStart)->isChecked());
}

TEST_F(PrepTest, EnablingWhileIdleAndWhileAPhaseRuns) {
  Open();
  Select("Musique", "un");
  struct Rule {
    int id;
    bool idleEmpty, idleTyped, idleQueued, running;
  } rules[] = {
      {PrepWindow::kLaunch, true, true, true, false},
      {PrepWindow::kEdit, true, true, true, false},
      {PrepWindow::kRefresh, true, true, true, false},
      {PrepWindow::kStop, false, false, false, true},
      {PrepWindow::kTranslate, false, true, true, false},
      {PrepWindow::kProcess, false, false, true, false},
  };
  auto check = [&](int state) {
    for (const Rule& r : rules) {
      const bool want[] = {r.idleEmpty, r.idleTyped, r.idleQueued, r.running};
      EXPECT_EQ(Enabled(r.id), want[state]) << "command " << r.id << " state " << state;
    }
  };
  check(0);
  C<QLineEdit>(PrepWindow::kInput1)->setText(QStringLiteral("mozart"));
  check(1);
  QueuePage();
  check(2);
  ctx->run.collecting = true;
  check(3);
  // Nothing is loaded while a phase runs.
  Select("Musique", "deux");
  EXPECT_EQ(ctx->ProfileName, "un");
  ctx->run.collecting = false;
  PumpUntil([&] { return C<QCheckBox>(PrepWindow::kLog)->isEnabled(); }, 5);
  EXPECT_TRUE(C<QCheckBox>(PrepWindow::kLog)->isEnabled());
}

TEST_F(PrepTest, ALaunchWantsAnInputStopUnticksAutoStartAndClosingMidwayEndsTheHarvest) {
  OpenOnSilentEngines();
  Select("Musique", "un");
  QString text;
  AnswerBox(&text);
  window->Commands().Execute(PrepWindow::kLaunch);
  ASSERT_TRUE(PumpUntil([&] { return !text.isEmpty() && !window->Harvesting(); }));
  EXPECT_EQ(text, QStringLiteral("Indiquez ce que vous recherchez, please ..."));
  EXPECT_EQ(engines->Connections(), 0);

  C<QLineEdit>(PrepWindow::kInput1)->setText(QStringLiteral("mozart"));
  QTest::mouseClick(C<QPushButton>(PrepWindow::kLaunch), Qt::LeftButton);
  ASSERT_TRUE(PumpUntil([&] { return asked > 0 && ctx->run.collecting; }));
  EXPECT_FALSE(Enabled(PrepWindow::kTranslate));  // during a search, whatever the field holds
  Select("Musique", "deux");  // selecting another profile does nothing meanwhile
  EXPECT_EQ(ctx->ProfileName, "un");
  // The board follows the harvest on the window's tick.
  ASSERT_TRUE(PumpUntil([&] { return C<QLabel>(prep_ids::kRowMarker)->isVisible(); }));
  EXPECT_EQ(C<QLineEdit>(prep_ids::kQueryDisplay)->text(), QStringLiteral("mozart +mp3"));
  window->Commands().Execute(PrepWindow::kStop);
  EXPECT_FALSE(C<QCheckBox>(PrepWindow::kAutoStart)->isChecked() || ctx->harvest.autoStart);
  text.clear();
  AnswerBox(&text);
  ASSERT_TRUE(PumpUntil([&] { return !text.isEmpty() && !window->Harvesting() && !ctx->run.collecting; }));
  EXPECT_EQ(text, QString::fromUtf8("Aucune correspondance trouvée..."));
  for (int r = 0; r < 10; ++r) EXPECT_FALSE(C<QLabel>(prep_ids::kRowMarker + r)->isVisible());
  EXPECT_TRUE(Enabled(PrepWindow::kLaunch));

  // A profile that needs no input harvests at once; closing the window ends it.
  Select("Divers", "tout");
  const int before = asked;
  window->Commands().Execute(PrepWindow::kLaunch);
  ASSERT_TRUE(PumpUntil([&] { return asked > before && ctx->run.collecting; }));
  QueuePage();
  window->reject();
  EXPECT_FALSE(window->Harvesting() || ctx->harvest.running);
}

TEST_F(PrepTest, TranslationReplacesTheInputOrSaysWhy) {
  // The request, the reading of the answer and the failures' texts are the
  // core's (translation_integration_test); here, what the window does with them.
  std::atomic<bool> fail{false};
  ScriptServer service([&](ScriptServer::Conn& c) {
    c.ReadRequest();
    c.Send(ScriptServer::Response("200 OK", fail ? "<body>no luck</body>" : "<textarea>the cat</textarea>"));
  });
  MakeFrame("[Engines]\r\nTranslateUrl=" + service.Url("") + "\r\n");
  Open();
  Select("Musique", "un");
  QLineEdit* input = C<QLineEdit>(PrepWindow::kInput1);
  input->setText(QStringLiteral("Le chat"));
  window->Commands().Execute(PrepWindow::kTranslate);
  EXPECT_EQ(input->text(), QStringLiteral("the cat"));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  fail = true;
  input->setText(QStringLiteral("Le chien"));
  QString text;
  AnswerBox(&text);
  window->Commands().Execute(PrepWindow::kTranslate);
  EXPECT_EQ(text, QStringLiteral("Echec de la traduction"));
  EXPECT_EQ(input->text(), QStringLiteral("Le chien"));
}

TEST_F(PrepTest, KeyboardOrderAndFocusAtOpening) {
  Open();
  QApplication::setActiveWindow(window.get());
  Select("Musique", "deux");
  window.reset();
  Open();
  QApplication::setActiveWindow(window.get());
  ASSERT_TRUE(PumpUntil([&] { return QApplication::focusWidget() != nullptr; }, 5));
  EXPECT_EQ(QApplication::focusWidget(), C<QLineEdit>(PrepWindow::kInput1));
  // Input 1, then input 2 (the translation button is hidden), then the launch button.
  QWidget* next = C<QLineEdit>(PrepWindow::kInput1)->nextInFocusChain();
  while (next && (!next->isVisible() || !next->isEnabled() || !(next->focusPolicy() & Qt::TabFocus))) {
    next = next->nextInFocusChain();
  }
  EXPECT_EQ(next, C<QLineEdit>(PrepWindow::kInput2));

  // A profile without input: the focus goes elsewhere.
  Select("Divers", "tout");
  window.reset();
  Open();
  EXPECT_FALSE(C<QLineEdit>(PrepWindow::kInput1)->hasFocus());
}

TEST_F(PrepTest, EditorSaveIsShownOnceTheEditorCloses) {
  Open();
  Select("Musique", "un");
  window->Commands().Execute(PrepWindow::kEdit);
  ui::ProfileEditor* editor = window->Editor();
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->windowTitle(), QStringLiteral("Profil : /Musique/un"));
  auto* help = editor->Page(0)->Control<QPlainTextEdit>(101);
  help->setPlainText(QStringLiteral("Nouvelle aide"));
  editor->Commands().Execute(ui::ProfileEditor::kSave);
  EXPECT_EQ(C<QPlainTextEdit>(PrepWindow::kHelpText)->toPlainText(), QStringLiteral("Une ligne\nDeux lignes"));
  editor->Commands().Execute(ui::ProfileEditor::kClose);
  ASSERT_TRUE(PumpUntil([&] { return window->Editor() == nullptr; }));
  ASSERT_TRUE(PumpUntil([&] { return C<QPlainTextEdit>(PrepWindow::kHelpText)->toPlainText() == "Nouvelle aide"; }, 5));
  EXPECT_NE(home.Read("Profils/Musique/un.ini").find("HelpText=Nouvelle aide\r\n"), std::string::npos);
}

}  // namespace
}  // namespace orvi::test
