// Opening the search preparation window on a Profils tree of 500 profiles in
// 50 folders: milliseconds from command 4000 to the window shown, beside the
// time `find` takes to list the same folder.
//   prep_open_bench [ROUNDS]
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "core/commands.h"
#include "core/context.h"
#include "support/manual_clock.h"
#include "support/temp_dir.h"
#include "ui/browser.h"
#include "ui/gui_env.h"
#include "ui/main_frame.h"
#include "ui/prep_window.h"
#include "ui/qt_ui_port.h"
#include "ui/results_window.h"

namespace {

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  QApplication app(argc, argv);

  orvi::test::TempDir home;
  for (int f = 0; f < 50; ++f) {
    const std::string folder = "Profils/Dossier" + std::to_string(100 + f);
    std::filesystem::create_directories(home.File(folder));
    for (int p = 0; p < 10; ++p) {
      home.Write(folder + "/profil" + std::to_string(p) + ".ini",
                 "[Config]\r\nHelpText=Un profil\r\nLibS1=Saisie :\r\nFindS=1\r\nKey0=+mp3\r\n");
    }
  }
  home.Write("ORVI.ini", "[Config]\r\nStartWindow=0\r\n");

  auto port = std::make_shared<orvi::ui::QtUiPort>();
  // The queue is emptied before the window opens; its grace wait is not the window's.
  auto clock = std::make_shared<orvi::test::ManualClock>();
  orvi::Context ctx(orvi::ContextOptions{.appFolder = home.path(), .clock = clock, .ui = port});
  ctx.LoadSettings();
  orvi::ui::DesktopBrowser browser;
  orvi::ui::GuiEnv env{ctx, *port, browser, QSize(1024, 768), {}};
  orvi::ui::MainFrame frame(env, [] {});
  frame.show();

  std::vector<double> open;
  size_t listed = 0;
  for (int r = 0; r < rounds; ++r) {
    QElapsedTimer timer;
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* w = dynamic_cast<orvi::ui::PrepWindow*>(QApplication::activeModalWidget());
      if (!w || !w->isVisible()) return;
      poll.stop();
      open.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
      listed = w->Profiles().size();
      w->reject();
    });
    poll.start();
    timer.start();
    frame.Results().Commands().Execute(orvi::cmd::kNewSearch);
  }

  std::vector<double> find;
  for (int r = 0; r < rounds; ++r) {
    QElapsedTimer timer;
    timer.start();
    QProcess p;
    p.start(QStringLiteral("find"), {QString::fromStdString(home.File("Profils"))});
    p.waitForFinished();
    p.readAllStandardOutput();
    find.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  std::printf("profiles listed: %zu (50 folders)\n", listed);
  std::printf("open the preparation window: median %.2f ms, best %.2f ms (%d rounds)\n", Median(open),
              *std::min_element(open.begin(), open.end()), rounds);
  std::printf("find Profils:                median %.2f ms, best %.2f ms\n", Median(find),
              *std::min_element(find.begin(), find.end()));
  std::printf("ratio window / find: %.1f\n", Median(open) / Median(find));
  return 0;
}
