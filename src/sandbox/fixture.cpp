#include "sandbox/fixture.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <set>
#include <tuple>

#include "core/url_text.h"
#include "platform/cp1252.h"
#include "platform/file_io.h"
#include "platform/text.h"

namespace orvi::sandbox {
namespace {

// "'name' tail", built by appending: g++ 12 at -O3 warns on the operator+
// chain it replaces.
std::string Quoted(std::string_view name, const char* tail) {
  std::string text = "'";
  text.append(name).append("'").append(tail);
  return text;
}

// The first word of a line and the rest, without the white space between.
std::pair<std::string_view, std::string_view> SplitWord(std::string_view text) {
  text = TrimWhite(text);
  size_t end = 0;
  while (end < text.size() && !IsWhite(text[end])) ++end;
  return {text.substr(0, end), TrimWhite(text.substr(end))};
}

// Digits, optionally grouped with commas ("1,234"), up to max.
bool ParseCount(std::string_view text, uint64_t max, uint64_t& value) {
  value = 0;
  bool digit = false;
  for (char c : text) {
    if (c == ',') continue;
    if (!IsDigit(c)) return false;
    digit = true;
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > max) return false;
  }
  return digit;
}

bool ParseFixedNumber(std::string_view text, size_t digits, int& value) {
  if (text.size() != digits) return false;
  value = 0;
  for (char c : text) {
    if (!IsDigit(c)) return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

// "YYYY-MM-DD" and an optional "HH:MM" or "HH:MM:SS", UTC.
bool ParseDate(std::string_view date, std::string_view time, int64_t& seconds) {
  std::tm tm{};
  int year, month, day, hour = 0, minute = 0, second = 0;
  if (date.size() != 10 || date[4] != '-' || date[7] != '-' ||
      !ParseFixedNumber(date.substr(0, 4), 4, year) || !ParseFixedNumber(date.substr(5, 2), 2, month) ||
      !ParseFixedNumber(date.substr(8, 2), 2, day)) {
    return false;
  }
  if (!time.empty()) {
    if ((time.size() != 5 && time.size() != 8) || time[2] != ':' ||
        !ParseFixedNumber(time.substr(0, 2), 2, hour) || !ParseFixedNumber(time.substr(3, 2), 2, minute)) {
      return false;
    }
    if (time.size() == 8 && (time[5] != ':' || !ParseFixedNumber(time.substr(6, 2), 2, second))) {
      return false;
    }
  }
  if (year < 1970 || month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59) {
    return false;
  }
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  time_t t = ::timegm(&tm);
  // timegm rolls 31 April over into May: a date that moved did not exist.
  if (tm.tm_mday != day || tm.tm_mon != month - 1) return false;
  seconds = static_cast<int64_t>(t);
  return true;
}

// The one "{A..B}" of a line: its place, length, bounds and the width of A
// (a leading zero pads every number to it). False when there is none.
struct Range {
  size_t at = 0, length = 0;
  uint64_t first = 0, last = 0;
  size_t width = 0;
};

bool FindRange(std::string_view line, Range& range, bool& malformed) {
  malformed = false;
  for (size_t open = line.find('{'); open != std::string_view::npos; open = line.find('{', open + 1)) {
    size_t close = line.find('}', open);
    if (close == std::string_view::npos) return false;
    std::string_view inside = line.substr(open + 1, close - open - 1);
    size_t dots = inside.find("..");
    if (dots == std::string_view::npos || inside.empty() || !IsDigit(inside[0])) continue;
    std::string_view a = inside.substr(0, dots), b = inside.substr(dots + 2);
    uint64_t first, last;
    if (a.size() > 9 || b.size() > 9 || !ParseCount(a, kMaxTotal, first) ||
        !ParseCount(b, kMaxTotal, last) || a.find(',') != std::string_view::npos ||
        b.find(',') != std::string_view::npos || first > last || last - first >= kMaxRangeLines) {
      malformed = true;
      return false;
    }
    range = {open, close - open + 1, first, last, a.size() > 1 && a[0] == '0' ? a.size() : 0};
    return true;
  }
  return false;
}

std::string Padded(uint64_t n, size_t width) {
  std::string digits = std::to_string(n);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return digits;
}

bool IsUrlStart(std::string_view word) {
  return StartsWithIgnoreCase(word, "http://") || StartsWithIgnoreCase(word, "https://") ||
         StartsWithIgnoreCase(word, "ftp://") || word.starts_with("{base}");
}

bool ParseEngineName(std::string_view name, Engine& engine) {
  if (EqualsIgnoreCase(name, "google")) engine = Engine::Google;
  else if (EqualsIgnoreCase(name, "fast")) engine = Engine::Fast;
  else if (EqualsIgnoreCase(name, "wisenut")) engine = Engine::WiseNut;
  else return false;
  return true;
}

}  // namespace

const char* EngineName(Engine engine) {
  switch (engine) {
    case Engine::Google: return "google";
    case Engine::Fast: return "fast";
    case Engine::WiseNut: return "wisenut";
  }
  return "?";
}

std::string FormDecode(std::string_view value) {
  std::string text(value);
  std::replace(text.begin(), text.end(), '+', ' ');
  UrlDecode(text);
  return text;
}

std::string NormalizeQuery(std::string_view decoded) {
  std::string text = AsciiLower(decoded);
  std::string out;
  for (char c : text) {
    if (IsWhite(c)) {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c;
    }
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

bool IsSafePath(std::string_view path) {
  if (path.empty() || path[0] != '/' || path.find('\0') != std::string_view::npos) return false;
  size_t start = 1;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    std::string_view segment = path.substr(start, end - start);
    if (segment == "." || segment == "..") return false;
    if (segment.empty() && end != path.size()) return false;
    start = end + 1;
  }
  return true;
}

bool RemoveDotSegments(std::string& path) {
  if (path.empty() || path[0] != '/') return false;
  std::vector<std::string_view> kept;
  bool folder = false;  // the result ends in "/"
  std::string_view rest = std::string_view(path).substr(1);
  for (;;) {
    size_t slash = rest.find('/');
    std::string_view segment = rest.substr(0, slash);
    bool last = slash == std::string_view::npos;
    if (segment == "..") {
      if (kept.empty()) return false;
      kept.pop_back();
      folder = true;
    } else if (segment == "." || (segment.empty() && last)) {
      folder = true;
    } else {
      kept.push_back(segment);
      folder = false;
    }
    if (last) break;
    rest.remove_prefix(slash + 1);
  }
  std::string out = "/";
  for (size_t i = 0; i < kept.size(); ++i) {
    if (i > 0) out += '/';
    out.append(kept[i]);
  }
  if (folder && !kept.empty()) out += '/';
  path = std::move(out);
  return true;
}

std::string HttpDate(int64_t secondsUtc) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  time_t t = static_cast<time_t>(secondsUtc);
  std::tm tm{};
  if (::gmtime_r(&t, &tm) == nullptr) return "Thu, 01 Jan 1970 00:00:00 GMT";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[tm.tm_wday % 7],
                tm.tm_mday, kMonths[tm.tm_mon % 12], tm.tm_year + 1900, tm.tm_hour, tm.tm_min,
                tm.tm_sec);
  return buffer;
}

bool Fixture::Parse(std::string_view text, std::string_view source, std::string& error) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  enum class Block { None, Answers, Files, Translate, Text } block = Block::None;
  std::string* target = nullptr;  // the translation or text the lines below fill
  std::vector<EngineAnswer*> current;  // the answers the lines below a header fill
  bool totalGiven = false;
  size_t lineNumber = 0;
  auto fail = [&](const std::string& message) {
    error = std::string(source) + ":" + std::to_string(lineNumber) + ": " + message;
    return false;
  };
  // The default total of a block is its number of results.
  auto closeBlock = [&] {
    if (!totalGiven) {
      for (EngineAnswer* answer : current) {
        answer->total = std::min<uint64_t>(answer->results.size(), kMaxTotal);
      }
    }
    current.clear();
    totalGiven = false;
  };

