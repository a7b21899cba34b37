#pragma once

#include <QColor>
#include <QDialog>
#include <QPointer>

#include <array>
#include <functional>
#include <optional>

#include "ui/controls.h"
#include "ui/gui_env.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace orvi::ui {

// TConf, the "Configuration" page: connections, time-outs, retries, proxy.
class ConfPage : public QWidget, public ControlSet {
 public:
  static constexpr int kMinConnect = 101;
  static constexpr int kUseProxy = 102;
  static constexpr int kMaxConnect = 103;
  static constexpr int kHttpTimeOut = 104;
  static constexpr int kNbRetry = 105;
  static constexpr int kProxyName = 106;
  static constexpr int kProxyPort = 107;
  static constexpr int kProxyAuth = 108;
  static constexpr int kProxyLogin = 109;
  static constexpr int kProxyPass = 110;
  static constexpr int kVerifyTimeOut = 120;
  static constexpr int kHttps = 121;
  static constexpr int kModem = 200;
  static constexpr int kIsdn = 201;
  static constexpr int kBroadband = 202;
  static constexpr int kMaxConnectCap = 32;

  explicit ConfPage(GuiEnv& env);
  QWidget* Window() override { return this; }

  void SetUp();
  void Apply();

 private:
  void ApplyEnablingRule();
  void Preset(int min, int max);

  GuiEnv& env_;
  QLineEdit* min_;
  QLineEdit* max_;
  QLineEdit* httpTimeOut_;
  QLineEdit* retries_;
  QLineEdit* verifyTimeOut_;
  QCheckBox* useProxy_;
  QLineEdit* proxyName_;
  QLineEdit* proxyPort_;
  QCheckBox* auth_;
  QLineEdit* login_;
  QLineEdit* pass_;
  QCheckBox* https_;
};

// TPref, the "Préférences" page: start window, browser window, autosave and
// the three window colours.
class PrefPage : public QWidget, public ControlSet {
 public:
  static constexpr int kNewWindow = 101;
  static constexpr int kColorPrinc = 102;
  static constexpr int kColorDialog = 103;
  static constexpr int kColorProfil = 104;
  static constexpr int kAutosaveOn = 105;
  static constexpr int kAutosave = 106;
  static constexpr int kStartNone = 200;
  static constexpr int kStartSearch = 201;
  static constexpr int kStartScan = 202;

  // results: the window repainted at once when the main colour changes.
  PrefPage(GuiEnv& env, QWidget* results);
  QWidget* Window() override { return this; }

  void SetUp();
  void Apply();
  // The working colours of buttons 102, 103, 104.
  QColor WorkingColor(int button) const;
  // How a colour button asks for a colour (the colour dialog; tests replace it).
  std::function<std::optional<QColor>(QWidget*, QColor)> chooseColor;

 private:
  void ApplyAutosaveRule();
  void ChooseColor(int button);
  void ShowColors();

  GuiEnv& env_;
  QPointer<QWidget> results_;
  std::array<QColor, 3> colors_;
  std::array<QPushButton*, 3> colorButtons_{};
  QCheckBox* newWindow_;
  QCheckBox* autosaveOn_;
  QLineEdit* autosave_;
  std::array<QRadioButton*, 3> start_{};
};

// "Moteurs": the engine of each of the profiles' three columns (the
// designed ones and today's rows of Moteurs.ini), the SearXNG instance's
// address and the Marginalia key, written to [Engines].
class EnginesPage : public QWidget, public ControlSet {
 public:
  static constexpr int kSlot1 = 101;  // + slot
  static constexpr int kSearxngUrl = 110;
  static constexpr int kMarginaliaKey = 111;

  explicit EnginesPage(GuiEnv& env);
  QWidget* Window() override { return this; }

  void SetUp();
  void Apply();

 private:
  GuiEnv& env_;
  std::array<QComboBox*, 3> slots_{};
  QLineEdit* searxng_;
  QLineEdit* marginalia_;
};

// TPSConf: the options sheet, "Configuration", "Préférences" and "Moteurs", OK and
// Cancel only. A modeless window of its own (no owner) so that the results
// window goes on refreshing and a modal window elsewhere never blocks it;
// each page is set up when it is first shown and only pages set
// up apply on OK, which then writes ORVI.ini. Cancel or the close box drop
// everything.
class OptionsSheet : public QDialog, public ControlSet {
 public:
  static constexpr int kOk = 1;
  static constexpr int kCancel = 2;

  OptionsSheet(GuiEnv& env, QWidget* results);

  QWidget* Window() override { return this; }

  // Opens a sheet that deletes itself when closed; results is the window
  // repainted when the main colour changes.
  static OptionsSheet* Open(GuiEnv& env, QWidget* results);

  ConfPage& Conf() { return *conf_; }
  PrefPage& Pref() { return *pref_; }
  EnginesPage& Engines() { return *engines_; }
  QTabWidget& Tabs() { return *tabs_; }

  void accept() override;

 private:
  void SetUpShownPage();

  GuiEnv& env_;
  QTabWidget* tabs_;
  ConfPage* conf_;
  PrefPage* pref_;
  EnginesPage* engines_;
  bool confSetUp_ = false;
  bool prefSetUp_ = false;
  bool enginesSetUp_ = false;
};

// The colour dialog of the program: fully opened (custom colours shown)
// over the process's one table of 16 custom colours, all black until the
// user stores some. Returns the colour chosen, or nothing when cancelled.
std::optional<QColor> ChooseColor(QWidget* owner, QColor start);
// Sets the shared custom colours to black the first time it is called.
void PrepareCustomColors();

}  // namespace orvi::ui
