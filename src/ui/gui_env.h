#pragma once

#include <QSize>

#include <string>

#include "core/context.h"

namespace orvi::ui {

class Browser;
class QtUiPort;

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
};

}  // namespace orvi::ui
