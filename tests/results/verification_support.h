#pragma once

#include <chrono>
#include <thread>

#include "results/catalogue.h"
#include "results/verification.h"

namespace orvi::test {

// Puts each URL into the catalogue as an entry of its own.
inline std::vector<FoundFile*> AddFiles(Context& ctx, const std::vector<std::string>& urls) {
  std::vector<FoundFile*> files;
  std::lock_guard lock(ctx.CatalogueLock);
  for (size_t i = 0; i < urls.size(); ++i) {
    auto entry = std::make_shared<FoundEntry>();
    entry->key = "file" + std::to_string(i);
    entry->files = entry->NewFile();
    entry->files->name = entry->key;
    entry->files->url = urls[i];
    files.push_back(entry->files);
    ctx.catalogue.entries.push_back(std::move(entry));
  }
  return files;
}

// Polls until no file waits or is being verified (at most 60 s).
inline bool WaitSettled(const std::vector<FoundFile*>& files) {
  for (int i = 0; i < 12000; ++i) {
    bool open = false;
    for (FoundFile* f : files) open |= f->State() == FileState::Waiting || f->State() == FileState::Verifying;
    if (!open) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

}  // namespace orvi::test
