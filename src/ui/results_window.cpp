#include "ui/results_window.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSlider>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <mutex>

#include "core/program_folder.h"
#include "explore/exploration_run.h"
#include "explore/queue.h"
#include "platform/text.h"
#include "results/catalogue.h"
#include "search/engine_table.h"
#include "search/session.h"
#include "ui/animation.h"
#include "ui/browser.h"
#include "ui/common.h"
#include "ui/control_table.h"
#include "ui/qt_ui_port.h"
#include "ui/results_images.h"

namespace orvi::ui {
namespace {

constexpr int kEntryRole = Qt::UserRole;       // a row's catalogue index; a tree item's file
constexpr int kImageRole = Qt::UserRole + 1;   // the image index shown
constexpr int kMaxFieldChars = 299;
constexpr int kMaxCacheChars = 239;
constexpr int kColumnZeroWidth = 135;
constexpr QColor kPaleBrush(225, 235, 230);
constexpr QColor kLightGrey(192, 192, 192);
constexpr char kCachePrefix[] = "[cache] ";

FoundFile* FileOf(const QTreeWidgetItem* item) {
  return item ? reinterpret_cast<FoundFile*>(item->data(0, kEntryRole).value<quintptr>()) : nullptr;
}

void SetFileOf(QTreeWidgetItem* item, FoundFile* file) {
  item->setData(0, kEntryRole, QVariant::fromValue(reinterpret_cast<quintptr>(file)));
}

// The file list: a list view in report mode whose Delete key deletes rows.
class FileListView final : public QTreeWidget {
 public:
  std::function<void()> onDelete;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier && onDelete) {
      onDelete();
      return;
    }
    QTreeWidget::keyPressEvent(event);
  }
};

// Shift+F10 and the Menu key open a view's menu under its chosen row: the
// platform opens none for Shift+F10 and puts the Menu key's at the mouse.
class KeyboardMenu final : public QObject {
 public:
  KeyboardMenu(QAbstractItemView* view, QMenu* menu) : QObject(view), view_(view), menu_(menu) {}

  bool eventFilter(QObject*, QEvent* event) override {
    const auto* key = event->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(event) : nullptr;
    const bool shiftF10 = key && key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier;
    const bool menuKey = event->type() == QEvent::ContextMenu &&
                         static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard;
    if (!shiftF10 && !menuKey) return false;
    QModelIndex row = view_->currentIndex();
    if (!view_->selectionModel()->isSelected(row)) {
      const QModelIndexList chosen = view_->selectionModel()->selectedRows();
      row = chosen.isEmpty() ? QModelIndex() : chosen.front();
    }
    row = row.siblingAtColumn(0);
    if (row.isValid()) view_->scrollTo(row);
    const QRect place = view_->visualRect(row);
    menu_->popup(view_->viewport()->mapToGlobal(place.isValid() ? place.bottomLeft() : QPoint(0, 0)));
    return true;
  }

 private:
  QAbstractItemView* view_;
  QMenu* menu_;
};

// Escape in the filter box clears it.
class ClearOnEscape final : public QObject {
 public:
  explicit ClearOnEscape(QLineEdit* edit) : QObject(edit), edit_(edit) {}

  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape) return false;
    edit_->clear();
    return true;
  }

 private:
  QLineEdit* edit_;
};

// The line shown for a page being fetched: its address, or for a search
// engine's cached copy "[cache] " and the copy's key.
std::string ConnectionText(const std::string& url) {
  std::optional<std::string> key = CachedCopyKey(url);
  return key ? kCachePrefix + key->substr(0, kMaxCacheChars) : url;
}

std::string OneDecimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

