#include "ui/core_flows.h"

#include <mutex>
#include <string_view>

#include "explore/exploration_run.h"
#include "explore/queue.h"
#include "results/catalogue.h"
#include "results/results_file.h"
#include "search/search_state.h"

namespace orvi::ui::flows {

void PrepareScan(Context& ctx, const ScanChoices& choices, const std::string& address) {
  SearchProfile& p = ctx.activeProfile;
  p = SearchProfile{};
  p.ExtractAll = true;
  p.EnableNews = true;
  p.Zip = p.Archiv = choices.archives;
  p.Exe = choices.executables;
  p.SAD = choices.smartArchives;
  p.SiteScan = choices.wholeSite;
  p.MaxDomains = choices.wholeSite ? 999 : 0;
  const std::string& text = choices.extensions;
  if (!text.empty()) {
    // Pieces are trimmed of spaces only and keep their case; what does not
    // fit the profile's sixteen entries of fifteen characters is dropped.
    for (size_t pos = 0; pos <= text.size() && p.ExtensionCount < SearchProfile::kMaxExtensions;) {
      size_t comma = text.find(',', pos);
      if (comma == std::string::npos) comma = text.size();
      std::string_view piece = std::string_view(text).substr(pos, comma - pos);
      while (!piece.empty() && piece.front() == ' ') piece.remove_prefix(1);
      while (!piece.empty() && piece.back() == ' ') piece.remove_suffix(1);
      p.Extensions[static_cast<size_t>(p.ExtensionCount++)] = std::string(piece.substr(0, 15));
      pos = comma + 1;
    }
  }
  std::lock_guard lock(ctx.QueueLock);
  ctx.queue.entries.clear();
  ctx.queue.entries.push_back(std::make_shared<QueueEntry>(address.substr(0, 239), 0, FoundBy::FromEngine, 0));
}

bool RestoreSearch(Context& ctx) { return RestoreSearchState(ctx); }

void WaitForStoppedRun(Context& ctx) {
  if (!ctx.run.collecting && ctx.run.scheduler.joinable()) ctx.run.scheduler.join();
}

void StartRun(Context& ctx, StartMode mode) {
  StartExplorationRun(ctx, mode == StartMode::Scan     ? RunMode::Scan
                           : mode == StartMode::Resume ? RunMode::Resume
                                                       : RunMode::Search);
  // With no base address no scheduler starts, and nothing would ever end the
  // run: the program would stay "searching" with nothing running.
  if (!ctx.run.SchedulerActive) ctx.run.collecting = false;
}

void StopSearch(Context& ctx) { StopAndClearQueue(ctx); }

bool SearchRunning(const Context& ctx) { return ctx.run.collecting; }

int CatalogueCount(Context& ctx) {
  std::lock_guard lock(ctx.CatalogueLock);
  return ctx.catalogue.count();
}

void ClearFoundFiles(Context& ctx) { ClearCatalogue(ctx); }

void LoadResults(Context& ctx, const std::string& path) { ReadResultsFile(ctx, ctx.catalogue, path); }

void SaveResults(Context& ctx, const std::string& path) { WriteResultsFile(ctx, path); }

void SaveSearchState(Context& ctx) { SaveSearchStateCommand(ctx); }

std::string SavedResultsFile(const Context& ctx) { return SavedResultsPath(ctx); }

void TogglePause(Context& ctx) { orvi::TogglePause(ctx); }

}  // namespace orvi::ui::flows
