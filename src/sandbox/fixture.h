#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvi::sandbox {

// What the sandbox web knows: the answers of the three engines to given
// queries, and files that it serves without storing them. Fixture files are
// line-based text:
//
//   # a comment
//   [google fast] mozart mp3        answers of these engines to this query
//   total 1,234                     the number the page announces (default:
//                                   the number of results listed)
//   {base}/mozart/ Mozart en mp3    one result a line: URL, then an optional
//                                   title; {base} is the sandbox's address
//   {base}/page{1..60}.html         one numeric range expands to many lines
//
//   [files]                         files served with a size and a date
//   /mp3/mozart-requiem.mp3 4213556 2003-02-14 10:22:05
//
//   [translate] le chat noir        the translation service's answer to an
//   the black cat                   input: one line, the text area's content
//
//   [text] /files/version.txt       a plain text page: the lines below, up to
//   Version 0.42 disponible         the next header, each ended by a line feed
//
// A query matches whatever form of it an engine receives: "+" and %XX are
// decoded, letters A-Z lowered and runs of white space made one space, in the
// fixture as in the request (so "mozart+%22index%20of%22" in a fixture is
// the same query as mozart "index of"). Fixture files are UTF-8; queries are matched in
// Windows-1252, the program's encoding.

enum class Engine { Google, Fast, WiseNut };

const char* EngineName(Engine engine);

struct SearchResult {
  std::string url;  // may hold {base}
  std::string title;
};

struct EngineAnswer {
  uint64_t total = 0;  // announced
  std::vector<SearchResult> results;
};

struct ServedFile {
  uint64_t size = 0;
  int64_t modified = 0;  // seconds since 1970, UTC
};

// The limits that keep a bad fixture from eating the machine.
constexpr uint64_t kMaxTotal = 999'999'999;
constexpr uint64_t kMaxRangeLines = 10'000;
constexpr size_t kMaxResults = 200'000;
constexpr uint64_t kMaxServedFileSize = 1ull << 40;

class Fixture {
 public:
  // Adds the blocks of one fixture file. False with "source:line: message"
  // on the first error; the fixture is then incomplete and should not be used.
  bool Parse(std::string_view text, std::string_view source, std::string& error);

  // A decoded query; null when the engine knows nothing of it.
  const EngineAnswer* Answer(Engine engine, std::string_view query) const;
  // A decoded path ("/a b.mp3"), or null.
  const ServedFile* File(std::string_view path) const;
  // The served files and folders directly inside a decoded folder path ending
  // in "/": names, with a "/" at the end of a folder's; files point at their
  // record, folders at null. Empty when the folder holds no served file.
  std::vector<std::pair<std::string, const ServedFile*>> FolderEntries(std::string_view folder) const;

  // The translation of a decoded input (Windows-1252), or null.
  const std::string* Translation(std::string_view input) const;
  // The body of a [text] page, or null.
  const std::string* Text(std::string_view path) const;

  // Every known query of an engine, in order, normalized.
  std::vector<std::string> Queries(Engine engine) const;
  size_t AnswerCount() const { return answers_.size(); }
  size_t FileCount() const { return files_.size(); }

 private:
  std::map<std::pair<Engine, std::string>, EngineAnswer> answers_;
  std::map<std::string, ServedFile, std::less<>> files_;
  std::map<std::string, std::string, std::less<>> translations_;
  std::map<std::string, std::string, std::less<>> texts_;
  size_t resultCount_ = 0;
};

// Reads every *.txt file at the top of folder, in name order. False with a
// message naming the file and line.
bool LoadFixtureFolder(const std::string& folder, Fixture& fixture, std::string& error);

// The form in which decoded queries are compared: letters A-Z lowered, runs
// of white space made one space, none at the ends.
std::string NormalizeQuery(std::string_view decoded);

// "+" as space, then %XX decoded: the value of one field of a query string.
std::string FormDecode(std::string_view value);

// A decoded path is served only when it starts with "/" and holds no "."
// or ".." segment, no empty segment before its end and no NUL.
bool IsSafePath(std::string_view path);

// Resolves the "." and ".." segments of a decoded path as web servers do
// ("/a/../b" is "/b"). False when a ".." would climb above the root.
bool RemoveDotSegments(std::string& path);

// "Fri, 14 Feb 2003 10:22:05 GMT" (RFC 1123, as Last-Modified carries it).
std::string HttpDate(int64_t secondsUtc);

}  // namespace orvi::sandbox
