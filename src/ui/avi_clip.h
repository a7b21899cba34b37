#pragma once

// Uncompressed RIFF AVI clips: the reader behind the progress animation and
// the writer that makes ORVI.avi. No Qt here, so that the reader can be fuzzed
// on its own.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvi::ui {

struct AviClip {
  int width = 0;
  int height = 0;
  int frameMs = 100;  // time per frame, as the header says (at least 10)
  // Each frame is width x height pixels 0xAARRGGBB, top row first.
  std::vector<std::vector<uint32_t>> frames;
};

// Limits that keep a hostile file from costing more than a clip would.
constexpr int kAviMaxSide = 1024;
constexpr size_t kAviMaxPixels = 16u << 20;  // over all frames

// Reads a clip of uncompressed frames (8-bit with a palette, 24 or 32 bits).
// Anything else - a compressed stream, a truncated or inconsistent file -
// gives an empty clip (no frames); frames already read before a bad chunk are
// kept.
AviClip ReadAviClip(std::string_view bytes);
// Writes a clip as a 24-bit uncompressed AVI.
std::string WriteAviClip(const AviClip& clip);

}  // namespace orvi::ui
