#include "ui/prep_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>
#include <mutex>

#include "core/commands.h"
#include "core/program_folder.h"
#include "explore/queue.h"
#include "search/engine_table.h"
#include "search/profile_file.h"
#include "site/search_report.h"
#include "search/session.h"
#include "search/translation.h"
#include "ui/animation.h"
#include "ui/common.h"
#include "ui/control_table.h"
#include "ui/profile_editor.h"
#include "ui/qt_ui_port.h"

namespace orvi::ui {
namespace {

constexpr int kFolderImageClosed = 0;
constexpr int kFolderImageOpen = 1;
constexpr int kProfileImage = 2;
constexpr int kRows = SearchProfile::kKeyRows;
constexpr int kCellWidth = 54;
constexpr QColor kUniqueBrush(230, 255, 230);

// The boxes of the window: the profiles on the left; on the right the chosen
// profile, the buttons, then the engines' board beside the results.
enum Box { kMain, kTop, kLeft, kTreeButtons, kRight, kInputs, kButtons, kLower, kBoard, kResults, kEnds };
constexpr BoxRow kBoxes[] = {
    {.key = kMain, .kind = BoxKind::Column},
    {.key = kTop, .kind = BoxKind::Row, .at = {.box = kMain, .row = 0, .stretch = 1}},
    {.key = kLeft, .kind = BoxKind::Column, .at = {kTop, 0}},
    {.key = kTreeButtons, .kind = BoxKind::Row, .at = {kLeft, 2}},
    {.key = kRight, .kind = BoxKind::Column, .at = {.box = kTop, .row = 1, .stretch = 1}},
    {.key = kInputs, .kind = BoxKind::Grid, .stretchColumn = 1},
    {.key = kButtons, .kind = BoxKind::Row, .at = {kRight, 1}},
    {.kind = BoxKind::Stretch, .at = {kButtons, 3}},
    {.key = kLower, .kind = BoxKind::Row, .at = {kRight, 2}},
    {.key = kBoard, .kind = BoxKind::Grid, .spacing = 3, .vSpacing = 2},
    {.key = kResults, .kind = BoxKind::Grid, .stretchRow = 7},
    {.key = kEnds, .kind = BoxKind::Row, .at = {kResults, 3, 0, 1, 2}},
    {.kind = BoxKind::Stretch, .at = {kEnds, 1}},
};

// Enter after typing starts the search; the other buttons take it only when
// they have the focus.
constexpr uint32_t kKey = kNoAutoDefault;
constexpr ControlRow kHead[] = {
    {.text = "Profils", .at = {kLeft, 0}, .flags = kBuddy},
    {.id = PrepWindow::kTree, .kind = Kind::Tree, .at = {.box = kLeft, .row = 1, .stretch = 1}, .minWidth = 190,
     .minHeight = 250},
    {.id = PrepWindow::kRefresh, .kind = Kind::Button, .text = "Actualiser", .at = {kTreeButtons, 0}, .flags = kKey,
     .command = PrepWindow::kRefresh},
    {.id = PrepWindow::kEdit, .kind = Kind::Button, .text = "Editer", .at = {kTreeButtons, 1}, .flags = kKey,
     .command = PrepWindow::kEdit},
    {.id = PrepWindow::kProfileBox, .kind = Kind::Group, .at = {kRight, 0}, .holds = kInputs},
    {.id = PrepWindow::kHelpText, .kind = Kind::Lines, .at = {kInputs, 0, 0, 1, 3}, .flags = kReadOnly,
     .minHeight = 90},
    {.id = PrepWindow::kLabel1, .at = {kInputs, 1, 0}, .flags = kBuddy},
    {.id = PrepWindow::kInput1, .kind = Kind::Edit, .at = {kInputs, 1, 1}},
    {.id = PrepWindow::kLabel2, .at = {kInputs, 2, 0}, .flags = kBuddy},
    {.id = PrepWindow::kInput2, .kind = Kind::Edit, .at = {kInputs, 2, 1}},
    {.id = PrepWindow::kTranslate, .kind = Kind::Button, .text = "Traduire en anglais", .at = {kInputs, 1, 2},
     .flags = kKey, .command = PrepWindow::kTranslate},
    {.id = PrepWindow::kLaunch, .kind = Kind::Button, .text = "1. Lancer la recherche", .at = {kButtons, 0},
     .flags = kDefault, .command = PrepWindow::kLaunch},
    {.id = PrepWindow::kProcess, .kind = Kind::Button, .text = "2. Traiter les résultats", .at = {kButtons, 1},
     .flags = kKey, .command = PrepWindow::kProcess},
    {.id = PrepWindow::kAutoStart, .kind = Kind::Check, .text = "AutoStart", .at = {kButtons, 2}},
    {.id = PrepWindow::kHelp, .kind = Kind::Button, .text = "Aide", .at = {kButtons, 4}, .flags = kKey,
     .command = PrepWindow::kHelp},
    {.kind = Kind::Group, .text = "Interrogation des moteurs ", .at = {kLower, 0}, .holds = kBoard},
};

// A counter of the board: read, never typed, so the keyboard goes past it.
constexpr ControlRow Counter(int id, Cell at, uint32_t flags = 0) {
  return {.id = id, .kind = Kind::Field, .at = at, .flags = kNoFocus | flags, .width = kCellWidth,
          .align = Qt::AlignRight};
}

constexpr ControlRow kTail[] = {
    {.kind = Kind::Group, .text = "Résultats", .at = {kLower, 1}, .holds = kResults},
    {.text = "Trouvés", .at = {kResults, 0, 0}},
    Counter(prep_ids::kFound, {kResults, 0, 1}),
    {.text = "S'arrêter à:", .at = {kResults, 1, 0}, .flags = kBuddy},
    {.id = PrepWindow::kStopAt, .kind = Kind::Edit, .at = {kResults, 1, 1}, .lo = 0, .hi = 999999,
     .width = kCellWidth},
    {.id = PrepWindow::kSlider, .kind = Kind::Slider, .at = {kResults, 2, 0, 1, 2}, .flags = kTicks, .lo = 0,
     .hi = static_cast<int>(kStopAtLimits.size()) - 1, .step = 1},
    {.text = "min", .at = {kEnds, 0}},
    {.text = "max", .at = {kEnds, 2}},
    {.id = PrepWindow::kAnimation, .kind = Kind::Clip, .at = {kResults, 4, 0, 1, 2, Qt::AlignCenter}},
    {.id = PrepWindow::kStop, .kind = Kind::Button, .text = "Stop !", .at = {kResults, 5, 0, 1, 2}, .flags = kKey,
     .command = PrepWindow::kStop},
    {.id = PrepWindow::kLog, .kind = Kind::Check, .text = "Fichier Log.txt", .at = {kResults, 6, 0, 1, 2}},
    {.id = prep_ids::kQueryDisplay, .kind = Kind::Field, .at = {kMain, 1}, .flags = kNoFocus, .minWidth = 300,
     .align = Qt::AlignLeft},
};

// The window's controls in keyboard order; the board's ten rows by three engines are
// made from their numbers.
std::vector<ControlRow> PrepControls() {
  static constexpr const char* kEngines[] = {"Google", "Fast", "WiseNut"};
  static constexpr const char* kNumbers[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
  std::vector<ControlRow> rows(std::begin(kHead), std::end(kHead));
  for (int e = 0; e < 3; ++e) {
    rows.push_back({.id = prep_ids::kEngineName + e, .text = kEngines[e], .at = {kBoard, 0, 2 + 2 * e, 1, 2},
                    .flags = kBold, .align = Qt::AlignCenter});
    rows.push_back({.text = "Total", .at = {kBoard, 1, 2 + 2 * e, 1, 1, Qt::AlignCenter}});
    rows.push_back({.text = "Ok", .at = {kBoard, 1, 3 + 2 * e, 1, 1, Qt::AlignCenter}});
  }
  for (int r = 0; r < kRows; ++r) {
    rows.push_back({.id = prep_ids::kRowMarker + r, .kind = Kind::Picture, .at = {kBoard, 2 + r, 0},
                    .flags = kKeepPlace | kHidden, .image = Image::Marker});
    rows.push_back({.text = kNumbers[r], .at = {kBoard, 2 + r, 1, 1, 1, Qt::AlignRight}});
  }
  for (int e = 0; e < 3; ++e) {
    for (int r = 0; r < kRows; ++r) {
      rows.push_back(Counter(prep_ids::kGoogleTotal + 200 * e + r, {kBoard, 2 + r, 2 + 2 * e}));
      rows.push_back(Counter(prep_ids::kGoogleOk + 200 * e + r, {kBoard, 2 + r, 3 + 2 * e}));
    }
  }
  rows.push_back({.text = "Unique hits ->", .at = {kBoard, 2 + kRows, 0, 1, 3, Qt::AlignRight}});
  int column = 3;
  for (int id : {prep_ids::kUniqueGoogle, prep_ids::kUniqueFast, prep_ids::kUniqueWiseNut}) {
    rows.push_back(Counter(id, {kBoard, 2 + kRows, column}, kPale));
    column += 2;
  }
  rows.insert(rows.end(), std::begin(kTail), std::end(kTail));
  return rows;
}

}  // namespace

PrepWindow::PrepWindow(GuiEnv& env, QWidget* parent) : QDialog(parent), env_(env), harvest_(env.ctx) {
  setObjectName(QStringLiteral("TDS"));
  setWindowTitle(Utf8("Préparation de la recherche"));
  PaintBackground(this, env.ctx.settings.ColorDialog);
  QStyle* look = style();
  images_ = {look->standardIcon(QStyle::SP_DirClosedIcon), look->standardIcon(QStyle::SP_DirOpenIcon),
             look->standardIcon(QStyle::SP_FileIcon)};

  BuildControls();
  ShowEngineNames();
  RegisterCommands();

  FillTree();
  SelectCurrentInTree();
  LoadCurrentProfile();
  slider_->setValue(env_.prep.stopAtPosition);
  SetStopAtPosition(env_.prep.stopAtPosition);
  animation_->Open(ShippedFilePath(env_.ctx.AppFolder, "ORVI.avi"));
  autoStart_->setChecked(env_.ctx.harvest.autoStart);
  log_->setChecked(false);
  env_.ctx.harvest.logEnabled = false;

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
  const std::vector<ControlRow> rows = PrepControls();
  Build(this, {.controls = rows, .boxes = kBoxes, .commands = &commands_, .pale = kUniqueBrush});
  tree_ = Control<QTreeWidget>(kTree);
  tree_->setExpandsOnDoubleClick(false);
  profileBox_ = Control<QGroupBox>(kProfileBox);
  helpText_ = Control<QPlainTextEdit>(kHelpText);
  label1_ = Control<QLabel>(kLabel1);
  input1_ = Control<QLineEdit>(kInput1);
  label2_ = Control<QLabel>(kLabel2);
  input2_ = Control<QLineEdit>(kInput2);
  translate_ = Control<QPushButton>(kTranslate);
  autoStart_ = Control<QCheckBox>(kAutoStart);
  stopAt_ = Control<QLineEdit>(kStopAt);
  slider_ = Control<QSlider>(kSlider);
  animation_ = static_cast<AnimationClip*>(ControlById(kAnimation));
  log_ = Control<QCheckBox>(kLog);

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
  commands_.Add(kProcess, [this] { accept(); }, [this, &ctx] { return QueueCount(ctx) > 0 && !PhaseRunning(); });
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
    if (field->text() == text) return;
    field->setText(text);
    field->home(false);  // a long status line shows its start
  };
  auto number = [](const std::optional<int>& value) { return value ? QString::number(*value) : QString(); };
  for (int e = 0; e < kEngineSlots; ++e) {
    for (int r = 0; r < kRows; ++r) {
      const HarvestProgress::Cell& cell = p.cells[static_cast<size_t>(e)][static_cast<size_t>(r)];
      show(prep_ids::kGoogleTotal + 200 * e + r, cell.blocked ? Utf8("bloqué") : number(cell.total));
      show(prep_ids::kGoogleOk + 200 * e + r, number(cell.ok));
    }
    const std::string& name = p.names[static_cast<size_t>(e)];
    if (!name.empty()) Control<QLabel>(prep_ids::kEngineName + e)->setText(ToQt(name));
  }
  const int unique[] = {prep_ids::kUniqueGoogle, prep_ids::kUniqueFast, prep_ids::kUniqueWiseNut};
  for (int e = 0; e < kEngineSlots; ++e) show(unique[e], number(p.unique[static_cast<size_t>(e)]));
  show(prep_ids::kFound, number(p.found));
  // After the query, what holds an engine back: why it was blocked first,
  // then its pacing.
  std::string status = p.queryDisplay;
  for (bool blocked : {true, false}) {
    for (size_t e = 0; e < kEngineSlots; ++e) {
      const std::string& note = p.notes[e];
      if (note.empty() || (p.engines[e] == EngineState::Blocked) != blocked) continue;
      status += (status.empty() ? "" : "   \x97   ") + note;
    }
  }
  show(prep_ids::kQueryDisplay, ToQt(status));
  for (int r = 0; r < kRows; ++r) {
    QWidget* marker = ControlById(prep_ids::kRowMarker + r);
    if (marker->isHidden() != (r != p.markedRow)) marker->setHidden(r != p.markedRow);
  }
}

void PrepWindow::ShowEngineNames() {
  for (int e = 0; e < kEngineSlots; ++e) {
    Control<QLabel>(prep_ids::kEngineName + e)->setText(ToQt(ChooseSlotEngine(env_.ctx, e).name));
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
  const auto remembered = std::find(profiles_.begin(), profiles_.end(), env_.prep.currentProfilePath);
  if (remembered != profiles_.end()) env_.prep.currentProfile = static_cast<size_t>(remembered - profiles_.begin());
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
  if (tag != 0) Choose(static_cast<size_t>(tag - 1));
  LoadCurrentProfile();
}

void PrepWindow::Choose(size_t profile) {
  env_.prep.currentProfile = profile;
  env_.prep.currentProfilePath = profiles_[profile];
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
  input1_->setEnabled(p.UsesInput1());
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
  Choose(static_cast<size_t>(tag - 1));
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
    ok = ExecOverParent(window) == QDialog::Accepted;
    encoded = window.EncodedSearchText();
  }
  if (ok) {
    if (!env.reports) env.reports = std::make_shared<SearchReports>(ctx);
    env.reports->Start(encoded);
  } else {
    StopAndClearQueue(ctx);
  }
  return ok;
}

}  // namespace orvi::ui
