#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/found_files.h"
#include "core/context.h"

namespace orvi {

// Adds one file link to a table (the main catalogue or a page's own table),
// under CatalogueLock: cleans the URL, drops a URL the catalogue already
// holds, reduces the name to an entry key (setup1.zip and setup2.zip of one
// series share the key setup) and joins or creates the entry. True only when
// a new entry was created.
// generation: the search phase the caller serves (see AcceptUrl); once it
// has ended, the link is dropped.
bool AddFoundLink(Context& ctx, FileCatalogue& table, std::string_view name, std::string_view url,
                  std::string_view page, bool lettered, int seriesLength,
                  uint64_t generation = kAnyGeneration);

// Unlinks one file; true when that left its entry without files (the entry is
// then deleted). The file itself stays alive until the catalogue is cleared.
bool RemoveFoundFile(Context& ctx, FoundFile* file);
void MarkEntryDeleted(Context& ctx, int index);
// Back to Waiting, for the verification to probe it again; a file being
// probed goes back when its probe ends.
void ResetFileForRecheck(Context& ctx, FoundFile* file);
// The same for every file of these entries (catalogue indexes).
void ResetEntriesForRecheck(Context& ctx, const std::vector<int>& indexes);
// The entries of the main catalogue, deleted ones included.
int CatalogueCount(Context& ctx);
// Files of the main catalogue that wait for their probe or are being probed.
int OpenFileCount(Context& ctx);
// Links to check on their own: each becomes an entry ("link1", "link2", ...)
// of one file named after its last path piece, while the catalogue has room.
// Gives their files, in order.
std::vector<FoundFile*> AddLinksToVerify(Context& ctx, const std::vector<std::string>& urls);
// Empties the main catalogue, without waiting: the link verification is
// stopped (its probes are broken and end by themselves) and started again.
void ClearCatalogue(Context& ctx);
// Releases one entry of a page's own table.
void FreeEntry(Context& ctx, FileCatalogue& table, int index);

// The volume names of today's archivers: name.partN.rar (N with or without
// leading zeros), name.7z.NNN, name.zip.NNN and the split zip's name.zNN,
// whose last volume is name.zip. Letter case is ignored.
enum class VolumeForm { None, RarPart, SevenZipNumbered, ZipNumbered, ZipSplit };
struct ArchiveVolume {
  VolumeForm form = VolumeForm::None;  // None: no such volume
  ArchiveType type = ArchiveType::None;
  size_t baseLength = 0;  // the set's name: the name's first baseLength characters
  int number = 0;         // the volume's number (very large ones are capped)
};
ArchiveVolume VolumeOf(std::string_view name);

// Derived values; the caller holds CatalogueLock.
struct FileType {
  ArchiveType type = ArchiveType::None;
  std::string extension;  // lower case, at most four characters, no dot
};
FileType FileTypeOf(std::string_view name);
struct SizeAndCount {
  int64_t size = 0;
  int32_t count = 0;
};
SizeAndCount EntrySizeAndCount(const FoundEntry& entry);
EntryStatus EntryStatusOf(const FoundEntry& entry);
FileState GroupStatusOf(const FoundFile& group);
std::string EntryTypeText(const FoundEntry& entry);

const char* EntryStatusName(EntryStatus status);
const char* FileStateName(FileState state);
// The "Taille" column: 999, 12.3k (12345 bytes), 1234k (1234567 bytes).
std::string ListSizeText(int64_t size);

}  // namespace orvi
