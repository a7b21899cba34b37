#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "platform/file_io.h"

namespace orvi::test {

TempDir::TempDir() {
  std::string pattern = "/tmp/orvi-test-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern + "/";
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void TempDir::Write(const std::string& name, const std::string& bytes) const {
  ASSERT_TRUE(WriteWholeFile(File(name), bytes)) << name;
}

std::string TempDir::Read(const std::string& name) const {
  auto bytes = ReadWholeFile(File(name));
  return bytes ? *bytes : std::string("<missing>");
}

}  // namespace orvi::test
