#pragma once

#include <QPointer>

#include <functional>
#include <map>
#include <optional>
#include <vector>

class QAbstractButton;
class QAction;
class QMenu;
class QString;

namespace orvi::ui {

// One window's commands: id -> handler, enabling rule and check rule. Menu
// items, buttons, context menus and posted commands all run through it.
class CommandTable {
 public:
  using Handler = std::function<void()>;
  using Rule = std::function<bool()>;

  // A command without an enabling rule is always enabled; one without a check
  // rule is never checkable. Adding an id again replaces its entry.
  void Add(int id, Handler handler, Rule enabled = {}, Rule checked = {});
  // Replaces only the rules of a command that exists (or adds one without a handler).
  void SetRules(int id, Rule enabled, Rule checked = {});
  bool Has(int id) const { return commands_.count(id) != 0; }

  // Runs the handler; false when the id has none. The rule is not tested
  // again: a disabled menu item or button cannot be chosen, and a posted
  // command runs as the sender meant it.
  bool Execute(int id);
  bool IsEnabled(int id) const;
  // Nothing for a command without a check rule.
  std::optional<bool> IsChecked(int id) const;

  // A menu item for the command; its states follow the rules whenever the
  // menu is about to show (WatchMenu).
  QAction* AddMenuItem(QMenu* menu, int id, const QString& text);
  void Bind(QAction* action, int id);
  // A button sends its command when clicked; its state follows the rules on
  // every UpdateButtons (the window's tick).
  void Bind(QAbstractButton* button, int id);
  void WatchMenu(QMenu* menu);
  void UpdateMenu(QMenu* menu) const;
  void UpdateButtons() const;

 private:
  struct Command {
    Handler handler;
    Rule enabled;
    Rule checked;
  };
  std::map<int, Command> commands_;
  std::vector<std::pair<int, QPointer<QAbstractButton>>> buttons_;
};

// The command id a menu action carries.
std::optional<int> CommandIdOf(const QAction* action);

}  // namespace orvi::ui