// The window's controls, in keyboard order. Buttons take no Enter of their own.
constexpr uint32_t kKey = kNoAutoDefault | kHand;
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;
constexpr ControlRow kControls[] = {
    {.id = td::kFilter, .kind = Kind::Edit, .place = {4, 36, 236, 12}},
    {.id = td::kFileList, .kind = Kind::Custom, .place = {4, 49, 236, 99}},
    {.id = td::kTreeTitle, .text = "  Détails fichiers", .place = {244, 36, 237, 9}},
    {.id = td::kFileTree, .kind = Kind::Tree, .place = {244, 46, 237, 162}},
    {.id = td::kDelete, .kind = Kind::Button, .text = "Supprimer", .place = {156, 150, 40, 13}, .flags = kKey,
     .command = td::kDelete},
    {.id = td::kRecheck, .kind = Kind::Button, .text = "Revérifier", .place = {198, 150, 42, 13}, .flags = kKey,
     .command = td::kRecheck},
    {.id = cmd::kShowErrors, .kind = Kind::Button, .text = "Afficher erreurs", .place = {4, 150, 66, 13},
     .flags = kKey | kCheckable | kChecked, .command = cmd::kShowErrors},
    {.id = td::kConnectionsTitle, .text = " Connexions en cours :", .place = {4, 169, 84, 9}},
    {.id = td::kInProgress, .place = {90, 169, 30, 9}},
    {.id = td::kConnections, .kind = Kind::List, .place = {4, 179, 190, 29}},
    {.id = td::kOpenPage, .kind = Kind::Button, .text = "Ouvrir page", .place = {196, 179, 44, 13}, .flags = kKey,
     .command = td::kOpenPage},
    {.id = cmd::kPauseContinue, .kind = Kind::Button, .text = "Pause", .place = {196, 195, 44, 13}, .flags = kKey,
     .command = cmd::kPauseContinue},
    {.id = td::kReferencePage, .kind = Kind::Button, .text = "Voir page ref.", .place = {380, 214, 101, 13},
     .flags = kKey | kDisabled, .command = td::kReferencePage},
    {.id = td::kDevelop, .kind = Kind::Button, .text = "Développer", .place = {380, 230, 101, 13},
     .flags = kKey | kCheckable, .command = td::kDevelop},
    {.id = td::kProgressBar, .kind = Kind::Progress, .place = {78, 4, 248, 10}},
    {.id = td::kProgressText, .place = {48, 5, 18, 9}, .align = kRight},
    {.text = "%", .place = {67, 5, 9, 9}},
    {.id = td::kElapsedTitle, .text = "Ecoulé", .place = {334, 2, 70, 9}},
    {.id = td::kElapsed, .kind = Kind::Field, .place = {334, 12, 70, 14}, .flags = kPale | kClickFocus},
    {.id = td::kRemainingTitle, .text = "Restant", .place = {410, 2, 70, 9}},
    {.id = td::kRemaining, .kind = Kind::Field, .place = {410, 12, 70, 14}, .flags = kPale | kClickFocus},
    {.id = td::kAnimation, .kind = Kind::Clip, .place = {4, 2, 36, 30}},
    {.id = td::kDisconnected, .text = "Déconnecté Attente connexion", .place = {48, 16, 200, 9}, .flags = kHidden},
    {.id = td::kLoadTitle, .text = " Load (Kb)", .place = {4, 212, 42, 9}},
    {.id = td::kLoadKb, .kind = Kind::Field, .place = {4, 221, 40, 11}, .flags = kPale | kClickFocus},
    {.id = td::kTimeoutIcon, .kind = Kind::Picture, .place = {4, 236, 11, 10}, .align = Qt::AlignCenter,
     .image = Image::Timeout},
    {.id = td::kTimeouts, .place = {17, 237, 27, 9}},
    {.id = td::kSpeedFrame, .kind = Kind::Group, .text = " Vitesse", .place = {48, 209, 132, 40}},
    {.id = td::kSpeedMin, .text = "min", .place = {52, 222, 14, 9}},
    {.id = td::kSpeedSlider, .kind = Kind::Slider, .place = {66, 220, 54, 12}, .lo = 0, .hi = 20, .step = 5},
    {.id = td::kSpeedMax, .text = "max", .place = {121, 222, 16, 9}},
    {.id = td::kSpeedUnit, .text = "K/s", .place = {150, 236, 20, 9}},
    {.id = td::kSpeed, .kind = Kind::Field, .place = {140, 219, 36, 14}, .flags = kPale | kClickFocus},
    {.id = td::kReferenceSpeed, .kind = Kind::Field, .place = {66, 235, 30, 11}, .flags = kPale | kClickFocus},
    {.id = td::kReferenceSpeedTitle, .text = "max", .place = {98, 236, 18, 9}},
    {.id = td::kUrlFrame, .kind = Kind::Group, .text = " Url", .place = {184, 209, 92, 40}},
    {.id = td::kBaseTitle, .text = "Base", .place = {188, 221, 34, 9}},
    {.id = td::kBase, .kind = Kind::Field, .place = {224, 219, 34, 11}, .flags = kPale | kClickFocus},
    {.id = td::kAddedTitle, .text = "Ajoutées", .place = {188, 235, 34, 9}},
    {.id = td::kAdded, .kind = Kind::Field, .place = {224, 233, 34, 11}, .flags = kPale | kClickFocus},
    {.id = cmd::kStatistics, .kind = Kind::Button, .text = "?", .place = {261, 225, 12, 13}, .flags = kKey,
     .command = cmd::kStatistics},
    {.id = td::kConnectionsFrame, .kind = Kind::Group, .text = " Connexions", .place = {280, 209, 96, 40}},
    {.id = td::kWaitingTitle, .text = "Attente", .place = {284, 219, 34, 9}},
    {.id = td::kWaiting, .kind = Kind::Field, .place = {320, 218, 52, 10}, .flags = kPale | kClickFocus},
    {.id = td::kFinishedTitle, .text = "Finies", .place = {284, 229, 34, 9}},
    {.id = td::kFinished, .kind = Kind::Field, .place = {320, 228, 52, 10}, .flags = kPale | kClickFocus},
    {.id = td::kProbesTitle, .text = "Liens", .place = {284, 239, 34, 9}},
    {.id = td::kProbes, .kind = Kind::Field, .place = {320, 238, 52, 10}, .flags = kPale | kClickFocus},
    // The file's properties take the keyboard, to be selected and copied.
    {.id = td::kPropertiesFrame, .kind = Kind::Group, .text = "Propriétés fichier", .place = {4, 253, 477, 47}},
    {.id = td::kFileTitle, .text = "Fichier :", .place = {8, 264, 30, 9}},
    {.id = td::kPageTitle, .text = "Page :", .place = {8, 276, 30, 9}},
    {.id = td::kSizeTitle, .text = "Taille :", .place = {8, 288, 30, 9}},
    {.id = td::kSize, .kind = Kind::Field, .place = {40, 287, 60, 11}, .flags = kPale},
    {.id = td::kDateTitle, .text = "Date :", .place = {106, 288, 24, 9}},
    {.id = td::kFileUrl, .kind = Kind::Field, .place = {40, 263, 355, 11}, .flags = kPale},
    {.id = td::kPage, .kind = Kind::Field, .place = {40, 275, 355, 11}, .flags = kPale},
    {.id = td::kDate, .kind = Kind::Field, .place = {132, 287, 263, 11}, .flags = kPale},
    {.id = td::kOpenFile, .kind = Kind::Button, .text = "Ouvrir", .place = {399, 263, 38, 11}, .flags = kKey,
     .command = td::kOpenFile},
    {.id = td::kCopyFile, .kind = Kind::Button, .text = "Copier", .place = {439, 263, 38, 11}, .flags = kKey,
     .command = td::kCopyFile},
    {.id = td::kOpenFilePage, .kind = Kind::Button, .text = "Ouvrir", .place = {399, 275, 38, 11}, .flags = kKey,
     .command = td::kOpenFilePage},
    {.id = td::kCopyPage, .kind = Kind::Button, .text = "Copier", .place = {439, 275, 38, 11}, .flags = kKey,
     .command = td::kCopyPage},
    {.id = td::kTopLine, .kind = Kind::Line, .place = {0, 33, 485, 2}},
    {.id = td::kPropertiesLine, .kind = Kind::Line, .place = {0, 251, 485, 2}},
    {.id = td::kListLine, .kind = Kind::Line, .place = {4, 165, 236, 2}},
};

