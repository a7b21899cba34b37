#include "ui/results_layout.h"

#include <QFontMetrics>

#include <algorithm>

namespace orvi::ui {

DialogUnits DialogUnits::Of(const QFont& font) {
  QFontMetrics fm(font);
  const int width = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  DialogUnits du;
  du.baseX = std::max(1, (width / 26 + 1) / 2);
  du.baseY = std::max(1, fm.height());
  return du;
}

QRect DialogUnits::Rect(int x, int y, int w, int h) const { return {X(x), Y(y), X(w), Y(h)}; }

QRect PlaceByRule(const QRect& first, int dx, int dy, const LayoutRule& rule) {
  auto at = [](int v0, int d, double f) { return static_cast<int>(v0 + d * f); };
  return {at(first.x(), dx, rule.fx), at(first.y(), dy, rule.fy), std::max(0, at(first.width(), dx, rule.fw)),
          std::max(0, at(first.height(), dy, rule.fh))};
}

int ProportionalLayout::Apply(QSize client) const {
  if (!Recorded()) return 0;
  const int dx = client.width() - first_.width();
  const int dy = client.height() - first_.height();
  for (const Item& item : items_) {
    if (!item.control) continue;
    QRect place = PlaceByRule(item.first, dx, dy, item.rule);
    if (item.control->geometry() != place) item.control->setGeometry(place);
  }
  return dx;
}

}  // namespace orvi::ui
