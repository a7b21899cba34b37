#include "net/http_request.h"

#include <gtest/gtest.h>

namespace orvi {
namespace {

constexpr char kAccept[] =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, image/png, */*\r\n";

TEST(BuildGetRequest, DirectRequestBytes) {
  GlobalSettings settings;
  settings.ProxyLogin = "set but unused without a proxy";
  settings.ProxyAuthHeader = "Proxy-authorization: Basic eA==\r\n";
  std::string host, request;
  ASSERT_TRUE(BuildGetRequest(settings, "HTTP://Example.com:8080/a/b.html?x=1", host, request, ""));
  EXPECT_EQ(host, "Example.com:8080");
  EXPECT_EQ(request, std::string("GET /a/b.html?x=1 HTTP/1.1\r\nHost: Example.com:8080\r\n") +
                         kAccept + "\r\n");
  // A bare host asks for "/".
  ASSERT_TRUE(BuildGetRequest(settings, "http://example.com", host, request, "X-A: 1\r\n"));
  EXPECT_EQ(host, "example.com");
  EXPECT_EQ(request,
            std::string("GET / HTTP/1.1\r\nHost: example.com\r\n") + kAccept + "X-A: 1\r\n\r\n");
}

TEST(BuildGetRequest, ProxyRequestBytes) {
  GlobalSettings settings;
  settings.ProxyName = "proxy.lan";
  settings.ProxyAuthHeader = BuildProxyAuthHeader("alice", "s3cret");
  std::string host, request;
  ASSERT_TRUE(BuildGetRequest(settings, "http://example.com/p", host, request, "Cookie: c=1\r\n"));
  EXPECT_EQ(host, "proxy.lan");
  EXPECT_EQ(request, std::string("GET http://example.com/p HTTP/1.1\r\nHost: example.com\r\n") +
                         kAccept + "Proxy-authorization: Basic YWxpY2U6czNjcmV0\r\n" +
                         "Cookie: c=1\r\n\r\n");
}

TEST(BuildGetRequest, RefusesOtherSchemesAndSmuggledLines) {
  GlobalSettings settings;
  std::string host, request;
  EXPECT_FALSE(BuildGetRequest(settings, "https://example.com/", host, request, ""));
  EXPECT_FALSE(BuildGetRequest(settings, "ftp://example.com/", host, request, ""));
  EXPECT_FALSE(BuildGetRequest(settings, "http:/", host, request, ""));
  EXPECT_FALSE(BuildGetRequest(settings, "http://a/x\r\nHost: evil", host, request, ""));
  EXPECT_FALSE(BuildGetRequest(settings, std::string("http://a/\0b", 11), host, request, ""));
  // A host longer than 239 characters is cut.
  ASSERT_TRUE(BuildGetRequest(settings, "http://" + std::string(300, 'h') + "/p", host, request, ""));
  EXPECT_EQ(host.size(), 239u);
}

TEST(SplitHostPort, NamedPortsAndNames) {
  HostPort hp;
  ASSERT_TRUE(SplitHostPort("example.com", hp));
  EXPECT_EQ(hp.name, "example.com");
  EXPECT_EQ(hp.port, 80);
  ASSERT_TRUE(SplitHostPort("127.0.0.1:8080", hp));
  EXPECT_EQ(hp.name, "127.0.0.1");
  EXPECT_EQ(hp.port, 8080);
  ASSERT_TRUE(SplitHostPort("host:", hp));
  EXPECT_EQ(hp.name, "host");
  EXPECT_EQ(hp.port, 80);
  // Not a port: the whole text is a (failing) name, as before.
  ASSERT_TRUE(SplitHostPort("user:pw@host", hp));
  EXPECT_EQ(hp.name, "user:pw@host");
  EXPECT_FALSE(SplitHostPort("host:0", hp));
  EXPECT_FALSE(SplitHostPort("host:65536", hp));
  EXPECT_FALSE(SplitHostPort("host:0000000080", hp));
}

}  // namespace
}  // namespace orvi