struct ColumnRow {
  const char* title;
  int width;
  Qt::Alignment align;
};
constexpr ColumnRow kColumns[] = {{"Fichiers trouvés", kColumnZeroWidth, {}},
                                   {"Type", 50, {}},
                                   {"Nb", 40, Qt::AlignCenter},
                                   {"Hits", 40, {}},
                                   {"Taille", 60, kRight}};

// The context menus of the list and of the tree.
constexpr MenuRow kListMenu[] = {{td::kDelete, "&Supprimer"}, {td::kRecheck, "&Vérifier le lien"}};
constexpr MenuRow kTreeMenu[] = {{td::kOpenFile, "Ouvrir le &fichier"},
                                 {td::kCopyFile, "&Copier l'URL"},
                                 {td::kOpenFilePage, "Ouvrir la page &web"},
                                 {td::kTreeRecheck, "&Vérifier ce(s) lien(s)"},
                                 {td::kTreeDelete, "&Supprimer"}};

// The proportional rule of the window.
constexpr LayoutRule kLayoutTable[] = {
    {20000, 0, 0, 1, 0},      {20100, 1, 0, 0, 0},      {20200, 0, 1, 0, 0},     {20250, 0, 1, 0, 0},
    {20300, 0.5, 0.75, 0, 0}, {20500, 0.5, 1, 0, 0},    {20600, 0, 1, 1, 0},     {20700, 1, 1, 0, 0},
    {20800, 0, 0.75, 0.5, 0}, {9100, 0, 0, 0.5, 0.75},  {20900, 0, 0.75, 0, 0},  {9140, 0, 0.75, 0.5, 0.25},
    {9200, 0.5, 0, 0.5, 1},   {9210, 0.5, 0, 0.5, 0},   {9110, 0, 0, 0.5, 0},
    // The speed frame's contents go down with their frame (20204); left
    // out, they would stay behind on the lists when the window grows.
    {20208, 0, 1, 0, 0},
};

}  // namespace

int TLwCompare::operator()(const ListRow& a, int placeA, const ListRow& b, int placeB, bool flag) const {
  if (RowBefore(a, b, column_, flag)) return -1;
  if (RowBefore(b, a, column_, flag)) return 1;
  if (column_ == ListColumn::Name || column_ == ListColumn::Type) return 0;
  return placeA < placeB ? -1 : 1;
}

ResultsWindow::ResultsWindow(GuiEnv& env, QWidget* parent) : QWidget(parent), env_(env) {
  setObjectName(QStringLiteral("TD"));
  // The font that dialog units are measured with: the desktop's, at the size
  // of a dialog font, narrowed or made smaller when it is too wide for the
  // design to keep its size (727 x 491 pixels) inside the frame on an
  // 800 x 600 screen.
  QFont dialogFont = font();
  dialogFont.setPixelSize(11);
  units_ = DialogUnits::Of(dialogFont);
  if (units_.baseX > 6) {
    dialogFont.setStretch(QFont::SemiCondensed);
    units_ = DialogUnits::Of(dialogFont);
  }
  for (int px = 10; units_.baseX > 6 && px >= 9; --px) {
    dialogFont.setPixelSize(px);
    units_ = DialogUnits::Of(dialogFont);
  }
  setFont(dialogFont);
  for (int i = 0; i < kListImageCount; ++i) listIcons_.push_back(ListStatusIcon(i));
  for (int i = 0; i < kTreeImageCount; ++i) treeIcons_.push_back(TreeStateIcon(i));

  BuildControls();
  RegisterCommands();
  layout_.Record(units_.Size(kDesignWidth, kDesignHeight),
                 std::vector<LayoutRule>(std::begin(kLayoutTable), std::end(kLayoutTable)),
                 [this](int id) { return ControlById(id); });
  resize(layout_.FirstSize());

  env_.port.SetResultsWindow(this);
  connect(&tick_, &QTimer::timeout, this, [this] { OnTick(); });
  tick_.start(kTickMs);
}

