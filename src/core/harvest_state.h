#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "core/search_profile.h"

namespace orvi {

// The limits the preparation window's "S'arrêter à:" slider chooses from, and
// the position it starts at the first time.
inline constexpr std::array<int, 13> kStopAtLimits{100, 150,  200,  300,  400,  500, 600,
                                                   750, 1000, 1250, 1500, 1750, 2000};
inline constexpr int kDefaultStopAtPosition = 5;

// A profile ticks each keyword row for three engine slots; the queue records
// a page's slot plus one as its engine id.
inline constexpr int kEngineSlots = 3;

// Phase 1 of a search as the preparation window, the command line and the
// harvest threads share it. Lives for the whole process.
struct HarvestState {
  // Set when a harvest starts; cleared by "Stop !" and when the preparation
  // window closes. Every harvest loop ends when it is cleared.
  std::atomic<bool> running{false};
  // The "S'arrêter à:" field. Every harvest loop ends once the queue holds this
  // many pages; the engine threads read it again after every result page.
  std::atomic<int> stopAt{kStopAtLimits[kDefaultStopAtPosition]};
  // The "Fichier Log.txt" box, read when a harvest starts.
  std::atomic<bool> logEnabled{false};
  // The "AutoStart" box, remembered from one opening of the window to the next.
  std::atomic<bool> autoStart{true};
  // Bit i: engine i of the engine table is asked on its fallback host, from
  // its first failed request until the program ends.
  std::atomic<uint32_t> fallbackHosts{0};
  // How long the harvest waits for each engine thread of a row before it goes
  // on without it.
  std::atomic<int64_t> engineWaitMs{300000};
};

// What an engine thread of the current row is doing.
enum class EngineState {
  Idle,    // not asked for this row (or no row yet)
  Asking,  // fetching and reading its result pages
  Done,    // its pages are read
  GaveUp,  // two failed requests in a row
  Waiting,  // spacing its requests: the engine refuses clients that ask too fast
  Blocked,  // the engine refused us (or cannot be asked): asked nothing more in this search
};

// The board of the preparation window as the harvest leaves it: what the
// window shows on its tick and the command line prints at the end. A value
// without a number is an empty field.
struct HarvestProgress {
  struct Cell {
    std::optional<int> total;  // the total the engine announced for the row, at most 9999
    std::optional<int> ok;     // pages of the row queued
    bool blocked = false;      // the engine refused us on this row: "bloqué" for a total
    bool operator==(const Cell&) const = default;
  };
  std::array<std::array<Cell, SearchProfile::kKeyRows>, kEngineSlots> cells{};
  // Queue entries found by that engine alone.
  std::array<std::optional<int>, kEngineSlots> unique{};
  std::optional<int> found;  // "Trouvés": queue entries
  int markedRow = -1;        // the row being asked; -1: no marker shown
  std::string queryDisplay;  // that row's query, readable
  std::array<EngineState, kEngineSlots> engines{};
  // The engine of each slot, as the column headers show it.
  std::array<std::string, kEngineSlots> names{};
  // What the status line says of a slot's engine: why it is blocked or
  // what it waits for; empty: nothing.
  std::array<std::string, kEngineSlots> notes{};
  // Each engine over the whole harvest: result pages asked, results read,
  // pages it queued.
  struct Tally {
    int pages = 0;
    int results = 0;
    int queued = 0;
    bool operator==(const Tally&) const = default;
  };
  std::array<Tally, kEngineSlots> tallies{};
  bool running = false;      // the harvest has started and not yet ended
  bool operator==(const HarvestProgress&) const = default;
};

// The one copy of a harvest's progress: the harvest changes it, readers on
// other threads take a copy.
class HarvestBoard {
 public:
  // Told of every change on the harvest's threads, outside the lock, by a
  // reader that follows each step rather than a tick. Set before the
  // harvest starts.
  std::function<void(const HarvestProgress&)> onChange;

  HarvestProgress Snapshot() const {
    std::lock_guard lock(mutex_);
    return progress_;
  }
  template <class Change>
  void Update(Change&& change) {
    std::optional<HarvestProgress> changed;
    {
      std::lock_guard lock(mutex_);
      change(progress_);
      if (onChange) changed = progress_;
    }
    if (changed) onChange(*changed);
  }

 private:
  mutable std::mutex mutex_;
  HarvestProgress progress_;
};

}  // namespace orvi
