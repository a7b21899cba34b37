#include "ui/options_sheet.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTabWidget>
#include <QVBoxLayout>

#include <climits>

#include "ui/common.h"

namespace orvi::ui {
namespace {

constexpr int kMaxProxyName = 99;
constexpr int kMaxProxyLogin = 79;

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

QLineEdit* Numeric(QLineEdit* edit) {
  edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
  return edit;
}

// A field read as a signed integer: leading blanks, one optional sign, the
// digits up to the first other character; an empty field reads 0, and a
// number too long for an int stops at its limit rather than wrapping round.
int32_t FieldValue(const QLineEdit* edit) {
  const QString text = edit->text();
  qsizetype i = 0;
  while (i < text.size() && text[i].isSpace()) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
    negative = text[i] == QLatin1Char('-');
    ++i;
  }
  long long value = 0;
  for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
    value = value * 10 + (text[i].unicode() - u'0');
    if (value > INT_MAX) return negative ? INT_MIN : INT_MAX;
  }
  return static_cast<int32_t>(negative ? -value : value);
}

void SetField(QLineEdit* edit, int32_t value) { edit->setText(QString::number(value)); }

QIcon Swatch(QColor color) {
  QPixmap pixmap(16, 16);
  pixmap.fill(color);
  QPainter p(&pixmap);
  p.setPen(Qt::black);
  p.drawRect(0, 0, 15, 15);
  return QIcon(pixmap);
}

constexpr const char* kColorsReady = "orviCustomColors";

}  // namespace

void PrepareCustomColors() {
  // The table is Qt's own and lives as long as the application; the mark on
  // the application object keeps a second sheet from wiping what was stored.
  if (qApp->property(kColorsReady).toBool()) return;
  for (int i = 0; i < QColorDialog::customCount(); ++i) QColorDialog::setCustomColor(i, QColor(Qt::black));
  qApp->setProperty(kColorsReady, true);
}

std::optional<QColor> ChooseColor(QWidget* owner, QColor start) {
  PrepareCustomColors();
  QColorDialog dialog(start, owner);
  dialog.setObjectName(QStringLiteral("ColorDialog"));
  dialog.setOption(QColorDialog::DontUseNativeDialog);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.selectedColor();
}

// ---------------------------------------------------------------- TConf

