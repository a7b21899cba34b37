#include "ui/help.h"

#include <QFile>
#include <QUrl>

#include "core/commands.h"
#include "core/program_folder.h"
#include "ui/browser.h"
#include "ui/news_dialog.h"
#include "ui/options_sheet.h"
#include "ui/qt_ui_port.h"
#include "ui/results_window.h"
#include "ui/statistics_dialog.h"

namespace orvi::ui {

std::string HelpPagePath(const Context& ctx, const std::string& page) {
  return ShippedFilePath(ctx.AppFolder, "help/" + page);
}

void OpenHelp(GuiEnv& env, const std::string& page) {
  std::string path = HelpPagePath(env.ctx, page);
  if (!path.empty()) {
    // An encoded file address is plain ASCII whatever the folder's name holds.
    QUrl url = QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(path)));
    if (env.browser.ShellOpen(url.toString(QUrl::FullyEncoded).toStdString())) return;
  }
  // A command that does nothing at all would leave the user guessing.
  env.port.MessageBox({"L'aide n'a pas pu \xEAtre ouverte : " + (path.empty() ? "help/" + page : path), "ORVI",
                       MsgIcon::Warning});
}

void AddDialogCommands(GuiEnv& env, ResultsWindow& results) {
  CommandTable& t = results.Commands();
  t.Add(cmd::kAbout, [&env] { AboutBox::Open(env); });
  t.Add(cmd::kOptions, [&env, &results] { OptionsSheet::Open(env, &results); });
  t.Add(cmd::kHelp, [&env] { OpenHelp(env, kHelpMain); });
  t.Add(cmd::kStatistics, [&env] { StatisticsDialog::Open(env); });
}

}  // namespace orvi::ui
