// The profile editor: the five pages and their rules, what it writes (read
// back by orvilane-cli profile), and the file dialogs.
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <sstream>

#include "app/cli.h"
#include "core/commands.h"
#include "frame_fixture.h"
#include "search/profile_file.h"
#include "ui/profile_editor.h"

namespace orvi::test {
namespace {

using ui::ProfileEditor;

enum Page { kGen, kSais, kExp, kFiles, kMot };

class EditorTest : public FrameFixture {
 protected:
  void SetUp() override {
    Put("Profils/Musique/mp3.ini",
        "[Config]\r\nHelpText=Aide\r\nLibS1=Titre :\r\nLibS2=Artiste :\r\nAddLinkAway=1600\r\nFilesAway=2400\r\n"
        "MaxDomains=24\r\nKey0=+mp3\r\nGoogleUse=1\r\nAtwUse=3\r\nWiseUse=0\r\nZip=1\r\nAjourURL=1\r\n"
        "Slnk=music\r\nURLKeysFirst=1\r\nExtensions=mp3,ogg\r\n");
    MakeFrame();
  }
  void TearDown() override {
    if (editor) delete editor.data();
    FrameFixture::TearDown();
  }
  ProfileEditor& OpenOn(const std::string& name) {
    editor = ProfileEditor::Open(*env, &frame->Results(), name);
    return *editor;
  }
  template <class W>
  W* C(int page, int id) {
    editor->ShowPage(page);
    return editor->Page(page)->Control<W>(id);
  }
  QString ProfilsFile(const char* name) { return QString::fromStdString(home.File(std::string("Profils/") + name)); }
  std::string Key(const std::string& name, const std::string& key) {
    std::string file = home.Read("Profils" + name + ".ini");
    size_t at = file.find("\r\n" + key + "=");
    if (at == std::string::npos) return "<none>";
    at += key.size() + 3;
    return file.substr(at, file.find("\r\n", at) - at);
  }

  QPointer<ProfileEditor> editor;
};

TEST_F(EditorTest, FromTheMenuTheOpenDialogComesAtOnce) {
  QString title;
  AnswerFileDialog("", &title);
  frame->Results().Commands().Execute(cmd::kProfileEditor);
  // By its name: the editor class has no meta-object of its own, so a cast
  // by class alone would take any widget.
  editor = frame->Results().findChild<ProfileEditor*>(QStringLiteral("TFF"));
  ASSERT_NE(editor, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return !title.isEmpty(); }));
  EXPECT_EQ(title, QStringLiteral("Charger un profil de recherche"));

  // Opened from there: the name is the path under Profils.
  AnswerFileDialog(ProfilsFile("Musique/mp3.ini"));
  editor->Commands().Execute(ProfileEditor::kOpen);
  EXPECT_EQ(editor->windowTitle(), QStringLiteral("Profil : /Musique/mp3"));
}

TEST_F(EditorTest, ANewProfileSavedWithoutVisitingEveryPage) {
  OpenOn("");
  QString asked;
  AnswerFileDialog("", &asked);
  ASSERT_TRUE(PumpUntil([&] { return !asked.isEmpty(); }));
  C<QLineEdit>(kSais, 202)->setText(QStringLiteral("Nom :"));
  QString saveTitle;
  AnswerFileDialog(ProfilsFile("nouveau"), &saveTitle);  // the default extension is added
  editor->Commands().Execute(ProfileEditor::kSave);
  EXPECT_EQ(saveTitle, QStringLiteral("Sauvegarder un profil de recherche"));
  EXPECT_EQ(editor->windowTitle(), QStringLiteral("Profil : /nouveau"));
  for (auto [key, value] : {std::pair{"AddLinkAway", "0"}, {"FilesAway", "0"}, {"LibS1", "Nom :"}, {"GoogleUse", "-1"},
              {"MaxDomains", "32"}, {"MinFiles", "1"}, {"FindS", "1"}, {"AjourURL", "0"}}) {
    EXPECT_EQ(Key("/nouveau", key), value) << key;
  }
  // Visiting the pages shows the zeros.
  EXPECT_EQ(C<QLineEdit>(kExp, 102)->text(), QStringLiteral("0"));
  EXPECT_EQ(C<QLineEdit>(kFiles, 103)->text(), QStringLiteral("0"));
}

