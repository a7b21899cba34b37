#include "ui/animation.h"

#include <QPainter>

namespace orvi::ui {

AnimationClip::AnimationClip(QWidget* parent) : QWidget(parent) {
  connect(&timer_, &QTimer::timeout, this, [this] {
    if (frames_.empty()) return;
    current_ = (current_ + 1) % FrameCount();
    update();
  });
}

bool AnimationClip::Open(const std::string&) {
  frames_.clear();
  current_ = 0;
  update();
  return false;
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
