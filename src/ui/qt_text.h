#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace orvi::ui {

// Core text is Windows-1252; Qt's Latin-1 conversion would get 0x80-0x9F
// wrong (the euro sign, the curly quotes, the oe ligature...).
QString ToQt(std::string_view cp1252);
// A character Windows-1252 cannot hold becomes "?".
std::string FromQt(const QString& text);

}  // namespace orvi::ui
