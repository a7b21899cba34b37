#pragma once

#include <functional>
#include <string>

#include "core/context.h"

namespace orvi {

// A search saved while it runs, to be resumed later: the profile
// ("profilsvg.ini"), the search's name, text and unfinished pages
// ("rechsvg.ini"), and the found files ("Resultsvg.txt"), all in the program
// folder.
std::string SavedProfilePath(const Context& ctx);
std::string SavedSearchPath(const Context& ctx);
std::string SavedResultsPath(const Context& ctx);

// Writes "profilsvg.ini" and "rechsvg.ini".
void SaveSearchState(Context& ctx);
// The save command: the state and the found files, replaced together.
void SaveSearchStateCommand(Context& ctx);

// The save itself: the two state files, and "Resultsvg.txt" when withResults,
// replaced as one set. A crash at any instant leaves the previous whole set
// or the new one, which RecoverSavedState (run by every save and by the
// resume) puts in place. checkpoint, for tests, is called before each step
// with its number from 0; false stops the save there, as a crash would.
// False when the save did not complete.
using SaveCheckpoint = std::function<bool(int step)>;
bool SaveSearchStateFiles(Context& ctx, bool withResults, const SaveCheckpoint& checkpoint = {});
// Completes a save that had written its whole set, or drops the files of one
// that had not.
void RecoverSavedState(Context& ctx);
// Loads the saved profile, name and search text, and appends the saved pages
// to the queue as waiting pages. Without a save: "Pas de sauvegarde trouvée !"
// and false.
bool RestoreSearchState(Context& ctx);

}  // namespace orvi
