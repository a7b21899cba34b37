#include "search/profile_file.h"

#include <gtest/gtest.h>

#include <tuple>

namespace orvi {
namespace {

SearchProfile Read(const std::string& config) {
  return ReadSearchProfile(IniFile::Parse("[Config]\r\n" + config));
}

std::string Written(const SearchProfile& p, const std::string& key) {
  for (const auto& [k, value] : ProfileAsWritten(p)) {
    if (k == key) return value;
  }
  return "<absent>";
}

SearchProfile WriteAndRead(const SearchProfile& p) {
  IniFile ini;
  WriteSearchProfile(p, ini);
  return ReadSearchProfile(IniFile::Parse(ini.Serialize()));
}

TEST(ProfileFile, MasksAndDistances) {
  SearchProfile p = Read("GoogleUse=4294967295\r\nAtwUse=5\r\nAddLinkAway=\r\nFilesAway=\r\n");
  EXPECT_EQ(std::tie(p.GoogleUse, p.AtwUse, p.WiseUse, p.AddLinkAway, p.FilesAway),
            std::make_tuple(-1, 5, 5, 0, 0));
  EXPECT_EQ(Read("GoogleUse=\r\n").GoogleUse, 0);
  // AtwUse is read into 20 characters, and WiseUse inherits the cut text.
  p = Read("GoogleUse=0000000000000000000005\r\nAtwUse=0000000000000000000005\r\n");
  EXPECT_EQ(std::tie(p.GoogleUse, p.AtwUse, p.WiseUse), std::make_tuple(5, 0, 0));
}

TEST(ProfileFile, FlagsThatDependOnOtherKeys) {
  EXPECT_TRUE(Read("Slnk=forum,download\r\n").URLKeysFirst && Read("Exe= 7x\r\n").Exe);
  EXPECT_FALSE(Read("Slnk=forum\r\nURLKeysFirst=0\r\n").URLKeysFirst);
  EXPECT_FALSE(Read("Slnk=\r\nURLKeysFirst=1\r\n").URLKeysFirst);
  EXPECT_FALSE(Read("SiteScan=1\r\n").SiteScan);
  SearchProfile p;
  p.SiteScan = true;
  EXPECT_EQ(Written(p, "SiteScan"), "<absent>");
}

TEST(ProfileFile, HelpTextBackslashesAlternateBetweenCrAndLfAndExtensions) {
  EXPECT_EQ(Read("HelpText=a\\\\b\r\n").HelpText, "a\r\nb");
  EXPECT_EQ(Read("HelpText=a\\b\\c\\d\r\n").HelpText, "a\rb\nc\rd");
  SearchProfile p;
  p.HelpText = "Ligne 1\r\nLigne 2\r\n\r\nFin";
  EXPECT_EQ(Written(p, "HelpText"), "Ligne 1\\\\Ligne 2\\\\\\\\Fin");
  EXPECT_EQ(WriteAndRead(p).HelpText, p.HelpText);

  p = Read("Extensions=ZIP, Mp3 ,ogg\r\n");
  ASSERT_EQ(p.ExtensionCount, 3);
  EXPECT_EQ(p.Extensions[1], "mp3");
  EXPECT_EQ(Written(p, "Extensions"), "zip,mp3,ogg");
  p = Read("Extensions=zip,,rar,\r\n");
  EXPECT_EQ(p.ExtensionCount, 4);
  EXPECT_EQ(Written(p, "Extensions"), "zip,,rar,");
  // 16 of at most 15 characters; a cut piece ends in no space.
  SplitExtensions("  Abcdefghijklmn opq,b,c,d,e,f,g,h,i,j,k,l,m,n,o,p,q,r", p);
  EXPECT_EQ(p.ExtensionCount, 16);
  EXPECT_EQ(p.Extensions[0], "Abcdefghijklmn");
  EXPECT_EQ(p.Extensions[15], "p");
  SplitExtensions("   ", p);
  EXPECT_EQ(p.ExtensionCount, 0);
}

TEST(ProfileFile, TextsAreCutAndAStrayCarriageReturnIsASpace) {
  std::string x(3000, 'x');
  SearchProfile p = Read("HelpText=" + x + "\r\nLibS1=" + x + "\r\nKey9=" + x + "\r\nSlnk=" + x +
                         "\r\nKey0=a\rb\r\n");
  EXPECT_EQ(std::make_tuple(p.HelpText.size(), p.LibS1.size(), p.Keys[9].size(), p.Slnk.size()),
            std::make_tuple(1999u, 79u, 149u, 99u));
  EXPECT_EQ(p.Keys[0], "a b");
  p.LibS2 = x;
  EXPECT_EQ(Written(p, "LibS2").size(), 79u);
}

// Values are written unchanged; the reader drops white space at both ends and
// one enclosing pair of quotes, so a row typed ` "harry potter" ` is asked as
// harry potter.
TEST(ProfileFile, RowsAreWrittenAsTypedAndReadWithoutTheirEnclosingQuotes) {
  SearchProfile p = Read("Key0=\" +mp3\"\r\nKey1=\"harry potter\"\r\nKey2=a \"b\" c\r\n");
  EXPECT_EQ(std::tie(p.Keys[0], p.Keys[1], p.Keys[2]), std::tuple(" +mp3", "harry potter", "a \"b\" c"));
  p.Keys[1] = " \"harry potter\" ";
  EXPECT_EQ(Written(p, "Key0"), " +mp3");
  EXPECT_EQ(Written(p, "Key1"), " \"harry potter\" ");
  SearchProfile back = WriteAndRead(p);
  EXPECT_EQ(std::tie(back.Keys[0], back.Keys[1], back.Keys[2]), std::tuple("+mp3", "harry potter", "a \"b\" c"));
}

// The command line saves the shipped profiles byte for byte; these are the
// values none of them holds.
TEST(ProfileFile, ValuesNoShippedProfileHoldsReadBack) {
  SearchProfile p;
  p.ExtractAll = p.Serveurs = p.AddExtSais = p.Protected_X = true;
  p.Keys = {"+mp3", "", "+after empty"};
  std::tie(p.WiseUse, p.MinFiles, p.FileNameMode, p.FilesAway) = std::make_tuple(-1, 3, 2, 0);
  auto fields = [](const SearchProfile& r) {
    return std::tie(r.ExtractAll, r.Serveurs, r.AddExtSais, r.Protected_X, r.Keys, r.WiseUse, r.MinFiles,
                    r.FileNameMode, r.FilesAway);
  };
  EXPECT_EQ(fields(WriteAndRead(p)), fields(p));
}

}  // namespace
}  // namespace orvi
