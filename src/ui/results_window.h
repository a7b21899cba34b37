#pragma once

#include <QIcon>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/commands.h"
#include "core/run_state.h"
#include "core/ui_port.h"
#include "results/results_view.h"
#include "ui/command_table.h"
#include "ui/controls.h"
#include "ui/gui_env.h"
#include "ui/results_layout.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QSlider;
class QTreeWidget;
class QTreeWidgetItem;

namespace orvi::ui {

class AnimationClip;

// The controls and commands of the results window.
namespace td {
constexpr int kFileList = 9100;
constexpr int kFilter = 9110;         // the filter box over the list; Ctrl+F, Escape clears it
constexpr int kTreeTitle = 9210;
constexpr int kFileTree = 9200;
constexpr int kDelete = 20300;        // "Supprimer", list menu "&Supprimer", the Delete key
constexpr int kRecheck = 20301;       // "Revérifier", list menu "&Vérifier le lien"
constexpr int kConnectionsTitle = 20901;
constexpr int kInProgress = 20902;
constexpr int kConnections = 9140;
constexpr int kOpenPage = 20500;      // "Ouvrir page"
constexpr int kReferencePage = 20700; // "Voir page ref."
constexpr int kDevelop = 20701;       // "Développer"
constexpr int kProgressBar = 20000;
constexpr int kTopLine = 20001;
constexpr int kProgressText = 109;
constexpr int kElapsedTitle = 20100;
constexpr int kElapsed = 20102;
constexpr int kRemainingTitle = 20101;
constexpr int kRemaining = 20103;
constexpr int kAnimation = 9305;
constexpr int kDisconnected = 9306;
constexpr int kLoadTitle = 20200;
constexpr int kLoadKb = 20201;
constexpr int kTimeoutIcon = 20202;
constexpr int kTimeouts = 20203;
constexpr int kSpeedFrame = 20204;
constexpr int kUrlFrame = 20205;
constexpr int kConnectionsFrame = 20206;
constexpr int kSpeedMin = 20208;
constexpr int kSpeedMax = 20209;
constexpr int kSpeedSlider = 20210;
constexpr int kSpeedUnit = 20211;
constexpr int kSpeed = 20212;
constexpr int kReferenceSpeed = 20213;
constexpr int kReferenceSpeedTitle = 20214;
constexpr int kBaseTitle = 20250;
constexpr int kBase = 20251;
constexpr int kAddedTitle = 20252;
constexpr int kAdded = 20253;
constexpr int kWaitingTitle = 20255;
constexpr int kWaiting = 20256;
constexpr int kFinishedTitle = 20257;
constexpr int kFinished = 20258;
constexpr int kProbesTitle = 20259;
constexpr int kProbes = 20260;        // "Liens"
constexpr int kPropertiesFrame = 20601;
constexpr int kFileTitle = 20261;
constexpr int kPageTitle = 20262;
constexpr int kSizeTitle = 20263;
constexpr int kSize = 20264;          // "Taille :"
constexpr int kDateTitle = 20265;
constexpr int kFileUrl = 20602;       // "Fichier :"
constexpr int kPage = 20603;          // "Page :"
constexpr int kDate = 20604;          // "Date :"
constexpr int kOpenFile = 20702;      // "Ouvrir" by the file, tree menu "Ouvrir le &fichier"
constexpr int kCopyFile = 20703;      // "Copier" by the file, tree menu "&Copier l'URL"
constexpr int kOpenFilePage = 20704;  // "Ouvrir" by the page, tree menu "Ouvrir la page &web"
constexpr int kCopyPage = 20705;      // "Copier" by the page
constexpr int kPropertiesLine = 20600;
constexpr int kListLine = 20800;
// Tree menu only.
constexpr int kTreeDelete = 6900;     // "&Supprimer"
constexpr int kTreeRecheck = 6901;    // "&Vérifier ce(s) lien(s)"
}  // namespace td

// The five comparators of the file list, one per column, over two rows (the
// entries behind them); the column's sort flag is their extra argument. They
// answer before (< 0) or after (> 0). The numeric ones never answer "equal":
// rows of the same value answer by their present places, so that the order
// they make is a true order and a sort keeps such rows as they were.
class TLwCompare {
 public:
  explicit TLwCompare(ListColumn column) : column_(column) {}
  int operator()(const ListRow& a, int placeA, const ListRow& b, int placeB, bool flag) const;
  ListColumn Column() const { return column_; }

 private:
  ListColumn column_;
};
struct TLwCompNameFile : TLwCompare { TLwCompNameFile() : TLwCompare(ListColumn::Name) {} };
struct TLwCompExtensFile : TLwCompare { TLwCompExtensFile() : TLwCompare(ListColumn::Type) {} };
struct TLwCompNbFiles : TLwCompare { TLwCompNbFiles() : TLwCompare(ListColumn::Nb) {} };
struct TLwCompNbHits : TLwCompare { TLwCompNbHits() : TLwCompare(ListColumn::Hits) {} };
struct TLwCompGlobalSize : TLwCompare { TLwCompGlobalSize() : TLwCompare(ListColumn::Size) {} };

// TD: the program's main working window, the client of the frame. It owns
// the command table that the main menu, its buttons, its context menus and
// posted commands run through, and the 250 ms tick.
class ResultsWindow : public QWidget, public ControlSet {
 public:
  static constexpr int kTickMs = 250;
  // The window's base size in dialog units.
  static constexpr int kDesignWidth = 485;
  static constexpr int kDesignHeight = 302;

