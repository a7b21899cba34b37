// The base every window stands on: text at the boundary, the control
// registry, the command table and the UI port (its posted commands and
// message boxes are seen through the frame's commands in main_frame_test).
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

#include <atomic>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "core/context.h"
#include "gui_test_support.h"
#include "support/temp_dir.h"
#include "ui/browser.h"
#include "ui/command_table.h"
#include "ui/common.h"
#include "ui/control_table.h"
#include "ui/controls.h"
#include "ui/qt_ui_port.h"
#include "ui/results_layout.h"
#include "ui/results_window.h"

namespace orvi::ui {
namespace {

using test::PumpUntil;

TEST(QtText, Cp1252RoundTrip) {
  struct Case {
    std::string cp1252;
    QString unicode;
  } cases[] = {
      {"Recherche termin\xE9" "e", QString::fromUtf8("Recherche terminée")},
      {"\x80 \x8C\x9C \x93x\x94 \x85", QString::fromUtf8("€ Œœ “x” …")},
      {"", QString()},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ToQt(c.cp1252), c.unicode);
    EXPECT_EQ(FromQt(c.unicode), c.cp1252);
  }
  // Every byte survives the trip through Qt.
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(FromQt(ToQt(all)), all);
  // What Windows-1252 cannot hold becomes one "?" per character, even outside the basic plane.
  EXPECT_EQ(FromQt(QString::fromUtf8("a\xE2\x86\x92" "b\xF0\x9F\x98\x80" "c")), "a?b?c");
}

class TestWindow : public QWidget, public ControlSet {
 public:
  explicit TestWindow(int id) : id_(id) {
    static constexpr ControlRow kRows[] = {
        {.id = 101, .kind = Kind::Edit, .place = {0, 0, 40, 10}},
        {.text = "static", .place = {0, 12, 40, 10}},
        {.id = 20000, .kind = Kind::Progress, .place = {0, 24, 40, 10}},
        {.id = 1, .kind = Kind::Button, .text = "Go !", .place = {0, 36, 40, 10}},
    };
    const DialogUnits units;
    Build(this, {.controls = kRows, .units = &units});
    edit = Control<QLineEdit>(101);
    bar = Control<QProgressBar>(20000);
    button = Control<QPushButton>(1);
  }
  QWidget* Window() override { return this; }
  int WindowId() const override { return id_; }
  using ControlSet::AttachTo;
  QLineEdit* edit;
  QProgressBar* bar;
  QPushButton* button;

 private:
  int id_;
};

TEST(Controls, FoundByIdAndNamed) {
  TestWindow w(70);
  EXPECT_EQ(w.ControlById(101), w.edit);
  EXPECT_EQ(w.Control<QPushButton>(1), w.button);
  EXPECT_EQ(w.Control<QLabel>(101), nullptr);  // wrong kind
  EXPECT_EQ(w.ControlById(0), nullptr);        // rows without an id are not findable
  EXPECT_EQ(w.ControlById(555), nullptr);
  EXPECT_EQ(w.edit->objectName(), QStringLiteral("id101"));
  EXPECT_EQ(w.ControlIds(), (std::vector<int>{101, 20000, 1}));
  QWidget* next = w.edit->nextInFocusChain();
  while (next && !(next->focusPolicy() & Qt::TabFocus)) next = next->nextInFocusChain();
  EXPECT_EQ(next, w.button);
}

TEST(CommandTable, HandlersRulesMenusAndButtons) {
  CommandTable table;
  int runs = 0;
  bool enabled = false, checked = true;
  table.Add(4005, [&] { ++runs; }, [&] { return enabled; });
  table.Add(4008, [&] { checked = !checked; }, {}, [&] { return checked; });
  EXPECT_FALSE(table.Execute(9999));
  EXPECT_TRUE(table.Execute(4005));  // posted commands run whatever the rule
  EXPECT_EQ(runs, 1);

  QMenu menu;
  QAction* save = table.AddMenuItem(&menu, 4005, QStringLiteral("&Sauvegarder"));
  QAction* folders = table.AddMenuItem(&menu, 4008, QStringLiteral("&Dossiers"));
  table.UpdateMenu(&menu);
  EXPECT_FALSE(save->isEnabled());
  EXPECT_FALSE(save->isCheckable());
  EXPECT_TRUE(folders->isChecked());
  enabled = true;
  folders->trigger();
  table.UpdateMenu(&menu);
  EXPECT_TRUE(save->isEnabled());
  EXPECT_FALSE(folders->isChecked());
  save->trigger();
  EXPECT_EQ(runs, 2);

  QPushButton button;
  table.Bind(&button, 4005);
  enabled = false;
  table.UpdateButtons();
  EXPECT_FALSE(button.isEnabled());
  enabled = true;
  table.UpdateButtons();
  button.click();
  EXPECT_EQ(runs, 3);
}

struct PortFixture : ::testing::Test {
  test::TempDir home;
  std::shared_ptr<QtUiPort> port = std::make_shared<QtUiPort>();
  Context ctx{ContextOptions{.appFolder = home.path(), .ui = port}};
  DesktopBrowser browser;
  GuiEnv env{ctx, *port, browser, {}, {}};
};

TEST_F(PortFixture, FieldsFromAnyThreadReachTheNewestWindowWithThatId) {
  ResultsWindow td(env);
  TestWindow w(70);
  w.AttachTo(*port);
  EXPECT_TRUE(port->WindowExists(70));
  EXPECT_TRUE(port->WindowExists(ResultsWindow::kWindowId));
  std::thread core([&] {
    port->SetFieldText(101, "Termin\xE9");
    port->SetFieldText(20000, "57");
    port->ShowControl(101, false);
  });
  core.join();
  EXPECT_EQ(w.edit->text(), QString());  // nothing touched off the GUI thread
  ASSERT_TRUE(PumpUntil([&] { return w.bar->value() == 57; }));
  EXPECT_EQ(w.edit->text(), QString::fromUtf8("Terminé"));
  EXPECT_TRUE(w.edit->isHidden());

  {
    TestWindow top(80);
    top.AttachTo(*port);
    port->SetFieldText(101, "top");
    test::PumpEvents();
    EXPECT_EQ(top.edit->text(), QStringLiteral("top"));
    EXPECT_EQ(w.edit->text(), QString::fromUtf8("Terminé"));
  }
  EXPECT_FALSE(port->WindowExists(80));
  port->SetFieldText(101, "back");  // the closed window is forgotten
  test::PumpEvents();
  EXPECT_EQ(w.edit->text(), QStringLiteral("back"));
}

TEST_F(PortFixture, AskFromACoreThreadWaitsForTheAnswer) {
  MessageSpec spec{"Arr\xEAter ?", "ORVI", MsgIcon::Question, MsgButtons::YesNo, MsgAnswer::No};
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
    answer = port->Ask(spec);
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
