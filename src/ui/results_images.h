#pragma once

#include <QIcon>
#include <QPixmap>

namespace orvi::ui {

// The small pictures of the results window, drawn here rather than shipped.
// Each call draws a new one: the window keeps what it uses.
// List rows: one per EntryStatus (0 server folder, 1 set pending, 2 single
// pending, 3 single valid, 4 single failed, 5 set failed, 6 set valid).
constexpr int kListImageCount = 7;
QIcon ListStatusIcon(int status);
// Tree items: one per tree image (0 valid, 1 waiting, 2 failed, 3 timed out,
// 4 verifying).
constexpr int kTreeImageCount = 5;
QIcon TreeStateIcon(int image);
// The page time-out counter's icon.
QPixmap TimeoutPixmap();

}  // namespace orvi::ui
