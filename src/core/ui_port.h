#pragma once

#include <string>

namespace orvi {

// What the run tells the results window besides field texts.
enum class UiSignal {
  ResetResults,    // empty the results display for a new run
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
  // A number shown by a control: a slider position, a progress value.
  virtual void SetFieldNumber(int controlId, int value) { SetFieldText(controlId, std::to_string(value)); }
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

// Ids the core uses across windows.
namespace ids {
// Results window.
constexpr int kPauseContinue = 20501;      // Pause/Continue button and command
constexpr int kDisconnectedNotice = 9306;  // lost-connection notice
constexpr int kInProgress = 20902;         // pages being fetched
constexpr int kProgressBar = 20000;
constexpr int kProgressText = 109;
constexpr int kElapsed = 20102;
constexpr int kRemaining = 20103;
constexpr int kLoadKb = 20201;
constexpr int kTimeouts = 20203;
constexpr int kSpeedSlider = 20210;
constexpr int kSpeed = 20212;
constexpr int kReferenceSpeed = 20213;
constexpr int kBase = 20251;
constexpr int kAdded = 20253;
constexpr int kWaiting = 20256;
constexpr int kFinished = 20258;
constexpr int kProbes = 20260;  // "Liens"
// Commands of the main menu.
constexpr int kSaveSearchState = 4010;
}  // namespace ids

}  // namespace orvi
