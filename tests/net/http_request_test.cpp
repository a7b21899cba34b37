#include "net/http_request.h"

#include <gtest/gtest.h>

#include "support/script_server.h"

namespace orvi {
namespace {

// The proxy's credentials go out only through the proxy; extra lines follow.
TEST(BuildGetRequest, RequestBytesDirectAndThroughAProxy) {
  const std::string accept = test::kAcceptLine;
  struct {
    const char *proxy, *url, *extra, *host;
    std::string request;
  } cases[] = {
      {"", "HTTP://Example.com:8080/a/b.html?x=1", "", "Example.com:8080",
       "GET /a/b.html?x=1 HTTP/1.1\r\nHost: Example.com:8080\r\n" + accept + "\r\n"},
      {"", "http://example.com", "X-A: 1\r\n", "example.com",  // a bare host asks for "/"
       "GET / HTTP/1.1\r\nHost: example.com\r\n" + accept + "X-A: 1\r\n\r\n"},
      {"proxy.lan", "http://example.com/p", "Cookie: c=1\r\n", "proxy.lan",
       "GET http://example.com/p HTTP/1.1\r\nHost: example.com\r\n" + accept +
           "Proxy-authorization: Basic YWxpY2U6czNjcmV0\r\nCookie: c=1\r\n\r\n"},
      // Spaces, controls and bytes above 127 go out percent-encoded, what is
      // already encoded (or a lone "%") as it is; UTF-8 é is two bytes.
      {"", "http://h/\xC3\xA9t\xC3\xA9 2002.zip?n=a%20b c\t\x7F&p=100%", "", "h",
       "GET /%C3%A9t%C3%A9%202002.zip?n=a%20b%20c%09%7F&p=100% HTTP/1.1\r\nHost: h\r\n" + accept + "\r\n"},
      {"proxy.lan", "http://h/a b/\xE9.zip", "", "proxy.lan",
       "GET http://h/a%20b/%E9.zip HTTP/1.1\r\nHost: h\r\n" + accept +
           "Proxy-authorization: Basic YWxpY2U6czNjcmV0\r\n\r\n"},
  };
  for (const auto& c : cases) {
    GlobalSettings settings;
    settings.ProxyName = c.proxy;
    settings.ProxyLogin = "alice";
    settings.ProxyAuthHeader = BuildProxyAuthHeader("alice", "s3cret");
    std::string host, request;
    ASSERT_TRUE(BuildGetRequest(settings, c.url, host, request, c.extra)) << c.url;
    EXPECT_EQ(host, c.host);
    EXPECT_EQ(request, c.request);
  }
}

TEST(BuildGetRequest, RefusesOtherSchemesAndSmuggledLines) {
  GlobalSettings settings;
  std::string host, request;
  for (const std::string& url : {std::string("https://example.com/"), std::string("ftp://example.com/"),
                                 std::string("http:/"), std::string("http://a/x\r\nHost: evil"),
                                 std::string("http://a/\0b", 11)}) {
    EXPECT_FALSE(BuildGetRequest(settings, url, host, request, "")) << url;
  }
  // A host longer than 239 characters is cut.
  ASSERT_TRUE(BuildGetRequest(settings, "http://" + std::string(300, 'h') + "/p", host, request, ""));
  EXPECT_EQ(host.size(), 239u);
}

TEST(SplitHostPort, NamedPortsAndNames) {
  struct {
    const char* text;
    bool ok;
    const char* name;
    uint16_t port;
  } cases[] = {
      {"example.com", true, "example.com", 80},
      {"127.0.0.1:8080", true, "127.0.0.1", 8080},
      {"host:", true, "host", 80},
      {"user:pw@host", true, "user:pw@host", 80},  // not a port: the whole text is a (failing) name
      {"host:0", false, "", 0},
      {"host:65536", false, "", 0},
      {"host:0000000080", false, "", 0},
  };
  for (const auto& c : cases) {
    HostPort hp;
    ASSERT_EQ(SplitHostPort(c.text, hp), c.ok) << c.text;
    if (!c.ok) continue;
    EXPECT_EQ(hp.name, c.name);
    EXPECT_EQ(hp.port, c.port);
  }
}

}  // namespace
}  // namespace orvi
