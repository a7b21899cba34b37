#pragma once

#include <string>
#include <string_view>

#include "core/context.h"

namespace orvi {

// Fields of the search preparation window that the harvest writes.
namespace prep_ids {
constexpr int kRowMarker = 1000;     // + row: icon of the row being asked
constexpr int kGoogleTotal = 1200;   // + row
constexpr int kGoogleOk = 1300;      // + row: pages of the row queued
constexpr int kFastTotal = 1400;     // + row
constexpr int kFastOk = 1500;        // + row
constexpr int kWiseNutTotal = 1600;  // + row: sum over the row's queries
constexpr int kWiseNutOk = 1700;     // + row
constexpr int kUniqueGoogle = 114;   // queue entries found by that engine alone
constexpr int kUniqueFast = 115;
constexpr int kUniqueWiseNut = 142;
constexpr int kFound = 134;         // "Trouvés": queue entries
constexpr int kQueryDisplay = 106;  // the row being asked, readable
}  // namespace prep_ids

// Result pages are read with a 10-second time-out; WiseNut is asked for 100
// results a page through its preferences cookie.
constexpr int kEngineTimeoutSeconds = 10;
inline constexpr std::string_view kWiseNutCookie =
    "Cookie: cookie%5Ftest=true; wisenut=ppat=0&iitem2=0&een=ISO%2D8859%2D1&iitem1=0&iitem3=0&"
    "cclu=0&ccon=2&nnum=100&ssl=\r\n";

struct HarvestResult {
  bool found = false;  // the queue holds pages for phase 2
  // "AutoStart" was checked and the window is still there: the caller starts
  // phase 2 now, as "2. Traiter les résultats" would.
  bool startExploration = false;
  // The encoded input, for the report to the product site.
  std::string encodedSearchText;
};

// Phase 1 of a search, on the calling thread: empties the queue, asks the
// engines ticked for each keyword row of the active profile, query variant by
// variant, one thread per engine and row, and queues their result links. The
// caller sets ctx.harvest.running first; the inputs are as typed (at most 79
// characters are read); input1Enabled is false for a profile that needs no
// input. Every thread it starts has ended when it returns.
HarvestResult RunHarvest(Context& ctx, const std::string& input1, const std::string& input2,
                         bool input1Enabled);

// Shows, in fields 114, 115 and 142, how many queue entries each engine found
// alone.
void RefreshUniqueCounters(Context& ctx);

// The query log's first lines, and the block that opens each row asked.
std::string LogHeader();
std::string LogRowBlock(std::string_view row);

}  // namespace orvi
