// The dialogs: the options sheet (what each page stores, the file's own
// rules being settings_test's; its enabling rules, cancel, the colours), the
// statistics, the news, the about box and the help.
#include "ui/options_sheet.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <climits>

#include "core/commands.h"
#include "explore/queue.h"
#include "gui_test_support.h"
#include "platform/ini_file.h"
#include "ui/common.h"
#include "ui/help.h"
#include "ui/news_dialog.h"
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

TEST_F(OptionsTest, OpensFromItsCommandWithoutBlockingOnConfiguration) {
  MakeFrame();
  Commands().Execute(cmd::kOptions);
  auto* opened = dynamic_cast<OptionsSheet*>(frame->Results().findChild<QDialog*>("TPSConf"));
  ASSERT_NE(opened, nullptr);
  EXPECT_TRUE(opened->isVisible() && !opened->isModal() && opened->Tabs().currentIndex() == 0);
  opened->close();
}

TEST_F(OptionsTest, ConnectionCountsAsStored) {
  struct {
    int preset;             // a preset button, or 0
    const char *min, *max;  // typed when no preset
    const char* stored;     // min max, in memory and in the file
  } cases[] = {
      {ConfPage::kModem, "", "", "6 14"}, {ConfPage::kIsdn, "", "", "8 16"}, {ConfPage::kBroadband, "", "", "12 24"},
      {0, "6", "40", "6 32"},  {0, "20", "10", "10 10"}, {0, "", "", "0 0"},
      {0, "5", "99999999999999", "5 32"},  // a number too long stays at the cap
  };
  for (const auto& c : cases) {
    Open("MinConnect=6\r\nMaxConnect=14\r\n");
    if (c.preset != 0) {
      Conf<QPushButton>(c.preset)->click();
    } else {
      Conf(ConfPage::kMinConnect)->setText(QString::fromLatin1(c.min));
      Conf(ConfPage::kMaxConnect)->setText(QString::fromLatin1(c.max));
    }
    Ok();
    EXPECT_EQ(std::to_string(ctx->settings.MinConnect) + " " + std::to_string(ctx->settings.MaxConnect), c.stored);
    EXPECT_EQ(Stored("MinConnect") + " " + Stored("MaxConnect"), c.stored);
    TearDown();
  }
  Open();
  QLineEdit* max = Conf(ConfPage::kMaxConnect);
  max->clear();
  QTest::keyClicks(max, "1a-2 3");
  EXPECT_EQ(max->text(), "123");  // digits only
}

