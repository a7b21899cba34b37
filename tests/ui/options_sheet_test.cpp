#include "ui/options_sheet.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <climits>

#include <gtest/gtest.h>

#include "app/cli_runner.h"
#include "core/commands.h"
#include "frame_fixture.h"
#include "platform/ini_file.h"
#include "ui/common.h"
#include "ui/scan_dialog.h"

namespace orvi::test {
namespace {

using ui::ConfPage;
using ui::OptionsSheet;
using ui::PrefPage;

class OptionsTest : public FrameFixture {
 protected:
  OptionsSheet& Open(const std::string& ini = "") {
    MakeFrame(ini);
    sheet = new OptionsSheet(*env, &frame->Results());
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->show();
    return *sheet;
  }
  QLineEdit* Conf(int id) { return sheet->Conf().Control<QLineEdit>(id); }
  QLineEdit* Pref(int id) { return sheet->Pref().Control<QLineEdit>(id); }
  QCheckBox* ConfBox(int id) { return sheet->Conf().Control<QCheckBox>(id); }
  QCheckBox* PrefBox(int id) { return sheet->Pref().Control<QCheckBox>(id); }
  void ShowPreferences() { sheet->Tabs().setCurrentIndex(1); }
  void Ok() { sheet->Control<QPushButton>(OptionsSheet::kOk)->click(); }
  std::string Stored(const std::string& key) { return IniFile::Load(ctx->SettingsPath()).Get("Config", key, "<none>", 200); }
  // What the command line prints of the settings file.
  std::string CliConfig() { return Cli({"--home", home.path(), "config"}).out; }

