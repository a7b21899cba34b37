// The options sheet (what it stores and enables; the file's rules are
// settings_test's), the about box and every window's layout.
#include "ui/options_sheet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <cstdint>

#include "gui_test_support.h"
#include "platform/ini_file.h"
#include "search/engine_table.h"
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

TEST_F(OptionsTest, AMaximumUnderTheMinimumLowersItAndOkWithoutPreferencesKeepsThem) {
  Open("MinConnect=6\r\nMaxConnect=14\r\n");
  Conf(ConfPage::kMinConnect)->setText(QStringLiteral("20"));
  Conf(ConfPage::kMaxConnect)->clear();
  QTest::keyClicks(Conf(ConfPage::kMaxConnect), "1a-0");  // the field takes digits only
  // Values the page would never give back: applying the unseen page would show.
  ctx->settings.StartWindow = 7;
  ctx->settings.Autosave = -4;
  ctx->settings.ColorPrinc = 0x123456;
  Ok();
  EXPECT_EQ(std::to_string(ctx->settings.MinConnect) + " " + std::to_string(ctx->settings.MaxConnect), "10 10");
  EXPECT_EQ(Stored("MinConnect") + " " + Stored("MaxConnect") + " " + Stored("StartWindow") + " " + Stored("Autosave") +
                " " + Stored("NbRetry") + " " + Stored("ColorPrinc") + " " + Stored("Engine1", "Engines"),
            "10 10 7 -4 3 " + std::to_string(0x123456) + " <none>");
  TearDown();
  // The engines page: a list per column, the SearXNG address and the Marginalia key.
  Open("[Engines]\r\nEngine2=bing\r\n", 2);
  auto* second = sheet->Engines().Control<QComboBox>(ui::EnginesPage::kSlot1 + 1);
  EXPECT_EQ(second->currentText(), "Bing");
  sheet->Engines().Control<QComboBox>(ui::EnginesPage::kSlot1)->setCurrentText("Mojeek");
  second->setCurrentText("DuckDuckGo");
  sheet->Engines().Control<QLineEdit>(ui::EnginesPage::kSearxngUrl)->setText("http://127.0.0.1:8888/");
  sheet->Engines().Control<QLineEdit>(ui::EnginesPage::kMarginaliaKey)->setText("mine");
  Ok();
  EXPECT_EQ(Stored("Engine1", "Engines") + " " + Stored("Engine2", "Engines") + " " + Stored("Engine3", "Engines") + " " +
                Stored("SearxngUrl", "Engines") + " " + Stored("MarginaliaKey", "Engines"),
            "mojeek duckduckgo wisenut http://127.0.0.1:8888 mine");
  EXPECT_EQ(ChooseSlotEngine(*ctx, 1).name, "DuckDuckGo");
}

// The header from a login is http_request_test's; a stale one must not outlive the proxy.
TEST_F(OptionsTest, UntickingTheProxyStoresNoneOfIt) {
  Open("ProxyName=proxy.lan\r\nProxyPort=3128\r\nProxyLogin=bob\r\nProxyPass=s3cret\r\n");
  // No name, port 0, no login, no password and no header.
  Conf<QCheckBox>(ConfPage::kUseProxy)->click();
  auto* auth = Conf<QCheckBox>(ConfPage::kProxyAuth);
  EXPECT_FALSE(auth->isChecked() || auth->isEnabled() || Conf(ConfPage::kProxyName)->isEnabled());
  Ok();
  const GlobalSettings& s = ctx->settings;
  EXPECT_EQ(s.ProxyName + s.ProxyLogin + s.ProxyPass + s.ProxyAuthHeader + std::to_string(s.ProxyPort), "0");
  EXPECT_EQ(Stored("ProxyName") + "|" + Stored("ProxyPort"), "|0");
}

TEST_F(OptionsTest, TheAutosaveRuleReadsTheGlobalSetting) {
  Open();
  ctx->settings.Autosave = -3;  // read when the page is first shown: a negative period shows as 1
  sheet->Tabs().setCurrentIndex(1);
  QLineEdit* period = Pref(PrefPage::kAutosave);
  QCheckBox* on = Pref<QCheckBox>(PrefPage::kAutosaveOn);
  EXPECT_TRUE(on->isChecked() && period->isEnabled() && period->text() == "1");
  on->click();
  EXPECT_TRUE(period->text() == "0" && !period->isEnabled());
  // Whatever was typed, ticking again brings back the confirmed period.
  period->setText("77");
  on->click();
  EXPECT_EQ(period->text(), "1");
  Ok();
  EXPECT_EQ(ctx->settings.Autosave, 1);
  TearDown();
  // Not a digits-only field: a number after blanks, before other text, stops at the limit.
  Open("Autosave=3\r\n", 1);
  Pref(PrefPage::kAutosave)->setText(QStringLiteral(" -99999999999 min"));
  Ok();
  EXPECT_EQ(ctx->settings.Autosave, INT32_MIN);
}

TEST_F(OptionsTest, TheMainColourShowsAtOnce) {
  Open("", 1);
  std::optional<QColor> answer = QColor(1, 2, 3);
  sheet->Pref().chooseColor = [&answer](QWidget*, QColor) { return answer; };
  Pref<QPushButton>(PrefPage::kColorPrinc)->click();
  answer = std::nullopt;  // a cancelled choice keeps the working colour
  Pref<QPushButton>(PrefPage::kColorPrinc)->click();
  Ok();
  EXPECT_EQ(Stored("ColorPrinc"), std::to_string(0x030201));
  EXPECT_EQ(frame->Results().grab().toImage().pixelColor(1, 1), QColor(1, 2, 3));
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
  std::vector<ui::ControlSet*> sets = {&scan,  &prep,         &statistics,   &news,        &about,
                                       &sheet, &sheet.Conf(), &sheet.Pref(), &sheet.Engines()};
  for (int page = 0; page < 5; ++page) sets.push_back((editor->ShowPage(page), editor->Page(page)));
  for (size_t i = 0; i < sets.size(); ++i) {
    SCOPED_TRACE(i);
    sets[i]->Window()->window()->show();
    if (sets[i] == &sheet.Pref()) sheet.Tabs().setCurrentIndex(1);  // a page is set up when first shown
    if (sets[i] == &sheet.Engines()) sheet.Tabs().setCurrentIndex(2);
    test::ExpectNothingOverlappedOrCut(*sets[i], *sets[i]->Window());
  }
}

}  // namespace
}  // namespace orvi::test
