#include "core/settings.h"

#include <algorithm>

#include "core/base64.h"
#include "core/url_text.h"
#include "platform/text.h"

namespace orvi {
namespace {

constexpr char kConfig[] = "Config";
constexpr size_t kNumberSize = 40;  // numbers are read as at most 39 characters

int32_t Number(const IniFile& ini, const char* key, const char* fallback) {
  return ParseIntLoose(ini.Get(kConfig, key, fallback, kNumberSize));
}

std::vector<std::string> SplitList(std::string_view text) {
  std::vector<std::string> items;
  for (std::string_view piece : CommaPieces(text)) {
    std::string_view item = TrimWhite(piece);
    if (!item.empty()) items.emplace_back(item);
  }
  return items;
}

// Values that would hang the program or fail every check are brought to the
// nearest sane one: no connection at all never ends a scan, no attempt fails
// every file, a time-out of 0 or less means none, and a port is 16 bits.
void ClampFromBelow(GlobalSettings& s) {
  s.MaxConnect = std::max(s.MaxConnect, 1);
  s.MinConnect = std::max(s.MinConnect, 1);
  s.HttpTimeOut = std::max(s.HttpTimeOut, 1);
  s.VerifyTimeOut = std::max(s.VerifyTimeOut, 1);
  s.NbRetry = std::max(s.NbRetry, 1);
  s.ProxyPort = std::clamp(s.ProxyPort, 0, 65535);
  s.Autosave = std::max(s.Autosave, 0);
}

}  // namespace

GlobalSettings ReadGlobalSettings(const IniFile& ini) {
  GlobalSettings s;
  s.MaxConnect = std::min(Number(ini, "MaxConnect", "20"), 24);
  s.MinConnect = std::min(Number(ini, "MinConnect", "6"), s.MaxConnect);
  // The connection presets: 6 and 8 connections at least come with a lower ceiling.
  if (s.MinConnect == 6) s.MaxConnect = std::min(s.MaxConnect, 14);
  if (s.MinConnect == 8) s.MaxConnect = std::min(s.MaxConnect, 16);
  s.HttpTimeOut = Number(ini, "HttpTimeOut", "60");
  s.VerifyTimeOut = Number(ini, "VerifyTimeOut", "60");
  s.NbRetry = Number(ini, "NbRetry", "3");
  s.ProxyName = ini.Get(kConfig, "ProxyName", "", 100);
  s.ProxyPort = Number(ini, "ProxyPort", "");
  s.ProxyLogin = ini.Get(kConfig, "ProxyLogin", "", 80);
  s.ProxyPass = ini.Get(kConfig, "ProxyPass", "", 80);
  s.NewWindow = Number(ini, "NewWindow", "") != 0;
  std::string text = ini.Get(kConfig, "ColorPrinc", "", kNumberSize);
  if (!text.empty() && ParseIntLoose(text) != GlobalSettings::kIgnoredColorPrinc) {
    s.ColorPrinc = ParseIntLoose(text);
  }
  text = ini.Get(kConfig, "ColorDialog", "", kNumberSize);
  if (!text.empty()) s.ColorDialog = ParseIntLoose(text);
  text = ini.Get(kConfig, "ColorProfil", "", kNumberSize);
  if (!text.empty()) s.ColorProfil = ParseIntLoose(text);
  s.Autosave = Number(ini, "Autosave", "");
  s.StartWindow = Number(ini, "StartWindow", "1");
  ClampFromBelow(s);
  s.ProxyAuthHeader = BuildProxyAuthHeader(s.ProxyLogin, s.ProxyPass);
  return s;
}

std::vector<std::pair<std::string, std::string>> SettingsAsWritten(const GlobalSettings& s) {
  return {
      {"MinConnect", FormatInt(s.MinConnect)},
      {"MaxConnect", FormatInt(s.MaxConnect)},
      {"HttpTimeOut", FormatInt(s.HttpTimeOut)},
      {"VerifyTimeOut", FormatInt(s.VerifyTimeOut)},
      {"NbRetry", FormatInt(s.NbRetry)},
      {"ProxyName", s.ProxyName},
      {"ProxyPort", FormatInt(s.ProxyPort)},
      {"ProxyLogin", s.ProxyLogin},
      {"ProxyPass", s.ProxyPass},
      {"NewWindow", s.NewWindow ? "1" : "0"},
      {"ColorPrinc", FormatInt(s.ColorPrinc)},
      {"ColorDialog", FormatInt(s.ColorDialog)},
      {"ColorProfil", FormatInt(s.ColorProfil)},
      {"Autosave", FormatInt(s.Autosave)},
      {"StartWindow", FormatInt(s.StartWindow)},
  };
}

void WriteGlobalSettings(const GlobalSettings& settings, IniFile& ini) {
  for (const auto& [key, value] : SettingsAsWritten(settings)) ini.Set(kConfig, key, value);
}

EngineSettings ReadEngineSettings(const IniFile& ini) {
  EngineSettings e;
  auto url = [&](const char* key, std::string& field) {
    std::string value = ini.Get("Engines", key, field, kMaxLinkChars + 1);
    while (!value.empty() && value.back() == '/') value.pop_back();
    field = value;
  };
  for (size_t i = 0; i < e.slotEngines.size(); ++i) {
    const std::string key = "Engine" + std::to_string(i + 1);
    std::string name = AsciiLower(TrimWhite(ini.Get("Engines", key, e.slotEngines[i], 80)));
    if (!name.empty()) e.slotEngines[i] = name;
  }
  url("GoogleUrl", e.GoogleUrl);
  url("GoogleFallbackUrl", e.GoogleFallbackUrl);
  url("FastUrl", e.FastUrl);
  url("WiseNutUrl", e.WiseNutUrl);
  url("TranslateUrl", e.TranslateUrl);
  url("SiteUrl", e.SiteUrl);
  e.SiteName = ini.Get("Engines", "SiteName", e.SiteName, 79);
  e.Contact = ini.Get("Engines", "Contact", e.Contact, 79);
  return e;
}

std::string LocaleOfLang(std::string_view lang) {
  lang = lang.substr(0, lang.find_first_of(".@"));
  if (lang.size() < 2 || lang == "C" || lang == "POSIX") return "en_US";
  return std::string(lang);
}

HostSettings ReadHostSettings(const IniFile& ini) {
  HostSettings h;
  for (size_t i = 0; i < h.servers.size(); ++i) {
    std::string key = "Server" + std::to_string(i + 1);
    if (!ini.Has("Hosts", key)) continue;
    std::vector<std::string> parts = SplitList(ini.Get("Hosts", key, "", kMaxLinkChars + 1));
    h.servers[i] = {parts.size() > 0 ? parts[0] : "", parts.size() > 1 ? parts[1] : ""};
  }
  if (ini.Has("Hosts", "RefusedSites")) {
    h.refusedSites = SplitList(ini.Get("Hosts", "RefusedSites", "", 400));
  }
  h.fastExcluded = ini.Get("Hosts", "FastExcluded", h.fastExcluded, kMaxLinkChars + 1);
  if (ini.Has("Hosts", "HostedPage")) {
    std::vector<std::string> parts = SplitList(ini.Get("Hosts", "HostedPage", "", 400));
    h.hostedPageFragment = parts.size() > 0 ? parts[0] : "";
    h.hostedPagePrefix = parts.size() > 1 ? parts[1] : "";
  }
  h.refererHost = ini.Get("Hosts", "RefererHost", h.refererHost, kMaxLinkChars + 1);
  return h;
}

NetSettings ReadNetSettings(const IniFile& ini) {
  NetSettings n;
  n.Https = ParseIntLoose(ini.Get("Net", "Https", "0", kNumberSize)) != 0;
  n.CaFile = ini.Get("Net", "CaFile", "", 4096);
  return n;
}

void WriteNetSettings(const NetSettings& net, IniFile& ini) {
  if (!net.Https && net.CaFile.empty() && !ini.Has("Net", "Https") && !ini.Has("Net", "CaFile")) {
    return;
  }
  ini.Set("Net", "Https", net.Https ? "1" : "0");
  if (!net.CaFile.empty() || ini.Has("Net", "CaFile")) ini.Set("Net", "CaFile", net.CaFile);
}

std::string BuildProxyAuthHeader(const std::string& login, const std::string& password) {
  if (login.empty()) return {};
  return "Proxy-authorization: Basic " + Base64Encode(login + ":" + password) + "\r\n";
}

}  // namespace orvi
