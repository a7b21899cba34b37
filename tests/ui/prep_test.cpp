// The search preparation window over a real core (inputs, enabling, the
// harvest's board and stop) and the profile editor (its pages' bindings).
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTreeWidget>

#include <atomic>
#include <sstream>

#include "app/cli.h"
#include "core/commands.h"
#include "explore/queue.h"
#include "gui_test_support.h"
#include "platform/ini_file.h"
#include "search/profile_file.h"
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
  }
  void TearDown() override {
    engines.reset();  // first: it lets go of the requests it holds
    window.reset();
    FrameFixture::TearDown();
  }
  void Open() {
    if (!frame) MakeFrame();
    window = std::make_unique<PrepWindow>(*env, &frame->Results());
    window->show();
  }
  template <class W>
  W* C(int id) { return window->Control<W>(id); }
  void Select(const QString& folder, const QString& name) {
    for (QTreeWidgetItem* item : window->Tree()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive)) {
      if (item->parent() && item->parent()->text(0) == folder) return window->Tree()->setCurrentItem(item);
    }
    ADD_FAILURE() << "no profile " << name.toStdString();
  }
  void QueuePage() {
    std::lock_guard lock(ctx->QueueLock);
    ctx->queue.entries.push_back(std::make_shared<QueueEntry>("http://127.0.0.1:9/", 0, FoundBy::FromEngine, 0));
  }
  bool Enabled(int id) {
    window->Commands().UpdateButtons();
    return window->Commands().IsEnabled(id);
  }

  std::atomic<int> asked{0};
  std::unique_ptr<ScriptServer> engines;
  std::unique_ptr<PrepWindow> window;
};

TEST_F(PrepTest, ProfileFieldsAndCountersFollowTheSelection) {
  Open();
  struct { const char *folder, *name; bool twoInputs, translate, input1; } cases[] = {
      {"Musique", "un", false, true, true},
      {"Divers", "tout", false, false, false},  // ExtractAll without FindS needs no input
      {"Musique", "deux", true, false, true},
  };
  C<QLineEdit>(PrepWindow::kInput2)->setText(QStringLiteral("stale"));
  for (const auto& c : cases) {
    Select(c.folder, c.name);
    SCOPED_TRACE(c.name);
    EXPECT_EQ(C<QLineEdit>(PrepWindow::kInput2)->isVisible(), c.twoInputs);
    EXPECT_EQ(C<QPushButton>(PrepWindow::kTranslate)->isVisible(), c.translate);
    EXPECT_EQ(C<QLineEdit>(PrepWindow::kInput1)->isEnabled(), c.input1);
    EXPECT_EQ(ctx->ProfileName, c.name);
  }
  // Back on a two-input profile after a one-input one: the second field is empty.
  EXPECT_TRUE(C<QLineEdit>(PrepWindow::kInput2)->text().isEmpty());
  // "deux": rows 0-1; Google rows 0-1, Fast row 0, WiseNut none.
  for (auto [id, enabled] : {std::pair{1200, true}, {1300, true}, {1201, true}, {1301, true}, {1202, false},
                             {1400, true}, {1500, true}, {1401, false}, {1501, false}, {1600, false}, {1609, false}}) {
    EXPECT_EQ(C<QLineEdit>(id)->isEnabled(), enabled) << id;  // row 2 is empty
  }
  // A folder reloads the current profile from its file.
  Put("Profils/Musique/deux.ini", Profile("LibS1=Nouveau :\r\n"));
  window->Tree()->setCurrentItem(window->Tree()->topLevelItem(0));
  EXPECT_EQ(C<QLabel>(PrepWindow::kLabel1)->text(), QStringLiteral("Nouveau :"));
  // A profile added before it moves its place in the list, not the choice.
  Put("Profils/Musique/autre.ini", Profile(""));
  Open();
  EXPECT_EQ(ctx->ProfileName, "deux");
}

