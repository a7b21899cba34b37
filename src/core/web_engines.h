#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/ini_file.h"

namespace orvi {

// Today's search engines, one row each, as the file Moteurs.ini of the
// program folder describes them (one section per engine, one key per field
// below, named as the field). Their markup and request rules change a few
// times a year, so a user updates the file instead of the program; the same
// rows are built in for a missing file or key.
//
// Texts may hold placeholders, filled when a request is made: {query} (the
// engine query), {lang} and {country} (from the system's language, "fr" and
// "fr"), {region} (DuckDuckGo's "fr-fr"), {key} (the row's Key).
struct WebEngine {
  std::string id;    // the section name, as [Engines] Engine1..3 names it ("mojeek")
  std::string Name;  // as the board and Log.txt name it ("Mojeek")
  std::string Url;   // scheme and host; [Engines] <Name>Url overrides it
  std::string Method = "GET";
  std::string Request;  // path and query after Url
  std::string Body;     // a POST's form body
  // Page 1 sends no paging parameter; page n sends PagingParam with
  // PagingFirst + (n - 2) * PagingStep, unless NextForm pages.
  std::string PagingParam;
  int PagingFirst = 2;
  int PagingStep = 1;
  // Header lines besides the browser's, separated by "|"; the Cookie line.
  std::string Headers;
  std::string Cookies;
  std::string Key;  // [Engines] <Name>Key overrides it
  std::string Accept = "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";
  std::string Format = "html";  // or "json"
  // html: each result starts at ResultBlock (a literal text when it begins
  // with "<", else a tag as "li.b_algo") and ends at the next one or at
  // ResultBlockEnd; its address is the href of the first tag of the chain
  // ResultLink ("h2 a": the first <a> after the first <h2>). Without
  // ResultBlock, every tag matching ResultLink is a result.
  std::string ResultBlock;
  std::string ResultBlockEnd;
  std::string ResultLink;
  // json: the array and the field of each element that holds the address.
  std::string JsonResults = "results";
  std::string JsonUrl = "url";
  // Addresses beginning with one of these (comma-separated) are ads.
  std::string Skip;
  // A wrapped address: the real one is the value of UnwrapParam,
  // percent-encoded, or base64url after UnwrapPrefix when there is one.
  std::string UnwrapParam;
  std::string UnwrapPrefix;
  // There is a next page when a tag of the chain NextLink has an href that
  // asks the next paging value; or, with NextForm, when the block NextForm
  // holds a form whose PagingParam goes further: its hidden inputs are the
  // next request's body. json: a page with results has a next one.
  std::string NextLink;
  std::string NextForm;
  // A page with no result read is a block page when it holds one of
  // BlockMarkers (comma-separated); the reason shown is BlockReason. A status
  // of BlockStatuses is a block too, its reason BlockReason<status> when the
  // row has one: a word goes into the usual "blocked, try later" sentence, a
  // sentence (with a space) is said as it is.
  std::string BlockMarkers;
  std::string BlockReason = "captcha";
  std::string BlockStatuses;
  std::vector<std::pair<int, std::string>> statusReasons;
  int ResultsPerPage = 10;
  int MaxPages = 5;   // per query
  int PacingMs = 5000;  // between two requests to the engine
};

// The rows shipped with the program: mojeek, duckduckgo, bing, searxng,
// marginalia.
std::vector<WebEngine> BuiltInWebEngines();

// The built-in rows with the keys of Moteurs.ini laid over them; a section
// of the file that names no built-in row is a row of its own.
std::vector<WebEngine> ReadWebEngines(const IniFile& file);

// The row of this id (letter case ignored), or null.
WebEngine* FindWebEngine(std::vector<WebEngine>& rows, std::string_view id);
const WebEngine* FindWebEngine(const std::vector<WebEngine>& rows, std::string_view id);

// [Engines] <Name>Url and <Name>Key of ORVI.ini, over the rows.
void ApplyEngineOverrides(const IniFile& settings, std::vector<WebEngine>& rows);

}  // namespace orvi
