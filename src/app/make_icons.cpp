// orvi-make-icons DIR: draws the program's icon at the hicolor theme sizes
// into DIR/<size>x<size>/apps/orvilane.png (the windows' icon, drawn by the
// same code).
#include <QDir>

#include <cstdio>

#include "ui/program_icon.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: orvi-make-icons DIR\n");
    return 2;
  }
  const QString root = QString::fromLocal8Bit(argv[1]);
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QString dir = root + QStringLiteral("/%1x%1/apps").arg(size);
    if (!QDir().mkpath(dir) || !orvi::ui::DrawProgramIcon(size).save(dir + QStringLiteral("/orvilane.png"))) {
      std::fprintf(stderr, "cannot write the %dx%d icon\n", size, size);
      return 1;
    }
  }
  return 0;
}
