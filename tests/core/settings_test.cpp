#include "core/settings.h"

#include <gtest/gtest.h>

#include <tuple>

#include "core/base64.h"
#include "core/context.h"
#include "support/temp_dir.h"

namespace orvi {
namespace {

GlobalSettings Load(const std::string& config) {
  return ReadGlobalSettings(IniFile::Parse("[Config]\r\n" + config));
}

// MaxConnect is at most 24 (14 or 16 beside a MinConnect of 6 or 8), MinConnect
// at most MaxConnect; values that would hang a scan or fail every check load as
// the nearest sane one (and are saved back so); sane values stay.
TEST(Settings, DefaultsAndClamps) {
  struct Case {
    const char* config;
    std::vector<int> values;  // MaxConnect MinConnect HttpTimeOut VerifyTimeOut NbRetry ProxyPort Autosave StartWindow
  } cases[] = {
      {"", {14, 6, 60, 60, 3, 0, 0, 1}},  // MinConnect 6 brings MaxConnect 20 down to 14
      {"MaxConnect=30\r\nMinConnect=40\r\n", {24, 24, 60, 60, 3, 0, 0, 1}},
      {"MaxConnect=20\r\nMinConnect=8\r\n", {16, 8, 60, 60, 3, 0, 0, 1}},
      {"MaxConnect=lots\r\n", {1, 1, 60, 60, 3, 0, 0, 1}},
      {"MaxConnect=-5\r\nMinConnect=-2\r\nNbRetry=-3\r\n", {1, 1, 60, 60, 1, 0, 0, 1}},
      {"HttpTimeOut=-7\r\nVerifyTimeOut=0\r\nNbRetry=0\r\n", {14, 6, 1, 1, 1, 0, 0, 1}},
      {"ProxyPort=70000\r\nAutosave=-1\r\nStartWindow=9\r\n", {14, 6, 60, 60, 3, 65535, 0, 9}},
      {"MaxConnect=12\r\nMinConnect=12\r\nHttpTimeOut=5\r\nVerifyTimeOut=7\r\nNbRetry=2\r\n"
       "ProxyPort=8080\r\nAutosave=3\r\nStartWindow=2\r\n",
       {12, 12, 5, 7, 2, 8080, 3, 2}},
  };
  for (const Case& c : cases) {
    GlobalSettings s = Load(c.config);
    EXPECT_EQ(std::vector<int>({s.MaxConnect, s.MinConnect, s.HttpTimeOut, s.VerifyTimeOut, s.NbRetry,
                                s.ProxyPort, s.Autosave, s.StartWindow}),
              c.values)
        << c.config;
  }
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

TEST(Settings, ProxyAuthorizationHeader) {
  EXPECT_EQ(BuildProxyAuthHeader("", "ignored"), "");
  EXPECT_EQ(Load("ProxyLogin=alice\r\nProxyPass=s3cret\r\n").ProxyAuthHeader,
            "Proxy-authorization: Basic YWxpY2U6czNjcmV0\r\n");
  // No padding, one "=", two; and bytes above 127.
  for (auto [bytes, encoded] : {std::pair{"ab:", "YWI6"}, {"a:", "YTo="}, {"abc:", "YWJjOg=="}, {"", ""},
                                {"\xff\xfe\xfd", "//79"}}) {
    EXPECT_EQ(Base64Encode(bytes), encoded) << bytes;
  }
}

TEST(Settings, SaveWritesClampedValuesInOrderAndKeepsOtherKeys) {
  test::TempDir dir;
  dir.Write("ORVI.ini",
            "[Engines]\r\nGoogleUrl=http://127.0.0.1:9/\r\n\r\n"
            "[Config]\r\nMaxConnect=30\r\nMinConnect=40\r\nMine=kept\r\n");
  Context ctx(ContextOptions{.appFolder = dir.path()});
  ctx.LoadSettings();
  EXPECT_EQ(ctx.engines.GoogleUrl, "http://127.0.0.1:9");  // no trailing slash
  ASSERT_TRUE(ctx.SaveSettings());
  // The clamped values in place, the others after the keys already there.
  EXPECT_EQ(dir.Read("ORVI.ini").rfind("[Engines]\r\nGoogleUrl=http://127.0.0.1:9/\r\n\r\n"
                                       "[Config]\r\nMaxConnect=24\r\nMinConnect=24\r\nMine=kept\r\nHttpTimeOut=60\r\n",
                                       0),
            0u);
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

// Moteurs.ini lays its keys over the built-in rows and may add one;
// [Engines] of ORVI.ini chooses the slots and overrides address and key.
TEST(Settings, EngineRowsAndSlots) {
  std::vector<WebEngine> rows = ReadWebEngines(IniFile::Parse(
      "[Bing]\r\nResultLink=h3 a\r\nPacingMs=-5\r\n[mine]\r\nUrl=http://mine.example/\r\nFormat=json\r\n"
      "BlockStatuses=429,503\r\nBlockReason429=slow down\r\n"));
  const IniFile settings = IniFile::Parse(
      "[Engines]\r\nEngine1= Mojeek \r\nEngine3=mine\r\nMarginaliaKey=k1\r\nBINGURL=http://b.example//\r\n");
  ApplyEngineOverrides(settings, rows);
  ASSERT_EQ(rows.size(), 6u);
  // A key left out stays built in (ResultBlock); a negative pacing is none.
  EXPECT_EQ(std::tuple(rows[2].ResultLink, rows[2].ResultBlock, rows[2].PacingMs, rows[2].Url),
            std::tuple("h3 a", "li.b_algo", 0, "http://b.example"));
  EXPECT_EQ(rows[4].Key, "k1");
  EXPECT_EQ(rows[5].id + " " + rows[5].Url, "mine http://mine.example");
  EXPECT_EQ(rows[5].statusReasons, (std::vector<std::pair<int, std::string>>{{429, "slow down"}}));
  EXPECT_EQ(ReadEngineSettings(settings).slotEngines, (std::array<std::string, 3>{"mojeek", "fast", "mine"}));
  EXPECT_EQ(ReadEngineSettings(IniFile()).slotEngines, (std::array<std::string, 3>{"google", "fast", "wisenut"}));
  EXPECT_EQ(LocaleOfLang("fr_FR.UTF-8"), "fr_FR");
  EXPECT_EQ(LocaleOfLang("C.UTF-8"), "en_US");
}

}  // namespace
}  // namespace orvi