  while (!text.empty()) {
    ++lineNumber;
    size_t end = text.find('\n');
    std::string_view raw = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    std::string_view line = TrimWhite(raw);
    if (line.empty() || line[0] == '#') continue;

    if (line[0] == '[') {
      closeBlock();
      size_t close = line.find(']');
      if (close == std::string_view::npos) return fail("a header needs a closing ']'");
      std::string names(line.substr(1, close - 1));
      std::replace(names.begin(), names.end(), ',', ' ');
      std::string_view query = TrimWhite(line.substr(close + 1));
      if (EqualsIgnoreCase(TrimWhite(names), "translate")) {
        std::string key = NormalizeQuery(Utf8ToCp1252(query));
        if (key.empty()) return fail("[translate] needs the input it translates");
        auto [it, added] = translations_.try_emplace(key);
        if (!added) return fail("a second translation of '" + key + "'");
        target = &it->second;
        block = Block::Translate;
        continue;
      }
      if (EqualsIgnoreCase(TrimWhite(names), "text")) {
        std::string path(query);
        if (!IsSafePath(path) || path.back() == '/') return fail("[text] needs a page path such as /files/version.txt");
        auto [it, added] = texts_.try_emplace(path);
        if (!added) return fail(Quoted(path, " is given twice"));
        target = &it->second;
        block = Block::Text;
        continue;
      }
      std::set<Engine> engines;
      bool files = false;
      for (std::string_view tail = names; !TrimWhite(tail).empty();) {
        std::string_view word;
        std::tie(word, tail) = SplitWord(tail);
        Engine engine;
        if (EqualsIgnoreCase(word, "files")) {
          files = true;
        } else if (ParseEngineName(word, engine)) {
          engines.insert(engine);
        } else {
          return fail("unknown engine '" + std::string(word) + "' (google, fast, wisenut or files)");
        }
      }
      if (files) {
        if (!engines.empty() || !query.empty()) return fail("[files] stands alone, without a query");
        block = Block::Files;
        continue;
      }
      if (engines.empty()) return fail("a header names at least one engine: [google fast wisenut]");
      std::string key = NormalizeQuery(FormDecode(Utf8ToCp1252(query)));
      if (key.empty()) return fail("the header gives no query");
      for (Engine engine : engines) {
        auto [it, added] = answers_.try_emplace({engine, key});
        if (!added) {
          return fail(std::string("a second answer of ") + EngineName(engine) + " to '" + key + "'");
        }
        current.push_back(&it->second);
      }
      block = Block::Answers;
      continue;
    }

    if (block == Block::Translate) {
      if (!target->empty()) return fail("a translation is one line");
      *target = Utf8ToCp1252(line);
      continue;
    }
    if (block == Block::Text) {
      target->append(Utf8ToCp1252(line)).append("\n");
      continue;
    }
    auto [word, rest] = SplitWord(line);
    if (block == Block::None) return fail("a line before any [engines] or [files] header");

    if (block == Block::Files) {
      auto [sizeText, dateAndTime] = SplitWord(rest);
      auto [date, tail] = SplitWord(dateAndTime);
      auto [time, extra] = SplitWord(tail);
      std::string path(word);
      UrlDecode(path);
      if (!IsSafePath(path) || path.back() == '/') {
        return fail(Quoted(word, " is no file path (/folder/name, no . or .. parts)"));
      }
      ServedFile file;
      if (!ParseCount(sizeText, kMaxServedFileSize, file.size)) {
        return fail("a file line reads: PATH SIZE YYYY-MM-DD [HH:MM[:SS]]; bad size");
      }
      if (!extra.empty() || !ParseDate(date, time, file.modified)) {
        return fail("a file line reads: PATH SIZE YYYY-MM-DD [HH:MM[:SS]]; bad date");
      }
      // A file would hide a folder of the same name, and the reverse.
      auto inside = files_.lower_bound(path + "/");
      if (inside != files_.end() && inside->first.starts_with(path + "/")) {
        return fail(Quoted(path, " is already a folder of served files"));
      }
      for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        if (files_.count(path.substr(0, slash))) {
          return fail(Quoted(std::string_view(path).substr(0, slash), " is a served file, not a folder"));
        }
      }
      if (!files_.emplace(path, file).second) return fail(Quoted(path, " is listed twice"));
      continue;
    }

