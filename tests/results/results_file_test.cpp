#include "results/results_file.h"

#include <gtest/gtest.h>

#include "results/catalogue.h"
#include "support/temp_dir.h"

namespace orvi {
namespace {

class ResultsFileTest : public ::testing::Test {
 protected:
  std::string Load(std::string_view text) {
    Context fresh{ContextOptions{.appFolder = "/tmp"}};
    ParseResults(fresh, fresh.catalogue, text);
    return ComposeResults(fresh, fresh.catalogue);
  }
  Context ctx{ContextOptions{.appFolder = "/tmp"}};
};

TEST_F(ResultsFileTest, WritesEntriesGroupsAndCopiesByteForByte) {
  AddFoundLink(ctx, ctx.catalogue, "setup1.zip", "http://a/setup1.zip", "http://p/", false, 2);
  AddFoundLink(ctx, ctx.catalogue, "setup1.zip", "http://b/setup1.zip", "http://q/", false, 2);
  AddFoundLink(ctx, ctx.catalogue, "setup2.zip", "http://a/setup2.zip", "http://p/", false, 2);
  AddFoundLink(ctx, ctx.catalogue, "gone.exe", "http://a/gone.exe", "http://p/", false, 0);
  FoundFile* first = ctx.catalogue.entries[0]->files;
  first->SetState(FileState::Valid);
  first->size = 900;
  first->SetDate("Tue, 01 Jul 2003 10:00:00 GMT");
  first->nextCopy->SetState(FileState::Verifying);
  MarkEntryDeleted(ctx, 1);
  const std::string expected =
      "[setup,2]\r\n"
      "setup1.zip,http://a/setup1.zip,http://p/,1,900,Tue, 01 Jul 2003 10:00:00 GMT\r\n"
      "setup1.zip,http://b/setup1.zip,http://q/,-1,0,?? ??\r\n"
      ">\r\n"
      "setup2.zip,http://a/setup2.zip,http://p/,0,0,?? ??\r\n"
      ">\r\n";
  test::TempDir dir;
  ASSERT_TRUE(WriteResultsFile(ctx, dir.File("r.txt")));
  EXPECT_EQ(dir.Read("r.txt"), expected);

  // Read back: the probe in progress comes back as waiting; all else is kept.
  Context loaded{ContextOptions{.appFolder = "/tmp"}};
  ASSERT_TRUE(ReadResultsFile(loaded, loaded.catalogue, dir.File("r.txt")));
  std::string again = expected;
  again.replace(again.find(",-1,"), 4, ",0,");
  EXPECT_EQ(ComposeResults(loaded, loaded.catalogue), again);
  EXPECT_EQ(loaded.catalogue.entries[0]->hits, 2);
}

// What a results file reads as, written back. Sizes are 64-bit from the file
// to memory and back; a size below 2^31 keeps its text, and a size field that
// is no size reads as 0.
TEST_F(ResultsFileTest, ReadingRules) {
  auto sized = [](const char* field, const char* line) {
    return std::string("[k,1]") + line + "f,http://u,p,1," + field + ",d" + line + ">" + line;
  };
  const std::pair<std::string, std::string> cases[] = {
      // Short lines: missing fields take their defaults.
      {"[k,3]\na,http://u,http://p,1,5\n>\nb,http://v,http://p\n>\n",
       "[k,3]\r\na,http://u,http://p,1,5,?? ??\r\n>\r\nb,http://v,http://p,0,0,?? ??\r\n>\r\n"},
      // A file line before any entry is skipped; a name starting with '[' is a file line.
      {"x,http://u,p\r\n[k,1]\r\n[weird,http://u,p,2,7,d\r\n>\r\n", "[k,1]\r\n[weird,http://u,p,2,7,d\r\n>\r\n"},
      // Not a results file at all: nothing.
      {"http://a/b.zip\nhttp://c/d.zip\n", ""},
      {"", ""},
      // An entry line without a comma ends the reading, dropping that entry.
      {"[a,1]\nf,http://u,p\n>\n[b]\n[c,1]\ng,http://v,p\n>\n", "[a,1]\r\nf,http://u,p,0,0,?? ??\r\n>\r\n"},
      // A file line without its second comma ends it too, keeping the name.
      {"[a,1]\nf,http://u,p\n>\nbroken,line\n>\n[c,1]\n",
       "[a,1]\r\nf,http://u,p,0,0,?? ??\r\n>\r\nbroken,,,0,0,\r\n>\r\n"},
      {sized("5368709120", "\n"), sized("5368709120", "\r\n")},
      {sized("2147483647", "\n"), sized("2147483647", "\r\n")},
      {sized("2147483648", "\n"), sized("2147483648", "\r\n")},
      {sized("999999999999999999", "\n"), sized("999999999999999999", "\r\n")},
      {sized("12345678901234567890123", "\n"), sized("0", "\r\n")},
      {sized("-5", "\n"), sized("0", "\r\n")},
      {sized("12k", "\n"), sized("12", "\r\n")},
  };
  for (const auto& [text, written] : cases) EXPECT_EQ(Load(text), written) << text;
}

TEST_F(ResultsFileTest, FieldsAreCutToTheirSizes) {
  std::string line = std::string(100, 'n') + "," + std::string(300, 'u') + "," +
                     std::string(300, 'p') + ",2,12," + std::string(50, 'd');
  Context loaded{ContextOptions{.appFolder = "/tmp"}};
  ParseResults(loaded, loaded.catalogue, "[" + std::string(100, 'k') + ",1]\n" + line + "\n>\n");
  ASSERT_EQ(loaded.catalogue.count(), 1);
  const FoundEntry& e = *loaded.catalogue.entries[0];
  EXPECT_EQ(e.key.size(), 79u);
  EXPECT_EQ(e.files->name.size(), 79u);
  EXPECT_EQ(e.files->url.size(), 239u);
  EXPECT_EQ(e.files->page.size(), 239u);
  EXPECT_EQ(e.files->Date().size(), 31u);
}

}  // namespace
}  // namespace orvi
