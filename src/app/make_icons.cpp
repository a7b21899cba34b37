// orvi-make-icons DIR: draws the program's icon at the hicolor theme sizes
// into DIR/<size>x<size>/apps/orvilane.png (the same drawing as the windows'
// icon and packaging/orvilane.svg).
#include <QDir>
#include <QImage>
#include <QPainter>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: orvi-make-icons DIR\n");
    return 2;
  }
  const QString root = QString::fromLocal8Bit(argv[1]);
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size / 16.0;
    p.setPen(QPen(QColor(40, 40, 90), 0.8 * s));
    p.setBrush(QColor(250, 250, 235));
    p.drawRect(QRectF(1.5 * s, 1 * s, 8 * s, 11 * s));
    if (size >= 32) {
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
    p.end();
    const QString dir = root + QStringLiteral("/%1x%1/apps").arg(size);
    if (!QDir().mkpath(dir) || !image.save(dir + QStringLiteral("/orvilane.png"))) {
      std::fprintf(stderr, "cannot write the %dx%d icon\n", size, size);
      return 1;
    }
  }
  return 0;
}
