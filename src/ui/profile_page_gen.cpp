// TGen, "Description": the profile's instructions for use.
#include "search/profile_file.h"
#include "ui/profile_page.h"

namespace orvi::ui {
namespace {

enum Box { kPage, kInstructions };
constexpr BoxRow kBoxes[] = {
    {.key = kPage, .kind = BoxKind::Column},
    {.key = kInstructions, .kind = BoxKind::Column},
};
constexpr ControlRow kControls[] = {
    {.kind = Kind::Group, .text = "Instructions d'utilisation", .at = {kPage, 0}, .holds = kInstructions},
    {.id = tgen::kHelp, .kind = Kind::Lines, .at = {kInstructions, 0}},
};
constexpr FieldBinding kFields[] = {bind::Lines(tgen::kHelp, &SearchProfile::HelpText, kHelpTextChars)};

}  // namespace

EditorPage* MakeDescriptionPage(ProfileEditor& editor) {
  return new EditorPage(editor, {40, "Description", kControls, kBoxes, kFields});
}

}  // namespace orvi::ui
