#include <gtest/gtest.h>


#include "cli_runner.h"
#include "support/temp_dir.h"

namespace orvi {
namespace {

using test::Cli;
using test::CliRun;

TEST(Cli, HelpAndVersion) {
  EXPECT_EQ(Cli({"--version"}).out, "0.41\n");
  CliRun help = Cli({"--help"});
  EXPECT_EQ(help.code, 0);
  EXPECT_NE(help.out.find("config [--save]"), std::string::npos);
}

TEST(Cli, ConfigPrintsTheEffectiveSettingsAndSavesThem) {
  test::TempDir home;
  home.Write("ORVI.ini", "[Config]\r\nMaxConnect=30\r\nMinConnect=40\r\nProxyName=  proxy.lan \r\n");
  CliRun run = Cli({"--home", home.path(), "config"});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out,
            "MinConnect=24\nMaxConnect=24\nHttpTimeOut=60\nVerifyTimeOut=60\nNbRetry=3\n"
            "ProxyName=proxy.lan\nProxyPort=0\nProxyLogin=\nProxyPass=\nNewWindow=0\n"
            "ColorPrinc=7915770\nColorDialog=15124680\nColorProfil=15527125\nAutosave=0\n"
            "StartWindow=1\n");
  EXPECT_EQ(home.Read("ORVI.ini"),
            "[Config]\r\nMaxConnect=30\r\nMinConnect=40\r\nProxyName=  proxy.lan \r\n");
  EXPECT_EQ(Cli({"--home", home.path(), "config", "--save"}).code, 0);
  EXPECT_EQ(home.Read("ORVI.ini"),
            "[Config]\r\nMaxConnect=24\r\nMinConnect=24\r\nProxyName=proxy.lan\r\n"
            "HttpTimeOut=60\r\nVerifyTimeOut=60\r\nNbRetry=3\r\nProxyPort=0\r\nProxyLogin=\r\n"
            "ProxyPass=\r\nNewWindow=0\r\nColorPrinc=7915770\r\nColorDialog=15124680\r\n"
            "ColorProfil=15527125\r\nAutosave=0\r\nStartWindow=1\r\n");
}

TEST(Cli, ConfigSaveIntoAnUnwritableFolderFails) {
  CliRun run = Cli({"--home", "/nonexistent/folder", "config", "--save"});
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.err.find("cannot write"), std::string::npos);
}

}  // namespace
}  // namespace orvi
