#pragma once

#include <QFont>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

#include <vector>

namespace orvi::ui {

// Dialog units: a quarter of the font's average character width across, an
// eighth of its height down: the unit the windows' places are given in.
struct DialogUnits {
  int baseX = 6;
  int baseY = 13;
  static DialogUnits Of(const QFont& font);
  int X(int du) const { return du * baseX / 4; }
  int Y(int du) const { return du * baseY / 8; }
  QRect Rect(int x, int y, int w, int h) const;
  QSize Size(int w, int h) const { return {X(w), Y(h)}; }
};

// One row of a proportional layout table: the first id of a group of
// controls (it and the following consecutive ids up to the first id with no
// control), and how much of the width and height change each moves or
// stretches by.
struct LayoutRule {
  int firstId;
  double fx, fy, fw, fh;
};

// x0 + dx*fx, y0 + dy*fy, w0 + dx*fw, h0 + dy*fh, each truncated.
QRect PlaceByRule(const QRect& first, int dx, int dy, const LayoutRule& rule);

// Records the client size and every control's first rectangle once, then
// places the controls of the table's groups by their rule on every resize.
// Controls of no group keep their first place.
class ProportionalLayout {
 public:
  // controlById: the window's registry.
  template <class Find>
  void Record(QSize client, const std::vector<LayoutRule>& table, Find controlById) {
    first_ = client;
    items_.clear();
    for (const LayoutRule& rule : table) {
      for (int id = rule.firstId;; ++id) {
        QWidget* w = controlById(id);
        if (w == nullptr) break;
        items_.push_back({w, w->geometry(), rule});
      }
    }
  }
  bool Recorded() const { return first_.isValid(); }
  QSize FirstSize() const { return first_; }
  // Places the controls for this client size; gives dx.
  int Apply(QSize client) const;

 private:
  struct Item {
    QPointer<QWidget> control;
    QRect first;
    LayoutRule rule;
  };
  QSize first_;
  std::vector<Item> items_;
};

}  // namespace orvi::ui
