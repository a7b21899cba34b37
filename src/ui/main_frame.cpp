#include "ui/main_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

#include <unistd.h>

#include <cstdio>

#include "core/commands.h"
#include "explore/exploration_run.h"
#include "platform/file_io.h"
#include "results/catalogue.h"
#include "results/link_export.h"
#include "results/results_file.h"
#include "search/session.h"
#include "ui/common.h"
#include "ui/file_dialog.h"
#include "ui/help.h"
#include "ui/prep_window.h"
#include "ui/profile_editor.h"
#include "ui/qt_ui_port.h"
#include "ui/results_window.h"
#include "ui/save_note.h"
#include "ui/scan_dialog.h"

namespace orvi::ui {
namespace {

constexpr int kSaveNoteMs = 400;
const char kFilter[] = "Sauvegardes (*.txt)";

// The export's file types; the one chosen in the dialog gives the format.
struct ExportType {
  const char* filter;
  const char* suffix;
  ExportFormat format;
};
constexpr ExportType kExportTypes[] = {{"Liste de liens (*.txt)", "txt", ExportFormat::List},
                                       {"Fichier aria2 (*.aria2)", "aria2", ExportFormat::Aria2},
                                       {"Tableau CSV (*.csv)", "csv", ExportFormat::Csv}};

QString SaveFolder(const Context& ctx) { return QString::fromLocal8Bit(ctx.AppFolder.c_str()) + QStringLiteral("Save"); }

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

// A file dialog in the Save folder, of these types (file type filters and
// the suffix each adds to a bare name): the chosen file and the index of its
// type, or an empty path when the user cancelled.
struct FileChoice {
  QString path;
  int type = 0;
};
FileChoice AskSaveFolderFile(QWidget* parent, const Context& ctx, const QString& title, const QString& name,
                             bool save, const std::vector<std::pair<QString, QString>>& types,
                             const QString& suggested = {}) {
  QDir().mkpath(SaveFolder(ctx));
  QStringList filters;
  for (const auto& type : types) filters << type.first;
  QFileDialog dialog(parent, title, SaveFolder(ctx));
  dialog.setObjectName(name);
  dialog.setNameFilters(filters);
  SetUpFileDialog(dialog);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(types.front().second);
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
    dialog.setDefaultSuffix(types[static_cast<size_t>(std::max<qsizetype>(0, filters.indexOf(filter)))].second);
  });
  // A search text such as "AC/DC" names a file, not a folder under Save.
  if (!suggested.isEmpty()) dialog.selectFile(QString(suggested).replace(QLatin1Char('/'), QLatin1Char('_')));
  if (ExecOverParent(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return {dialog.selectedFiles().front(), static_cast<int>(std::max<qsizetype>(0, filters.indexOf(dialog.selectedNameFilter())))};
}

// The results files' dialog: the chosen file, or an empty text when the user cancelled.
QString AskResultsFile(QWidget* parent, const Context& ctx, const QString& title, const QString& name, bool save,
                       const QString& suggested = {}) {
  return AskSaveFolderFile(parent, ctx, title, name, save, {{QString::fromLatin1(kFilter), QStringLiteral("txt")}},
                           suggested)
      .path;
}

}  // namespace

QSize InitialFrameSize(QSize screen) {
  int w = screen.width(), h = screen.height();
  if (w > 801) {
    w = static_cast<int>(0.88 * w);
    h = static_cast<int>(0.84 * h);
  }
  return {w - 40, h - 40};
}

void EndProgram(Context& ctx) {
  ctx.sockets.CloseAllSockets();
  std::fflush(nullptr);
  _exit(0);
}

MainFrame::MainFrame(GuiEnv& env, std::function<void()> end) : env_(env), end_(std::move(end)) {
  setObjectName(QStringLiteral("TFW"));
  setWindowTitle(QString::fromLatin1(kTitle));
  setWindowIcon(ProgramIcon());
  env_.port.SetFrame(this);
  results_ = new ResultsWindow(env_, this);
  setCentralWidget(results_);
  RegisterCommands();
  BuildMenu();
  QSize screen = env_.screen;
  if (screen.isEmpty()) {
    if (QScreen* primary = QGuiApplication::primaryScreen()) screen = primary->size();
  }
  resize(InitialFrameSize(screen));
  move(0, 0);
}

MainFrame::~MainFrame() = default;

QMenu* MainFrame::Menu(int index) const {
  return index >= 0 && index < static_cast<int>(menus_.size()) ? menus_[static_cast<size_t>(index)] : nullptr;
}

void MainFrame::BuildMenu() {
  CommandTable& t = results_->Commands();
  auto popup = [&](const char* text) {
    QMenu* menu = menuBar()->addMenu(QString::fromUtf8(text));
    t.WatchMenu(menu);
    menus_.push_back(menu);
    return menu;
  };
  auto item = [&](QMenu* menu, int id, const char* text) { t.AddMenuItem(menu, id, QString::fromUtf8(text)); };

  QMenu* file = popup("&Fichier");
  item(file, cmd::kSaveResults, "&Sauvegarder les résultats trouvés");
  item(file, cmd::kLoadResults, "&Charger une sauvegarde");
  item(file, cmd::kExportLinks, "&Exporter les liens …");
  file->addSeparator();
  item(file, cmd::kAnalysePage, "&Analyser une page Web ...");
  file->addSeparator();
  item(file, cmd::kOptions, "Options ...");
  file->addSeparator();
  item(file, cmd::kQuit, "&Quitter");

  QMenu* search = popup("&Recherche");
  item(search, cmd::kNewSearch, "&Nouvelle recherche");
  item(search, cmd::kStopSearch, "&Arrêter la recherche en cours");
  search->addSeparator();
  item(search, cmd::kSaveSearchState, "&Sauvegarder l'état de la recherche");
  item(search, cmd::kResumeSearch, "&Charger la derniere sauvegarde");
  search->addSeparator();
  item(search, cmd::kStatistics, "S&tatistiques ...");
  item(search, cmd::kProfileEditor, "&Editeur de profils ...");

  QMenu* view = popup("&Afficher");
  item(view, cmd::kShowErrors, "&Liens en erreur");
  item(view, cmd::kShowServerFolders, "&Dossiers serveurs");
  item(view, cmd::kShowSingleFiles, "&Fichiers unitaires");

  QMenu* help = popup("&Aide");
  item(help, cmd::kHelp, "&Aide");
  help->addSeparator();
  item(help, cmd::kAbout, "A &propos ...");
}

void MainFrame::RegisterCommands() {
  CommandTable& t = results_->Commands();
  Context& ctx = env_.ctx;
  ResultsWindow& td = *results_;
  // The search commands and their enabling are the session's.
  session_.prepare = [this](Context&) { return PrepWindow::Run(env_, results_); };
  session_.pageAnalysisDialog = [this](PageAnalysisChoices& choices) {
    return ScanDialog::Run(env_, results_, choices);
  };
  // The window's part of the reset, once the run and the catalogue are reset
  // and before the scheduler starts.
  session_.onReset = [&td] {
    td.ResetSortFlags();
    td.SetViewToggles();
    td.ForgetSelection();
    td.ClearFileList();
  };
  session_.onNewRun = [&td, &ctx] {
    td.ShowRunProgress(ReadRunProgress(ctx));
    td.RefreshViews();
  };
  auto enabled = [&ctx](int id) { return [&ctx, id] { return SessionCommandEnabled(ctx, id); }; };
  for (int id : {cmd::kNewSearch, cmd::kStopSearch, cmd::kResumeSearch, cmd::kAnalysePage, cmd::kPauseContinue}) {
    t.Add(id, [this, &ctx, id] { DispatchSessionCommand(ctx, id, session_); }, enabled(id));
  }
  t.Add(cmd::kSaveSearchState, [this] { SaveSearchState(); }, enabled(cmd::kSaveSearchState));
  t.Add(cmd::kSaveResults, [this] { SaveResults(); }, enabled(cmd::kSaveResults));
  t.Add(cmd::kLoadResults, [this] { LoadResults(); }, enabled(cmd::kLoadResults));
  t.Add(cmd::kExportLinks, [this] { ExportLinks(); }, enabled(cmd::kExportLinks));
  t.Add(cmd::kQuit, [this] { QTimer::singleShot(0, this, [this] { close(); }); });
  t.Add(cmd::kShowServerFolders, [this, &td] { Flip(td.showServerFolders); }, {}, [&td] { return td.showServerFolders; });
  t.Add(cmd::kShowSingleFiles, [this, &td] { Flip(td.showSingleFiles); }, {}, [&td] { return td.showSingleFiles; });
  t.Add(cmd::kShowErrors, [this, &td] { Flip(td.showErrors); }, {}, [&td] { return td.showErrors; });
  t.Add(cmd::kProfileEditor, [this] { ProfileEditor::Open(env_, results_, ""); });
  AddDialogCommands(env_, td);
}

void MainFrame::PostStartWindow() {
  int start = env_.ctx.settings.StartWindow;
  if (start == 0) return;
  env_.port.PostCommand(start == 1 ? cmd::kNewSearch : cmd::kAnalysePage);
}

void MainFrame::Flip(bool& toggle) {
  toggle = !toggle;
  results_->RefreshViews();
}

void MainFrame::SaveResults() {
  Context& ctx = env_.ctx;
  QString path = AskResultsFile(results_, ctx, QString::fromUtf8("Sauvegarder les résultats de recherche"),
                                QStringLiteral("SaveResultsDialog"), true, ToQt(ctx.SearchText));
  if (!path.isEmpty()) WriteResultsFile(ctx, LocalPath(path));
}

void MainFrame::LoadResults() {
  Context& ctx = env_.ctx;
  QString path = AskResultsFile(results_, ctx, QStringLiteral("Charger une liste de fichiers"),
                                QStringLiteral("LoadResultsDialog"), false);
  if (path.isEmpty()) return;
  ClearCatalogue(ctx);
  results_->ClearFileList();
  ReadResultsFile(ctx, ctx.catalogue, LocalPath(path));
  results_->RefreshViews();
  ctx.SearchText = FromQt(QFileInfo(path).completeBaseName());
  setWindowTitle(ToQt("ORVI -> " + ctx.SearchText));
}

// The files of the entries the list shows, in the format of the chosen file type.
void MainFrame::ExportLinks() {
  Context& ctx = env_.ctx;
  std::vector<std::pair<QString, QString>> types;
  for (const ExportType& type : kExportTypes) types.emplace_back(Utf8(type.filter), Utf8(type.suffix));
  // Not the search text alone: that is the results save's name in the same
  // folder, and a list saved over it would lose the results.
  const FileChoice choice = AskSaveFolderFile(results_, ctx, Utf8("Exporter les liens"),
                                              QStringLiteral("ExportLinksDialog"), true, types,
                                              ToQt(ctx.SearchText) + QStringLiteral(" liens"));
  if (choice.path.isEmpty()) return;
  const std::string links =
      orvi::ExportLinks(ctx, results_->Toggles(), results_->Filter(), kExportTypes[choice.type].format);
  if (!WriteWholeFile(LocalPath(choice.path), links)) {
    std::string text = "Les liens n'ont pas pu \xEAtre export\xE9s :\r\n";
    text += FromQt(choice.path);
    env_.port.MessageBox({text, "ORVI", MsgIcon::Warning});
  }
}

void MainFrame::SaveSearchState() {
  SaveNote* note = nullptr;
  if (QApplication::activeWindow() != nullptr) {
    note = new SaveNote(results_);
    note->setAttribute(Qt::WA_DeleteOnClose);
    note->show();
    note->repaint();
  }
  DispatchSessionCommand(env_.ctx, cmd::kSaveSearchState, session_);
  // The note stays a moment so that it can be read; the window keeps running meanwhile.
  if (note) QTimer::singleShot(kSaveNoteMs, note, [note] { note->close(); });
}

void MainFrame::closeEvent(QCloseEvent* event) {
  event->accept();
  if (end_) end_();
}

}  // namespace orvi::ui
