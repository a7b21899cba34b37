// Renders the options sheet (both pages), the statistics dialog with counts,
// the news dialog and the about box on Qt's offscreen platform into PNG
// files, for a person to look at.
//   ui_dialog_screenshots OUTPUT_DIR PROGRAM_DIR
#include <QApplication>
#include <QDir>
#include <QRadioButton>
#include <QTabWidget>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "core/context.h"
#include "explore/queue.h"
#include "ui/app_setup.h"
#include "ui/browser.h"
#include "ui/gui_env.h"
#include "ui/main_frame.h"
#include "ui/news_dialog.h"
#include "ui/options_sheet.h"
#include "ui/qt_ui_port.h"
#include "ui/results_window.h"
#include "ui/statistics_dialog.h"

namespace {

int written = 0;

void Save(QWidget* w, const QString& out, const QString& name) {
  w->show();
  QApplication::processEvents();
  QString path = out + QLatin1Char('/') + name + QStringLiteral(".png");
  if (w->grab().save(path)) {
    ++written;
    std::printf("%s\n", path.toLocal8Bit().constData());
  } else {
    std::fprintf(stderr, "cannot write %s\n", path.toLocal8Bit().constData());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (argc != 3) {
    std::fprintf(stderr, "usage: ui_dialog_screenshots OUTPUT_DIR PROGRAM_DIR\n");
    return 2;
  }
  QApplication app(argc, argv);
  orvi::ui::SetUpApplication(app);
  const QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);
  auto port = std::make_shared<orvi::ui::QtUiPort>();
  orvi::Context ctx(orvi::ContextOptions{.appFolder = argv[2], .ui = port});
  ctx.LoadSettings();
  ctx.settings.ProxyName = "proxy.example.lan";
  ctx.settings.ProxyPort = 3128;
  ctx.settings.ProxyLogin = "utilisateur";
  ctx.settings.ProxyPass = "secret";
  ctx.settings.Autosave = 5;
  orvi::ui::DesktopBrowser browser;
  orvi::ui::GuiEnv env{ctx, *port, browser, QSize(1024, 768), {}};
  orvi::ui::MainFrame frame(env, [] {});
  frame.show();

  {
    orvi::ui::OptionsSheet sheet(env, &frame.Results());
    Save(&sheet, out, QStringLiteral("options_configuration"));
    sheet.Tabs().setCurrentIndex(1);
    Save(&sheet, out, QStringLiteral("options_preferences"));
  }

  {
    std::lock_guard lock(ctx.QueueLock);
    const char* hosts[] = {"www.exemple.fr", "musique.example.org", "logiciels.example.net"};
    auto add = [&](orvi::FoundBy how, int n) {
      for (int i = 0; i < n; ++i) {
        std::string url = std::string("http://") + hosts[i % 3] + "/page" + std::to_string(i) + ".html";
        ctx.queue.entries.push_back(std::make_shared<orvi::QueueEntry>(url, 0, how, 1));
      }
    };
    add(orvi::FoundBy::ScriptRedirect, 3);
    add(orvi::FoundBy::FrameSource, 12);
    add(orvi::FoundBy::ServerRedirect, 41);
    add(orvi::FoundBy::KeywordLink, 7);
    add(orvi::FoundBy::NearbyLink, 128);
    add(orvi::FoundBy::CacheFallback, 2);
  }
  {
    orvi::ui::StatisticsDialog stats(env);
    stats.Control<QRadioButton>(orvi::ui::StatisticsDialog::kFirstChoice + 2)->click();
    Save(&stats, out, QStringLiteral("statistics"));
  }
  {
    orvi::ui::NewsDialog news(env,
                              "Orvilane 0.42 est disponible.\r\n\r\nNouveaut\xE9s :\r\n"
                              "- l'analyse de page reconna\xEEt plus d'archives ;\r\n"
                              "- les options s'ouvrent sans bloquer la recherche.\r\n");
    Save(&news, out, QStringLiteral("news"));
  }
  {
    orvi::ui::AboutBox about(env);
    Save(&about, out, QStringLiteral("about"));
  }
  std::printf("%d pictures\n", written);
  return written == 5 ? 0 : 1;
}
