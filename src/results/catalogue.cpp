#include "results/catalogue.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <utility>

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

// Volume numbers stop growing here, below the rank of a split zip's last volume.
constexpr int kMaxVolumeNumber = 999999999;

bool EndsWithZip(std::string_view name) {
  return name.size() > 4 && EqualsIgnoreCase(name.substr(name.size() - 4), ".zip");
}

// The key of the split zip set that name.zip would close (its other volumes
// being name.z01, ...); empty for a name that is no zip.
std::string SplitSetKey(std::string_view name) {
  return EndsWithZip(name) ? AsciiLower(Cut(name.substr(0, name.size() - 4), kMaxNameChars)) : "";
}

// A set of today's volumes takes only volumes of its own form, and the split
// zip its name.zip; the old forms stay among themselves. So movie.part1.rar
// and movie.r00 are two sets, as they are two archives.
bool JoinsEntry(const ArchiveVolume& volume, std::string_view name, const FoundEntry& entry) {
  const VolumeForm first = VolumeOf(entry.files->name).form;
  if (first == volume.form) return true;
  if (first == VolumeForm::ZipSplit) return volume.form == VolumeForm::None && EndsWithZip(name);
  return volume.form == VolumeForm::ZipSplit && first == VolumeForm::None &&
         SplitSetKey(entry.files->name) == entry.key;
}

// Whether the table holds a split zip set keyed `key` for its name.zip to join.
bool HoldsSplitSet(const FileCatalogue& table, const std::string& key) {
  if (key.empty()) return false;
  for (const auto& entry : table.entries) {
    if (entry && entry->key == key && VolumeOf(entry->files->name).form == VolumeForm::ZipSplit) {
      return true;
    }
  }
  return false;
}

// Where a group goes in a set of today's volumes: by volume number, the split
// zip's name.zip last.
int VolumeRank(std::string_view name) {
  const ArchiveVolume volume = VolumeOf(name);
  return volume.form == VolumeForm::None ? INT_MAX : volume.number;
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

ArchiveVolume VolumeOf(std::string_view name) {
  ArchiveVolume volume;
  const std::string lower = AsciiLower(name);
  std::string_view n = lower;
  auto digitsStart = [&](size_t end) {
    while (end > 0 && IsDigit(n[end - 1])) --end;
    return end;
  };
  // Leading zeros and all: "part007" is volume 7.
  auto number = [&](size_t from, size_t to) {
    int64_t value = 0;
    for (size_t i = from; i < to; ++i) {
      value = std::min<int64_t>(value * 10 + (n[i] - '0'), kMaxVolumeNumber);
    }
    return static_cast<int>(value);
  };
  auto take = [&](VolumeForm form, ArchiveType type, size_t base, size_t from, size_t to) {
    if (base == 0) return;  // a volume of no name
    volume = {form, type, base, number(from, to)};
  };
  const size_t end = n.size();
  if (n.ends_with(".rar")) {
    const size_t digits = digitsStart(end - 4);
    if (digits < end - 4 && digits >= 5 && n.substr(digits - 5, 5) == ".part") {
      take(VolumeForm::RarPart, ArchiveType::Rar, digits - 5, digits, end - 4);
    }
    return volume;
  }
  const size_t digits = digitsStart(end);
  if (digits == end || digits < 2) return volume;
  const std::string_view before = n.substr(0, digits);
  if (before.ends_with(".7z.")) {
    take(VolumeForm::SevenZipNumbered, ArchiveType::SevenZip, digits - 4, digits, end);
  } else if (before.ends_with(".zip.")) {
    take(VolumeForm::ZipNumbered, ArchiveType::Zip, digits - 5, digits, end);
  } else if (before.ends_with(".z") && end - digits >= 2) {
    take(VolumeForm::ZipSplit, ArchiveType::Zip, digits - 2, digits, end);
  }
  return volume;
}

FileType FileTypeOf(std::string_view name) {
  FileType result;
  // A volume's type whatever its extension reads (7z for game.7z.001).
  const ArchiveVolume volume = VolumeOf(name);
  result.type = volume.type;
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
  if (volume.form != VolumeForm::None) return result;
  if (e == "zip") result.type = ArchiveType::Zip;
  else if (e == "7z") result.type = ArchiveType::SevenZip;
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

  const ArchiveVolume volume = VolumeOf(name);
  const FileType type = FileTypeOf(name);
  if (volume.form != VolumeForm::None) {
    // Today's volumes: the set's name, never cut further.
    key = AsciiLower(Cut(name.substr(0, volume.baseLength), kMaxNameChars));
  } else if (std::string split = SplitSetKey(name); HoldsSplitSet(table, split)) {
    // The last volume of a split zip found with its others: no volume
    // number to strip, the set's name as it is.
    key = std::move(split);
  } else if (size_t dot = ExtensionPosition(key, lettered); dot != std::string::npos) {
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
    if ((profile.Protected_X || (type.type != ArchiveType::None && type.type == first.type) ||
         type.extension == first.extension) &&
        JoinsEntry(volume, name, *entry)) {
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
  FoundFile* file = FillFile(*found, name, cleanUrl, page);
  if (volume.form == VolumeForm::None && VolumeOf(found->files->name).form == VolumeForm::None) {
    lastGroup->nextGroup = file;
    return false;
  }
  // A set of today's volumes keeps its volumes in order, however they come.
  const int rank = VolumeRank(name);
  FoundFile* before = nullptr;
  FoundFile* after = found->files;
  while (after != nullptr && VolumeRank(after->name) <= rank) {
    before = after;
    after = after->nextGroup;
  }
  file->nextGroup = after;  // linked before it is published
  if (before == nullptr) found->files = file;
  else before->nextGroup = file;
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
  switch (type.type) {
    case ArchiveType::Rar: return "rar";
    case ArchiveType::Ace: return "ace";
    case ArchiveType::SevenZip: return "7z";
    // A zip's volumes read z01 or 001.
    case ArchiveType::Zip: return "zip";
    case ArchiveType::None: break;
  }
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
