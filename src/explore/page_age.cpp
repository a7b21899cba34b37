#include "explore/page_age.h"

#include "platform/socket.h"
#include "platform/text.h"
#include "results/verification.h"

namespace orvi {
namespace {

constexpr int kOldestYear = 1950;

}  // namespace

bool IsPageTooOld(const Context& ctx, std::string_view lastModified) {
  static constexpr std::string_view kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                                 "jul", "aug", "sep", "oct", "nov", "dec"};
  if (lastModified.size() < 6) return false;
  const std::string name = AsciiLower(lastModified.substr(3, 3));
  int month = 0;
  for (int i = 0; i < 12; ++i) {
    if (name == kMonths[i]) month = i + 1;
  }
  if (month == 0) return false;
  const int year = lastModified.size() > 7 ? ParseIntLoose(lastModified.substr(7)) : 0;
  if (year < kOldestYear) return false;
  const int64_t months = int64_t{ctx.StartYear} * 12 + ctx.StartMonth - (int64_t{year} * 12 + month);
  return months > ctx.activeProfile.DateLimit;
}

// The HEAD's socket is registered like a fetch's, so that a stop breaks it.
bool MayFetch(Context& ctx, const std::string& url, uint64_t generation) {
  if (ctx.activeProfile.DateLimit == 0 || Holds(url, "q=cache:")) return true;
  SocketSlot slot;
  ctx.sockets.RegisterSlot(slot);
  std::optional<std::string> answer;
  bool timedOut = false;
  int64_t size = 0;
  std::string date;
  // A stop before the registration could not reach the slot.
  if (ctx.run.Serves(generation)) answer = ProbeFile(ctx, url, slot, timedOut, true, size, date);
  ctx.sockets.ReleaseSlot(slot);
  if (!answer || date.empty()) return true;
  return !IsPageTooOld(ctx, date);
}

}  // namespace orvi
