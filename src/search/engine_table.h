#pragma once

// The search engines a harvest asks, one row each: how a request is built
// and paged, which headers go with it, how a result page is read, and the
// few rules that set one engine apart. The harvest runs one loop over a row,
// so an engine is added or changed here and in its page reader, nowhere else.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/context.h"
#include "search/engine_pages.h"

namespace orvi {

// Engine ids, as the exploration queue records a page's origin: the engine's
// slot plus one (0 is a page found by several engines or by the exploration).
constexpr int kEngineGoogle = 1;
constexpr int kEngineFast = 2;
constexpr int kEngineWiseNut = 3;

// Result pages are read with a 10-second time-out.
constexpr int kEngineTimeoutSeconds = 10;

struct EngineRow {
  std::string_view name;  // as the board and the command line name it
  char letter;            // marks its lines in the query log ("[G=]") and the request preview
  // The base URL (scheme and host) in the settings, and the one asked for
  // good once a request has failed (null: none).
  std::string EngineSettings::*url;
  std::string EngineSettings::*fallbackUrl;
  // What follows the base URL; "{query}" and "{paging}" are replaced.
  std::string_view request;
  int firstPaging;     // the paging value of the first page
  int pagingStep;      // added to it for every further page
  int resultsPerPage;  // what a page advances the result offset by; paging ends at the total
  int maxPages;        // per query; 0: until the total is reached
  // Header lines sent besides the page client's own (a cookie, a
  // User-Agent), each ending in CR LF.
  std::string_view headers;
  // The queries one engine query becomes, in the order they are asked, each
  // as it goes into the request.
  std::vector<std::string> (*queries)(std::string_view engineQuery, const SearchProfile& profile);
  // A last rewrite of the whole request URL; null: none.
  std::string (*finishUrl)(std::string url);
  ResultPage (*read)(std::string_view page, bool firstPage, const HostSettings& hosts);
  // An unreadable first page shows a total of 0, unless an earlier query of
  // the row announced one.
  bool zeroTotalWithoutMarker;
  // No further page once the query's pages gave no link at all.
  bool endsWithoutLinks;
  // How the engine's host serves a cached copy, before the copy's key (what
  // follows "q=cache:"); empty: the engine keeps none.
  std::string_view cacheRequest;
};

// The three engines of a profile's three columns: Google, Fast (AllTheWeb)
// and WiseNut, in slot order.
std::span<const EngineRow> BuiltInEngines();
const EngineRow& SlotEngine(int slot);
// The profile's mask of the rows ticked for a slot (GoogleUse, AtwUse, WiseUse).
int32_t SlotMask(const SearchProfile& profile, int slot);

// What a slot asks: one of the designed rows (its index in BuiltInEngines)
// or a row of today's engines, as [Engines] Engine1..3 name them. A name
// that is neither keeps the slot's designed engine.
struct SlotChoice {
  int designed = -1;                // index in BuiltInEngines; -1: a web row
  const WebEngine* web = nullptr;   // in the context's webEngines
  std::string name;                 // as the board shows it
};
SlotChoice ChooseSlotEngine(const Context& ctx, int slot);

// The base URL a slot's engine is asked on now: its fallback host once
// MoveToFallbackHost was called, for as long as the program runs.
const std::string& SlotBase(const Context& ctx, int slot);
bool OnFallbackHost(const Context& ctx, int slot);
void MoveToFallbackHost(Context& ctx, int slot);

// The request URL of one page. Bytes of the query that would break the
// request line (controls, space, DEL) go as %XX.
std::string EngineRequestUrl(const EngineRow& row, std::string_view baseUrl, std::string_view query,
                             int32_t paging);
// The first page of each query that one engine query becomes, in order.
std::vector<std::string> FirstPageUrls(const EngineRow& row, std::string_view baseUrl,
                                       std::string_view engineQuery, const SearchProfile& profile);

// An engine's cached copy of a page: its key when the address is one (what
// follows "q=cache:"), and the address of a key on the host that the engine
// is asked on now.
std::optional<std::string> CachedCopyKey(std::string_view url);
std::string CachedCopyAddress(const Context& ctx, std::string_view key);

}  // namespace orvi
