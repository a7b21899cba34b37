// TMot, "Moteurs de recherche": the keyword rows and the engines each goes to.
#include <iterator>
#include <vector>

#include "search/profile_file.h"
#include "ui/profile_page.h"

namespace orvi::ui {
namespace {

constexpr int kRows = SearchProfile::kKeyRows;

enum Box { kPage, kKeys, kLegend, kFilter };
constexpr BoxRow kBoxes[] = {
    {.key = kPage, .kind = BoxKind::Column},
    {.key = kKeys, .kind = BoxKind::Grid, .vSpacing = 2, .stretchColumn = 1},
    {.key = kLegend, .kind = BoxKind::Row, .at = {kKeys, kRows, 1, 1, 4}, .spacing = 24},
    {.kind = BoxKind::Stretch, .at = {kLegend, 3}},
    {.key = kFilter, .kind = BoxKind::Column},
    {.kind = BoxKind::Stretch, .at = {kPage, 4}},
};
constexpr ControlRow kHead[] = {
    {.kind = Kind::Note,
     .text = "Les moteurs de recherches sont interrogés avec une combinaison de votre saisie cible et des mots-clefs "
             "ci-dessus. J'usqu'à 10 \"passes\" peuvent être effectuées.",
     .at = {kPage, 0}},
    {.kind = Kind::Note,
     .text = "Une règle d'or: commencer toujours par la combinaison la plus sélective (celle qui donnera le moins de "
             "résultats mais qui sera la plus ciblée)",
     .at = {kPage, 1}},
    {.kind = Kind::Group, .text = "Mots clefs moteurs ", .at = {kPage, 2}, .holds = kKeys},
};
constexpr ControlRow kTail[] = {
    {.text = "G = Google", .at = {kLegend, 0}},
    {.text = "F = Fast", .at = {kLegend, 1}},
    {.text = "W = WiseNut", .at = {kLegend, 2}},
    {.kind = Kind::Group, .text = "Filtrage supplémentaire ", .at = {kPage, 3}, .holds = kFilter},
    {.id = tmot::kSexFilter, .kind = Kind::Check,
     .text = "Filtre spécifique Fast/WiseNut  (évite de récupérer des sites X dans certains types de recherche)",
     .at = {kFilter, 0}},
};
constexpr FieldBinding kFields[] = {
    bind::Keys(tmot::kFirstKey, kKeyRowChars),
    bind::Mask(tmot::kFirstGoogle, &SearchProfile::GoogleUse),
    bind::Mask(tmot::kFirstFast, &SearchProfile::AtwUse),
    bind::Mask(tmot::kFirstWiseNut, &SearchProfile::WiseUse),
    bind::Check(tmot::kSexFilter, &SearchProfile::SexFilter),
};

// The keyboard goes down the ten rows, then down each engine's column.
std::vector<ControlRow> Controls() {
  static constexpr const char* kNumbers[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
  static constexpr const char* kLetters[] = {"G", "F", "W"};
  static constexpr int kFirstBox[] = {tmot::kFirstGoogle, tmot::kFirstFast, tmot::kFirstWiseNut};
  std::vector<ControlRow> rows(std::begin(kHead), std::end(kHead));
  for (int r = 0; r < kRows; ++r) {
    rows.push_back({.id = tmot::kFirstKey + r, .kind = Kind::Edit, .at = {kKeys, r, 1}, .limit = kKeyRowChars});
    rows.push_back({.text = kNumbers[r], .at = {kKeys, r, 0, 1, 1, Qt::AlignRight}});
  }
  for (int e = 0; e < 3; ++e) {
    for (int r = 0; r < kRows; ++r) {
      rows.push_back({.id = kFirstBox[e] + r, .kind = Kind::Check, .text = kLetters[e], .at = {kKeys, r, 2 + e}});
    }
  }
  rows.insert(rows.end(), std::begin(kTail), std::end(kTail));
  return rows;
}

}  // namespace

EditorPage* MakeEnginesPage(ProfileEditor& editor) {
  const std::vector<ControlRow> rows = Controls();
  return new EditorPage(editor, {44, "Moteurs de recherche", rows, kBoxes, kFields});
}

}  // namespace orvi::ui
