#include "platform/ini_file.h"

#include "platform/file_io.h"
#include "platform/text.h"

namespace orvi {
namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

// The section name of a "[name]" line, or false when the line is no header.
bool SectionName(std::string_view line, std::string_view& name) {
  std::string_view t = TrimWhite(line);
  if (t.empty() || t.front() != '[') return false;
  size_t close = t.find(']');
  name = TrimWhite(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
  return true;
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

std::string CutToReadSize(std::string_view value, size_t readSize) {
  if (readSize == 0) return {};
  return std::string(value.substr(0, readSize - 1));
}

}  // namespace

IniFile IniFile::Load(const std::string& path) {
  auto bytes = ReadWholeFile(path);
  return Parse(bytes ? *bytes : std::string_view{}, path);
}

IniFile IniFile::Parse(std::string_view bytes, std::string path) {
  IniFile file;
  file.path_ = std::move(path);
  // Some editors begin a file with a UTF-8 byte-order mark, and a file put
  // together from two such files begins with two; a mark would make the first
  // section header unreadable. All of them go: were one left at the start of
  // the first line, the saved file would begin with it and read otherwise.
  while (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t lf = bytes.find('\n', pos);
    size_t end = lf == std::string_view::npos ? bytes.size() : lf;
    std::string_view line = bytes.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    file.lines_.emplace_back(line);
    pos = lf == std::string_view::npos ? bytes.size() : lf + 1;
  }
  return file;
}

std::vector<std::string> IniFile::Sections() const {
  std::vector<std::string> names;
  for (const std::string& line : lines_) {
    std::string_view name;
    if (!SectionName(line, name)) continue;
    bool seen = false;
    for (const std::string& n : names) seen = seen || EqualsIgnoreCase(n, name);
    if (!seen) names.emplace_back(name);
  }
  return names;
}

bool IniFile::FindSection(std::string_view section, Span& span) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    std::string_view name;
    if (!SectionName(lines_[i], name) || !EqualsIgnoreCase(name, section)) continue;
    size_t end = i + 1;
    std::string_view ignored;
    while (end < lines_.size() && !SectionName(lines_[end], ignored)) ++end;
    span = {i, end};
    return true;
  }
  return false;
}

size_t IniFile::FindKey(const Span& span, std::string_view key) const {
  for (size_t i = span.header + 1; i < span.end; ++i) {
    std::string_view line = lines_[i];
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    if (EqualsIgnoreCase(TrimWhite(line.substr(0, eq)), key)) return i;
  }
  return kNone;
}

std::string IniFile::Get(std::string_view section, std::string_view key,
                         std::string_view fallback, size_t readSize) const {
  Span span{};
  if (FindSection(section, span)) {
    size_t i = FindKey(span, key);
    if (i != kNone) {
      std::string_view line = lines_[i];
      std::string_view value = TrimWhite(line.substr(line.find('=') + 1));
      return CutToReadSize(Unquote(value), readSize);
    }
  }
  return CutToReadSize(fallback, readSize);
}

bool IniFile::Has(std::string_view section, std::string_view key) const {
  Span span{};
  return FindSection(section, span) && FindKey(span, key) != kNone;
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
  std::string line;
  line.reserve(key.size() + 1 + value.size());
  line.append(key).append("=").append(value);
  // A line break inside a value would split it into lines of its own and
  // corrupt the section; such a value is stored on one line.
  for (char& c : line) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  Span span{};
  if (!FindSection(section, span)) {
    if (!lines_.empty() && !TrimWhite(lines_.back()).empty()) lines_.emplace_back();
    // Appended piece by piece: g++ 12 at -O3 warns (-Wrestrict) inside
    // libstdc++ on the same text built with operator+.
    std::string header;
    header.reserve(section.size() + 2);
    header.append("[").append(section).append("]");
    lines_.push_back(std::move(header));
    lines_.push_back(std::move(line));
    return;
  }
  size_t i = FindKey(span, key);
  if (i != kNone) {
    lines_[i] = std::move(line);
    return;
  }
  // After the section's last non-blank line, so blank separators stay between sections.
  size_t at = span.end;
  while (at > span.header + 1 && TrimWhite(lines_[at - 1]).empty()) --at;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

std::string IniFile::Serialize() const {
  std::string out;
  for (const std::string& line : lines_) out.append(line).append("\r\n");
  return out;
}

bool IniFile::Save() const { return WriteWholeFile(path_, Serialize()); }

std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view fallback, size_t readSize) {
  return IniFile::Load(path).Get(section, key, fallback, readSize);
}

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
  IniFile file = IniFile::Load(path);
  file.Set(section, key, value);
  return file.Save();
}

}  // namespace orvi
