#include "ui/prep_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <mutex>

#include "explore/queue.h"
#include "search/profile_file.h"
#include "search/search_report.h"
#include "search/session.h"
#include "search/translation.h"
#include "ui/animation.h"
#include "ui/command_ids.h"
#include "ui/profile_editor.h"
#include "ui/qt_text.h"
#include "ui/qt_ui_port.h"
#include "ui/scan_dialog.h"

namespace orvi::ui {
namespace {

constexpr int kFolderImageClosed = 0;
constexpr int kFolderImageOpen = 1;
constexpr int kProfileImage = 2;
constexpr int kRows = SearchProfile::kKeyRows;
constexpr int kCellWidth = 54;
const QColor kUniqueBrush(230, 255, 230);

QString Utf8(const char* text) { return QString::fromUtf8(text); }

bool Ticked(int32_t mask, int row) { return (static_cast<uint32_t>(mask) >> row) & 1u; }

}  // namespace

PrepWindow::PrepWindow(GuiEnv& env, QWidget* parent) : QDialog(parent), env_(env), harvest_(env.ctx) {
  setObjectName(QStringLiteral("TDS"));
  setWindowTitle(Utf8("Préparation de la recherche"));
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, SettingColor(env.ctx.settings.ColorDialog));
  setPalette(pal);
  QStyle* look = style();
  images_ = {look->standardIcon(QStyle::SP_DirClosedIcon), look->standardIcon(QStyle::SP_DirOpenIcon),
             look->standardIcon(QStyle::SP_FileIcon)};

  BuildControls();
  RegisterCommands();
  ApplyTabOrder();

  FillTree();
  SelectCurrentInTree();
  LoadCurrentProfile();
  slider_->setValue(env_.prep.stopAtPosition);
  SetStopAtPosition(env_.prep.stopAtPosition);
  animation_->Open(env_.ctx.AppFolder + "ORVI.avi");
  autoStart_->setChecked(env_.ctx.harvest.autoStart);
  log_->setChecked(false);
  env_.ctx.harvest.logEnabled = false;

  AttachTo(env_.port);
  connect(&tick_, &QTimer::timeout, this, &PrepWindow::OnTick);
  tick_.start(250);
  OnTick();
  if (input1_->isEnabled()) input1_->setFocus();
}

PrepWindow::~PrepWindow() {
  EndHarvest();
  if (editor_) editor_->close();
}

