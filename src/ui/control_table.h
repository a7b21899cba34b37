#pragma once

// A window's controls as data: one row per control, in keyboard order, and
// for a window laid out by Qt one row per box of its layout. ControlSet's
// Build reads them.
#include <QColor>
#include <QString>
#include <Qt>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <vector>

class QMenu;
class QWidget;

namespace orvi::ui {

class CommandTable;
struct DialogUnits;

enum class Kind : uint8_t {
  Label,     // static text
  Note,      // static text that wraps
  Picture,   // static image (ControlRow::image)
  Edit,      // one-line edit; with `hi`, a number from `lo` to `hi`
  Digits,    // one-line edit that takes digits only
  Field,     // read-only one-line edit
  Lines,     // multi-line edit
  Button,
  Check,
  Radio,
  Group,     // titled frame
  Slider,    // horizontal, from `lo` to `hi`
  Tree,      // one column, no header
  List,
  Choice,    // drop-down list of the window's items
  Progress,  // 0 to 100, no text
  Line,      // etched horizontal line
  Clip,      // the progress animation
  Custom,    // made by the window (ControlTable::make)
};

enum ControlFlag : uint32_t {
  kHidden = 1u << 0,
  kKeepPlace = 1u << 1,  // keeps its room in the layout while hidden
  kDisabled = 1u << 2,
  kReadOnly = 1u << 3,
  kCheckable = 1u << 4,  // a push button that stays down
  kChecked = 1u << 5,
  kDefault = 1u << 6,    // the button Enter presses
  kAutoDefault = 1u << 7,
  kNoAutoDefault = 1u << 8,
  kHand = 1u << 9,        // pointing-hand cursor
  kNoFocus = 1u << 10,    // the keyboard passes it by
  kClickFocus = 1u << 11, // focus by a click only
  kBold = 1u << 12,
  kBuddy = 1u << 13,      // a label naming the next row's control
  kTicks = 1u << 14,      // slider marks below
  kPale = 1u << 15,       // edit ground ControlTable::pale
  kSelectable = 1u << 16, // a label whose text the mouse selects
  kScrollBar = 1u << 17,  // vertical scroll bar always shown
};

enum class Image : uint8_t { None, Program, Information, Marker, Timeout };

// No box: a control placed by dialog units, or the window's own layout.
constexpr int kNoBox = -1;

// Where a control or a box goes in its parent box: for a grid its cell, for
// a row or column its slot (`row`) with a stretch factor.
struct Cell {
  int box = kNoBox;
  int row = 0;
  int col = 0;
  int rowSpan = 1;
  int colSpan = 1;
  Qt::Alignment align{};
  int stretch = 0;
};

// A rectangle in dialog units.
struct Place {
  int x = 0, y = 0, w = 0, h = 0;
};

struct ControlRow {
  int id = 0;  // 0: a row nobody looks up (static texts, frames)
  Kind kind = Kind::Label;
  const char* text = "";  // UTF-8, shown as written
  Place place{};          // windows placed by dialog units
  Cell at{};              // windows laid out in boxes
  uint32_t flags = 0;
  int command = 0;        // the command a button sends
  int group = 0;          // radio buttons of one choice share a number
  int holds = kNoBox;     // the box laid out inside this frame
  int limit = 0;          // most characters an edit takes
  int lo = 0, hi = 0;     // slider range, or the numbers an edit takes
  int step = 0;           // slider page step
  int width = 0;          // fixed width in pixels
  int minWidth = 0, maxWidth = 0, minHeight = 0;
  Qt::Alignment align{};  // of the text inside the control
  Image image = Image::None;
  int arg = -1;           // a text of the window's (ControlTable::args) follows `text`
};

enum class BoxKind : uint8_t { Column, Row, Grid, Stretch, Space };

struct BoxRow {
  int key = kNoBox;  // what Cell::box and ControlRow::holds name
  BoxKind kind = BoxKind::Column;
  Cell at{};         // kNoBox: the window's layout, or its frame's
  int spacing = -1;  // -1: the style's; a grid's across
  int vSpacing = -1; // a grid's down
  int stretchColumn = -1;
  int stretchRow = -1;
  int size = 0;      // Space: pixels
};

struct ControlTable {
  std::span<const ControlRow> controls;
  std::span<const BoxRow> boxes{};
  const DialogUnits* units = nullptr;  // for rows placed by dialog units
  CommandTable* commands = nullptr;    // buttons are bound to their command
  QColor pale;
  std::vector<QString> args{};
  std::function<QWidget*(const ControlRow&)> make{};
};

// One item of a context menu: the command it sends and its text (UTF-8).
struct MenuRow {
  int command;
  const char* text;
};

// A context menu of the window, named "menu<number>", whose items follow the
// command table's rules when it shows.
QMenu* MakeMenu(QWidget* owner, int number, std::span<const MenuRow> items, CommandTable& commands);

}  // namespace orvi::ui
