// Renders every window on Qt's offscreen platform into PNG files, for a
// person to look at: the frame at two sizes with each menu open, the page
// analysis dialog, the boxes and file dialogs, the preparation window and the
// profile editor's pages, the save note, frames of the clip; the results
// window filled with groups, copies, a server folder and every file state,
// with both context menus open; the options sheet, the statistics, the news
// and the about box.
//   ui_screenshots OUTPUT_DIR PROGRAM_DIR
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "core/commands.h"
#include "core/context.h"
#include "explore/queue.h"
#include "results/results_file.h"
#include "ui/animation.h"
#include "ui/app_setup.h"
#include "ui/browser.h"
#include "ui/gui_env.h"
#include "ui/main_frame.h"
#include "ui/news_dialog.h"
#include "ui/options_sheet.h"
#include "ui/prep_window.h"
#include "ui/profile_editor.h"
#include "ui/qt_ui_port.h"
#include "ui/results_window.h"
#include "ui/save_note.h"
#include "ui/scan_dialog.h"
#include "ui/statistics_dialog.h"

namespace {

using namespace orvi;
using namespace orvi::ui;

void Pump() {
  for (int i = 0; i < 5; ++i) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
}

// Writes OUTPUT_DIR/<name>.png and keeps the count.
struct Shots {
  QString out;
  int written = 0, failed = 0;
  void Save(const QPixmap& pixmap, const QString& name) {
    const QString path = out + QLatin1Char('/') + name + QStringLiteral(".png");
    const bool ok = pixmap.save(path);
    ++(ok ? written : failed);
    std::fprintf(ok ? stdout : stderr, ok ? "%s\n" : "cannot write %s\n", path.toLocal8Bit().constData());
  }
  void Grab(QWidget* w, const QString& name) {
    QApplication::processEvents();
    Save(w->grab(), name);
  }
  // Grabs the modal window a command opens, then closes it.
  void GrabModal(const QString& name, const std::function<void()>& open) {
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal || !modal->isVisible()) return;
      poll.stop();
      Grab(modal, name);
      if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
      else modal->close();
    });
    poll.start();
    open();
  }
  // The frame with a menu open over it at a point.
  void WithMenu(QWidget& frame, QMenu* menu, QPoint global, const QString& name) {
    menu->popup(global);
    menu->move(global);  // the offscreen screen is smaller than the larger frame: no clamping to it
    Pump();
    QPixmap shot = frame.grab();
    QPainter(&shot).drawPixmap(frame.mapFromGlobal(menu->pos()), menu->grab());
    menu->close();
    Pump();
    Save(shot, name);
  }
};

// A context on a program folder, with what its windows need around it.
struct Program {
  explicit Program(const std::string& folder) : ctx(ContextOptions{.appFolder = folder, .ui = port}) {
    ctx.LoadSettings();
  }
  GuiEnv Env(QSize screen) { return GuiEnv{ctx, *port, browser, screen, {}}; }
  std::shared_ptr<QtUiPort> port = std::make_shared<QtUiPort>();
  Context ctx;
  DesktopBrowser browser;
};

// The preparation window on a two-input profile with today's engines, its
// board partly filled (the found/kept counter pairs the profile enables, the
// totals, a blocked engine, the query),
// and the profile editor's five pages.
void PrepAndEditor(Shots& shots, GuiEnv& env, MainFrame& frame) {
  PrepWindow prep(env, &frame.Results());
  for (QTreeWidgetItem* item : prep.Tree()->findItems(QStringLiteral("Artiste-Titre"), Qt::MatchRecursive)) {
    prep.Tree()->setCurrentItem(item);
  }
  prep.Control<QLineEdit>(PrepWindow::kInput1)->setText(QStringLiteral("Madonna"));
  prep.Control<QLineEdit>(PrepWindow::kInput2)->setText(QStringLiteral("Frozen"));
  const std::pair<int, const char*> board[] = {
      {1200, "50"}, {1300, "14"}, {1201, "150"}, {1301, "31"}, {1202, "12"}, {1302, "2"}, {1400, "100"}, {1500, "22"},
      {1401, "9"},  {1501, "3"},  {1601, "bloqué"}, {114, "27"},  {115, "11"}, {134, "81"},
      {1800, "Mojeek"}, {1801, "DuckDuckGo"}, {1802, "Bing"},
      {106, "madonna frozen +mp3 +download   —   Bing : accès bloqué par le moteur (captcha), réessayez plus tard"}};
  for (const auto& [id, text] : board) {
    QWidget* cell = prep.ControlById(id);
    if (id < 1200 || cell->isEnabled()) cell->setProperty("text", QString::fromUtf8(text));
  }
  prep.ControlById(1001)->show();
  prep.show();
  shots.Grab(&prep, QStringLiteral("prep_window"));
  prep.resize(1400, 900);
  shots.Grab(&prep, QStringLiteral("prep_window_large"));
  ProfileEditor* editor = ProfileEditor::Open(env, &prep, "/Musique/mp3");
  const char* pages[] = {"description", "saisie", "exploration", "fichiers", "moteurs"};
  for (int p = 0; p < ProfileEditor::kPageCount; ++p) {
    editor->ShowPage(p);
    editor->adjustSize();
    shots.Grab(editor, QStringLiteral("editor_") + QLatin1String(pages[p]));
  }
  editor->close();
  QApplication::processEvents();
}

