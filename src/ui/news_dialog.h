#pragma once

#include <QDialog>

#include <string>

#include "ui/controls.h"
#include "ui/gui_env.h"

namespace orvi::ui {

// The product site's home page, as the buttons show and open it ("" when
// the site's address is empty).
std::string SiteHome(const Context& ctx);

// Tinfos: a new message from the product site, with a way to the site.
class NewsDialog : public QDialog, public ControlSet {
 public:
  static constexpr int kMessage = 101;
  static constexpr int kGoToSite = 1;
  static constexpr int kClose = 2;

  // message: Windows-1252, lines ending in CR LF.
  NewsDialog(GuiEnv& env, const std::string& message);

  QWidget* Window() override { return this; }

  static NewsDialog* Open(GuiEnv& env, const std::string& message);

 private:
  GuiEnv& env_;
};

// TAbout: the version, the contact and a button to the product site. Several
// may be open at once.
class AboutBox : public QDialog, public ControlSet {
 public:
  static constexpr int kSite = 101;
  static constexpr int kSiteLabel = 102;
  static constexpr int kClose = 1;

  explicit AboutBox(GuiEnv& env);

  QWidget* Window() override { return this; }

  static AboutBox* Open(GuiEnv& env);

 private:
  GuiEnv& env_;
};

// The news check of a start, on a thread of its own; a new message opens
// NewsDialog on the GUI thread. Nothing happens when the product site's
// address is empty.
void StartNewsCheck(GuiEnv& env);

}  // namespace orvi::ui
