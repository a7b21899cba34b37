#include "platform/cp1252.h"

#include <array>
#include <cstdint>

namespace orvi {
namespace {

// 0x80-0x9F; the undefined bytes keep their own number.
constexpr std::array<char16_t, 32> kHighTable = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The base letters of 0xC0-0xFF, lowered; "" where the byte is no letter.
constexpr std::array<const char*, 64> kFoldedLatin = {
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",   //
    "d", "n", "o", "o", "o", "o", "o",  "",  "o", "u", "u", "u", "u", "y", "th", "ss",  //
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",   //
    "d", "n", "o", "o", "o", "o", "o",  "",  "o", "u", "u", "u", "u", "y", "th", "y",
};

// The folded form of one byte: its base letter, or nothing when it stays.
const char* FoldedLetter(unsigned char b) {
  if (b >= 0xC0) return *kFoldedLatin[b - 0xC0] != '\0' ? kFoldedLatin[b - 0xC0] : nullptr;
  switch (b) {
    case 0x83: return "f";                // ƒ
    case 0x8A: case 0x9A: return "s";     // Š š
    case 0x8C: case 0x9C: return "oe";    // Œ œ
    case 0x8E: case 0x9E: return "z";     // Ž ž
    case 0x9F: return "y";                // Ÿ
    default: return nullptr;
  }
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    // Every code point of the table lies below U+10000.
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Decodes one well-formed sequence at text[i]; its length, or 0 when the
// bytes there are not one.
size_t DecodeUtf8(std::string_view text, size_t i, char32_t& cp) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[i + k]); };
  unsigned char b0 = byte(0);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  // Lead bytes C0, C1 and F5-FF start only overlong or out-of-range forms.
  size_t length = 0;
  char32_t min = 0;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
    cp = b0 & 0x1Fu;
    min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    cp = b0 & 0x0Fu;
    min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    cp = b0 & 0x07u;
    min = 0x10000;
  } else {
    return 0;
  }
  if (text.size() - i < length) return 0;
  for (size_t k = 1; k < length; ++k) {
    if (!IsContinuation(byte(k))) return 0;
    cp = (cp << 6) | (byte(k) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

char32_t Cp1252ToUnicode(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighTable[byte - 0x80];
  return byte;
}

std::optional<char> UnicodeToCp1252(char32_t codePoint) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
    return static_cast<char>(codePoint);
  }
  for (size_t i = 0; i < kHighTable.size(); ++i) {
    if (kHighTable[i] == codePoint) return static_cast<char>(0x80 + i);
  }
  return std::nullopt;
}

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) AppendUtf8(out, Cp1252ToUnicode(static_cast<unsigned char>(c)));
  return out;
}

std::string Utf8ToCp1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    char32_t cp = 0;
    size_t length = DecodeUtf8(text, i, cp);
    if (length == 0) {
      out += text[i++];
      continue;
    }
    out += UnicodeToCp1252(cp).value_or('?');
    i += length;
  }
  return out;
}

bool IsUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    size_t length = DecodeUtf8(text, i, cp);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

std::optional<std::string> Utf8ToCp1252Exactly(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    size_t length = DecodeUtf8(text, i, cp);
    if (length == 0) return std::nullopt;
    std::optional<char> byte = UnicodeToCp1252(cp);
    if (!byte) return std::nullopt;
    out += *byte;
    i += length;
  }
  return out;
}

std::string Cp1252ToPrintableUtf8(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string shown;
  shown.reserve(text.size());
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    const char32_t cp = Cp1252ToUnicode(b);
    if (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F)) {
      shown += "\\x";
      shown += kHex[b >> 4];
      shown += kHex[b & 0xF];
    } else {
      shown += c;
    }
  }
  return Cp1252ToUtf8(shown);
}

std::string FoldForSearch(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 'A' && b <= 'Z') {
      out += static_cast<char>(b - 'A' + 'a');
    } else if (const char* folded = b >= 0x80 ? FoldedLetter(b) : nullptr) {
      out += folded;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace orvi
