// The link verification against nginx and a real FTP server.
#include <gtest/gtest.h>


#include "support/real_servers.h"
#include "verification_support.h"

namespace orvi {
namespace {

TEST(VerificationReal, NginxAndFtpFiles) {
  test::Nginx nginx;
  nginx.AddFile("files/setup.zip", std::string(31337, 's'));
  ASSERT_TRUE(nginx.Start()) << nginx.error();
  test::FtpServer ftp;
  ftp.AddFile("anon/pub/disk1.rar", std::string(65000, 'r'));
  ftp.AddFile("user/pub/disk2.rar", std::string(65001, 'r'));
  ASSERT_TRUE(ftp.Start("bob", "s3cret")) << ftp.error();

  Context ctx{ContextOptions{.appFolder = "/tmp"}};
  ctx.settings.VerifyTimeOut = 10;
  ctx.settings.NbRetry = 1;
  std::vector<FoundFile*> files = test::AddFiles(
      ctx, {nginx.Url("/files/setup.zip"), nginx.Url("/files/missing.zip"),
            ftp.AnonymousUrl("/pub/disk1.rar"), ftp.UserUrl("bob", "s3cret", "/pub/disk2.rar"),
            ftp.UserUrl("bob", "nope", "/pub/disk2.rar"), ftp.AnonymousUrl("/pub/missing.rar")});
  StartVerification(ctx);
  ASSERT_TRUE(test::WaitSettled(files));

  EXPECT_EQ(files[0]->State(), FileState::Valid);
  EXPECT_EQ(files[0]->size, 31337);
  // nginx writes "Sun, 06 Dec 2026 10:00:00 GMT": the weekday is skipped.
  std::string date = files[0]->Date();
  EXPECT_TRUE(date.size() == 24 && date.ends_with(" GMT") && isdigit(date[0])) << date;
  EXPECT_EQ(files[1]->State(), FileState::Failed);
  EXPECT_EQ(files[2]->State(), FileState::Valid);
  EXPECT_EQ(files[2]->size, 65000);
  EXPECT_EQ(files[3]->State(), FileState::Valid);
  EXPECT_EQ(files[3]->size, 65001);
  EXPECT_EQ(files[4]->State(), FileState::Failed);
  EXPECT_EQ(files[5]->State(), FileState::Failed);
}

// A file behind redirections: the final answer decides, with its size, and
// the file keeps the address it was found at. Five redirections are followed,
// not six; a chain that ends on a page, loops or leaves for https while https
// is off fails.
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
  };
  Context ctx{ContextOptions{.appFolder = "/tmp"}};
  ctx.settings.VerifyTimeOut = 10;
  ctx.settings.NbRetry = 1;
  ctx.netSettings.Https = false;
  std::vector<std::string> urls;
  for (const auto& c : cases) urls.push_back(nginx.Url(c.path));
  std::vector<FoundFile*> files = test::AddFiles(ctx, urls);
  StartVerification(ctx);
  ASSERT_TRUE(test::WaitSettled(files));
  for (size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(cases[i].path);
    EXPECT_EQ(files[i]->State(), cases[i].state);
    EXPECT_EQ(files[i]->size.load(), cases[i].size);
    EXPECT_EQ(files[i]->url, urls[i]);
    if (cases[i].state == FileState::Valid) {
      EXPECT_TRUE(files[i]->Date().ends_with(" GMT")) << files[i]->Date();
    }
  }
}

}  // namespace
}  // namespace orvi
