// Pages and file checks over http and https (allowed in section "Net"): nginx with the
// certificates of an authority the tests make, tinyproxy tunnelling, and
// loopback servers that break the handshake or hold a read.
#include <gtest/gtest.h>
#include <openssl/ssl.h>
#include <signal.h>
#include <sys/socket.h>

#include <sstream>
#include <thread>

#include "app/cli.h"
#include "net/fetch_page.h"
#include "platform/ini_file.h"
#include "results/verification_support.h"
#include "support/real_servers.h"
#include "support/script_server.h"

namespace orvi {
namespace {

std::string Secure(const test::ScriptServer& server, const std::string& path = "/") {
  return "https://127.0.0.1:" + std::to_string(server.port()) + path;
}

class HttpsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    authority = new test::TestAuthority;
    made = authority->Make() && authority->Issue("local", "IP:127.0.0.1,DNS:localhost") &&
           authority->Issue("other", "DNS:other.example") &&
           authority->Issue("expired", "IP:127.0.0.1", -1);
  }
  static void TearDownTestSuite() {
    delete authority;
    authority = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(made) << authority->error();
    Allow(ctx, authority->CaFile());
    ctx.run.collecting = true;
  }
  static void Allow(Context& c, const std::string& caFile) {
    c.netSettings = {.Https = true, .CaFile = caFile};
    // Long enough that a fetch waiting for nginx's keep-alive to end would
    // end as "timeout" with a page under 1024 bytes.
    c.settings.HttpTimeOut = c.settings.VerifyTimeOut = 20;
    c.settings.NbRetry = 1;
  }
  // nginx with the named certificate ("" for none: plain http), and plain
  // http on a second port when asked.
  static bool Start(test::Nginx& nginx, const std::string& name, uint16_t plainPort = 0) {
    if (!name.empty()) nginx.UseTls(authority->Certificate(name), authority->Key(name));
    return nginx.Start(plainPort == 0 ? "" : "    listen 127.0.0.1:" + std::to_string(plainPort) + ";\n");
  }
  std::optional<std::string> Fetch(const std::string& url) { return FetchPage(ctx, url, label, false, 0, ""); }
  std::optional<std::string> Head(const std::string& url, int64_t& size, std::string& date) {
    SocketSlot slot;
    bool timedOut = false;
    return ProbeFile(ctx, url, slot, timedOut, true, size, date);
  }

  static inline test::TestAuthority* authority = nullptr;
  static inline bool made = false;
  Context ctx{ContextOptions{.appFolder = "/tmp"}};
  FetchError label = FetchError::None;
};

TEST_F(HttpsTest, PagesAndFileChecksAsOverHttp) {
  test::Nginx nginx;
  nginx.AddFile("page.html", "<html><body>" + std::string(20000, 'p') + "</body></html>");
  nginx.AddFile("huge.html", "<html>" + std::string(200000, 'h') + "</html>");
  nginx.AddFile("small.html", "<html><body><a href=\"f/file.zip\">f</a></body></html>");
  nginx.AddFile("f/file.zip", std::string(31337, 'z'));
  const uint16_t plain = test::FreePort();
  ASSERT_TRUE(Start(nginx, "local", plain)) << nginx.error();
  const std::string http = "http://127.0.0.1:" + std::to_string(plain);
  const std::string https = nginx.Url("");
  // Content-Length, a page cut at the byte limits, a chunked folder listing
  // and a page under 1024 bytes on a kept-alive connection: all as over http.
  // (Where the huge page is cut depends on how the bytes arrive: its
  // beginning is compared.)
  for (const char* path : {"/page.html", "/huge.html", "/f/", "/small.html"}) {
    std::optional<std::string> clear = Fetch(http + path);
    ASSERT_EQ(label, FetchError::None) << path;
    std::optional<std::string> secure = Fetch(https + path);
    EXPECT_EQ(label, FetchError::None) << path;
    ASSERT_TRUE(secure && clear) << path;
    const size_t compared = std::string_view(path) == "/huge.html" ? kReadEnough - 500 : clear->size();
    EXPECT_TRUE(secure->size() >= compared && secure->compare(0, compared, *clear, 0, compared) == 0) << path;
    EXPECT_LE(secure->size(), kMaxReceived) << path;
  }
  EXPECT_EQ(Fetch(http + "/small.html"), "\r\n<html><body><a href=\"f/file.zip\">f</a></body></html>");
  // A chunked folder listing is decoded; a folder without its slash redirects.
  const std::optional<std::string> listing = Fetch(https + "/f/");
  EXPECT_NE(listing->find("<a href=\"file.zip\">file.zip</a>"), std::string::npos);
  EXPECT_EQ(listing->find("\r\n0\r\n"), std::string::npos);
  EXPECT_NE(Fetch(http + "/f").value_or("").find("Location: http://"), std::string::npos);
  EXPECT_EQ(label, FetchError::Redirect);
  EXPECT_FALSE(Fetch(https + "/missing.html"));
  EXPECT_EQ(label, FetchError::Status40x);
  // A name is checked against the certificate's names, and goes out as SNI.
  EXPECT_EQ(Fetch("https://localhost:" + std::to_string(nginx.port()) + "/small.html"),
            Fetch(http + "/small.html"));

  int64_t clearSize = 0, secureSize = 0;
  std::string clearDate, secureDate;
  ASSERT_TRUE(Head(http + "/f/file.zip", clearSize, clearDate));
  ASSERT_TRUE(Head(https + "/f/file.zip", secureSize, secureDate));
  EXPECT_EQ(secureSize, 31337);
  EXPECT_EQ(secureDate, clearDate);
  EXPECT_FALSE(secureDate.empty());

  std::vector<FoundFile*> files = test::AddFiles(ctx, {https + "/f/file.zip", https + "/f/missing.zip"});
  StartVerification(ctx);
  ASSERT_TRUE(test::WaitSettled(files));
  EXPECT_EQ(files[0]->State(), FileState::Valid);
  EXPECT_EQ(files[0]->size, 31337);
  EXPECT_EQ(files[1]->State(), FileState::Failed);
}

