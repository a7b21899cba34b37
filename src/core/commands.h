#pragma once

// The program's commands, by id: the main menu's, and those a button or a
// core thread posts. The session runs the search commands by these ids; the
// windows bind them to their menus and buttons.
namespace orvi::cmd {

constexpr int kNewSearch = 4000;
constexpr int kAbout = 4001;
constexpr int kQuit = 4002;
constexpr int kOptions = 4003;
constexpr int kStopSearch = 4004;
constexpr int kSaveResults = 4005;
constexpr int kLoadResults = 4006;
constexpr int kShowServerFolders = 4008;
constexpr int kShowSingleFiles = 4009;
constexpr int kSaveSearchState = 4010;  // also posted by the autosave
constexpr int kResumeSearch = 4011;
constexpr int kAnalysePage = 4012;
constexpr int kExportLinks = 4013;
constexpr int kProfileEditor = 6888;
constexpr int kHelp = 7000;
constexpr int kStatistics = 20254;      // also the results window's "?"
constexpr int kShowErrors = 20900;      // also "Afficher erreurs"
// "Pause"/"Continue"; also posted by the page client when the network goes and comes back.
constexpr int kPauseContinue = 20501;

}  // namespace orvi::cmd
