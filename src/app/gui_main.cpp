// orvilane: the program with its windows.
#include <QApplication>

#include <cstdio>
#include <memory>
#include <string>

#include "core/context.h"
#include "ui/app_setup.h"
#include "ui/browser.h"
#include "ui/gui_env.h"
#include "ui/main_frame.h"
#include "ui/qt_ui_port.h"

int main(int argc, char** argv) {
  std::string home;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--home" && i + 1 < argc && argv[i + 1][0] != '\0') {
      home = argv[++i];
    } else if (arg == "--help") {
      std::printf("Usage: orvilane [--home DIR]\n"
                  "  --home DIR  use DIR as the program folder (ORVI.ini, Profils, Save)\n");
      return 0;
    }
  }
  QApplication app(argc, argv);
  orvi::ui::SetUpApplication(app);
  auto port = std::make_shared<orvi::ui::QtUiPort>();
  orvi::Context ctx(orvi::ContextOptions{.appFolder = home, .ui = port});
  ctx.LoadSettings();
  orvi::ui::DesktopBrowser browser;
  orvi::ui::GuiEnv env{ctx, *port, browser, {}, {}};
  orvi::ui::MainFrame frame(env, [&ctx] { orvi::ui::EndProgram(ctx); });
  frame.show();
  frame.PostStartWindow();
  app.exec();
  orvi::ui::EndProgram(ctx);
}
