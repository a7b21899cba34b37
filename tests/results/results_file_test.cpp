#include "results/results_file.h"

#include <gtest/gtest.h>

#include "results/catalogue.h"

namespace orvi {
namespace {

// The file read back and written again is checked byte for byte by the
// results command; here, what only a live catalogue holds.
TEST(ResultsFileTest, WritesGroupsAndCopiesWithTheirStatesAndSkipsDeletedEntries) {
  Context ctx{ContextOptions{.appFolder = "/tmp"}};
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
  EXPECT_EQ(ComposeResults(ctx, ctx.catalogue),
            "[setup,2]\r\n"
            "setup1.zip,http://a/setup1.zip,http://p/,1,900,Tue, 01 Jul 2003 10:00:00 GMT\r\n"
            "setup1.zip,http://b/setup1.zip,http://q/,-1,0,?? ??\r\n"
            ">\r\n"
            "setup2.zip,http://a/setup2.zip,http://p/,0,0,?? ??\r\n"
            ">\r\n");
}

// What a results file reads as, written back. Sizes are 64-bit from the file
// to memory and back; a size below 2^31 keeps its text, and a size field that
// is no size reads as 0.
TEST(ResultsFileTest, ReadingRules) {
  auto load = [](std::string_view text) {
    Context fresh{ContextOptions{.appFolder = "/tmp"}};
    ParseResults(fresh, fresh.catalogue, text);
    return ComposeResults(fresh, fresh.catalogue);
  };
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
      // An entry line without a comma ends the reading, dropping that entry.
      {"[a,1]\nf,http://u,p\n>\n[b]\n[c,1]\ng,http://v,p\n>\n", "[a,1]\r\nf,http://u,p,0,0,?? ??\r\n>\r\n"},
      // A file line without its second comma ends it too, keeping the name.
      {"[a,1]\nf,http://u,p\n>\nbroken,line\n>\n[c,1]\n",
       "[a,1]\r\nf,http://u,p,0,0,?? ??\r\n>\r\nbroken,,,0,0,\r\n>\r\n"},
      {sized("999999999999999999", "\n"), sized("999999999999999999", "\r\n")},
      {sized("12345678901234567890123", "\n"), sized("0", "\r\n")},
      {sized("-5", "\n"), sized("0", "\r\n")},
      {sized("12k", "\n"), sized("12", "\r\n")},
  };
  for (const auto& [text, written] : cases) EXPECT_EQ(load(text), written) << text;

  // Fields are cut to their sizes.
  Context loaded{ContextOptions{.appFolder = "/tmp"}};
  ParseResults(loaded, loaded.catalogue,
               "[" + std::string(100, 'k') + ",1]\n" + std::string(100, 'n') + "," + std::string(300, 'u') +
                   "," + std::string(300, 'p') + ",2,12," + std::string(50, 'd') + "\n>\n");
  ASSERT_EQ(loaded.catalogue.count(), 1);
  const FoundEntry& e = *loaded.catalogue.entries[0];
  EXPECT_EQ(std::tuple(e.key.size(), e.files->name.size(), e.files->url.size(), e.files->page.size(),
                       e.files->Date().size()),
            std::tuple(79u, 79u, 239u, 239u, 31u));
}

}  // namespace
}  // namespace orvi
