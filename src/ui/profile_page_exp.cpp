// TExp, "Exploration web": which links of a page are explored, and how many
// pages of one site.
#include <QCheckBox>
#include <QLineEdit>
#include <QSlider>

#include "search/profile_file.h"
#include "ui/profile_editor.h"
#include "ui/profile_page.h"

namespace orvi::ui {
namespace {

constexpr int kAddStep = 200;
constexpr int kDomainStep = 4;

enum Box { kPage, kExploration, kDate, kDomains, kEnds };
constexpr BoxRow kBoxes[] = {
    {.key = kPage, .kind = BoxKind::Column},
    {.key = kExploration, .kind = BoxKind::Grid, .stretchColumn = 1},
    {.key = kDate, .kind = BoxKind::Row, .at = {kExploration, 8, 0, 1, 3}},
    {.kind = BoxKind::Stretch, .at = {kDate, 3}},
    {.key = kDomains, .kind = BoxKind::Grid},
    {.key = kEnds, .kind = BoxKind::Row, .at = {kDomains, 2, 0, 1, 3}},
    {.kind = BoxKind::Stretch, .at = {kEnds, 1}},
    {.kind = BoxKind::Stretch, .at = {kEnds, 3}},
    {.kind = BoxKind::Stretch, .at = {kPage, 2}},
};
constexpr ControlRow kControls[] = {
    {.kind = Kind::Group, .text = "Exploration ", .at = {kPage, 0}, .holds = kExploration},
    {.id = texp::kAddLinks, .kind = Kind::Check,
     .text = "Ajouter et explorer les liens trouvés proches de la saisie sur les pages (défaut)",
     .at = {kExploration, 0, 0, 1, 3}},
    {.kind = Kind::Note,
     .text = "Cette option permet  à ORVI d'ajouter de nouvelles pages à explorer lorsqu'il rencontre dans une page des "
             "liens qui sont proches de la chaine de saisie cible.",
     .at = {kExploration, 1, 0, 1, 3}},
    {.text = "Distance des liens autour de la chaine :", .at = {kExploration, 2, 0}, .flags = kBuddy},
    {.id = texp::kDistance, .kind = Kind::Slider, .at = {kExploration, 2, 1}, .lo = 2, .hi = 15, .step = 1},
    {.id = texp::kDistanceEdit, .kind = Kind::Edit, .at = {kExploration, 2, 2}, .lo = 0, .hi = 99999, .width = 60},
    {.text = "Explorer également les liens (internes au site) mentionnant un des termes",
     .at = {kExploration, 3, 0, 1, 3}, .flags = kBuddy},
    {.id = texp::kTerms, .kind = Kind::Edit, .at = {kExploration, 4, 0, 1, 2}, .limit = kSlnkChars},
    {.text = "séparer par des virgules", .at = {kExploration, 4, 2}},
    {.id = texp::kTermsFirst, .kind = Kind::Check, .text = "Analyser en priorité les url contenant ces termes",
     .at = {kExploration, 5, 0, 1, 3}},
    {.id = texp::kCache, .kind = Kind::Check, .text = "Permettre l'utilisation des pages-cache de Google",
     .at = {kExploration, 6, 0, 1, 3}},
    {.kind = Kind::Note,
     .text = "Lorsqu'une page trouvée par Google n'est plus accessible ou que son contenu a changé (chaine cherchée "
             "absente), orvi utilisera la page en mémoire-cache de Google.",
     .at = {kExploration, 7, 0, 1, 3}},
    {.id = texp::kDateCheck, .kind = Kind::Check, .text = "Vérifier la date des pages avant de les charger:",
     .at = {kDate, 0}},
    {.id = texp::kMonths, .kind = Kind::Edit, .at = {kDate, 1}, .lo = 0, .hi = 9999, .width = 40},
    {.text = "mois d'ancienneté max", .at = {kDate, 2}},
    {.id = texp::kNews, .kind = Kind::Check, .text = "Filtrer les archives, news, boards et autres URL de ce type",
     .at = {kExploration, 9, 0, 1, 3}},
    {.kind = Kind::Group, .text = "Limitation de domaines", .at = {kPage, 1}, .holds = kDomains},
    {.kind = Kind::Note,
     .text = "Nombre maximum de pages explorées par nom de domaine : ce filtre évite de perdre du temps lorsque les "
             "moteurs listent un très grand nombre de pages d'un même site (les pages personnelles d'un hébergeur "
             "gratuit, par exemple).",
     .at = {kDomains, 0, 0, 1, 4}},
    {.id = texp::kDomains, .kind = Kind::Slider, .at = {kDomains, 1, 0, 1, 3}, .lo = 2, .hi = 16, .step = 1},
    {.id = texp::kDomainsEdit, .kind = Kind::Edit, .at = {kDomains, 1, 3}, .lo = 0, .hi = 9999, .width = 60},
    {.text = "faible", .at = {kEnds, 0}},
    {.text = "moyen", .at = {kEnds, 2}},
    {.text = "élevé", .at = {kEnds, 4}},
};
constexpr FieldBinding kFields[] = {
    bind::Check(texp::kAddLinks, &SearchProfile::AjourURL),
    bind::Scaled(texp::kDistance, texp::kDistanceEdit, &SearchProfile::AddLinkAway, kAddStep),
    bind::Text(texp::kTerms, &SearchProfile::Slnk, kSlnkChars),
    bind::Check(texp::kTermsFirst, &SearchProfile::URLKeysFirst),
    bind::Check(texp::kCache, &SearchProfile::GoogleCache),
    bind::Gated(texp::kDateCheck, texp::kMonths, &SearchProfile::DateLimit),
    bind::Unchecked(texp::kNews, &SearchProfile::EnableNews),
    bind::Scaled(texp::kDomains, texp::kDomainsEdit, &SearchProfile::MaxDomains, kDomainStep),
};

std::string Lowered(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

class ExplorationPage final : public EditorPage {
 public:
  explicit ExplorationPage(ProfileEditor& editor)
      : EditorPage(editor, {42, "Exploration web", kControls, kBoxes, kFields}) {
    connect(Control<QCheckBox>(texp::kAddLinks), &QCheckBox::toggled, this, [this] { ApplyRules(); });
    connect(Control<QCheckBox>(texp::kDateCheck), &QCheckBox::toggled, this, [this](bool on) {
      QLineEdit* months = Control<QLineEdit>(texp::kMonths);
      if (on && months->text().trimmed().toInt() == 0) months->setText(QStringLiteral("1"));
      ApplyRules();
    });
  }
  // In systematic mode every link is explored anyway.
  void Activated() override {
    QCheckBox* addLinks = Control<QCheckBox>(texp::kAddLinks);
    addLinks->setEnabled(!editor_.Systematic());
    if (editor_.Systematic()) addLinks->setChecked(false);
    ApplyRules();
  }

 protected:
  void Shown(const SearchProfile& p) override {
    QCheckBox* addLinks = Control<QCheckBox>(texp::kAddLinks);
    addLinks->setEnabled(!editor_.Systematic());
    if (p.ExtractAll) addLinks->setChecked(false);
    ApplyRules();
  }
  void Taken(SearchProfile& p) const override {
    p.Slnk = Lowered(p.Slnk);
    p.URLKeysFirst = p.URLKeysFirst && !p.Slnk.empty();
  }

 private:
  void ApplyRules() {
    const bool add = Control<QCheckBox>(texp::kAddLinks)->isChecked();
    for (int id : {texp::kDistance, texp::kDistanceEdit, texp::kTerms}) ControlById(id)->setEnabled(add);
    ControlById(texp::kMonths)->setEnabled(Control<QCheckBox>(texp::kDateCheck)->isChecked());
  }
};

}  // namespace

EditorPage* MakeExplorationPage(ProfileEditor& editor) { return new ExplorationPage(editor); }

}  // namespace orvi::ui
