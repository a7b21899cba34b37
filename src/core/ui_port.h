#pragma once

#include <string>

namespace orvi {

// How the core reaches the windows without knowing them. Core threads call it
// from anywhere; an implementation that shows windows hands every call over to
// its GUI thread. Texts are Windows-1252, like all core text.
class UiPort {
 public:
  virtual ~UiPort() = default;
  // Sets the text of the control with this id in the window that owns it.
  virtual void SetFieldText(int controlId, const std::string& text) = 0;
  virtual void ShowControl(int controlId, bool visible) = 0;
  // Posts a command to the results window, as a menu or button would.
  virtual void PostCommand(int commandId) = 0;
  virtual void MessageBox(const std::string& text, const std::string& caption) = 0;
  // Whether the window with this id is open now.
  virtual bool WindowExists(int windowId) = 0;
};

// For a core without windows: every call is dropped.
class NullUi final : public UiPort {
 public:
  void SetFieldText(int, const std::string&) override {}
  void ShowControl(int, bool) override {}
  void PostCommand(int) override {}
  void MessageBox(const std::string&, const std::string&) override {}
  bool WindowExists(int) override { return false; }
};

// Ids the core uses across windows.
namespace ids {
constexpr int kPauseContinue = 20501;    // results window: Pause/Continue
constexpr int kDisconnectedNotice = 9306;  // results window: lost-connection notice
}  // namespace ids

}  // namespace orvi
