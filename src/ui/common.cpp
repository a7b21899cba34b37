#include "ui/common.h"

#include <QDialog>
#include <QPalette>
#include <QPixmap>
#include <QWidget>

#include "platform/cp1252.h"
#include "ui/program_icon.h"

namespace orvi::ui {

QString ToQt(std::string_view cp1252) {
  QString out;
  out.reserve(static_cast<qsizetype>(cp1252.size()));
  // Every Windows-1252 character lies in the basic plane: one UTF-16 unit each.
  for (char c : cp1252) out.append(QChar(static_cast<char16_t>(Cp1252ToUnicode(static_cast<unsigned char>(c)))));
  return out;
}

std::string FromQt(const QString& text) {
  std::string out;
  out.reserve(static_cast<size_t>(text.size()));
  for (qsizetype i = 0; i < text.size(); ++i) {
    QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;  // one "?" per character
    if (c.isSurrogate()) {
      out.push_back('?');
      continue;
    }
    std::optional<char> byte = UnicodeToCp1252(c.unicode());
    out.push_back(byte ? *byte : '?');
  }
  return out;
}

QColor SettingColor(int32_t value) { return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF); }

int32_t ColorSetting(QColor color) {
  return static_cast<int32_t>(color.red() | (color.green() << 8) | (color.blue() << 16));
}

void PaintBackground(QWidget* widget, int32_t setting) {
  widget->setAutoFillBackground(true);
  QPalette pal = widget->palette();
  pal.setColor(QPalette::Window, SettingColor(setting));
  widget->setPalette(pal);
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 32, 48}) icon.addPixmap(QPixmap::fromImage(DrawProgramIcon(size)));
  return icon;
}

int ExecOverParent(QDialog& dialog) {
  // Application-modal, a window at start (the preparation window, the page
  // analysis) would leave the news box dead until it closes.
  if (dialog.parentWidget() != nullptr) dialog.setWindowModality(Qt::WindowModal);
  return dialog.exec();
}

}  // namespace orvi::ui