  OptionsSheet* sheet = nullptr;
};

TEST_F(OptionsTest, OpensFromItsCommandOnConfigurationWithItsTexts) {
  MakeFrame();
  Commands().Execute(cmd::kOptions);
  auto* opened = dynamic_cast<OptionsSheet*>(frame->Results().findChild<QDialog*>("TPSConf"));
  ASSERT_NE(opened, nullptr);
  EXPECT_TRUE(opened->isVisible());
  EXPECT_FALSE(opened->isModal());
  EXPECT_EQ(opened->windowTitle(), "Orvilane");
  ASSERT_EQ(opened->Tabs().count(), 2);
  EXPECT_EQ(opened->Tabs().tabText(0), "Configuration");
  EXPECT_EQ(opened->Tabs().tabText(1), QString::fromUtf8("Préférences"));
  EXPECT_EQ(opened->Tabs().currentIndex(), 0);
  std::vector<int> buttons = opened->ControlIds();
  EXPECT_EQ(buttons, (std::vector<int>{OptionsSheet::kOk, OptionsSheet::kCancel}));
  EXPECT_EQ(opened->Conf().Control<QPushButton>(ConfPage::kBroadband)->text(), QString::fromUtf8("DSL / Câble"));
  opened->close();
}

TEST_F(OptionsTest, ConnectionCountsAsStored) {
  struct Case {
    const char* name;
    int preset;         // a preset button, or 0
    const char *min, *max;  // typed when no preset
    const char *storedMin, *storedMax;
  } cases[] = {
      {"Modem 56k", ConfPage::kModem, nullptr, nullptr, "6", "14"},
      {"Numeris", ConfPage::kIsdn, nullptr, nullptr, "8", "16"},
      {"DSL / Cable", ConfPage::kBroadband, nullptr, nullptr, "12", "24"},
      {"40 capped at 32", 0, "6", "40", "6", "32"},
      {"minimum capped at the maximum", 0, "20", "10", "10", "10"},
      {"empty fields store 0", 0, "", "", "0", "0"},
      {"a number too long stays at the cap", 0, "5", "99999999999999", "5", "32"},
  };
  for (const Case& c : cases) {
    Open("MinConnect=6\r\nMaxConnect=14\r\n");
    if (c.preset != 0) {
      sheet->Conf().Control<QPushButton>(c.preset)->click();
    } else {
      Conf(ConfPage::kMinConnect)->setText(QString::fromLatin1(c.min));
      Conf(ConfPage::kMaxConnect)->setText(QString::fromLatin1(c.max));
    }
    Ok();
    EXPECT_EQ(std::to_string(ctx->settings.MinConnect), c.storedMin) << c.name;
    EXPECT_EQ(std::to_string(ctx->settings.MaxConnect), c.storedMax) << c.name;
    EXPECT_EQ(Stored("MinConnect"), c.storedMin) << c.name;
    EXPECT_EQ(Stored("MaxConnect"), c.storedMax) << c.name;
    TearDown();
  }
  // The count fields take digits only.
  Open();
  QLineEdit* max = Conf(ConfPage::kMaxConnect);
  max->clear();
  QTest::keyClicks(max, "1a-2 3");
  EXPECT_EQ(max->text(), "123");
}

TEST_F(OptionsTest, TheProxyAndItsLogin) {
  Open("ProxyName=proxy.lan\r\nProxyPort=3128\r\nProxyLogin=bob\r\nProxyPass=s3cret\r\n");
  EXPECT_TRUE(ConfBox(ConfPage::kUseProxy)->isChecked());
  EXPECT_TRUE(ConfBox(ConfPage::kProxyAuth)->isChecked());
  EXPECT_EQ(Conf(ConfPage::kProxyName)->text(), "proxy.lan");
  EXPECT_EQ(Conf(ConfPage::kProxyPort)->text(), "3128");
  EXPECT_EQ(Conf(ConfPage::kProxyPass)->text(), "s3cret");

  // Unticking authentication empties and disables the login only.
  ConfBox(ConfPage::kProxyAuth)->click();
  EXPECT_EQ(Conf(ConfPage::kProxyLogin)->text(), "");
  EXPECT_FALSE(Conf(ConfPage::kProxyLogin)->isEnabled());
  EXPECT_EQ(Conf(ConfPage::kProxyName)->text(), "proxy.lan");
  ConfBox(ConfPage::kProxyAuth)->click();
  Conf(ConfPage::kProxyLogin)->setText("ann");
  Conf(ConfPage::kProxyPass)->setText("pw");
  Ok();
  EXPECT_EQ(ctx->settings.ProxyAuthHeader, "Proxy-authorization: Basic YW5uOnB3\r\n");
  EXPECT_EQ(Stored("ProxyLogin"), "ann");
  TearDown();

  // Unticking the proxy stores no name, port 0, no login, no password and no header.
  Open("ProxyName=proxy.lan\r\nProxyPort=3128\r\nProxyLogin=bob\r\nProxyPass=s3cret\r\n");
  ConfBox(ConfPage::kUseProxy)->click();
  EXPECT_FALSE(ConfBox(ConfPage::kProxyAuth)->isChecked());
  EXPECT_FALSE(ConfBox(ConfPage::kProxyAuth)->isEnabled());
  EXPECT_FALSE(Conf(ConfPage::kProxyName)->isEnabled());
  Ok();
  EXPECT_EQ(ctx->settings.ProxyName, "");
  EXPECT_EQ(ctx->settings.ProxyPort, 0);
  EXPECT_EQ(ctx->settings.ProxyLogin, "");
  EXPECT_EQ(ctx->settings.ProxyPass, "");
  EXPECT_EQ(ctx->settings.ProxyAuthHeader, "");
  std::string printed = CliConfig();
  EXPECT_NE(printed.find("ProxyName=\nProxyPort=0\nProxyLogin=\nProxyPass=\n"), std::string::npos) << printed;
}

TEST_F(OptionsTest, TheHttpsBoxReadsAndWritesSectionNet) {
  auto net = [&] { return IniFile::Load(ctx->SettingsPath()).Get("Net", "Https", "<none>", 10); };
  Open("[Net]\r\nHttps=1\r\n");
  QCheckBox* box = ConfBox(ConfPage::kHttps);
  EXPECT_EQ(box->text(), QString::fromUtf8("Autoriser les adresses https (connexions sécurisées)"));
  EXPECT_TRUE(box->isChecked());
  box->click();
  Ok();
  EXPECT_EQ(net(), "0");
  EXPECT_FALSE(ctx->netSettings.Https);
}

TEST_F(OptionsTest, OkWithoutPreferencesRewritesTheFileWithThemUnchanged) {
  Open("MaxConnect=14\r\n");
  // A value the page would never give back: applying the unseen page would show.
  ctx->settings.StartWindow = 7;
  ctx->settings.Autosave = -4;
  ctx->settings.ColorPrinc = 0x123456;
  Ok();
  EXPECT_EQ(ctx->settings.StartWindow, 7);
  EXPECT_EQ(ctx->settings.Autosave, -4);
  EXPECT_EQ(Stored("StartWindow"), "7");
  EXPECT_EQ(Stored("Autosave"), "-4");
  EXPECT_EQ(Stored("ColorPrinc"), std::to_string(0x123456));
  EXPECT_EQ(Stored("NbRetry"), "3");
  // The command line sees what the sheet stored.
  std::string printed = CliConfig();
  EXPECT_NE(printed.find("MinConnect=6\nMaxConnect=14\n"), std::string::npos) << printed;
  EXPECT_NE(printed.find("StartWindow=7\n"), std::string::npos) << printed;
}

TEST_F(OptionsTest, CancelAndTheCloseBoxDropEverything) {
  for (bool closeBox : {false, true}) {
    Open("MaxConnect=14\r\n");
    std::string before = home.Read("ORVI.ini");
    sheet->Conf().Control<QPushButton>(ConfPage::kBroadband)->click();
    ShowPreferences();
    PrefBox(PrefPage::kNewWindow)->click();
    if (closeBox) sheet->close();
    else sheet->Control<QPushButton>(OptionsSheet::kCancel)->click();
    EXPECT_EQ(ctx->settings.MaxConnect, 14);
    EXPECT_FALSE(ctx->settings.NewWindow);
    EXPECT_EQ(home.Read("ORVI.ini"), before);
    TearDown();
  }
}

TEST_F(OptionsTest, TheAutosaveRuleReadsTheGlobalSetting) {
  struct Case {
    int32_t saved;
    const char* shownAtSetUp;
    bool tickedAtSetUp;
    const char* afterUntick;
    const char* afterTick;
  } cases[] = {
      {0, "0", false, "0", "2"},
      {5, "5", true, "0", "5"},
      {-3, "-3", true, "0", "1"},
  };
  for (const Case& c : cases) {
    Open();
    ctx->settings.Autosave = c.saved;
    ShowPreferences();
    SCOPED_TRACE(c.saved);
    QLineEdit* period = Pref(PrefPage::kAutosave);
    QCheckBox* on = PrefBox(PrefPage::kAutosaveOn);
    EXPECT_EQ(on->isChecked(), c.tickedAtSetUp);
    EXPECT_EQ(period->isEnabled(), c.tickedAtSetUp);
    if (c.tickedAtSetUp) {
      EXPECT_EQ(period->text(), c.afterTick);
      on->click();
      EXPECT_EQ(period->text(), c.afterUntick);
      EXPECT_FALSE(period->isEnabled());
    } else {
      EXPECT_EQ(period->text(), c.shownAtSetUp);
    }
    // Whatever was typed, ticking again brings back the confirmed period.
    period->setText("77");
    on->click();
    EXPECT_EQ(period->text(), c.afterTick);
    Ok();
    EXPECT_EQ(std::to_string(ctx->settings.Autosave), c.afterTick);
    TearDown();
  }
}

TEST_F(OptionsTest, TheAutosavePeriodIsStoredAsTyped) {
  // Not a digits-only field: whatever number it holds is stored as it is.
  struct Case {
    const char* typed;
    int32_t stored;
  } cases[] = {{"15", 15}, {"-5", -5}, {" 7 min", 7}, {"abc", 0}, {"", 0}, {"-99999999999", INT32_MIN}};
  for (const Case& c : cases) {
    Open("Autosave=3\r\n");
    ShowPreferences();
    Pref(PrefPage::kAutosave)->setText(QString::fromLatin1(c.typed));
    Ok();
    EXPECT_EQ(ctx->settings.Autosave, c.stored) << c.typed;
    TearDown();
  }
}

TEST_F(OptionsTest, PreferencesShownAndStored) {
  Open("NewWindow=1\r\nStartWindow=2\r\n");
  ShowPreferences();
  EXPECT_TRUE(PrefBox(PrefPage::kNewWindow)->isChecked());
  EXPECT_TRUE(sheet->Pref().Control<QRadioButton>(PrefPage::kStartScan)->isChecked());
  sheet->Pref().Control<QRadioButton>(PrefPage::kStartNone)->click();
  PrefBox(PrefPage::kNewWindow)->click();
  Ok();
  EXPECT_EQ(ctx->settings.StartWindow, 0);
  EXPECT_FALSE(ctx->settings.NewWindow);
  EXPECT_EQ(Stored("StartWindow"), "0");
  EXPECT_EQ(Stored("NewWindow"), "0");
}

// The colour the next colour button gets, or a cancelled dialog.
void Answer(PrefPage& page, std::optional<QColor> color) {
  page.chooseColor = [color](QWidget*, QColor) { return color; };
}

TEST_F(OptionsTest, ColoursPaintTheirWindows) {
  Open();
  QWidget& results = frame->Results();
  QColor resultsBefore = results.palette().color(QPalette::Window);
  ShowPreferences();
  EXPECT_EQ(sheet->Pref().palette().color(QPalette::Window), ui::SettingColor(ctx->settings.ColorProfil));

  // Only the search window's colour: nothing open repaints, the next window uses it.
  Answer(sheet->Pref(), QColor(10, 20, 30));
  sheet->Pref().Control<QPushButton>(PrefPage::kColorDialog)->click();
  EXPECT_EQ(sheet->Pref().WorkingColor(PrefPage::kColorDialog), QColor(10, 20, 30));
  // A cancelled choice keeps the working colour.
  Answer(sheet->Pref(), std::nullopt);
  sheet->Pref().Control<QPushButton>(PrefPage::kColorDialog)->click();
  EXPECT_EQ(sheet->Pref().WorkingColor(PrefPage::kColorDialog), QColor(10, 20, 30));
  Ok();
  EXPECT_EQ(ctx->settings.ColorDialog, 0x1E140A);
  EXPECT_EQ(Stored("ColorDialog"), std::to_string(0x1E140A));
  EXPECT_EQ(results.palette().color(QPalette::Window), resultsBefore);
  ui::ScanDialog next(*env, &results);
  EXPECT_EQ(next.palette().color(QPalette::Window), QColor(10, 20, 30));

  // The main window's colour shows at once.
  sheet = new OptionsSheet(*env, &results);
  sheet->setAttribute(Qt::WA_DeleteOnClose);
  ShowPreferences();
  Answer(sheet->Pref(), QColor(1, 2, 3));
  sheet->Pref().Control<QPushButton>(PrefPage::kColorPrinc)->click();
  Ok();
  EXPECT_EQ(ctx->settings.ColorPrinc, 0x030201);
  EXPECT_EQ(results.grab().toImage().pixelColor(1, 1), QColor(1, 2, 3));
}

TEST_F(OptionsTest, TheColourDialogOpensFullyAtTheButtonsColourWithOneCustomTable) {
  Open();
  ShowPreferences();
  QColor offered;
  WhenModal([&offered](QWidget* modal) {
    auto* dialog = dynamic_cast<QColorDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->testOption(QColorDialog::DontUseNativeDialog));
    offered = dialog->currentColor();
    dialog->setCurrentColor(QColor(50, 60, 70));
    dialog->accept();
  });
  sheet->Pref().Control<QPushButton>(PrefPage::kColorProfil)->click();
  EXPECT_EQ(offered, ui::SettingColor(ctx->settings.ColorProfil));
  EXPECT_EQ(sheet->Pref().WorkingColor(PrefPage::kColorProfil), QColor(50, 60, 70));
  sheet->close();

  // One table of custom colours for the process, black at first.
  ui::PrepareCustomColors();
  ASSERT_EQ(QColorDialog::customCount(), 16);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(QColorDialog::customColor(i), QColor(Qt::black)) << i;
  QColorDialog::setCustomColor(3, QColor(Qt::red));
  // A second sheet keeps what the first one stored.
  ui::PrepareCustomColors();
  EXPECT_EQ(QColorDialog::customColor(3), QColor(Qt::red));
  QColorDialog::setCustomColor(3, QColor(Qt::black));
}

}  // namespace
}  // namespace orvi::test
