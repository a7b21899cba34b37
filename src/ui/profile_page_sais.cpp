// TSais, "Saisie recherche": one input or two, and what the input is for.
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

#include "search/profile_file.h"
#include "ui/profile_page.h"

namespace orvi::ui {
namespace {

enum Box { kPage, kInputs, kUse };
constexpr BoxRow kBoxes[] = {
    {.key = kPage, .kind = BoxKind::Column},
    {.key = kInputs, .kind = BoxKind::Grid},
    {.key = kUse, .kind = BoxKind::Column},
    {.kind = BoxKind::Stretch, .at = {kPage, 2}},
};
constexpr ControlRow kControls[] = {
    {.kind = Kind::Group, .text = "Champs de saisie", .at = {kPage, 0}, .holds = kInputs},
    {.id = tsais::kOneField, .kind = Kind::Radio, .text = "Un champ de saisie (défaut)", .at = {kInputs, 0, 0, 1, 2},
     .group = 1},
    {.id = tsais::kTwoFields, .kind = Kind::Radio, .text = "Deux champs de saisie", .at = {kInputs, 1, 0, 1, 2},
     .group = 1},
    {.text = "Intitulé de la 1ere saisie :", .at = {kInputs, 2, 0}, .flags = kBuddy},
    {.id = tsais::kLabel1, .kind = Kind::Edit, .at = {kInputs, 2, 1}, .limit = kLabelChars},
    {.text = "Intitulé de la 2eme saisie :", .at = {kInputs, 3, 0}, .flags = kBuddy},
    {.id = tsais::kLabel2, .kind = Kind::Edit, .at = {kInputs, 3, 1}, .limit = kLabelChars},
    {.id = tsais::kTranslate, .kind = Kind::Check,
     .text = "Proposer le bouton de traduction de la saisie (une seule saisie) en l'anglais",
     .at = {kInputs, 4, 0, 1, 2}},
    {.kind = Kind::Note,
     .text = "En principe, un seul champ est saisi par l'utilisateur. Cependant, dans certains cas, il peut être utile "
             "d'en utiliser 2. Dans ce cas, les moteurs de recherche recoivent 3 passes d'interrogation :\n"
             "- Une série de mots-clef combinés avec les deux saisies simultanément\n"
             "- Une série de mots-clef combinés avec la 1ere saisie\n"
             "- Une série de mots-clef combinés avec la 2eme saisie",
     .at = {kInputs, 5, 0, 1, 2}},
    {.kind = Kind::Group, .text = "Utilisation de la saisie", .at = {kPage, 1}, .holds = kUse},
    {.id = tsais::kEngines, .kind = Kind::Radio,
     .text = "Le(s) champs de saisie sont utilisés pour interroger les moteurs de recherche (défaut)",
     .at = {kUse, 0}, .group = 2},
    {.id = tsais::kLinksOnly, .kind = Kind::Radio,
     .text = "Le(s) champs de saisie sont seulement utilisés pour repérer les liens dans les pages", .at = {kUse, 1},
     .group = 2},
    {.kind = Kind::Note,
     .text = "Le 1er choix est le choix par défaut pour une recherche normale. Le 2eme choix est utilisable pour des "
             "modes de force brute (scanning des sites)",
     .at = {kUse, 2}},
};
// The radio pair 200/201 only shows whether LibS2 is empty.
constexpr FieldBinding kFields[] = {
    bind::Text(tsais::kLabel1, &SearchProfile::LibS1, kLabelChars),
    bind::Text(tsais::kLabel2, &SearchProfile::LibS2, kLabelChars),
    bind::Check(tsais::kTranslate, &SearchProfile::Translate),
    bind::Choice(tsais::kEngines, &SearchProfile::FindS, true),
    bind::Choice(tsais::kLinksOnly, &SearchProfile::FindS, false),
};

class InputPage final : public EditorPage {
 public:
  explicit InputPage(ProfileEditor& editor)
      : EditorPage(editor, {41, "Saisie recherche", kControls, kBoxes, kFields}) {
    connect(Control<QRadioButton>(tsais::kOneField), &QRadioButton::toggled, this, [this] { ApplyRule(); });
  }

 protected:
  void Shown(const SearchProfile& p) override {
    Control<QRadioButton>(p.LibS2.empty() ? tsais::kOneField : tsais::kTwoFields)->setChecked(true);
    ApplyRule();
  }

 private:
  // Two inputs: the second label is typed and no translation is offered.
  void ApplyRule() {
    const bool two = Control<QRadioButton>(tsais::kTwoFields)->isChecked();
    auto* label2 = Control<QLineEdit>(tsais::kLabel2);
    auto* translate = Control<QCheckBox>(tsais::kTranslate);
    label2->setEnabled(two);
    if (!two) label2->clear();
    translate->setEnabled(!two);
    if (two) translate->setChecked(false);
  }
};

}  // namespace

EditorPage* MakeInputPage(ProfileEditor& editor) { return new InputPage(editor); }

}  // namespace orvi::ui
