#include "ui/news_dialog.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>

#include "explore/exploration_run.h"
#include "site/news.h"
#include "ui/browser.h"
#include "ui/common.h"
#include "ui/control_table.h"

namespace orvi::ui {
namespace {

// Tinfos, in keyboard order; the site's name follows "Aller sur le site ".
enum NewsBox { kNews, kHead, kNewsButtons };
constexpr BoxRow kNewsBoxes[] = {
    {.key = kNews, .kind = BoxKind::Column},
    {.key = kHead, .kind = BoxKind::Row, .at = {kNews, 0}},
    {.key = kNewsButtons, .kind = BoxKind::Row, .at = {kNews, 2}},
    {.kind = BoxKind::Stretch, .at = {kNewsButtons, 0}},
};
constexpr ControlRow kNewsControls[] = {
    {.kind = Kind::Picture, .at = {kHead, 0}, .image = Image::Information},
    {.text = "Un nouveau message est arrivé !", .at = {.box = kHead, .row = 1, .stretch = 1}},
    {.id = NewsDialog::kMessage, .kind = Kind::Lines, .at = {.box = kNews, .row = 1, .stretch = 1},
     .flags = kReadOnly | kScrollBar},
    {.id = NewsDialog::kGoToSite, .kind = Kind::Button, .text = "Aller sur le site ", .at = {kNewsButtons, 1},
     .arg = 0},
    {.id = NewsDialog::kClose, .kind = Kind::Button, .text = "Fermer", .at = {kNewsButtons, 2}, .flags = kDefault},
};

// TAbout; the contact address and the site's home page are the window's
// texts 0 and 1.
enum AboutBoxes { kAbout, kSiteRow, kAboutButtons };
constexpr BoxRow kAboutBoxes[] = {
    {.key = kAbout, .kind = BoxKind::Column},
    {.kind = BoxKind::Space, .at = {kAbout, 3}, .size = 8},
    {.key = kSiteRow, .kind = BoxKind::Row, .at = {kAbout, 4}},
    {.kind = BoxKind::Stretch, .at = {kSiteRow, 0}},
    {.kind = BoxKind::Stretch, .at = {kSiteRow, 3}},
    {.kind = BoxKind::Space, .at = {kAbout, 5}, .size = 8},
    {.key = kAboutButtons, .kind = BoxKind::Row, .at = {kAbout, 6}},
    {.kind = BoxKind::Stretch, .at = {kAboutButtons, 0}},
    {.kind = BoxKind::Stretch, .at = {kAboutButtons, 2}},
};
constexpr ControlRow kAboutControls[] = {
    {.kind = Kind::Picture, .at = {kAbout, 0}, .align = Qt::AlignCenter, .image = Image::Program},
    {.text = "Cette version est Beta 0.41 release 2", .at = {kAbout, 1}, .align = Qt::AlignCenter},
    {.text = "Bugs reports, idées : ", .at = {kAbout, 2}, .flags = kSelectable, .align = Qt::AlignCenter, .arg = 0},
    {.id = AboutBox::kSiteLabel, .text = "Site Web :", .at = {kSiteRow, 1}},
    {.id = AboutBox::kSite, .kind = Kind::Button, .text = "", .at = {kSiteRow, 2}, .flags = kNoAutoDefault,
     .arg = 1},
    {.id = AboutBox::kClose, .kind = Kind::Button, .text = "Fermer", .at = {kAboutButtons, 1}, .flags = kDefault},
};

}  // namespace

std::string SiteHome(const Context& ctx) {
  return ctx.engines.SiteUrl.empty() ? std::string() : ctx.engines.SiteUrl + "/";
}

NewsDialog::NewsDialog(GuiEnv& env, const std::string& message) : QDialog(nullptr), env_(env) {
  setObjectName(QStringLiteral("Tinfos"));
  setWindowTitle(QStringLiteral("Orvilane Informations"));
  setWindowIcon(ProgramIcon());
  PaintBackground(this, env.ctx.settings.ColorDialog);
  Build(this, {.controls = kNewsControls, .boxes = kNewsBoxes, .args = {ToQt(env.ctx.engines.SiteName)}});
  // Stored with CR LF (a CR-terminated line with CR CR LF): shown as lines.
  QString shown = ToQt(message);
  shown.remove(QLatin1Char('\r'));
  Control<QPlainTextEdit>(kMessage)->setPlainText(shown);
  connect(Control<QPushButton>(kGoToSite), &QPushButton::clicked, this, [this] {
    ShellOpenOrSay(env_, SiteHome(env_.ctx));
    accept();
  });
  connect(Control<QPushButton>(kClose), &QPushButton::clicked, this, &QDialog::reject);
  resize(480, 320);
}

NewsDialog* NewsDialog::Open(GuiEnv& env, const std::string& message) {
  auto* dialog = new NewsDialog(env, message);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->show();
  return dialog;
}

AboutBox::AboutBox(GuiEnv& env) : QDialog(nullptr), env_(env) {
  setObjectName(QStringLiteral("TAbout"));
  setWindowTitle(QStringLiteral("Informations"));
  setWindowIcon(ProgramIcon());
  PaintBackground(this, env.ctx.settings.ColorDialog);
  Build(this, {.controls = kAboutControls, .boxes = kAboutBoxes,
               .args = {ToQt(env.ctx.engines.Contact), ToQt(SiteHome(env.ctx))}});
  connect(Control<QPushButton>(kSite), &QPushButton::clicked, this, [this] {
    // Lets a running search give the browser room first; the box stays open.
    YieldToBrowser(env_.ctx);
    ShellOpenOrSay(env_, SiteHome(env_.ctx));
  });
  connect(Control<QPushButton>(kClose), &QPushButton::clicked, this, &QDialog::close);
  // Without a product site there is nowhere to send the user.
  if (SiteHome(env.ctx).empty()) {
    ControlById(kSiteLabel)->hide();
    ControlById(kSite)->hide();
  }
  setMinimumWidth(360);
}

AboutBox* AboutBox::Open(GuiEnv& env) {
  auto* box = new AboutBox(env);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->show();
  return box;
}

void StartNewsCheck(GuiEnv& env) {
  if (env.ctx.engines.SiteUrl.empty()) return;
  // The application outlives every thread: the program ends with _exit.
  QCoreApplication* app = QCoreApplication::instance();
  env.ctx.run.helpers.Start([&env, app] {
    std::optional<std::string> message = CheckNews(env.ctx);
    if (!message) return;
    QMetaObject::invokeMethod(app, [&env, text = *message] { NewsDialog::Open(env, text); },
                              Qt::QueuedConnection);
  });
}

}  // namespace orvi::ui
