#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <string>
#include <vector>

namespace orvi::ui {

// Plays the progress clip (ORVI.avi, uncompressed frames) in a loop while a
// search runs. A missing or unreadable file leaves it empty.
class AnimationClip : public QWidget {
 public:
  explicit AnimationClip(QWidget* parent = nullptr);

  // Reads the clip; false (and an empty clip) when it cannot be read.
  bool Open(const std::string& path);
  void Play();
  // Stops on the first frame.
  void Stop();
  bool IsPlaying() const { return timer_.isActive(); }
  int FrameCount() const { return static_cast<int>(frames_.size()); }
  int CurrentFrame() const { return current_; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<QImage> frames_;
  int current_ = 0;
  int frameMs_ = 100;
  QTimer timer_;
};

}  // namespace orvi::ui
