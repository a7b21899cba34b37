#include "search/html_tags.h"

#include <cstdint>

#include "platform/text.h"

namespace orvi {
namespace {

constexpr size_t npos = std::string_view::npos;

bool Space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool NameChar(char c) { return !Space(c) && c != '>' && c != '/' && c != '=' && c != '<'; }

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// A numeric reference after "&#": its code point and length, or false.
bool NumericReference(std::string_view text, uint32_t& cp, size_t& length) {
  size_t i = 2;
  const bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
  if (hex) ++i;
  const size_t digits = i;
  cp = 0;
  for (; i < text.size() && i < digits + 8; ++i) {
    const char c = text[i];
    int value = c >= '0' && c <= '9' ? c - '0'
                : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                              : -1;
    if (value < 0) break;
    cp = cp * (hex ? 16 : 10) + static_cast<uint32_t>(value);
  }
  if (i == digits) return false;
  length = i < text.size() && text[i] == ';' ? i + 1 : i;
  return true;
}

}  // namespace

std::string DecodeEntities(std::string_view text) {
  static constexpr std::pair<std::string_view, char> kNamed[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (text[i] != '&') {
      out += text[i++];
      continue;
    }
    std::string_view rest = text.substr(i);
    uint32_t cp = 0;
    size_t length = 0;
    if (rest.starts_with("&#") && NumericReference(rest, cp, length)) {
      AppendUtf8(out, cp);
      i += length;
      continue;
    }
    bool named = false;
    for (const auto& [entity, c] : kNamed) {
      if (rest.starts_with(entity)) {
        out += c;
        i += entity.size();
        named = true;
        break;
      }
    }
    if (!named) out += text[i++];
  }
  return out;
}

std::optional<std::string> HtmlTag::Attribute(std::string_view wanted) const {
  for (const auto& [attribute, value] : attributes) {
    if (attribute == wanted) return value;
  }
  return std::nullopt;
}

bool HtmlTag::Matches(std::string_view selector) const {
  const size_t dot = selector.find('.');
  const std::string_view tag = selector.substr(0, dot);
  if (!tag.empty() && !EqualsIgnoreCase(tag, name)) return false;
  if (dot == npos) return true;
  const std::string_view wanted = selector.substr(dot + 1);
  const std::string classes = Attribute("class").value_or("");
  std::string_view rest = classes;
  while (!rest.empty()) {
    size_t start = 0;
    while (start < rest.size() && Space(rest[start])) ++start;
    size_t stop = start;
    while (stop < rest.size() && !Space(rest[stop])) ++stop;
    if (rest.substr(start, stop - start) == wanted) return true;
    rest = rest.substr(stop);
  }
  return false;
}

std::optional<HtmlTag> NextTag(std::string_view page, size_t pos) {
  while (pos < page.size()) {
    const size_t open = page.find('<', pos);
    if (open == npos || open + 1 >= page.size()) return std::nullopt;
    if (page.substr(open).starts_with("<!--")) {
      const size_t close = page.find("-->", open + 4);
      if (close == npos) return std::nullopt;
      pos = close + 3;
      continue;
    }
    size_t i = open + 1;
    if (!NameChar(page[i]) || page[i] == '!' || page[i] == '?') {
      pos = i;
      continue;
    }
    HtmlTag tag;
    tag.begin = open;
    while (i < page.size() && NameChar(page[i])) ++i;
    tag.name = AsciiLower(page.substr(open + 1, i - open - 1));
    // Attributes up to the ">" that is outside any quoted value.
    for (;;) {
      while (i < page.size() && (Space(page[i]) || page[i] == '/')) ++i;
      if (i >= page.size()) return std::nullopt;
      if (page[i] == '>') break;
      if (page[i] == '<') {  // an unclosed tag: the next one begins here
        --i;
        break;
      }
      const size_t nameStart = i;
      while (i < page.size() && NameChar(page[i])) ++i;
      if (i == nameStart) ++i;  // a stray "=": passed over
      std::string name = AsciiLower(page.substr(nameStart, i - nameStart));
      while (i < page.size() && Space(page[i])) ++i;
      std::string value;
      if (i < page.size() && page[i] == '=') {
        ++i;
        while (i < page.size() && Space(page[i])) ++i;
        if (i < page.size() && (page[i] == '"' || page[i] == '\'')) {
          const size_t close = page.find(page[i], i + 1);
          if (close == npos) return std::nullopt;
          value = DecodeEntities(page.substr(i + 1, close - i - 1));
          i = close + 1;
        } else {
          const size_t start = i;
          while (i < page.size() && !Space(page[i]) && page[i] != '>') ++i;
          value = DecodeEntities(page.substr(start, i - start));
        }
      }
      if (!name.empty()) tag.attributes.emplace_back(std::move(name), std::move(value));
    }
    tag.end = i + 1;
    return tag;
  }
  return std::nullopt;
}

std::optional<HtmlTag> FindChain(std::string_view page, std::string_view chain, size_t pos, size_t limit) {
  std::optional<HtmlTag> found;
  size_t start = 0;
  while (start < chain.size()) {
    while (start < chain.size() && chain[start] == ' ') ++start;
    if (start >= chain.size()) break;
    size_t stop = chain.find(' ', start);
    const std::string_view selector = chain.substr(start, stop == npos ? npos : stop - start);
    start = stop == npos ? chain.size() : stop;
    found.reset();
    for (std::optional<HtmlTag> tag = NextTag(page, pos); tag && tag->begin < limit; tag = NextTag(page, tag->end)) {
      if (tag->Matches(selector)) {
        found = std::move(tag);
        break;
      }
    }
    if (!found) return std::nullopt;
    pos = found->end;
  }
  return found;
}

}  // namespace orvi
