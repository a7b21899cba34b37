#pragma once

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
// The save command: the state, then the found files.
void SaveSearchStateCommand(Context& ctx);
// Loads the saved profile, name and search text, and appends the saved pages
// to the queue as waiting pages. Without a save: "Pas de sauvegarde trouvée !"
// and false.
bool RestoreSearchState(Context& ctx);

}  // namespace orvi
