#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvi {

// Windows-1252, the program's text encoding, against Unicode. It differs from
// Latin-1 only in 0x80-0x9F. The five bytes Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 controls of the same number,
// as Windows maps them, so every byte survives a round trip.
char32_t Cp1252ToUnicode(unsigned char byte);
// The byte of a code point, or nothing when Windows-1252 has none.
std::optional<char> UnicodeToCp1252(char32_t codePoint);

std::string Cp1252ToUtf8(std::string_view text);
// A character without a Windows-1252 byte becomes "?". A byte that does not
// belong to a well-formed UTF-8 sequence (stray, truncated, overlong,
// surrogate, beyond U+10FFFF) is kept as a Windows-1252 byte, so text that was
// never UTF-8 passes unchanged.
std::string Utf8ToCp1252(std::string_view text);

// Windows-1252 text as UTF-8 that cannot drive a terminal or break a line:
// every control byte (C0, DEL and the five bytes Windows-1252 leaves to the
// C1 controls) is written \xHH.
std::string Cp1252ToPrintableUtf8(std::string_view text);

// The text as a search that ignores letter case and accents reads it: every
// letter lowered and folded to its base letter ("\xC9" and "\xE9" give "e",
// "\x8C" gives "oe", "\xDF" gives "ss"); other bytes stay.
std::string FoldForSearch(std::string_view text);

// Whether the whole text is well-formed UTF-8 (plain ASCII is).
bool IsUtf8(std::string_view text);
// The Windows-1252 text of well-formed UTF-8 whose every character has a
// Windows-1252 byte; nothing for any other text.
std::optional<std::string> Utf8ToCp1252Exactly(std::string_view text);

}  // namespace orvi
