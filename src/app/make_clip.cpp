// Draws the progress clip: a turning globe searched by a magnifying glass,
// written as ORVI.avi (uncompressed) into the given path.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>

#include "platform/file_io.h"
#include "ui/avi_clip.h"

namespace {

constexpr int kSide = 48;
constexpr int kFrames = 16;
constexpr double kPi = std::numbers::pi;

uint32_t Rgb(double r, double g, double b) {
  auto c = [](double v) { return static_cast<uint32_t>(std::lround(std::fmin(255.0, std::fmax(0.0, v)))); };
  return 0xFF000000u | c(r) << 16 | c(g) << 8 | c(b);
}

uint32_t Pixel(int frame, double x, double y) {
  const double turn = 2 * kPi * frame / kFrames;
  // The glass circles over the globe.
  const double gx = 24 + 7 * std::cos(turn), gy = 22 + 5 * std::sin(turn);
  const double dg = std::hypot(x - gx, y - gy);
  const double cx = 22, cy = 22, r = 17;
  const double dx = (x - cx) / r, dy = (y - cy) / r, d2 = dx * dx + dy * dy;
  // Handle of the glass, pointing down-right.
  const double hx = x - (gx + 6.4), hy = y - (gy + 6.4);
  const double along = (hx + hy) / std::sqrt(2.0), across = (hx - hy) / std::sqrt(2.0);
  if (along > 0 && along < 11 && std::fabs(across) < 1.8) return Rgb(90, 60, 30);
  if (dg > 6.3 && dg < 8.0) return Rgb(60, 60, 70);
  const bool inGlass = dg <= 6.3;
  if (d2 > 1) return inGlass ? Rgb(225, 240, 250) : Rgb(255, 255, 255);
  const double nz = std::sqrt(1 - d2);
  const double lon = std::atan2(dx, nz) + turn, lat = std::asin(-dy);
  const double land = std::sin(3 * lon) * std::cos(2 * lat) + 0.5 * std::sin(5 * lon + 1.3) * std::sin(3 * lat);
  const double grid = std::fmin(std::fabs(std::remainder(lon, kPi / 6)), std::fabs(std::remainder(lat, kPi / 6)));
  const double light = 0.45 + 0.55 * (0.6 * nz + 0.4 * (-dx - dy) / 1.4 + 0.4);
  double red = 40, green = 90, blue = 200;
  if (land > 0.35) red = 70, green = 160, blue = 70;
  if (grid < 0.05) red *= 0.7, green *= 0.7, blue *= 0.75;
  if (inGlass) {  // magnified: brighter
    red = red * 1.25 + 20, green = green * 1.25 + 20, blue = blue * 1.2 + 20;
  }
  return Rgb(red * light, green * light, blue * light);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: orvi-make-clip OUTPUT.avi\n");
    return 2;
  }
  orvi::ui::AviClip clip;
  clip.width = clip.height = kSide;
  clip.frameMs = 90;
  for (int f = 0; f < kFrames; ++f) {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < kSide; ++y) {
      for (int x = 0; x < kSide; ++x) {
        // Four samples per pixel smooth the edges.
        uint32_t r = 0, g = 0, b = 0;
        for (double sy : {0.25, 0.75}) {
          for (double sx : {0.25, 0.75}) {
            uint32_t p = Pixel(f, x + sx, y + sy);
            r += p >> 16 & 0xFF, g += p >> 8 & 0xFF, b += p & 0xFF;
          }
        }
        pixels.push_back(0xFF000000u | (r / 4) << 16 | (g / 4) << 8 | b / 4);
      }
    }
    // The corner stays pure white: it is the transparent colour of the clip.
    pixels[0] = 0xFFFFFFFFu;
    clip.frames.push_back(std::move(pixels));
  }
  if (!orvi::WriteWholeFile(argv[1], orvi::ui::WriteAviClip(clip))) {
    std::fprintf(stderr, "orvi-make-clip: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
