// Draws the results window, filled from a results file (several groups,
// copies, a server folder, every file state), to PNG files:
//   render_results_window OUT_DIR
// gives results_window_800x600.png and results_window_1600x1000.png, and the
// same with the list's and the tree's context menus open (_list_menu,
// _tree_menu). Runs on Qt's offscreen platform.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

#include "core/context.h"
#include "explore/queue.h"
#include "results/results_file.h"
#include "ui/browser.h"
#include "ui/gui_env.h"
#include "ui/main_frame.h"
#include "ui/qt_text.h"
#include "ui/qt_ui_port.h"
#include "ui/results_window.h"

namespace {

using namespace orvi;
using namespace orvi::ui;

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

void Pump() {
  for (int i = 0; i < 5; ++i) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
}

bool Save(const QPixmap& pixmap, const QString& path) {
  if (pixmap.save(path)) {
    std::printf("%s\n", path.toLocal8Bit().constData());
    return true;
  }
  std::fprintf(stderr, "cannot write %s\n", path.toLocal8Bit().constData());
  return false;
}

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

bool Render(const QString& out, QSize size, const QString& folder) {
  auto port = std::make_shared<QtUiPort>();
  Context ctx(ContextOptions{.appFolder = QDir(folder).absolutePath().toStdString() + "/", .ui = port});
  ctx.LoadSettings();
  DesktopBrowser browser;
  GuiEnv env{ctx, *port, browser, size, {}};
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

  // A run under way: its counters and the pages being fetched.
  const std::pair<int, const char*> fields[] = {
      {td::kProgressText, "42"}, {td::kElapsed, "00:12:34"}, {td::kRemaining, "00:17:21"}, {td::kSpeed, "23.4"},
      {td::kReferenceSpeed, "31.0"}, {td::kLoadKb, "17342"}, {td::kTimeouts, "2"}, {td::kBase, "120"},
      {td::kAdded, "37"}, {td::kWaiting, "58"}, {td::kFinished, "61"}, {td::kProbes, "3"}, {td::kInProgress, "3"}};
  for (const auto& [id, text] : fields) port->SetFieldText(id, text);
  port->SetFieldNumber(td::kProgressBar, 42);
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

  const QString name = QStringLiteral("%1/results_window_%2x%3").arg(out).arg(size.width()).arg(size.height());
  bool ok = Save(frame.grab(), name + QStringLiteral(".png"));
  QRect row = list->visualItemRect(list->topLevelItem(2));
  ok &= Save(WithMenu(frame, td.ListMenu(), list->viewport()->mapToGlobal(row.center())),
             name + QStringLiteral("_list_menu.png"));
  QRect item = tree->visualItemRect(tree->currentItem());
  ok &= Save(WithMenu(frame, td.TreeMenu(), tree->viewport()->mapToGlobal(item.center())),
             name + QStringLiteral("_tree_menu.png"));
  {
    std::lock_guard lock(ctx.QueueLock);
    ctx.queue.entries.clear();
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("build/screenshots");
  QDir().mkpath(out);
  QTemporaryDir home;
  if (!home.isValid()) return 1;
  QFile ini(home.filePath(QStringLiteral("ORVI.ini")));
  QFile results(home.filePath(QStringLiteral("demo.txt")));
  if (!ini.open(QIODevice::WriteOnly) || !results.open(QIODevice::WriteOnly)) return 1;
  ini.write("[Config]\r\nStartWindow=0\r\n");
  ini.close();
  results.write(kResults, sizeof kResults - 1);
  results.close();
  QFile::copy(QStringLiteral(ORVI_CLIP_PATH), home.filePath(QStringLiteral("ORVI.avi")));

  bool ok = true;
  for (QSize size : {QSize(800, 600), QSize(1600, 1000)}) ok &= Render(out, size, home.path());
  return ok ? 0 : 1;
}
