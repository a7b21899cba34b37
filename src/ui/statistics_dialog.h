#pragma once

#include <QDialog>
#include <QTimer>

#include <array>

#include "ui/controls.h"
#include "ui/gui_env.h"

class QLineEdit;
class QListWidget;
class QRadioButton;

namespace orvi::ui {

// Tstat: how many pages each way of finding pages added to the queue,
// refreshed every two seconds, and on a click the addresses one way added.
// A top-level window of its own; several may be open at once.
class StatisticsDialog : public QDialog, public ControlSet {
 public:
  static constexpr int kFirstChoice = 200;  // 200-205: FoundBy codes 1-6
  static constexpr int kFirstCount = 300;   // 300-305
  static constexpr int kList = 113;
  static constexpr int kClose = 1;
  static constexpr int kRefreshMs = 2000;

  explicit StatisticsDialog(GuiEnv& env);

  QWidget* Window() override { return this; }

  // Opens a copy that deletes itself when closed.
  static StatisticsDialog* Open(GuiEnv& env);

  void RefreshCounts();
  void RefreshList();
  QTimer& Timer() { return timer_; }

 private:
  GuiEnv& env_;
  std::array<QRadioButton*, 6> choices_{};
  std::array<QLineEdit*, 6> counts_{};
  QListWidget* list_;
  QTimer timer_;
};

}  // namespace orvi::ui
