#pragma once

#include <QTimer>
#include <QWidget>

#include <functional>
#include <vector>

#include "core/ui_port.h"
#include "ui/command_table.h"
#include "ui/controls.h"
#include "ui/gui_env.h"

namespace orvi::ui {

// TD: the program's main working window, the client of the frame. It owns
// the command table that the main menu, its buttons, its context menus and
// posted commands run through, and the 250 ms tick.
class ResultsWindow : public QWidget, public ControlSet {
 public:
  static constexpr int kWindowId = 1;
  static constexpr int kTickMs = 250;

  explicit ResultsWindow(GuiEnv& env, QWidget* parent = nullptr);
  ~ResultsWindow() override;

  QWidget* Window() override { return this; }
  int WindowId() const override { return kWindowId; }

  GuiEnv& Env() { return env_; }
  CommandTable& Commands() { return commands_; }

  // The three view toggles, set at construction and by every new search.
  bool showErrors = true;
  bool showServerFolders = true;
  bool showSingleFiles = true;
  void SetViewToggles();

  // Runs on every tick, after the window's own work.
  void AddTickHook(std::function<void()> hook);
  QTimer& TickTimer() { return tick_; }
  int TickCount() const { return tickCount_; }

  // What the main commands ask of the window.
  void RefreshViews();      // after loads, deletions and toggles
  void ResetRunDisplay();   // progress, clocks, counters, connections list
  void ClearFileList();     // deletes every row of the file list
  void ResetSortFlags();    // the five per-column sort flags back to 1
  void ForgetSelection();   // no list row is selected any more
  void StopAnimation();
  void HandleSignal(UiSignal signal);

 private:
  void OnTick();

  GuiEnv& env_;
  CommandTable commands_;
  QTimer tick_;
  int tickCount_ = 0;
  std::vector<std::function<void()>> tickHooks_;
};

}  // namespace orvi::ui
