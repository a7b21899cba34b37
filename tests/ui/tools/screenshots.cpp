// Renders the windows on Qt's offscreen platform into PNG files, for a person
// to look at: the frame at two sizes with each menu open, the page analysis
// dialog, the save note, the message boxes and the file dialogs.
//   ui_screenshots OUTPUT_DIR PROGRAM_DIR
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

#include "core/context.h"
#include "ui/animation.h"
#include "ui/app_setup.h"
#include "ui/browser.h"
#include "ui/command_ids.h"
#include "ui/gui_env.h"
#include "ui/main_frame.h"
#include "ui/qt_ui_port.h"
#include "ui/results_window.h"
#include "ui/save_note.h"
#include "ui/scan_dialog.h"

namespace {

QString out;
int written = 0;

void Save(QWidget* w, const QString& name) {
  QApplication::processEvents();
  QString path = out + QLatin1Char('/') + name + QStringLiteral(".png");
  if (w->grab().save(path)) {
    ++written;
    std::printf("%s\n", path.toLocal8Bit().constData());
  } else {
    std::fprintf(stderr, "cannot write %s\n", path.toLocal8Bit().constData());
  }
}

// Grabs the modal window a command opens, then closes it.
void GrabModal(const QString& name, const std::function<void()> open) {
  QTimer poll;
  poll.setInterval(20);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) return;
    poll.stop();
    Save(modal, name);
    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
    else modal->close();
  });
  poll.start();
  open();
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (argc != 3) {
    std::fprintf(stderr, "usage: ui_screenshots OUTPUT_DIR PROGRAM_DIR\n");
    return 2;
  }
  QApplication app(argc, argv);
  orvi::ui::SetUpApplication(app);
  out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);
  auto port = std::make_shared<orvi::ui::QtUiPort>();
  orvi::Context ctx(orvi::ContextOptions{.appFolder = argv[2], .ui = port});
  ctx.LoadSettings();
  ctx.SearchText = "setup";
  orvi::ui::DesktopBrowser browser;

  for (QSize size : {QSize(800, 600), QSize(1600, 1000)}) {
    orvi::ui::GuiEnv env{ctx, *port, browser, size, {}};
    orvi::ui::MainFrame frame(env, [] {});
    frame.resize(size);
    frame.show();
    QString tag = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
    Save(&frame, QStringLiteral("frame_") + tag);
    const char* names[] = {"fichier", "recherche", "afficher", "aide"};
    for (int m = 0; m < 4; ++m) {
      QMenu* menu = frame.Menu(m);
      menu->popup(frame.mapToGlobal(QPoint(10 + 80 * m, frame.menuBar()->height())));
      Save(menu, QStringLiteral("menu_") + QLatin1String(names[m]) + QLatin1Char('_') + tag);
      menu->hide();
    }
    if (size.width() != 800) continue;
    GrabModal(QStringLiteral("scan_dialog"), [&] { frame.Results().Commands().Execute(orvi::ui::cmd::kAnalysePage); });
    env.scan.extensions = "mp3, ogg";
    env.scan.wholeSite = true;
    GrabModal(QStringLiteral("scan_dialog_remembered"), [&] { orvi::ui::ScanDialog::Run(env, &frame.Results()); });
    GrabModal(QStringLiteral("save_results_dialog"), [&] { frame.Results().Commands().Execute(orvi::ui::cmd::kSaveResults); });
    GrabModal(QStringLiteral("load_results_dialog"), [&] { frame.Results().Commands().Execute(orvi::ui::cmd::kLoadResults); });
    ctx.run.collecting = true;
    GrabModal(QStringLiteral("stop_confirmation"), [&] { frame.Results().Commands().Execute(orvi::ui::cmd::kStopSearch); });
    ctx.run.collecting = false;
    GrabModal(QStringLiteral("no_save_box"), [&] {
      orvi::ui::QtUiPort::RunMessageBox(&frame, {"Pas de sauvegarde trouv\xE9" "e !", "", orvi::MsgIcon::Stop});
    });
    GrabModal(QStringLiteral("search_ended_box"), [&] {
      orvi::ui::QtUiPort::RunMessageBox(&frame, {"Recherche termin\xE9" "e", "ORVI", orvi::MsgIcon::Information});
    });
    orvi::ui::SaveNote note(&frame);
    note.show();
    Save(&note, QStringLiteral("save_note"));
    note.hide();
    orvi::ui::AnimationClip clip;
    clip.Open(ctx.AppFolder + "ORVI.avi");
    clip.resize(clip.sizeHint());
    clip.show();
    for (int f = 0; f < clip.FrameCount(); f += 5) {
      Save(&clip, QStringLiteral("clip_frame%1").arg(f));
      clip.Play();
      for (int step = 0; step < 5 && clip.FrameCount() > 0; ++step) {
        QEventLoop loop;
        QTimer::singleShot(100, &loop, &QEventLoop::quit);
        loop.exec();
      }
      clip.Stop();
    }
  }
  std::printf("%d pictures\n", written);
  return written > 0 ? 0 : 1;
}
