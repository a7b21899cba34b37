// A site scan from the command line against nginx and a real FTP server,
// over a small site the test writes: archives, a numbered series, frames, a
// script redirection, a redirection done by nginx and a link to an FTP file.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "app/cli.h"
#include "support/real_servers.h"

namespace orvi {
namespace {

class SiteScanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ftp.AddFile("anon/pub/remote.zip", std::string(7000, 'f'));
    ASSERT_TRUE(ftp.Start("bob", "s3cret")) << ftp.error();
    nginx.AddFile("index.html",
                  "<html><body><h1>Downloads</h1>\n"
                  "<p><a href=\"files/tool.zip\">the tool</a></p>\n"
                  "<p><a href=\"files/disk1.zip\">1</a> <a href=\"files/disk2.zip\">2</a>"
                  " <a href=\"files/disk3.zip\">3</a></p>\n"
                  "<p><a href=\"frames.html\">frames</a> <a href=\"script.html\">script</a>"
                  " <a href=\"moved\">moved</a> <a href=\"new.html\">new</a></p>\n"
                  "<p><a href=\"" + ftp.AnonymousUrl("/pub/remote.zip") + "\">by ftp</a></p>\n"
                  "</body></html>\n");
    nginx.AddFile("frames.html",
                  "<html><frameset><frame src=\"framed.html\"><noframes>none</noframes>"
                  "</frameset></html>");
    nginx.AddFile("framed.html", "<html><body><a href=\"files/framed.rar\">r</a></body></html>");
    nginx.AddFile("script.html",
                  "<html><head><script>window.location.href='scripted.html';</script>"
                  "<meta http-equiv=\"refresh\" content=\"0\"></head><body></body></html>");
    nginx.AddFile("scripted.html", "<html><body><a href=\"files/scripted.ace\">a</a></body></html>");
    nginx.AddFile("target.html", "<html><body><a href=\"files/target.zip\">t</a></body></html>");
    for (const char* name : {"tool.zip", "disk1.zip", "disk2.zip", "disk3.zip", "framed.rar",
                             "scripted.ace", "target.zip", "huge.zip", "cdn.zip",
                             "\xC3\xA9t\xC3\xA9 2002.zip", "\xD1\x84.zip"}) {
      nginx.AddFile(std::string("files/") + name, std::string(3000, 'x'));
    }
    nginx.AddFile("setup.exe", std::string(3000, 'x'));
    ASSERT_TRUE(nginx.Start("    location = /moved { return 302 /target.html; }\n")) << nginx.error();
    // Hand-written links as browsers read them, and names sent in UTF-8.
    nginx.AddFile("new.html",
                  "<html><body><a href='files/huge.zip'>h</a> <a href=\"./setup.exe\">s</a>"
                  " <a href=\"//127.0.0.1:" + std::to_string(nginx.port()) + "/files/cdn.zip\">c</a>"
                  " <a href=\"files/%C3%A9t%C3%A9%202002.zip\">e</a>"
                  " <a href=\"files/%D1%84.zip\">f</a></body></html>");
    home.Write("ORVI.ini", "[Config]\r\nNbRetry=1\r\nVerifyTimeOut=10\r\nHttpTimeOut=10\r\n");
  }

  test::TempDir home;
  test::Nginx nginx;
  test::FtpServer ftp;
};

TEST_F(SiteScanTest, FindsGroupsAndVerifiesTheFilesOfTheSite) {
  std::ostringstream out, err;
  int code = RunCli({"--home", home.path(), "-q", "scan", nginx.Url("/index.html"), "--site",
                     "--out", home.File("site.txt")},
                    out, err);
  EXPECT_EQ(code, 0) << err.str();
  EXPECT_EQ(err.str(), "");
  std::string table = out.str();
  for (const char* line : {"tool\tzip\t1\t1\t3.0k\tSingleValid\n",
                           "disk\tzip\t3\t1\t9.0k\tSetValid\n",
                           "remote\tzip\t1\t1\t7.0k\tSingleValid\n",
                           "framed\trar\t1\t1\t3.0k\tSingleValid\n",
                           "scripted\tace\t1\t1\t3.0k\tSingleValid\n",
                           "target\tzip\t1\t1\t3.0k\tSingleValid\n",
                           "huge\tzip\t1\t1\t3.0k\tSingleValid\n",
                           "setup\texe\t1\t1\t3.0k\tSingleValid\n",
                           "cdn\tzip\t1\t1\t3.0k\tSingleValid\n",
                           "%d1%84\tzip\t1\t1\t3.0k\tSingleValid\n"}) {
    EXPECT_NE(table.find(line), std::string::npos) << line << "in:\n" << table;
  }
  EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 11) << table;
  const std::string results = home.Read("site.txt");
  EXPECT_NE(results.find("disk2.zip," + nginx.Url("/files/disk2.zip")), std::string::npos);
  // The results file holds the name in Windows-1252 and the address as found;
  // the terminal shows it in UTF-8.
  const std::string accented = "\r\n\xE9t\xE9 2002.zip," + nginx.Url("/files/%C3%A9t%C3%A9%202002.zip");
  EXPECT_NE(results.find("[\xE9t\xE9 2002,1]" + accented + ","), std::string::npos) << results;
  const std::string shown = "\xC3\xA9t\xC3\xA9 2002\tzip\t1\t1\t3.0k\tSingleValid\n";
  EXPECT_NE(table.find(shown), std::string::npos) << table;
  std::ostringstream listed, listErr;
  EXPECT_EQ(RunCli({"--home", home.path(), "results", home.File("site.txt")}, listed, listErr), 0);
  EXPECT_EQ(listed.str(), table);

}