ResultsWindow::~ResultsWindow() = default;

void ResultsWindow::BuildControls() {
  Build(this, {.controls = kControls, .units = &units_, .commands = &commands_, .pale = kPaleBrush,
               .make = [this](const ControlRow&) { return MakeFileList(); }});
  tree_ = Control<QTreeWidget>(td::kFileTree);
  tree_->setIconSize(QSize(16, 16));
  tree_->setContextMenuPolicy(Qt::CustomContextMenu);
  tree_->setSelectionMode(QAbstractItemView::SingleSelection);
  filter_ = Control<QLineEdit>(td::kFilter);
  // An empty field says what it does, so the user needs no label beside it.
  filter_->setPlaceholderText(QStringLiteral("Filtrer les fichiers trouvés (Ctrl+F)"));
  connections_ = Control<QListWidget>(td::kConnections);
  connections_->setUniformItemSizes(true);
  reference_ = Control<QPushButton>(td::kReferencePage);
  develop_ = Control<QPushButton>(td::kDevelop);
  slider_ = Control<QSlider>(td::kSpeedSlider);
  slider_->setValue(20);
  clip_ = static_cast<AnimationClip*>(ControlById(td::kAnimation));
  clip_->Open(ShippedFilePath(env_.ctx.AppFolder, "ORVI.avi"));
  ControlById(td::kDisconnected)->setStyleSheet(QStringLiteral("color: rgb(180, 0, 0); font-weight: bold;"));
  QFont clockFont(QStringLiteral("Arial"));
  clockFont.setStyleHint(QFont::SansSerif);
  clockFont.setPixelSize(16);
  for (int id : {td::kElapsed, td::kRemaining, td::kSpeed}) ControlById(id)->setFont(clockFont);
  listMenu_ = MakeMenu(this, 2, kListMenu, commands_);
  treeMenu_ = MakeMenu(this, 4, kTreeMenu, commands_);
  WireControls();
}

QWidget* ResultsWindow::MakeFileList() {
  auto* list = new FileListView;
  list_ = list;
  list_->setColumnCount(5);
  QStringList titles;
  for (const ColumnRow& c : kColumns) titles << Utf8(c.title);
  list_->setHeaderLabels(titles);
  list_->setRootIsDecorated(false);
  list_->setItemsExpandable(false);
  list_->setUniformRowHeights(true);
  list_->setAllColumnsShowFocus(true);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setIconSize(QSize(16, 16));
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  list_->header()->setStretchLastSection(false);
  list_->header()->setSectionsMovable(false);
  list_->header()->setSectionsClickable(true);
  for (int c = 0; c < 5; ++c) {
    list_->setColumnWidth(c, kColumns[c].width);
    if (kColumns[c].align) list_->headerItem()->setTextAlignment(c, kColumns[c].align);
  }
  list->onDelete = [this] { commands_.Execute(td::kDelete); };
  return list;
}

void ResultsWindow::WireControls() {
  list_->installEventFilter(new KeyboardMenu(list_, listMenu_));
  tree_->installEventFilter(new KeyboardMenu(tree_, treeMenu_));
  connect(list_, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    listMenu_->popup(list_->viewport()->mapToGlobal(pos));
  });
  connect(tree_, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    // The item under the mouse is selected first, as a left press would.
    if (QTreeWidgetItem* item = tree_->itemAt(pos)) tree_->setCurrentItem(item);
    treeMenu_->popup(tree_->viewport()->mapToGlobal(pos));
  });
  connect(list_, &QTreeWidget::itemSelectionChanged, this, [this] { OnListSelection(); });
  connect(list_->header(), &QHeaderView::sectionClicked, this, [this](int column) { SortByColumn(column); });
  connect(tree_, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current, QTreeWidgetItem*) { OnTreeCurrent(current); });
  connect(tree_, &QTreeWidget::itemActivated, this, [this] { commands_.Execute(td::kOpenFile); });
  connect(connections_, &QListWidget::itemActivated, this, [this] { commands_.Execute(td::kOpenPage); });
  filter_->installEventFilter(new ClearOnEscape(filter_));
  connect(filter_, &QLineEdit::textChanged, this, [this] { OnFilterText(); });
  auto* find = new QShortcut(QKeySequence::Find, this);
  connect(find, &QShortcut::activated, this, [this] {
    filter_->setFocus(Qt::ShortcutFocusReason);
    filter_->selectAll();
  });
  connect(slider_, &QSlider::valueChanged, this, [this](int position) { SetThrottle(env_.ctx, position); });
}

