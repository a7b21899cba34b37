#include "ui/control_table.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>
#include <map>
#include <tuple>

#include "ui/animation.h"
#include "ui/command_table.h"
#include "ui/common.h"
#include "ui/controls.h"
#include "ui/results_images.h"
#include "ui/results_layout.h"

namespace orvi::ui {
namespace {

constexpr QColor kPressedButton(150, 170, 196);

QString TextOf(const ControlRow& row, const ControlTable& table) {
  QString text = Utf8(row.text);
  const auto arg = static_cast<size_t>(row.arg);
  if (row.arg >= 0 && arg < table.args.size()) text += table.args[arg];
  return text;
}

QPixmap PictureOf(Image image, const QWidget* window) {
  switch (image) {
    case Image::Program: return ProgramIcon().pixmap(48, 48);
    case Image::Information: return window->style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32);
    case Image::Marker: return window->style()->standardIcon(QStyle::SP_ArrowRight).pixmap(12, 12);
    case Image::Timeout: return TimeoutPixmap();
    case Image::None: break;
  }
  return {};
}

QWidget* MakeLabel(const ControlRow& row, const QString& text, const QWidget* window) {
  auto* label = new QLabel(text);
  if (row.kind == Kind::Note) label->setWordWrap(true);
  if (row.image != Image::None) label->setPixmap(PictureOf(row.image, window));
  if (row.align) label->setAlignment(row.align);
  if (row.flags & kSelectable) label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

QWidget* MakeEdit(const ControlRow& row, const ControlTable& table) {
  auto* edit = new QLineEdit;
  if (row.kind == Kind::Field) edit->setReadOnly(true);
  if (row.kind == Kind::Digits) {
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
  }
  if (row.hi > 0) edit->setValidator(new QIntValidator(row.lo, row.hi, edit));
  if (row.limit > 0) edit->setMaxLength(row.limit);
  if (row.align) edit->setAlignment(row.align);
  if (row.flags & kPale) {
    QPalette pal = edit->palette();
    pal.setColor(QPalette::Base, table.pale);
    edit->setPalette(pal);
  }
  return edit;
}

QWidget* MakeButton(const ControlRow& row, const QString& text) {
  auto* button = new QPushButton(text);
  if (row.flags & kDefault) button->setDefault(true);
  if (row.flags & kAutoDefault) button->setAutoDefault(true);
  if (row.flags & kNoAutoDefault) button->setAutoDefault(false);
  if (row.flags & kHand) button->setCursor(Qt::PointingHandCursor);
  if (row.flags & kCheckable) {
    button->setCheckable(true);
    // The style shows a checked button in a grey hardly darker than a raised
    // one: a darker ground makes it read as pressed in at a glance. (A style
    // sheet would also drop the window's font.)
    QObject::connect(button, &QPushButton::toggled, button, [button](bool on) {
      QPalette pressed;
      if (on) {
        pressed.setColor(QPalette::Button, kPressedButton);
        pressed.setColor(QPalette::ButtonText, Qt::black);
      }
      button->setPalette(pressed);
    });
  }
  if (row.flags & kChecked) button->setChecked(true);
  return button;
}

QWidget* MakeLines(const ControlRow& row) {
  auto* lines = new QPlainTextEdit;
  if (row.flags & kReadOnly) lines->setReadOnly(true);
  if (row.flags & kScrollBar) lines->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  return lines;
}

QWidget* MakeSlider(const ControlRow& row) {
  auto* slider = new QSlider(Qt::Horizontal);
  slider->setRange(row.lo, row.hi);
  if (row.step > 0) slider->setPageStep(row.step);
  if (row.flags & kTicks) slider->setTickPosition(QSlider::TicksBelow);
  return slider;
}

QWidget* MakeTree() {
  auto* tree = new QTreeWidget;
  tree->setHeaderHidden(true);
  tree->setColumnCount(1);
  return tree;
}

QWidget* MakeProgress() {
  auto* bar = new QProgressBar;
  bar->setRange(0, 100);
  bar->setValue(0);
  bar->setTextVisible(false);
  return bar;
}

QWidget* MakeLine() {
  auto* line = new QFrame;
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  return line;
}

QWidget* MakeOther(const ControlRow& row, const QString& text, const ControlTable& table) {
  switch (row.kind) {
    case Kind::Lines: return MakeLines(row);
    case Kind::Check: return new QCheckBox(text);
    case Kind::Radio: return new QRadioButton(text);
    case Kind::Group: return new QGroupBox(text);
    case Kind::Slider: return MakeSlider(row);
    case Kind::Tree: return MakeTree();
    case Kind::List: return new QListWidget;
    case Kind::Choice: return new QComboBox;
    case Kind::Progress: return MakeProgress();
    case Kind::Line: return MakeLine();
    case Kind::Clip: return new AnimationClip;
    default: return table.make ? table.make(row) : new QWidget;
  }
}

QWidget* Make(const ControlRow& row, const ControlTable& table, const QWidget* window) {
  const QString text = TextOf(row, table);
  QWidget* w = nullptr;
  switch (row.kind) {
    case Kind::Label:
    case Kind::Note:
    case Kind::Picture: w = MakeLabel(row, text, window); break;
    case Kind::Edit:
    case Kind::Digits:
    case Kind::Field: w = MakeEdit(row, table); break;
    case Kind::Button: w = MakeButton(row, text); break;
    default: w = MakeOther(row, text, table); break;
  }
  if (row.width > 0) w->setFixedWidth(row.width);
  if (row.minWidth > 0) w->setMinimumWidth(row.minWidth);
  if (row.maxWidth > 0) w->setMaximumWidth(row.maxWidth);
  if (row.minHeight > 0) w->setMinimumHeight(row.minHeight);
  if (row.flags & kNoFocus) w->setFocusPolicy(Qt::NoFocus);
  if (row.flags & kClickFocus) w->setFocusPolicy(Qt::ClickFocus);
  if (row.flags & kBold) {
    QFont bold = w->font();
    bold.setBold(true);
    w->setFont(bold);
  }
  if (row.flags & kKeepPlace) {
    QSizePolicy keep = w->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    w->setSizePolicy(keep);
  }
  if (row.flags & kHidden) w->hide();
  if (row.flags & kDisabled) w->setEnabled(false);
  return w;
}

// One thing a box holds, in the order of its slots.
struct Item {
  const Cell* at;
  QWidget* widget = nullptr;
  QLayout* layout = nullptr;
  const BoxRow* filler = nullptr;
};

QLayout* MakeLayout(const BoxRow& box) {
  if (box.kind == BoxKind::Grid) {
    auto* grid = new QGridLayout;
    if (box.spacing >= 0) grid->setHorizontalSpacing(box.spacing);
    if (box.vSpacing >= 0) grid->setVerticalSpacing(box.vSpacing);
    if (box.stretchColumn >= 0) grid->setColumnStretch(box.stretchColumn, 1);
    if (box.stretchRow >= 0) grid->setRowStretch(box.stretchRow, 1);
    return grid;
  }
  auto* line = box.kind == BoxKind::Row ? static_cast<QBoxLayout*>(new QHBoxLayout) : new QVBoxLayout;
  if (box.spacing >= 0) line->setSpacing(box.spacing);
  return line;
}

void Put(QLayout* parent, const Item& item) {
  const Cell& at = *item.at;
  if (auto* grid = qobject_cast<QGridLayout*>(parent)) {
    if (item.widget) grid->addWidget(item.widget, at.row, at.col, at.rowSpan, at.colSpan, at.align);
    if (item.layout) grid->addLayout(item.layout, at.row, at.col, at.rowSpan, at.colSpan, at.align);
    return;
  }
  auto* line = static_cast<QBoxLayout*>(parent);
  if (item.widget) line->addWidget(item.widget, at.stretch, at.align);
  if (item.layout) line->addLayout(item.layout, at.stretch);
  if (item.filler && item.filler->kind == BoxKind::Stretch) line->addStretch(at.stretch);
  if (item.filler && item.filler->kind == BoxKind::Space) line->addSpacing(item.filler->size);
}

// Makes the boxes, sets each in its frame or its parent box, and fills them.
void LayOut(QWidget* window, const ControlTable& table, const std::vector<QWidget*>& made) {
  // On the window first, in table order: that is the keyboard order, which
  // moving into frames and boxes of the same window keeps.
  for (size_t i = 0; i < made.size(); ++i) {
    if (table.controls[i].at.box != kNoBox) made[i]->setParent(window);
  }
  std::map<int, QLayout*> layouts;
  std::vector<Item> items;
  for (const BoxRow& box : table.boxes) {
    if (box.kind == BoxKind::Stretch || box.kind == BoxKind::Space) {
      items.push_back({&box.at, nullptr, nullptr, &box});
      continue;
    }
    QLayout* layout = layouts[box.key] = MakeLayout(box);
    if (box.at.box != kNoBox) items.push_back({&box.at, nullptr, layout});
  }
  for (size_t i = 0; i < made.size(); ++i) {
    const ControlRow& row = table.controls[i];
    if (row.holds != kNoBox) made[i]->setLayout(layouts.at(row.holds));
    if (row.at.box != kNoBox) items.push_back({&row.at, made[i]});
  }
  for (const BoxRow& box : table.boxes) {
    QLayout* layout = layouts.count(box.key) ? layouts[box.key] : nullptr;
    if (layout && box.at.box == kNoBox && layout->parent() == nullptr) window->setLayout(layout);
  }
  std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
    return std::tie(a.at->box, a.at->row, a.at->col) < std::tie(b.at->box, b.at->row, b.at->col);
  });
  for (const Item& item : items) Put(layouts.at(item.at->box), item);
}

}  // namespace

