// TFiles, "Paramètres fichiers": the kinds of file wanted and how their
// links are picked out of a page.
#include <QCheckBox>
#include <QRadioButton>

#include "ui/profile_editor.h"
#include "ui/profile_page.h"

namespace orvi::ui {
namespace {

constexpr int kDistanceStep = 200;

enum Box { kPage, kTypes, kMinimum, kPosition, kNames };
constexpr BoxRow kBoxes[] = {
    {.key = kPage, .kind = BoxKind::Column},
    {.key = kTypes, .kind = BoxKind::Grid, .stretchColumn = 3},
    {.key = kMinimum, .kind = BoxKind::Row, .at = {kTypes, 7, 0, 1, 4}},
    {.kind = BoxKind::Stretch, .at = {kMinimum, 3}},
    {.key = kPosition, .kind = BoxKind::Grid, .stretchColumn = 1},
    {.key = kNames, .kind = BoxKind::Row},
    {.kind = BoxKind::Stretch, .at = {kPage, 3}},
};
// The types in two rows, so that "Serveurs: idrive, myspace ..." is never cut.
constexpr ControlRow kControls[] = {
    {.kind = Kind::Group, .text = "Type de fichiers", .at = {kPage, 0}, .holds = kTypes},
    {.id = tfiles::kZip, .kind = Kind::Check, .text = "Zip", .at = {kTypes, 0, 0}},
    {.id = tfiles::kArchiv, .kind = Kind::Check, .text = "Rar, Ace", .at = {kTypes, 0, 1}},
    {.id = tfiles::kSad, .kind = Kind::Check, .text = "Activer S.A.D (smart archive détection)",
     .at = {kTypes, 2, 0, 1, 4}},
    {.id = tfiles::kExe, .kind = Kind::Check, .text = "Exe (exécutables)", .at = {kTypes, 1, 0}},
    {.id = tfiles::kServers, .kind = Kind::Check, .text = "Serveurs: idrive, myspace ...", .at = {kTypes, 1, 1, 1, 3}},
    {.kind = Kind::Note,
     .text = "Détection automatique d'archives (zip-rar-ace...) sans analyse de l'extension des fichiers",
     .at = {kTypes, 3, 0, 1, 4}},
    {.text = "Autres types (extensions séparées par une virgule)", .at = {kTypes, 4, 0, 1, 4}, .flags = kBuddy},
    {.id = tfiles::kExtensions, .kind = Kind::Edit, .at = {kTypes, 5, 0, 1, 4}, .limit = 119},
    {.id = tfiles::kWithExtension, .kind = Kind::Check, .text = "La saisie est un nom de fichier avec extension",
     .at = {kTypes, 6, 0, 1, 4}},
    {.kind = Kind::Group, .text = "Sélection des fichiers: Position", .at = {kPage, 1}, .holds = kPosition},
    {.text = "Ne retenir que les groupes de fichiers (archives) :", .at = {kMinimum, 0}, .flags = kBuddy},
    {.id = tfiles::kMinFiles, .kind = Kind::Edit, .at = {kMinimum, 1}, .lo = 0, .hi = 9999, .width = 40},
    {.text = "fichiers minimum", .at = {kMinimum, 2}},
    {.id = tfiles::kSelective, .kind = Kind::Radio, .text = "Mode sélectif (défaut)", .at = {kPosition, 0, 0},
     .group = 1},
    {.id = tfiles::kSystematic, .kind = Kind::Radio, .text = "Mode systématique", .at = {kPosition, 0, 1, 1, 2},
     .group = 1},
    {.text = "Distance :", .at = {kPosition, 1, 0}, .flags = kBuddy},
    {.id = tfiles::kDistance, .kind = Kind::Slider, .at = {kPosition, 1, 1}, .lo = 5, .hi = 20, .step = 1},
    {.id = tfiles::kDistanceEdit, .kind = Kind::Edit, .at = {kPosition, 1, 2}, .lo = 0, .hi = 99999, .width = 60},
    {.id = tfiles::kSdm, .kind = Kind::Check, .text = "Activer S.D.M (scoring detection mode)",
     .at = {kPosition, 2, 0, 1, 3}},
    {.kind = Kind::Note, .text = "Recommandé pour la recherche de logiciels", .at = {kPosition, 3, 0, 1, 3}},
    {.kind = Kind::Group, .text = "Sélection des fichiers: Noms", .at = {kPage, 2}, .holds = kNames},
    {.id = tfiles::kAnonymous, .kind = Kind::Radio, .text = "Mode \"anonyme\"", .at = {kNames, 0}, .group = 2},
    {.id = tfiles::kNear, .kind = Kind::Radio, .text = "Mode \"approché\"", .at = {kNames, 1}, .group = 2},
    {.id = tfiles::kStrict, .kind = Kind::Radio, .text = "Mode \"strict\"", .at = {kNames, 2}, .group = 2},
};
constexpr FieldBinding kFields[] = {
    bind::Check(tfiles::kZip, &SearchProfile::Zip),
    bind::Check(tfiles::kArchiv, &SearchProfile::Archiv),
    bind::Check(tfiles::kSad, &SearchProfile::SAD),
    bind::Check(tfiles::kExe, &SearchProfile::Exe),
    bind::Check(tfiles::kServers, &SearchProfile::Serveurs),
    bind::Extensions(tfiles::kExtensions),
    bind::Check(tfiles::kWithExtension, &SearchProfile::AddExtSais),
    bind::Number(tfiles::kMinFiles, &SearchProfile::MinFiles),
    bind::Choice(tfiles::kSelective, &SearchProfile::ExtractAll, false),
    bind::Choice(tfiles::kSystematic, &SearchProfile::ExtractAll, true),
    bind::Scaled(tfiles::kDistance, tfiles::kDistanceEdit, &SearchProfile::FilesAway, kDistanceStep),
    bind::Check(tfiles::kSdm, &SearchProfile::SDM),
    bind::Choice(tfiles::kAnonymous, &SearchProfile::FileNameMode, 0),
    bind::Choice(tfiles::kNear, &SearchProfile::FileNameMode, 1),
    bind::Choice(tfiles::kStrict, &SearchProfile::FileNameMode, 2),
};

class FilesPage final : public EditorPage {
 public:
  explicit FilesPage(ProfileEditor& editor)
      : EditorPage(editor, {43, "Paramètres fichiers", kControls, kBoxes, kFields}) {
    for (int id : {tfiles::kZip, tfiles::kArchiv}) {
      connect(Control<QCheckBox>(id), &QCheckBox::toggled, this, [this] { ApplyRules(); });
    }
    connect(Control<QRadioButton>(tfiles::kSystematic), &QRadioButton::toggled, this, [this](bool on) {
      editor_.SetSystematic(on);
      ApplyRules();
    });
  }

 protected:
  void Shown(const SearchProfile&) override { ApplyRules(); }

 private:
  // S.A.D needs archives; systematic mode takes every file, so distance and
  // S.D.M do not apply.
  void ApplyRules() {
    QCheckBox* sad = Control<QCheckBox>(tfiles::kSad);
    const bool archives =
        Control<QCheckBox>(tfiles::kZip)->isChecked() || Control<QCheckBox>(tfiles::kArchiv)->isChecked();
    sad->setEnabled(archives);
    if (!archives) sad->setChecked(false);
    const bool systematic = Control<QRadioButton>(tfiles::kSystematic)->isChecked();
    QCheckBox* sdm = Control<QCheckBox>(tfiles::kSdm);
    for (int id : {tfiles::kDistance, tfiles::kDistanceEdit, tfiles::kSdm}) ControlById(id)->setEnabled(!systematic);
    if (systematic) sdm->setChecked(false);
  }
};

}  // namespace

EditorPage* MakeFilesPage(ProfileEditor& editor) { return new FilesPage(editor); }

}  // namespace orvi::ui