TEST_F(PrepTest, EnablingWhileIdleAndWhileAPhaseRuns) {
  Open();
  Select("Musique", "un");
  // Enabled when idle with no input, idle with an input, idle with a page queued, while a phase runs.
  struct {
    int id;
    bool want[4];
  } rules[] = {
      {PrepWindow::kLaunch, {true, true, true, false}},    {PrepWindow::kEdit, {true, true, true, false}},
      {PrepWindow::kRefresh, {true, true, true, false}},   {PrepWindow::kStop, {false, false, false, true}},
      {PrepWindow::kTranslate, {false, true, true, false}}, {PrepWindow::kProcess, {false, false, true, false}},
  };
  auto check = [&](int state) {
    for (const auto& r : rules) EXPECT_EQ(Enabled(r.id), r.want[state]) << "command " << r.id << " state " << state;
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

// The boxes' texts and the harvest's own end on a close are the core's
// (harvest_integration_test); here, what the window adds.
TEST_F(PrepTest, StopUnticksAutoStartAndClosingMidwayEndsTheHarvest) {
  // Engines that hold every request open: a harvest stays under way.
  engines = std::make_unique<ScriptServer>([this](ScriptServer::Conn& c) {
    c.ReadRequest();
    ++asked;
    c.HoldUntilClosed();
  });
  const std::string base = engines->Url("");
  // The third column asks Bing, which is https: with https off, blocked at once.
  MakeFrame("NbRetry=1\r\n[Engines]\r\nGoogleUrl=" + base + "\r\nGoogleFallbackUrl=" + base + "\r\nFastUrl=" +
            base + "\r\nEngine3=bing\r\n");
  Open();
  Select("Musique", "un");
  C<QLineEdit>(PrepWindow::kInput1)->setText(QStringLiteral("mozart"));
  QTest::mouseClick(C<QPushButton>(PrepWindow::kLaunch), Qt::LeftButton);
  ASSERT_TRUE(PumpUntil([&] { return asked > 0 && ctx->run.collecting; }));
  // The board follows the harvest on the window's tick.
  ASSERT_TRUE(PumpUntil([&] {
    return C<QLabel>(prep_ids::kRowMarker)->isVisible() &&
           C<QLineEdit>(prep_ids::kWiseNutTotal)->text() == QString::fromUtf8("bloqué");
  }));
  EXPECT_EQ(C<QLabel>(prep_ids::kEngineName + 2)->text(), QStringLiteral("Bing"));
  EXPECT_EQ(C<QLineEdit>(prep_ids::kQueryDisplay)->text(),
            QString::fromUtf8("mozart +mp3   —   Bing : adresse https, les adresses https ne sont pas autorisées "
                              "(Options, Configuration)"));
  window->Commands().Execute(PrepWindow::kStop);
  EXPECT_FALSE(C<QCheckBox>(PrepWindow::kAutoStart)->isChecked() || ctx->harvest.autoStart);
  QString text;
  AnswerBox(&text);  // nothing found
  ASSERT_TRUE(PumpUntil([&] { return !text.isEmpty() && !window->Harvesting() && !ctx->run.collecting; }));
  for (int r = 0; r < 10; ++r) EXPECT_FALSE(C<QLabel>(prep_ids::kRowMarker + r)->isVisible());

  // A profile that needs no input harvests at once; closing the window ends it.
  Select("Divers", "tout");
  const int before = asked;
  window->Commands().Execute(PrepWindow::kLaunch);
  ASSERT_TRUE(PumpUntil([&] { return asked > before && ctx->run.collecting; }));
  QueuePage();
  window->reject();
  EXPECT_FALSE(window->Harvesting() || ctx->harvest.running);
}

using ui::ProfileEditor;

enum Page { kGen, kSais, kExp, kFiles, kMot };

class EditorTest : public FrameFixture {
 protected:
  void SetUp() override {
    Put("Profils/Musique/mp3.ini",
        "[Config]\r\nHelpText=Aide\r\nLibS1=Titre :\r\nLibS2=Artiste :\r\nAddLinkAway=1600\r\nFilesAway=2400\r\n"
        "MaxDomains=24\r\nKey0=+mp3\r\nGoogleUse=-1\r\nAtwUse=1024\r\nWiseUse=5\r\nZip=1\r\nAjourURL=1\r\n"
        "Slnk=music\r\nURLKeysFirst=1\r\nExtensions=mp3,ogg\r\n");
    MakeFrame();
  }
  void TearDown() override {
    if (editor) delete editor.data();
    FrameFixture::TearDown();
  }
  void OpenOn(const std::string& name) { editor = ProfileEditor::Open(*env, &frame->Results(), name); }
  template <class W>
  W* C(int page, int id) {
    editor->ShowPage(page);
    return editor->Page(page)->Control<W>(id);
  }
  bool On(int page, int id) { return C<QWidget>(page, id)->isEnabled(); }
  QString ProfilsFile(const char* name) { return QString::fromStdString(home.File(std::string("Profils/") + name)); }
  std::string Key(const std::string& name, const std::string& key) {
    return IniFile::Load(home.File("Profils" + name + ".ini")).Get("Config", key, "<none>", 200);
  }

  QPointer<ProfileEditor> editor;
};

TEST_F(EditorTest, FromTheMenuTheOpenDialogComesAtOnceAndANewProfileSavesWithoutVisitingEveryPage) {
  QString title;
  AnswerFileDialog("", &title);
  frame->Results().Commands().Execute(cmd::kProfileEditor);
  // By its name: the editor class has no meta-object of its own, so a cast
  // by class alone would take any widget.
  editor = frame->Results().findChild<ProfileEditor*>(QStringLiteral("TFF"));
  ASSERT_NE(editor, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return !title.isEmpty(); }));
  EXPECT_EQ(title, QStringLiteral("Charger un profil de recherche"));

  // Cancelled: a new profile, its unseen pages saved with their defaults.
  C<QLineEdit>(kSais, 202)->setText(QStringLiteral("Nom :"));
  AnswerFileDialog(ProfilsFile("nouveau"), &title);  // the default extension is added
  editor->Commands().Execute(ProfileEditor::kSave);
  EXPECT_EQ(title, QStringLiteral("Sauvegarder un profil de recherche"));
  EXPECT_EQ(editor->windowTitle(), QStringLiteral("Profil : /nouveau"));
  for (auto [key, value] : {std::pair{"LibS1", "Nom :"}, {"MaxDomains", "32"}, {"MinFiles", "1"}, {"GoogleUse", "-1"}}) {
    EXPECT_EQ(Key("/nouveau", key), value) << key;
  }
  // Opened from there: the name is the path under Profils.
  AnswerFileDialog(ProfilsFile("Musique/mp3.ini"));
  editor->Commands().Execute(ProfileEditor::kOpen);
  EXPECT_EQ(editor->windowTitle(), QStringLiteral("Profil : /Musique/mp3"));
}

