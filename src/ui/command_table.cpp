#include "ui/command_table.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>

namespace orvi::ui {
namespace {

constexpr const char* kCommandProperty = "orviCommand";

}  // namespace

void CommandTable::Add(int id, Handler handler, Rule enabled, Rule checked) {
  commands_[id] = Command{std::move(handler), std::move(enabled), std::move(checked)};
}

void CommandTable::SetRules(int id, Rule enabled, Rule checked) {
  Command& c = commands_[id];
  c.enabled = std::move(enabled);
  c.checked = std::move(checked);
}

bool CommandTable::Execute(int id) {
  auto it = commands_.find(id);
  if (it == commands_.end() || !it->second.handler) return false;
  // A copy: the handler may replace its own entry.
  Handler handler = it->second.handler;
  handler();
  return true;
}

bool CommandTable::IsEnabled(int id) const {
  auto it = commands_.find(id);
  if (it == commands_.end()) return false;
  return !it->second.enabled || it->second.enabled();
}

std::optional<bool> CommandTable::IsChecked(int id) const {
  auto it = commands_.find(id);
  if (it == commands_.end() || !it->second.checked) return std::nullopt;
  return it->second.checked();
}

std::optional<int> CommandIdOf(const QAction* action) {
  QVariant v = action ? action->property(kCommandProperty) : QVariant();
  if (!v.isValid()) return std::nullopt;
  return v.toInt();
}

QAction* CommandTable::AddMenuItem(QMenu* menu, int id, const QString& text) {
  QAction* action = menu->addAction(text);
  Bind(action, id);
  return action;
}

void CommandTable::Bind(QAction* action, int id) {
  action->setProperty(kCommandProperty, id);
  action->setObjectName(QStringLiteral("cmd%1").arg(id));
  if (IsChecked(id).has_value()) action->setCheckable(true);
  QObject::connect(action, &QAction::triggered, action, [this, id] { Execute(id); });
}

void CommandTable::Bind(QAbstractButton* button, int id) {
  buttons_.emplace_back(id, button);
  QObject::connect(button, &QAbstractButton::clicked, button, [this, id] { Execute(id); });
}

void CommandTable::WatchMenu(QMenu* menu) {
  QObject::connect(menu, &QMenu::aboutToShow, menu, [this, menu] { UpdateMenu(menu); });
}

void CommandTable::UpdateMenu(QMenu* menu) const {
  for (QAction* action : menu->actions()) {
    std::optional<int> id = CommandIdOf(action);
    if (!id) continue;
    action->setEnabled(IsEnabled(*id));
    if (std::optional<bool> checked = IsChecked(*id)) {
      action->setCheckable(true);
      action->setChecked(*checked);
    }
  }
}

void CommandTable::UpdateButtons() const {
  for (const auto& [id, button] : buttons_) {
    if (!button) continue;
    bool enabled = IsEnabled(id);
    if (button->isEnabled() != enabled) button->setEnabled(enabled);
    if (std::optional<bool> checked = IsChecked(id); checked && button->isCheckable() && button->isChecked() != *checked) {
      button->setChecked(*checked);
    }
  }
}

}  // namespace orvi::ui
