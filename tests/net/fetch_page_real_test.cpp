// The page client against servers nobody here wrote: nginx, and tinyproxy
// with Basic authentication, both from Debian, started on 127.0.0.1.
#include <gtest/gtest.h>

#include "net/fetch_page.h"
#include "support/real_servers.h"

namespace orvi {
namespace {

TEST(RealServers, NginxPagesAndListingsDirectAndThroughTinyproxy) {
  test::Nginx nginx;
  nginx.AddFile("small.html", "<html><body><a href=\"a.zip\">a</a></body></html>");
  nginx.AddFile("big.html", "<html>" + std::string(20000, 'b') + "</html>");
  nginx.AddFile("files/one.zip", "zip");
  nginx.AddFile("files/two.rar", "rar");
  nginx.AddFile("files/" + std::string(60, 'n') + ".ace", "ace");
  ASSERT_TRUE(nginx.Start()) << nginx.error();
  Context ctx{ContextOptions{.appFolder = "/tmp"}};
  // Long enough that a fetch waiting for nginx to drop the connection (it
  // keeps it 75 s) would end as "timeout" instead of with the page.
  ctx.settings.HttpTimeOut = 30;
  ctx.run.collecting = true;
  FetchError label = FetchError::None;
  auto get = [&](const std::string& path, bool stopAtBodyEnd = false) {
    return FetchPage(ctx, nginx.Url(path), label, stopAtBodyEnd, 0, "");
  };

  EXPECT_EQ(get("/small.html"), "\r\n<html><body><a href=\"a.zip\">a</a></body></html>");
  EXPECT_EQ(label, FetchError::None);
  std::optional<std::string> page = get("/big.html");
  EXPECT_EQ(label, FetchError::None);
  ASSERT_TRUE(page.has_value());
  EXPECT_EQ(page->size(), 20013u + 2);
  get("/missing.html");
  EXPECT_EQ(label, FetchError::Status40x);
  // A folder without its slash: nginx redirects.
  page = get("/files");
  EXPECT_EQ(label, FetchError::Redirect);
  ASSERT_TRUE(page.has_value());
  EXPECT_NE(page->find("Location: http://"), std::string::npos);
  // A chunked folder listing is decoded.
  page = get("/files/");
  EXPECT_EQ(label, FetchError::None);
  ASSERT_TRUE(page.has_value());
  EXPECT_NE(page->find("<a href=\"one.zip\">one.zip</a>"), std::string::npos) << *page;
  EXPECT_NE(page->find("<a href=\"two.rar\">two.rar</a>"), std::string::npos);
  EXPECT_NE(page->find("</html>"), std::string::npos);
  EXPECT_EQ(page->find("\r\n0\r\n"), std::string::npos);  // no chunk framing left

  test::Tinyproxy proxy;
  ASSERT_TRUE(proxy.Start("alice", "s3cret")) << proxy.error();
  ctx.settings.ProxyName = "127.0.0.1";
  ctx.settings.ProxyPort = proxy.port();
  ctx.settings.ProxyLogin = "alice";
  ctx.settings.ProxyPass = "s3cret";
  ctx.BuildProxyAuthHeader();
  page = get("/small.html", true);
  EXPECT_EQ(label, FetchError::None);
  ASSERT_TRUE(page.has_value());
  EXPECT_NE(page->find("<a href=\"a.zip\">a</a>"), std::string::npos);
  ctx.settings.ProxyPass = "wrong";
  ctx.BuildProxyAuthHeader();
  EXPECT_FALSE(get("/small.html", true).has_value());
  EXPECT_EQ(label, FetchError::Status40x);
}

}  // namespace
}  // namespace orvi
