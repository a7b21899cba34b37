#pragma once

namespace orvi::ui::cmd {

// The main menu (menu resource 1); the results window's command table runs them.
constexpr int kNewSearch = 4000;
constexpr int kAbout = 4001;
constexpr int kQuit = 4002;
constexpr int kOptions = 4003;
constexpr int kStopSearch = 4004;
constexpr int kSaveResults = 4005;
constexpr int kLoadResults = 4006;
constexpr int kShowServerFolders = 4008;
constexpr int kShowSingleFiles = 4009;
constexpr int kSaveSearchState = 4010;
constexpr int kResumeSearch = 4011;
constexpr int kAnalysePage = 4012;
constexpr int kProfileEditor = 6888;
constexpr int kHelp = 7000;
constexpr int kStatistics = 20254;
constexpr int kShowErrors = 20900;
// Sent by the results window's "Pause"/"Continue" button and by the page client.
constexpr int kPauseContinue = 20501;

}  // namespace orvi::ui::cmd
