#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvi {

// An INI file with the semantics of the Windows private-profile functions,
// which the program's settings and profile files were designed around:
// - sections and keys compare without regard to case; the first matching
//   section and, in it, the first matching key line win;
// - a value is the text after the first "=", white space removed at both ends,
//   and one enclosing pair of matching double or single quotes removed;
// - a read is cut to (read size - 1) characters, as a buffer of that size is;
// - writing a key replaces its line or appends one at the end of its section;
//   a missing section is appended to the file, a missing file is created;
// - lines are written with CR LF; LF-only files read the same.
// Read the file once, make any number of reads and writes, then Save().
class IniFile {
 public:
  IniFile() = default;
  // Loads the file; a missing or unreadable file is an empty one.
  static IniFile Load(const std::string& path);
  // Parses bytes that were read elsewhere (tests, fuzzing).
  static IniFile Parse(std::string_view bytes, std::string path = {});

  const std::string& path() const { return path_; }

  std::string Get(std::string_view section, std::string_view key, std::string_view fallback,
                  size_t readSize) const;
  // The names of the file's sections, in file order, each once.
  std::vector<std::string> Sections() const;
  // True when the key exists in the section (even with an empty value).
  bool Has(std::string_view section, std::string_view key) const;
  void Set(std::string_view section, std::string_view key, std::string_view value);

  std::string Serialize() const;
  bool Save() const;

 private:
  struct Span {
    size_t header;  // index of the section's "[name]" line
    size_t end;     // one past its last line
  };
  bool FindSection(std::string_view section, Span& span) const;
  // Index of the first line of the span whose key matches, or npos.
  size_t FindKey(const Span& span, std::string_view key) const;

  std::string path_;
  std::vector<std::string> lines_;
};

// One-call forms for a single key, as the program used them.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view fallback, size_t readSize);
bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

}  // namespace orvi
