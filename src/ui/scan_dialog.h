#pragma once

#include <QDialog>

#include "ui/controls.h"
#include "ui/gui_env.h"

class QLineEdit;

namespace orvi::ui {

// TScan: asks for the page to analyse and the kinds of file wanted, keeps
// the choices for the next opening, and on "Go !" prepares the scan (a
// throw-away profile and a queue of the one page).
class ScanDialog : public QDialog, public ControlSet {
 public:
  static constexpr int kWindowId = 70;
  static constexpr int kAddress = 101;
  static constexpr int kArchives = 102;
  static constexpr int kExecutables = 103;
  static constexpr int kSmartArchives = 104;
  static constexpr int kExtensions = 105;
  static constexpr int kWholeSite = 300;
  static constexpr int kGo = 1;
  static constexpr int kCancel = 2;
  static constexpr int kMaxExtensionsText = 79;

  ScanDialog(GuiEnv& env, QWidget* parent);

  QWidget* Window() override { return this; }
  int WindowId() const override { return kWindowId; }

  // Runs the dialog modally; true when it was closed with "Go !".
  static bool Run(GuiEnv& env, QWidget* parent);

  void accept() override;

 private:
  GuiEnv& env_;
  QLineEdit* address_;
  QLineEdit* extensions_;
};

}  // namespace orvi::ui