void ControlSet::Build(QWidget* window, const ControlTable& table) {
  std::vector<QWidget*> made;
  made.reserve(table.controls.size());
  for (const ControlRow& row : table.controls) {
    made.push_back(Make(row, table, window));
    Register(row.id, made.back());
  }
  std::map<int, QButtonGroup*> groups;
  for (size_t i = 0; i < made.size(); ++i) {
    const ControlRow& row = table.controls[i];
    QWidget* w = made[i];
    if ((row.flags & kBuddy) && i + 1 < made.size()) static_cast<QLabel*>(w)->setBuddy(made[i + 1]);
    if (row.group != 0) {
      QButtonGroup*& group = groups[row.group];
      if (group == nullptr) group = new QButtonGroup(window);
      group->addButton(static_cast<QAbstractButton*>(w));
    }
    if (row.command != 0 && table.commands) table.commands->Bind(static_cast<QAbstractButton*>(w), row.command);
    if (table.units && row.place.w > 0) {
      w->setParent(window);
      w->setGeometry(table.units->Rect(row.place.x, row.place.y, row.place.w, row.place.h));
    }
  }
  if (!table.boxes.empty()) LayOut(window, table, made);
  ApplyTabOrder();
}

QMenu* MakeMenu(QWidget* owner, int number, std::span<const MenuRow> items, CommandTable& commands) {
  auto* menu = new QMenu(owner);
  menu->setObjectName(QStringLiteral("menu%1").arg(number));
  for (const MenuRow& item : items) commands.AddMenuItem(menu, item.command, Utf8(item.text));
  commands.WatchMenu(menu);
  return menu;
}

}  // namespace orvi::ui
