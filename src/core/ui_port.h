#pragma once

#include <string>

namespace orvi {

// The icon of a message box.
enum class MsgIcon { None, Information, Warning, Error, Question, Stop };
// Its buttons; the first named is the default unless the box says otherwise.
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No };

// One message box: its exact text, its caption (empty: the default caption of
// the windows, for a box without a caption of its own),
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
  // Posts a command to the results window, as a menu or button would.
  virtual void PostCommand(int commandId) = 0;
  // Shows a box and goes on without waiting for it.
  virtual void MessageBox(const MessageSpec& box) = 0;
  // Shows a box and waits for the answer (a question that needs an
  // answer). A port without windows answers with the default button.
  virtual MsgAnswer Ask(const MessageSpec& box) { return box.defaultAnswer; }
  // The main window's title.
  virtual void SetTitle(const std::string&) {}
};

// For a core without windows: every call is dropped.
class NullUi final : public UiPort {
 public:
  void PostCommand(int) override {}
  void MessageBox(const MessageSpec&) override {}
};

}  // namespace orvi
