#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace orvi {
namespace {

const char kSample[] =
    "; comment without an equals sign\r\n"
    "[Other]\r\n"
    "Name=other section\r\n"
    "\r\n"
    "[config]\r\n"
    "  name  =  first value  \r\n"
    "NAME=second value\r\n"
    "Double=\"quoted phrase\"\r\n"
    "Single='single'\r\n"
    "Mixed=\"mixed'\r\n"
    "Inner=a \"b\" c\r\n"
    "Lone=\"\r\n"
    "Empty=\r\n"
    "Equals=a=b\r\n"
    "\r\n"
    "[Last]\r\n"
    "Key=last\r\n";

TEST(IniFile, ReadsWithPrivateProfileRules) {
  IniFile ini = IniFile::Parse(kSample);
  // Sections and keys ignore case; the first matching line wins; white space
  // goes at both ends.
  EXPECT_EQ(ini.Get("Config", "Name", "x", 100), "first value");
  EXPECT_EQ(ini.Get("OTHER", "name", "x", 100), "other section");
  // One matching pair of quotes goes; anything else stays.
  EXPECT_EQ(ini.Get("Config", "Double", "", 100), "quoted phrase");
  EXPECT_EQ(ini.Get("Config", "Single", "", 100), "single");
  EXPECT_EQ(ini.Get("Config", "Mixed", "", 100), "\"mixed'");
  EXPECT_EQ(ini.Get("Config", "Inner", "", 100), "a \"b\" c");
  EXPECT_EQ(ini.Get("Config", "Lone", "", 100), "\"");
  EXPECT_EQ(ini.Get("Config", "Equals", "", 100), "a=b");
  // Present but empty is not missing.
  EXPECT_EQ(ini.Get("Config", "Empty", "default", 100), "");
  EXPECT_TRUE(ini.Has("Config", "Empty"));
  EXPECT_FALSE(ini.Has("Config", "Key"));
  EXPECT_EQ(ini.Get("Config", "Key", "fallback", 100), "fallback");
  EXPECT_EQ(ini.Get("Missing", "Key", "fallback", 100), "fallback");
  // A read is cut to the read size less one, as into a buffer of that size.
  EXPECT_EQ(ini.Get("Config", "Name", "", 6), "first");
  EXPECT_EQ(ini.Get("Config", "Missing", "fallback", 4), "fal");
  EXPECT_EQ(ini.Get("Config", "Name", "", 0), "");
  // Line feeds alone end lines too, and a header may hold spaces.
  ini = IniFile::Parse("[ Config ]\nA = 1\nB=2");
  EXPECT_EQ(ini.Get("config", "a", "", 10) + ini.Get("config", "b", "", 10), "12");
  // Some editors put a UTF-8 byte-order mark before the first section; elsewhere those bytes are text.
  EXPECT_EQ(IniFile::Parse("\xEF\xBB\xBF[Config]\r\nA=1\r\n").Get("Config", "A", "none", 10), "1");
  EXPECT_EQ(IniFile::Parse("[A]\r\n\xEF\xBB\xBFk=v\r\n").Get("A", "k", "none", 80), "none");
}

// What is saved reads back as it was read, whatever surrounds the section.
TEST(IniFile, WhatIsSavedReadsBackTheSame) {
  const std::string awkward[] = {
      "\xEF\xBB\xBF\xEF\xBB\xBF[Config]\r\nA=7\r\n",
      std::string("[Config]\r\nA=7\0x\r\n\0[Config]\r\nA=9\r\n", 33),
      "x[Config]\r\nA=3\r\n [Config] junk\r\nA=7\r\n",
      "\xEF\xBB\xBF\r\n\xEF\xBB\xBF[Config]\r\nA=5\r\n",
  };
  for (const std::string& bytes : awkward) {
    IniFile first = IniFile::Parse(bytes);
    std::string a = first.Get("Config", "A", "none", 10);
    first.Set("Config", "B", "2");
    IniFile again = IniFile::Parse(first.Serialize());
    EXPECT_EQ(again.Get("Config", "A", "none", 10), a) << testing::PrintToString(bytes);
    EXPECT_EQ(again.Get("Config", "B", "none", 10), "2") << testing::PrintToString(bytes);
  }
}

TEST(IniFile, WritesInPlaceOrAtTheEndOfTheSection) {
  IniFile ini = IniFile::Parse(kSample);
  ini.Set("Config", "NAME", "replaced");  // the first matching line only
  ini.Set("Config", "New", "appended");
  ini.Set("Fresh", "K", "v");
  std::string expected = kSample;
  expected.replace(expected.find("  name  =  first value  "), 24, "NAME=replaced");
  expected.insert(expected.find("\r\n[Last]"), "New=appended\r\n");
  EXPECT_EQ(ini.Serialize(), expected + "\r\n[Fresh]\r\nK=v\r\n");
}

TEST(IniFile, CreatesTheFileAndKeepsValuesOnOneLine) {
  test::TempDir dir;
  std::string path = dir.File("new.ini");
  ASSERT_TRUE(WriteProfileString(path, "Config", "A", "1"));
  ASSERT_TRUE(WriteProfileString(path, "Config", "B", "two\r\nlines"));
  ASSERT_TRUE(WriteProfileString(path, "Config", "a", "3"));
  EXPECT_EQ(dir.Read("new.ini"), "[Config]\r\na=3\r\nB=two  lines\r\n");
  EXPECT_EQ(ReadProfileString(path, "config", "b", "", 100), "two  lines");
  EXPECT_EQ(ReadProfileString(dir.File("absent.ini"), "Config", "A", "dflt", 100), "dflt");
}

}  // namespace
}  // namespace orvi