TEST_F(EditorTest, RulesOfThePages) {
  OpenOn("/Musique/mp3");
  // Saisie: one field empties and disables the second label, frees the translation box.
  EXPECT_TRUE(C<QRadioButton>(kSais, 201)->isChecked() && !On(kSais, 101));
  C<QRadioButton>(kSais, 200)->setChecked(true);
  EXPECT_TRUE(!On(kSais, 203) && C<QLineEdit>(kSais, 203)->text().isEmpty() && On(kSais, 101));

  // Sliders write position x step; loading sets position = value / step.
  // {page, slider, edit, loaded position, moved to, shown}
  for (auto [page, id, edit, loaded, moveTo, shown] :
       {std::tuple{kExp, 101, 102, 8, 15, "3000"}, {kExp, 303, 302, 6, 2, "8"}, {kFiles, 102, 103, 12, 20, "4000"}}) {
    EXPECT_EQ(C<QSlider>(page, id)->value(), loaded) << id;
    C<QSlider>(page, id)->setValue(moveTo);
    EXPECT_EQ(C<QLineEdit>(page, edit)->text(), QString::fromLatin1(shown)) << id;
  }
  // Exploration: the date box frees its edit and puts 1 in place of 0.
  EXPECT_FALSE(On(kExp, 105));
  C<QCheckBox>(kExp, 103)->setChecked(true);
  EXPECT_TRUE(On(kExp, 105) && C<QLineEdit>(kExp, 105)->text() == "1");
  C<QCheckBox>(kExp, 300)->setChecked(false);
  EXPECT_FALSE(On(kExp, 101) || On(kExp, 104));
  // Files: S.A.D only with an archive type.
  EXPECT_TRUE(On(kFiles, 105));
  C<QCheckBox>(kFiles, 105)->setChecked(true);
  C<QCheckBox>(kFiles, 400)->setChecked(false);
  EXPECT_FALSE(On(kFiles, 105) || C<QCheckBox>(kFiles, 105)->isChecked());
  EXPECT_EQ(C<QLineEdit>(kFiles, 404)->text(), QStringLiteral("mp3,ogg"));
  // Engine masks are rebuilt from the boxes: bit 10 has no box.
  EXPECT_TRUE(C<QCheckBox>(kMot, 609)->isChecked() && !C<QCheckBox>(kMot, 700)->isChecked());
  EXPECT_TRUE(C<QCheckBox>(kMot, 802)->isChecked());
  C<QCheckBox>(kMot, 801)->setChecked(true);

  editor->Commands().Execute(ProfileEditor::kSave);
  for (auto [key, value] : {std::pair{"LibS2", ""}, {"AddLinkAway", "3000"}, {"MaxDomains", "8"}, {"FilesAway", "4000"},
              {"DateLimit", "1"}, {"AjourURL", "0"}, {"SAD", "0"}, {"Zip", "0"}, {"GoogleUse", "1023"},
              {"AtwUse", "0"}, {"WiseUse", "7"}}) {
    EXPECT_EQ(Key("/Musique/mp3", key), value) << key;
  }
  // The file as orvilane-cli profile prints it, against the editor's record.
  std::ostringstream out, err;
  ASSERT_EQ(RunCli({"--home", home.path(), "profile", "/Musique/mp3"}, out, err), 0) << err.str();
  std::string expected;
  for (const auto& [key, value] : ProfileAsWritten(ctx->editorProfile)) expected += key + "=" + value + "\n";
  EXPECT_EQ(out.str(), expected);
}

TEST_F(EditorTest, FilesOutsideProfilsAreRefused) {
  OpenOn("/Musique/mp3");
  home.Write("ailleurs.ini", "[Config]\r\nLibS1=Ailleurs\r\n");
  AnswerFileDialog(QString::fromStdString(home.File("ailleurs.ini")));
  QString text;
  AnswerBox(&text);  // the file dialog has gone by then: the refusal
  editor->Commands().Execute(ProfileEditor::kOpen);
  EXPECT_FALSE(text.isEmpty());
  EXPECT_EQ(editor->Name() + " " + ctx->editorProfile.LibS1, "/Musique/mp3 Titre :");
}

}  // namespace
}  // namespace orvi::test
