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

// Writes OUTPUT_DIR/<name>.png and keeps the count.
class Shots {
 public:
  explicit Shots(QString out) : out_(std::move(out)) { QDir().mkpath(out_); }
  void Save(const QPixmap& pixmap, const QString& name) {
    const QString path = out_ + QLatin1Char('/') + name + QStringLiteral(".png");
    if (pixmap.save(path)) {
      ++written_;
      std::printf("%s\n", path.toLocal8Bit().constData());
    } else {
      ++failed_;
      std::fprintf(stderr, "cannot write %s\n", path.toLocal8Bit().constData());
    }
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
  bool Ok() const { return failed_ == 0 && written_ > 0; }
  int Written() const { return written_; }

 private:
  QString out_;
  int written_ = 0, failed_ = 0;
};

void Pump() {
  for (int i = 0; i < 5; ++i) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
}

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

// The preparation window on a two-input profile, its board partly filled,
// and the profile editor's five pages.
void PrepAndEditor(Shots& shots, GuiEnv& env, MainFrame& frame) {
  PrepWindow prep(env, &frame.Results());
  QTreeWidget* tree = prep.Tree();
  for (QTreeWidgetItem* item : tree->findItems(QStringLiteral("Artiste-Titre"), Qt::MatchRecursive)) {
    tree->setCurrentItem(item);
  }
  prep.Control<QLineEdit>(PrepWindow::kInput1)->setText(QStringLiteral("Madonna"));
  prep.Control<QLineEdit>(PrepWindow::kInput2)->setText(QStringLiteral("Frozen"));
  // Counter pairs (found, kept) by their first ids, where the profile enables them.
  const struct {
    int found, kept;
    const char *foundText, *keptText;
  } board[] = {{1200, 1300, "50", "14"}, {1201, 1301, "150", "31"}, {1202, 1302, "12", "2"},
               {1400, 1500, "100", "22"}, {1401, 1501, "9", "3"}, {1600, 1700, "38", "9"}};
  for (const auto& cell : board) {
    if (!prep.ControlById(cell.found)->isEnabled()) continue;
    prep.ControlById(cell.found)->setProperty("text", QString::fromLatin1(cell.foundText));
    prep.ControlById(cell.kept)->setProperty("text", QString::fromLatin1(cell.keptText));
  }
  const std::pair<int, const char*> totals[] = {{114, "27"}, {115, "11"}, {142, "4"}, {134, "81"}};
  for (const auto& [id, text] : totals) prep.ControlById(id)->setProperty("text", QString::fromLatin1(text));
  prep.ControlById(1001)->show();
  prep.ControlById(106)->setProperty("text", QStringLiteral("madonna frozen +mp3 +download"));
  prep.show();
  shots.Grab(&prep, QStringLiteral("prep_window"));
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
    shots.GrabModal(QStringLiteral("scan_dialog"), [&] { commands.Execute(cmd::kAnalysePage); });
    env.scan.extensions = "mp3, ogg";
    env.scan.wholeSite = true;
    PageAnalysisChoices chosen;
    shots.GrabModal(QStringLiteral("scan_dialog_remembered"), [&] { ScanDialog::Run(env, &frame.Results(), chosen); });
    shots.GrabModal(QStringLiteral("save_results_dialog"), [&] { commands.Execute(cmd::kSaveResults); });
    shots.GrabModal(QStringLiteral("load_results_dialog"), [&] { commands.Execute(cmd::kLoadResults); });
    ctx.run.collecting = true;
    shots.GrabModal(QStringLiteral("stop_confirmation"), [&] { commands.Execute(cmd::kStopSearch); });
    ctx.run.collecting = false;
    shots.GrabModal(QStringLiteral("no_save_box"), [&] {
      QtUiPort::RunMessageBox(&frame, {"Pas de sauvegarde trouv\xE9" "e !", "", MsgIcon::Stop});
    });
    shots.GrabModal(QStringLiteral("search_ended_box"), [&] {
      QtUiPort::RunMessageBox(&frame, {"Recherche termin\xE9" "e", "ORVI", MsgIcon::Information});
    });
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
}

// Windows-1252, CR LF, as the program writes it.
constexpr char kResults[] =
    "[setup,3]\r\n"
    "setup1.zip,http://mirror-a.example.net/soft/setup1.zip,http://www.example.org/telechargements.html,1,1457664,"
    "Mon, 04 Mar 2002 10:12:00 GMT\r\n"
    "setup1.zip,http://mirror-b.example.net/pub/setup1.zip,http://www.example.org/telechargements.html,3,0,?? ??\r\n"
    ">\r\n"
    "setup2.zip,http://mirror-a.example.net/soft/setup2.zip,http://www.example.org/telechargements.html,1,1457664,"
    "Mon, 04 Mar 2002 10:12:05 GMT\r\n"
    ">\r\n"
    "setup3.zip,http://mirror-a.example.net/soft/setup3.zip,http://www.example.org/telechargements.html,0,0,?? ??\r\n"
    ">\r\n"
    "[movie,1]\r\n"
    "movie.rar,http://files.example.com/movie.rar,http://files.example.com/,1,15000000,Tue, 05 Mar 2002 08:00:00 GMT\r\n"
    ">\r\n"
    "movie.r00,http://files.example.com/movie.r00,http://files.example.com/,1,15000000,Tue, 05 Mar 2002 08:00:00 GMT\r\n"
    ">\r\n"
    "movie.r01,http://files.example.com/movie.r01,http://files.example.com/,1,4200000,Tue, 05 Mar 2002 08:00:00 GMT\r\n"
    ">\r\n"
    "[driver,2]\r\n"
    "driver.exe,http://www.example.com/drivers/driver.exe,http://www.example.com/support.html,1,524288,"
    "Wed, 06 Mar 2002 12:00:00 GMT\r\n"
    "driver.exe,ftp://ftp.example.com/pub/driver.exe,http://www.example.net/liens.html,1,524288,Mar 06 2002\r\n"
    ">\r\n"
    "[manual,1]\r\n"
    "manual.zip,http://docs.example.org/manual.zip,http://docs.example.org/,0,0,?? ??\r\n"
    ">\r\n"
    "[old_tool,1]\r\n"
    "old_tool.zip,http://gone.example.org/old_tool.zip,http://old.example.org/,2,0,?? ??\r\n"
    ">\r\n"
    "[album,1]\r\n"
    "album1.zip,http://music.example.org/album1.zip,http://music.example.org/a.html,1,999,"
    "Thu, 07 Mar 2002 09:00:00 GMT\r\n"
    ">\r\n"
    "album2.zip,http://music.example.org/album2.zip,http://music.example.org/b.html,2,0,?? ??\r\n"
    ">\r\n"
    "[@idrive~1,1]\r\n"
    "@idrive~1,http://www.idrive.com/folder/abc,http://www.example.org/partage.html,0,0,?? ??\r\n"
    "@idrive~1,http://www.idrive.com/folder/def,http://www.example.org/partage.html,0,0,?? ??\r\n"
    ">\r\n"
    "[patch_orvilane_version_complete_francais,1]\r\n"
    "patch_orvilane_version_complete_francais.zip,http://www.example.fr/patch_orvilane_version_complete_francais.zip,"
    "http://www.example.fr/,1,1234567,Fri, 08 Mar 2002 18:30:00 GMT\r\n"
    ">\r\n"
    "[\xE9l\xE9ments_\xE9t\xE9,4]\r\n"
    "\xE9l\xE9ments_\xE9t\xE9.zip,http://www.example.fr/\xE9l\xE9ments_\xE9t\xE9.zip,http://www.example.fr/,1,12345,"
    "Sat, 09 Mar 2002 07:45:00 GMT\r\n"
    ">\r\n";

// The frame with a menu open over it.
QPixmap WithMenu(QWidget& frame, QMenu* menu, QPoint global) {
  menu->popup(global);
  // The offscreen screen is smaller than the larger frame: no clamping to it.
  menu->move(global);
  Pump();
  QPixmap shot = frame.grab();
  QPainter painter(&shot);
  painter.drawPixmap(frame.mapFromGlobal(menu->pos()), menu->grab());
  painter.end();
  menu->close();
  Pump();
  return shot;
}

// The results window filled from kResults, in a folder of its own (settings
// left at their defaults), with a run under way.
void FilledResultsWindow(Shots& shots, const std::string& folder, QSize size) {
  Program program(folder);
  Context& ctx = program.ctx;
  GuiEnv env = program.Env(size);
  MainFrame frame(env, [] {});
  ResultsWindow& td = frame.Results();
  td.TickTimer().stop();
  frame.resize(size);
  frame.show();
  Pump();

  ReadResultsFile(ctx, ctx.catalogue, ctx.AppFolder + "demo.txt");
  {
    // A probe at work on the third volume.
    std::lock_guard lock(ctx.CatalogueLock);
    ctx.catalogue.entries.front()->files->nextGroup->nextGroup->SetState(FileState::Verifying);
  }
  td.ClearFileList();
  td.RefreshViews();
  frame.setWindowTitle(QStringLiteral("ORVI -> demo"));

  // Its counters and the pages being fetched.
  td.ShowRunProgress({.base = 120, .added = 37, .waiting = 58, .inProgress = 3, .finished = 61, .progress = 42,
                      .timeouts = 2, .loadKb = 17342, .speed = 23.4, .referenceSpeed = 31.0, .elapsed = 12 * 60 + 34,
                      .remaining = 17 * 60 + 21, .probes = 3});
  {
    std::lock_guard lock(ctx.QueueLock);
    for (const char* url : {"http://www.example.org/telechargements.html", "http://www.example.net/liens.html",
                            "http://127.0.0.1/search?q=cache:Ab12:www.example.com/support.html+driver"}) {
      auto entry = std::make_shared<QueueEntry>(url, 1, FoundBy::FromEngine, 0);
      entry->state = -1;
      ctx.queue.entries.push_back(entry);
    }
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
  shots.Save(WithMenu(frame, td.ListMenu(), list->viewport()->mapToGlobal(row.center())), name + QStringLiteral("_list_menu"));
  QRect item = tree->visualItemRect(tree->currentItem());
  shots.Save(WithMenu(frame, td.TreeMenu(), tree->viewport()->mapToGlobal(item.center())), name + QStringLiteral("_tree_menu"));
  std::lock_guard lock(ctx.QueueLock);
  ctx.queue.entries.clear();
}

bool ResultsWindows(Shots& shots, const std::string& programFolder) {
  QTemporaryDir home;
  if (!home.isValid()) return false;
  QFile ini(home.filePath(QStringLiteral("ORVI.ini")));
  QFile results(home.filePath(QStringLiteral("demo.txt")));
  if (!ini.open(QIODevice::WriteOnly) || !results.open(QIODevice::WriteOnly)) return false;
  ini.write("[Config]\r\nStartWindow=0\r\n");
  ini.close();
  results.write(kResults, sizeof kResults - 1);
  results.close();
  QFile::copy(QString::fromStdString(programFolder + "ORVI.avi"), home.filePath(QStringLiteral("ORVI.avi")));
  const std::string folder = QDir(home.path()).absolutePath().toStdString() + "/";
  for (QSize size : {QSize(800, 600), QSize(1600, 1000)}) FilledResultsWindow(shots, folder, size);
  return true;
}

// The options sheet's two pages with a proxy set, the statistics over a
// queue of every kind, the news and the about box.
void OptionsAndInformation(Shots& shots, const std::string& folder) {
  Program program(folder);
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
  }
  {
    std::lock_guard lock(ctx.QueueLock);
    const char* hosts[] = {"www.exemple.fr", "musique.example.org", "logiciels.example.net"};
    const std::pair<FoundBy, int> found[] = {{FoundBy::ScriptRedirect, 3}, {FoundBy::FrameSource, 12},
                                             {FoundBy::ServerRedirect, 41}, {FoundBy::KeywordLink, 7},
                                             {FoundBy::NearbyLink, 128}, {FoundBy::CacheFallback, 2}};
    for (const auto& [how, n] : found) {
      for (int i = 0; i < n; ++i) {
        std::string url = std::string("http://") + hosts[i % 3] + "/page" + std::to_string(i) + ".html";
        ctx.queue.entries.push_back(std::make_shared<QueueEntry>(url, 0, how, 1));
      }
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

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (argc != 3) {
    std::fprintf(stderr, "usage: ui_screenshots OUTPUT_DIR PROGRAM_DIR\n");
    return 2;
  }
  QApplication app(argc, argv);
  SetUpApplication(app);
  Shots shots(QString::fromLocal8Bit(argv[1]));
  std::string folder = argv[2];
  if (!folder.ends_with('/')) folder += '/';
  FrameAndDialogs(shots, folder);
  const bool results = ResultsWindows(shots, folder);
  OptionsAndInformation(shots, folder);
  std::printf("%d pictures\n", shots.Written());
  return results && shots.Ok() ? 0 : 1;
}