void ResultsWindow::RegisterCommands() {
  CommandTable& t = commands_;
  Context& ctx = env_.ctx;
  t.Add(td::kDelete, [this] { DeleteRows(); });
  t.Add(td::kRecheck, [this] { RecheckRows(); });
  t.Add(td::kTreeDelete, [this] { TreeDelete(); });
  t.Add(td::kTreeRecheck, [this] { TreeRecheck(); });
  t.Add(td::kDevelop, [this] { Develop(); });
  t.Add(td::kReferencePage, [this] { OpenReferencePage(); }, [this] { return referenceEnabled_; });
  t.Add(td::kOpenFile, [this] { OpenFile(); });
  t.Add(td::kCopyFile, [this] { Copy(td::kFileUrl); });
  t.Add(td::kOpenFilePage, [this] { OpenFilePage(); });
  t.Add(td::kCopyPage, [this] { Copy(td::kPage); });
  t.Add(td::kOpenPage, [this] { OpenConnection(); });
  // The frame puts its own entries over these; a window on its own still works.
  t.Add(cmd::kPauseContinue, [&ctx] { DispatchSessionCommand(ctx, cmd::kPauseContinue, {}); },
        [&ctx] { return SessionCommandEnabled(ctx, cmd::kPauseContinue); });
  t.Add(cmd::kShowErrors, [this] { showErrors = !showErrors; RefreshViews(); }, {}, [this] { return showErrors; });
  t.Add(cmd::kStatistics, [] {});
}

// A new search shows everything again, the filter too.
void ResultsWindow::SetViewToggles() {
  showErrors = showServerFolders = showSingleFiles = true;
  filter_->clear();
}

void ResultsWindow::AddTickHook(std::function<void()> hook) { tickHooks_.push_back(std::move(hook)); }

ViewToggles ResultsWindow::Toggles() const { return {showErrors, showServerFolders, showSingleFiles}; }

void ResultsWindow::OnTick() {
  // The list and the tree each every other tick, 250 ms apart.
  const int phase = tickCount_ % 4;
  if (phase == 1 || phase == 3) {
    if (selectedEntry_ >= 0) RefreshTree(false);
  } else {
    RefreshList();
  }
  ++tickCount_;
  Context& ctx = env_.ctx;
  if (ctx.run.SchedulerActive) OnRunTimer(ctx);
  ShowRunProgress(ReadRunProgress(ctx));
  if (ctx.run.SchedulerActive) RefreshConnections();
  commands_.UpdateButtons();
  for (const auto& hook : tickHooks_) hook();
}

void ResultsWindow::ShowRunProgress(const RunProgress& p) {
  if (p.run != shownRun_) {
    shownRun_ = p.run;
    ResetRunDisplay();
  }
  auto show = [this](int id, const std::optional<std::string>& text) {
    QtUiPort::ApplyText(ControlById(id), text ? ToQt(*text) : QString());
  };
  auto number = [](const auto& value) { return value ? std::optional(FormatInt(*value)) : std::nullopt; };
  auto decimal = [](const std::optional<double>& value) {
    return value ? std::optional(OneDecimal(*value)) : std::nullopt;
  };
  auto clock = [](const std::optional<int>& value) {
    return value ? std::optional(ClockText(*value)) : std::nullopt;
  };
  show(td::kBase, number(p.base));
  show(td::kAdded, number(p.added));
  show(td::kWaiting, number(p.waiting));
  show(td::kInProgress, number(p.inProgress));
  show(td::kFinished, number(p.finished));
  show(td::kTimeouts, number(p.timeouts));
  show(td::kProgressText, number(p.progress));
  QtUiPort::ApplyNumber(ControlById(td::kProgressBar), p.progress.value_or(0));
  show(td::kSpeed, decimal(p.speed));
  show(td::kReferenceSpeed, decimal(p.referenceSpeed));
  show(td::kLoadKb, number(p.loadKb));
  show(td::kElapsed, clock(p.elapsed));
  show(td::kRemaining, clock(p.remaining));
  show(td::kProbes, FormatInt(p.probes));
  QtUiPort::ApplyNumber(slider_, p.sliderPosition);
  show(cmd::kPauseContinue, p.paused ? "Continue" : "Pause");
  QWidget* notice = ControlById(td::kDisconnected);
  if (notice->isHidden() == p.disconnected) notice->setVisible(p.disconnected);
  if (p.clipOrders != clipOrders_) {
    clipOrders_ = p.clipOrders;
    if (p.clipPlays) clip_->Play();
    else clip_->Stop();
  }
}

// ---- The file list ----

void ResultsWindow::RefreshList() {
  ListChanges changes = view_.RefreshList(env_.ctx, Toggles());
  QSignalBlocker block(list_);
  if (changes.reset) {
    // The entries were replaced: no row and no tree item may outlive them.
    list_->clear();
    rows_.clear();
    selectedEntry_ = -1;
    ClearTree();
    selectedFile_ = nullptr;
    referenceEnabled_ = false;
    reference_->setEnabled(false);
    ShowFileDetails();
  }
  rows_.resize(static_cast<size_t>(view_.RowCount()), nullptr);
  QList<QTreeWidgetItem*> added;
  for (int index : changes.changed) {
    const ListRow& row = view_.Row(index);
    QTreeWidgetItem*& item = rows_[static_cast<size_t>(index)];
    if (!row.listed) {
      delete item;
      item = nullptr;
      continue;
    }
    const QString texts[5] = {ToQt(row.key), ToQt(row.typeText), ToQt(row.nbText), ToQt(row.hitsText),
                              ToQt(row.sizeText)};
    if (item == nullptr) {
      item = new QTreeWidgetItem;
      for (int c = 0; c < 5; ++c) item->setText(c, texts[c]);
      item->setTextAlignment(2, Qt::AlignCenter);
      item->setTextAlignment(4, Qt::AlignRight | Qt::AlignVCenter);
      item->setData(0, kEntryRole, index);
      item->setData(0, kImageRole, row.Image());
      item->setIcon(0, listIcons_[static_cast<size_t>(row.Image())]);
      added.append(item);
      continue;
    }
    if (item->data(0, kImageRole).toInt() != row.Image()) {
      item->setData(0, kImageRole, row.Image());
      item->setIcon(0, listIcons_[static_cast<size_t>(row.Image())]);
    }
    for (int c = 1; c < 5; ++c) {
      if (item->text(c) != texts[c]) item->setText(c, texts[c]);
    }
  }
  // New rows go at the end, unsorted, until the next column click.
  if (!added.isEmpty()) list_->addTopLevelItems(added);
}

