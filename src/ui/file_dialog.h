#pragma once

class QFileDialog;

namespace orvi::ui {

// Sets up one of the program's file dialogs (Qt's own, not the desktop's):
// the size and the columns of its details view, which shows sizes, types and
// dates in French whatever the system's language, in columns wide enough for
// them. Call it once the dialog's folder and filter are set.
void SetUpFileDialog(QFileDialog& dialog);

}  // namespace orvi::ui
