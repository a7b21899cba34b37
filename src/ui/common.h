#pragma once

// What every window shares: text at the Qt boundary, the setting colours,
// the window ground and the program's icon.
#include <QColor>
#include <QIcon>
#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

class QDialog;
class QWidget;

namespace orvi::ui {

// Core text is Windows-1252; Qt's Latin-1 conversion would get 0x80-0x9F
// wrong (the euro sign, the curly quotes, the oe ligature...).
QString ToQt(std::string_view cp1252);
// A character Windows-1252 cannot hold becomes "?".
std::string FromQt(const QString& text);
// The windows' own texts, written in the sources as UTF-8.
inline QString Utf8(const char* text) { return QString::fromUtf8(text); }

// A colour setting is 0x00BBGGRR.
QColor SettingColor(int32_t value);
int32_t ColorSetting(QColor color);
// Fills the widget's ground with a colour setting.
void PaintBackground(QWidget* widget, int32_t setting);

// The program's own icon, drawn rather than shipped.
QIcon ProgramIcon();

// Runs a dialog modal to the window it belongs to (its parent) and to that
// window only: the free-standing windows (news, statistics, options, about)
// stay usable meanwhile. Returns the dialog's result.
int ExecOverParent(QDialog& dialog);

}  // namespace orvi::ui
