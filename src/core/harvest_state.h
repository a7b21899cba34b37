#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

namespace orvi {

// The limits the preparation window's "S'arrêter à:" slider chooses from, and
// the position it starts at the first time.
inline constexpr std::array<int, 13> kStopAtLimits{100, 150,  200,  300,  400,  500, 600,
                                                   750, 1000, 1250, 1500, 1750, 2000};
inline constexpr int kDefaultStopAtPosition = 5;

// Phase 1 of a search as the preparation window, the command line and the
// harvest threads share it. Lives for the whole process.
struct HarvestState {
  // Set by "1. Lancer la recherche" before the harvest starts; cleared by
  // "Stop !" and when the preparation window closes. Every harvest loop ends
  // when it is cleared.
  std::atomic<bool> running{false};
  // The "S'arrêter à:" field. Every harvest loop ends once the queue holds this
  // many pages; the engine threads read it again after every result page.
  std::atomic<int> stopAt{kStopAtLimits[kDefaultStopAtPosition]};
  // The "Fichier Log.txt" box, read when a harvest starts.
  std::atomic<bool> logEnabled{false};
  // The "AutoStart" box, remembered from one opening of the window to the next.
  std::atomic<bool> autoStart{true};
  // Set when the preparation window has closed: the harvest then leaves its
  // fields alone and ends. Without a window (command line) it stays clear.
  std::atomic<bool> windowClosed{false};
  // Google is asked on its fallback host from its first failed request until
  // the program ends.
  std::atomic<bool> googleFallback{false};
  // The keyword row (0-9) whose engines are being asked.
  std::atomic<int> currentRow{0};
  // How long the harvest waits for each engine thread of a row before it goes
  // on without it.
  std::atomic<int64_t> engineWaitMs{300000};

  // Held around each append to the query log, so that the lines of the three
  // engine threads never mix.
  std::mutex logLock;
};

}  // namespace orvi
