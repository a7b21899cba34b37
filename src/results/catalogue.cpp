#include "results/catalogue.h"

#include <cctype>

#include "platform/text.h"
#include "results/verification.h"

namespace orvi {
namespace {

bool EntryHoldsUrl(const FoundEntry& entry, std::string_view url) {
  for (const FoundFile* f : FilesOf(entry)) {
    if (f->url == url) return true;
  }
  return false;
}

// Where the key's extension starts, or npos when the key has none.
size_t ExtensionPosition(std::string& key, bool lettered) {
  size_t zip = key.find(".zip");
  if (zip != std::string::npos) {
    // A lettered series (cd1a.zip, cd1b.zip): the volume letter goes.
    if (lettered && zip > 0) {
      key.erase(zip - 1, 1);
      --zip;
    }
    return zip;
  }
  // A dot among the last seven characters.
  for (size_t back = 1; back <= 7 && back <= key.size(); ++back) {
    if (key[key.size() - back] == '.') return key.size() - back;
  }
  return std::string::npos;
}

// Cuts the volume number before the dot: setup12 -> setup, disk1234 -> disk1,
// cd1 -> cd; a name without digits keeps its first three characters.
void StripVolumeNumber(std::string& key, size_t dot) {
  if (dot == 0) return;
  size_t i = dot - 1;
  while (i > 2 && !IsDigit(key[i])) --i;
  for (int digits = 0; digits < 3 && i > 0 && IsDigit(key[i]); ++digits) --i;
  key.resize(i + 1);
}

FoundFile* FillFile(FoundEntry& entry, std::string_view name, const std::string& url,
                    std::string_view page) {
  FoundFile* file = entry.NewFile();
  file->name = Cut(name, kMaxNameChars);
  file->url = url;
  file->page = Cut(page, kMaxLinkChars);
  return file;
}

}  // namespace

FileType FileTypeOf(std::string_view name) {
  FileType result;
  size_t dot = std::string_view::npos;
  for (size_t back = 1; back <= 5 && back <= name.size(); ++back) {
    if (name[name.size() - back] == '.') {
      dot = name.size() - back;
      break;
    }
  }
  if (dot == std::string_view::npos) return result;
  result.extension = AsciiLower(name.substr(dot + 1));
  const std::string& e = result.extension;
  if (e == "zip") result.type = ArchiveType::Zip;
  else if (e == "rar" || (e.size() >= 2 && e[0] == 'r' && IsDigit(e[1]))) result.type = ArchiveType::Rar;
  else if (e == "ace" || (e.size() >= 2 && e[0] == 'c' && IsDigit(e[1]))) result.type = ArchiveType::Ace;
  return result;
}

bool AddFoundLink(Context& ctx, FileCatalogue& table, std::string_view name, std::string_view url,
                  std::string_view page, bool lettered, int seriesLength, uint64_t generation) {
  const SearchProfile& profile = ctx.activeProfile;
  std::lock_guard lock(ctx.CatalogueLock);
  // Checked under the lock: a run that starts moves the generation on before
  // it empties the catalogue, so a worker of an ended run never reaches the
  // new catalogue (nor one a load put in place after a stop).
  if (generation != kAnyGeneration && !ctx.run.Serves(generation)) return false;
  if (table.count() >= table.capacity) return false;
  const std::string cleanUrl = CleanLinkUrl(url);
  std::string key = AsciiLower(Cut(name, kMaxNameChars));

  // The same URL anywhere in the catalogue: dropped. Only entries whose keys
  // start alike can hold it.
  for (const auto& entry : table.entries) {
    if (entry && entry->key.compare(0, 2, key, 0, 2) == 0 && EntryHoldsUrl(*entry, cleanUrl)) {
      return false;
    }
  }

  size_t dot = ExtensionPosition(key, lettered);
  const FileType type = FileTypeOf(name);
  if (dot != std::string::npos) {
    std::string afterDot = key.substr(dot + 1);
    if (!profile.Protected_X || ParseIntLoose(afterDot) == 0) key.resize(dot);
    if (seriesLength >= 2 && type.type != ArchiveType::Rar && type.type != ArchiveType::Ace &&
        afterDot != "exe" && (type.type == ArchiveType::Zip || profile.SAD)) {
      StripVolumeNumber(key, dot);
    }
  }

  FoundEntry* found = nullptr;
  for (const auto& entry : table.entries) {
    if (!entry || entry->key != key) continue;
    FileType first = FileTypeOf(entry->files->url);
    if (profile.Protected_X || (type.type != ArchiveType::None && type.type == first.type) ||
        type.extension == first.extension) {
      found = entry.get();
      break;
    }
  }

  if (found == nullptr) {
    auto entry = std::make_shared<FoundEntry>();
    entry->key = key;
    entry->files = FillFile(*entry, name, cleanUrl, page);
    table.entries.push_back(std::move(entry));
    return true;
  }

  // The prefix test above misses entries whose key is shorter than two
  // characters; a URL the entry already holds must not count as a sighting.
  if (EntryHoldsUrl(*found, cleanUrl)) return false;

  // A new copy of the entry's first file, seen on a page none of its copies
  // came from, is one more sighting.
  if (found->files->name == name) {
    bool samePage = false;
    for (const FoundFile* f : CopiesOf(found->files)) samePage |= f->page == page;
    if (!samePage) ++found->hits;
  }

  FoundFile* lastGroup = nullptr;
  for (FoundFile* group : GroupsOf(*found)) {
    lastGroup = group;
    if (group->name != name) continue;
    FoundFile* last = group;
    while (last->nextCopy != nullptr) last = last->nextCopy;
    last->nextCopy = FillFile(*found, name, cleanUrl, page);
    return false;
  }
  lastGroup->nextGroup = FillFile(*found, name, cleanUrl, page);
  return false;
}

bool RemoveFoundFile(Context& ctx, FoundFile* file) {
  std::lock_guard lock(ctx.CatalogueLock);
  for (const auto& entry : ctx.catalogue.entries) {
    if (!entry) continue;
    if (entry->files == file) {
      if (file->nextCopy != nullptr) {
        file->nextCopy->nextGroup = file->nextGroup;
        entry->files = file->nextCopy;
      } else if (file->nextGroup != nullptr) {
        entry->files = file->nextGroup;
      } else {
        entry->deleted = true;
        return true;
      }
      return false;
    }
    FoundFile* previousGroup = nullptr;
    for (FoundFile* group : GroupsOf(*entry)) {
      if (group == file && previousGroup != nullptr) {
        FoundFile* replacement = file->nextCopy;
        if (replacement != nullptr) replacement->nextGroup = file->nextGroup;
        else replacement = file->nextGroup;
        previousGroup->nextGroup = replacement;
        return false;
      }
      for (FoundFile* f = group; f->nextCopy != nullptr; f = f->nextCopy) {
        if (f->nextCopy == file) {
          f->nextCopy = file->nextCopy;
          return false;
        }
      }
      previousGroup = group;
    }
  }
  return false;
}

void MarkEntryDeleted(Context& ctx, int index) {
  std::lock_guard lock(ctx.CatalogueLock);
  if (index >= 0 && index < ctx.catalogue.count() && ctx.catalogue.entries[index]) {
    ctx.catalogue.entries[index]->deleted = true;
  }
}

namespace {

// A file being probed stays its probe's: the new check waits for the probe
// to end (which then puts the file back to Waiting), so two probes never
// share a file and its socket slot. The caller holds CatalogueLock.
void AskRecheck(FoundFile* file) {
  if (file->State() == FileState::Verifying) {
    file->recheckAsked = true;
    return;
  }
  file->ResetForRecheck();
}

}  // namespace

void ResetFileForRecheck(Context& ctx, FoundFile* file) {
  std::lock_guard lock(ctx.CatalogueLock);
  AskRecheck(file);
}

void ResetEntriesForRecheck(Context& ctx, const std::vector<int>& indexes) {
  std::lock_guard lock(ctx.CatalogueLock);
  for (int index : indexes) {
    if (index < 0 || index >= ctx.catalogue.count() || !ctx.catalogue.entries[static_cast<size_t>(index)]) continue;
    for (FoundFile* f : FilesOf(*ctx.catalogue.entries[static_cast<size_t>(index)])) AskRecheck(f);
  }
}

int CatalogueCount(Context& ctx) {
  std::lock_guard lock(ctx.CatalogueLock);
  return ctx.catalogue.count();
}

int OpenFileCount(Context& ctx) {
  int open = 0;
  std::lock_guard lock(ctx.CatalogueLock);
  for (const auto& entry : ctx.catalogue.entries) {
    if (!entry || entry->deleted || entry->key.starts_with("@")) continue;
    for (const FoundFile* f : FilesOf(*entry)) open += f->state <= 0;
  }
  return open;
}

std::vector<FoundFile*> AddLinksToVerify(Context& ctx, const std::vector<std::string>& urls) {
  std::vector<FoundFile*> files;
  std::lock_guard lock(ctx.CatalogueLock);
  for (size_t i = 0; i < urls.size() && ctx.catalogue.count() < ctx.catalogue.capacity; ++i) {
    auto entry = std::make_shared<FoundEntry>();
    entry->key = "link" + std::to_string(i + 1);
    FoundFile* file = entry->files = entry->NewFile();
    file->url = urls[i].substr(0, kMaxLinkChars);
    std::string_view name = file->url;
    file->name = std::string(name.substr(name.rfind('/') + 1)).substr(0, kMaxNameChars);
    files.push_back(file);
    ctx.catalogue.entries.push_back(std::move(entry));
  }
  return files;
}

void ClearCatalogue(Context& ctx) {
  {
    std::lock_guard lock(ctx.CatalogueLock);
    // Returns at once: the probes are broken and end by themselves; each
    // holds the entry of its file, so clearing the table frees nothing under
    // them.
    StopVerification(ctx);
    ctx.catalogue.entries.clear();
  }
  StartVerification(ctx);
}

void FreeEntry(Context& ctx, FileCatalogue& table, int index) {
  std::lock_guard lock(ctx.CatalogueLock);
  if (index >= 0 && index < table.count()) table.entries[index].reset();
}

SizeAndCount EntrySizeAndCount(const FoundEntry& entry) {
  SizeAndCount result;
  const FoundFile* first = entry.files;
  if (first == nullptr) return result;
  if (first->nextGroup != nullptr) {
    for (const FoundFile* group : GroupsOf(entry)) {
      for (const FoundFile* f : CopiesOf(group)) {
        if (f->size != 0) {
          result.size += f->size;
          break;
        }
      }
      ++result.count;
    }
  } else {
    for (const FoundFile* f : CopiesOf(first)) {
      result.size += f->size;
      ++result.count;
    }
  }
  return result;
}

EntryStatus EntryStatusOf(const FoundEntry& entry) {
  if (!entry.key.empty() && entry.key[0] == '@') return EntryStatus::ServerFolder;
  int groups = 0;
  bool allValid = true;
  bool allAlive = true;
  for (const FoundFile* group : GroupsOf(entry)) {
    bool anyValid = false;
    bool anyOpen = false;
    for (const FoundFile* f : CopiesOf(group)) {
      anyValid |= f->State() == FileState::Valid;
      anyOpen |= f->state <= 0;
    }
    ++groups;
    allValid &= anyValid;
    allAlive &= anyValid || anyOpen;
  }
  if (groups <= 1) {
    if (allValid && groups == 1) return EntryStatus::SingleValid;
    return allAlive ? EntryStatus::SinglePending : EntryStatus::SingleFailed;
  }
  if (allValid) return EntryStatus::SetValid;
  return allAlive ? EntryStatus::SetPending : EntryStatus::SetFailed;
}

FileState GroupStatusOf(const FoundFile& group) {
  if (group.nextCopy == nullptr && group.State() == FileState::Verifying) return FileState::Verifying;
  bool anyValid = false;
  bool anyOpen = false;
  bool allTimedOut = true;
  for (const FoundFile* f : CopiesOf(&group)) {
    anyValid |= f->State() == FileState::Valid;
    anyOpen |= f->state <= 0;
    allTimedOut &= f->State() == FileState::TimedOut;
  }
  if (anyValid) return FileState::Valid;
  if (anyOpen) return FileState::Waiting;
  return allTimedOut ? FileState::TimedOut : FileState::Failed;
}

std::string EntryTypeText(const FoundEntry& entry) {
  if (entry.files == nullptr) return {};
  FileType type = FileTypeOf(entry.files->name);
  if (type.type == ArchiveType::Rar) return "rar";
  if (type.type == ArchiveType::Ace) return "ace";
  return type.extension;
}

const char* EntryStatusName(EntryStatus status) {
  switch (status) {
    case EntryStatus::ServerFolder: return "ServerFolder";
    case EntryStatus::SetPending: return "SetPending";
    case EntryStatus::SinglePending: return "SinglePending";
    case EntryStatus::SingleValid: return "SingleValid";
    case EntryStatus::SingleFailed: return "SingleFailed";
    case EntryStatus::SetFailed: return "SetFailed";
    case EntryStatus::SetValid: return "SetValid";
  }
  return "?";
}

const char* FileStateName(FileState state) {
  switch (state) {
    case FileState::Waiting: return "Waiting";
    case FileState::Verifying: return "Verifying";
    case FileState::Valid: return "Valid";
    case FileState::Failed: return "Failed";
    case FileState::TimedOut: return "TimedOut";
  }
  return "?";
}

std::string ListSizeText(int64_t size) {
  if (size < 1000) return std::to_string(size);
  if (size < 1000000) return std::to_string(size / 1000) + "." + std::to_string(size % 1000 / 100) + "k";
  return std::to_string(size / 1000) + "k";
}

}  // namespace orvi