void PrepWindow::BuildControls() {
  // Left: the profiles.
  auto* treeLabel = MakeControl<QLabel>(0, QStringLiteral("Profils"));
  tree_ = MakeControl<QTreeWidget>(kTree);
  tree_->setHeaderHidden(true);
  tree_->setColumnCount(1);
  tree_->setMinimumSize(190, 250);
  tree_->setExpandsOnDoubleClick(false);
  treeLabel->setBuddy(tree_);
  auto* refresh = MakeControl<QPushButton>(kRefresh, QStringLiteral("Actualiser"));
  auto* edit = MakeControl<QPushButton>(kEdit, QStringLiteral("Editer"));

  // The chosen profile: its help and inputs.
  profileBox_ = MakeControl<QGroupBox>(kProfileBox);
  helpText_ = MakeControl<QPlainTextEdit>(kHelpText);
  helpText_->setReadOnly(true);
  helpText_->setMinimumHeight(90);
  label1_ = MakeControl<QLabel>(kLabel1);
  input1_ = MakeControl<QLineEdit>(kInput1);
  label1_->setBuddy(input1_);
  label2_ = MakeControl<QLabel>(kLabel2);
  input2_ = MakeControl<QLineEdit>(kInput2);
  label2_->setBuddy(input2_);
  translate_ = MakeControl<QPushButton>(kTranslate, QStringLiteral("Traduire en anglais"));
  auto* launch = MakeControl<QPushButton>(kLaunch, QStringLiteral("1. Lancer la recherche"));
  auto* process = MakeControl<QPushButton>(kProcess, Utf8("2. Traiter les résultats"));
  autoStart_ = MakeControl<QCheckBox>(kAutoStart, QStringLiteral("AutoStart"));
  auto* help = MakeControl<QPushButton>(kHelp, QStringLiteral("Aide"));
  // Enter after typing starts the search; the other buttons take it only
  // when they have the focus.
  for (QPushButton* b : {refresh, edit, translate_, process, help}) b->setAutoDefault(false);
  launch->setDefault(true);

  // The board.
  auto* board = new QGroupBox(QStringLiteral("Interrogation des moteurs "));
  auto* grid = new QGridLayout(board);
  grid->setHorizontalSpacing(3);
  grid->setVerticalSpacing(2);
  const char* engines[] = {"Google", "Fast", "WiseNut"};
  for (int e = 0; e < 3; ++e) {
    auto* name = new QLabel(QString::fromLatin1(engines[e]));
    name->setAlignment(Qt::AlignCenter);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    grid->addWidget(name, 0, 2 + 2 * e, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Total")), 1, 2 + 2 * e, Qt::AlignCenter);
    grid->addWidget(new QLabel(QStringLiteral("Ok")), 1, 3 + 2 * e, Qt::AlignCenter);
  }
  const QPixmap marker = style()->standardIcon(QStyle::SP_ArrowRight).pixmap(12, 12);
  auto cell = [this](int id) {
    auto* e = MakeControl<QLineEdit>(id);
    e->setReadOnly(true);
    e->setFixedWidth(kCellWidth);
    e->setAlignment(Qt::AlignRight);
    // Counters are read, never typed: the keyboard goes past them.
    e->setFocusPolicy(Qt::NoFocus);
    return e;
  };
  for (int r = 0; r < kRows; ++r) {
    auto* m = MakeControl<QLabel>(prep_ids::kRowMarker + r);
    m->setPixmap(marker);
    QSizePolicy keep = m->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m->setSizePolicy(keep);
    m->hide();
    grid->addWidget(m, 2 + r, 0);
    grid->addWidget(new QLabel(QString::number(r + 1)), 2 + r, 1, Qt::AlignRight);
  }
  for (int e = 0; e < 3; ++e) {
    for (int r = 0; r < kRows; ++r) {
      grid->addWidget(cell(prep_ids::kGoogleTotal + 200 * e + r), 2 + r, 2 + 2 * e);
      grid->addWidget(cell(prep_ids::kGoogleOk + 200 * e + r), 2 + r, 3 + 2 * e);
    }
  }
  grid->addWidget(new QLabel(QStringLiteral("Unique hits ->")), 2 + kRows, 0, 1, 3, Qt::AlignRight);
  int column = 3;
  for (int id : {prep_ids::kUniqueGoogle, prep_ids::kUniqueFast, prep_ids::kUniqueWiseNut}) {
    QLineEdit* unique = cell(id);
    unique->setEnabled(true);
    QPalette p = unique->palette();
    p.setColor(QPalette::Base, kUniqueBrush);
    unique->setPalette(p);
    grid->addWidget(unique, 2 + kRows, column);
    column += 2;
  }

  // Results, limit, animation, stop.
  auto* results = new QGroupBox(Utf8("Résultats"));
  auto* foundLabel = new QLabel(Utf8("Trouvés"));
  QLineEdit* found = cell(prep_ids::kFound);
  auto* stopAtLabel = new QLabel(Utf8("S'arrêter à:"));
  stopAt_ = MakeControl<QLineEdit>(kStopAt);
  stopAt_->setFixedWidth(kCellWidth);
  stopAt_->setValidator(new QIntValidator(0, 999999, stopAt_));
  stopAtLabel->setBuddy(stopAt_);
  slider_ = MakeControl<QSlider>(kSlider, Qt::Horizontal);
  slider_->setRange(0, static_cast<int>(kStopAtLimits.size()) - 1);
  slider_->setPageStep(1);
  slider_->setTickPosition(QSlider::TicksBelow);
  animation_ = MakeControl<AnimationClip>(kAnimation);
  auto* stop = MakeControl<QPushButton>(kStop, QStringLiteral("Stop !"));
  stop->setAutoDefault(false);
  log_ = MakeControl<QCheckBox>(kLog, QStringLiteral("Fichier Log.txt"));
  auto* queryDisplay = cell(prep_ids::kQueryDisplay);
  queryDisplay->setMinimumWidth(300);
  queryDisplay->setMaximumWidth(QWIDGETSIZE_MAX);
  queryDisplay->setAlignment(Qt::AlignLeft);

  auto* resultsLayout = new QGridLayout(results);
  resultsLayout->addWidget(foundLabel, 0, 0);
  resultsLayout->addWidget(found, 0, 1);
  resultsLayout->addWidget(stopAtLabel, 1, 0);
  resultsLayout->addWidget(stopAt_, 1, 1);
  resultsLayout->addWidget(slider_, 2, 0, 1, 2);
  auto* ends = new QHBoxLayout;
  ends->addWidget(new QLabel(QStringLiteral("min")));
  ends->addStretch();
  ends->addWidget(new QLabel(QStringLiteral("max")));
  resultsLayout->addLayout(ends, 3, 0, 1, 2);
  resultsLayout->addWidget(animation_, 4, 0, 1, 2, Qt::AlignCenter);
  resultsLayout->addWidget(stop, 5, 0, 1, 2);
  resultsLayout->addWidget(log_, 6, 0, 1, 2);
  resultsLayout->setRowStretch(7, 1);

  // Layout.
  auto* left = new QVBoxLayout;
  left->addWidget(treeLabel);
  left->addWidget(tree_, 1);
  auto* treeButtons = new QHBoxLayout;
  treeButtons->addWidget(refresh);
  treeButtons->addWidget(edit);
  left->addLayout(treeButtons);

  auto* inputs = new QGridLayout(profileBox_);
  inputs->addWidget(helpText_, 0, 0, 1, 3);
  inputs->addWidget(label1_, 1, 0);
  inputs->addWidget(input1_, 1, 1);
  inputs->addWidget(translate_, 1, 2);
  inputs->addWidget(label2_, 2, 0);
  inputs->addWidget(input2_, 2, 1);
  inputs->setColumnStretch(1, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(launch);
  buttons->addWidget(process);
  buttons->addWidget(autoStart_);
  buttons->addStretch();
  buttons->addWidget(help);

  auto* lower = new QHBoxLayout;
  lower->addWidget(board);
  lower->addWidget(results);

  auto* right = new QVBoxLayout;
  right->addWidget(profileBox_);
  right->addLayout(buttons);
  right->addLayout(lower);

  auto* top = new QHBoxLayout;
  top->addLayout(left);
  top->addLayout(right, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addWidget(queryDisplay);

  connect(tree_, &QTreeWidget::itemSelectionChanged, this, &PrepWindow::OnSelectionChanged);
  connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this] { commands_.Execute(kEdit); });
  connect(tree_, &QTreeWidget::itemExpanded, this,
          [this](QTreeWidgetItem* item) { item->setIcon(0, TreeImage(kFolderImageOpen)); });
  connect(tree_, &QTreeWidget::itemCollapsed, this,
          [this](QTreeWidgetItem* item) { item->setIcon(0, TreeImage(kFolderImageClosed)); });
  connect(slider_, &QSlider::valueChanged, this, &PrepWindow::SetStopAtPosition);
  connect(stopAt_, &QLineEdit::textChanged, this,
          [this](const QString& text) { env_.ctx.harvest.stopAt = text.toInt(); });
  connect(autoStart_, &QCheckBox::toggled, this, [this](bool on) { env_.ctx.harvest.autoStart = on; });
  connect(log_, &QCheckBox::toggled, this, [this](bool on) { env_.ctx.harvest.logEnabled = on; });
  connect(input1_, &QLineEdit::textChanged, this, [this] { commands_.UpdateButtons(); });

  commands_.Bind(refresh, kRefresh);
  commands_.Bind(edit, kEdit);
  commands_.Bind(translate_, kTranslate);
  commands_.Bind(launch, kLaunch);
  commands_.Bind(process, kProcess);
  commands_.Bind(help, kHelp);
  commands_.Bind(stop, kStop);
}

bool PrepWindow::PhaseRunning() const { return env_.ctx.run.collecting || Harvesting(); }

void PrepWindow::RegisterCommands() {
  Context& ctx = env_.ctx;
  auto idle = [this] { return !PhaseRunning(); };
  commands_.Add(kLaunch, [this] { Launch(); }, idle);
  commands_.Add(kStop, [this] { Stop(); }, [this] { return PhaseRunning(); });
  commands_.Add(kEdit, [this] { EditProfile(); }, idle);
  commands_.Add(kRefresh, [this] { FillTree(); }, idle);
  commands_.Add(kHelp, [this] { env_.port.PostCommand(cmd::kHelp); });
  commands_.Add(kTranslate, [this] { Translate(); }, [this] { return !PhaseRunning() && !input1_->text().isEmpty(); });
  commands_.Add(kProcess, [this] { accept(); }, [this, &ctx] {
    std::lock_guard lock(ctx.QueueLock);
    return ctx.queue.count() > 0 && !PhaseRunning();
  });
  commands_.Add(kReloadProfile, [this] {
    activateWindow();
    // The harvest reads the active profile: it is reloaded only between phases.
    if (!PhaseRunning()) LoadCurrentProfile();
  });
}

void PrepWindow::OnTick() {
  RefreshBoard();
  if (harvest_.Ended()) OnHarvestEnded(harvest_.Join());
  commands_.UpdateButtons();
  log_->setEnabled(!PhaseRunning());
  const bool collecting = env_.ctx.run.collecting;
  if (collecting && !animation_->IsPlaying()) animation_->Play();
  if (!collecting && animation_->IsPlaying()) animation_->Stop();
}

void PrepWindow::RefreshBoard() {
  HarvestProgress progress = harvest_.Progress();
  // The tick comes four times a second: only a change is written.
  if (progress == shown_) return;
  ShowProgress(progress);
  shown_ = std::move(progress);
}

void PrepWindow::ShowProgress(const HarvestProgress& p) {
  auto show = [this](int id, const QString& text) {
    auto* field = Control<QLineEdit>(id);
    if (field->text() != text) field->setText(text);
  };
  auto number = [](const std::optional<int>& value) { return value ? QString::number(*value) : QString(); };
  for (int e = 0; e < kEngineSlots; ++e) {
    for (int r = 0; r < kRows; ++r) {
      const HarvestProgress::Cell& cell = p.cells[static_cast<size_t>(e)][static_cast<size_t>(r)];
      show(prep_ids::kGoogleTotal + 200 * e + r, number(cell.total));
      show(prep_ids::kGoogleOk + 200 * e + r, number(cell.ok));
    }
  }
  const int unique[] = {prep_ids::kUniqueGoogle, prep_ids::kUniqueFast, prep_ids::kUniqueWiseNut};
  for (int e = 0; e < kEngineSlots; ++e) show(unique[e], number(p.unique[static_cast<size_t>(e)]));
  show(prep_ids::kFound, number(p.found));
  show(prep_ids::kQueryDisplay, ToQt(p.queryDisplay));
  for (int r = 0; r < kRows; ++r) {
    QWidget* marker = ControlById(prep_ids::kRowMarker + r);
    if (marker->isHidden() != (r != p.markedRow)) marker->setHidden(r != p.markedRow);
  }
}

void PrepWindow::FillTree() {
  filling_ = true;
  tree_->clear();
  profiles_.clear();
  const QString root = QString::fromLocal8Bit((env_.ctx.AppFolder + "Profils").c_str());
  // Folders and files by name, case aside, as the user sees them elsewhere.
  const QDir::SortFlags order = QDir::Name | QDir::IgnoreCase;
  std::function<void(const QString&, const std::string&, QTreeWidgetItem*)> walk =
      [&](const QString& folder, const std::string& prefix, QTreeWidgetItem* parent) {
        const QFileInfoList entries =
            QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, order);
        for (const QFileInfo& info : entries) {
          const QString name = info.fileName();
          if (name.startsWith(QLatin1Char('.'))) continue;
          auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
          const std::string bytes = QFile::encodeName(name).toStdString();
          if (info.isDir()) {
            item->setText(0, ToQt(bytes));
            item->setIcon(0, TreeImage(kFolderImageClosed));
            item->setData(0, Qt::UserRole, 0);
            walk(info.filePath(), prefix + "/" + bytes, item);
          } else {
            const std::string base = QFile::encodeName(info.completeBaseName()).toStdString();
            item->setText(0, ToQt(base));
            item->setIcon(0, TreeImage(kProfileImage));
            profiles_.push_back(prefix + "/" + base);
            item->setData(0, Qt::UserRole, static_cast<qulonglong>(profiles_.size()));
          }
        }
      };
  walk(root, "", nullptr);
  for (int i = 0; i < tree_->topLevelItemCount(); ++i) tree_->topLevelItem(i)->setExpanded(true);
  filling_ = false;
}

