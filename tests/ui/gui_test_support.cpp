#include "gui_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

namespace orvi::test {

bool PumpUntil(const std::function<bool()>& condition, int maxSeconds) {
  QDeadlineTimer deadline{std::chrono::seconds(maxSeconds)};
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    // Waits for the next event (a tick, a queued call) rather than spinning.
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
  }
  return true;
}

void PumpEvents() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void WhenModal(std::function<void(QWidget*)> answer) {
  QTimer::singleShot(0, qApp, [answer = std::move(answer)]() mutable {
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible()) {
      answer(modal);
    } else {
      // Not shown yet: look again shortly.
      QTimer::singleShot(10, qApp, [answer = std::move(answer)]() mutable { WhenModal(std::move(answer)); });
    }
  });
}

void AnswerBox(QString* text, const QString& button) {
  WhenModal([=](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    *text = box->text();
    if (button.isEmpty()) box->close();
    else ClickButton(box, button);
  });
}

void AnswerFileDialog(const QString& file, QString* title, QString* folder) {
  WhenModal([=](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    if (title) *title = dialog->windowTitle();
    if (folder) *folder = dialog->directory().absolutePath();
    if (file.isEmpty()) {
      dialog->reject();
      return;
    }
    dialog->selectFile(file);
    static_cast<QDialog*>(dialog)->accept();
  });
}

void ClickButton(QWidget* modal, const QString& text) {
  for (QAbstractButton* b : modal->findChildren<QAbstractButton*>()) {
    if (b->text().remove(QLatin1Char('&')) == QString(text).remove(QLatin1Char('&'))) {
      b->click();
      return;
    }
  }
  ADD_FAILURE() << "no button " << text.toStdString() << " in " << modal->objectName().toStdString();
}

}  // namespace orvi::test
