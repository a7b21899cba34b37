#include "results/results_view.h"

#include <cstdio>
#include <mutex>

#include "platform/cp1252.h"
#include "platform/text.h"
#include "results/catalogue.h"

namespace orvi {
namespace {

bool SameEntry(const std::weak_ptr<FoundEntry>& seen, const std::shared_ptr<FoundEntry>& entry) {
  // Compared by owner: an expired pointer still names its own entry, so a new
  // entry at a freed address is never taken for the old one.
  return !seen.owner_before(entry) && !entry.owner_before(seen);
}

bool Listed(const ListRow& row, const ViewToggles& t) {
  return row.matchesFilter && !(row.serverFolder && !t.showServerFolders) &&
         !(row.singleFile && !t.showSingleFiles) && !(row.inError && !t.showErrors);
}

int CompareIgnoringCase(const std::string& a, const std::string& b) {
  std::string la = AsciiLower(a), lb = AsciiLower(b);
  return la < lb ? -1 : la > lb ? 1 : 0;
}

// Which toggle governs the row of a live entry.
void SetKinds(ListRow& row, const FoundEntry& entry, EntryStatus status) {
  row.serverFolder = entry.key.find('~') != std::string::npos;
  row.singleFile = !row.serverFolder && GroupCount(entry) == 1;
  row.inError = status == EntryStatus::SingleFailed || status == EntryStatus::SetFailed;
}

}  // namespace

KeyFilter::KeyFilter(std::string_view text) : text_(text), folded_(FoldForSearch(text)) {}

bool KeyFilter::Matches(std::string_view key) const {
  return folded_.empty() || MatchesFolded(FoldForSearch(key));
}

bool KeyFilter::MatchesFolded(std::string_view foldedKey) const {
  return foldedKey.find(folded_) != std::string_view::npos;
}

void ResultsView::SetFilter(std::string_view text) {
  if (text == filter_.text()) return;
  filter_ = KeyFilter(text);
  filterChanged_ = true;
}

bool EntryListed(const FoundEntry& entry, const ViewToggles& toggles, const KeyFilter& filter) {
  if (entry.deleted || entry.files == nullptr) return false;
  ListRow row;
  SetKinds(row, entry, EntryStatusOf(entry));
  row.matchesFilter = filter.Matches(entry.key);
  return Listed(row, toggles);
}

int TreeImageOf(FileState state) {
  switch (state) {
    case FileState::Valid: return 0;
    case FileState::Waiting: return 1;
    case FileState::Failed: return 2;
    case FileState::TimedOut: return 3;
    case FileState::Verifying: return 4;
  }
  return 1;
}

ListChanges ResultsView::RefreshList(Context& ctx, const ViewToggles& toggles) {
  ListChanges changes;
  std::lock_guard lock(ctx.CatalogueLock);
  const auto& entries = ctx.catalogue.entries;
  const size_t count = entries.size();

  // A table that shrank, or an index now held by another entry, means the
  // entries were replaced: start over.
  bool reset = count < rows_.size();
  for (size_t i = 0; i < rows_.size() && !reset; ++i) {
    reset = entries[i] != nullptr && !SameEntry(seen_[i].entry, entries[i]);
  }
  if (reset) {
    rows_.clear();
    seen_.clear();
    changes.reset = true;
  }

  for (size_t i = 0; i < count; ++i) {
    const bool isNew = i >= rows_.size();
    if (isNew) {
      rows_.emplace_back();
      seen_.emplace_back();
      rows_[i].index = static_cast<int>(i);
      // Dead or alive: the next call must know the slot's entry, or it would
      // take it for a replaced one and start the list over.
      seen_[i].entry = entries[i];
    }
    ListRow& row = rows_[i];
    Seen& seen = seen_[i];
    FoundEntry* entry = entries[i].get();
    if (entry == nullptr || entry->deleted || entry->files == nullptr) {
      if (row.listed) changes.changed.push_back(row.index);
      row.listed = false;
      continue;
    }
    bool changed = false;
    if (isNew) {
      row.key = entry->key;
      seen.foldedKey = FoldForSearch(row.key);
    }
    if (isNew || filterChanged_) row.matchesFilter = filter_.MatchesFolded(seen.foldedKey);
    if (seen.first != entry->files) {
      // A removal can leave another file first, and with it another type.
      seen.first = entry->files;
      std::string type = EntryTypeText(*entry);
      changed |= type != row.typeText;
      row.typeText = std::move(type);
    }
    const EntryStatus status = EntryStatusOf(*entry);
    changed |= isNew || status != row.status;
    row.status = status;
    SetKinds(row, *entry, status);

    const bool wasListed = row.listed;
    row.listed = Listed(row, toggles);
    if (row.listed != wasListed) changed = true;
    if (!row.listed) {
      if (wasListed) changes.changed.push_back(row.index);
      continue;
    }

    const SizeAndCount sc = EntrySizeAndCount(*entry);
    if (!wasListed || sc.count != row.fileCount) {
      row.fileCount = sc.count;
      std::string nb = row.serverFolder ? std::string("?") : FormatInt(sc.count);
      changed |= nb != row.nbText;
      row.nbText = std::move(nb);
    }
    if (!wasListed || entry->hits != row.hits) {
      row.hits = entry->hits;
      row.hitsText = FormatInt(row.hits);
      changed = true;
    }
    // A row that comes (back) into the list shows the size it has now; a row
    // that stays shows a new size only once it is known, so "Taille" never
    // falls back to "?" while a file is checked again.
    const auto size = static_cast<ShownSize>(sc.size);
    if (!wasListed || (size != 0 && size != row.shownSize)) {
      row.shownSize = size;
      std::string text = size == 0 ? std::string("?") : ListSizeText(size);
      changed |= text != row.sizeText;
      row.sizeText = std::move(text);
    }

    entry->fileCount = row.fileCount;
    entry->shownSize = row.shownSize;
    entry->typeText = row.typeText.substr(0, 3);
    if (changed) changes.changed.push_back(row.index);
  }
  filterChanged_ = false;
  return changes;
}

EntryTree ResultsView::RefreshTree(Context& ctx, int index, bool rebuild) {
  EntryTree tree;
  std::lock_guard lock(ctx.CatalogueLock);
  const auto& entries = ctx.catalogue.entries;
  const FoundEntry* entry = index >= 0 && index < static_cast<int>(entries.size())
                                ? entries[static_cast<size_t>(index)].get()
                                : nullptr;
  if (entry == nullptr || entry->deleted || entry->files == nullptr) {
    tree_ = EntryTree{};
    return tree_;
  }
  const bool periodic = !rebuild && tree_.index == index;
  tree.index = index;
  tree.rebuilt = !periodic;
  tree.referencePage = entry->files->page;
  tree.allPagesEqual = true;
  for (FoundFile* g : GroupsOf(*entry)) {
    TreeGroup& group = tree.groups.emplace_back();
    group.name = g->name;
    group.image = TreeImageOf(GroupStatusOf(*g));
    group.onlyFile = g->nextCopy == nullptr ? g : nullptr;
    const TreeGroup* before = nullptr;
    if (periodic) {
      for (const TreeGroup& old : tree_.groups) {
        if (old.name == group.name) {
          before = &old;
          break;
        }
      }
    }
    group.changed = before == nullptr || before->image != group.image;
    for (FoundFile* f : CopiesOf(g)) {
      TreeFile& file = group.files.emplace_back();
      file.file = f;
      file.url = f->url;
      file.image = TreeImageOf(f->State());
      const TreeFile* old = nullptr;
      if (before != nullptr) {
        for (const TreeFile& candidate : before->files) {
          if (candidate.url == file.url) {
            old = &candidate;
            break;
          }
        }
      }
      file.changed = old == nullptr || old->image != file.image;
    }
    if (g != entry->files && g->page != tree.referencePage) tree.allPagesEqual = false;
  }
  tree_ = tree;
  return tree;
}

FileDetails FileDetailsOf(Context& ctx, const FoundFile* file) {
  FileDetails details;
  if (file == nullptr) return details;
  std::lock_guard lock(ctx.CatalogueLock);
  details.url = file->url;
  details.page = file->page;
  details.date = file->Date();
  details.sizeText = DetailSizeText(file->size);
  return details;
}

std::string DetailSizeText(int64_t size) {
  char text[64];
  if (size <= 1000) {
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>(size));
  } else if (size <= 1000000) {
    std::snprintf(text, sizeof text, "%lld,%.3lld", static_cast<long long>(size / 1000),
                  static_cast<long long>(size % 1000));
  } else {
    std::snprintf(text, sizeof text, "%lld,%.3lld,%.3lld", static_cast<long long>(size / 1000000),
                  static_cast<long long>(size / 1000 % 1000), static_cast<long long>(size % 1000));
  }
  return text;
}

bool RowBefore(const ListRow& a, const ListRow& b, ListColumn column, bool flag) {
  switch (column) {
    case ListColumn::Name: {
      int c = CompareIgnoringCase(a.key, b.key);
      return flag ? c < 0 : c > 0;
    }
    case ListColumn::Type: {
      int c = CompareIgnoringCase(a.typeText.substr(0, 3), b.typeText.substr(0, 3));
      return flag ? c < 0 : c > 0;
    }
    case ListColumn::Nb: return flag ? a.fileCount > b.fileCount : a.fileCount < b.fileCount;
    case ListColumn::Hits: return flag ? a.hits > b.hits : a.hits < b.hits;
    case ListColumn::Size: return flag ? a.shownSize > b.shownSize : a.shownSize < b.shownSize;
  }
  return false;
}

}  // namespace orvi