// The options sheet's two pages with a proxy set, the statistics over a
// queue of every kind, the news and the about box.
void OptionsAndInformation(Shots& shots, Program& program) {
  Context& ctx = program.ctx;
  GuiEnv env = program.Env(QSize(1024, 768));
  ctx.settings.ProxyName = "proxy.example.lan";
  ctx.settings.ProxyPort = 3128;
  ctx.settings.ProxyLogin = "utilisateur";
  ctx.settings.ProxyPass = "secret";
  ctx.settings.Autosave = 5;
  MainFrame frame(env, [] {});
  frame.show();
  auto shown = [&](QWidget& w, const char* name) {
    w.show();
    shots.Grab(&w, QString::fromLatin1(name));
  };
  {
    OptionsSheet sheet(env, &frame.Results());
    shown(sheet, "options_configuration");
    sheet.Tabs().setCurrentIndex(1);
    shown(sheet, "options_preferences");
    sheet.Tabs().setCurrentIndex(2);
    shown(sheet, "options_moteurs");
  }
  const char* hosts[] = {"www.exemple.fr", "musique.example.org", "logiciels.example.net"};
  for (auto [how, n] : {std::pair{FoundBy::ScriptRedirect, 3}, {FoundBy::FrameSource, 12},
                        {FoundBy::ServerRedirect, 41}, {FoundBy::KeywordLink, 7}, {FoundBy::NearbyLink, 128},
                        {FoundBy::CacheFallback, 2}}) {
    for (int i = 0; i < n; ++i) {
      std::string url = std::string("http://") + hosts[i % 3] + "/page" + std::to_string(i) + ".html";
      ctx.queue.entries.push_back(std::make_shared<QueueEntry>(url, 0, how, 1));
    }
  }
  {
    StatisticsDialog stats(env);
    stats.Control<QRadioButton>(StatisticsDialog::kFirstChoice + 2)->click();
    shown(stats, "statistics");
  }
  {
    NewsDialog news(env,
                    "Orvilane 0.42 est disponible.\r\n\r\nNouveaut\xE9s :\r\n"
                    "- l'analyse de page reconna\xEEt plus d'archives ;\r\n"
                    "- les options s'ouvrent sans bloquer la recherche.\r\n");
    shown(news, "news");
  }
  AboutBox about(env);
  shown(about, "about");
}

// The frame and what it opens, on the program folder as it ships.
void FrameAndDialogs(Shots& shots, const std::string& folder) {
  Program program(folder);
  Context& ctx = program.ctx;
  ctx.SearchText = "setup";
  for (QSize size : {QSize(800, 600), QSize(1600, 1000)}) {
    GuiEnv env = program.Env(size);
    MainFrame frame(env, [] {});
    frame.resize(size);
    frame.show();
    const QString tag = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
    shots.Grab(&frame, QStringLiteral("frame_") + tag);
    const char* names[] = {"fichier", "recherche", "afficher", "aide"};
    for (int m = 0; m < 4; ++m) {
      QMenu* menu = frame.Menu(m);
      menu->popup(frame.mapToGlobal(QPoint(10 + 80 * m, frame.menuBar()->height())));
      shots.Grab(menu, QStringLiteral("menu_") + QLatin1String(names[m]) + QLatin1Char('_') + tag);
      menu->hide();
    }
    if (size.width() != 800) continue;
    CommandTable& commands = frame.Results().Commands();
    PageAnalysisChoices chosen;
    const std::pair<const char*, std::function<void()>> modals[] = {
        {"scan_dialog", [&] { commands.Execute(cmd::kAnalysePage); }},
        {"scan_dialog_remembered",
         [&] {
           env.scan.extensions = "mp3, ogg";
           env.scan.wholeSite = true;
           ScanDialog::Run(env, &frame.Results(), chosen);
         }},
        {"save_results_dialog", [&] { commands.Execute(cmd::kSaveResults); }},
        {"load_results_dialog", [&] { commands.Execute(cmd::kLoadResults); }},
        {"stop_confirmation",
         [&] {
           ctx.run.collecting = true;
           commands.Execute(cmd::kStopSearch);
           ctx.run.collecting = false;
         }},
        {"no_save_box",
         [&] { QtUiPort::RunMessageBox(&frame, {"Pas de sauvegarde trouv\xE9" "e !", "", MsgIcon::Stop}); }},
        {"search_ended_box",
         [&] { QtUiPort::RunMessageBox(&frame, {"Recherche termin\xE9" "e", "ORVI", MsgIcon::Information}); }}};
    for (const auto& [name, open] : modals) shots.GrabModal(QString::fromLatin1(name), open);
    PrepAndEditor(shots, env, frame);
    SaveNote note(&frame);
    note.show();
    shots.Grab(&note, QStringLiteral("save_note"));
    note.hide();
    AnimationClip clip;
    clip.Open(ctx.AppFolder + "ORVI.avi");
    clip.resize(clip.sizeHint());
    clip.show();
    for (int f = 0; f < clip.FrameCount(); f += 5) {
      shots.Grab(&clip, QStringLiteral("clip_frame%1").arg(f));
      clip.Play();
      for (int step = 0; step < 5 && clip.FrameCount() > 0; ++step) {
        QEventLoop loop;
        QTimer::singleShot(100, &loop, &QEventLoop::quit);
        loop.exec();
      }
      clip.Stop();
    }
  }
  OptionsAndInformation(shots, program);
}

