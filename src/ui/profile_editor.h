#pragma once

#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "core/search_profile.h"
#include "ui/command_table.h"
#include "ui/controls.h"
#include "ui/gui_env.h"
#include "ui/profile_page.h"

class QMenuBar;
class QTabWidget;

namespace orvi::ui {

// TFF: a small floating frame, not modal, whose client is the property sheet
// of the five pages (TGen, TSais, TExp, TFiles, TMot). It edits the editor
// copy of the profile; the preparation window reads the file again when the
// editor closes.
class ProfileEditor : public QWidget {
 public:
  static constexpr int kClose = 26100;
  static constexpr int kSave = 26101;
  static constexpr int kSaveAs = 26102;
  static constexpr int kOpen = 26103;
  static constexpr int kDelete = 26104;
  static constexpr int kNew = 26105;
  static constexpr int kPageCount = 5;

  // Opens the editor on a profile ("/Musique/mp3"), or without one (empty
  // name), in which case it asks for a file at once. closed runs once the
  // editor has gone (the preparation window posts itself 6665 there).
  // Returns at once.
  static ProfileEditor* Open(GuiEnv& env, QWidget* parent, const std::string& name,
                             std::function<void()> closed = {});
  ~ProfileEditor() override;

  CommandTable& Commands() { return commands_; }
  const std::string& Name() const { return name_; }
  QTabWidget* Sheet() const { return sheet_; }
  EditorPage* Page(int index) const { return pages_[static_cast<size_t>(index)]; }
  // Shows page index (its tab), making it.
  void ShowPage(int index);

  bool Systematic() const { return systematic_; }
  void SetSystematic(bool on) { systematic_ = on; }
  Context& ctx() { return env_.ctx; }

  // The profile of a chosen file: its path under Profils, without ".ini";
  // nothing (after a message) for a file elsewhere or of another kind.
  std::optional<std::string> NameOfFile(const QString& path);

 private:
  ProfileEditor(GuiEnv& env, QWidget* parent, std::string name, std::function<void()> closed);
  void BuildMenu();
  void Load();
  void Save();
  void SaveTo(const std::string& name);
  void OpenFile();
  void SaveAs();
  void Delete();
  void OnTabShown(int index);
  QString ProfilsFolder() const;

  GuiEnv& env_;
  CommandTable commands_;
  std::string name_;
  bool systematic_ = false;
  QTabWidget* sheet_;
  QMenuBar* menuBar_ = nullptr;
  std::array<EditorPage*, kPageCount> pages_{};
  std::function<void()> closed_;
};

// The editor's record of a new profile: every field zero or empty but the
// engine masks (all rows to every engine), MaxDomains 32, MinFiles 1, FindS.
SearchProfile NewProfileDefaults();

}  // namespace orvi::ui
