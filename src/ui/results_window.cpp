#include "ui/results_window.h"

#include "explore/exploration_run.h"
#include "ui/qt_ui_port.h"

namespace orvi::ui {

ResultsWindow::ResultsWindow(GuiEnv& env, QWidget* parent) : QWidget(parent), env_(env) {
  setObjectName(QStringLiteral("TD"));
  AttachTo(env_.port);
  env_.port.SetResultsWindow(this);
  connect(&tick_, &QTimer::timeout, this, [this] { OnTick(); });
  tick_.start(kTickMs);
}

ResultsWindow::~ResultsWindow() = default;

void ResultsWindow::SetViewToggles() { showErrors = showServerFolders = showSingleFiles = true; }

void ResultsWindow::AddTickHook(std::function<void()> hook) { tickHooks_.push_back(std::move(hook)); }

void ResultsWindow::OnTick() {
  ++tickCount_;
  OnRunTimer(env_.ctx);
  commands_.UpdateButtons();
  for (const auto& hook : tickHooks_) hook();
}

void ResultsWindow::RefreshViews() {}
void ResultsWindow::ResetRunDisplay() {}
void ResultsWindow::ClearFileList() {}
void ResultsWindow::ResetSortFlags() {}
void ResultsWindow::ForgetSelection() {}
void ResultsWindow::StopAnimation() {}
void ResultsWindow::HandleSignal(UiSignal) {}

}  // namespace orvi::ui
