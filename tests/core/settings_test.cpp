#include "core/settings.h"

#include <gtest/gtest.h>

#include "core/base64.h"
#include "core/context.h"
#include "support/temp_dir.h"

namespace orvi {
namespace {

GlobalSettings Load(const std::string& config) {
  return ReadGlobalSettings(IniFile::Parse("[Config]\r\n" + config));
}

TEST(Settings, DefaultsWithoutAFile) {
  GlobalSettings s = ReadGlobalSettings(IniFile{});
  // MinConnect 6 brings MaxConnect 20 down to 14.
  EXPECT_EQ(s.MaxConnect, 14);
  EXPECT_EQ(s.MinConnect, 6);
  EXPECT_EQ(s.HttpTimeOut, 60);
  EXPECT_EQ(s.VerifyTimeOut, 60);
  EXPECT_EQ(s.NbRetry, 3);
  EXPECT_EQ(s.ProxyName, "");
  EXPECT_EQ(s.ProxyPort, 0);
  EXPECT_FALSE(s.NewWindow);
  EXPECT_EQ(s.ColorPrinc, 0x78C8FA);
  EXPECT_EQ(s.ColorDialog, 0xE6C8C8);
  EXPECT_EQ(s.ColorProfil, 0xECECD5);
  EXPECT_EQ(s.Autosave, 0);
  EXPECT_EQ(s.StartWindow, 1);
  EXPECT_EQ(s.ProxyAuthHeader, "");
}

TEST(Settings, ConnectionClamps) {
  GlobalSettings s = Load("MaxConnect=30\r\nMinConnect=40\r\n");
  EXPECT_EQ(s.MaxConnect, 24);
  EXPECT_EQ(s.MinConnect, 24);
  EXPECT_EQ(Load("MaxConnect=20\r\nMinConnect=6\r\n").MaxConnect, 14);
  EXPECT_EQ(Load("MaxConnect=20\r\nMinConnect=8\r\n").MaxConnect, 16);
  EXPECT_EQ(Load("MaxConnect=20\r\nMinConnect=12\r\n").MaxConnect, 20);
  EXPECT_EQ(Load("MaxConnect=10\r\nMinConnect=8\r\n").MaxConnect, 10);
}

// Values that would hang a scan or fail every check load as the nearest sane
// one (and are saved back so); sane values and the usual clamps stay.
TEST(Settings, ClampedFromBelow) {
  struct Case {
    const char* config;
    int maxConnect, minConnect, http, verify, retry, proxyPort, autosave, startWindow;
  } cases[] = {
      {"MaxConnect=lots\r\n", 1, 1, 60, 60, 3, 0, 0, 1},
      {"MaxConnect=0\r\nMinConnect=0\r\n", 1, 1, 60, 60, 3, 0, 0, 1},
      {"MaxConnect=-5\r\nMinConnect=-2\r\nNbRetry=-3\r\n", 1, 1, 60, 60, 1, 0, 0, 1},
      {"HttpTimeOut=-7\r\nVerifyTimeOut=0\r\nNbRetry=0\r\n", 14, 6, 1, 1, 1, 0, 0, 1},
      {"ProxyPort=70000\r\nAutosave=-1\r\nStartWindow=9\r\n", 14, 6, 60, 60, 3, 65535, 0, 9},
      {"ProxyPort=-1\r\nStartWindow=-4\r\n", 14, 6, 60, 60, 3, 0, 0, -4},
      {"MaxConnect=12\r\nMinConnect=12\r\nHttpTimeOut=5\r\nVerifyTimeOut=7\r\nNbRetry=2\r\n"
       "ProxyPort=8080\r\nAutosave=3\r\nStartWindow=2\r\n",
       12, 12, 5, 7, 2, 8080, 3, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.config);
    GlobalSettings s = Load(c.config);
    EXPECT_EQ(std::vector<int>({s.MaxConnect, s.MinConnect, s.HttpTimeOut, s.VerifyTimeOut, s.NbRetry,
                                s.ProxyPort, s.Autosave, s.StartWindow}),
              std::vector<int>({c.maxConnect, c.minConnect, c.http, c.verify, c.retry, c.proxyPort,
                                c.autosave, c.startWindow}));
  }
}

// Some editors put a UTF-8 byte-order mark before the first section.
TEST(Settings, ByteOrderMarkIsSkipped) {
  GlobalSettings s = ReadGlobalSettings(IniFile::Parse("\xEF\xBB\xBF[Config]\r\nMaxConnect=12\r\nMinConnect=12\r\n"));
  EXPECT_EQ(s.MaxConnect, 12);
  EXPECT_EQ(s.MinConnect, 12);
  // Only at the very start: elsewhere the bytes are text.
  IniFile ini = IniFile::Parse("[A]\r\n\xEF\xBB\xBFk=v\r\n");
  EXPECT_EQ(ini.Get("A", "k", "none", 80), "none");
}

TEST(Settings, ColourRules) {
  GlobalSettings s = Load("ColorPrinc=11527930\r\nColorDialog=\r\nColorProfil=255\r\n");
  EXPECT_EQ(s.ColorPrinc, 0x78C8FA);   // the stored 0xAFE6FA is ignored
  EXPECT_EQ(s.ColorDialog, 0xE6C8C8);  // empty keeps the built-in colour
  EXPECT_EQ(s.ColorProfil, 255);
  EXPECT_EQ(Load("ColorPrinc=0\r\n").ColorPrinc, 0);
  EXPECT_EQ(Load("ColorDialog=junk\r\n").ColorDialog, 0);  // non-empty: applied, reads 0
  EXPECT_TRUE(Load("NewWindow=7\r\n").NewWindow);
}

TEST(Settings, TextsAreCutToTheirFields) {
  GlobalSettings s = Load("ProxyName=" + std::string(150, 'p') + "\r\nProxyLogin=" +
                          std::string(100, 'l') + "\r\n");
  EXPECT_EQ(s.ProxyName.size(), 99u);
  EXPECT_EQ(s.ProxyLogin.size(), 79u);
}

TEST(Settings, ProxyAuthorizationHeader) {
  EXPECT_EQ(BuildProxyAuthHeader("", "ignored"), "");
  EXPECT_EQ(BuildProxyAuthHeader("alice", "s3cret"),
            "Proxy-authorization: Basic YWxpY2U6czNjcmV0\r\n");
  // "ab:" (3 bytes) needs no padding, "a:" one "=", "abc:" two.
  EXPECT_EQ(Base64Encode("ab:"), "YWI6");
  EXPECT_EQ(Base64Encode("a:"), "YTo=");
  EXPECT_EQ(Base64Encode("abc:"), "YWJjOg==");
  EXPECT_EQ(Base64Encode(""), "");
  EXPECT_EQ(Base64Encode("\xff\xfe\xfd"), "//79");
  GlobalSettings s = Load("ProxyLogin=ab\r\nProxyPass=\r\n");
  EXPECT_EQ(s.ProxyAuthHeader, "Proxy-authorization: Basic YWI6\r\n");
}

TEST(Settings, SaveWritesClampedValuesInOrderAndKeepsOtherKeys) {
  test::TempDir dir;
  dir.Write("ORVI.ini",
            "[Engines]\r\nGoogleUrl=http://127.0.0.1:9/\r\n\r\n"
            "[Config]\r\nMaxConnect=30\r\nMinConnect=40\r\nMine=kept\r\n");
  Context ctx(ContextOptions{.appFolder = dir.path()});
  ctx.LoadSettings();
  EXPECT_EQ(ctx.engines.GoogleUrl, "http://127.0.0.1:9");  // no trailing slash
  EXPECT_EQ(ctx.engines.FastUrl, "http://www.alltheweb.com");
  ASSERT_TRUE(ctx.SaveSettings());
  EXPECT_EQ(dir.Read("ORVI.ini"),
            "[Engines]\r\nGoogleUrl=http://127.0.0.1:9/\r\n\r\n"
            "[Config]\r\nMaxConnect=24\r\nMinConnect=24\r\nMine=kept\r\n"
            "HttpTimeOut=60\r\nVerifyTimeOut=60\r\nNbRetry=3\r\nProxyName=\r\nProxyPort=0\r\n"
            "ProxyLogin=\r\nProxyPass=\r\nNewWindow=0\r\nColorPrinc=7915770\r\n"
            "ColorDialog=15124680\r\nColorProfil=15527125\r\nAutosave=0\r\nStartWindow=1\r\n");
  // What was saved loads back the same.
  Context again(ContextOptions{.appFolder = dir.path()});
  again.LoadSettings();
  EXPECT_EQ(SettingsAsWritten(again.settings), SettingsAsWritten(ctx.settings));
}

TEST(Settings, HostsSectionOverridesDefaults) {
  HostSettings defaults = ReadHostSettings(IniFile{});
  EXPECT_EQ(defaults.servers[0].label, "@idrive");
  HostSettings h = ReadHostSettings(IniFile::Parse(
      "[Hosts]\r\nServer2=files.example, @example\r\nRefusedSites=a.test, b.test\r\n"
      "HostedPage=dl.example,http://get.example\r\n"));
  EXPECT_EQ(h.servers[0].fragment, defaults.servers[0].fragment);
  EXPECT_EQ(h.servers[1].fragment, "files.example");
  EXPECT_EQ(h.servers[1].label, "@example");
  EXPECT_EQ(h.refusedSites, (std::vector<std::string>{"a.test", "b.test"}));
  EXPECT_EQ(h.hostedPagePrefix, "http://get.example");
}

TEST(Context, StartDateAndFolder) {
  Context ctx(ContextOptions{.appFolder = "/some/where", .startDate = {2003, 7, 14}});
  EXPECT_EQ(ctx.AppFolder, "/some/where/");
  EXPECT_EQ(ctx.StartMonth, 7);
  EXPECT_EQ(ctx.StartYear, 2003);
  Context today;
  EXPECT_GE(today.StartYear, 2026);
  EXPECT_EQ(today.AppFolder.back(), '/');
}

}  // namespace
}  // namespace orvi
