#pragma once

#include <QWidget>

#include <cstdint>
#include <span>
#include <string>

#include "core/search_profile.h"
#include "ui/control_table.h"
#include "ui/controls.h"

namespace orvi::ui {

class ProfileEditor;

// The controls of the five pages (windows 40 to 44); the numbers repeat
// from page to page.
namespace tgen {
constexpr int kHelp = 101;
}  // namespace tgen
namespace tsais {
constexpr int kOneField = 200;
constexpr int kTwoFields = 201;
constexpr int kLabel1 = 202;
constexpr int kLabel2 = 203;
constexpr int kTranslate = 101;
constexpr int kEngines = 210;
constexpr int kLinksOnly = 211;
}  // namespace tsais
namespace texp {
constexpr int kAddLinks = 300;
constexpr int kDistance = 101;
constexpr int kDistanceEdit = 102;
constexpr int kTerms = 104;
constexpr int kTermsFirst = 107;
constexpr int kCache = 301;
constexpr int kDateCheck = 103;
constexpr int kMonths = 105;
constexpr int kNews = 106;
constexpr int kDomainsEdit = 302;
constexpr int kDomains = 303;
}  // namespace texp
namespace tfiles {
constexpr int kZip = 400;
constexpr int kArchiv = 401;
constexpr int kSad = 105;
constexpr int kExe = 402;
constexpr int kServers = 403;
constexpr int kExtensions = 404;
constexpr int kWithExtension = 405;
constexpr int kMinFiles = 406;
constexpr int kSelective = 410;
constexpr int kSystematic = 411;
constexpr int kDistance = 102;
constexpr int kDistanceEdit = 103;
constexpr int kSdm = 101;
constexpr int kAnonymous = 420;
constexpr int kNear = 421;
constexpr int kStrict = 422;
}  // namespace tfiles
namespace tmot {
constexpr int kFirstKey = 500;      // + row
constexpr int kFirstGoogle = 600;   // + row
constexpr int kFirstFast = 700;     // + row
constexpr int kFirstWiseNut = 800;  // + row
constexpr int kSexFilter = 750;
}  // namespace tmot

// How a control shows a field of the profile and gives it back.
enum class Bound : uint8_t {
  Check,       // a box ticked when the flag is set
  Unchecked,   // a box ticked when the flag is clear
  Text,        // an edit, at most `limit` characters back
  Lines,       // a multi-line edit; the field's line breaks are CR LF
  Number,      // an edit holding the number
  Scaled,      // a slider at number / `step` and its edit (`partner`) at the number, which is read back
  Choice,      // a radio button chosen when the field holds `value`
  Gated,       // a box ticked when the number is not 0 and its edit (`partner`); 0 back when unticked
  Mask,        // the ten boxes from `id`: bits 0 to 9; the other bits come back 0
  Keys,        // the ten edits from `id`: the keyword rows, at most `limit` characters each
  Extensions,  // an edit holding the extension list joined by commas
};

struct FieldBinding {
  Bound how;
  int id;
  bool SearchProfile::*flag = nullptr;
  int32_t SearchProfile::*number = nullptr;
  std::string SearchProfile::*text = nullptr;
  int partner = 0;
  int step = 0;
  int value = 0;
  size_t limit = 0;
};

// The rows of a binding table.
namespace bind {
constexpr FieldBinding Check(int id, bool SearchProfile::*flag) { return {Bound::Check, id, flag}; }
constexpr FieldBinding Unchecked(int id, bool SearchProfile::*flag) { return {Bound::Unchecked, id, flag}; }
constexpr FieldBinding Text(int id, std::string SearchProfile::*text, size_t limit) {
  return {.how = Bound::Text, .id = id, .text = text, .limit = limit};
}
constexpr FieldBinding Lines(int id, std::string SearchProfile::*text, size_t limit) {
  return {.how = Bound::Lines, .id = id, .text = text, .limit = limit};
}
constexpr FieldBinding Number(int id, int32_t SearchProfile::*number) {
  return {.how = Bound::Number, .id = id, .number = number};
}
constexpr FieldBinding Scaled(int slider, int edit, int32_t SearchProfile::*number, int step) {
  return {.how = Bound::Scaled, .id = slider, .number = number, .partner = edit, .step = step};
}
constexpr FieldBinding Choice(int id, bool SearchProfile::*flag, bool value) {
  return {.how = Bound::Choice, .id = id, .flag = flag, .value = value ? 1 : 0};
}
constexpr FieldBinding Choice(int id, int32_t SearchProfile::*number, int value) {
  return {.how = Bound::Choice, .id = id, .number = number, .value = value};
}
constexpr FieldBinding Gated(int box, int edit, int32_t SearchProfile::*number) {
  return {.how = Bound::Gated, .id = box, .number = number, .partner = edit};
}
constexpr FieldBinding Mask(int first, int32_t SearchProfile::*number) {
  return {.how = Bound::Mask, .id = first, .number = number};
}
constexpr FieldBinding Keys(int first, size_t limit) { return {.how = Bound::Keys, .id = first, .limit = limit}; }
constexpr FieldBinding Extensions(int id) { return {.how = Bound::Extensions, .id = id}; }
}  // namespace bind

// What makes a page: its dialog, tab text, controls, boxes and bindings.
struct PageTable {
  int windowId;
  const char* title;  // UTF-8
  std::span<const ControlRow> controls;
  std::span<const BoxRow> boxes;
  std::span<const FieldBinding> fields;
};

// One page of the editor's property sheet. Its controls carry the ids of its
// dialog, which repeat from page to page, so each page is a control set of
// its own. A page counts as made once its tab has been shown: only such pages
// take the record and give it back.
class EditorPage : public QWidget, public ControlSet {
 public:
  EditorPage(ProfileEditor& editor, const PageTable& table);
  QWidget* Window() override { return this; }
  const QString& Title() const { return title_; }

  bool Made() const { return made_; }
  void MarkMade() { made_ = true; }
  // The record into the controls (no control's rule runs meanwhile), then
  // the page's rules; and back.
  void ToPage(const SearchProfile& p);
  void FromPage(SearchProfile& p) const;
  // The page has become the active tab.
  virtual void Activated() {}

 protected:
  // The page's own rules, after the bound fields have gone in or out.
  virtual void Shown(const SearchProfile&) {}
  virtual void Taken(SearchProfile&) const {}

  ProfileEditor& editor_;

 private:
  void Show(const FieldBinding& b, const SearchProfile& p);
  void Take(const FieldBinding& b, SearchProfile& p) const;

  int windowId_;
  QString title_;
  std::span<const FieldBinding> fields_;
  bool made_ = false;
};

// The five pages, in tab order: TGen, TSais, TExp, TFiles, TMot.
EditorPage* MakeDescriptionPage(ProfileEditor& editor);
EditorPage* MakeInputPage(ProfileEditor& editor);
EditorPage* MakeExplorationPage(ProfileEditor& editor);
EditorPage* MakeFilesPage(ProfileEditor& editor);
EditorPage* MakeEnginesPage(ProfileEditor& editor);

}  // namespace orvi::ui