TEST_F(OptionsTest, TheProxyItsLoginAndHttps) {
  const std::string proxy = "ProxyName=proxy.lan\r\nProxyPort=3128\r\nProxyLogin=bob\r\nProxyPass=s3cret\r\n";
  Open(proxy + "[Net]\r\nHttps=1\r\n");
  EXPECT_TRUE(Conf<QCheckBox>(ConfPage::kUseProxy)->isChecked() && Conf<QCheckBox>(ConfPage::kProxyAuth)->isChecked());
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

TEST_F(OptionsTest, OkWithoutPreferencesKeepsThemAndCancelDropsEverything) {
  Open("MaxConnect=14\r\n");
  // Values the page would never give back: applying the unseen page would show.
  ctx->settings.StartWindow = 7;
  ctx->settings.Autosave = -4;
  ctx->settings.ColorPrinc = 0x123456;
  Ok();
  EXPECT_EQ(Stored("StartWindow") + " " + Stored("Autosave") + " " + Stored("NbRetry") + " " + Stored("ColorPrinc"),
            "7 -4 3 " + std::to_string(0x123456));
  TearDown();

  for (bool closeBox : {false, true}) {
    Open("MaxConnect=14\r\n");
    std::string before = home.Read("ORVI.ini");
    Conf<QPushButton>(ConfPage::kBroadband)->click();
    sheet->Tabs().setCurrentIndex(1);
    Pref<QCheckBox>(PrefPage::kNewWindow)->click();
    if (closeBox) sheet->close();
    else sheet->Control<QPushButton>(OptionsSheet::kCancel)->click();
    EXPECT_TRUE(ctx->settings.MaxConnect == 14 && !ctx->settings.NewWindow);
    EXPECT_EQ(home.Read("ORVI.ini"), before);
    TearDown();
  }
}

TEST_F(OptionsTest, TheAutosaveRuleReadsTheGlobalSetting) {
  // The setting, then what the page shows at set-up and after ticking again.
  for (auto [saved, ticked, shown, afterTick] :
       {std::tuple{0, false, "0", "2"}, {5, true, "5", "5"}, {-3, true, "1", "1"}}) {
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
  // Not a digits-only field: whatever number it holds is stored as it is.
  for (auto [typed, stored] : {std::pair{"-5", -5}, {" 7 min", 7}, {"abc", 0}, {"-99999999999", INT32_MIN}}) {
    Open("Autosave=3\r\n", 1);
    Pref(PrefPage::kAutosave)->setText(QString::fromLatin1(typed));
    Ok();
    EXPECT_EQ(ctx->settings.Autosave, stored) << typed;
    TearDown();
  }
}

TEST_F(OptionsTest, PreferencesShownAndStored) {
  Open("NewWindow=1\r\nStartWindow=2\r\n", 1);
  EXPECT_TRUE(Pref<QCheckBox>(PrefPage::kNewWindow)->isChecked());
  EXPECT_TRUE(Pref<QRadioButton>(PrefPage::kStartScan)->isChecked());
  Pref<QRadioButton>(PrefPage::kStartNone)->click();
  Pref<QCheckBox>(PrefPage::kNewWindow)->click();
  Ok();
  EXPECT_EQ(Stored("StartWindow") + " " + Stored("NewWindow"), "0 0");
}

TEST_F(OptionsTest, ColoursPaintTheirWindows) {
  Open("", 1);
  QWidget& results = frame->Results();
  QColor resultsBefore = results.palette().color(QPalette::Window);
  EXPECT_EQ(sheet->Pref().palette().color(QPalette::Window), ui::SettingColor(ctx->settings.ColorProfil));
  auto answer = [&](std::optional<QColor> color) {
    sheet->Pref().chooseColor = [color](QWidget*, QColor) { return color; };
  };

  // Only the search window's colour: nothing open repaints, the next window uses it.
  answer(QColor(10, 20, 30));
  Pref<QPushButton>(PrefPage::kColorDialog)->click();
  answer(std::nullopt);  // a cancelled choice keeps the working colour
  Pref<QPushButton>(PrefPage::kColorDialog)->click();
  EXPECT_EQ(sheet->Pref().WorkingColor(PrefPage::kColorDialog), QColor(10, 20, 30));
  Ok();
  EXPECT_EQ(Stored("ColorDialog"), std::to_string(0x1E140A));
  EXPECT_EQ(results.palette().color(QPalette::Window), resultsBefore);
  ui::ScanDialog next(*env, &results);
  EXPECT_EQ(next.palette().color(QPalette::Window), QColor(10, 20, 30));

  // The main window's colour shows at once.
  sheet = new OptionsSheet(*env, &results);
  sheet->setAttribute(Qt::WA_DeleteOnClose);
  sheet->Tabs().setCurrentIndex(1);
  answer(QColor(1, 2, 3));
  Pref<QPushButton>(PrefPage::kColorPrinc)->click();
  Ok();
  EXPECT_EQ(ctx->settings.ColorPrinc, 0x030201);
  EXPECT_EQ(results.grab().toImage().pixelColor(1, 1), QColor(1, 2, 3));
}

TEST_F(OptionsTest, TheColourDialogOpensFullyAtTheButtonsColourWithOneCustomTable) {
  Open("", 1);
  QColor offered;
  WhenModal([&offered](QWidget* modal) {
    auto* dialog = dynamic_cast<QColorDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->testOption(QColorDialog::DontUseNativeDialog));
    offered = dialog->currentColor();
    dialog->setCurrentColor(QColor(50, 60, 70));
    dialog->accept();
  });
  Pref<QPushButton>(PrefPage::kColorProfil)->click();
  EXPECT_EQ(offered, ui::SettingColor(ctx->settings.ColorProfil));
  EXPECT_EQ(sheet->Pref().WorkingColor(PrefPage::kColorProfil), QColor(50, 60, 70));
  sheet->close();

  // One table of custom colours for the process, black at first; a second
  // sheet keeps what the first one stored.
  ui::PrepareCustomColors();
  for (int i = 0; i < QColorDialog::customCount(); ++i) EXPECT_EQ(QColorDialog::customColor(i), QColor(Qt::black)) << i;
  QColorDialog::setCustomColor(3, QColor(Qt::red));
  ui::PrepareCustomColors();
  EXPECT_EQ(QColorDialog::customColor(3), QColor(Qt::red));
  QColorDialog::setCustomColor(3, QColor(Qt::black));
}

using DialogsTest = FrameFixture;

// What is counted is statistics_test's; here, when the dialog shows it.
TEST_F(DialogsTest, StatisticsCountsFollowTheQueueTheListOnlyAClickAndCopiesOpenFromTheCommand) {
  MakeFrame();
  ui::StatisticsDialog dialog(*env);
  using S = ui::StatisticsDialog;
  EXPECT_EQ(dialog.parent(), nullptr);
  EXPECT_TRUE(dialog.Timer().isActive());
  auto add = [&](const std::string& url, int engine, FoundBy how) {
    std::lock_guard lock(ctx->QueueLock);
    ctx->queue.entries.push_back(std::make_shared<QueueEntry>(url, engine, how, 1));
  };
  auto counts = [&] {
    QStringList shown;
    for (int i = 0; i < 6; ++i) shown << dialog.Control<QLineEdit>(S::kFirstCount + i)->text();
    return shown.join(QLatin1Char(' '));
  };
  auto listed = [&](int choice) {
    dialog.Control<QRadioButton>(S::kFirstChoice + choice)->click();
    QStringList rows;
    auto* list = dialog.Control<QListWidget>(S::kList);
    for (int i = 0; i < list->count(); ++i) rows << list->item(i)->text();
    return rows;
  };
  add("http://engine.test/a", 1, FoundBy::FromEngine);
  add("http://z.test/cache1", 0, FoundBy::CacheFallback);
  add("http://r.test/", 0, FoundBy::ScriptRedirect);
  add("http://z.test/cache-of-engine", 2, FoundBy::CacheFallback);
  add("http://a.test/cache2", 0, FoundBy::CacheFallback);
  const QString before = counts();  // until the next refresh
  dialog.RefreshCounts();
  EXPECT_EQ(before + " / " + counts(), "0 0 0 0 0 0 / 1 0 0 0 0 3");
  EXPECT_EQ(listed(5), (QStringList{"http://z.test/cache1", "http://a.test/cache2"}));
  EXPECT_EQ(listed(0), QStringList{"http://r.test/"});
  // The run goes on: counts change at the next refresh, the list stays as it was.
  add("http://r.test/2", 0, FoundBy::ScriptRedirect);
  dialog.RefreshCounts();
  EXPECT_EQ(counts(), "2 0 0 0 0 3");
  EXPECT_EQ(dialog.Control<QListWidget>(S::kList)->count(), 1);
  StopAndClearQueue(*ctx);  // a stop empties the queue: everything falls to 0
  dialog.RefreshCounts();
  EXPECT_EQ(counts(), "0 0 0 0 0 0");

  Commands().Execute(cmd::kStatistics);
  Commands().Execute(cmd::kStatistics);
  QList<QPointer<S>> open;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* s = dynamic_cast<S*>(w); s && s != &dialog && s->isVisible()) open << s;
  }
  ASSERT_EQ(open.size(), 2);
  for (auto& s : open) s->Control<QPushButton>(S::kClose)->click();
  EXPECT_TRUE(PumpUntil([&] { return open[0].isNull() && open[1].isNull(); }));
}

