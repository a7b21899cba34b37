#pragma once

class QApplication;

namespace orvi::ui {

// What the program sets up once its application object exists: the French
// texts of Qt's own dialogs (file dialogs, standard buttons) and its icon.
void SetUpApplication(QApplication& app);

}  // namespace orvi::ui
