// The results, verify and scan commands, end to end against loopback servers.
#include <gtest/gtest.h>

#include "cli_runner.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "core/context.h"

#include "app/cli.h"
#include "support/script_server.h"
#include "support/temp_dir.h"

namespace orvi {
namespace {

using test::ScriptServer;

using test::Cli;
using Outcome = test::CliRun;

const char kResults[] =
    "[setup,2]\r\n"
    "setup1.zip,http://a/setup1.zip,http://p/,1,900,Tue, 01 Jul 2003 10:00:00 GMT\r\n"
    "setup1.zip,http://b/setup1.zip,http://q/,1,950,?? ??\r\n"
    ">\r\n"
    "setup2.zip,http://a/setup2.zip,http://p/,-1,0,?? ??\r\n"
    ">\r\n"
    "[@idrive~1,1]\r\n"
    "@idrive~1,http://idrive.com/u/f,http://p/,0,0,?? ??\r\n"
    "@idrive~1,http://idrive.com/u/g,http://p/,0,12345,?? ??\r\n"
    ">\r\n"
    "[movie,1]\r\n"
    "movie.rar,http://a/movie.rar,http://p/,2,0,?? ??\r\n"
    ">\r\n";

TEST(CliResults, PrintsTheListAndRewritesTheFile) {
  test::TempDir dir;
  dir.Write("r.txt", kResults);
  Outcome run = Cli({"--home", dir.path(), "results", dir.File("r.txt"), "--rewrite", dir.File("o.txt")});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out,
            "setup\tzip\t2\t2\t900\tSetPending\n"
            "@idrive~1\t\t?\t1\t12.3k\tServerFolder\n"
            "movie\trar\t1\t1\t?\tSingleFailed\n");
  std::string rewritten = kResults;
  rewritten.replace(rewritten.find(",-1,"), 4, ",0,");  // a probe in progress is read as waiting
  EXPECT_EQ(dir.Read("o.txt"), rewritten);

  // The valid files for a download manager.
  EXPECT_EQ(Cli({"results", dir.File("r.txt"), "--export", "list"}).out,
            "http://a/setup1.zip\nhttp://b/setup1.zip\n");
  EXPECT_EQ(Cli({"results", dir.File("r.txt"), "--export", "html"}).code, 2);

  EXPECT_EQ(Cli({"results", dir.File("absent.txt")}).code, 1);
  EXPECT_EQ(Cli({"results"}).code, 2);
  EXPECT_EQ(Cli({"results", "a", "b"}).code, 2);
}

TEST(CliVerify, ChecksEachLinkAndPrintsItInOrder) {
  ScriptServer server([](ScriptServer::Conn& c) {
    std::string request = c.ReadRequest();
    if (request.starts_with("HEAD /ok.zip ")) {
      c.Send("HTTP/1.1 200 OK\r\nContent-Length: 2048\r\nLast-Modified: Mon, 01 Dec 2003 10:00:00 GMT\r\n\r\n");
    } else {
      c.Send("HTTP/1.1 404 Not Found\r\n\r\n");
    }
  });
  test::TempDir home;
  home.Write("ORVI.ini", "[Config]\r\nNbRetry=0\r\nVerifyTimeOut=10\r\n");
  home.Write("list.txt", server.Url("/gone.zip") + "\r\n\r\n");
  Outcome run = Cli({"--home", home.path(), "verify", server.Url("/ok.zip"), "--in", home.File("list.txt")});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "Valid\t2048\t01 Dec 2003 10:00:00 GMT\t" + server.Url("/ok.zip") + "\n" +
                         "Failed\t0\t?? ??\t" + server.Url("/gone.zip") + "\n");
  EXPECT_EQ(Cli({"verify"}).code, 2);
  EXPECT_EQ(Cli({"verify", "--timeout", "0", "http://x/"}).code, 2);
}

TEST(CliVerify, ATimeOutLeavesTheLinkVerifyingAndExitsOne) {
  ScriptServer silent([](ScriptServer::Conn& c) {
    c.ReadRequest();
    c.HoldUntilClosed();
  });
  test::TempDir home;
  home.Write("ORVI.ini", "[Config]\r\nVerifyTimeOut=30\r\n");
  Outcome run = Cli({"--home", home.path(), "verify", "--timeout", "1", silent.Url("/slow.zip")});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "Verifying\t0\t?? ??\t" + silent.Url("/slow.zip") + "\n");
}