TEST_F(DialogsTest, TheNewsLeadsToTheSiteAndTheAboutBoxStaysOpen) {
  using ui::AboutBox;
  using ui::NewsDialog;
  MakeFrame("[Engines]\r\nSiteUrl=http://site.test\r\n");
  for (int button : {NewsDialog::kGoToSite, NewsDialog::kClose}) {
    browser.shell.clear();
    QPointer<NewsDialog> news = NewsDialog::Open(*env, "Version 0.42\r\r\nNouveaut\xE9s\r\n");
    EXPECT_EQ(news->parent(), nullptr);
    EXPECT_EQ(news->Control<QPlainTextEdit>(NewsDialog::kMessage)->toPlainText(),
              QString::fromUtf8("Version 0.42\nNouveautés\n"));
    news->Control<QPushButton>(button)->click();
    EXPECT_TRUE(PumpUntil([&] { return news.isNull(); }));
    EXPECT_EQ(browser.shell, std::vector<std::string>(button == NewsDialog::kGoToSite, "http://site.test/"));
  }
  browser.shell.clear();
  QPointer<AboutBox> about = AboutBox::Open(*env);
  about->Control<QPushButton>(AboutBox::kSite)->click();
  EXPECT_EQ(browser.shell, std::vector<std::string>{"http://site.test/"});
  QPointer<AboutBox> second = AboutBox::Open(*env);  // a second copy may open beside it
  EXPECT_TRUE(about->isVisible() && second->isVisible());
  about->Control<QPushButton>(AboutBox::kClose)->click();
  second->Control<QPushButton>(AboutBox::kClose)->click();
  EXPECT_TRUE(PumpUntil([&] { return about.isNull() && second.isNull(); }));
  // Without a site, no site button.
  ctx->engines.SiteUrl.clear();
  AboutBox plain(*env);
  plain.show();
  EXPECT_FALSE(plain.ControlById(AboutBox::kSite)->isVisible() || plain.ControlById(AboutBox::kSiteLabel)->isVisible());
}

TEST_F(DialogsTest, HelpOpensThePageOrNothingAndEveryPageShips) {
  MakeFrame();
  ui::OpenHelp(*env, ui::kHelpMain);  // no page anywhere: nothing visible happens
  EXPECT_TRUE(browser.shell.empty());
  Put("help/index.html", "<p>aide</p>");
  ui::OpenHelp(*env, ui::kHelpMain);
  EXPECT_EQ(browser.shell, std::vector<std::string>{"file://" + home.path() + "help/index.html"});
  // Every page the windows open ships: the build copies data/help beside the program.
  Context shipped(ContextOptions{.appFolder = ORVI_RUNTIME_FOLDER});
  for (const char* page : {ui::kHelpMain, ui::kHelpSearch}) {
    EXPECT_FALSE(ui::HelpPagePath(shipped, page).empty()) << page;
  }
}

}  // namespace
}  // namespace orvi::test
