#include "search/engine_table.h"

#include <array>

#include "platform/text.h"
#include "search/query.h"

namespace orvi {
namespace {

std::vector<std::string> AsComposed(std::string_view query, const SearchProfile&) {
  return {std::string(query)};
}

// Fast: "+-sex" under the profile's filter; alternatives go as plain words
// (FastAlternatives, over the whole URL).
std::vector<std::string> FastQueries(std::string_view query, const SearchProfile& profile) {
  std::string q(query);
  if (profile.SexFilter) q += "+-sex";
  return {q};
}

// WiseNut knows no OR: every alternative is a query of its own.
std::vector<std::string> WiseNutQueryList(std::string_view query, const SearchProfile& profile) {
  std::vector<std::string> list = WiseNutQueries(query);
  for (std::string& q : list) q = WithWiseNutFilter(q, profile.SexFilter);
  return list;
}

ResultPage GoogleReader(std::string_view page, bool first, const HostSettings&) {
  return ReadGooglePage(page, first);
}
ResultPage FastReader(std::string_view page, bool first, const HostSettings& hosts) {
  return ReadFastPage(page, first, hosts.fastExcluded);
}
ResultPage WiseNutReader(std::string_view page, bool first, const HostSettings&) {
  return ReadWiseNutPage(page, first);
}

constexpr std::array<EngineRow, kEngineSlots> kBuiltIn{{
    {
        .name = "Google",
        .letter = 'G',
        .url = &EngineSettings::GoogleUrl,
        .fallbackUrl = &EngineSettings::GoogleFallbackUrl,
        .request = "/search?q={query}&num=50&hl=en&lr=&safe=off&start={paging}&sa=N",
        .firstPaging = 0,
        .pagingStep = 50,
        .resultsPerPage = 50,
        .maxPages = 0,
        .headers = "",
        .queries = AsComposed,
        .finishUrl = nullptr,
        .read = GoogleReader,
        .zeroTotalWithoutMarker = false,
        .endsWithoutLinks = false,
        .cacheRequest = "/search?q=cache:",
    },
    {
        .name = "Fast",
        .letter = 'F',
        .url = &EngineSettings::FastUrl,
        .fallbackUrl = nullptr,
        .request = "/search?t=all&o={paging}&q={query}&c=web&s=full&l=any&no=off&hits=50&s=title",
        .firstPaging = 0,
        .pagingStep = 50,
        .resultsPerPage = 50,
        .maxPages = 0,
        .headers = "",
        .queries = FastQueries,
        .finishUrl = FastAlternatives,
        .read = FastReader,
        .zeroTotalWithoutMarker = true,
        .endsWithoutLinks = true,
        .cacheRequest = "",
    },
    {
        .name = "WiseNut",
        .letter = 'W',
        .url = &EngineSettings::WiseNutUrl,
        .fallbackUrl = nullptr,
        .request = "/search/query.dll?p={paging}&q={query}",
        .firstPaging = 0,
        .pagingStep = 1,
        .resultsPerPage = 100,
        .maxPages = 4,
        // 100 results a page are asked through the engine's preferences cookie.
        .headers = "Cookie: cookie%5Ftest=true; wisenut=ppat=0&iitem2=0&een=ISO%2D8859%2D1&iitem1=0&iitem3=0&"
                   "cclu=0&ccon=2&nnum=100&ssl=\r\n",
        .queries = WiseNutQueryList,
        .finishUrl = nullptr,
        .read = WiseNutReader,
        .zeroTotalWithoutMarker = true,
        .endsWithoutLinks = true,
        .cacheRequest = "",
    },
}};

constexpr int32_t SearchProfile::*kSlotMasks[kEngineSlots] = {
    &SearchProfile::GoogleUse, &SearchProfile::AtwUse, &SearchProfile::WiseUse};

// A control byte, space or DEL from a keyword row or an input would end or
// split the request line.
std::string UrlSafe(std::string_view query) {
  std::string out;
  out.reserve(query.size());
  for (char c : query) {
    auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F) {
      out += '%';
      out += HexPair(c);
    } else {
      out += c;
    }
  }
  return out;
}

// The template's placeholders filled in one pass, so that a query holding
// "{paging}" stays as it is.
std::string FillRequest(std::string_view request, std::string_view query, int32_t paging) {
  static constexpr std::string_view kQuery = "{query}", kPaging = "{paging}";
  std::string out;
  for (size_t i = 0; i < request.size();) {
    if (request.substr(i).starts_with(kQuery)) {
      out += UrlSafe(query);
      i += kQuery.size();
    } else if (request.substr(i).starts_with(kPaging)) {
      out += FormatInt(paging);
      i += kPaging.size();
    } else {
      out += request[i++];
    }
  }
  return out;
}

// The part of a cache request that marks a cached copy in an address.
std::string_view CacheMark(const EngineRow& row) {
  return row.cacheRequest.substr(row.cacheRequest.find('?') + 1);
}

}  // namespace

