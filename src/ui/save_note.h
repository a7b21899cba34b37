#pragma once

#include <QFrame>

namespace orvi::ui {

// The small bordered note (window 2) shown while the search state is saved.
class SaveNote : public QFrame {
 public:
  static constexpr int kWindowId = 2;
  explicit SaveNote(QWidget* owner);
};

}  // namespace orvi::ui
