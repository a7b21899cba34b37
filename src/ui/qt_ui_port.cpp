#include "ui/qt_ui_port.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>

#include <future>
#include <memory>
#include <vector>

#include "ui/common.h"
#include "ui/controls.h"
#include "ui/results_window.h"

namespace orvi::ui {
namespace {

QMessageBox::Icon IconOf(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::None: return QMessageBox::NoIcon;
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::Warning: return QMessageBox::Warning;
    case MsgIcon::Error:
    case MsgIcon::Stop: return QMessageBox::Critical;
    case MsgIcon::Question: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

struct ButtonSpec {
  MsgAnswer answer;
  QMessageBox::ButtonRole role;
  const char* text;  // UTF-8
};

std::vector<ButtonSpec> ButtonsOf(MsgButtons buttons) {
  const ButtonSpec ok{MsgAnswer::Ok, QMessageBox::AcceptRole, "OK"};
  const ButtonSpec cancel{MsgAnswer::Cancel, QMessageBox::RejectRole, "Annuler"};
  const ButtonSpec yes{MsgAnswer::Yes, QMessageBox::YesRole, "&Oui"};
  const ButtonSpec no{MsgAnswer::No, QMessageBox::NoRole, "&Non"};
  switch (buttons) {
    case MsgButtons::Ok: return {ok};
    case MsgButtons::OkCancel: return {ok, cancel};
    case MsgButtons::YesNo: return {yes, no};
    case MsgButtons::YesNoCancel: return {yes, no, cancel};
  }
  return {ok};
}

constexpr const char* kAnswerProperty = "orviAnswer";

}  // namespace

QtUiPort::QtUiPort() = default;
QtUiPort::~QtUiPort() = default;

template <class F>
void QtUiPort::OnGuiThread(F&& f) {
  // Queued even on the GUI thread itself, so that the calls of all threads
  // keep one order.
  QMetaObject::invokeMethod(this, std::forward<F>(f), Qt::QueuedConnection);
}

void QtUiPort::SetResultsWindow(ResultsWindow* window) { results_ = window; }
void QtUiPort::SetFrame(QWidget* frame) { frame_ = frame; }

void QtUiPort::ApplyText(QWidget* control, const QString& text) {
  if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    if (edit->text() != text) edit->setText(text);
  } else if (auto* label = qobject_cast<QLabel*>(control)) {
    if (label->text() != text) label->setText(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    if (button->text() != text) button->setText(text);
  } else if (qobject_cast<QProgressBar*>(control) || qobject_cast<QAbstractSlider*>(control)) {
    bool ok = false;
    int value = text.trimmed().toInt(&ok);
    if (ok) ApplyNumber(control, value);
  } else if (control && control->property("text").isValid()) {
    if (control->property("text").toString() != text) control->setProperty("text", text);
  }
}

void QtUiPort::ApplyNumber(QWidget* control, int value) {
  if (auto* bar = qobject_cast<QProgressBar*>(control)) {
    if (bar->value() != value) bar->setValue(value);
  } else if (auto* slider = qobject_cast<QAbstractSlider*>(control)) {
    if (slider->value() != value) slider->setValue(value);
  } else {
    ApplyText(control, QString::number(value));
  }
}

void QtUiPort::PostCommand(int commandId) {
  OnGuiThread([this, commandId] {
    if (results_) results_->Commands().Execute(commandId);
  });
}

QWidget* QtUiPort::BoxParent() const {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return frame_.data();
}

QMessageBox* QtUiPort::MakeMessageBox(QWidget* parent, const MessageSpec& spec) {
  auto* box = new QMessageBox(parent);
  // Modal to the window it belongs to only, so that the free-standing windows
  // stay usable.
  if (parent != nullptr) box->setWindowModality(Qt::WindowModal);
  box->setIcon(IconOf(spec.icon));
  box->setText(ToQt(spec.text));
  box->setTextFormat(Qt::PlainText);
  // A box without a caption of its own shows none.
  box->setWindowTitle(ToQt(spec.caption));
  for (const ButtonSpec& b : ButtonsOf(spec.buttons)) {
    QPushButton* button = box->addButton(QString::fromUtf8(b.text), b.role);
    button->setProperty(kAnswerProperty, static_cast<int>(b.answer));
    if (b.answer == spec.defaultAnswer) box->setDefaultButton(button);
    if (b.answer == MsgAnswer::Cancel || (spec.buttons == MsgButtons::YesNo && b.answer == MsgAnswer::No) ||
        spec.buttons == MsgButtons::Ok) {
      box->setEscapeButton(button);
    }
  }
  return box;
}

MsgAnswer QtUiPort::RunMessageBox(QWidget* parent, const MessageSpec& spec) {
  std::unique_ptr<QMessageBox> box(MakeMessageBox(parent, spec));
  box->exec();
  QAbstractButton* clicked = box->clickedButton();
  if (!clicked) return spec.defaultAnswer;
  return static_cast<MsgAnswer>(clicked->property(kAnswerProperty).toInt());
}

void QtUiPort::MessageBox(const MessageSpec& spec) {
  OnGuiThread([this, spec] {
    QMessageBox* box = MakeMessageBox(BoxParent(), spec);
    box->setAttribute(Qt::WA_DeleteOnClose);
    if (box->parentWidget() == nullptr) box->setWindowModality(Qt::ApplicationModal);
    box->show();
    // Over its window, even when another top-level window was raised since.
    box->raise();
    box->activateWindow();
  });
}

MsgAnswer QtUiPort::Ask(const MessageSpec& spec) {
  if (QThread::currentThread() == thread()) return RunMessageBox(BoxParent(), spec);
  auto answer = std::make_shared<std::promise<MsgAnswer>>();
  std::future<MsgAnswer> future = answer->get_future();
  OnGuiThread([this, spec, answer] { answer->set_value(RunMessageBox(BoxParent(), spec)); });
  answer.reset();
  try {
    return future.get();
  } catch (const std::future_error&) {
    // The windows went before the box could be shown.
    return spec.defaultAnswer;
  }
}

void QtUiPort::SetTitle(const std::string& title) {
  OnGuiThread([this, t = ToQt(title)] {
    if (frame_) frame_->setWindowTitle(t);
  });
}


}  // namespace orvi::ui