    if (EqualsIgnoreCase(word, "total")) {
      uint64_t total;
      if (!ParseCount(rest, kMaxTotal, total)) {
        return fail("total needs a number (digits, commas allowed) of at most 999,999,999");
      }
      if (totalGiven) return fail("a second total in the same block");
      for (EngineAnswer* answer : current) answer->total = total;
      totalGiven = true;
      continue;
    }
    if (!IsUrlStart(word)) {
      return fail(Quoted(word, " is neither 'total N' nor a URL (http://, ftp:// or {base})"));
    }
    std::string title = Utf8ToCp1252(rest);
    std::string url(word);
    Range range;
    bool malformed;
    std::string both = url + '\n' + title;
    if (FindRange(both, range, malformed)) {
      std::string token = both.substr(range.at, range.length);
      uint64_t lines = range.last - range.first + 1;
      if (resultCount_ + lines * current.size() > kMaxResults) return fail("too many results");
      for (uint64_t n = range.first; n <= range.last; ++n) {
        std::string number = Padded(n, range.width);
        std::string u = url, t = title;
        for (std::string* s : {&u, &t}) {
          for (size_t at = s->find(token); at != std::string::npos; at = s->find(token, at + number.size())) {
            s->replace(at, token.size(), number);
          }
        }
        for (EngineAnswer* answer : current) answer->results.push_back({u, t});
      }
      resultCount_ += lines * current.size();
    } else if (malformed) {
      return fail("a range reads {FIRST..LAST}, FIRST <= LAST, at most 10000 lines");
    } else {
      if (resultCount_ + current.size() > kMaxResults) return fail("too many results");
      for (EngineAnswer* answer : current) answer->results.push_back({url, title});
      resultCount_ += current.size();
    }
  }
  closeBlock();
  return true;
}

