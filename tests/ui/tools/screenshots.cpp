// Renders the windows on Qt's offscreen platform into PNG files, for a person
// to look at: the frame at two sizes with each menu open, the page analysis
// dialog, the preparation window and the profile editor's pages, the save
// note, the message boxes and the file dialogs.
//   ui_screenshots OUTPUT_DIR PROGRAM_DIR
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QTreeWidget>
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
#include "ui/prep_window.h"
#include "ui/profile_editor.h"
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
    // The preparation window on a two-input profile, its board partly filled.
    {
      orvi::ui::PrepWindow prep(env, &frame.Results());
      QTreeWidget* tree = prep.Tree();
      for (QTreeWidgetItem* item : tree->findItems(QStringLiteral("Artiste-Titre"), Qt::MatchExactly | Qt::MatchRecursive)) {
        tree->setCurrentItem(item);
      }
      prep.Control<QLineEdit>(orvi::ui::PrepWindow::kInput1)->setText(QStringLiteral("Madonna"));
      prep.Control<QLineEdit>(orvi::ui::PrepWindow::kInput2)->setText(QStringLiteral("Frozen"));
      const int google[] = {50, 150, 12}, googleOk[] = {14, 31, 2}, fast[] = {100, 9}, fastOk[] = {22, 3};
      for (int r = 0; r < 3; ++r) {
        if (!prep.ControlById(1200 + r)->isEnabled()) continue;
        prep.ControlById(1200 + r)->setProperty("text", QString::number(google[r]));
        prep.ControlById(1300 + r)->setProperty("text", QString::number(googleOk[r]));
      }
      for (int r = 0; r < 2; ++r) {
        if (!prep.ControlById(1400 + r)->isEnabled()) continue;
        prep.ControlById(1400 + r)->setProperty("text", QString::number(fast[r]));
        prep.ControlById(1500 + r)->setProperty("text", QString::number(fastOk[r]));
      }
      if (prep.ControlById(1600)->isEnabled()) {
        prep.ControlById(1600)->setProperty("text", QStringLiteral("38"));
        prep.ControlById(1700)->setProperty("text", QStringLiteral("9"));
      }
      prep.ControlById(114)->setProperty("text", QStringLiteral("27"));
      prep.ControlById(115)->setProperty("text", QStringLiteral("11"));
      prep.ControlById(142)->setProperty("text", QStringLiteral("4"));
      prep.ControlById(134)->setProperty("text", QStringLiteral("81"));
      prep.ControlById(1001)->show();
      prep.ControlById(106)->setProperty("text", QStringLiteral("madonna frozen +mp3 +download"));
      prep.show();
      Save(&prep, QStringLiteral("prep_window"));
      // The profile editor's five pages.
      orvi::ui::ProfileEditor* editor = orvi::ui::ProfileEditor::Open(env, &prep, "/Musique/mp3");
      const char* pages[] = {"description", "saisie", "exploration", "fichiers", "moteurs"};
      for (int p = 0; p < orvi::ui::ProfileEditor::kPageCount; ++p) {
        editor->ShowPage(p);
        editor->adjustSize();
        Save(editor, QStringLiteral("editor_") + QLatin1String(pages[p]));
      }
      editor->close();
      QApplication::processEvents();
    }
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
