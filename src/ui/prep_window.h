#pragma once

#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <QIcon>

#include <array>
#include <string>
#include <vector>

#include "search/harvest_job.h"
#include "ui/command_table.h"
#include "ui/controls.h"
#include "ui/gui_env.h"
#include "ui/profile_editor.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QTreeWidget;
class QTreeWidgetItem;

namespace orvi::ui {

class AnimationClip;

// The board's fields, which show the harvest's progress.
namespace prep_ids {
constexpr int kRowMarker = 1000;     // + row: icon of the row being asked
constexpr int kGoogleTotal = 1200;   // + row
constexpr int kGoogleOk = 1300;      // + row: pages of the row queued
constexpr int kFastTotal = 1400;     // + row
constexpr int kFastOk = 1500;        // + row
constexpr int kWiseNutTotal = 1600;  // + row: sum over the row's queries
constexpr int kWiseNutOk = 1700;     // + row
constexpr int kUniqueGoogle = 114;   // queue entries found by that engine alone
constexpr int kUniqueFast = 115;
constexpr int kUniqueWiseNut = 142;
constexpr int kFound = 134;         // "Trouvés": queue entries
constexpr int kQueryDisplay = 106;  // the row being asked, readable, then why an engine waits or is blocked
constexpr int kEngineName = 1800;   // + slot: the column header
}  // namespace prep_ids

// TDS, "Préparation de la recherche": the profile tree, the inputs of the
// chosen profile and the board of the engines' counters. "1. Lancer la
// recherche" starts the harvest job, whose progress the board shows on the
// window's tick; "2. Traiter les résultats" (or "AutoStart") closes it with OK
// so that the exploration can start.
class PrepWindow : public QDialog, public ControlSet {
 public:
  static constexpr int kTree = 107;
  static constexpr int kRefresh = 110;
  static constexpr int kEdit = 101;
  static constexpr int kProfileBox = 888;
  static constexpr int kHelpText = 108;
  static constexpr int kLabel1 = 103;
  static constexpr int kInput1 = 109;
  static constexpr int kLabel2 = 105;
  static constexpr int kInput2 = 128;
  static constexpr int kTranslate = 111;
  static constexpr int kLaunch = 200;
  static constexpr int kProcess = 1;
  static constexpr int kAutoStart = 102;
  static constexpr int kHelp = 113;
  static constexpr int kStopAt = 104;
  static constexpr int kSlider = 120;
  static constexpr int kAnimation = 300;
  static constexpr int kStop = 178;
  static constexpr int kLog = 112;
  // Sent by the profile editor when it closes.
  static constexpr int kReloadProfile = 6665;

  PrepWindow(GuiEnv& env, QWidget* parent);
  ~PrepWindow() override;

  QWidget* Window() override { return this; }

  // Opens the window modally after emptying the queue; true when it closed
  // with OK. On OK the search is reported to the product site; otherwise the
  // queue is emptied again.
  static bool Run(GuiEnv& env, QWidget* parent);

  CommandTable& Commands() { return commands_; }
  // Each profile's name under Profils ("/Musique/mp3"), in tree order.
  const std::vector<std::string>& Profiles() const { return profiles_; }
  QTreeWidget* Tree() const { return tree_; }
  ProfileEditor* Editor() const { return editor_; }
  // What the harvest gave, for the report after OK.
  const std::string& EncodedSearchText() const { return encodedSearchText_; }

  void FillTree();
  void LoadCurrentProfile();
  // Makes an entry of the profile list the current profile (remembered by its path too).
  void Choose(size_t profile);
  // A harvest is under way (from the click until its end is handled).
  bool Harvesting() const { return harvest_.Busy(); }

  void done(int result) override;

 private:
  void BuildControls();
  void RegisterCommands();
  void SelectCurrentInTree();
  void OnSelectionChanged();
  void EnableCounters();
  bool PhaseRunning() const;
  void Launch();
  void Stop();
  void EditProfile();
  void Translate();
  void OnHarvestEnded(const HarvestResult& result);
  // Ends a harvest under way without a word and waits for it.
  void EndHarvest();
  // Shows the harvest's board when it changed since the last time.
  void RefreshBoard();
  void ShowProgress(const HarvestProgress& progress);
  // The column headers: the engine each slot asks as the settings choose it.
  void ShowEngineNames();
  void SetStopAtPosition(int position);
  void OnTick();
  // The tree's images: closed folder, open folder, profile.
  const QIcon& TreeImage(int image) const { return images_[static_cast<size_t>(image)]; }

  GuiEnv& env_;
  std::array<QIcon, 3> images_;
  CommandTable commands_;
  QTimer tick_;
  std::vector<std::string> profiles_;
  bool filling_ = false;
  HarvestJob harvest_;
  HarvestProgress shown_;  // the board as last shown
  std::string encodedSearchText_;
  QPointer<ProfileEditor> editor_;

  QTreeWidget* tree_;
  QGroupBox* profileBox_;
  QPlainTextEdit* helpText_;
  QLabel* label1_;
  QLineEdit* input1_;
  QLabel* label2_;
  QLineEdit* input2_;
  QPushButton* translate_;
  QCheckBox* autoStart_;
  QCheckBox* log_;
  QLineEdit* stopAt_;
  QSlider* slider_;
  AnimationClip* animation_;
};

}  // namespace orvi::ui
