#include "gui_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

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

void AnswerFileDialog(const QString& file, QString* title) {
  WhenModal([=](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    if (title) *title = dialog->windowTitle();
    if (file.isEmpty()) {
      dialog->reject();
      return;
    }
    dialog->selectFile(file);
    static_cast<QDialog*>(dialog)->accept();
  });
}

void ExpectNothingOverlappedOrCut(const ui::ControlSet& set, const QWidget& window) {
  std::vector<std::pair<int, QRect>> placed;
  for (int id : set.ControlIds()) {
    QWidget* c = set.ControlById(id);
    if (auto* label = qobject_cast<QLabel*>(c); label && !label->text().isEmpty() && !label->wordWrap()) {
      EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width()) << id;
      EXPECT_LE(label->fontMetrics().height(), label->height() + 1) << id;
    } else if (auto* button = qobject_cast<QPushButton*>(c)) {
      EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text().remove(QLatin1Char('&'))) + 4,
                button->width()) << id;
    } else if (auto* box = qobject_cast<QGroupBox*>(c)) {
      EXPECT_LE(box->fontMetrics().horizontalAdvance(box->title()) + 10, box->width()) << id;
    }
    // Frames hold their controls; an empty control (a clip without its file) takes no room.
    if (qobject_cast<QGroupBox*>(c) || c->isHidden() || c->size().isEmpty()) continue;
    const QRect place(c->mapTo(&window, QPoint(0, 0)), c->size());
    EXPECT_TRUE(window.rect().contains(place)) << id;
    for (const auto& [other, at] : placed) EXPECT_FALSE(at.intersects(place)) << id << " over " << other;
    placed.emplace_back(id, place);
  }
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
