#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <mutex>

#include "core/ui_port.h"

class QMessageBox;
class QWidget;

namespace orvi::ui {

class ResultsWindow;

// The windows' side of the core's UI port. Every call, from any thread, is
// handed to the GUI thread (the thread that made the port) as a queued call,
// so calls arrive in the order they were made; no core thread ever touches a
// widget.
class QtUiPort final : public QObject, public UiPort {
 public:
  QtUiPort();
  ~QtUiPort() override;

  // GUI thread only.
  void SetResultsWindow(ResultsWindow* window);
  void SetFrame(QWidget* frame);

  void PostCommand(int commandId) override;
  void MessageBox(const MessageSpec& box) override;
  MsgAnswer Ask(const MessageSpec& box) override;
  void SetTitle(const std::string& title) override;

  // The boxes of the program, with their exact texts, caption, icon, buttons
  // and default button. RunMessageBox waits for the answer (GUI thread).
  static QMessageBox* MakeMessageBox(QWidget* parent, const MessageSpec& box);
  static MsgAnswer RunMessageBox(QWidget* parent, const MessageSpec& box);

  // Writes a text or a number into a control of any kind, only when it changes.
  static void ApplyText(QWidget* control, const QString& text);
  static void ApplyNumber(QWidget* control, int value);

 private:
  template <class F>
  void OnGuiThread(F&& f);
  QWidget* BoxParent() const;

  QPointer<ResultsWindow> results_;
  QPointer<QWidget> frame_;
};

}  // namespace orvi::ui
