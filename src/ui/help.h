#pragma once

#include <string>

#include "ui/gui_env.h"

namespace orvi::ui {

// The help pages (French HTML) ship in help/ (found as ShippedFilePath
// finds it). The main page and the search preparation window's page:
constexpr const char* kHelpMain = "index.html";
constexpr const char* kHelpSearch = "recherche.html";

// The page's file, "" when it is found nowhere.
std::string HelpPagePath(const Context& ctx, const std::string& page);

// Hands the page to the desktop's default handler. A missing page, or a
// handler that cannot be started, is said in a box.
void OpenHelp(GuiEnv& env, const std::string& page);

// The main window's commands whose windows live here: the about box (4001),
// the options sheet (4003), the help (7000) and the statistics (20254).
class ResultsWindow;
void AddDialogCommands(GuiEnv& env, ResultsWindow& results);

}  // namespace orvi::ui
