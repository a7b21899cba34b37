#include "ui/results_images.h"

#include <QPainter>
#include <QPainterPath>

namespace orvi::ui {
namespace {

constexpr int kSide = 16;

constexpr QColor kGreen(30, 150, 50);
constexpr QColor kRed(200, 30, 30);
constexpr QColor kGrey(140, 140, 140);
constexpr QColor kOrange(230, 140, 20);
constexpr QColor kBlue(40, 100, 200);

QPixmap Blank() {
  QPixmap p(kSide, kSide);
  p.fill(Qt::transparent);
  return p;
}

// A sheet of paper with a folded corner at (x, y).
void Sheet(QPainter& p, double x, double y) {
  QPainterPath path;
  path.moveTo(x, y);
  path.lineTo(x + 6.5, y);
  path.lineTo(x + 9.5, y + 3);
  path.lineTo(x + 9.5, y + 12);
  path.lineTo(x, y + 12);
  path.closeSubpath();
  p.setPen(QPen(QColor(70, 70, 90), 1));
  p.setBrush(QColor(252, 252, 245));
  p.drawPath(path);
  p.drawLine(QPointF(x + 6.5, y), QPointF(x + 6.5, y + 3));
  p.drawLine(QPointF(x + 6.5, y + 3), QPointF(x + 9.5, y + 3));
}

// One sheet, or three stacked for a set of volumes.
void Document(QPainter& p, bool set) {
  if (set) {
    Sheet(p, 5.5, 0.5);
    Sheet(p, 3.5, 1.5);
    Sheet(p, 1.5, 2.5);
  } else {
    Sheet(p, 2.5, 1.5);
  }
}

// The state badge in the lower right corner.
enum class Badge { Check, Cross, Dot, Clock, Arrow };

void DrawBadge(QPainter& p, Badge badge, const QColor& colour, QRectF r = QRectF(8, 8, 7.5, 7.5)) {
  p.setRenderHint(QPainter::Antialiasing);
  switch (badge) {
    case Badge::Check:
      p.setPen(QPen(colour, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.drawPolyline(QPolygonF({r.topLeft() + QPointF(0.5, 4), r.topLeft() + QPointF(3, 6.5),
                                r.topLeft() + QPointF(7.5, 0.5)}));
      break;
    case Badge::Cross:
      p.setPen(QPen(colour, 2.2, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(r.topLeft() + QPointF(1, 1), r.bottomRight() - QPointF(1, 1));
      p.drawLine(r.topRight() + QPointF(-1, 1), r.bottomLeft() + QPointF(1, -1));
      break;
    case Badge::Dot:
      p.setPen(QPen(colour.darker(140), 1));
      p.setBrush(colour);
      p.drawEllipse(r.adjusted(0.5, 0.5, -0.5, -0.5));
      break;
    case Badge::Clock:
      p.setPen(QPen(colour.darker(150), 1));
      p.setBrush(QColor(255, 240, 200));
      p.drawEllipse(r);
      p.setPen(QPen(colour.darker(150), 1.2));
      p.drawLine(r.center(), r.center() + QPointF(0, -2.8));
      p.drawLine(r.center(), r.center() + QPointF(2.2, 0));
      break;
    case Badge::Arrow:
      p.setPen(Qt::NoPen);
      p.setBrush(colour);
      p.drawPolygon(QPolygonF({r.topLeft() + QPointF(0, 1), r.topLeft() + QPointF(7, 3.75),
                               r.topLeft() + QPointF(0, 6.5)}));
      break;
  }
}

QPixmap Folder() {
  QPixmap pixmap = Blank();
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(150, 110, 20), 1));
  p.setBrush(QColor(250, 210, 90));
  QPainterPath path;
  path.moveTo(1.5, 3.5);
  path.lineTo(6, 3.5);
  path.lineTo(7.5, 5);
  path.lineTo(14.5, 5);
  path.lineTo(14.5, 13.5);
  path.lineTo(1.5, 13.5);
  path.closeSubpath();
  p.drawPath(path);
  p.setBrush(QColor(255, 230, 130));
  p.drawRect(QRectF(1.5, 6.5, 13, 7));
  return pixmap;
}

QPixmap DocumentWith(bool set, Badge badge, const QColor& colour) {
  QPixmap pixmap = Blank();
  QPainter p(&pixmap);
  Document(p, set);
  DrawBadge(p, badge, colour);
  return pixmap;
}

QPixmap TreeBadge(Badge badge, const QColor& colour) {
  QPixmap pixmap = Blank();
  QPainter p(&pixmap);
  DrawBadge(p, badge, colour, QRectF(2.5, 2.5, 11, 11));
  return pixmap;
}

}  // namespace

QIcon ListStatusIcon(int status) {
  switch (status) {
    case 0: return QIcon(Folder());
    case 1: return QIcon(DocumentWith(true, Badge::Dot, kGrey));
    case 2: return QIcon(DocumentWith(false, Badge::Dot, kGrey));
    case 3: return QIcon(DocumentWith(false, Badge::Check, kGreen));
    case 4: return QIcon(DocumentWith(false, Badge::Cross, kRed));
    case 5: return QIcon(DocumentWith(true, Badge::Cross, kRed));
    case 6: return QIcon(DocumentWith(true, Badge::Check, kGreen));
  }
  return QIcon();
}

QIcon TreeStateIcon(int image) {
  switch (image) {
    case 0: return QIcon(TreeBadge(Badge::Check, kGreen));
    case 1: return QIcon(TreeBadge(Badge::Dot, kGrey));
    case 2: return QIcon(TreeBadge(Badge::Cross, kRed));
    case 3: return QIcon(TreeBadge(Badge::Clock, kOrange));
    case 4: return QIcon(TreeBadge(Badge::Arrow, kBlue));
  }
  return QIcon();
}

QPixmap TimeoutPixmap() {
  QPixmap pixmap = Blank();
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  // An hourglass.
  p.setPen(QPen(QColor(90, 60, 20), 1.2));
  p.drawLine(QPointF(3.5, 1.5), QPointF(12.5, 1.5));
  p.drawLine(QPointF(3.5, 14.5), QPointF(12.5, 14.5));
  p.setBrush(QColor(240, 220, 160));
  p.drawPolygon(QPolygonF({QPointF(4.5, 2), QPointF(11.5, 2), QPointF(8, 8), QPointF(11.5, 14), QPointF(4.5, 14),
                           QPointF(8, 8)}));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(200, 150, 40));
  p.drawPolygon(QPolygonF({QPointF(5.5, 13.5), QPointF(10.5, 13.5), QPointF(8, 10)}));
  return pixmap;
}

}  // namespace orvi::ui
