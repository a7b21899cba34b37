#include "search/harvest.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "core/thread_set.h"
#include "core/url_text.h"
#include "explore/queue.h"
#include "net/fetch_page.h"
#include "platform/text.h"
#include "search/engine_pages.h"
#include "search/query.h"

namespace orvi {
namespace {

constexpr int kPageStep = 50;          // Google and Fast: results per page
constexpr int kWiseNutStep = 100;      // WiseNut: results per page
constexpr int kWiseNutMaxPages = 4;    // per query
constexpr int kFailuresToGiveUp = 2;   // in a row
constexpr int kAutoStartDelayMs = 1000;
constexpr char kNoInputMessage[] = "Indiquez ce que vous recherchez, please ...";
constexpr char kNothingFound[] = "Aucune correspondance trouv\xE9" "e...";

// What the threads of one harvest share.
struct Harvest {
  Harvest(Context& context, bool logOn, uint64_t phase)
      : ctx(context), log(logOn), generation(phase) {}
  Context& ctx;
  const bool log;
  // The search phase of this harvest: once stopped, nothing more is queued.
  const uint64_t generation;
  // Set when the rows are done: an engine thread that outlived its wait ends
  // at its next check instead of feeding the queue of a later run.
  std::atomic<bool> abandon{false};
};

bool WindowOpen(Context& ctx) { return !ctx.harvest.windowClosed; }

void ShowField(Context& ctx, int id, const std::string& text) {
  if (WindowOpen(ctx)) ctx.ui().SetFieldText(id, text);
}

void ShowNumber(Context& ctx, int id, int64_t value) { ShowField(ctx, id, FormatInt(value)); }

void ShowRowMarker(Context& ctx, int row) {
  for (int r = 0; r < SearchProfile::kKeyRows; ++r) {
    if (WindowOpen(ctx)) ctx.ui().ShowControl(prep_ids::kRowMarker + r, r == row);
  }
}

int QueueSize(Context& ctx) {
  std::lock_guard lock(ctx.QueueLock);
  return ctx.queue.count();
}

std::string LogPath(Context& ctx) { return ctx.AppFolder + "Log.txt"; }

void WriteLog(Context& ctx, std::string_view bytes, const char* mode) {
  std::lock_guard lock(ctx.harvest.logLock);
  std::FILE* file = std::fopen(LogPath(ctx).c_str(), mode);
  if (file == nullptr) return;  // a log that cannot be written loses its lines quietly
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

void AppendLog(Context& ctx, std::string_view line) { WriteLog(ctx, line, "ab"); }

// The loop condition every engine checks before each page.
bool KeepAsking(Harvest& h, int limit) {
  return h.ctx.harvest.running && !h.abandon && h.ctx.run.Serves(h.generation) &&
         QueueSize(h.ctx) < limit;
}

// Queues one result link and logs it ("[G=] url" when added, "[G!] url"
// when a duplicate or refused). An entry another engine queued first is
// marked as found by several.
QueueEntryPtr TakeLink(Harvest& h, int engine, char letter, const std::string& link,
                       int& added) {
  bool isNew = false;
  QueueEntryPtr entry = AcceptUrl(h.ctx, link, isNew, engine, FoundBy::FromEngine, 0, h.generation);
  if (isNew) {
    ++added;
  } else if (entry && entry->engine != engine) {
    entry->engine = 0;
  }
  if (h.log) {
    std::string line = {'[', letter, isNew ? '=' : '!', ']', ' '};
    AppendLog(h.ctx, line + link + "\r\n");
  }
  return entry;
}

// The end of every result page: the row's count, the queue size, the limit
// read again and the unique counters.
void AfterPage(Harvest& h, int okField, int added, int& limit) {
  ShowNumber(h.ctx, okField, added);
  ShowNumber(h.ctx, prep_ids::kFound, QueueSize(h.ctx));
  limit = h.ctx.harvest.stopAt;
  RefreshUniqueCounters(h.ctx);
}

std::optional<std::string> FetchResults(Context& ctx, const std::string& url,
                                        std::string_view headers = {}) {
  FetchError label = FetchError::None;
  return FetchPage(ctx, url, label, true, kEngineTimeoutSeconds, headers);
}

void GoogleHarvest(Harvest& h, int row, const std::string& query) {
  Context& ctx = h.ctx;
  int total = 0, offset = 0, added = 0, failures = 0;
  bool first = true;
  std::string rangeMarker;
  int limit = ctx.harvest.stopAt;
  while (KeepAsking(h, limit)) {
    const bool primary = !ctx.harvest.googleFallback;
    const std::string& base = primary ? ctx.engines.GoogleUrl : ctx.engines.GoogleFallbackUrl;
    std::optional<std::string> page =
        FetchResults(ctx, BuildRequestUrl(kEngineGoogle, base, query, offset));
    if (!page) {
      // A page cut short by a stop says nothing about the host.
      if (!ctx.run.Serves(h.generation)) break;
      if (primary) {
        // The fallback host serves every later request of the process.
        ctx.harvest.googleFallback = true;
        continue;
      }
      if (++failures >= kFailuresToGiveUp) break;
      continue;
    }
    failures = 0;
    GooglePage read = ReadGooglePage(*page, first);
    if (read.marked) {
      if (first) {
        first = false;
        total = read.total;
        ShowNumber(ctx, prep_ids::kGoogleTotal + row, total);
      }
      // The same range again: the engine served the same page for a higher
      // offset, whose links were taken already.
      if (read.rangeMarker == rangeMarker) break;
      rangeMarker = read.rangeMarker;
      for (const GoogleLink& link : read.links) {
        QueueEntryPtr entry = TakeLink(h, kEngineGoogle, 'G', link.url, added);
        if (!entry || link.cachePath.empty() || !ctx.activeProfile.GoogleCache) continue;
        std::string cache = (base + link.cachePath).substr(0, kMaxLinkChars);
        std::lock_guard lock(ctx.QueueLock);
        if (entry->cacheUrl.empty()) entry->cacheUrl = std::move(cache);
      }
    }
    AfterPage(h, prep_ids::kGoogleOk + row, added, limit);
    offset += kPageStep;
    if (offset >= total) break;
  }
}

void FastHarvest(Harvest& h, int row, const std::string& query) {
  Context& ctx = h.ctx;
  int offset = 0, total = 0, seen = 0, added = 0, failures = 0;
  bool first = true;
  int limit = ctx.harvest.stopAt;
  while (KeepAsking(h, limit)) {
    std::optional<std::string> page = FetchResults(
        ctx, FastRequestUrl(ctx.engines.FastUrl, query, ctx.activeProfile.SexFilter, offset));
    if (!page) {
      if (++failures >= kFailuresToGiveUp) break;
      continue;
    }
    failures = 0;
    EnginePage read = ReadFastPage(*page, first, ctx.hosts.fastExcluded);
    if (read.marked) {
      if (first) {
        first = false;
        // No total where one was announced: the same page once more.
        if (read.refetch) continue;
        total = read.total;
        ShowNumber(ctx, prep_ids::kFastTotal + row, total);
      }
      for (const std::string& link : read.links) {
        TakeLink(h, kEngineFast, 'F', link, added);
        ++seen;
      }
    } else if (first) {
      ShowNumber(ctx, prep_ids::kFastTotal + row, 0);
    }
    AfterPage(h, prep_ids::kFastOk + row, added, limit);
    offset += kPageStep;
    if (offset >= total || seen == 0) break;
  }
}

void WiseNutHarvest(Harvest& h, int row, const std::string& engineQuery) {
  Context& ctx = h.ctx;
  int sumTotals = 0, sumAdded = 0;
  for (const std::string& listed : WiseNutQueries(engineQuery)) {
    int offset = 0, page = 0, failures = 0, added = 0, seen = 0, total = 0;
    bool first = true, giveUp = false;
    const std::string query = WithWiseNutFilter(listed, ctx.activeProfile.SexFilter);
    if (!ctx.harvest.running || h.abandon) break;
    int limit = ctx.harvest.stopAt;
    while (KeepAsking(h, limit)) {
      std::optional<std::string> text = FetchResults(
          ctx, BuildRequestUrl(kEngineWiseNut, ctx.engines.WiseNutUrl, query, page),
          kWiseNutCookie);
      if (!text) {
        // Two failures in a row end the engine's whole row, not just this query.
        giveUp = ++failures >= kFailuresToGiveUp;
        if (giveUp) break;
        continue;
      }
      failures = 0;
      EnginePage read = ReadWiseNutPage(*text, first);
      if (read.marked) {
        if (first) {
          first = false;
          if (read.refetch) continue;
          total = read.total;
          sumTotals = std::min(sumTotals + total, kMaxEngineTotal);
          ShowNumber(ctx, prep_ids::kWiseNutTotal + row, sumTotals);
        }
        for (const std::string& link : read.links) {
          TakeLink(h, kEngineWiseNut, 'W', link, added);
          ++seen;
        }
      } else if (first && sumTotals == 0) {
        ShowNumber(ctx, prep_ids::kWiseNutTotal + row, 0);
      }
      AfterPage(h, prep_ids::kWiseNutOk + row, sumAdded + added, limit);
      offset += kWiseNutStep;
      ++page;
      if (page >= kWiseNutMaxPages || offset >= total || seen == 0) break;
    }
    sumAdded += added;
    if (giveUp) break;
  }
}

// One engine thread of a row, which the harvest waits for a limited time.
class EngineJob {
 public:
  void Finish() {
    std::lock_guard lock(mutex_);
    done_ = true;
    ended_.notify_all();
  }
  void WaitFor(int64_t ms) {
    std::unique_lock lock(mutex_);
    ended_.wait_for(lock, std::chrono::milliseconds(std::max<int64_t>(ms, 0)),
                    [this] { return done_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable ended_;
  bool done_ = false;
};

using EngineHarvest = void (*)(Harvest&, int, const std::string&);

}  // namespace

std::string LogHeader() {
  std::string text = "----- ORVI rapport d'interrogation moteurs -----------\r\n";
  text += "[M=] url ajout\xE9" "e / [M!] doublon/filtre / M = G(oogle), F(ast), W(ise)\r\n";
  text += std::string(54, '-') + "\r\n\r\n\r\n";
  return text;
}

std::string LogRowBlock(std::string_view row) {
  const std::string line(52, '-');
  std::string block = "\r\n" + line + "\r\n";
  block.append(row);
  block += "\r\n" + line + "\r\n\r\n";
  return block;
}

void RefreshUniqueCounters(Context& ctx) {
  int found[4] = {0, 0, 0, 0};
  {
    std::lock_guard lock(ctx.QueueLock);
    for (const QueueEntryPtr& entry : ctx.queue.entries) {
      int engine = entry->engine;
      if (engine >= 0 && engine <= 3) ++found[engine];
    }
  }
  ShowNumber(ctx, prep_ids::kUniqueGoogle, found[kEngineGoogle]);
  ShowNumber(ctx, prep_ids::kUniqueFast, found[kEngineFast]);
  ShowNumber(ctx, prep_ids::kUniqueWiseNut, found[kEngineWiseNut]);
}

HarvestResult RunHarvest(Context& ctx, const std::string& input1, const std::string& input2,
                         bool input1Enabled) {
  HarvestResult result;
  StopAndClearQueue(ctx);

  const bool log = ctx.harvest.logEnabled;
  for (int r = 0; r < SearchProfile::kKeyRows; ++r) {
    for (int field = prep_ids::kGoogleTotal; field <= prep_ids::kWiseNutOk; field += 100) {
      ShowField(ctx, field + r, "");
    }
  }
  for (int field : {prep_ids::kUniqueGoogle, prep_ids::kUniqueFast, prep_ids::kUniqueWiseNut}) {
    ShowField(ctx, field, "");
  }

  SearchInputs inputs = PrepareSearchInputs(input1, input2);
  if (inputs.input1.empty() && inputs.input2.empty() && input1Enabled) {
    ctx.ui().MessageBox({kNoInputMessage, "", MsgIcon::Information});  // no caption of its own
    return result;
  }
  ctx.ui().Signal(UiSignal::AnimationPlay);
  ctx.SearchText = inputs.searchText;
  result.encodedSearchText = inputs.encodedSearchText;
  const uint64_t generation = BeginSearchPhase(ctx);
  if (log) WriteLog(ctx, LogHeader(), "wb");

  Harvest h(ctx, log, generation);
  const SearchProfile& profile = ctx.activeProfile;
  const std::pair<int32_t, EngineHarvest> engines[] = {{profile.GoogleUse, GoogleHarvest},
                                                       {profile.AtwUse, FastHarvest},
                                                       {profile.WiseUse, WiseNutHarvest}};
  auto keepAsking = [&] {
    return QueueSize(ctx) < ctx.harvest.stopAt && ctx.harvest.running && WindowOpen(ctx);
  };
  ThreadSet threads;
  for (size_t v = 0; v < inputs.variants.size() && keepAsking(); ++v) {
    for (int r = 0; r < SearchProfile::kKeyRows && keepAsking(); ++r) {
      const std::string& row = profile.Keys[r];
      if (row.empty()) break;  // the first empty row ends the list
      const std::string encodedRow = EncodeRow(row);
      ShowRowMarker(ctx, r);
      if (log) AppendLog(ctx, LogRowBlock(row));
      std::optional<std::string> query =
          ComposeEngineQuery(inputs.variants[v], encodedRow, profile.FindS, inputs);
      if (!query) continue;
      ShowField(ctx, prep_ids::kQueryDisplay, DisplayForm(*query));
      ctx.harvest.currentRow = r;

      std::vector<std::shared_ptr<EngineJob>> jobs;
      for (const auto& [mask, harvest] : engines) {
        if (!Ticked(mask, r)) continue;
        auto job = std::make_shared<EngineJob>();
        jobs.push_back(job);
        // The thread keeps its own row and query, so that one outliving the
        // wait goes on with them while the next row is asked.
        threads.Start([&h, job, r, q = *query, harvest = harvest] {
          harvest(h, r, q);
          job->Finish();
        });
      }
      for (const auto& job : jobs) job->WaitFor(ctx.harvest.engineWaitMs);
      threads.Reap();
    }
  }
  // A thread still running ends after its current page.
  h.abandon = true;
  threads.JoinAll();

  if (!WindowOpen(ctx)) {
    result.found = QueueSize(ctx) > 0;
    return result;
  }
  EndSearchPhase(ctx, generation);
  ctx.ui().Signal(UiSignal::AnimationStop);
  for (int r = 0; r < SearchProfile::kKeyRows; ++r) {
    ctx.ui().ShowControl(prep_ids::kRowMarker + r, false);
  }
  ShowField(ctx, prep_ids::kQueryDisplay, "");

  if (QueueSize(ctx) == 0) {
    ctx.ui().MessageBox({kNothingFound, "ORVI", MsgIcon::Warning});
    return result;
  }
  result.found = true;
  if (ctx.harvest.autoStart) {
    ctx.clock().SleepMs(kAutoStartDelayMs);
    result.startExploration = WindowOpen(ctx);
  }
  return result;
}

}  // namespace orvi
