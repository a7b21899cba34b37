#include "ui/core_flows.h"

#include <mutex>
#include <string_view>

#include "explore/exploration_run.h"
#include "explore/queue.h"
#include "results/catalogue.h"
#include "results/results_file.h"
#include "search/search_state.h"
#include "search/session.h"

namespace orvi::ui::flows {

void PrepareScan(Context& ctx, const ScanChoices& choices, const std::string& address) {
  SetUpPageAnalysis(ctx, PageAnalysisChoices{address, choices.archives, choices.executables,
                                             choices.smartArchives, choices.wholeSite, choices.extensions});
}

void StopSearch(Context& ctx) { StopAndClearQueue(ctx); }

bool SearchRunning(Context& ctx) { return orvi::SearchRunning(ctx); }

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
