#pragma once

#include <mutex>
#include <string>
#include <string_view>

namespace orvi {

// The query log Log.txt: a header when the harvest starts, a block for each
// keyword row asked, and one line for each link an engine gives to the
// queue. The file is opened for each write and closed again; lines of the
// engine threads never mix. A log that cannot be written loses its lines
// quietly.
class QueryLog {
 public:
  // Off: every call does nothing.
  QueryLog(std::string path, bool on) : path_(std::move(path)), on_(on) {}

  bool On() const { return on_; }
  // Creates the file, replacing an older one, with its header.
  void Start();
  // The row as stored in the profile.
  void Row(std::string_view row);
  // "[G=] url" when the link was queued, "[G!] url" when it was a duplicate
  // or refused.
  void Link(char engineLetter, bool added, std::string_view url);
  // "[Mojeek=] url": today's engines are named whole.
  void Link(std::string_view engineName, bool added, std::string_view url);
  // "[Mojeek] GET address": each request to one of today's engines, so that
  // a user mending Moteurs.ini sees what was asked.
  void Request(std::string_view engineName, std::string_view method, std::string_view url);

 private:
  void Write(std::string_view bytes, const char* mode);

  const std::string path_;
  const bool on_;
  std::mutex mutex_;
};

}  // namespace orvi
