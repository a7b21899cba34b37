#pragma once

#include <QMainWindow>
#include <QSize>

#include <functional>

#include "search/session.h"
#include "ui/gui_env.h"

class QMenu;

namespace orvi::ui {

class ResultsWindow;

// The frame's size at start: 0.88 x 0.84 of a screen wider than 801 pixels
// (the screen itself otherwise), then 40 pixels less each way.
QSize InitialFrameSize(QSize screen);

// TFW: the one top-level window, titled "Orvilane v0.41", whose client is the
// results window. It carries menu resource 1; the menu's commands live in the
// results window's command table.
class MainFrame : public QMainWindow {
 public:
  static constexpr const char* kTitle = "Orvilane v0.41";

  // end: what closing the frame does; the program closes every socket and
  // ends the process at once with exit code 0.
  MainFrame(GuiEnv& env, std::function<void()> end);
  ~MainFrame() override;

  ResultsWindow& Results() { return *results_; }
  QMenu* Menu(int index) const;
  // The start window named by StartWindow, posted like any command.
  void PostStartWindow();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenu();
  void RegisterCommands();
  void SaveResults();
  void LoadResults();
  void ExportLinks();
  void SaveSearchState();
  void Flip(bool& toggle);

  GuiEnv& env_;
  std::function<void()> end_;
  ResultsWindow* results_;
  std::vector<QMenu*> menus_;
  // What the windows do for the session's search commands.
  SessionFrontEnd session_;
};

// The program's end: every registered socket closed, then the process goes at
// once with exit code 0 - no thread is waited for and nothing is saved.
[[noreturn]] void EndProgram(Context& ctx);

}  // namespace orvi::ui
