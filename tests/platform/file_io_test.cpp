#include "platform/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace orvi {
namespace {

TEST(FileIo, ReplacesAFileWholeAndKeepsItsMode) {
  test::TempDir dir;
  std::string path = dir.File("a.txt");
  ASSERT_TRUE(WriteWholeFile(path, "first"));
  ::chmod(path.c_str(), 0600);
  ASSERT_TRUE(WriteWholeFile(path, std::string("se\0cond", 7)));
  EXPECT_EQ(ReadWholeFile(path), std::string("se\0cond", 7));
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  // Nothing but the file itself is left in the folder.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator{}), 1);
}

TEST(FileIo, FailuresLeaveNothingBehind) {
  test::TempDir dir;
  EXPECT_FALSE(WriteWholeFile(dir.File("no/such/folder/a.txt"), "x"));
  EXPECT_FALSE(ReadWholeFile(dir.File("absent")).has_value());
  EXPECT_FALSE(FileExists(dir.path()));  // a folder is no file
}

}  // namespace
}  // namespace orvi