// nginx's own folder listings (autoindex) over a three-level tree, with a 5 GiB file, today's
// archive volumes beside the old forms, and a page of links to pyftpdlib files; nginx redirects
// folder addresses without their "/", with an absolute or a relative Location.
class ListingScanTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    ftp.AddFile("anon/pub/ftphuge.zip", "");
    std::filesystem::resize_file(ftp.dir().path() + "anon/pub/ftphuge.zip", kFiveGiB);
    ftp.AddFile("anon/my dir/space name.zip", std::string(4000, 's'));
    ASSERT_TRUE(ftp.Start("bob", "s3cret")) << ftp.error();
    nginx.AddFile("a.zip", std::string(1000, 'a'));
    for (const char* volume : {"movie.part1.rar", "movie.part2.rar", "movie.part3.rar", "game.7z.001", "game.7z.002",
                               "arch.zip.001", "arch.zip.002", "split.z01", "split.z02", "split.zip", "old.rar", "old.r00"})
      nginx.AddFile(volume, std::string(1000, 'v'));
    nginx.AddFile("sub/b.zip", std::string(2000, 'b'));
    nginx.AddFile("sub/deeper/c.zip", std::string(3000, 'c'));
    nginx.AddFile("sub/deeper/big.zip", "");
    std::filesystem::resize_file(nginx.dir().path() + "www/sub/deeper/big.zip", kFiveGiB);
    nginx.AddFile("links.html",
                  "<html><body><a href=\"" + ftp.AnonymousUrl("/pub/ftphuge.zip") + "\">huge</a> "
                  "<a href=\"" + ftp.AnonymousUrl("/my%20dir/space%20name.zip") + "\">spaced</a>"
                  "</body></html>");
    bool relative = GetParam();
    ASSERT_TRUE(nginx.Start(relative ? "    absolute_redirect off;\n" : "")) << nginx.error();
    home.Write("ORVI.ini", "[Config]\r\nNbRetry=1\r\nVerifyTimeOut=10\r\nHttpTimeOut=10\r\n");
  }

  std::string Scan(const std::string& url, bool site) {
    std::ostringstream out, err;
    std::vector<std::string> args = {"--home", home.path(), "-q", "scan", url, "--out", home.File("r.txt")};
    if (site) args.push_back("--site");
    EXPECT_EQ(RunCli(args, out, err), 0) << err.str();
    return out.str();
  }

  static constexpr uintmax_t kFiveGiB = uintmax_t{5} << 30;
  test::TempDir home;
  test::Nginx nginx;
  test::FtpServer ftp;
};

TEST_P(ListingScanTest, TheWholeTreeOnceWithRealSizesAndASinglePageRedirected) {
  std::string table = Scan(nginx.Url("/"), true);
  // One file per entry: a listing's "../" makes no phantom copy elsewhere.
  for (const char* line : {"a\tzip\t1\t1\t1.0k\tSingleValid\n", "b\tzip\t1\t1\t2.0k\tSingleValid\n",
                           "c\tzip\t1\t1\t3.0k\tSingleValid\n",
                           "big\tzip\t1\t1\t5368709k\tSingleValid\n",
                           "ftphuge\tzip\t1\t1\t5368709k\tSingleValid\n",
                           "space name\tzip\t1\t1\t4.0k\tSingleValid\n",
                           "movie\trar\t3\t1\t3.0k\tSetValid\n", "game\t7z\t2\t1\t2.0k\tSetValid\n",
                           "arch\tzip\t2\t1\t2.0k\tSetValid\n", "split\tzip\t3\t1\t3.0k\tSetValid\n",
                           "old\trar\t2\t1\t2.0k\tSetValid\n"}) {
    EXPECT_NE(table.find(line), std::string::npos) << line << "in:\n" << table;
  }
  EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 11) << table;
  std::string results = home.Read("r.txt");
  EXPECT_NE(results.find("," + nginx.Url("/sub/deeper/big.zip") + ",") , std::string::npos);
  EXPECT_NE(results.find(",1,5368709120,"), std::string::npos) << results;
  EXPECT_EQ(results.find("/sub/a.zip"), std::string::npos) << results;
  EXPECT_EQ(results.find("/deeper/b.zip"), std::string::npos) << results;

  // The address typed without its final "/": nginx redirects it, and the
  // analysis of that one page follows.
  EXPECT_EQ(Scan(nginx.Url("/sub"), false), "b\tzip\t1\t1\t2.0k\tSingleValid\n");
}

INSTANTIATE_TEST_SUITE_P(AbsoluteAndRelativeLocation, ListingScanTest, ::testing::Bool());

// A terminal hands the address in UTF-8 with a raw space: the request must
// carry it percent-encoded and the line print it as typed.
TEST(CliVerifyReal, AnAddressTypedWithAccentsAndSpaces) {
  test::Nginx nginx;
  nginx.AddFile("\xC3\xA9t\xC3\xA9 2002.zip", std::string(2002, 'e'));
  ASSERT_TRUE(nginx.Start()) << nginx.error();
  test::TempDir home;
  home.Write("ORVI.ini", "[Config]\r\nNbRetry=0\r\nVerifyTimeOut=10\r\n");
  const std::string url = nginx.Url("/\xC3\xA9t\xC3\xA9 2002.zip");
  std::ostringstream out, err;
  EXPECT_EQ(RunCli({"--home", home.path(), "verify", url}, out, err), 0) << err.str();
  EXPECT_TRUE(out.str().starts_with("Valid\t2002\t")) << out.str();
  EXPECT_TRUE(out.str().ends_with(" GMT\t" + url + "\n")) << out.str();
}

}  // namespace
}  // namespace orvi
