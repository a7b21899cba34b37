#pragma once

#include <string>

namespace orvi {

// What the harvest tells the results window besides field texts.
enum class UiSignal {
  AnimationPlay,   // the progress clip runs while the search does
  AnimationStop,
};

// The icon of a message box.
enum class MsgIcon { None, Information, Warning, Error, Question, Stop };
// Its buttons; the first named is the default unless the box says otherwise.
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No };

// One message box: its exact text, its caption (empty: the default caption of
// the windows, as the design wants for a box without a caption of its own),
// its icon and buttons, and the default button.
struct MessageSpec {
  std::string text;
  std::string caption;
  MsgIcon icon = MsgIcon::Information;
  MsgButtons buttons = MsgButtons::Ok;
  MsgAnswer defaultAnswer = MsgAnswer::Ok;
};

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
  // Shows a box and goes on without waiting for it.
  virtual void MessageBox(const MessageSpec& box) = 0;
  // Shows a box and waits for the answer (a question the design needs
  // answered). A port without windows answers with the default button.
  virtual MsgAnswer Ask(const MessageSpec& box) { return box.defaultAnswer; }
  // Whether the window with this id is open now.
  virtual bool WindowExists(int windowId) = 0;
  // The main window's title.
  virtual void SetTitle(const std::string&) {}
  virtual void Signal(UiSignal) {}
};

// For a core without windows: every call is dropped.
class NullUi final : public UiPort {
 public:
  void SetFieldText(int, const std::string&) override {}
  void ShowControl(int, bool) override {}
  void PostCommand(int) override {}
  void MessageBox(const MessageSpec&) override {}
  bool WindowExists(int) override { return false; }
};

}  // namespace orvi