// Live while typing: the list follows each keystroke; the entry in the tree
// stays while its row does.
void ResultsWindow::OnFilterText() {
  view_.SetFilter(FromQt(filter_->text()));
  RefreshList();
  const auto shown = static_cast<size_t>(selectedEntry_);
  if (selectedEntry_ >= 0 && (shown >= rows_.size() || rows_[shown] == nullptr)) RefreshViews();
}

std::vector<int> ResultsWindow::RowOrder() const {
  std::vector<int> order;
  order.reserve(static_cast<size_t>(list_->topLevelItemCount()));
  for (int i = 0; i < list_->topLevelItemCount(); ++i) order.push_back(list_->topLevelItem(i)->data(0, kEntryRole).toInt());
  return order;
}

void ResultsWindow::SortByColumn(int column) {
  if (column < 0 || column >= 5) return;
  static_assert(static_cast<int>(ListColumn::Size) == 4);
  const TLwCompare compare{static_cast<ListColumn>(column)};
  const bool flag = sortFlags_[column];
  QSignalBlocker block(list_);
  // Taking the rows out drops their selection: the chosen entries are chosen
  // again afterwards, so that "Supprimer" still acts on what the tree shows.
  const std::vector<int> chosen = SelectedRows();
  QTreeWidgetItem* current = list_->currentItem();
  QList<QTreeWidgetItem*> items = list_->invisibleRootItem()->takeChildren();
  struct Sorted {
    QTreeWidgetItem* item;
    int place;
    const ListRow* row;
  };
  std::vector<Sorted> sorted;
  sorted.reserve(static_cast<size_t>(items.size()));
  for (int i = 0; i < items.size(); ++i) {
    sorted.push_back({items[i], i, &view_.Row(items[i]->data(0, kEntryRole).toInt())});
  }
  std::stable_sort(sorted.begin(), sorted.end(), [&](const Sorted& a, const Sorted& b) {
    return compare(*a.row, a.place, *b.row, b.place, flag) < 0;
  });
  items.clear();
  for (const Sorted& s : sorted) items.append(s.item);
  list_->addTopLevelItems(items);
  if (current) list_->setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
  for (int index : chosen) rows_[static_cast<size_t>(index)]->setSelected(true);
  sortFlags_[column] = !flag;
}

std::vector<int> ResultsWindow::SelectedRows() const {
  std::vector<int> rows;
  for (QTreeWidgetItem* item : list_->selectedItems()) rows.push_back(item->data(0, kEntryRole).toInt());
  return rows;
}

void ResultsWindow::OnListSelection() {
  const QList<QTreeWidgetItem*> selected = list_->selectedItems();
  if (selected.size() >= 2) {
    // Several rows: the pane empties; the entry shown stays, so the next
    // periodic refresh fills the tree again.
    ClearTree();
    selectedFile_ = nullptr;
    ShowFileDetails();
    return;
  }
  int index = selected.isEmpty() ? -1 : selected.back()->data(0, kEntryRole).toInt();
  if (index >= CatalogueCount(env_.ctx)) index = -1;
  if (index != selectedEntry_) {
    selectedEntry_ = index;
    RefreshTree(true);
  }
}

// ---- The tree and the properties pane ----

void ResultsWindow::ClearTree() {
  QSignalBlocker block(tree_);
  tree_->clear();
  groupItems_.clear();
  selectedTreeItem_ = nullptr;
}

