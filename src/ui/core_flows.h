#pragma once

#include <string>

#include "core/context.h"
#include "ui/gui_env.h"

// The core calls behind the main commands, in one place, so that the windows
// follow the core's flows when they move.
namespace orvi::ui::flows {

// The page analysis's "Go !": a throw-away profile in systematic mode built
// from the choices, and a queue of the one page (address cut at 239).
void PrepareScan(Context& ctx, const ScanChoices& choices, const std::string& address);
// Reloads the saved search (profile, name, text, pages); false, after its
// message, when there is no save.
bool RestoreSearch(Context& ctx);
// Waits for a stopped run's scheduler (it ends within one pass).
void WaitForStoppedRun(Context& ctx);
// Starts phase 2 on the queue as it stands; scan and resume modes title and
// count as the core decides. An empty queue starts nothing and leaves no
// search running.
enum class StartMode { Search, Resume, Scan };
void StartRun(Context& ctx, StartMode mode);
// Clears the collecting flag, closes every socket and frees the queue.
void StopSearch(Context& ctx);
bool SearchRunning(const Context& ctx);
int CatalogueCount(Context& ctx);
// Empties the catalogue (the verification starts again on what comes next).
void ClearFoundFiles(Context& ctx);
void LoadResults(Context& ctx, const std::string& path);
void SaveResults(Context& ctx, const std::string& path);
// The state of the running search and its found files.
void SaveSearchState(Context& ctx);
std::string SavedResultsFile(const Context& ctx);
void TogglePause(Context& ctx);

}  // namespace orvi::ui::flows
