// The FTP probe against a real server from Debian (pyftpdlib).
#include <gtest/gtest.h>

#include "ftp/ftp_probe.h"
#include "support/real_servers.h"

namespace orvi {
namespace {

TEST(FtpProbeReal, AnonymousAndAuthenticatedListings) {
  test::FtpServer server;
  server.AddFile("anon/pub/file.zip", std::string(54321, 'z'));
  server.AddFile("user/private/data.rar", std::string(4321, 'r'));
  ASSERT_TRUE(server.Start("bob", "s3cret")) << server.error();

  SocketSlot slot;
  int64_t size = 0;
  std::string date;
  ASSERT_TRUE(ProbeFtpFile(server.AnonymousUrl("/pub/file.zip"), slot, size, date, 10));
  EXPECT_EQ(size, 54321);
  EXPECT_NE(date.find(':'), std::string::npos) << date;  // a file of today lists its time

  ASSERT_TRUE(ProbeFtpFile(server.UserUrl("bob", "s3cret", "/private/data.rar"), slot, size, date, 10));
  EXPECT_EQ(size, 4321);
  EXPECT_FALSE(ProbeFtpFile(server.UserUrl("bob", "wrong", "/private/data.rar"), slot, size, date, 10));
  // A missing file lists nothing: no line, no success.
  EXPECT_FALSE(ProbeFtpFile(server.AnonymousUrl("/pub/missing.zip"), slot, size, date, 10));
  EXPECT_FALSE(ProbeFtpFile(server.AnonymousUrl("/nowhere/file.zip"), slot, size, date, 10));
}

}  // namespace
}  // namespace orvi
