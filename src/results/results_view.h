#pragma once

// What the results window shows of the catalogue, computed in one place so
// that every front end (the windows, the command line) shows the same thing.
//
// The list: one ListRow per catalogue index, with the texts of the five
// columns, the status image and whether the three view toggles let the row
// show. ResultsView::RefreshList reads the whole catalogue under
// CatalogueLock in one pass and says which rows changed since the last call,
// so that a window touches only those rows:
//
//   orvi::ResultsView view;                    // one per results list
//   orvi::ListChanges changes = view.RefreshList(ctx, toggles);
//   if (changes.reset) { delete every row; }   // a clear or a load replaced the entries
//   for (int index : changes.changed) {
//     const orvi::ListRow& row = view.Row(index);
//     // row.listed: show it (append it at the end when it has no row yet,
//     // else rewrite what differs); not listed: delete its row if it has one.
//   }
//
// Rows are never reported in list order: a new row goes at the end and stays
// there until the user sorts again (RowBefore gives the column's order).
//
// The tree: ResultsView::RefreshTree gives the groups and files of one entry
// with their images, and says which of them are new or changed since the last
// call for the same entry. FileDetailsOf gives the texts of the properties
// pane for one file.
//
// All of it is meant for the window thread, every 500 ms each, on a full
// catalogue: one pass over 4096 entries, texts rebuilt only for what changed.
// A ResultsView is not shared between threads.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "core/found_files.h"
#include "core/context.h"

namespace orvi {

// Sizes as the catalogue keeps them.
using ShownSize = std::remove_cvref_t<decltype(FoundEntry::shownSize)>;

// The three view toggles of the results window ("Afficher erreurs",
// "Serveurs", "&Fichiers unitaires"); each lists its kind of row when true.
struct ViewToggles {
  bool showErrors = true;
  bool showServerFolders = true;
  bool showSingleFiles = true;
  bool operator==(const ViewToggles&) const = default;
};

// The filter box over the results list: an entry shows when its key holds
// the typed text, letter case and accents ignored (Windows-1252 letters
// folded to their base letter, so "ete" finds "\xC9t\xE9"). An empty text
// lets every entry show.
class KeyFilter {
 public:
  KeyFilter() = default;
  explicit KeyFilter(std::string_view text);
  const std::string& text() const { return text_; }
  bool Matches(std::string_view key) const;
  // The same for a key folded already (FoldForSearch).
  bool MatchesFolded(std::string_view foldedKey) const;

 private:
  std::string text_;
  std::string folded_;
};

// The five columns of the results list.
enum class ListColumn { Name = 0, Type = 1, Nb = 2, Hits = 3, Size = 4 };

// One catalogue entry as the results list shows it.
struct ListRow {
  int index = -1;            // the catalogue index: a row's item data
  bool listed = false;       // the entry is alive and the toggles let it show
  std::string key;           // column "Fichiers trouvés"
  std::string typeText;      // column "Type": "zip", "rar", "ace", "exe", ...
  std::string nbText;        // column "Nb": the file count, "?" for a server folder
  std::string hitsText;      // column "Hits"
  std::string sizeText;      // column "Taille": 12.3k, 1234k; "?" while no size is known
  EntryStatus status = EntryStatus::SinglePending;  // the row's image index
  int32_t fileCount = 0;     // what column "Nb" sorts by
  int32_t hits = 0;          // what column "Hits" sorts by
  ShownSize shownSize = 0;   // what column "Taille" sorts by; once known it never goes back to 0
  // Which toggle governs the row.
  bool serverFolder = false;  // the key holds '~'
  bool singleFile = false;    // one group, not a server folder
  bool inError = false;       // SingleFailed or SetFailed
  bool matchesFilter = true;  // the key holds the filter's text

