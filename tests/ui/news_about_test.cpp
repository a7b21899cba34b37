#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <filesystem>

#include <gtest/gtest.h>

#include "core/commands.h"
#include "frame_fixture.h"
#include "ui/help.h"
#include "ui/news_dialog.h"

namespace orvi::test {
namespace {

using ui::AboutBox;
using ui::NewsDialog;

class DialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx = std::make_unique<Context>(ContextOptions{.appFolder = home.path(), .ui = port});
    ctx->engines.SiteUrl = "http://site.test";
    ctx->engines.SiteName = "Orvi";
    ctx->engines.Contact = "bugs@site.test";
    env = std::make_unique<ui::GuiEnv>(ui::GuiEnv{*ctx, *port, browser, QSize(1024, 768), {}});
  }
  void TearDown() override {
    env.reset();
    ctx.reset();
  }
  QStringList Labels(QWidget* w) {
    QStringList texts;
    for (QLabel* l : w->findChildren<QLabel*>()) {
      if (!l->text().isEmpty()) texts << l->text();
    }
    return texts;
  }
  TempDir home;
  std::shared_ptr<ui::QtUiPort> port = std::make_shared<ui::QtUiPort>();
  std::unique_ptr<Context> ctx;
  RecordingBrowser browser;
  std::unique_ptr<ui::GuiEnv> env;
};

TEST_F(DialogsTest, TheNewsDialogShowsTheMessageAndLeadsToTheSite) {
  for (int button : {NewsDialog::kGoToSite, NewsDialog::kClose}) {
    browser.shell.clear();
    QPointer<NewsDialog> news = NewsDialog::Open(*env, "Version 0.42\r\r\nNouveaut\xE9s\r\n");
    EXPECT_EQ(news->windowTitle(), "Orvilane Informations");
    EXPECT_EQ(news->parent(), nullptr);
    EXPECT_TRUE(Labels(news).contains(QString::fromUtf8("Un nouveau message est arrivé !")));
    EXPECT_EQ(news->Control<QPlainTextEdit>(NewsDialog::kMessage)->toPlainText(),
              QString::fromUtf8("Version 0.42\nNouveautés\n"));
    EXPECT_EQ(news->Control<QPushButton>(NewsDialog::kGoToSite)->text(), "Aller sur le site Orvi");
    EXPECT_EQ(news->Control<QPushButton>(NewsDialog::kClose)->text(), "Fermer");
    news->Control<QPushButton>(button)->click();
    EXPECT_TRUE(PumpUntil([&] { return news.isNull(); }));
    if (button == NewsDialog::kGoToSite) {
      EXPECT_EQ(browser.shell, std::vector<std::string>{"http://site.test/"});
    } else {
      EXPECT_TRUE(browser.shell.empty());
    }
  }
}

TEST_F(DialogsTest, TheAboutBoxStaysOpenWhenTheSiteOpensAndHasNoneWithoutASite) {
  QPointer<AboutBox> about = AboutBox::Open(*env);
  EXPECT_EQ(about->windowTitle(), "Informations");
  QStringList labels = Labels(about);
  EXPECT_TRUE(labels.contains("Cette version est Beta 0.41 release 2"));
  EXPECT_TRUE(labels.contains(QString::fromUtf8("Bugs reports, idées : bugs@site.test")));
  EXPECT_TRUE(labels.contains("Site Web :"));
  about->Control<QPushButton>(AboutBox::kSite)->click();
  EXPECT_EQ(browser.shell, std::vector<std::string>{"http://site.test/"});
  EXPECT_TRUE(about->isVisible());
  // A second copy may open beside it.
  QPointer<AboutBox> second = AboutBox::Open(*env);
  EXPECT_TRUE(about->isVisible() && second->isVisible());
  about->Control<QPushButton>(AboutBox::kClose)->click();
  second->Control<QPushButton>(AboutBox::kClose)->click();
  EXPECT_TRUE(PumpUntil([&] { return about.isNull() && second.isNull(); }));

  // Without a site, no site button.
  ctx->engines.SiteUrl.clear();
  AboutBox plain(*env);
  plain.show();
  EXPECT_FALSE(plain.ControlById(AboutBox::kSite)->isVisible());
  EXPECT_FALSE(plain.ControlById(AboutBox::kSiteLabel)->isVisible());
}

TEST_F(DialogsTest, HelpOpensThePageOrNothingAndEveryPageShips) {
  // No page anywhere: nothing visible happens.
  ui::OpenHelp(*env, ui::kHelpMain);
  EXPECT_TRUE(browser.shell.empty());
  std::filesystem::create_directories(home.File("help"));
  home.Write("help/index.html", "<p>aide</p>");
  ui::OpenHelp(*env, ui::kHelpMain);
  ASSERT_EQ(browser.shell.size(), 1u);
  EXPECT_EQ(browser.shell[0], "file://" + home.path() + "help/index.html");

  // Every page the windows open ships: the build copies data/help beside the program.
  Context shipped(ContextOptions{.appFolder = ORVI_RUNTIME_FOLDER});
  for (const char* page : {ui::kHelpMain, ui::kHelpSearch}) {
    EXPECT_FALSE(ui::HelpPagePath(shipped, page).empty()) << page;
  }
}

}  // namespace
}  // namespace orvi::test
