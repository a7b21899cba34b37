#include "ui/options_sheet.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <climits>

#include "platform/text.h"
#include "search/engine_table.h"
#include "ui/common.h"
#include "ui/control_table.h"

namespace orvi::ui {
namespace {

constexpr int kMaxProxyName = 99;
constexpr int kMaxProxyLogin = 79;

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

// TConf's boxes and controls, in keyboard order. The numbers are right-aligned.
enum ConfBox { kConfPage, kConnections, kPresetButtons, kTimeOut, kVerification, kProxy };
constexpr BoxRow kConfBoxes[] = {
    {.key = kConfPage, .kind = BoxKind::Column},
    {.key = kConnections, .kind = BoxKind::Grid, .stretchColumn = 4},
    {.key = kPresetButtons, .kind = BoxKind::Row, .at = {kConnections, 2, 0, 1, 5}},
    {.kind = BoxKind::Stretch, .at = {kPresetButtons, 3}},
    {.key = kTimeOut, .kind = BoxKind::Row, .at = {kConnections, 3, 0, 1, 5}},
    {.kind = BoxKind::Stretch, .at = {kTimeOut, 2}},
    {.key = kVerification, .kind = BoxKind::Grid, .stretchColumn = 2},
    {.key = kProxy, .kind = BoxKind::Grid, .at = {kConfPage, 2}, .stretchColumn = 1},
    {.kind = BoxKind::Stretch, .at = {kConfPage, 4}},
};
constexpr ControlRow Number(int id, Cell at) {
  return {.id = id, .kind = Kind::Digits, .at = at, .maxWidth = 70, .align = Qt::AlignRight};
}
constexpr ControlRow kConfControls[] = {
    {.kind = Kind::Group, .text = "Connexions ", .at = {kConfPage, 0}, .holds = kConnections},
    {.text = "Minimum", .at = {kConnections, 0, 0}, .flags = kBuddy},
    Number(ConfPage::kMinConnect, {kConnections, 0, 1}),
    {.text = "Maximum", .at = {kConnections, 0, 2}, .flags = kBuddy},
    Number(ConfPage::kMaxConnect, {kConnections, 0, 3}),
    {.text = "Valeurs par défaut fonction de votre connexion :", .at = {kConnections, 1, 0, 1, 5}},
    {.id = ConfPage::kModem, .kind = Kind::Button, .text = "Modem 56k", .at = {kPresetButtons, 0},
     .flags = kNoAutoDefault},
    {.id = ConfPage::kIsdn, .kind = Kind::Button, .text = "Numeris", .at = {kPresetButtons, 1},
     .flags = kNoAutoDefault},
    {.id = ConfPage::kBroadband, .kind = Kind::Button, .text = "DSL / Câble", .at = {kPresetButtons, 2},
     .flags = kNoAutoDefault},
    {.text = "Time out sur les connexions (secondes) :", .at = {kTimeOut, 0}, .flags = kBuddy},
    Number(ConfPage::kHttpTimeOut, {kTimeOut, 1}),
    {.kind = Kind::Group, .text = "Vérification des liens ", .at = {kConfPage, 1}, .holds = kVerification},
    {.text = "Nombre d'essais en cas d'échec :", .at = {kVerification, 0, 0}, .flags = kBuddy},
    Number(ConfPage::kNbRetry, {kVerification, 0, 1}),
    {.text = "Time-out connexions (secondes) :", .at = {kVerification, 1, 0}, .flags = kBuddy},
    Number(ConfPage::kVerifyTimeOut, {kVerification, 1, 1}),
    {.id = ConfPage::kUseProxy, .kind = Kind::Check, .text = "J'utilise un serveur proxy", .at = {kProxy, 0, 0, 1, 4}},
    {.text = "Adresse :", .at = {kProxy, 1, 0}, .flags = kBuddy},
    {.id = ConfPage::kProxyName, .kind = Kind::Edit, .at = {kProxy, 1, 1}, .limit = kMaxProxyName},
    {.text = "Port :", .at = {kProxy, 1, 2}, .flags = kBuddy},
    Number(ConfPage::kProxyPort, {kProxy, 1, 3}),
    {.id = ConfPage::kProxyAuth, .kind = Kind::Check, .text = "Avec authentification", .at = {kProxy, 2, 0, 1, 4}},
    {.text = "Login :", .at = {kProxy, 3, 0}, .flags = kBuddy},
    {.id = ConfPage::kProxyLogin, .kind = Kind::Edit, .at = {kProxy, 3, 1}, .limit = kMaxProxyLogin},
    {.text = "Passe :", .at = {kProxy, 4, 0}, .flags = kBuddy},
    {.id = ConfPage::kProxyPass, .kind = Kind::Edit, .at = {kProxy, 4, 1}, .limit = kMaxProxyLogin},
    {.id = ConfPage::kHttps, .kind = Kind::Check, .text = "Autoriser les adresses https (connexions sécurisées)",
     .at = {kConfPage, 3}},
};

// The presets: the minimum and maximum each button writes.
struct PresetRow {
  int button, min, max;
};
constexpr PresetRow kPresets[] = {{ConfPage::kModem, 6, 14}, {ConfPage::kIsdn, 8, 16}, {ConfPage::kBroadband, 12, 24}};

// TPref's boxes and controls.
enum PrefBox { kPrefPage, kPrefs, kStart, kEvery, kColors };
constexpr BoxRow kPrefBoxes[] = {
    {.key = kPrefPage, .kind = BoxKind::Column},
    {.key = kPrefs, .kind = BoxKind::Column},
    {.key = kStart, .kind = BoxKind::Row, .at = {kPrefs, 1}},
    {.kind = BoxKind::Stretch, .at = {kStart, 3}},
    {.key = kEvery, .kind = BoxKind::Row, .at = {kPrefs, 4}},
    {.kind = BoxKind::Space, .at = {kEvery, 0}, .size = 20},
    {.kind = BoxKind::Stretch, .at = {kEvery, 4}},
    {.key = kColors, .kind = BoxKind::Row},
    {.kind = BoxKind::Stretch, .at = {kColors, 3}},
    {.kind = BoxKind::Stretch, .at = {kPrefPage, 2}},
};
constexpr ControlRow kPrefControls[] = {
    {.kind = Kind::Group, .text = "Préférences", .at = {kPrefPage, 0}, .holds = kPrefs},
    {.text = "Au démarrage, ouvrir une fenetre :", .at = {kPrefs, 0}},
    {.id = PrefPage::kStartNone, .kind = Kind::Radio, .text = "Aucune", .at = {kStart, 0}},
    {.id = PrefPage::kStartSearch, .kind = Kind::Radio, .text = "Nouvelle recherche", .at = {kStart, 1}},
    {.id = PrefPage::kStartScan, .kind = Kind::Radio, .text = "Analyse de page web", .at = {kStart, 2}},
    {.id = PrefPage::kNewWindow, .kind = Kind::Check,
     .text = "Toujours ouvrir les pages web dans une nouvelle fenêtre du navigateur", .at = {kPrefs, 2}},
    {.id = PrefPage::kAutosaveOn, .kind = Kind::Check,
     .text = "Activer la sauvegarde de l'avancement de la recherche et des résultats", .at = {kPrefs, 3}},
    {.text = "Effectuer la sauvegarde toutes les", .at = {kEvery, 1}, .flags = kBuddy},
    {.id = PrefPage::kAutosave, .kind = Kind::Edit, .at = {kEvery, 2}, .maxWidth = 50, .align = Qt::AlignRight},
    {.text = "minutes", .at = {kEvery, 3}},
    {.kind = Kind::Group, .text = "Personnalisation des couleurs", .at = {kPrefPage, 1}, .holds = kColors},
    {.id = PrefPage::kColorPrinc, .kind = Kind::Button, .text = "Fenetre principale", .at = {kColors, 0},
     .flags = kNoAutoDefault},
    {.id = PrefPage::kColorDialog, .kind = Kind::Button, .text = "Fenetre recherche", .at = {kColors, 1},
     .flags = kNoAutoDefault},
    {.id = PrefPage::kColorProfil, .kind = Kind::Button, .text = "Editeur profils / Options", .at = {kColors, 2},
     .flags = kNoAutoDefault},
};

// The "Moteurs" page's boxes and controls.
enum EnginesBox { kEnginesPage, kSlots, kServices };
constexpr BoxRow kEnginesBoxes[] = {
    {.key = kEnginesPage, .kind = BoxKind::Column},
    {.key = kSlots, .kind = BoxKind::Grid, .stretchColumn = 2},
    {.key = kServices, .kind = BoxKind::Grid, .stretchColumn = 1},
    {.kind = BoxKind::Stretch, .at = {kEnginesPage, 3}},
};
constexpr ControlRow kEnginesControls[] = {
    {.kind = Kind::Group, .text = "Moteurs interrogés ", .at = {kEnginesPage, 0}, .holds = kSlots},
    {.kind = Kind::Note,
     .text = "Chaque colonne des profils interroge le moteur choisi ici. Les moteurs d'aujourd'hui sont "
             "décrits dans le fichier Moteurs.ini du dossier du programme.",
     .at = {kSlots, 0, 0, 1, 3}},
    {.text = "Colonne 1 :", .at = {kSlots, 1, 0}, .flags = kBuddy},
    {.id = EnginesPage::kSlot1, .kind = Kind::Choice, .at = {kSlots, 1, 1}},
    {.text = "Colonne 2 :", .at = {kSlots, 2, 0}, .flags = kBuddy},
    {.id = EnginesPage::kSlot1 + 1, .kind = Kind::Choice, .at = {kSlots, 2, 1}},
    {.text = "Colonne 3 :", .at = {kSlots, 3, 0}, .flags = kBuddy},
    {.id = EnginesPage::kSlot1 + 2, .kind = Kind::Choice, .at = {kSlots, 3, 1}},
    {.kind = Kind::Group, .text = "Services ", .at = {kEnginesPage, 1}, .holds = kServices},
    {.text = "Adresse de votre SearXNG :", .at = {kServices, 0, 0}, .flags = kBuddy},
    {.id = EnginesPage::kSearxngUrl, .kind = Kind::Edit, .at = {kServices, 0, 1}, .limit = 239},
    {.text = "Clé d'API Marginalia :", .at = {kServices, 1, 0}, .flags = kBuddy},
    {.id = EnginesPage::kMarginaliaKey, .kind = Kind::Edit, .at = {kServices, 1, 1}, .limit = 79},
};

// TPSConf: the pages, then OK and Cancel only.
enum SheetBox { kSheet, kSheetButtons };
constexpr BoxRow kSheetBoxes[] = {
    {.key = kSheet, .kind = BoxKind::Column},
    {.key = kSheetButtons, .kind = BoxKind::Row, .at = {kSheet, 1}},
    {.kind = BoxKind::Stretch, .at = {kSheetButtons, 0}},
};
constexpr ControlRow kSheetControls[] = {
    {.kind = Kind::Custom, .at = {kSheet, 0}},
    {.id = OptionsSheet::kOk, .kind = Kind::Button, .text = "OK", .at = {kSheetButtons, 1}, .flags = kDefault},
    {.id = OptionsSheet::kCancel, .kind = Kind::Button, .text = "Annuler", .at = {kSheetButtons, 2}},
};

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
  if (ExecOverParent(dialog) != QDialog::Accepted) return std::nullopt;
  return dialog.selectedColor();
}

// ---------------------------------------------------------------- TConf

ConfPage::ConfPage(GuiEnv& env) : env_(env) {
  setObjectName(QStringLiteral("TConf"));
  Build(this, {.controls = kConfControls, .boxes = kConfBoxes});
  min_ = Control<QLineEdit>(kMinConnect);
  max_ = Control<QLineEdit>(kMaxConnect);
  httpTimeOut_ = Control<QLineEdit>(kHttpTimeOut);
  retries_ = Control<QLineEdit>(kNbRetry);
  verifyTimeOut_ = Control<QLineEdit>(kVerifyTimeOut);
  useProxy_ = Control<QCheckBox>(kUseProxy);
  proxyName_ = Control<QLineEdit>(kProxyName);
  proxyPort_ = Control<QLineEdit>(kProxyPort);
  auth_ = Control<QCheckBox>(kProxyAuth);
  login_ = Control<QLineEdit>(kProxyLogin);
  pass_ = Control<QLineEdit>(kProxyPass);
  https_ = Control<QCheckBox>(kHttps);
  for (const PresetRow& p : kPresets) {
    connect(Control<QPushButton>(p.button), &QPushButton::clicked, this, [this, p] { Preset(p.min, p.max); });
  }
  connect(useProxy_, &QCheckBox::clicked, this, [this] { ApplyEnablingRule(); });
  connect(auth_, &QCheckBox::clicked, this, [this] { ApplyEnablingRule(); });
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
  Build(this, {.controls = kPrefControls, .boxes = kPrefBoxes});
  for (int i = 0; i < 3; ++i) {
    start_[static_cast<size_t>(i)] = Control<QRadioButton>(kStartNone + i);
    colorButtons_[static_cast<size_t>(i)] = Control<QPushButton>(kColorPrinc + i);
    connect(colorButtons_[static_cast<size_t>(i)], &QPushButton::clicked, this,
            [this, i] { ChooseColor(kColorPrinc + i); });
  }
  newWindow_ = Control<QCheckBox>(kNewWindow);
  autosaveOn_ = Control<QCheckBox>(kAutosaveOn);
  autosave_ = Control<QLineEdit>(kAutosave);
  connect(autosaveOn_, &QCheckBox::clicked, this, [this] { ApplyAutosaveRule(); });
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

// ---------------------------------------------------------------- Moteurs

EnginesPage::EnginesPage(GuiEnv& env) : env_(env) {
  setObjectName(QStringLiteral("TMoteurs"));
  Build(this, {.controls = kEnginesControls, .boxes = kEnginesBoxes});
  for (size_t i = 0; i < slots_.size(); ++i) {
    slots_[i] = Control<QComboBox>(kSlot1 + static_cast<int>(i));
    // Each list: the designed engines, then today's rows, named as the board names them.
    for (const EngineRow& row : BuiltInEngines()) {
      slots_[i]->addItem(ToQt(std::string(row.name)), ToQt(AsciiLower(row.name)));
    }
    for (const WebEngine& row : env.ctx.webEngines) slots_[i]->addItem(ToQt(row.Name), ToQt(row.id));
  }
  searxng_ = Control<QLineEdit>(kSearxngUrl);
  marginalia_ = Control<QLineEdit>(kMarginaliaKey);
}

void EnginesPage::SetUp() {
  Context& ctx = env_.ctx;
  PaintBackground(this, ctx.settings.ColorProfil);
  for (int i = 0; i < kEngineSlots; ++i) {
    // A name the program does not know shows the engine the slot asks instead.
    const SlotChoice choice = ChooseSlotEngine(ctx, i);
    QComboBox* list = slots_[static_cast<size_t>(i)];
    list->setCurrentIndex(std::max(0, list->findText(ToQt(choice.name))));
  }
  if (const WebEngine* row = FindWebEngine(ctx.webEngines, "searxng")) searxng_->setText(ToQt(row->Url));
  if (const WebEngine* row = FindWebEngine(ctx.webEngines, "marginalia")) marginalia_->setText(ToQt(row->Key));
}

void EnginesPage::Apply() {
  Context& ctx = env_.ctx;
  for (size_t i = 0; i < slots_.size(); ++i) ctx.engines.slotEngines[i] = FromQt(slots_[i]->currentData().toString());
  if (WebEngine* row = FindWebEngine(ctx.webEngines, "searxng")) {
    row->Url = std::string(TrimWhite(FromQt(searxng_->text())));
    while (!row->Url.empty() && row->Url.back() == '/') row->Url.pop_back();
  }
  if (WebEngine* row = FindWebEngine(ctx.webEngines, "marginalia")) row->Key = std::string(TrimWhite(FromQt(marginalia_->text())));
}

// ---------------------------------------------------------------- TPSConf

OptionsSheet::OptionsSheet(GuiEnv& env, QWidget* results) : QDialog(nullptr), env_(env) {
  setObjectName(QStringLiteral("TPSConf"));
  setWindowTitle(QStringLiteral("Orvilane"));
  Build(this, {.controls = kSheetControls, .boxes = kSheetBoxes, .make = [this, &env, results](const ControlRow&) {
                 tabs_ = new QTabWidget;
                 conf_ = new ConfPage(env);
                 pref_ = new PrefPage(env, results);
                 engines_ = new EnginesPage(env);
                 tabs_->addTab(conf_, QStringLiteral("Configuration"));
                 tabs_->addTab(pref_, Utf8("Préférences"));
                 tabs_->addTab(engines_, QStringLiteral("Moteurs"));
                 return tabs_;
               }});
  connect(Control<QPushButton>(kOk), &QPushButton::clicked, this, &QDialog::accept);
  connect(Control<QPushButton>(kCancel), &QPushButton::clicked, this, &QDialog::reject);
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
  } else if (page == engines_ && !enginesSetUp_) {
    enginesSetUp_ = true;
    engines_->SetUp();
  }
}

void OptionsSheet::accept() {
  if (confSetUp_) conf_->Apply();
  if (prefSetUp_) pref_->Apply();
  if (enginesSetUp_) engines_->Apply();
  // A failure to write is not reported; the settings stay in force.
  env_.ctx.SaveSettings(enginesSetUp_);
  QDialog::accept();
}

OptionsSheet* OptionsSheet::Open(GuiEnv& env, QWidget* results) {
  auto* sheet = new OptionsSheet(env, results);
  sheet->setAttribute(Qt::WA_DeleteOnClose);
  sheet->show();
  return sheet;
}

}  // namespace orvi::ui