ConfPage::ConfPage(GuiEnv& env) : env_(env) {
  setObjectName(QStringLiteral("TConf"));
  auto* connections = MakeControl<QGroupBox>(0, Text("Connexions "));
  auto* minLabel = MakeControl<QLabel>(0, Text("Minimum"));
  min_ = Numeric(MakeControl<QLineEdit>(kMinConnect));
  auto* maxLabel = MakeControl<QLabel>(0, Text("Maximum"));
  max_ = Numeric(MakeControl<QLineEdit>(kMaxConnect));
  auto* presetsLabel = MakeControl<QLabel>(0, Text("Valeurs par défaut fonction de votre connexion :"));
  auto* modem = MakeControl<QPushButton>(kModem, Text("Modem 56k"));
  auto* isdn = MakeControl<QPushButton>(kIsdn, Text("Numeris"));
  auto* broadband = MakeControl<QPushButton>(kBroadband, Text("DSL / Câble"));
  auto* timeOutLabel = MakeControl<QLabel>(0, Text("Time out sur les connexions (secondes) :"));
  httpTimeOut_ = Numeric(MakeControl<QLineEdit>(kHttpTimeOut));
  auto* verification = MakeControl<QGroupBox>(0, Text("Vérification des liens "));
  auto* retriesLabel = MakeControl<QLabel>(0, Text("Nombre d'essais en cas d'échec :"));
  retries_ = Numeric(MakeControl<QLineEdit>(kNbRetry));
  auto* verifyLabel = MakeControl<QLabel>(0, Text("Time-out connexions (secondes) :"));
  verifyTimeOut_ = Numeric(MakeControl<QLineEdit>(kVerifyTimeOut));
  useProxy_ = MakeControl<QCheckBox>(kUseProxy, Text("J'utilise un serveur proxy"));
  auto* nameLabel = MakeControl<QLabel>(0, Text("Adresse :"));
  proxyName_ = MakeControl<QLineEdit>(kProxyName);
  proxyName_->setMaxLength(kMaxProxyName);
  auto* portLabel = MakeControl<QLabel>(0, Text("Port :"));
  proxyPort_ = Numeric(MakeControl<QLineEdit>(kProxyPort));
  auth_ = MakeControl<QCheckBox>(kProxyAuth, Text("Avec authentification"));
  auto* loginLabel = MakeControl<QLabel>(0, Text("Login :"));
  login_ = MakeControl<QLineEdit>(kProxyLogin);
  login_->setMaxLength(kMaxProxyLogin);
  auto* passLabel = MakeControl<QLabel>(0, Text("Passe :"));
  pass_ = MakeControl<QLineEdit>(kProxyPass);
  pass_->setMaxLength(kMaxProxyLogin);
  https_ = MakeControl<QCheckBox>(kHttps, Text("Autoriser les adresses https (connexions sécurisées)"));
  minLabel->setBuddy(min_);
  maxLabel->setBuddy(max_);
  timeOutLabel->setBuddy(httpTimeOut_);
  retriesLabel->setBuddy(retries_);
  verifyLabel->setBuddy(verifyTimeOut_);
  nameLabel->setBuddy(proxyName_);
  portLabel->setBuddy(proxyPort_);
  loginLabel->setBuddy(login_);
  passLabel->setBuddy(pass_);
  for (QLineEdit* e : {min_, max_, httpTimeOut_, retries_, verifyTimeOut_, proxyPort_}) {
    e->setAlignment(Qt::AlignRight);
    e->setMaximumWidth(70);
  }
  for (QPushButton* b : {modem, isdn, broadband}) b->setAutoDefault(false);

  connect(modem, &QPushButton::clicked, this, [this] { Preset(6, 14); });
  connect(isdn, &QPushButton::clicked, this, [this] { Preset(8, 16); });
  connect(broadband, &QPushButton::clicked, this, [this] { Preset(12, 24); });
  connect(useProxy_, &QCheckBox::clicked, this, [this] { ApplyEnablingRule(); });
  connect(auth_, &QCheckBox::clicked, this, [this] { ApplyEnablingRule(); });

  auto* cl = new QGridLayout(connections);
  cl->addWidget(minLabel, 0, 0);
  cl->addWidget(min_, 0, 1);
  cl->addWidget(maxLabel, 0, 2);
  cl->addWidget(max_, 0, 3);
  cl->setColumnStretch(4, 1);
  cl->addWidget(presetsLabel, 1, 0, 1, 5);
  auto* presets = new QHBoxLayout;
  presets->addWidget(modem);
  presets->addWidget(isdn);
  presets->addWidget(broadband);
  presets->addStretch();
  cl->addLayout(presets, 2, 0, 1, 5);
  auto* timeOut = new QHBoxLayout;
  timeOut->addWidget(timeOutLabel);
  timeOut->addWidget(httpTimeOut_);
  timeOut->addStretch();
  cl->addLayout(timeOut, 3, 0, 1, 5);

  auto* vl = new QGridLayout(verification);
  vl->addWidget(retriesLabel, 0, 0);
  vl->addWidget(retries_, 0, 1);
  vl->addWidget(verifyLabel, 1, 0);
  vl->addWidget(verifyTimeOut_, 1, 1);
  vl->setColumnStretch(2, 1);

  auto* proxy = new QGridLayout;
  proxy->addWidget(useProxy_, 0, 0, 1, 4);
  proxy->addWidget(nameLabel, 1, 0);
  proxy->addWidget(proxyName_, 1, 1);
  proxy->addWidget(portLabel, 1, 2);
  proxy->addWidget(proxyPort_, 1, 3);
  proxy->addWidget(auth_, 2, 0, 1, 4);
  proxy->addWidget(loginLabel, 3, 0);
  proxy->addWidget(login_, 3, 1);
  proxy->addWidget(passLabel, 4, 0);
  proxy->addWidget(pass_, 4, 1);
  proxy->setColumnStretch(1, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(connections);
  layout->addWidget(verification);
  layout->addLayout(proxy);
  layout->addWidget(https_);
  layout->addStretch();
  ApplyTabOrder();
}

void ConfPage::SetUp() {
  const GlobalSettings& s = env_.ctx.settings;
  PaintBackground(this, s.ColorProfil);
  SetField(min_, s.MinConnect);
  SetField(max_, s.MaxConnect);
  SetField(httpTimeOut_, s.HttpTimeOut);
  SetField(verifyTimeOut_, s.VerifyTimeOut);
  SetField(retries_, s.NbRetry);
  bool proxy = !s.ProxyName.empty();
  useProxy_->setChecked(proxy);
  if (proxy) {
    proxyName_->setText(ToQt(s.ProxyName));
    SetField(proxyPort_, s.ProxyPort);
    auth_->setChecked(!s.ProxyLogin.empty());
    login_->setText(ToQt(s.ProxyLogin));
    pass_->setText(ToQt(s.ProxyPass));
  }
  https_->setChecked(env_.ctx.netSettings.Https);
  ApplyEnablingRule();
}

void ConfPage::ApplyEnablingRule() {
  bool proxy = useProxy_->isChecked();
  for (QWidget* w : std::initializer_list<QWidget*>{proxyName_, proxyPort_, auth_}) w->setEnabled(proxy);
  if (!proxy) {
    proxyName_->clear();
    proxyPort_->clear();
    auth_->setChecked(false);
  }
  bool auth = auth_->isChecked();
  login_->setEnabled(auth);
  pass_->setEnabled(auth);
  if (!auth) {
    login_->clear();
    pass_->clear();
  }
}

void ConfPage::Preset(int min, int max) {
  SetField(min_, min);
  SetField(max_, max);
}

void ConfPage::Apply() {
  Context& ctx = env_.ctx;
  GlobalSettings& s = ctx.settings;
  s.MaxConnect = std::min(FieldValue(max_), kMaxConnectCap);
  s.MinConnect = std::min(FieldValue(min_), s.MaxConnect);
  s.HttpTimeOut = FieldValue(httpTimeOut_);
  s.VerifyTimeOut = FieldValue(verifyTimeOut_);
  s.NbRetry = FieldValue(retries_);
  s.ProxyName = FromQt(proxyName_->text()).substr(0, kMaxProxyName);
  s.ProxyPort = FieldValue(proxyPort_);
  s.ProxyLogin = FromQt(login_->text()).substr(0, kMaxProxyLogin);
  s.ProxyPass = FromQt(pass_->text()).substr(0, kMaxProxyLogin);
  ctx.BuildProxyAuthHeader();
  ctx.netSettings.Https = https_->isChecked();
}

// ---------------------------------------------------------------- TPref

PrefPage::PrefPage(GuiEnv& env, QWidget* results) : chooseColor(ui::ChooseColor), env_(env), results_(results) {
  setObjectName(QStringLiteral("TPref"));
  auto* prefs = MakeControl<QGroupBox>(0, Text("Préférences"));
  auto* startLabel = MakeControl<QLabel>(0, Text("Au démarrage, ouvrir une fenetre :"));
  start_[0] = MakeControl<QRadioButton>(kStartNone, Text("Aucune"));
  start_[1] = MakeControl<QRadioButton>(kStartSearch, Text("Nouvelle recherche"));
  start_[2] = MakeControl<QRadioButton>(kStartScan, Text("Analyse de page web"));
  newWindow_ = MakeControl<QCheckBox>(
      kNewWindow, Text("Toujours ouvrir les pages web dans une nouvelle fenêtre du navigateur"));
  autosaveOn_ = MakeControl<QCheckBox>(
      kAutosaveOn, Text("Activer la sauvegarde de l'avancement de la recherche et des résultats"));
  auto* everyLabel = MakeControl<QLabel>(0, Text("Effectuer la sauvegarde toutes les"));
  autosave_ = MakeControl<QLineEdit>(kAutosave);
  autosave_->setAlignment(Qt::AlignRight);
  autosave_->setMaximumWidth(50);
  everyLabel->setBuddy(autosave_);
  auto* minutesLabel = MakeControl<QLabel>(0, Text("minutes"));
  auto* colors = MakeControl<QGroupBox>(0, Text("Personnalisation des couleurs"));
  colorButtons_[0] = MakeControl<QPushButton>(kColorPrinc, Text("Fenetre principale"));
  colorButtons_[1] = MakeControl<QPushButton>(kColorDialog, Text("Fenetre recherche"));
  colorButtons_[2] = MakeControl<QPushButton>(kColorProfil, Text("Editeur profils / Options"));
  for (int i = 0; i < 3; ++i) {
    colorButtons_[static_cast<size_t>(i)]->setAutoDefault(false);
    connect(colorButtons_[static_cast<size_t>(i)], &QPushButton::clicked, this,
            [this, i] { ChooseColor(kColorPrinc + i); });
  }
  connect(autosaveOn_, &QCheckBox::clicked, this, [this] { ApplyAutosaveRule(); });

  auto* pl = new QVBoxLayout(prefs);
  pl->addWidget(startLabel);
  auto* radios = new QHBoxLayout;
  for (QRadioButton* r : start_) radios->addWidget(r);
  radios->addStretch();
  pl->addLayout(radios);
  pl->addWidget(newWindow_);
  pl->addWidget(autosaveOn_);
  auto* every = new QHBoxLayout;
  every->addSpacing(20);
  every->addWidget(everyLabel);
  every->addWidget(autosave_);
  every->addWidget(minutesLabel);
  every->addStretch();
  pl->addLayout(every);
  auto* cl = new QHBoxLayout(colors);
  for (QPushButton* b : colorButtons_) cl->addWidget(b);
  cl->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(prefs);
  layout->addWidget(colors);
  layout->addStretch();
  ApplyTabOrder();
}

QColor PrefPage::WorkingColor(int button) const {
  int i = button - kColorPrinc;
  return i >= 0 && i < 3 ? colors_[static_cast<size_t>(i)] : QColor();
}

void PrefPage::ShowColors() {
  for (size_t i = 0; i < 3; ++i) colorButtons_[i]->setIcon(Swatch(colors_[i]));
}

void PrefPage::SetUp() {
  const GlobalSettings& s = env_.ctx.settings;
  PaintBackground(this, s.ColorProfil);
  colors_ = {SettingColor(s.ColorPrinc), SettingColor(s.ColorDialog), SettingColor(s.ColorProfil)};
  ShowColors();
  newWindow_->setChecked(s.NewWindow);
  if (s.Autosave != 0) {
    autosave_->setText(QString::number(s.Autosave));
    autosaveOn_->setChecked(true);
  }
  ApplyAutosaveRule();
  int start = s.StartWindow;
  if (start >= 0 && start <= 2) start_[static_cast<size_t>(start)]->setChecked(true);
}

void PrefPage::ApplyAutosaveRule() {
  bool on = autosaveOn_->isChecked();
  autosave_->setEnabled(on);
  // The global setting, not the field: unticking and ticking again brings
  // back the last confirmed period.
  int32_t saved = env_.ctx.settings.Autosave;
  int32_t value = !on ? 0 : saved >= 1 ? saved : saved < 0 ? 1 : 2;
  autosave_->setText(QString::number(value));
}

void PrefPage::ChooseColor(int button) {
  size_t i = static_cast<size_t>(button - kColorPrinc);
  if (std::optional<QColor> chosen = chooseColor(this, colors_[i])) {
    colors_[i] = *chosen;
    ShowColors();
  }
}

void PrefPage::Apply() {
  GlobalSettings& s = env_.ctx.settings;
  s.NewWindow = newWindow_->isChecked();
  int32_t princ = ColorSetting(colors_[0]);
  if (princ != s.ColorPrinc) {
    s.ColorPrinc = princ;
    if (results_) results_->update();
  }
  s.ColorDialog = ColorSetting(colors_[1]);
  s.ColorProfil = ColorSetting(colors_[2]);
  s.Autosave = FieldValue(autosave_);
  s.StartWindow = start_[2]->isChecked() ? 2 : start_[0]->isChecked() ? 0 : 1;
}

// ---------------------------------------------------------------- TPSConf

OptionsSheet::OptionsSheet(GuiEnv& env, QWidget* results) : QDialog(results), env_(env) {
  setObjectName(QStringLiteral("TPSConf"));
  setWindowTitle(QStringLiteral("Orvilane"));
  tabs_ = new QTabWidget(this);
  conf_ = new ConfPage(env);
  pref_ = new PrefPage(env, results);
  tabs_->addTab(conf_, Text("Configuration"));
  tabs_->addTab(pref_, Text("Préférences"));
  auto* ok = MakeControl<QPushButton>(kOk, QStringLiteral("OK"));
  auto* cancel = MakeControl<QPushButton>(kCancel, QStringLiteral("Annuler"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addLayout(buttons);
  connect(tabs_, &QTabWidget::currentChanged, this, [this] { SetUpShownPage(); });
  tabs_->setCurrentIndex(0);
  SetUpShownPage();
}

void OptionsSheet::SetUpShownPage() {
  QWidget* page = tabs_->currentWidget();
  if (page == conf_ && !confSetUp_) {
    confSetUp_ = true;
    conf_->SetUp();
  } else if (page == pref_ && !prefSetUp_) {
    prefSetUp_ = true;
    pref_->SetUp();
  }
}

void OptionsSheet::accept() {
  if (confSetUp_) conf_->Apply();
  if (prefSetUp_) pref_->Apply();
  // A failure to write is not reported; the settings stay in force.
  env_.ctx.SaveSettings();
  QDialog::accept();
}

OptionsSheet* OptionsSheet::Open(GuiEnv& env, QWidget* results) {
  auto* sheet = new OptionsSheet(env, results);
  sheet->setAttribute(Qt::WA_DeleteOnClose);
  sheet->setWindowModality(Qt::NonModal);
  sheet->show();
  return sheet;
}

}  // namespace orvi::ui
