// The progress clip's reader on any bytes: it never reads out of bounds,
// and what it returns is a consistent clip (or none).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ui/avi_clip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orvi::ui::AviClip clip = orvi::ui::ReadAviClip(std::string_view(reinterpret_cast<const char*>(data), size));
  if (clip.frames.empty()) return 0;
  if (clip.width <= 0 || clip.height <= 0 || clip.width > orvi::ui::kAviMaxSide || clip.height > orvi::ui::kAviMaxSide) {
    __builtin_trap();
  }
  size_t pixels = 0;
  for (const auto& frame : clip.frames) {
    if (frame.size() != static_cast<size_t>(clip.width) * static_cast<size_t>(clip.height)) __builtin_trap();
    pixels += frame.size();
  }
  if (pixels > orvi::ui::kAviMaxPixels || clip.frameMs < 10) __builtin_trap();
  return 0;
}
