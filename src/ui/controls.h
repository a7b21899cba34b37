#pragma once

#include <QPointer>
#include <QWidget>

#include <utility>
#include <vector>

namespace orvi::ui {

struct ControlTable;

// The controls of one window, made from its control table (Build) in the
// table's order: each id is a named constant of the window, ControlById finds
// the control, and its objectName is "id<number>" for tests and
// accessibility tools. The keyboard order follows the table.
class ControlSet {
 public:
  ControlSet() = default;
  ControlSet(const ControlSet&) = delete;
  ControlSet& operator=(const ControlSet&) = delete;
  virtual ~ControlSet() = default;

  // The window that owns the controls (for message boxes and the like).
  virtual QWidget* Window() = 0;

  QWidget* ControlById(int id) const;
  template <class W>
  W* Control(int id) const { return qobject_cast<W*>(ControlById(id)); }
  // Every registered id, in the order of the control table.
  std::vector<int> ControlIds() const;

 protected:
  // Makes, registers, places and binds the controls of a table (control_table.h)
  // on the window, then chains them for the keyboard.
  void Build(QWidget* window, const ControlTable& table);

 private:
  void Register(int id, QWidget* control);
  // Chains the focusable controls in table order.
  void ApplyTabOrder();

  std::vector<std::pair<int, QPointer<QWidget>>> controls_;
};

}  // namespace orvi::ui
