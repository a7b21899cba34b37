// The dialogs: the options sheet (what it stores, the file's own rules being
// settings_test's; its enabling rules, the colours), the about box and
// every window's layout.
#include "ui/options_sheet.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <cstdint>

#include "gui_test_support.h"
#include "platform/ini_file.h"
#include "ui/common.h"
#include "ui/news_dialog.h"
#include "ui/prep_window.h"
#include "ui/profile_editor.h"
#include "ui/scan_dialog.h"
#include "ui/statistics_dialog.h"

namespace orvi::test {
namespace {

using ui::ConfPage;
using ui::OptionsSheet;
using ui::PrefPage;

class OptionsTest : public FrameFixture {
 protected:
  // Opens a sheet on a new frame over these settings, on the page asked.
  void Open(const std::string& ini = "", int page = 0) {
    MakeFrame(ini);
    sheet = new OptionsSheet(*env, &frame->Results());
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->show();
    sheet->Tabs().setCurrentIndex(page);
  }
  template <class W = QLineEdit>
  W* Conf(int id) { return sheet->Conf().Control<W>(id); }
  template <class W = QLineEdit>
  W* Pref(int id) { return sheet->Pref().Control<W>(id); }
  void Ok() { sheet->Control<QPushButton>(OptionsSheet::kOk)->click(); }
  std::string Stored(const std::string& key, const std::string& section = "Config") {
    return IniFile::Load(ctx->SettingsPath()).Get(section, key, "<none>", 200);
  }