TEST(CliScan, AnalysesAPageVerifiesItsFilesAndSavesThem) {
  std::unique_ptr<ScriptServer> server;
  server = std::make_unique<ScriptServer>([&](ScriptServer::Conn& c) {
    std::string request = c.ReadRequest();
    if (request.starts_with("GET /page.html ")) {
      c.Send(ScriptServer::Response(
          "200 OK",
          "<html><body><h1>Downloads</h1>\r\n"
          "<a href=\"files/tool.zip\">tool</a> <a href=\"files/tool.exe\">tool exe</a>\r\n"
          "<a href=\"http://127.0.0.1:" + std::to_string(server->port()) + "/files/movie.rar\">movie</a>\r\n"
          "<a href=\"files/notes.txt\">notes</a></body></html>"));
    } else if (request.starts_with("HEAD /files/tool.zip ") || request.starts_with("HEAD /files/movie.rar ")) {
      c.Send("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n");
    } else {
      c.Send("HTTP/1.1 404 Not Found\r\n\r\n");
    }
  });
  test::TempDir home;
  home.Write("ORVI.ini", "[Config]\r\nNbRetry=0\r\nVerifyTimeOut=10\r\n");
  Outcome run = Cli({"--home", home.path(), "-q", "scan", server->Url("/page.html"), "--ext", " txt , "});
  EXPECT_EQ(run.code, 0) << run.err;
  // tool.zip and tool.exe start alike: one group of two, so the zip's key
  // loses what could be a volume number (none here: its first three letters stay).
  EXPECT_EQ(run.out,
            "too\tzip\t1\t1\t5.0k\tSingleValid\n"
            "tool\texe\t1\t1\t?\tSingleFailed\n"
            "movie\trar\t1\t1\t5.0k\tSingleValid\n"
            "notes\ttxt\t1\t1\t?\tSingleFailed\n");
  EXPECT_NE(home.Read("Save/scan.txt").find("tool.zip,http://127.0.0.1:"), std::string::npos);
  EXPECT_EQ(run.err, "");
}

TEST(CliResults, EntriesBeyondTheCatalogueAreCountedAndNeverSilentlyDropped) {
  test::TempDir dir;
  std::string text;
  for (int i = 0; i < 4100; ++i) {
    std::string k = "k" + std::to_string(i);
    text += "[" + k + ",1]\r\n" + k + ".zip,http://a/" + k + ".zip,p,1,10,?? ??\r\n>\r\n";
  }
  dir.Write("big.txt", text);
  Outcome run = Cli({"results", dir.File("big.txt")});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 4096);
  EXPECT_NE(run.err.find(" 4 entries did not fit"), std::string::npos) << run.err;
  run = Cli({"results", dir.File("big.txt"), "--rewrite", dir.File("out.txt")});
  EXPECT_EQ(run.code, 1);
  EXPECT_FALSE(std::filesystem::exists(dir.File("out.txt")));
}

TEST(CliResults, ControlBytesOfPageTextAreShownEscaped) {
  test::TempDir dir;
  // ESC ] 0 ; ... BEL retitles a terminal; 0x9D is the one-byte OSC.
  dir.Write("r.txt", "[ev\x1B]0;title\x07il\x9D\t,1]\r\nev.zip,http://a/ev.zip,p,1,10,?? ??\r\n>\r\n");
  Outcome run = Cli({"results", dir.File("r.txt")});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out, "ev\\x1B]0;title\\x07il\\x9D\\x09\tzip\t1\t1\t10\tSingleValid\n");
}

// A scan that is interrupted or reaches its bound: the exit code says so, and
// "not every link was verified" only when some link was not.
TEST(CliScan, InterruptsAndTheBoundEndTheCommand) {
  ScriptServer server([](ScriptServer::Conn& c) {
    std::string request = c.ReadRequest();
    if (request.starts_with("GET /empty.html ")) {
      c.Send(ScriptServer::Response("200 OK", "<html><body>nothing here</body></html>"));
    } else if (request.starts_with("GET /held.html ")) {
      c.Send(ScriptServer::Response("200 OK", "<html><body><a href=\"held.zip\">x</a></body></html>"));
    } else {
      c.HoldUntilClosed();  // the probe of held.zip never gets an answer
    }
  });
  test::TempDir home;
  home.Write("ORVI.ini", "[Config]\r\nNbRetry=0\r\nVerifyTimeOut=30\r\n");
  struct Case {
    const char* page;
    std::vector<std::string> extra;
    bool interrupt;
    int code;
    bool unverified;
  } cases[] = {
      {"/empty.html", {}, true, 130, false},
      {"/held.html", {"--timeout", "2"}, false, 1, true},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"--home", home.path(), "-q", "scan", server.Url(c.page)};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    std::ostringstream out, err;
    CliHooks hooks;
    if (c.interrupt) hooks.interruptWhen = [](const Context& ctx) { return ctx.run.FinishedCount >= 1; };
    EXPECT_EQ(RunCli(args, out, err, hooks), c.code) << c.page << err.str();
    EXPECT_EQ(err.str().find("not every link was verified") != std::string::npos, c.unverified)
        << c.page << err.str();
    // Either way the state is saved for a resume.
    EXPECT_NE(home.Read("rechsvg.ini").find("\r\n"), std::string::npos) << c.page;
  }
}

}  // namespace
}  // namespace orvi
