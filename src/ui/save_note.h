#pragma once

#include <QFrame>

namespace orvi::ui {

// Dialog resource 2: the small bordered note shown while the search state is
// saved.
class SaveNote : public QFrame {
 public:
  static constexpr int kWindowId = 2;
  explicit SaveNote(QWidget* owner);
};

}  // namespace orvi::ui
