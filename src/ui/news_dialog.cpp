#include "ui/news_dialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "explore/exploration_run.h"
#include "search/news.h"
#include "ui/browser.h"
#include "ui/common.h"

namespace orvi::ui {
namespace {

}  // namespace

std::string SiteHome(const Context& ctx) {
  return ctx.engines.SiteUrl.empty() ? std::string() : ctx.engines.SiteUrl + "/";
}

NewsDialog::NewsDialog(GuiEnv& env, const std::string& message) : QDialog(nullptr), env_(env) {
  setObjectName(QStringLiteral("Tinfos"));
  setWindowTitle(QStringLiteral("Orvilane Informations"));
  setWindowIcon(ProgramIcon());
  PaintBackground(this, env.ctx.settings.ColorDialog);
  auto* icon = MakeControl<QLabel>(0);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
  auto* title = MakeControl<QLabel>(0, QString::fromUtf8("Un nouveau message est arrivé !"));
  auto* text = MakeControl<QPlainTextEdit>(kMessage);
  text->setReadOnly(true);
  text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // Stored with CR LF (a CR-terminated line with CR CR LF): shown as lines.
  QString shown = ToQt(message);
  shown.remove(QLatin1Char('\r'));
  text->setPlainText(shown);
  auto* go = MakeControl<QPushButton>(kGoToSite, QStringLiteral("Aller sur le site ") + ToQt(env.ctx.engines.SiteName));
  auto* close = MakeControl<QPushButton>(kClose, QStringLiteral("Fermer"));
  close->setDefault(true);
  connect(go, &QPushButton::clicked, this, [this] {
    env_.browser.ShellOpen(SiteHome(env_.ctx));
    accept();
  });
  connect(close, &QPushButton::clicked, this, &QDialog::reject);

  auto* head = new QHBoxLayout;
  head->addWidget(icon);
  head->addWidget(title, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(go);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(head);
  layout->addWidget(text, 1);
  layout->addLayout(buttons);
  resize(480, 320);
  ApplyTabOrder();
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
  auto* picture = MakeControl<QLabel>(0);
  picture->setPixmap(ProgramIcon().pixmap(48, 48));
  picture->setAlignment(Qt::AlignCenter);
  auto* version = MakeControl<QLabel>(0, QStringLiteral("Cette version est Beta 0.41 release 2"));
  version->setAlignment(Qt::AlignCenter);
  auto* contact = MakeControl<QLabel>(0, QString::fromUtf8("Bugs reports, idées : ") + ToQt(env.ctx.engines.Contact));
  contact->setAlignment(Qt::AlignCenter);
  contact->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* siteLabel = MakeControl<QLabel>(kSiteLabel, QStringLiteral("Site Web :"));
  auto* site = MakeControl<QPushButton>(kSite, ToQt(SiteHome(env.ctx)));
  site->setAutoDefault(false);
  auto* close = MakeControl<QPushButton>(kClose, QStringLiteral("Fermer"));
  close->setDefault(true);
  connect(site, &QPushButton::clicked, this, [this] {
    // Lets a running search give the browser room first; the box stays open.
    YieldToBrowser(env_.ctx);
    env_.browser.ShellOpen(SiteHome(env_.ctx));
  });
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  // Without a product site there is nowhere to send the user.
  if (SiteHome(env.ctx).empty()) {
    siteLabel->hide();
    site->hide();
  }

  auto* siteRow = new QHBoxLayout;
  siteRow->addStretch();
  siteRow->addWidget(siteLabel);
  siteRow->addWidget(site);
  siteRow->addStretch();
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(close);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(picture);
  layout->addWidget(version);
  layout->addWidget(contact);
  layout->addSpacing(8);
  layout->addLayout(siteRow);
  layout->addSpacing(8);
  layout->addLayout(buttons);
  setMinimumWidth(360);
  ApplyTabOrder();
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
