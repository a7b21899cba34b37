#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#include <gtest/gtest.h>

#include "core/context.h"
#include "gui_test_support.h"
#include "support/temp_dir.h"
#include "ui/gui_env.h"
#include "ui/main_frame.h"
#include "ui/qt_ui_port.h"
#include "ui/results_window.h"

namespace orvi::test {

// The windows over a real core, in a temporary program folder.
class FrameFixture : public ::testing::Test {
 protected:
  // ini: the body of section "Config".
  void MakeFrame(const std::string& ini = "", QSize screen = QSize(1024, 768)) {
    home.Write("ORVI.ini", "[Config]\r\n" + ini);
    ctx = std::make_unique<Context>(ContextOptions{.appFolder = home.path(), .ui = port});
    ctx->LoadSettings();
    env = std::make_unique<ui::GuiEnv>(ui::GuiEnv{*ctx, *port, browser, screen, {}});
    frame = std::make_unique<ui::MainFrame>(*env, [this] { ++ends; });
  }
  // Writes a file of the program folder, making its folders.
  void Put(const std::string& name, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(home.File(name)).parent_path());
    home.Write(name, bytes);
  }
  void TearDown() override {
    frame.reset();
    env.reset();
    ctx.reset();
  }
  ui::CommandTable& Commands() { return frame->Results().Commands(); }
  // The menu item of a command, its states brought up to date as when its menu opens.
  QAction* MenuItem(int id) {
    for (int m = 0; QMenu* menu = frame->Menu(m); ++m) {
      Commands().UpdateMenu(menu);
      for (QAction* a : menu->actions()) {
        if (ui::CommandIdOf(a) == id) return a;
      }
    }
    return nullptr;
  }
  bool RunOver() { return !ctx->run.collecting && !ctx->run.SchedulerActive; }
  // Closes the boxes that come (the last one's text to endBox) until the run
  // is over and every found file has had its probe.
  void WatchToTheEnd(QString* endBox = nullptr) {
    ASSERT_TRUE(PumpUntil(
        [&] {
          if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            if (endBox) *endBox = box->text();
            box->close();
          }
          std::lock_guard lock(ctx->CatalogueLock);
          for (const auto& entry : ctx->catalogue.entries) {
            if (!entry) continue;
            for (const FoundFile* f : FilesOf(*entry)) {
              if (f->state <= 0) return false;
            }
          }
          return RunOver();
        },
        120));
  }

  TempDir home;
  std::shared_ptr<ui::QtUiPort> port = std::make_shared<ui::QtUiPort>();
  std::unique_ptr<Context> ctx;
  RecordingBrowser browser;  // nothing reaches the desktop
  std::unique_ptr<ui::GuiEnv> env;
  std::unique_ptr<ui::MainFrame> frame;
  int ends = 0;
};

}  // namespace orvi::test