std::span<const EngineRow> BuiltInEngines() { return kBuiltIn; }

const EngineRow& SlotEngine(int slot) { return kBuiltIn[static_cast<size_t>(slot)]; }

SlotChoice ChooseSlotEngine(const Context& ctx, int slot) {
  const std::string& wanted = ctx.engines.slotEngines[static_cast<size_t>(slot)];
  for (size_t i = 0; i < kBuiltIn.size(); ++i) {
    if (EqualsIgnoreCase(kBuiltIn[i].name, wanted)) return {static_cast<int>(i), nullptr, std::string(kBuiltIn[i].name)};
  }
  if (const WebEngine* web = FindWebEngine(ctx.webEngines, wanted)) return {-1, web, web->Name};
  return {slot, nullptr, std::string(kBuiltIn[static_cast<size_t>(slot)].name)};
}

int32_t SlotMask(const SearchProfile& profile, int slot) {
  return profile.*kSlotMasks[static_cast<size_t>(slot)];
}

bool OnFallbackHost(const Context& ctx, int slot) {
  return SlotEngine(slot).fallbackUrl != nullptr && ((ctx.harvest.fallbackHosts >> slot) & 1u);
}

void MoveToFallbackHost(Context& ctx, int slot) { ctx.harvest.fallbackHosts |= 1u << slot; }

const std::string& SlotBase(const Context& ctx, int slot) {
  const EngineRow& row = SlotEngine(slot);
  return ctx.engines.*(OnFallbackHost(ctx, slot) ? row.fallbackUrl : row.url);
}

std::string EngineRequestUrl(const EngineRow& row, std::string_view baseUrl, std::string_view query,
                             int32_t paging) {
  std::string url = std::string(baseUrl) + FillRequest(row.request, query, paging);
  return row.finishUrl ? row.finishUrl(std::move(url)) : url;
}

std::vector<std::string> FirstPageUrls(const EngineRow& row, std::string_view baseUrl,
                                       std::string_view engineQuery, const SearchProfile& profile) {
  std::vector<std::string> urls;
  for (const std::string& query : row.queries(engineQuery, profile)) {
    urls.push_back(EngineRequestUrl(row, baseUrl, query, row.firstPaging));
  }
  return urls;
}

std::optional<std::string> CachedCopyKey(std::string_view url) {
  for (const EngineRow& row : BuiltInEngines()) {
    if (row.cacheRequest.empty()) continue;
    const std::string_view mark = CacheMark(row);
    size_t at = url.find(mark);
    if (at != std::string_view::npos) return std::string(url.substr(at + mark.size()));
  }
  return std::nullopt;
}

std::string CachedCopyAddress(const Context& ctx, std::string_view key) {
  for (int slot = 0; slot < kEngineSlots; ++slot) {
    const EngineRow& row = SlotEngine(slot);
    if (!row.cacheRequest.empty()) return SlotBase(ctx, slot) + std::string(row.cacheRequest) + std::string(key);
  }
  return std::string(key);
}

}  // namespace orvi