  OptionsSheet* sheet = nullptr;
};

TEST_F(OptionsTest, ConnectionCountsAsStored) {
  // {min typed, max keyed (the field takes digits only), stored in memory and in the file}:
  // a maximum under the minimum lowers it; a number too long stays at the cap.
  for (auto [min, max, stored] : {std::tuple{"20", "1a-0", "10 10"}, {"5", "99999999999999", "5 32"}}) {
    Open("MinConnect=6\r\nMaxConnect=14\r\n");
    Conf(ConfPage::kMinConnect)->setText(QString::fromLatin1(min));
    Conf(ConfPage::kMaxConnect)->clear();
    QTest::keyClicks(Conf(ConfPage::kMaxConnect), max);
    Ok();
    EXPECT_EQ(std::to_string(ctx->settings.MinConnect) + " " + std::to_string(ctx->settings.MaxConnect), stored);
    EXPECT_EQ(Stored("MinConnect") + " " + Stored("MaxConnect"), stored);
    TearDown();
  }
}

TEST_F(OptionsTest, TheProxyItsLoginAndHttps) {
  const std::string proxy = "ProxyName=proxy.lan\r\nProxyPort=3128\r\nProxyLogin=bob\r\nProxyPass=s3cret\r\n";
  Open(proxy + "[Net]\r\nHttps=1\r\n");
  EXPECT_EQ(Conf(ConfPage::kProxyPort)->text() + Conf(ConfPage::kProxyPass)->text(), "3128s3cret");
  // Unticking authentication empties and disables the login only.
  Conf<QCheckBox>(ConfPage::kProxyAuth)->click();
  EXPECT_TRUE(Conf(ConfPage::kProxyLogin)->text().isEmpty() && !Conf(ConfPage::kProxyLogin)->isEnabled());
  EXPECT_EQ(Conf(ConfPage::kProxyName)->text(), "proxy.lan");
  Conf<QCheckBox>(ConfPage::kProxyAuth)->click();
  Conf(ConfPage::kProxyLogin)->setText("ann");
  Conf(ConfPage::kProxyPass)->setText("pw");
  ASSERT_TRUE(Conf<QCheckBox>(ConfPage::kHttps)->isChecked());
  Conf<QCheckBox>(ConfPage::kHttps)->click();
  Ok();
  EXPECT_EQ(ctx->settings.ProxyAuthHeader, "Proxy-authorization: Basic YW5uOnB3\r\n");
  EXPECT_EQ(Stored("ProxyLogin") + " " + Stored("Https", "Net"), "ann 0");
  EXPECT_FALSE(ctx->netSettings.Https);
  TearDown();

  // Unticking the proxy stores no name, port 0, no login, no password and no header.
  Open(proxy);
  Conf<QCheckBox>(ConfPage::kUseProxy)->click();
  auto* auth = Conf<QCheckBox>(ConfPage::kProxyAuth);
  EXPECT_FALSE(auth->isChecked() || auth->isEnabled() || Conf(ConfPage::kProxyName)->isEnabled());
  Ok();
  const GlobalSettings& s = ctx->settings;
  EXPECT_EQ(s.ProxyName + s.ProxyLogin + s.ProxyPass + s.ProxyAuthHeader + std::to_string(s.ProxyPort), "0");
  EXPECT_EQ(Stored("ProxyName") + "|" + Stored("ProxyPort"), "|0");
}

TEST_F(OptionsTest, OkWithoutPreferencesKeepsThem) {
  Open("MaxConnect=14\r\n");
  // Values the page would never give back: applying the unseen page would show.
  ctx->settings.StartWindow = 7;
  ctx->settings.Autosave = -4;
  ctx->settings.ColorPrinc = 0x123456;
  Ok();
  EXPECT_EQ(Stored("StartWindow") + " " + Stored("Autosave") + " " + Stored("NbRetry") + " " + Stored("ColorPrinc"),
            "7 -4 3 " + std::to_string(0x123456));
}

TEST_F(OptionsTest, TheAutosaveRuleReadsTheGlobalSetting) {
  // The setting, then what the page shows at set-up and after ticking again.
  for (auto [saved, ticked, shown, afterTick] : {std::tuple{0, false, "0", "2"}, {-3, true, "1", "1"}}) {
    Open();
    ctx->settings.Autosave = saved;
    sheet->Tabs().setCurrentIndex(1);
    SCOPED_TRACE(saved);
    QLineEdit* period = Pref(PrefPage::kAutosave);
    QCheckBox* on = Pref<QCheckBox>(PrefPage::kAutosaveOn);
    EXPECT_EQ(on->isChecked() && period->isEnabled(), ticked);
    EXPECT_EQ(period->text(), shown);
    if (ticked) {
      on->click();
      EXPECT_TRUE(period->text() == "0" && !period->isEnabled());
    }
    // Whatever was typed, ticking again brings back the confirmed period.
    period->setText("77");
    on->click();
    EXPECT_EQ(period->text(), afterTick);
    Ok();
    EXPECT_EQ(std::to_string(ctx->settings.Autosave), afterTick);
    TearDown();
  }
  // Not a digits-only field: a number after blanks, before other text, stops at the limit.
  Open("Autosave=3\r\n", 1);
  Pref(PrefPage::kAutosave)->setText(QStringLiteral(" -99999999999 min"));
  Ok();
  EXPECT_EQ(ctx->settings.Autosave, INT32_MIN);
}

TEST_F(OptionsTest, ColoursPaintTheirWindows) {
  Open("", 1);
  QWidget& results = frame->Results();
  auto answer = [&](std::optional<QColor> color) {
    sheet->Pref().chooseColor = [color](QWidget*, QColor) { return color; };
  };
  answer(QColor(10, 20, 30));
  Pref<QPushButton>(PrefPage::kColorDialog)->click();
  answer(std::nullopt);  // a cancelled choice keeps the working colour
  Pref<QPushButton>(PrefPage::kColorDialog)->click();
  answer(QColor(1, 2, 3));
  Pref<QPushButton>(PrefPage::kColorPrinc)->click();
  Ok();
  EXPECT_EQ(Stored("ColorDialog") + " " + Stored("ColorPrinc"),
            std::to_string(0x1E140A) + " " + std::to_string(0x030201));
  // The search windows' colour is the next one's; the main window's shows at once.
  EXPECT_EQ(ui::ScanDialog(*env, &results).palette().color(QPalette::Window), QColor(10, 20, 30));
  EXPECT_EQ(results.grab().toImage().pixelColor(1, 1), QColor(1, 2, 3));
}

using DialogsTest = FrameFixture;

TEST_F(DialogsTest, WithoutAProductSiteTheAboutBoxHasNoSiteButton) {
  MakeFrame("[Engines]\r\nSiteUrl=\r\n");
  ui::AboutBox plain(*env);
  plain.show();
  EXPECT_FALSE(plain.ControlById(ui::AboutBox::kSite)->isVisible() ||
               plain.ControlById(ui::AboutBox::kSiteLabel)->isVisible());
}

// Every window built from a control table (the results window at its sizes:
// ResultsWindowTest) and each page of the sheet and the profile editor.
TEST_F(DialogsTest, EveryWindowHasNothingOverlappedOrCut) {
  MakeFrame();
  Put("Profils/p.ini", "[Config]\r\nLibS1=Titre :\r\nLibS2=Artiste :\r\n");
  QWidget* parent = &frame->Results();
  ui::ScanDialog scan(*env, parent);
  ui::PrepWindow prep(*env, parent);
  ui::StatisticsDialog statistics(*env);
  ui::NewsDialog news(*env, "Version 0.42");
  ui::AboutBox about(*env);
  OptionsSheet sheet(*env, parent);
  std::unique_ptr<ui::ProfileEditor> editor(ui::ProfileEditor::Open(*env, parent, "/p"));
  std::vector<ui::ControlSet*> sets = {&scan, &prep, &statistics, &news, &about, &sheet, &sheet.Conf(), &sheet.Pref()};
  for (int page = 0; page < 5; ++page) sets.push_back((editor->ShowPage(page), editor->Page(page)));
  for (size_t i = 0; i < sets.size(); ++i) {
    SCOPED_TRACE(i);
    sets[i]->Window()->window()->show();
    if (sets[i] == &sheet.Pref()) sheet.Tabs().setCurrentIndex(1);  // a page is set up when first shown
    test::ExpectNothingOverlappedOrCut(*sets[i], *sets[i]->Window());
  }
}

}  // namespace
}  // namespace orvi::test
