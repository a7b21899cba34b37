// The link verification against nginx and a real FTP server.
#include <gtest/gtest.h>

#include <tuple>

#include "support/real_servers.h"
#include "verification_support.h"

namespace orvi {
namespace {

// Valid files of nginx and of anonymous FTP are checked by the scan command.
TEST(VerificationReal, FtpLoginsAndMissingFiles) {
  test::FtpServer ftp;
  ftp.AddFile("user/pub/disk2.rar", std::string(65001, 'r'));
  ASSERT_TRUE(ftp.Start("bob", "s3cret")) << ftp.error();
  Context ctx{ContextOptions{.appFolder = "/tmp"}};
  std::tie(ctx.settings.VerifyTimeOut, ctx.settings.NbRetry) = std::tuple(10, 1);
  std::vector<FoundFile*> files =
      test::AddFiles(ctx, {ftp.UserUrl("bob", "s3cret", "/pub/disk2.rar"), ftp.UserUrl("bob", "nope", "/pub/disk2.rar"),
                           ftp.AnonymousUrl("/pub/missing.rar")});
  StartVerification(ctx);
  ASSERT_TRUE(test::WaitSettled(files));
  EXPECT_EQ(std::tuple(files[0]->State(), files[0]->size.load()), std::tuple(FileState::Valid, 65001));
  EXPECT_EQ(std::tuple(files[1]->State(), files[2]->State()), std::tuple(FileState::Failed, FileState::Failed));
}

// A file behind redirections: the final answer decides, with its size, and
// the file keeps the address it was found at. Five redirections are followed,
// not six; a chain that ends on a page, loops or leaves for https while https
// is off fails, as does a missing file. nginx writes "Sun, 06 Dec 2026
// 10:00:00 GMT": the weekday is skipped.
TEST(VerificationReal, RedirectionsAreFollowedToTheFile) {
  test::Nginx nginx;
  nginx.AddFile("files/real.zip", std::string(4242, 'z'));
  nginx.AddFile("files/\xC3\xA9t\xC3\xA9 2002.zip", std::string(2002, 'e'));
  nginx.AddFile("index.html", "<html><body>Welcome</body></html>");
  std::string locations =
      "    absolute_redirect off;\n"
      "    location = /moved.zip { return 301 http://$http_host/files/real.zip; }\n"
      "    location = /found.zip { return 302 /files/real.zip; }\n"
      "    location = /files/relative.zip { return 302 real.zip; }\n"
      "    location = /scheme.zip { return 307 //$http_host/files/real.zip; }\n"
      "    location = /accent.zip { return 302 \"/files/\xC3\xA9t\xC3\xA9 2002.zip\"; }\n"
      "    location = /chain5.zip { return 302 /files/real.zip; }\n"
      "    location = /page.zip { return 302 /index.html; }\n"
      "    location = /loop.zip { return 302 /loop2.zip; }\n"
      "    location = /loop2.zip { return 301 /loop.zip; }\n"
      "    location = /secure.zip { return 302 https://$http_host/files/real.zip; }\n";
  for (int hop = 0; hop < 5; ++hop) {
    locations += "    location = /chain" + std::to_string(hop) + ".zip { return 302 /chain" +
                 std::to_string(hop + 1) + ".zip; }\n";
  }
  ASSERT_TRUE(nginx.Start(locations)) << nginx.error();

  struct {
    const char* path;
    FileState state;
    int64_t size;
  } cases[] = {
      {"/moved.zip", FileState::Valid, 4242},  {"/found.zip", FileState::Valid, 4242},
      {"/files/relative.zip", FileState::Valid, 4242}, {"/scheme.zip", FileState::Valid, 4242},
      {"/accent.zip", FileState::Valid, 2002},
      {"/chain3.zip", FileState::Valid, 4242},  // three hops
      {"/chain1.zip", FileState::Valid, 4242},  // five
      {"/chain0.zip", FileState::Failed, 0},    // six
      {"/page.zip", FileState::Failed, 0},      {"/loop.zip", FileState::Failed, 0},
      {"/secure.zip", FileState::Failed, 0},
      {"/index.html", FileState::Valid, 33},  // a page asked for directly is as it always was
      {"/files/missing.zip", FileState::Failed, 0},
  };
  Context ctx{ContextOptions{.appFolder = "/tmp"}};
  std::tie(ctx.settings.VerifyTimeOut, ctx.settings.NbRetry) = std::tuple(10, 1);
  ctx.netSettings.Https = false;
  std::vector<std::string> urls;
  for (const auto& c : cases) urls.push_back(nginx.Url(c.path));
  std::vector<FoundFile*> files = test::AddFiles(ctx, urls);
  StartVerification(ctx);
  ASSERT_TRUE(test::WaitSettled(files));
  for (size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(cases[i].path);
    EXPECT_EQ(std::tuple(files[i]->State(), files[i]->size.load(), files[i]->url),
              std::tuple(cases[i].state, cases[i].size, urls[i]));
    const std::string date = files[i]->Date();
    if (cases[i].state == FileState::Valid) {
      EXPECT_TRUE(date.size() == 24 && date.ends_with(" GMT") && isdigit(date[0])) << date;
    }
  }
}

}  // namespace
}  // namespace orvi
