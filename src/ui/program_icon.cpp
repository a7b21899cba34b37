#include "ui/program_icon.h"

#include <QPainter>

namespace orvi::ui {

QImage DrawProgramIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  // A magnifying glass over a file: finding files. Drawn on a 16-unit grid,
  // as packaging/orvilane.svg is.
  const double s = size / 16.0;
  p.setPen(QPen(QColor(40, 40, 90), 0.8 * s));
  p.setBrush(QColor(250, 250, 235));
  p.drawRect(QRectF(1.5 * s, 1 * s, 8 * s, 11 * s));
  if (size >= 32) {
    // The file's lines of text, too thin to show below 32 pixels.
    p.setPen(QPen(QColor(154, 154, 180), 0.6 * s));
    p.drawLine(QPointF(3 * s, 3.5 * s), QPointF(8 * s, 3.5 * s));
    p.drawLine(QPointF(3 * s, 5.5 * s), QPointF(7 * s, 5.5 * s));
    p.drawLine(QPointF(3 * s, 7.5 * s), QPointF(6 * s, 7.5 * s));
  }
  p.setPen(QPen(QColor(30, 90, 170), 1.6 * s));
  p.setBrush(QColor(120, 200, 250, 160));
  p.drawEllipse(QPointF(9 * s, 8 * s), 3.6 * s, 3.6 * s);
  p.setPen(QPen(QColor(30, 60, 120), 2.4 * s, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(11.6 * s, 10.6 * s), QPointF(14.6 * s, 13.8 * s));
  return image;
}

}  // namespace orvi::ui
