#include "search/profile_file.h"

#include <gtest/gtest.h>

#include <tuple>

#include "support/temp_dir.h"

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

TEST(ProfileFile, SaveKeepsOtherKeysAndLoadsBackEveryField) {
  test::TempDir dir;
  dir.Write("p.ini", "[Config]\r\nCustom=keep me\r\nzip=0\r\n\r\n[Other]\r\nZip=9\r\n");
  SearchProfile p;
  p.HelpText = "Aide\r\n\xE9t\xE9";
  p.LibS2 = "Titre :";
  p.FindS = p.GoogleCache = p.ExtractAll = p.Zip = p.Archiv = p.Exe = p.Serveurs = true;
  p.AjourURL = p.SexFilter = p.AddExtSais = p.Translate = p.SDM = p.SAD = true;
  p.Protected_X = p.EnableNews = p.URLKeysFirst = true;
  p.Keys = {"+mp3", "%s.zip", "", "+after empty"};
  std::tie(p.MaxDomains, p.GoogleUse, p.AtwUse, p.WiseUse, p.MinFiles, p.FileNameMode) =
      std::make_tuple(24, 1023, 5, -1, 3, 2);
  std::tie(p.AddLinkAway, p.FilesAway, p.DateLimit) = std::make_tuple(400, 0, 12);
  SplitExtensions("mp3,ogg", p);
  p.Slnk = "forum";
  ASSERT_TRUE(SaveSearchProfile(dir.File("p.ini"), p));
  std::string bytes = dir.Read("p.ini");
  EXPECT_EQ(bytes.rfind("[Config]\r\nCustom=keep me\r\nZip=1\r\nHelpText=Aide\\\\\xE9t\xE9\r\n", 0),
            0u);
  EXPECT_NE(bytes.find("URLKeysFirst=1\r\n\r\n[Other]\r\nZip=9\r\n"), std::string::npos);
  auto fields = [](const SearchProfile& r) {
    return std::tie(r.HelpText, r.LibS1, r.LibS2, r.FindS, r.GoogleCache, r.MaxDomains, r.Keys,
                    r.GoogleUse, r.AtwUse, r.WiseUse, r.ExtractAll, r.Zip, r.Archiv, r.Exe,
                    r.Serveurs, r.ExtensionCount, r.Extensions, r.AjourURL, r.MinFiles,
                    r.FileNameMode, r.SexFilter, r.AddExtSais, r.Translate, r.AddLinkAway,
                    r.FilesAway, r.SDM, r.Slnk, r.SAD, r.Protected_X, r.DateLimit, r.EnableNews,
                    r.URLKeysFirst);
  };
  EXPECT_EQ(fields(LoadSearchProfile(dir.File("p.ini"))), fields(p));
  EXPECT_FALSE(SaveSearchProfile(dir.File("no/such/folder/p.ini"), p));
}

}  // namespace
}  // namespace orvi
