#include "search/harvest.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
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
#include "search/engine_table.h"
#include "search/query.h"
#include "search/query_log.h"
#include "search/web_pages.h"
#include "search/web_requests.h"

namespace orvi {
namespace {

constexpr int kFailuresToGiveUp = 2;  // in a row
constexpr int kAutoStartDelayMs = 1000;
constexpr char kNoInputMessage[] = "Indiquez ce que vous recherchez, please ...";
constexpr char kNothingFound[] = "Aucune correspondance trouv\xE9" "e...";

// What the threads of one harvest share.
struct Harvest {
  Harvest(Context& context, HarvestBoard& progress, QueryLog& queryLog, uint64_t phase)
      : ctx(context), board(progress), log(queryLog), generation(phase) {}
  Context& ctx;
  HarvestBoard& board;
  QueryLog& log;
  // The search phase of this harvest: once stopped, nothing more is queued.
  const uint64_t generation;
  // Set when the rows are done: an engine thread that outlived its wait ends
  // at its next check instead of feeding the queue of a later run.
  std::atomic<bool> abandon{false};
  // Per slot: its engine refused us, and is asked nothing more; when its
  // last request was sent, on the context's clock.
  std::array<std::atomic<bool>, kEngineSlots> blocked{};
  std::array<std::atomic<int64_t>, kEngineSlots> lastAsked{};
  std::array<SlotChoice, kEngineSlots> engines;
};

int QueueSize(Context& ctx) {
  std::lock_guard lock(ctx.QueueLock);
  return ctx.queue.count();
}

// The loop condition every engine checks before each page.
bool KeepAsking(Harvest& h, int limit) {
  return h.ctx.harvest.running && !h.abandon && h.ctx.run.Serves(h.generation) &&
         QueueSize(h.ctx) < limit;
}

// A harvest told to stop breaks its fetches: a page lost that way says
// nothing about the engine's host.
bool Stopped(Harvest& h) {
  return !h.ctx.harvest.running || h.abandon || !h.ctx.run.Serves(h.generation);
}

// Queues one result link and logs it. An entry another engine queued first
// is marked as found by several.
QueueEntryPtr TakeLink(Harvest& h, int engineId, std::string_view logName, const std::string& link, int& added) {
  bool isNew = false;
  QueueEntryPtr entry = AcceptUrl(h.ctx, link, isNew, engineId, FoundBy::FromEngine, 0, h.generation);
  if (isNew) {
    ++added;
  } else if (entry && entry->engine != engineId) {
    entry->engine = 0;
  }
  h.log.Link(logName, isNew, link);
  return entry;
}

// Queue entries by the engine id that found them (0: several, or none).
std::array<int, kEngineSlots + 1> EntriesByEngine(Context& ctx) {
  std::array<int, kEngineSlots + 1> found{};
  std::lock_guard lock(ctx.QueueLock);
  for (const QueueEntryPtr& entry : ctx.queue.entries) {
    int engine = entry->engine;
    if (engine >= 0 && engine <= kEngineSlots) ++found[static_cast<size_t>(engine)];
  }
  return found;
}

// The end of every result page: the row's count, the queue size, the unique
// counters, and the limit read again.
void AfterPage(Harvest& h, int slot, int row, int added, int& limit) {
  const int found = QueueSize(h.ctx);
  limit = h.ctx.harvest.stopAt;
  const std::array<int, kEngineSlots + 1> byEngine = EntriesByEngine(h.ctx);
  h.board.Update([&](HarvestProgress& p) {
    p.cells[static_cast<size_t>(slot)][static_cast<size_t>(row)].ok = added;
    p.found = found;
    for (size_t s = 0; s < kEngineSlots; ++s) p.unique[s] = byEngine[s + 1];
  });
}

void ShowTotal(Harvest& h, int slot, int row, int total) {
  h.board.Update([&](HarvestProgress& p) {
    p.cells[static_cast<size_t>(slot)][static_cast<size_t>(row)].total = total;
  });
}

// Asks the engine of a slot for one keyword row, query after query and page
// after page, and queues the result links.
void AskEngine(Harvest& h, int slot, int row, const std::string& engineQuery) {
  Context& ctx = h.ctx;
  // The designed rows keep their own fallback host and letter wherever a
  // slot takes them; the queue knows the slot.
  const int designed = h.engines[static_cast<size_t>(slot)].designed;
  const EngineRow& engine = SlotEngine(designed);
  const std::string_view letter(&engine.letter, 1);
  const int engineId = slot + 1;
  int sumTotals = 0, sumAdded = 0;
  bool gaveUp = false, stopped = false;
  for (const std::string& query : engine.queries(engineQuery, ctx.activeProfile)) {
    if (!ctx.harvest.running || h.abandon) break;
    int pages = 0, failures = 0, added = 0, seen = 0, total = 0;
    bool first = true;
    std::optional<std::string> range;
    int limit = ctx.harvest.stopAt;
    while (KeepAsking(h, limit)) {
      const bool primary = !OnFallbackHost(ctx, designed);
      const std::string& base = SlotBase(ctx, designed);
      FetchError label = FetchError::None;
      std::optional<std::string> page =
          FetchPage(ctx, EngineRequestUrl(engine, base, query, engine.firstPaging + pages * engine.pagingStep),
                    label, true, kEngineTimeoutSeconds, engine.headers);
      if (!page) {
        stopped = Stopped(h);
        if (stopped) break;
        // The fallback host serves every later request of the process.
        if (primary && engine.fallbackUrl != nullptr) {
          MoveToFallbackHost(ctx, designed);
          continue;
        }
        // Two failures in a row end the engine's row, its other queries too.
        gaveUp = ++failures >= kFailuresToGiveUp;
        if (gaveUp) break;
        continue;
      }
      failures = 0;
      const int queuedBefore = added;
      ResultPage read = engine.read(*page, first, ctx.hosts);
      if (read.marked) {
        if (first) {
          first = false;
          // No total where one was announced: the same page once more.
          if (read.refetch) continue;
          total = read.total;
          sumTotals = std::min(sumTotals + total, kMaxEngineTotal);
          ShowTotal(h, slot, row, sumTotals);
        }
        if (read.rangeMarker) {
          // The same range again: the engine served the same page for a
          // higher offset, whose links were taken already.
          if (read.rangeMarker == range) break;
          range = std::move(read.rangeMarker);
        }
        for (const ResultLink& link : read.links) {
          QueueEntryPtr entry = TakeLink(h, engineId, letter, link.url, added);
          ++seen;
          if (!entry || link.cachePath.empty() || !ctx.activeProfile.GoogleCache) continue;
          std::string cache = (base + link.cachePath).substr(0, kMaxLinkChars);
          std::lock_guard lock(ctx.QueueLock);
          if (entry->cacheUrl.empty()) entry->cacheUrl = std::move(cache);
        }
      } else if (first && sumTotals == 0 && engine.zeroTotalWithoutMarker) {
        ShowTotal(h, slot, row, 0);
      }
      h.board.Update([&](HarvestProgress& p) {
        HarvestProgress::Tally& t = p.tallies[static_cast<size_t>(slot)];
        ++t.pages;
        t.results += static_cast<int>(read.links.size());
        t.queued += added - queuedBefore;
      });
      AfterPage(h, slot, row, sumAdded + added, limit);
      ++pages;
      if (engine.maxPages > 0 && pages >= engine.maxPages) break;
      if (pages * engine.resultsPerPage >= total) break;
      if (engine.endsWithoutLinks && seen == 0) break;
    }
    sumAdded += added;
    if (gaveUp || stopped) break;
  }
  h.board.Update([&](HarvestProgress& p) {
    // A thread that outlived its wait leaves the state of the next row alone.
    if (p.markedRow == row) p.engines[static_cast<size_t>(slot)] = gaveUp ? EngineState::GaveUp : EngineState::Done;
  });
}

constexpr int64_t kNeverAsked = INT64_MIN;

// What the status line says of a slot.
void ShowEngine(Harvest& h, int slot, int row, EngineState state, std::string note) {
  h.board.Update([&](HarvestProgress& p) {
    if (p.markedRow != row && state != EngineState::Blocked) return;
    if (state == EngineState::Blocked) p.cells[static_cast<size_t>(slot)][static_cast<size_t>(row)].blocked = true;
    p.engines[static_cast<size_t>(slot)] = state;
    p.notes[static_cast<size_t>(slot)] = std::move(note);
  });
}

// Spaces the requests to one engine by the row's pacing. A stop, the end of
// the search or a full queue ends the wait at once: false.
bool Pace(Harvest& h, int slot, int row, const WebEngine& web) {
  const int64_t last = h.lastAsked[static_cast<size_t>(slot)];
  if (last == kNeverAsked) return true;
  const int64_t wait = last + web.PacingMs - h.ctx.clock().NowMs();
  if (wait <= 0) return true;
  ShowEngine(h, slot, row, EngineState::Waiting,
             web.Name + " : attente de " + FormatInt(static_cast<int>((wait + 999) / 1000)) +
                 " s entre deux requ\xEAtes");
  if (!h.ctx.clock().SleepUnless(wait, [&] { return !KeepAsking(h, h.ctx.harvest.stopAt); })) return false;
  ShowEngine(h, slot, row, EngineState::Asking, "");
  return true;
}

// Asks one of today's engines for one keyword row, page after page, as its
// row says, and queues the result links. A block ends the engine for the
// whole search.
void AskWebEngine(Harvest& h, int slot, int row, const std::string& engineQuery) {
  Context& ctx = h.ctx;
  const WebEngine& web = *h.engines[static_cast<size_t>(slot)].web;
  const int engineId = slot + 1;
  auto blocked = [&](std::string note) {
    h.blocked[static_cast<size_t>(slot)] = true;
    ShowEngine(h, slot, row, EngineState::Blocked, std::move(note));
  };
  if (StartsWithIgnoreCase(web.Url, "https://") && !ctx.netSettings.Https) {
    blocked(web.Name + " : adresse https, les adresses https ne sont pas autoris\xE9" "es (Options, Configuration)");
    return;
  }
  const WebRequest first = FirstWebRequest(ctx, web, engineQuery);
  int paging = 0, pages = 0, failures = 0, added = 0;
  std::string nextBody;
  int limit = ctx.harvest.stopAt;
  EngineState end = EngineState::Done;
  std::string note;
  while (pages < web.MaxPages && KeepAsking(h, limit)) {
    if (!Pace(h, slot, row, web)) break;
    WebRequest request = first;
    if (paging != 0 && !web.NextForm.empty()) {
      request.body = nextBody;
    } else if (paging != 0) {
      request.url += (request.url.find('?') == std::string::npos ? "?" : "&") + web.PagingParam + "=" + FormatInt(paging);
    }
    h.lastAsked[static_cast<size_t>(slot)] = ctx.clock().NowMs();
    h.log.Request(web.Name, request.method, request.url);
    WebAnswer answer = FetchWeb(ctx, request, kEngineTimeoutSeconds, web.Format != "json");
    ++pages;
    h.board.Update([&](HarvestProgress& p) { ++p.tallies[static_cast<size_t>(slot)].pages; });
    WebPage page;
    if (answer.label == FetchError::None) page = ReadWebPage(web, answer.status, answer.body, paging);
    if (answer.label != FetchError::None || page.kind == WebPage::Kind::Failed) {
      if (Stopped(h)) break;
      if (++failures >= kFailuresToGiveUp) {
        // Said, so that a user offline or behind a wall sees why nothing came.
        end = EngineState::GaveUp;
        note = web.Name + " : ne r\xE9pond pas (" +
               (answer.label != FetchError::None ? std::string(LabelText(answer.label))
                                                 : "statut " + FormatInt(answer.status)) + ")";
        break;
      }
      continue;
    }
    failures = 0;
    if (page.kind == WebPage::Kind::Blocked) {
      blocked(web.Name + " : " +
              (page.reasonSaysAll ? page.reason
                                  : "acc\xE8s bloqu\xE9 par le moteur (" + page.reason + "), r\xE9" "essayez plus tard"));
      return;
    }
    if (page.kind == WebPage::Kind::Unknown) {
      note = web.Name + " : page sans r\xE9" "sultat lisible ni blocage (Moteurs.ini \xE0" " revoir ?)";
      break;
    }
    const int before = added;
    for (const std::string& link : page.links) TakeLink(h, engineId, web.Name, link, added);
    h.board.Update([&](HarvestProgress& p) {
      HarvestProgress::Tally& t = p.tallies[static_cast<size_t>(slot)];
      t.results += static_cast<int>(page.links.size());
      t.queued += added - before;
    });
    AfterPage(h, slot, row, added, limit);
    if (!page.next) break;
    paging = page.nextPaging;
    nextBody = std::move(page.nextBody);
  }
  ShowEngine(h, slot, row, end, std::move(note));
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

}  // namespace

bool InputsGiven(const HarvestInputs& inputs) {
  return !inputs.input1Used || !inputs.input1.empty() || !inputs.input2.empty();
}

void StopHarvest(Context& ctx) {
  ctx.harvest.running = false;
  ctx.sockets.CloseAllSockets();
}

HarvestResult RunHarvest(Context& ctx, const HarvestInputs& typed, HarvestBoard& board,
                         const std::atomic<bool>& abandoned) {
  HarvestResult result;
  StopAndClearQueue(ctx);
  const bool log = ctx.harvest.logEnabled;
  board.Update([](HarvestProgress& p) {
    p = HarvestProgress{};
    p.running = true;
  });
  auto end = [&] { board.Update([](HarvestProgress& p) { p.running = false; }); };

  if (!InputsGiven(typed)) {
    ctx.ui().MessageBox({kNoInputMessage, "", MsgIcon::Information});  // no caption of its own
    end();
    return result;
  }
  ctx.run.progress.Clip(true);  // the clip plays while the engines are asked
  SearchInputs inputs = PrepareSearchInputs(typed.input1, typed.input2);
  ctx.SearchText = inputs.searchText;
  result.encodedSearchText = inputs.encodedSearchText;
  const uint64_t generation = BeginSearchPhase(ctx);
  QueryLog queryLog(ctx.AppFolder + "Log.txt", log);
  queryLog.Start();

  Harvest h(ctx, board, queryLog, generation);
  for (int slot = 0; slot < kEngineSlots; ++slot) {
    h.engines[static_cast<size_t>(slot)] = ChooseSlotEngine(ctx, slot);
    h.lastAsked[static_cast<size_t>(slot)] = kNeverAsked;
  }
  board.Update([&](HarvestProgress& p) {
    for (size_t s = 0; s < kEngineSlots; ++s) p.names[s] = h.engines[s].name;
  });
  const SearchProfile& profile = ctx.activeProfile;
  auto keepAsking = [&] {
    return QueueSize(ctx) < ctx.harvest.stopAt && ctx.harvest.running && !abandoned;
  };
  ThreadSet threads;
  for (size_t v = 0; v < inputs.variants.size() && keepAsking(); ++v) {
    for (int r = 0; r < SearchProfile::kKeyRows && keepAsking(); ++r) {
      const std::string& row = profile.Keys[static_cast<size_t>(r)];
      if (row.empty()) break;  // the first empty row ends the list
      const std::string encodedRow = EncodeRow(row);
      board.Update([r](HarvestProgress& p) { p.markedRow = r; });
      queryLog.Row(row);
      std::optional<std::string> query =
          ComposeEngineQuery(inputs.variants[v], encodedRow, profile.FindS, inputs);
      if (!query) continue;

      std::array<bool, kEngineSlots> asked{};
      for (int slot = 0; slot < kEngineSlots; ++slot) {
        asked[static_cast<size_t>(slot)] = Ticked(SlotMask(profile, slot), r) && !h.blocked[static_cast<size_t>(slot)];
      }
      board.Update([&](HarvestProgress& p) {
        p.queryDisplay = DisplayForm(*query);
        for (size_t s = 0; s < kEngineSlots; ++s) {
          if (h.blocked[s]) continue;  // says why until the search ends
          p.engines[s] = asked[s] ? EngineState::Asking : EngineState::Idle;
        }
      });
      std::vector<std::shared_ptr<EngineJob>> jobs;
      for (int slot = 0; slot < kEngineSlots; ++slot) {
        if (!asked[static_cast<size_t>(slot)]) continue;
        auto job = std::make_shared<EngineJob>();
        jobs.push_back(job);
        // The thread keeps its own row and query, so that one outliving the
        // wait goes on with them while the next row is asked.
        threads.Start([&h, job, slot, r, q = *query] {
          if (h.engines[static_cast<size_t>(slot)].web != nullptr) {
            AskWebEngine(h, slot, r, q);
          } else {
            AskEngine(h, slot, r, q);
          }
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

  if (abandoned) {
    result.found = QueueSize(ctx) > 0;
    end();
    return result;
  }
  EndSearchPhase(ctx, generation);
  ctx.run.progress.Clip(false);
  board.Update([](HarvestProgress& p) {
    p.markedRow = -1;
    p.queryDisplay.clear();
  });

  if (QueueSize(ctx) == 0) {
    ctx.ui().MessageBox({kNothingFound, "ORVI", MsgIcon::Warning});
    end();
    return result;
  }
  result.found = true;
  if (ctx.harvest.autoStart) {
    ctx.clock().SleepMs(kAutoStartDelayMs);
    result.startExploration = !abandoned;
  }
  end();
  return result;
}

}  // namespace orvi