TEST_F(HttpsTest, AnUntrustedServerIsRefusedWithTlsAndFailed) {
  struct Case {
    const char* what;
    const char* certificate;  // "" : nginx speaks plain http on the port
    bool withCaFile;
    const char* caFile = nullptr;  // instead of the authority's
  } cases[] = {
      {"an authority the client does not know", "local", false},
      {"a certificate for another host", "other", true},
      {"an expired certificate", "expired", true},
      {"plain http on the https port", "", true},
      {"a certificate bundle that cannot be read", "local", true, "/nonexistent/ca.pem"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::Nginx nginx;
    nginx.AddFile("file.zip", std::string(3000, 'z'));
    ASSERT_TRUE(Start(nginx, c.certificate)) << nginx.error();
    const std::string url = "https://127.0.0.1:" + std::to_string(nginx.port()) + "/file.zip";
    Context checked{ContextOptions{.appFolder = "/tmp"}};
    Allow(checked, c.caFile ? c.caFile : c.withCaFile ? authority->CaFile() : "");
    FetchError failure = FetchError::None;
    EXPECT_FALSE(FetchPage(checked, url, failure, false, 0, "").has_value());
    EXPECT_EQ(LabelText(failure), std::string("TLS"));
    std::vector<FoundFile*> files = test::AddFiles(checked, {url});
    StartVerification(checked);
    ASSERT_TRUE(test::WaitSettled(files));
    EXPECT_EQ(files[0]->State(), FileState::Failed);
  }
}

TEST_F(HttpsTest, AHandshakeCutOrLeftHangingEndsWithTls) {
  // What a server may send before it stops: the head of a ServerHello record.
  const std::string partial("\x16\x03\x03\x00\x50\x02\x00\x00\x4c\x03\x03", 11);
  for (bool hold : {false, true}) {
    SCOPED_TRACE(hold ? "held open" : "closed");
    test::ScriptServer server([&](test::ScriptServer::Conn& conn) {
      char hello[512];
      (void)::recv(conn.fd(), hello, sizeof hello, 0);
      conn.Send(partial);
      if (hold) conn.HoldUntilClosed();
    });
    ctx.settings.HttpTimeOut = 1;  // the whole fetch ends within 4 s
    EXPECT_FALSE(Fetch(Secure(server, "/a.html")).has_value());
    EXPECT_EQ(label, FetchError::Tls);
    EXPECT_EQ(ctx.sockets.RegisteredCount(), 0);
  }
}

// A TLS server that takes the request and then says nothing until the client
// goes: the client's read blocks inside TLS.
class SilentTlsServer {
 public:
  SilentTlsServer(const std::string& certificate, const std::string& key)
      : tls_(SSL_CTX_new(TLS_server_method())),
        server_([this](test::ScriptServer::Conn& conn) { Serve(conn.fd()); }) {
    SSL_CTX_use_certificate_chain_file(tls_, certificate.c_str());
    SSL_CTX_use_PrivateKey_file(tls_, key.c_str(), SSL_FILETYPE_PEM);
  }
  ~SilentTlsServer() { SSL_CTX_free(tls_); }
  std::string Url() const { return Secure(server_, "/slow.html"); }
  int Connections() const { return server_.Connections(); }
  std::atomic<bool> gotRequest{false};

 private:
  void Serve(int fd) {
    // OpenSSL's own socket layer writes without MSG_NOSIGNAL: a client that
    // went would raise SIGPIPE on this thread.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    SSL* ssl = SSL_new(tls_);
    SSL_set_fd(ssl, fd);
    char buffer[4096];
    if (SSL_accept(ssl) == 1 && SSL_read(ssl, buffer, sizeof buffer) > 0) {
      gotRequest = true;
      while (SSL_read(ssl, buffer, sizeof buffer) > 0) {
      }
    }
    SSL_free(ssl);
  }
  SSL_CTX* tls_;
  test::ScriptServer server_;
};

TEST_F(HttpsTest, AStopBreaksAReadBlockedInsideTls) {
  SilentTlsServer server(authority->Certificate("local"), authority->Key("local"));
  ctx.settings.HttpTimeOut = 600;
  std::thread fetch([&] { Fetch(server.Url()); });
  while (!server.gotRequest) std::this_thread::yield();
  {  // as a stop of the run does
    std::lock_guard lock(ctx.QueueLock);
    ctx.run.collecting = false;
    ++ctx.run.generation;
  }
  ctx.sockets.CloseAllSockets();
  fetch.join();  // returns at once: no time-out had to pass
  // The peer's close may overtake the local one: either way, no new try.
  EXPECT_TRUE(label == FetchError::NRead0 || label == FetchError::Recv) << LabelText(label);
  EXPECT_EQ(server.Connections(), 1);
}

TEST_F(HttpsTest, AThousandFetchesLeaveNoDescriptorOpen) {
  test::Nginx nginx;
  nginx.AddFile("small.html", "<html><body>small</body></html>");
  ASSERT_TRUE(Start(nginx, "local")) << nginx.error();
  Fetch(nginx.Url("/small.html"));  // the TLS configuration is built once, at the first
  const int before = test::OpenDescriptors();
  int whole = 0;
  for (int i = 0; i < 1000; ++i) whole += Fetch(nginx.Url("/small.html")).has_value();
  EXPECT_EQ(whole, 1000);
  EXPECT_EQ(test::OpenDescriptors(), before);
  EXPECT_EQ(ctx.sockets.RegisteredCount(), 0);
}

// Plain http goes to the proxy as a GET, https through a tunnel.
TEST_F(HttpsTest, TinyproxyForwardsAndTunnelsWithItsBasicAuthorization) {
  test::Nginx nginx;
  nginx.AddFile("page.html", "<html><body>" + std::string(5000, 't') + "</body></html>");
  const uint16_t plain = test::FreePort();
  ASSERT_TRUE(Start(nginx, "local", plain)) << nginx.error();
  test::Tinyproxy proxy;
  ASSERT_TRUE(proxy.Start("bob", "s3cret")) << proxy.error();
  ctx.settings.ProxyName = "127.0.0.1";
  ctx.settings.ProxyPort = proxy.port();
  for (const std::string& url : {"http://127.0.0.1:" + std::to_string(plain) + "/page.html", nginx.Url("/page.html")}) {
    for (const char* password : {"s3cret", "wrong"}) {
      SCOPED_TRACE(url + password);
      const bool right = std::string(password) == "s3cret";
      ctx.settings.ProxyLogin = "bob";
      ctx.settings.ProxyPass = password;
      ctx.BuildProxyAuthHeader();
      std::optional<std::string> page = Fetch(url);
      EXPECT_EQ(label, right ? FetchError::None : FetchError::Status40x);
      EXPECT_EQ(page.has_value() && page->find(std::string(5000, 't')) != std::string::npos, right);
      int64_t size = 0;
      std::string date;
      EXPECT_EQ(Head(url, size, date).has_value(), right);
      EXPECT_EQ(size, right ? 5000 + 26 : 0);
    }
  }
}

TEST_F(HttpsTest, SectionNetIsPrintedAndWrittenOnlyWhenSet) {
  struct Case {
    const char* net;    // section "Net" of the file
    const char* tail;   // what config prints after the keys of [Config]
    bool allowsHttps;
  } cases[] = {
      {"", "StartWindow=1\n", false},
      {"[Net]\r\nHttps=1\r\nCaFile=/etc/ca.pem\r\n", "StartWindow=1\nHttps=1\nCaFile=/etc/ca.pem\n", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.net);
    test::TempDir home;
    home.Write("ORVI.ini", std::string("[Config]\r\nNbRetry=2\r\n") + c.net);
    std::ostringstream out, err;
    ASSERT_EQ(RunCli({"--home", home.path(), "config", "--save"}, out, err), 0) << err.str();
    EXPECT_TRUE(out.str().ends_with(c.tail)) << out.str();
    EXPECT_EQ(home.Read("ORVI.ini").find("[Net]") != std::string::npos, *c.net != '\0');
    Context loaded{ContextOptions{.appFolder = home.path()}};
    loaded.LoadSettings();
    EXPECT_EQ(loaded.netSettings.Https, c.allowsHttps);
  }
}

}  // namespace
}  // namespace orvi