  int Image() const { return static_cast<int>(status); }
};

// What changed in the list since the previous RefreshList of the same view.
struct ListChanges {
  // The entries were replaced (a clear, a load, a new search): every row the
  // window holds is stale. Delete them all; `changed` then names every
  // listed row.
  bool reset = false;
  // Catalogue indexes, ascending, whose row appeared, disappeared, or whose
  // texts or image differ from the previous call.
  std::vector<int> changed;
};

// The tree image of a file state: Valid 0, Waiting 1, Failed 2, TimedOut 3,
// Verifying 4.
int TreeImageOf(FileState state);

// One file of a group in the tree.
struct TreeFile {
  FoundFile* file = nullptr;  // the item data; valid until the catalogue is cleared
  std::string url;            // the item text
  int image = 0;              // TreeImageOf its state
  bool changed = false;       // new or another image since the previous call
};

// One group (a volume of a series, or a file and its copies).
struct TreeGroup {
  std::string name;                // the item text: the group's file name
  int image = 0;                   // TreeImageOf(GroupStatusOf(group))
  FoundFile* onlyFile = nullptr;   // the item data: the file when the group holds exactly one
  std::vector<TreeFile> files;     // its children, in chain order
  bool changed = false;            // new or another image since the previous call
};

// The groups and files of one entry.
struct EntryTree {
  int index = -1;                 // the entry shown; -1: none (the tree is empty)
  std::vector<TreeGroup> groups;  // in the entry's order
  // The page of the entry's first file, and whether every group's first file
  // was found on it: "Voir page ref." is enabled exactly then.
  std::string referencePage;
  bool allPagesEqual = false;
  // True when this call did not follow one for the same entry (or was asked to
  // rebuild): every item is new, delete the old ones first.
  bool rebuilt = true;
};

// The properties pane: "Fichier :", "Page :", "Date :", "Taille :". All empty
// for no file.
struct FileDetails {
  std::string url;
  std::string page;
  std::string date;
  std::string sizeText;
  bool operator==(const FileDetails&) const = default;
};

class ResultsView {
 public:
  // One pass over the catalogue under CatalogueLock. Like the list refresh of
  // the window, it stores into each listed entry its file count, its type's
  // first three characters and the size last shown (the sort keys).
  ListChanges RefreshList(Context& ctx, const ViewToggles& toggles);

  // The filter text, for the next RefreshList: the rows it hides or lets
  // show again are then named as changed, as a toggle's are. A keystroke's
  // filter and refresh together cost about one pass over the rows.
  void SetFilter(std::string_view text);
  const KeyFilter& Filter() const { return filter_; }

  // The rows of the last RefreshList, one per catalogue index.
  const std::vector<ListRow>& Rows() const { return rows_; }
  const ListRow& Row(int index) const { return rows_.at(static_cast<size_t>(index)); }
  int RowCount() const { return static_cast<int>(rows_.size()); }

  // The groups and files of entry `index` (under CatalogueLock). With rebuild
  // false and the same entry as the previous call, items are matched by text
  // (group by name, file by url) and only new items and other images are
  // marked changed. An index out of range, or a deleted entry, gives an empty
  // tree with index -1.
  EntryTree RefreshTree(Context& ctx, int index, bool rebuild);

 private:
  struct Seen {
    std::weak_ptr<FoundEntry> entry;
    const FoundFile* first = nullptr;  // the entry's first file when typeText was made
    std::string foldedKey;             // the key as the filter reads it
  };
  std::vector<ListRow> rows_;
  std::vector<Seen> seen_;
  EntryTree tree_;
  KeyFilter filter_;
  bool filterChanged_ = false;
};

// Whether the results list shows the entry with these toggles and this
// filter, as RefreshList decides it. The caller holds CatalogueLock.
bool EntryListed(const FoundEntry& entry, const ViewToggles& toggles, const KeyFilter& filter);

// The texts of the properties pane for one file (null: all empty). The file
// must still belong to the catalogue (the window drops its selection when the
// catalogue is cleared).
FileDetails FileDetailsOf(Context& ctx, const FoundFile* file);

// "Taille :" of the properties pane: 1000, 1,001, 1,234,567.
std::string DetailSizeText(int64_t size);

// The order of a column click: true when row a goes before row b with the
// column's sort flag (true at first; the window inverts it after each click).
// Text columns go alphabetically (letter case ignored) with the flag, numeric
// ones from the largest value down. A strict order: sort with std::stable_sort
// so that rows of equal value keep their places.
bool RowBefore(const ListRow& a, const ListRow& b, ListColumn column, bool flag);

}  // namespace orvi
