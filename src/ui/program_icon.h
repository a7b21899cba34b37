#pragma once

// The program's icon, drawn rather than shipped: the windows' icon and the
// files installed for the desktop come from this one drawing. Needs Qt GUI
// only, so that the build's icon maker links without the widgets.
#include <QImage>

namespace orvi::ui {

// The icon at size x size pixels on a transparent ground.
QImage DrawProgramIcon(int size);

}  // namespace orvi::ui
