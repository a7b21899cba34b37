// The link verification against nginx and a real FTP server.
#include <gtest/gtest.h>

#include <filesystem>

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

// A real 5 GiB file (sparse: no disk is used) over HTTP and FTP, and an FTP
// name with a space, written percent-encoded in its link.
TEST(VerificationReal, LargeFilesAndEncodedFtpNames) {
  constexpr uintmax_t kFiveGiB = uintmax_t{5} << 30;
  test::Nginx nginx;
  nginx.AddFile("big/huge.zip", "");
  std::filesystem::resize_file(nginx.dir().path() + "www/big/huge.zip", kFiveGiB);
  ASSERT_TRUE(nginx.Start()) << nginx.error();
  test::FtpServer ftp;
  ftp.AddFile("anon/pub/huge.zip", "");
  std::filesystem::resize_file(ftp.dir().path() + "anon/pub/huge.zip", kFiveGiB);
  ftp.AddFile("anon/my dir/space name.zip", std::string(4321, 's'));
  ASSERT_TRUE(ftp.Start("bob", "s3cret")) << ftp.error();

  Context ctx{ContextOptions{.appFolder = "/tmp"}};
  ctx.settings.VerifyTimeOut = 10;
  ctx.settings.NbRetry = 1;
  std::vector<FoundFile*> files =
      test::AddFiles(ctx, {nginx.Url("/big/huge.zip"), ftp.AnonymousUrl("/pub/huge.zip"),
                           ftp.AnonymousUrl("/my%20dir/space%20name.zip")});
  StartVerification(ctx);
  ASSERT_TRUE(test::WaitSettled(files));
  for (FoundFile* f : files) EXPECT_EQ(f->State(), FileState::Valid) << f->url;
  EXPECT_EQ(files[0]->size.load(), int64_t{5} << 30);
  EXPECT_EQ(files[1]->size.load(), int64_t{5} << 30);
  EXPECT_EQ(files[2]->size.load(), 4321);
}

}  // namespace
}  // namespace orvi
