#pragma once

#include <string>

namespace orvi {

// Where both executables look for their shipped data and the user's files.
struct FolderPlaces {
  std::string exeFolder;    // the running program's folder, ending in "/"
  std::string dataFolder;   // the installed data (share/orvilane/), "" when none
  std::string xdgDataHome;  // $XDG_DATA_HOME, may be empty
  std::string userHome;     // $HOME, may be empty
};

// The places of this process: the executable's folder, the installed data
// beside it (../share/orvilane/) and the environment.
FolderPlaces CurrentFolderPlaces();

// The program folder, ending in "/": the given home when not empty; else the
// executable's folder when it holds ORVI.ini and can be written (a build
// folder or a portable copy); else the user's data folder
// ($XDG_DATA_HOME/orvilane, by default ~/.local/share/orvilane), created and
// seeded from the installed data when it has no ORVI.ini yet. Seeding only
// adds missing files: nothing the user changed is overwritten.
std::string ResolveProgramFolder(const std::string& home, const FolderPlaces& places);
std::string ResolveProgramFolder(const std::string& home);

// Copies every file of from/ missing in to/ (sub-folders too, except the
// help pages, which are read where they are installed). False when to/ cannot
// be created.
bool SeedFolder(const std::string& from, const std::string& to);

// The installed data folder of this process ("" when there is none).
std::string InstalledDataFolder();

// A file the program ships (the clip, a help page), by its path relative to a
// data folder: the program folder's own copy, else the one beside the
// executable, else the installed data's - whatever folder --home named. ""
// when none holds it.
std::string ShippedFilePath(const std::string& appFolder, const std::string& relative, const FolderPlaces& places);
std::string ShippedFilePath(const std::string& appFolder, const std::string& relative);

}  // namespace orvi
