#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/url_text.h"
#include "platform/socket.h"

namespace orvi {

enum class FileState : int32_t {
  Waiting = 0,     // not probed yet, or reset for a new check
  Verifying = -1,  // a probe thread owns the file
  Valid = 1,
  Failed = 2,
  TimedOut = 3,
};

enum class ArchiveType { None = 0, Zip = 1, Rar = 2, Ace = 3, SevenZip = 4 };

// Also the image index of a results list row.
enum class EntryStatus {
  ServerFolder = 0,
  SetPending = 1,
  SinglePending = 2,
  SingleValid = 3,
  SingleFailed = 4,
  SetFailed = 5,
  SetValid = 6,
};

constexpr size_t kMaxDate = 31;
inline constexpr char kUnknownDate[] = "?? ??";

// One link to a file. name, url and page are set before the file is linked
// into the catalogue and never change. The links between files are guarded
// by CatalogueLock; state, size, date and probeSocket are written by the one
// probe thread that verifies the file, without that lock.
struct FoundFile {
  std::string name;  // at most 79 characters, case kept
  std::string url;   // at most 239
  std::string page;  // at most 239
  FoundFile* nextCopy = nullptr;   // next file of the same group
  FoundFile* nextGroup = nullptr;  // on a group's first file: the next group's first file
  std::atomic<int32_t> state{static_cast<int32_t>(FileState::Waiting)};
  std::atomic<int64_t> size{0};  // bytes; files past 2 GiB are common
  SocketSlot probeSocket;  // the sockets of a probe in progress
  // A re-check asked while the file was being probed; its probe, when it
  // ends, puts the file back to Waiting instead. Guarded by CatalogueLock.
  bool recheckAsked = false;

  FileState State() const { return static_cast<FileState>(state.load()); }
  void SetState(FileState s) { state = static_cast<int32_t>(s); }
  std::string Date() const {
    std::lock_guard lock(dateMutex_);
    return date_;
  }
  void ResetForRecheck() {
    SetState(FileState::Waiting);
    size = 0;
    SetDate(kUnknownDate);
  }
  void SetDate(std::string date) {
    if (date.size() > kMaxDate) date.resize(kMaxDate);
    std::lock_guard lock(dateMutex_);
    date_ = std::move(date);
  }

 private:
  mutable std::mutex dateMutex_;
  std::string date_ = kUnknownDate;
};

// One row of the results: a file, an archive series or a server folder. An
// entry owns every file ever linked into it; a removed file is only unlinked.
// Entries are shared: a probe thread holds the entry of the file it verifies,
// so a clear of the catalogue never frees a file under a probe.
struct FoundEntry {
  std::string key;  // lower case, at most 79 characters; "@tag~n" for a server folder
  FoundFile* files = nullptr;  // first file of the first group
  int32_t hits = 1;
  int64_t shownSize = 0;
  int32_t fileCount = 0;
  std::string typeText;  // up to three characters
  bool deleted = false;
  std::vector<std::unique_ptr<FoundFile>> owned;

  FoundFile* NewFile() { return owned.emplace_back(std::make_unique<FoundFile>()).get(); }
};

// A walk along the links of an entry's files: the groups (the first file of
// each), the copies of one group, or every file, group after group. The
// caller holds CatalogueLock, or owns the table.
enum class ChainWalk { Groups, Copies, All };

template <class File>  // FoundFile or const FoundFile
class FileChain {
 public:
  class iterator {
   public:
    using value_type = File*;
    using difference_type = std::ptrdiff_t;
    iterator() = default;
    iterator(File* first, ChainWalk walk) : group_(first), file_(first), walk_(walk) {}
    File* operator*() const { return file_; }
    iterator& operator++() {
      if (walk_ == ChainWalk::Groups) {
        file_ = group_ = group_->nextGroup;
      } else {
        file_ = file_->nextCopy;
        if (file_ == nullptr && walk_ == ChainWalk::All) file_ = group_ = group_->nextGroup;
      }
      return *this;
    }
    iterator operator++(int) {
      iterator before = *this;
      ++*this;
      return before;
    }
    bool operator==(const iterator& other) const { return file_ == other.file_; }

   private:
    File* group_ = nullptr;
    File* file_ = nullptr;
    ChainWalk walk_ = ChainWalk::All;
  };

  FileChain(File* first, ChainWalk walk) : first_(first), walk_(walk) {}
  iterator begin() const { return {first_, walk_}; }
  iterator end() const { return {}; }

 private:
  File* first_;
  ChainWalk walk_;
};

inline FileChain<FoundFile> GroupsOf(const FoundEntry& entry) { return {entry.files, ChainWalk::Groups}; }
template <class File>
FileChain<File> CopiesOf(File* group) {
  return {group, ChainWalk::Copies};
}
inline FileChain<FoundFile> FilesOf(const FoundEntry& entry) { return {entry.files, ChainWalk::All}; }
inline int GroupCount(const FoundEntry& entry) {
  int groups = 0;
  for ([[maybe_unused]] const FoundFile* group : GroupsOf(entry)) ++groups;
  return groups;
}

// A fixed-capacity table of entries. Entries are appended and never move: an
// index is an entry's identity. A slot released by FreeEntry stays empty.
struct FileCatalogue {
  static constexpr int kMainCapacity = 4096;
  static constexpr int kPageCapacity = 128;

  explicit FileCatalogue(int cap) : capacity(cap) {}

  int count() const { return static_cast<int>(entries.size()); }

  const int capacity;
  std::vector<std::shared_ptr<FoundEntry>> entries;
};

}  // namespace orvi