const EngineAnswer* Fixture::Answer(Engine engine, std::string_view query) const {
  auto it = answers_.find({engine, NormalizeQuery(query)});
  return it == answers_.end() ? nullptr : &it->second;
}

const std::string* Fixture::Translation(std::string_view input) const {
  auto it = translations_.find(NormalizeQuery(input));
  return it == translations_.end() ? nullptr : &it->second;
}

const std::string* Fixture::Text(std::string_view path) const {
  auto it = texts_.find(path);
  return it == texts_.end() ? nullptr : &it->second;
}

const ServedFile* Fixture::File(std::string_view path) const {
  auto it = files_.find(path);
  return it == files_.end() ? nullptr : &it->second;
}

std::vector<std::pair<std::string, const ServedFile*>> Fixture::FolderEntries(std::string_view folder) const {
  std::vector<std::pair<std::string, const ServedFile*>> entries;
  if (folder.empty() || folder.back() != '/') return entries;
  for (auto it = files_.lower_bound(folder); it != files_.end() && it->first.starts_with(folder); ++it) {
    std::string_view inside = std::string_view(it->first).substr(folder.size());
    size_t slash = inside.find('/');
    if (slash == std::string_view::npos) {
      entries.emplace_back(std::string(inside), &it->second);
    } else {
      std::string name(inside.substr(0, slash + 1));
      if (entries.empty() || entries.back().first != name) entries.emplace_back(name, nullptr);
    }
  }
  return entries;
}

std::vector<std::string> Fixture::Queries(Engine engine) const {
  std::vector<std::string> queries;
  for (const auto& [key, answer] : answers_) {
    if (key.first == engine) queries.push_back(key.second);
  }
  return queries;
}

bool LoadFixtureFolder(const std::string& folder, Fixture& fixture, std::string& error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    error = folder + ": no such folder";
    return false;
  }
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
    if (entry.path().extension() == ".txt" && entry.is_regular_file(ec)) files.push_back(entry.path());
  }
  if (ec) {
    error = folder + ": " + ec.message();
    return false;
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& path : files) {
    std::optional<std::string> text = ReadWholeFile(path.string());
    if (!text) {
      error = path.string() + ": cannot be read";
      return false;
    }
    if (!fixture.Parse(*text, path.string(), error)) return false;
  }
  return true;
}

}  // namespace orvi::sandbox