TEST_F(EditorTest, RulesOfThePages) {
  OpenOn("/Musique/mp3");
  // Saisie: one field empties and disables the second label, frees the translation box.
  EXPECT_TRUE(C<QRadioButton>(kSais, 201)->isChecked());
  EXPECT_FALSE(C<QCheckBox>(kSais, 101)->isEnabled());
  C<QRadioButton>(kSais, 200)->setChecked(true);
  EXPECT_FALSE(C<QLineEdit>(kSais, 203)->isEnabled());
  EXPECT_TRUE(C<QLineEdit>(kSais, 203)->text().isEmpty());
  EXPECT_TRUE(C<QCheckBox>(kSais, 101)->isEnabled());

  // Sliders write position x step; loading sets position = value / step.
  struct Slider {
    int page, slider, edit, loadedPosition, moveTo;
    const char* shown;
  } sliders[] = {{kExp, 101, 102, 8, 15, "3000"}, {kExp, 303, 302, 6, 2, "8"}, {kFiles, 102, 103, 12, 20, "4000"}};
  for (const Slider& s : sliders) {
    QSlider* slider = C<QSlider>(s.page, s.slider);
    EXPECT_EQ(slider->value(), s.loadedPosition) << s.slider;
    slider->setValue(s.moveTo);
    EXPECT_EQ(C<QLineEdit>(s.page, s.edit)->text(), QString::fromLatin1(s.shown)) << s.slider;
  }
  // Exploration: the date box frees its edit and puts 1 in place of 0.
  EXPECT_FALSE(C<QLineEdit>(kExp, 105)->isEnabled());
  C<QCheckBox>(kExp, 103)->setChecked(true);
  EXPECT_TRUE(C<QLineEdit>(kExp, 105)->isEnabled());
  EXPECT_EQ(C<QLineEdit>(kExp, 105)->text(), QStringLiteral("1"));
  C<QCheckBox>(kExp, 300)->setChecked(false);
  EXPECT_FALSE(C<QSlider>(kExp, 101)->isEnabled());
  EXPECT_FALSE(C<QLineEdit>(kExp, 104)->isEnabled());
  // Files: S.A.D only with an archive type.
  EXPECT_TRUE(C<QCheckBox>(kFiles, 105)->isEnabled());
  C<QCheckBox>(kFiles, 105)->setChecked(true);
  C<QCheckBox>(kFiles, 400)->setChecked(false);
  EXPECT_FALSE(C<QCheckBox>(kFiles, 105)->isEnabled());
  EXPECT_FALSE(C<QCheckBox>(kFiles, 105)->isChecked());
  EXPECT_EQ(C<QLineEdit>(kFiles, 404)->text(), QStringLiteral("mp3,ogg"));

  editor->Commands().Execute(ProfileEditor::kSave);
  for (auto [key, value] : {std::pair{"LibS2", ""}, {"AddLinkAway", "3000"}, {"MaxDomains", "8"}, {"FilesAway", "4000"},
              {"DateLimit", "1"}, {"AjourURL", "0"}, {"SAD", "0"}, {"Zip", "0"}, {"AtwUse", "3"}}) {
    EXPECT_EQ(Key("/Musique/mp3", key), value) << key;
  }
  // The file as orvilane-cli profile prints it, against the editor's record.
  std::ostringstream out, err;
  ASSERT_EQ(RunCli({"--home", home.path(), "profile", "/Musique/mp3"}, out, err), 0) << err.str();
  std::string expected;
  for (const auto& [key, value] : ProfileAsWritten(ctx->editorProfile)) expected += key + "=" + value + "\n";
  EXPECT_EQ(out.str(), expected);
}

