#include "core/web_engines.h"

#include <algorithm>

#include "platform/text.h"

namespace orvi {
namespace {

constexpr size_t kValueSize = 1024;

WebEngine Mojeek() {
  WebEngine e;
  e.id = "mojeek";
  e.Name = "Mojeek";
  e.Url = "https://www.mojeek.com";
  e.Request = "/search?q={query}";
  // s=0 is refused: page 1 sends none.
  e.PagingParam = "s";
  e.PagingFirst = 11;
  e.PagingStep = 10;
  // As URL parameters, language and region are refused.
  e.Cookies = "lb={lang}; arc={country}";
  e.ResultBlock = "<!--rs-->";
  e.ResultBlockEnd = "<!--re-->";
  e.ResultLink = "a.title";
  e.NextLink = "div.pagination a";
  e.BlockMarkers = "<title>Captcha,Verification required";
  e.BlockStatuses = "403";
  return e;
}

WebEngine DuckDuckGo() {
  WebEngine e;
  e.id = "duckduckgo";
  e.Name = "DuckDuckGo";
  e.Url = "https://html.duckduckgo.com";
  e.Method = "POST";
  e.Request = "/html/";
  e.Body = "q={query}&b=&kl={region}";
  e.PagingParam = "s";
  e.ResultLink = "a.result__a";
  e.Skip = "https://duckduckgo.com/y.js,//duckduckgo.com/y.js";
  e.UnwrapParam = "uddg";
  // Page 2 without page 1's vqd gets the address blocked: the next page is
  // always the form the engine gave.
  e.NextForm = "div.nav-link";
  e.BlockMarkers = "anomaly,challenge-form";
  e.BlockReason = "anomaly";
  e.BlockStatuses = "202";
  e.statusReasons = {{202, "anomaly"}};
  return e;
}

WebEngine Bing() {
  WebEngine e;
  e.id = "bing";
  e.Name = "Bing";
  e.Url = "https://www.bing.com";
  e.Request = "/search?q={query}";
  e.PagingParam = "first";
  e.PagingFirst = 11;
  e.PagingStep = 10;
  // Stylesheet links come before the result's own, inside its <h2>.
  e.ResultBlock = "li.b_algo";
  e.ResultLink = "h2 a";
  e.UnwrapParam = "u";
  e.UnwrapPrefix = "a1";
  e.NextLink = "a.sb_pagN";
  e.BlockMarkers = "captchaUrl,/challenge/verify";
  return e;
}

WebEngine Searxng() {
  WebEngine e;
  e.id = "searxng";
  e.Name = "SearXNG";
  e.Url = "http://127.0.0.1:8888";
  e.Request = "/search?q={query}&format=json";
  e.PagingParam = "pageno";
  e.Accept = "application/json";
  e.Format = "json";
  e.BlockStatuses = "403";
  e.statusReasons = {{403, "JSON output not enabled in the instance's settings.yml"}};
  e.PacingMs = 1000;
  return e;
}

WebEngine Marginalia() {
  WebEngine e;
  e.id = "marginalia";
  e.Name = "Marginalia";
  e.Url = "https://api2.marginalia-search.com";
  e.Request = "/search?query={query}&count=20";
  e.PagingParam = "page";
  e.Headers = "API-Key: {key}";
  // The shared key is rate-limited; a personal one goes in the settings.
  e.Key = "public";
  e.Accept = "application/json";
  e.Format = "json";
  e.BlockStatuses = "503";
  e.statusReasons = {{503, "quota"}};
  e.ResultsPerPage = 20;
  e.PacingMs = 1000;
  return e;
}

void ReadRow(const IniFile& file, const std::string& section, WebEngine& e) {
  auto text = [&](const char* key, std::string& field) {
    if (file.Has(section, key)) field = file.Get(section, key, "", kValueSize);
  };
  auto number = [&](const char* key, int& field) {
    if (file.Has(section, key)) field = ParseIntLoose(file.Get(section, key, "", 40));
  };
  text("Name", e.Name);
  text("Url", e.Url);
  while (!e.Url.empty() && e.Url.back() == '/') e.Url.pop_back();
  text("Method", e.Method);
  text("Request", e.Request);
  text("Body", e.Body);
  text("PagingParam", e.PagingParam);
  number("PagingFirst", e.PagingFirst);
  number("PagingStep", e.PagingStep);
  text("Headers", e.Headers);
  text("Cookies", e.Cookies);
  text("Key", e.Key);
  text("Accept", e.Accept);
  text("Format", e.Format);
  text("ResultBlock", e.ResultBlock);
  text("ResultBlockEnd", e.ResultBlockEnd);
  text("ResultLink", e.ResultLink);
  text("JsonResults", e.JsonResults);
  text("JsonUrl", e.JsonUrl);
  text("Skip", e.Skip);
  text("UnwrapParam", e.UnwrapParam);
  text("UnwrapPrefix", e.UnwrapPrefix);
  text("NextLink", e.NextLink);
  text("NextForm", e.NextForm);
  text("BlockMarkers", e.BlockMarkers);
  text("BlockReason", e.BlockReason);
  text("BlockStatuses", e.BlockStatuses);
  number("ResultsPerPage", e.ResultsPerPage);
  number("MaxPages", e.MaxPages);
  number("PacingMs", e.PacingMs);
  for (std::string_view code : CommaPieces(e.BlockStatuses)) {
    const std::string key = "BlockReason" + std::string(TrimWhite(code));
    if (!file.Has(section, key)) continue;
    const int status = ParseIntLoose(TrimWhite(code));
    std::string reason = file.Get(section, key, "", kValueSize);
    bool replaced = false;
    for (auto& [s, r] : e.statusReasons) {
      if (s == status) r = reason, replaced = true;
    }
    if (!replaced) e.statusReasons.emplace_back(status, std::move(reason));
  }
  // Nonsense that would page forever or hammer the engine is brought back.
  e.PagingStep = std::max(e.PagingStep, 1);
  e.ResultsPerPage = std::max(e.ResultsPerPage, 1);
  e.MaxPages = std::max(e.MaxPages, 1);
  e.PacingMs = std::max(e.PacingMs, 0);
}

}  // namespace

std::vector<WebEngine> BuiltInWebEngines() { return {Mojeek(), DuckDuckGo(), Bing(), Searxng(), Marginalia()}; }

WebEngine* FindWebEngine(std::vector<WebEngine>& rows, std::string_view id) {
  for (WebEngine& row : rows) {
    if (EqualsIgnoreCase(row.id, id)) return &row;
  }
  return nullptr;
}

const WebEngine* FindWebEngine(const std::vector<WebEngine>& rows, std::string_view id) {
  return FindWebEngine(const_cast<std::vector<WebEngine>&>(rows), id);
}

std::vector<WebEngine> ReadWebEngines(const IniFile& file) {
  std::vector<WebEngine> rows = BuiltInWebEngines();
  for (const std::string& section : file.Sections()) {
    WebEngine* row = FindWebEngine(rows, section);
    if (row == nullptr) {
      rows.emplace_back();
      row = &rows.back();
      row->id = AsciiLower(section);
      row->Name = section;
    }
    ReadRow(file, section, *row);
  }
  return rows;
}

void ApplyEngineOverrides(const IniFile& settings, std::vector<WebEngine>& rows) {
  for (WebEngine& e : rows) {
    const std::string url = e.Name + "Url", key = e.Name + "Key";
    if (settings.Has("Engines", url)) {
      e.Url = settings.Get("Engines", url, "", kValueSize);
      while (!e.Url.empty() && e.Url.back() == '/') e.Url.pop_back();
    }
    if (settings.Has("Engines", key)) e.Key = settings.Get("Engines", key, "", kValueSize);
  }
}

}  // namespace orvi