void ResultsWindow::RefreshTree(bool rebuild) {
  if (rebuild) {
    develop_->setChecked(false);
    ClearTree();
    if (selectedEntry_ < 0) {
      referenceEnabled_ = false;
      reference_->setEnabled(false);
      selectedFile_ = nullptr;
      ShowFileDetails();
      return;
    }
  }
  const EntryTree tree = view_.RefreshTree(env_.ctx, selectedEntry_, rebuild);
  if (tree.index < 0) {
    // The entry went (deleted, or the catalogue was cleared).
    ClearTree();
    referenceEnabled_ = false;
    reference_->setEnabled(false);
    selectedFile_ = nullptr;
    ShowFileDetails();
    return;
  }
  QSignalBlocker block(tree_);
  referencePage_ = tree.referencePage;
  for (const TreeGroup& group : tree.groups) {
    GroupItem& slot = groupItems_[group.name];
    QTreeWidgetItem* groupItem = slot.item;
    if (groupItem == nullptr) {
      groupItem = slot.item = new QTreeWidgetItem(tree_, {ToQt(group.name)});
      groupItem->setData(0, kImageRole, -1);
    }
    if (groupItem->data(0, kImageRole).toInt() != group.image) {
      groupItem->setData(0, kImageRole, group.image);
      groupItem->setIcon(0, treeIcons_[static_cast<size_t>(group.image)]);
    }
    for (const TreeFile& file : group.files) {
      QTreeWidgetItem*& fileItem = slot.files[file.url];
      if (fileItem == nullptr) {
        fileItem = new QTreeWidgetItem(groupItem, {ToQt(file.url)});
        SetFileOf(fileItem, file.file);
        fileItem->setData(0, kImageRole, -1);
      }
      if (fileItem->data(0, kImageRole).toInt() != file.image) {
        fileItem->setData(0, kImageRole, file.image);
        fileItem->setIcon(0, treeIcons_[static_cast<size_t>(file.image)]);
      }
    }
    SetFileOf(groupItem, group.onlyFile);
  }
  referenceEnabled_ = tree.allPagesEqual;
  reference_->setEnabled(referenceEnabled_);
  if (rebuild) {
    if (tree.groups.size() == 1) {
      develop_->setChecked(true);
      for (int i = 0; i < tree_->topLevelItemCount(); ++i) tree_->topLevelItem(i)->setExpanded(true);
      selectedFile_ = tree.groups.front().files.empty() ? nullptr : tree.groups.front().files.front().file;
    } else {
      selectedFile_ = nullptr;
    }
  }
  ShowFileDetails();
}

void ResultsWindow::OnTreeCurrent(QTreeWidgetItem* item) {
  selectedFile_ = FileOf(item);
  selectedTreeItem_ = item;
  ShowFileDetails();
}

void ResultsWindow::ShowFileDetails() {
  const FileDetails details = FileDetailsOf(env_.ctx, selectedFile_);
  QtUiPort::ApplyText(ControlById(td::kFileUrl), ToQt(details.url));
  QtUiPort::ApplyText(ControlById(td::kPage), ToQt(details.page));
  QtUiPort::ApplyText(ControlById(td::kDate), ToQt(details.date));
  QtUiPort::ApplyText(ControlById(td::kSize), ToQt(details.sizeText));
}

// ---- The connections list ----

void ResultsWindow::RefreshConnections() {
  struct Line {
    int index;
    std::string text;
  };
  std::vector<Line> fresh;
  const PagesInFetch pages = PagesBeingFetched(env_.ctx);
  std::vector<bool> fetching(static_cast<size_t>(pages.queueCount), false);
  for (const PageInFetch& page : pages.pages) {
    const auto i = static_cast<size_t>(page.index);
    fetching[i] = true;
    if (i >= connectionLines_.size() || !connectionLines_[i]) fresh.push_back({page.index, ConnectionText(page.url)});
  }
  if (pages.queueCount == 0) {
    connections_->clear();
    connectionLines_.clear();
    return;
  }
  connectionLines_.resize(fetching.size(), false);
  // The line the user chose, by its page: when a current line goes, Qt makes
  // (and selects) another one current, which "Ouvrir page" would then open.
  QListWidgetItem* current = connections_->currentItem();
  const int chosen = current && current->isSelected() ? current->data(kEntryRole).toInt() : -1;
  bool removed = false;
  for (int row = connections_->count() - 1; row >= 0; --row) {
    const int index = connections_->item(row)->data(kEntryRole).toInt();
    if (index >= 0 && static_cast<size_t>(index) < fetching.size() && fetching[static_cast<size_t>(index)]) continue;
    if (index >= 0 && static_cast<size_t>(index) < connectionLines_.size()) connectionLines_[static_cast<size_t>(index)] = false;
    delete connections_->takeItem(row);
    removed = true;
  }
  if (removed) {
    QListWidgetItem* kept = nullptr;
    for (int row = 0; row < connections_->count() && chosen >= 0 && !kept; ++row) {
      if (connections_->item(row)->data(kEntryRole).toInt() == chosen) kept = connections_->item(row);
    }
    connections_->setCurrentItem(kept);
    if (!kept) connections_->clearSelection();
  }
  for (const Line& line : fresh) {
    auto* item = new QListWidgetItem(ToQt(line.text));
    item->setData(kEntryRole, line.index);
    connections_->insertItem(0, item);
    connectionLines_[static_cast<size_t>(line.index)] = true;
  }
}

// ---- What the main commands ask ----

void ResultsWindow::RefreshViews() {
  selectedEntry_ = -1;
  RefreshTree(true);
  RefreshList();
  // A toggle from the menu shows on its button at once.
  commands_.UpdateButtons();
}

void ResultsWindow::ResetRunDisplay() {
  QtUiPort::ApplyNumber(ControlById(td::kProgressBar), 0);
  for (int id : {td::kProgressText, td::kElapsed, td::kRemaining, td::kWaiting, td::kInProgress, td::kFinished,
                 td::kSpeed, td::kLoadKb, td::kBase, td::kAdded, td::kTimeouts, td::kProbes, td::kReferenceSpeed}) {
    QtUiPort::ApplyText(ControlById(id), QString());
  }
  connections_->clear();
  connectionLines_.clear();
}