TEST_F(EditorTest, SystematicModeTurnsOffAddedLinksAndEmptyTermsTheirPriority) {
  OpenOn("/Musique/mp3");
  C<QRadioButton>(kFiles, 411)->setChecked(true);
  EXPECT_FALSE(C<QSlider>(kFiles, 102)->isEnabled());
  EXPECT_FALSE(C<QCheckBox>(kFiles, 101)->isEnabled());
  QCheckBox* addLinks = C<QCheckBox>(kExp, 300);
  EXPECT_FALSE(addLinks->isEnabled());
  EXPECT_FALSE(addLinks->isChecked());
  editor->Commands().Execute(ProfileEditor::kSave);
  EXPECT_EQ(Key("/Musique/mp3", "AjourURL"), "0");
  EXPECT_EQ(Key("/Musique/mp3", "ExtractAll"), "1");

  // Terms emptied clear their priority.
  EXPECT_TRUE(C<QCheckBox>(kExp, 107)->isChecked());
  C<QLineEdit>(kExp, 104)->setText(QStringLiteral("Jazz,Blues"));
  editor->Commands().Execute(ProfileEditor::kSave);
  EXPECT_EQ(Key("/Musique/mp3", "Slnk"), "jazz,blues");
  EXPECT_EQ(Key("/Musique/mp3", "URLKeysFirst"), "1");
  C<QLineEdit>(kExp, 104)->clear();
  editor->Commands().Execute(ProfileEditor::kSave);
  EXPECT_EQ(Key("/Musique/mp3", "URLKeysFirst"), "0");
}

TEST_F(EditorTest, EngineMasksRebuiltFromTheBoxes) {
  Put("Profils/m.ini", "[Config]\r\nGoogleUse=-1\r\nAtwUse=1024\r\nWiseUse=5\r\n");
  OpenOn("/m");
  EXPECT_TRUE(C<QCheckBox>(kMot, 609)->isChecked());
  EXPECT_FALSE(C<QCheckBox>(kMot, 700)->isChecked());  // bit 10 has no box
  EXPECT_TRUE(C<QCheckBox>(kMot, 802)->isChecked());
  C<QCheckBox>(kMot, 801)->setChecked(true);
  editor->Commands().Execute(ProfileEditor::kSave);
  EXPECT_EQ(Key("/m", "GoogleUse"), "1023");
  EXPECT_EQ(Key("/m", "AtwUse"), "0");
  EXPECT_EQ(Key("/m", "WiseUse"), "7");
}

TEST_F(EditorTest, DeleteAsksFirst) {
  OpenOn("/Musique/mp3");
  for (auto [button, kept] : {std::pair{"Non", true}, {"Oui", false}}) {
    QString text;
    AnswerBox(&text, QString::fromLatin1(button));
    editor->Commands().Execute(ProfileEditor::kDelete);
    EXPECT_EQ(text, QString::fromUtf8("Voulez-vous supprimer définitivement cette recherche ?"));
    EXPECT_EQ(QFile::exists(ProfilsFile("Musique/mp3.ini")), kept);
  }
  EXPECT_EQ(editor->windowTitle(), QStringLiteral("Profil : "));
  EXPECT_EQ(ctx->editorProfile.MinFiles, 1);
}

TEST_F(EditorTest, FilesOutsideProfilsOrNotIniAreRefused) {
  OpenOn("/Musique/mp3");
  home.Write("ailleurs.ini", "[Config]\r\nLibS1=Ailleurs\r\n");
  Put("Profils/note.txt", "x");
  for (const char* file : {"ailleurs.ini", "Profils/note.txt"}) {
    AnswerFileDialog(QString::fromStdString(home.File(file)));
    QString text;
    AnswerBox(&text);  // the file dialog has gone by then: the refusal
    editor->Commands().Execute(ProfileEditor::kOpen);
    EXPECT_FALSE(text.isEmpty()) << file;
    EXPECT_EQ(editor->Name(), "/Musique/mp3") << file;
    EXPECT_EQ(ctx->editorProfile.LibS1, "Titre :");
  }
}

}  // namespace
}  // namespace orvi::test
