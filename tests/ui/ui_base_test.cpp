// The base every window stands on: text at the boundary and the UI port
// (fields and questions from a core thread).
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "core/context.h"
#include "gui_test_support.h"
#include "support/temp_dir.h"
#include "ui/common.h"
#include "ui/qt_ui_port.h"
#include "ui/results_window.h"

namespace orvi::ui {
namespace {

using test::PumpUntil;

TEST(QtText, Cp1252RoundTrip) {
  EXPECT_EQ(ToQt("\x80 \x93x\x94 termin\xE9"), QString::fromUtf8("€ “x” terminé"));
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(FromQt(ToQt(all)), all);
  // What Windows-1252 cannot hold becomes one "?" per character, even outside the basic plane.
  EXPECT_EQ(FromQt(QString::fromUtf8("a\xE2\x86\x92" "b\xF0\x9F\x98\x80" "c")), "a?b?c");
}

struct PortTest : ::testing::Test {
  test::TempDir home;
  std::shared_ptr<QtUiPort> port = std::make_shared<QtUiPort>();
  Context ctx{ContextOptions{.appFolder = home.path(), .ui = port}};
  DesktopBrowser browser;
  GuiEnv env{ctx, *port, browser, {}, {}};
};

TEST_F(PortTest, AskFromACoreThreadWaitsForTheAnswer) {
  QString shownText, shownTitle;
  test::WhenModal([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    shownText = box->text();
    shownTitle = box->windowTitle();
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    EXPECT_EQ(box->defaultButton()->text(), QStringLiteral("&Non"));
    test::ClickButton(box, QStringLiteral("Oui"));
  });
  std::atomic<bool> done{false};
  MsgAnswer answer = MsgAnswer::Cancel;
  std::thread core([&] {
    answer = port->Ask({"Arr\xEAter ?", "ORVI", MsgIcon::Question, MsgButtons::YesNo, MsgAnswer::No});
    done = true;
  });
  ASSERT_TRUE(PumpUntil([&] { return done.load(); }));
  core.join();
  EXPECT_EQ(answer, MsgAnswer::Yes);
  EXPECT_EQ(shownText, QString::fromUtf8("Arrêter ?"));
  EXPECT_EQ(shownTitle, QStringLiteral("ORVI"));
}

}  // namespace
}  // namespace orvi::ui
