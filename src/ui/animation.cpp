#include "ui/animation.h"

#include <QPainter>

#include <optional>

#include "platform/file_io.h"
#include "ui/avi_clip.h"

namespace orvi::ui {

AnimationClip::AnimationClip(QWidget* parent) : QWidget(parent) {
  connect(&timer_, &QTimer::timeout, this, [this] {
    if (frames_.empty()) return;
    current_ = (current_ + 1) % FrameCount();
    update();
  });
}

bool AnimationClip::Open(const std::string& path) {
  timer_.stop();
  frames_.clear();
  current_ = 0;
  std::optional<std::string> bytes = ReadWholeFile(path);
  AviClip clip = bytes ? ReadAviClip(*bytes) : AviClip{};
  for (const auto& pixels : clip.frames) {
    QImage image(clip.width, clip.height, QImage::Format_ARGB32);
    // The colour of the first pixel is the clip's background: it lets the
    // window show through, as an animation control does.
    const uint32_t key = pixels.front();
    for (int y = 0; y < clip.height; ++y) {
      auto* line = reinterpret_cast<uint32_t*>(image.scanLine(y));
      for (int x = 0; x < clip.width; ++x) {
        uint32_t px = pixels[static_cast<size_t>(y * clip.width + x)];
        line[x] = px == key ? 0u : px;
      }
    }
    frames_.push_back(std::move(image));
  }
  frameMs_ = clip.frameMs;
  updateGeometry();
  update();
  return !frames_.empty();
}

void AnimationClip::Play() {
  if (!frames_.empty()) timer_.start(frameMs_);
}

void AnimationClip::Stop() {
  timer_.stop();
  current_ = 0;
  update();
}

QSize AnimationClip::sizeHint() const {
  return frames_.empty() ? QSize(0, 0) : frames_.front().size();
}

void AnimationClip::paintEvent(QPaintEvent*) {
  if (frames_.empty()) return;
  QPainter painter(this);
  painter.drawImage(0, 0, frames_[static_cast<size_t>(current_)]);
}

}  // namespace orvi::ui