void ResultsWindow::ClearFileList() {
  {
    QSignalBlocker block(list_);
    list_->clear();
  }
  rows_.clear();
  // A fresh view reports every listed entry again, as new rows.
  view_ = ResultsView{};
  // Tree items and the selected file point into the catalogue: they go with the rows.
  selectedEntry_ = -1;
  ClearTree();
  selectedFile_ = nullptr;
  referenceEnabled_ = false;
  reference_->setEnabled(false);
  ShowFileDetails();
}

void ResultsWindow::ResetSortFlags() { std::fill(std::begin(sortFlags_), std::end(sortFlags_), true); }

void ResultsWindow::ForgetSelection() {
  QSignalBlocker block(list_);
  list_->clearSelection();
  selectedEntry_ = -1;
}

void ResultsWindow::StopAnimation() { clip_->Stop(); }

// ---- Commands ----

void ResultsWindow::DeleteRows() {
  for (int index : SelectedRows()) MarkEntryDeleted(env_.ctx, index);
  RefreshViews();
}

void ResultsWindow::RecheckRows() {
  ResetEntriesForRecheck(env_.ctx, SelectedRows());
  RefreshList();
}

void ResultsWindow::TreeDelete() {
  std::vector<FoundFile*> files;
  if (selectedFile_) {
    files.push_back(selectedFile_);
  } else if (selectedTreeItem_) {
    for (int i = 0; i < selectedTreeItem_->childCount(); ++i) {
      if (FoundFile* f = FileOf(selectedTreeItem_->child(i))) files.push_back(f);
    }
  }
  if (files.empty()) return;
  bool emptied = false;
  for (FoundFile* f : files) emptied |= RemoveFoundFile(env_.ctx, f);
  const bool developed = develop_->isChecked();
  RefreshTree(true);
  if (develop_->isChecked() != developed) {
    develop_->setChecked(developed);
    Develop();
  }
  if (emptied) RefreshViews();
}

void ResultsWindow::TreeRecheck() {
  if (selectedFile_) {
    ResetFileForRecheck(env_.ctx, selectedFile_);
    ShowFileDetails();
    return;
  }
  if (!selectedTreeItem_) return;
  for (int i = 0; i < selectedTreeItem_->childCount(); ++i) {
    if (FoundFile* f = FileOf(selectedTreeItem_->child(i))) ResetFileForRecheck(env_.ctx, f);
  }
}

void ResultsWindow::Develop() {
  const bool expand = develop_->isChecked();
  for (int i = 0; i < tree_->topLevelItemCount(); ++i) tree_->topLevelItem(i)->setExpanded(expand);
}

QString ResultsWindow::FieldText(int id) const {
  auto* edit = Control<QLineEdit>(id);
  return edit ? edit->text().left(kMaxFieldChars) : QString();
}

void ResultsWindow::OpenFile() {
  if (!selectedFile_) return;
  YieldToBrowser(env_.ctx);
  const std::string url = FromQt(FieldText(td::kFileUrl));
  // Addresses with a user (ftp://user@host:...) go to the browser itself.
  if (url.find('@') != std::string::npos && url.find(':') != std::string::npos) {
    OpenInBrowserOrSay(env_, url);
  } else {
    ShellOpenOrSay(env_, url);
  }
}

void ResultsWindow::OpenFilePage() {
  if (!selectedFile_) return;
  YieldToBrowser(env_.ctx);
  OpenInBrowserOrSay(env_, FromQt(FieldText(td::kPage)));
}

void ResultsWindow::OpenReferencePage() {
  YieldToBrowser(env_.ctx);
  OpenInBrowserOrSay(env_, referencePage_);
}

void ResultsWindow::OpenConnection() {
  QListWidgetItem* item = connections_->currentItem();
  if (item == nullptr || !item->isSelected()) return;
  std::string text = FromQt(item->text().left(kMaxFieldChars));
  if (text.size() < 2) return;
  if (text.rfind(kCachePrefix, 0) == 0) text = CachedCopyAddress(env_.ctx, text.substr(sizeof kCachePrefix - 1));
  YieldToBrowser(env_.ctx);
  OpenInBrowserOrSay(env_, text);
}

void ResultsWindow::Copy(int field) { env_.browser.CopyToClipboard(FromQt(FieldText(field))); }

// ---- Layout and painting ----

void ResultsWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const int dx = layout_.Apply(size());
  list_->setColumnWidth(0, std::max(20, kColumnZeroWidth + dx / 2));
  update();
}

void ResultsWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  // The setting as it is now: a main colour chosen in the options shows at once.
  p.fillRect(rect(), SettingColor(env_.ctx.settings.ColorPrinc));
  const QRect list = list_->geometry();
  const QRect tree = tree_->geometry();
  const QRect listLine = ControlById(td::kListLine)->geometry();
  const QRect propertiesLine = ControlById(td::kPropertiesLine)->geometry();
  // Beside the tree, from the list's bottom to its separator; then the whole
  // width from just above the tree's bottom to the properties' separator.
  p.fillRect(QRect(QPoint(0, list.bottom() + 1), QPoint(tree.left() - 1, listLine.top() - 1)), kLightGrey);
  p.fillRect(QRect(QPoint(0, tree.bottom() + 1 - 2), QPoint(width() - 1, propertiesLine.top() - 1)), kLightGrey);
}

}  // namespace orvi::ui
