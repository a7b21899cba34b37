#include "search/query_log.h"

#include <cstdio>

namespace orvi {

void QueryLog::Write(std::string_view bytes, const char* mode) {
  if (!on_) return;
  std::lock_guard lock(mutex_);
  std::FILE* file = std::fopen(path_.c_str(), mode);
  if (file == nullptr) return;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

void QueryLog::Start() {
  std::string text = "----- ORVI rapport d'interrogation moteurs -----------\r\n";
  text += "[M=] url ajout\xE9" "e / [M!] doublon/filtre / M = G(oogle), F(ast), W(ise)\r\n";
  text += std::string(54, '-') + "\r\n\r\n\r\n";
  Write(text, "wb");
}

void QueryLog::Row(std::string_view row) {
  const std::string line(52, '-');
  std::string block = "\r\n" + line + "\r\n";
  block.append(row);
  block += "\r\n" + line + "\r\n\r\n";
  Write(block, "ab");
}

void QueryLog::Link(char engineLetter, bool added, std::string_view url) {
  Link(std::string_view(&engineLetter, 1), added, url);
}

void QueryLog::Link(std::string_view engineName, bool added, std::string_view url) {
  std::string line = "[" + std::string(engineName) + (added ? "=" : "!") + "] ";
  line.append(url);
  line += "\r\n";
  Write(line, "ab");
}

void QueryLog::Request(std::string_view engineName, std::string_view method, std::string_view url) {
  Write("[" + std::string(engineName) + "] " + std::string(method) + " " + std::string(url) + "\r\n", "ab");
}

}  // namespace orvi