  explicit ResultsWindow(GuiEnv& env, QWidget* parent = nullptr);
  ~ResultsWindow() override;

  QWidget* Window() override { return this; }

  GuiEnv& Env() { return env_; }
  CommandTable& Commands() { return commands_; }

  // The three view toggles, set at construction and by every new search.
  bool showErrors = true;
  bool showServerFolders = true;
  bool showSingleFiles = true;
  void SetViewToggles();
  // What the list shows: the toggles, and the filter box's text.
  ViewToggles Toggles() const;
  const KeyFilter& Filter() const { return view_.Filter(); }

  // Runs on every tick, after the window's own work.
  void AddTickHook(std::function<void()> hook);
  QTimer& TickTimer() { return tick_; }
  int TickCount() const { return tickCount_; }
  // One tick of the timer (tests drive it by hand with the timer stopped).
  void Tick() { OnTick(); }

  // What the main commands ask of the window.
  void RefreshViews();      // after loads, deletions and toggles
  void ResetRunDisplay();   // progress, clocks, counters, connections list
  void ClearFileList();     // deletes every row of the file list
  void ResetSortFlags();    // the five per-column sort flags back to 1
  void ForgetSelection();   // no list row is selected any more
  void StopAnimation();
  // Shows the run's progress, writing only what changed; a new run number
  // clears the run's display first.
  void ShowRunProgress(const RunProgress& progress);

  // The refreshes, each touching only what changed.
  void RefreshList();
  void RefreshTree(bool rebuild);
  void ShowFileDetails();
  void RefreshConnections();
  // A column click: sorts by the column with its flag, then inverts the flag.
  void SortByColumn(int column);

  int SelectedEntry() const { return selectedEntry_; }
  const FoundFile* SelectedFile() const { return selectedFile_; }
  QTreeWidget* FileList() const { return list_; }
  QTreeWidget* FileTree() const { return tree_; }
  QListWidget* ConnectionsList() const { return connections_; }
  QMenu* ListMenu() const { return listMenu_; }
  QMenu* TreeMenu() const { return treeMenu_; }
  // The catalogue index of each row, in list order.
  std::vector<int> RowOrder() const;
  // The base size in pixels, which the layout rule starts from.
  QSize DesignSize() const { return layout_.FirstSize(); }
  QSize sizeHint() const override { return DesignSize(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildControls();
  QWidget* MakeFileList();
  void WireControls();
  void RegisterCommands();
  void OnTick();
  void OnListSelection();
  void OnTreeCurrent(QTreeWidgetItem* item);
  void ClearTree();
  void OnFilterText();
  std::vector<int> SelectedRows() const;
  // The commands of the window.
  void DeleteRows();
  void RecheckRows();
  void TreeDelete();
  void TreeRecheck();
  void Develop();
  void OpenFile();
  void OpenFilePage();
  void OpenReferencePage();
  void OpenConnection();
  void Copy(int field);
  QString FieldText(int id) const;  // at most 299 characters

  GuiEnv& env_;
  CommandTable commands_;
  QTimer tick_;
  int tickCount_ = 0;
  std::vector<std::function<void()>> tickHooks_;

  ResultsView view_;
  DialogUnits units_;
  ProportionalLayout layout_;
  std::vector<QIcon> listIcons_;
  std::vector<QIcon> treeIcons_;

  QTreeWidget* list_ = nullptr;
  QTreeWidget* tree_ = nullptr;
  QListWidget* connections_ = nullptr;
  QLineEdit* filter_ = nullptr;
  QPushButton* reference_ = nullptr;
  QPushButton* develop_ = nullptr;
  QSlider* slider_ = nullptr;
  AnimationClip* clip_ = nullptr;
  QMenu* listMenu_ = nullptr;
  QMenu* treeMenu_ = nullptr;

  // One per catalogue index: its row, or null.
  std::vector<QTreeWidgetItem*> rows_;
  bool sortFlags_[5] = {true, true, true, true, true};

  int selectedEntry_ = -1;
  FoundFile* selectedFile_ = nullptr;
  QTreeWidgetItem* selectedTreeItem_ = nullptr;
  std::string referencePage_;
  bool referenceEnabled_ = false;
  // The tree's items by text: groups by file name, then files by url.
  struct GroupItem {
    QTreeWidgetItem* item = nullptr;
    std::unordered_map<std::string, QTreeWidgetItem*> files;
  };
  std::unordered_map<std::string, GroupItem> groupItems_;
  // The queue indexes with a line in the connections list.
  std::vector<bool> connectionLines_;
  // The run number and the clip orders last shown.
  uint64_t shownRun_ = 0;
  uint64_t clipOrders_ = 0;
};

}  // namespace orvi::ui
