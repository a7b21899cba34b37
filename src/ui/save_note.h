#pragma once

#include <QFrame>

namespace orvi::ui {

// The small bordered note (window 2) shown while the search state is saved.
class SaveNote : public QFrame {
 public:
  explicit SaveNote(QWidget* owner);
};

}  // namespace orvi::ui