// The results window filled from demo_results.txt (groups, copies, a server
// folder, every file state; Windows-1252, CR LF) in a folder of its own
// (settings left at their defaults), with a run under way, at both sizes.
bool ResultsWindows(Shots& shots, const std::string& programFolder) {
  QTemporaryDir home;
  QFile ini(home.filePath(QStringLiteral("ORVI.ini")));
  if (!home.isValid() || !ini.open(QIODevice::WriteOnly)) return false;
  ini.write("[Config]\r\nStartWindow=0\r\n");
  ini.close();
  if (!QFile::copy(QStringLiteral(ORVI_DEMO_RESULTS), home.filePath(QStringLiteral("demo.txt")))) return false;
  QFile::copy(QString::fromStdString(programFolder + "ORVI.avi"), home.filePath(QStringLiteral("ORVI.avi")));
  for (QSize size : {QSize(800, 600), QSize(1600, 1000)}) {
    Program program(QDir(home.path()).absolutePath().toStdString() + "/");
    Context& ctx = program.ctx;
    GuiEnv env = program.Env(size);
    MainFrame frame(env, [] {});
    ResultsWindow& td = frame.Results();
    td.TickTimer().stop();
    frame.resize(size);
    frame.show();
    Pump();
    ReadResultsFile(ctx, ctx.catalogue, ctx.AppFolder + "demo.txt");
    // A probe at work on the third volume.
    ctx.catalogue.entries.front()->files->nextGroup->nextGroup->SetState(FileState::Verifying);
    td.ClearFileList();
    td.RefreshViews();
    frame.setWindowTitle(QStringLiteral("ORVI -> demo"));
    // Its counters and the pages being fetched.
    td.ShowRunProgress({.base = 120, .added = 37, .waiting = 58, .inProgress = 3, .finished = 61, .progress = 42,
                        .timeouts = 2, .loadKb = 17342, .speed = 23.4, .referenceSpeed = 31.0, .elapsed = 12 * 60 + 34,
                        .remaining = 17 * 60 + 21, .probes = 3});
    for (const char* url : {"http://www.example.org/telechargements.html", "http://www.example.net/liens.html",
                            "http://127.0.0.1/search?q=cache:Ab12:www.example.com/support.html+driver"}) {
      ctx.queue.entries.push_back(std::make_shared<QueueEntry>(url, 1, FoundBy::FromEngine, 0));
      ctx.queue.entries.back()->state = -1;
    }
    td.RefreshConnections();
    Pump();
    // The set of volumes with its copies in the tree, one copy selected.
    QTreeWidget* list = td.FileList();
    list->setCurrentItem(list->topLevelItem(0));
    td.Control<QPushButton>(td::kDevelop)->click();
    QTreeWidget* tree = td.FileTree();
    tree->setCurrentItem(tree->topLevelItem(0)->child(0));
    list->setFocus();
    Pump();
    const QString name = QStringLiteral("results_window_%1x%2").arg(size.width()).arg(size.height());
    shots.Save(frame.grab(), name);
    QRect row = list->visualItemRect(list->topLevelItem(2));
    shots.WithMenu(frame, td.ListMenu(), list->viewport()->mapToGlobal(row.center()), name + "_list_menu");
    QRect item = tree->visualItemRect(tree->currentItem());
    shots.WithMenu(frame, td.TreeMenu(), tree->viewport()->mapToGlobal(item.center()), name + "_tree_menu");
    ctx.queue.entries.clear();
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (argc != 3) {
    std::fprintf(stderr, "usage: ui_screenshots OUTPUT_DIR PROGRAM_DIR\n");
    return 2;
  }
  QApplication app(argc, argv);
  SetUpApplication(app);
  Shots shots{QString::fromLocal8Bit(argv[1])};
  QDir().mkpath(shots.out);
  std::string folder = argv[2];
  if (!folder.ends_with('/')) folder += '/';
  FrameAndDialogs(shots, folder);
  const bool results = ResultsWindows(shots, folder);
  std::printf("%d pictures\n", shots.written);
  return results && shots.failed == 0 && shots.written > 0 ? 0 : 1;
}
