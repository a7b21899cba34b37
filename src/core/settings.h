#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ini_file.h"

namespace orvi {

// Section "Config" of ORVI.ini.
struct GlobalSettings {
  static constexpr int32_t kDefaultColorPrinc = 0x78C8FA;
  static constexpr int32_t kDefaultColorDialog = 0xE6C8C8;
  static constexpr int32_t kDefaultColorProfil = 0xECECD5;
  // A ColorPrinc equal to this stored value keeps the built-in colour.
  static constexpr int32_t kIgnoredColorPrinc = 0xAFE6FA;

  int32_t MaxConnect = 20;
  int32_t MinConnect = 6;
  int32_t HttpTimeOut = 60;
  int32_t VerifyTimeOut = 60;
  int32_t NbRetry = 3;
  std::string ProxyName;   // up to 99 characters; empty: no proxy
  int32_t ProxyPort = 0;
  std::string ProxyLogin;  // up to 79 characters; empty: no proxy authorization
  std::string ProxyPass;   // up to 79 characters
  bool NewWindow = false;
  int32_t ColorPrinc = kDefaultColorPrinc;
  int32_t ColorDialog = kDefaultColorDialog;
  int32_t ColorProfil = kDefaultColorProfil;
  int32_t Autosave = 0;     // minutes; 0 = off
  int32_t StartWindow = 1;  // 0 none, 1 new search, 2 web page analysis

  // "Proxy-authorization: Basic ...\r\n", or empty; see BuildProxyAuthHeader.
  std::string ProxyAuthHeader;
};

// The outside services, section "Engines": base URLs (scheme and host, no
// trailing slash). An empty SiteUrl means nothing is ever sent to a product site.
struct EngineSettings {
  // The engine of each of the profile's three columns: google, fast, wisenut
  // or the id of a row of Moteurs.ini ("mojeek").
  std::array<std::string, 3> slotEngines{"google", "fast", "wisenut"};
  // The system's language ("fr_FR"), for the engines that take one.
  std::string Locale = "en_US";
  std::string GoogleUrl = "http://www.google.com";
  std::string GoogleFallbackUrl = "http://www.google.fr";
  std::string FastUrl = "http://www.alltheweb.com";
  std::string WiseNutUrl = "http://www.wisenut.com";
  std::string TranslateUrl = "http://babelfish.altavista.com";
  std::string SiteUrl = "http://orvilane.example.org";
  // How the windows name the product site, and where bugs and ideas go.
  std::string SiteName = "Orvilane";
  std::string Contact = "orvilane@example.org";
};

struct HostingServer {
  std::string fragment;  // host fragment that names the service
  std::string label;     // "@name" shown for its folders
};

// Host fragments that steer the filters and the verification, section "Hosts".
struct HostSettings {
  std::array<HostingServer, 3> servers{{{"idrive.com", "@idrive"},
                                        {"myspace.com", "@myspace"},
                                        {"freedrive.com", "@freedrive"}}};
  std::vector<std::string> refusedSites{"babelfish.altavista.com", "doubleclick.net",
                                        "geocities.com"};
  std::string fastExcluded = "alltheweb.com";
  std::string hostedPageFragment = "myspace.com";
  std::string hostedPagePrefix = "http://dl.myspace.com";
  std::string refererHost = "idrive.com";
};

// Secure connections, section "Net": off unless the user turns them on, so
// that an https address is refused as it always was.
struct NetSettings {
  bool Https = false;
  std::string CaFile;  // an extra certificate bundle (PEM); empty: the system's only
};

// Applies the load rules of section "Config" (defaults, clamps, colours).
GlobalSettings ReadGlobalSettings(const IniFile& ini);
// Writes section "Config" in its designed order, without clamping.
void WriteGlobalSettings(const GlobalSettings& settings, IniFile& ini);
EngineSettings ReadEngineSettings(const IniFile& ini);
// "fr_FR" of LANG="fr_FR.UTF-8"; en_US for none, C or POSIX.
std::string LocaleOfLang(std::string_view lang);
HostSettings ReadHostSettings(const IniFile& ini);
NetSettings ReadNetSettings(const IniFile& ini);
// Writes section "Net"; a user who never turned https on gets no such section.
void WriteNetSettings(const NetSettings& net, IniFile& ini);

// The key order of WriteGlobalSettings, with the values as written.
std::vector<std::pair<std::string, std::string>> SettingsAsWritten(const GlobalSettings& settings);

std::string BuildProxyAuthHeader(const std::string& login, const std::string& password);

}  // namespace orvi
