#pragma once

#include <QSize>

#include <memory>
#include <string>

#include "core/context.h"
#include "core/harvest_state.h"

namespace orvi {
class SearchReports;
}

namespace orvi::ui {

class Browser;
class QtUiPort;

// What the search preparation window remembers from one opening to the next.
struct PrepChoices {
  size_t currentProfile = 0;  // index into the window's profile list
  // Its path ("/Musique/mp3"), which finds it again when profiles were added
  // or removed since; the index serves when it is gone.
  std::string currentProfilePath;
  int stopAtPosition = kDefaultStopAtPosition;
};

// The page analysis dialog's choices, kept for the whole process (never on
// disk).
struct ScanChoices {
  bool archives = true;
  bool executables = true;
  bool smartArchives = true;
  bool wholeSite = false;
  std::string extensions;  // Windows-1252, at most 79 characters
};

// What every window reaches: the core, the port the core talks through, the
// browser, and the screen size (injected by tests; empty: the primary
// screen's).
struct GuiEnv {
  Context& ctx;
  QtUiPort& port;
  Browser& browser;
  QSize screen;
  ScanChoices scan;
  PrepChoices prep;
  // The reports of searches to the product site; made at the first search.
  std::shared_ptr<SearchReports> reports;
};

}  // namespace orvi::ui
