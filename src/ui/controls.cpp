#include "ui/controls.h"

#include "ui/qt_ui_port.h"

namespace orvi::ui {

QWidget* ControlSet::ControlById(int id) const {
  if (id == 0) return nullptr;
  for (const auto& [cid, w] : controls_) {
    if (cid == id) return w.data();
  }
  return nullptr;
}

std::vector<int> ControlSet::ControlIds() const {
  std::vector<int> ids;
  for (const auto& [cid, w] : controls_) {
    if (cid != 0) ids.push_back(cid);
  }
  return ids;
}

void ControlSet::Register(int id, QWidget* control) {
  if (id != 0) control->setObjectName(QStringLiteral("id%1").arg(id));
  controls_.emplace_back(id, control);
}

void ControlSet::ApplyTabOrder() {
  QWidget* previous = nullptr;
  for (const auto& [id, w] : controls_) {
    if (!w || !(w->focusPolicy() & Qt::TabFocus)) continue;
    if (previous) QWidget::setTabOrder(previous, w);
    previous = w;
  }
}

}  // namespace orvi::ui