void PrepWindow::SelectCurrentInTree() {
  const qulonglong wanted = env_.prep.currentProfile + 1;
  filling_ = true;
  for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* folder = tree_->topLevelItem(i);
    for (int j = 0; j < folder->childCount(); ++j) {
      QTreeWidgetItem* leaf = folder->child(j);
      if (leaf->data(0, Qt::UserRole).toULongLong() != wanted) continue;
      tree_->scrollToItem(leaf);
      tree_->setCurrentItem(leaf);
      filling_ = false;
      return;
    }
  }
  filling_ = false;
}

void PrepWindow::OnSelectionChanged() {
  if (filling_ || PhaseRunning()) return;
  QTreeWidgetItem* item = tree_->currentItem();
  if (item == nullptr || !item->isSelected()) return;
  const qulonglong tag = item->data(0, Qt::UserRole).toULongLong();
  if (tag != 0) env_.prep.currentProfile = static_cast<size_t>(tag - 1);
  LoadCurrentProfile();
}

void PrepWindow::LoadCurrentProfile() {
  Context& ctx = env_.ctx;
  const size_t index = env_.prep.currentProfile;
  const std::string name = index < profiles_.size() ? profiles_[index] : std::string();
  ctx.activeProfile = LoadSearchProfile(ProfilePath(ctx.AppFolder, name));
  const SearchProfile& p = ctx.activeProfile;
  label1_->setText(ToQt(p.LibS1));
  label2_->setText(ToQt(p.LibS2));
  label2_->setVisible(!p.LibS2.empty());
  translate_->setVisible(p.Translate);
  // The file's line breaks are CR LF; the edit wants LF.
  helpText_->setPlainText(ToQt(p.HelpText).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  ctx.ProfileName = ProfileShortName(name);
  profileBox_->setTitle(ToQt(ctx.ProfileName));
  input2_->setVisible(!p.LibS2.empty());
  if (p.LibS2.empty()) input2_->clear();
  EnableCounters();
  input1_->setEnabled(!(p.ExtractAll && !p.FindS));
  commands_.UpdateButtons();
}

void PrepWindow::EnableCounters() {
  const SearchProfile& p = env_.ctx.activeProfile;
  const int32_t masks[] = {p.GoogleUse, p.AtwUse, p.WiseUse};
  for (int e = 0; e < 3; ++e) {
    for (int r = 0; r < kRows; ++r) {
      const bool on = Ticked(masks[e], r) && !p.Keys[static_cast<size_t>(r)].empty();
      ControlById(prep_ids::kGoogleTotal + 200 * e + r)->setEnabled(on);
      ControlById(prep_ids::kGoogleOk + 200 * e + r)->setEnabled(on);
    }
  }
}

void PrepWindow::SetStopAtPosition(int position) {
  position = std::clamp(position, 0, static_cast<int>(kStopAtLimits.size()) - 1);
  env_.prep.stopAtPosition = position;
  stopAt_->setText(QString::number(kStopAtLimits[static_cast<size_t>(position)]));
}

void PrepWindow::Launch() {
  env_.ctx.harvest.stopAt = stopAt_->text().toInt();
  harvest_.Start({FromQt(input1_->text()), FromQt(input2_->text()), input1_->isEnabled()});
  RefreshBoard();
  commands_.UpdateButtons();
}

void PrepWindow::OnHarvestEnded(const HarvestResult& result) {
  if (!result.encodedSearchText.empty()) encodedSearchText_ = result.encodedSearchText;
  if (result.startExploration && isVisible()) accept();
}

void PrepWindow::Stop() {
  harvest_.Stop();
  RefreshBoard();
  animation_->Stop();
  autoStart_->setChecked(false);
}

void PrepWindow::EndHarvest() {
  harvest_.Cancel();
  if (harvest_.Busy()) harvest_.Join();
}

void PrepWindow::done(int result) {
  EndHarvest();
  tick_.stop();
  QDialog::done(result);
}

void PrepWindow::EditProfile() {
  QTreeWidgetItem* item = tree_->currentItem();
  if (item == nullptr || !item->isSelected()) return;
  const qulonglong tag = item->data(0, Qt::UserRole).toULongLong();
  if (tag == 0 || tag > profiles_.size()) return;
  env_.prep.currentProfile = static_cast<size_t>(tag - 1);
  if (editor_) editor_->close();
  QPointer<PrepWindow> self(this);
  editor_ = ProfileEditor::Open(env_, this, profiles_[static_cast<size_t>(tag - 1)], [self] {
    if (self) QTimer::singleShot(0, self, [self] { self->Commands().Execute(kReloadProfile); });
  });
}

void PrepWindow::Translate() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const Translation t = TranslateInput(env_.ctx, FromQt(input1_->text()));
  QApplication::restoreOverrideCursor();
  if (t.outcome == TranslationOutcome::Translated) {
    input1_->setText(ToQt(t.text));
  } else {
    QtUiPort::RunMessageBox(this, TranslationFailureBox(t.outcome));
  }
}

bool PrepWindow::Run(GuiEnv& env, QWidget* parent) {
  Context& ctx = env.ctx;
  StopAndClearQueue(ctx);
  std::string encoded;
  bool ok = false;
  {
    PrepWindow window(env, parent);
    ok = window.exec() == QDialog::Accepted;
    encoded = window.EncodedSearchText();
  }
  ctx.harvest.running = false;
  if (ok) {
    if (!env.reports) env.reports = std::make_shared<SearchReports>(ctx);
    env.reports->Start(encoded);
  } else {
    StopAndClearQueue(ctx);
  }
  return ok;
}

}  // namespace orvi::ui
