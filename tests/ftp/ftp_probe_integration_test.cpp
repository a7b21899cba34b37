// The FTP probe against a scripted server: exact dialogues, multi-line
// replies, a passive reply that names another address.
#include <gtest/gtest.h>

#include "ftp/ftp_probe.h"
#include "support/script_server.h"

namespace orvi {
namespace {

using test::ScriptServer;
using Lines = std::vector<std::string>;

struct Script {
  std::string listing;  // sent on the data connection
  std::string pasvAddress = "127,0,0,1";
  std::string passReply = "230 Logged in\r\n";
  std::string listReply = "150 Here it comes\r\n";  // a refusal sends no listing
  std::string listDone = "226 Done\r\n";
  std::string sizeReply = "502 No\r\n";
  std::string mdtmReply = "502 No\r\n";
  bool multiLineGreeting = false;
  bool dripGreeting = false;  // a long greeting, a byte every 200 ms (40 s in all)
  // A command that is never answered: "USER", or "LIST" (whose listing
  // never comes). The server then notes the wait and whether the client
  // closed the data connection.
  std::string hangAt;
  std::atomic<bool>* waiting = nullptr;
  std::atomic<int>* dataClosedByClient = nullptr;  // -1 until known
};

// A small FTP server: greeting, USER, PASS, TYPE, CWD, PASV, LIST, SIZE, MDTM.
ScriptServer::Handler FtpScript(Script script) {
  return [script](ScriptServer::Conn& c) {
    if (script.dripGreeting) c.SendSlowly("220 " + std::string(200, 'x') + "\r\n", 1, 200);
    else c.Send(script.multiLineGreeting ? "220-Welcome\r\n220-to the\r\n server\r\n220 ready\r\n"
                                         : "220 ready\r\n");
    uint16_t dataPort = 0;
    int listener = ListenLoopback(dataPort);
    for (std::string line = c.ReadLine(); !line.empty(); line = c.ReadLine()) {
      if (!script.hangAt.empty() && line.starts_with(script.hangAt)) {
        if (script.hangAt == "LIST") {
          int data = ::accept(listener, nullptr, nullptr);
          c.Send("150 Here it comes\r\n");
          SetSocketTimeouts(data, 30000);
          *script.waiting = true;
          char byte;
          *script.dataClosedByClient = Receive(data, &byte, 1).bytes == 0;
          CloseSocket(data);
        }
        *script.waiting = true;
        c.HoldUntilClosed();
        break;
      }
      if (line.starts_with("USER")) c.Send("331 Password please\r\n");
      else if (line.starts_with("PASS")) c.Send(script.passReply);
      else if (line.starts_with("TYPE")) c.Send("200 Type set\r\n");
      else if (line.starts_with("CWD")) c.Send(line == "CWD /missing" ? "550 No\r\n" : "250 Ok\r\n");
      else if (line.starts_with("PASV")) {
        c.Send("227 Entering Passive Mode (" + script.pasvAddress + "," +
               std::to_string(dataPort / 256) + "," + std::to_string(dataPort % 256) + ")\r\n");
      } else if (line.starts_with("LIST") && !script.listReply.starts_with("1")) {
        c.Send(script.listReply);
      } else if (line.starts_with("LIST")) {
        int data = ::accept(listener, nullptr, nullptr);
        c.Send(script.listReply);
        SendAll(data, script.listing);
        CloseSocket(data);
        c.Send(script.listDone);
      } else if (line.starts_with("SIZE")) {
        c.Send(script.sizeReply);
      } else if (line.starts_with("MDTM")) {
        c.Send(script.mdtmReply);
      } else {
        c.Send("502 No\r\n");
      }
    }
    CloseSocket(listener);
  };
}

struct Outcome {
  bool ok;
  int64_t size;
  std::string date;
};

Outcome Probe(const std::string& url, int timeoutSeconds = 10) {
  SocketSlot slot;
  Outcome out{false, -1, "unchanged"};
  out.ok = ProbeFtpFile(url, slot, out.size, out.date, timeoutSeconds);
  EXPECT_EQ(slot.Get(), kInvalidSocket);  // the control connection is closed
  return out;
}

std::string Url(const ScriptServer& server, const std::string& path, const std::string& login = "") {
  return "ftp://" + login + "127.0.0.1:" + std::to_string(server.port()) + path;
}

// The whole dialogue of an anonymous probe: the folder and the name are
// decoded from the link, a file at the root is listed from "/", and the data
// connection goes to the control peer whatever address the passive reply names.
TEST(FtpProbeScripted, DialoguesAndListingForms) {
  Script multiLine{"-rw-r--r--   1 owner group   123456 Jan 01  2002 file.zip\r\n"};
  multiLine.multiLineGreeting = true;
  Script elsewhere{"-rw-r--r--   1 owner group   77777 Feb 02 02:02 f.zip\r\n"};
  elsewhere.pasvAddress = "10,255,255,1";
  struct {
    Script script;
    const char* path;
    int64_t size;
    const char *date, *cwd, *list;
  } cases[] = {
      {multiLine, "/pub/file.zip", 123456, "Jan 01  2002", "CWD /pub", "LIST file.zip"},
      // A directory is found too.
      {{"drwxr-xr-x   2 owner group   4096 Jan 01 12:00 folder\r\n"}, "/pub/folder", 0, "", "CWD /pub",
       "LIST folder"},
      {elsewhere, "/pub/f.zip", 77777, "Feb 02 02:02", "CWD /pub", "LIST f.zip"},
      {{"-rw-r--r--   1 owner group   4242 Mar 03 03:03 root.zip\r\n"}, "/root.zip", 4242, "Mar 03 03:03",
       "CWD /", "LIST root.zip"},
      // Past 32 bits, whole.
      {{"-rw-r--r--   1 o g   5368709120 Jan 01 12:00 space name.zip\r\n"}, "/my%20dir/space%20name.zip",
       INT64_C(5368709120), "Jan 01 12:00", "CWD /my dir", "LIST space name.zip"},
      // Raw accents (UTF-8) reach the server as the same bytes.
      {{"-rw-r--r--   1 o g   2002 Jan 01 12:00 \xC3\xA9t\xC3\xA9 2002.zip\r\n"},
       "/caf\xC3\xA9/\xC3\xA9t\xC3\xA9 2002.zip", 2002, "Jan 01 12:00", "CWD /caf\xC3\xA9",
       "LIST \xC3\xA9t\xC3\xA9 2002.zip"},
  };
  for (const auto& c : cases) {
    ScriptServer server(FtpScript(c.script));
    Outcome out = Probe(Url(server, c.path));
    EXPECT_TRUE(out.ok) << c.path;
    EXPECT_EQ(out.size, c.size);
    EXPECT_EQ(out.date, c.date);
    EXPECT_EQ(server.Requests(), (Lines{"USER anonymous", "PASS orvi@orvi", "TYPE A", c.cwd, "PASV", c.list}));
  }
}

TEST(FtpProbeScripted, FailuresEndTheProbe) {
  Script refused{"x\r\n"};
  refused.passReply = "530 Login incorrect\r\n";
  // Each byte of the greeting comes inside the receive time-out, but the
  // whole probe still ends by its deadline.
  Script drip{"-rw-r--r-- 1 o g 5 Jan 01 12:00 f\r\n"};
  drip.dripGreeting = true;
  struct {
    Script script;
    const char *login, *path;
    bool ok;
    int timeoutSeconds = 10;
  } cases[] = {
      {{""}, "", "/pub/file.zip", false},  // no CR LF in the listing
      {{"-rw-r--r-- 1 o g 5 Jan 01 12:00 f"}, "", "/pub/f", false},
      {{"x\r\n"}, "", "/missing/file.zip", false},
      {refused, "bob:bad@", "/p/f", false},
      {refused, "", "/p/f", true},  // anonymous logins go on whatever PASS answers
      {drip, "", "/pub/f", false, 1},
  };
  for (const auto& c : cases) {
    ScriptServer server(FtpScript(c.script));
    EXPECT_EQ(Probe(Url(server, c.path, c.login), c.timeoutSeconds).ok, c.ok) << c.login << c.path;
  }
  EXPECT_FALSE(Probe("ftp://no-such-host.invalid/pub/f").ok);
}

// A listing without a line for the file (Pure-FTPd splits "LIST my file.zip"
// at its space and finds "0 matches"; a server may refuse the LIST): SIZE and
// MDTM on the same connection tell the size and the date (UTC, written as the
// HTTP dates are). A server that knows neither fails the probe.
TEST(FtpProbeScripted, WithoutAListingLineSizeAndMdtmAnswer) {
  auto pure = [](std::string size, std::string mdtm, std::string listReply = "150 Accepted data connection\r\n") {
    Script s{""};
    s.listReply = listReply;
    s.listDone = "226-Options: -l\r\n226 0 matches total\r\n";
    s.sizeReply = size;
    s.mdtmReply = mdtm;
    return s;
  };
  struct {
    Script script;
    bool ok;
    int64_t size;
    const char* date;
  } cases[] = {
      {pure("213 4321\r\n", "213 20020131235958\r\n"), true, 4321, "31 Jan 2002 23:59:58 GMT"},
      {pure("213 5368709120\r\n", "213 19991201080910.123\r\n"), true, INT64_C(5368709120),
       "01 Dec 1999 08:09:10 GMT"},
      {pure("213 77\r\n", "550 No\r\n"), true, 77, ""},
      {pure("213 77\r\n", "213 20021301000000\r\n"), true, 77, ""},  // no thirteenth month
      {pure("550 No\r\n", "213 20020131235958\r\n"), true, 0, "31 Jan 2002 23:59:58 GMT"},
      {pure("213 4321\r\n", "213 20020131235958\r\n", "550 No such file\r\n"), true, 4321,
       "31 Jan 2002 23:59:58 GMT"},
      {pure("550 No\r\n", "550 No\r\n"), false, -1, "unchanged"},
      {pure("213 lots\r\n", "213 soon\r\n"), false, -1, "unchanged"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script.sizeReply + c.script.mdtmReply + c.script.listReply);
    ScriptServer server(FtpScript(c.script));
    Outcome out = Probe(Url(server, "/my%20dir/my%20file.zip"));
    EXPECT_EQ(out.ok, c.ok);
    if (c.ok) {
      EXPECT_EQ(out.size, c.size);
      EXPECT_EQ(out.date, c.date);
    }
    EXPECT_EQ(server.Requests(), (Lines{"USER anonymous", "PASS orvi@orvi", "TYPE A", "CWD /my dir", "PASV",
                                        "LIST my file.zip", "TYPE I", "SIZE my file.zip", "MDTM my file.zip"}));
  }
}

// An encoded line end would smuggle a command of its own: such a link is
// refused before anything is sent.
TEST(FtpProbeScripted, AnEncodedLineEndIsNoCommand) {
  ScriptServer server(FtpScript({"x\r\n"}));
  for (const char* path : {"/d/a%0D%0ADELE%20x.zip", "/d%0Ax/f.zip", "/d/a%0Db"}) {
    EXPECT_FALSE(Probe(Url(server, path)).ok) << path;
  }
  for (const std::string& line : server.Requests()) EXPECT_FALSE(line.starts_with("DELE")) << line;
}

// A break ends the probe whether it waits on the control connection (for the
// reply to USER) or on the data connection (for the listing).
TEST(FtpProbeScripted, ABreakFromAnotherThreadEndsAWait) {
  for (const char* hangAt : {"USER", "LIST"}) {
    std::atomic<bool> waiting{false};
    std::atomic<int> dataClosedByClient{-1};
    Script script{"x\r\n"};
    script.hangAt = hangAt;
    script.waiting = &waiting;
    script.dataClosedByClient = &dataClosedByClient;
    ScriptServer server(FtpScript(script));
    SocketSlot slot;
    int64_t size = 0;
    std::string date;
    bool ok = true;
    std::thread probe([&] { ok = ProbeFtpFile(Url(server, "/a/b"), slot, size, date, 60); });
    while (!waiting) std::this_thread::yield();
    slot.Break();
    probe.join();
    // The server sees the hang-up on its own thread, a moment later.
    const bool duringList = hangAt == std::string("LIST");
    while (duringList && dataClosedByClient < 0) std::this_thread::yield();
    EXPECT_FALSE(ok);
    EXPECT_EQ(dataClosedByClient.load(), duringList ? 1 : -1);
    EXPECT_EQ(slot.Get(), kInvalidSocket);
  }
}

}  // namespace
}  // namespace orvi
