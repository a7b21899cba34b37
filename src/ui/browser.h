#pragma once

#include <string>

namespace orvi::ui {

struct GuiEnv;

// How the windows show an address in the web browser and copy text, behind
// an interface so that tests can watch it. Addresses and texts are
// Windows-1252.
class Browser {
 public:
  virtual ~Browser() = default;
  // Shows an address in the browser, in a new browser window when newWindow
  // asks for it and the default browser is known; false when every way failed
  // (callers ignore it).
  virtual bool OpenInBrowser(const std::string& address, bool newWindow) = 0;
  // Hands an address to the desktop's default handler of its kind.
  virtual bool ShellOpen(const std::string& address) = 0;
  virtual void CopyToClipboard(const std::string& text) = 0;
};

// The desktop's browser: the default handler, or with newWindow the default
// web browser's own command (looked up once per object: the desktop entry
// that mimeapps.list names for web addresses, or that xdg-settings reports)
// with its new-window option, started directly - no shell ever sees an
// address. Any failure falls through to the default handler.
class DesktopBrowser final : public Browser {
 public:
  bool OpenInBrowser(const std::string& address, bool newWindow) override;
  bool ShellOpen(const std::string& address) override;
  void CopyToClipboard(const std::string& text) override;

  // The browser command as found ("" when there is none); looked up at the
  // first call.
  const std::string& BrowserCommand();

 private:
  bool lookedUp_ = false;
  std::string command_;  // lower case
};

// How the windows open an address (Windows-1252): with the browser (in a new
// window when the settings ask for it), or with the desktop's default handler.
// When nothing could be started, one box says so - no browser is installed,
// and nothing else would show it.
void OpenInBrowserOrSay(GuiEnv& env, const std::string& address);
void ShellOpenOrSay(GuiEnv& env, const std::string& address);

// The option that opens a new window in a browser known by its program name
// ("" when unknown).
std::string NewWindowOption(const std::string& command);

// The command of the default handler of an extension's documents, cut as
// the program cuts a registered command: at the first "%", then the first
// space, then a double quote after the first character; a leading quote is
// dropped. Empty when there is none.
std::string CutRegisteredCommand(const std::string& value);

}  // namespace orvi::ui
