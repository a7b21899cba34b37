// The progress clip: the reader of uncompressed AVI frames against good,
// odd and broken files, the clip the build draws, and the widget playing it.
#include <gtest/gtest.h>

#include "platform/file_io.h"
#include "support/temp_dir.h"
#include "ui/animation.h"
#include "ui/avi_clip.h"

namespace orvi::ui {
namespace {

AviClip Sample(int w, int h, int frames) {
  AviClip clip;
  clip.width = w;
  clip.height = h;
  clip.frameMs = 70;
  for (int f = 0; f < frames; ++f) {
    std::vector<uint32_t> px;
    for (int i = 0; i < w * h; ++i) px.push_back(0xFF000000u | static_cast<uint32_t>(f * 0x10101 + i * 0x30507));
    clip.frames.push_back(px);
  }
  return clip;
}

TEST(AviClip, RoundTripWithOddWidthsAndPadding) {
  for (auto [w, h, n] : {std::tuple{1, 1, 1}, std::tuple{3, 2, 4}, std::tuple{5, 7, 2}, std::tuple{48, 48, 16}}) {
    AviClip clip = Sample(w, h, n);
    AviClip back = ReadAviClip(WriteAviClip(clip));
    EXPECT_EQ(back.width, w);
    EXPECT_EQ(back.height, h);
    EXPECT_EQ(back.frameMs, 70);
    EXPECT_EQ(back.frames, clip.frames) << w << "x" << h;
  }
}

// Replaces 4 bytes of the file at the first occurrence of a tag plus an offset.
std::string Patch(std::string bytes, const char* tag, size_t offset, uint32_t value) {
  size_t at = bytes.find(tag) + offset;
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
  return bytes;
}

TEST(AviClip, TopDownFrames) {
  // A negative height means the top row comes first.
  AviClip clip = Sample(2, 2, 1);
  AviClip flipped = ReadAviClip(Patch(WriteAviClip(clip), "strf", 8 + 8, static_cast<uint32_t>(-2)));
  ASSERT_EQ(flipped.frames.size(), 1u);
  EXPECT_EQ(flipped.frames[0][0], clip.frames[0][2]);
  EXPECT_EQ(flipped.frames[0][2], clip.frames[0][0]);
}

TEST(AviClip, BrokenFilesGiveAnEmptyClip) {
  const std::string good = WriteAviClip(Sample(4, 3, 2));
  struct Case {
    const char* what;
    std::string bytes;
    size_t frames;
  } cases[] = {
      {"empty", "", 0},
      {"not RIFF", "RIFX" + good.substr(4), 0},
      {"a WAVE file", good.substr(0, 8) + "WAVE" + good.substr(12), 0},
      {"header only", good.substr(0, 200), 0},
      {"cut in the second frame", good.substr(0, good.find("00db", good.find("00db") + 4) + 20), 1},
      {"compressed", Patch(good, "strf", 8 + 16, 0x34363248 /* H264 */), 0},
      {"16 bits", Patch(good, "strf", 8 + 12, 0x00100001), 0},
      {"huge width", Patch(good, "strf", 8 + 4, 0x7FFFFFFF), 0},
      {"negative width", Patch(good, "strf", 8 + 4, 0xFFFFFFFF), 0},
      {"zero height", Patch(good, "strf", 8 + 8, 0), 0},
      {"frame list claiming more than the file", Patch(good, "movi", -4, 0xFFFFFFF0), 2},
      {"frame chunk too small: the rest is out of step", Patch(good, "00db", 4, 3), 0},
      {"no video stream", Patch(good, "vids", 0, 0x73647561 /* auds */), 0},
  };
  for (const Case& c : cases) {
    AviClip clip = ReadAviClip(c.bytes);
    EXPECT_EQ(clip.frames.size(), c.frames) << c.what;
    for (const auto& f : clip.frames) EXPECT_EQ(f.size(), 12u) << c.what;
  }
}

TEST(AnimationClip, PlaysTheDrawnClipAndStaysEmptyOnABadFile) {
  test::TempDir dir;
  AnimationClip clip;
  EXPECT_FALSE(clip.Open(dir.File("missing.avi")));
  clip.Play();
  EXPECT_FALSE(clip.IsPlaying());
  dir.Write("bad.avi", "RIFF\x10\0\0\0AVI garbage");
  EXPECT_FALSE(clip.Open(dir.File("bad.avi")));
  EXPECT_EQ(clip.FrameCount(), 0);
  ASSERT_TRUE(clip.Open(ORVI_CLIP_PATH));
  EXPECT_EQ(clip.FrameCount(), 16);
  EXPECT_EQ(clip.sizeHint(), QSize(48, 48));
  clip.Play();
  EXPECT_TRUE(clip.IsPlaying());
  clip.Stop();
  EXPECT_EQ(clip.CurrentFrame(), 0);
  clip.grab();  // paints without a fault
}

}  // namespace
}  // namespace orvi::ui
