#pragma once

#include <QDialog>

#include "search/session.h"
#include "ui/controls.h"
#include "ui/gui_env.h"

class QLineEdit;

namespace orvi::ui {

// TScan: asks for the page to analyse and the kinds of file wanted, and
// keeps the choices for the next opening.
class ScanDialog : public QDialog, public ControlSet {
 public:
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

  // Runs the dialog modally; true with the choices when it was closed with "Go !".
  static bool Run(GuiEnv& env, QWidget* parent, PageAnalysisChoices& choices);

  void accept() override;
  // What "Go !" chose.
  const PageAnalysisChoices& Choices() const { return choices_; }

 private:
  GuiEnv& env_;
  PageAnalysisChoices choices_;
  QLineEdit* address_;
  QLineEdit* extensions_;
};

}  // namespace orvi::ui
