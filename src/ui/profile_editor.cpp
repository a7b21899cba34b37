#include "ui/profile_editor.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

#include "search/profile_file.h"
#include "ui/common.h"
#include "ui/file_dialog.h"
#include "ui/control_table.h"
#include "ui/profile_page.h"
#include "ui/qt_ui_port.h"

namespace orvi::ui {
namespace {

// The menu bar.
constexpr MenuRow kMenu[] = {{ProfileEditor::kOpen, " Ouvrir "},
                             {ProfileEditor::kNew, " Nouveau "},
                             {ProfileEditor::kSave, " Sauvegarder "},
                             {ProfileEditor::kSaveAs, " Sauvegarder sous "},
                             {ProfileEditor::kDelete, " Détruire ! "}};
constexpr MenuRow kCloseItem = {ProfileEditor::kClose, "   Fermer"};

}  // namespace

SearchProfile NewProfileDefaults() {
  SearchProfile p;
  p.GoogleUse = p.AtwUse = p.WiseUse = -1;
  p.MaxDomains = 32;
  p.MinFiles = 1;
  p.FindS = true;
  return p;
}

ProfileEditor* ProfileEditor::Open(GuiEnv& env, QWidget* parent, const std::string& name,
                                   std::function<void()> closed) {
  auto* editor = new ProfileEditor(env, parent, name, std::move(closed));
  editor->show();
  if (editor->name_.empty()) {
    QTimer::singleShot(0, editor, [editor] { editor->commands_.Execute(kOpen); });
  }
  return editor;
}

ProfileEditor::ProfileEditor(GuiEnv& env, QWidget* parent, std::string name, std::function<void()> closed)
    : QWidget(parent, Qt::Tool), env_(env), name_(std::move(name)), closed_(std::move(closed)) {
  setObjectName(QStringLiteral("TFF"));
  setAttribute(Qt::WA_DeleteOnClose);
  sheet_ = new QTabWidget;
  sheet_->setObjectName(QStringLiteral("TPSprop"));
  pages_ = {MakeDescriptionPage(*this), MakeInputPage(*this), MakeExplorationPage(*this), MakeFilesPage(*this),
            MakeEnginesPage(*this)};
  for (EditorPage* page : pages_) sheet_->addTab(page, page->Title());
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  BuildMenu();
  layout->setMenuBar(menuBar_);
  layout->addWidget(sheet_);
  connect(sheet_, &QTabWidget::currentChanged, this, &ProfileEditor::OnTabShown);
  Load();
  OnTabShown(sheet_->currentIndex());
  adjustSize();
}

ProfileEditor::~ProfileEditor() {
  if (closed_) closed_();
}

void ProfileEditor::BuildMenu() {
  commands_.Add(kOpen, [this] { OpenFile(); });
  commands_.Add(kNew, [this] {
    name_.clear();
    Load();
  });
  commands_.Add(kSave, [this] { Save(); });
  commands_.Add(kSaveAs, [this] { SaveAs(); });
  commands_.Add(kDelete, [this] { Delete(); });
  commands_.Add(kClose, [this] { QTimer::singleShot(0, this, [this] { close(); }); });
  menuBar_ = new QMenuBar(this);
  for (const MenuRow& item : kMenu) commands_.Bind(menuBar_->addAction(Utf8(item.text)), item.command);
  // The last item stands at the right of the bar.
  auto* right = new QMenuBar(menuBar_);
  commands_.Bind(right->addAction(Utf8(kCloseItem.text)), kCloseItem.command);
  menuBar_->setCornerWidget(right, Qt::TopRightCorner);
}

void ProfileEditor::ShowPage(int index) { sheet_->setCurrentIndex(index); OnTabShown(index); }

void ProfileEditor::OnTabShown(int index) {
  if (index < 0 || index >= kPageCount) return;
  EditorPage* page = pages_[static_cast<size_t>(index)];
  if (!page->Made()) {
    page->MarkMade();
    page->ToPage(env_.ctx.editorProfile);
  }
  page->Activated();
}

void ProfileEditor::Load() {
  Context& ctx = env_.ctx;
  setWindowTitle(ToQt("Profil : " + name_));
  ctx.editorProfile = name_.empty() ? NewProfileDefaults() : LoadSearchProfile(ProfilePath(ctx.AppFolder, name_));
  systematic_ = ctx.editorProfile.ExtractAll;
  for (EditorPage* page : pages_) {
    if (page->Made()) page->ToPage(ctx.editorProfile);
  }
}

QString ProfileEditor::ProfilsFolder() const {
  return QString::fromLocal8Bit((env_.ctx.AppFolder + "Profils").c_str());
}

std::optional<std::string> ProfileEditor::NameOfFile(const QString& path) {
  const QString folder = QDir(ProfilsFolder()).absolutePath() + QLatin1Char('/');
  const QString file = QFileInfo(path).absoluteFilePath();
  const char* refusal = nullptr;
  if (!file.startsWith(folder)) {
    refusal = "Un profil doit se trouver dans le dossier Profils (ou l'un de ses sous-dossiers).";
  } else if (!file.endsWith(QStringLiteral(".ini")) || file.size() == folder.size() + 4) {
    refusal = "Un profil est un fichier d'extension .ini.";
  }
  if (refusal != nullptr) {
    QtUiPort::RunMessageBox(this, {std::string(refusal) + "\r\nLe profil n'a pas \xE9t\xE9 chang\xE9.", "ORVI",
                                   MsgIcon::Warning, MsgButtons::Ok});
    return std::nullopt;
  }
  const QString relative = file.mid(folder.size() - 1, file.size() - folder.size() + 1 - 4);
  return QFile::encodeName(relative).toStdString();
}

namespace {

QFileDialog* ProfileDialog(QWidget* parent, const QString& folder, bool save) {
  auto* dialog = new QFileDialog(parent,
                                 save ? QStringLiteral("Sauvegarder un profil de recherche")
                                      : QStringLiteral("Charger un profil de recherche"),
                                 folder, QStringLiteral("fichiers ini (*.ini)"));
  dialog->setObjectName(save ? QStringLiteral("SaveProfileDialog") : QStringLiteral("OpenProfileDialog"));
  SetUpFileDialog(*dialog);
  dialog->setAttribute(Qt::WA_DeleteOnClose, false);
  dialog->setDefaultSuffix(QStringLiteral("ini"));
  dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog->setOption(QFileDialog::ReadOnly, false);
  return dialog;
}

}  // namespace

void ProfileEditor::OpenFile() {
  std::unique_ptr<QFileDialog> dialog(ProfileDialog(this, ProfilsFolder(), false));
  if (ExecOverParent(*dialog) != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return;
  std::optional<std::string> name = NameOfFile(dialog->selectedFiles().front());
  if (!name) return;
  name_ = *name;
  Load();
}

void ProfileEditor::SaveTo(const std::string& name) {
  Context& ctx = env_.ctx;
  for (EditorPage* page : pages_) {
    if (page->Made()) page->FromPage(ctx.editorProfile);
  }
  const std::string path = ProfilePath(ctx.AppFolder, name);
  if (!SaveSearchProfile(path, ctx.editorProfile)) {
    // Saying nothing would let the user believe the changes are kept.
    QtUiPort::RunMessageBox(this, {"Le profil n'a pas pu \xEAtre enregistr\xE9 :\r\n" + path, "ORVI",
                                   MsgIcon::Error, MsgButtons::Ok});
  }
}

void ProfileEditor::Save() {
  if (name_.empty()) {
    SaveAs();
    return;
  }
  SaveTo(name_);
}

void ProfileEditor::SaveAs() {
  std::unique_ptr<QFileDialog> dialog(ProfileDialog(this, ProfilsFolder(), true));
  if (ExecOverParent(*dialog) != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return;
  std::optional<std::string> name = NameOfFile(dialog->selectedFiles().front());
  if (!name) return;
  name_ = *name;
  SaveTo(name_);
  setWindowTitle(ToQt("Profil : " + name_));
}

void ProfileEditor::Delete() {
  const MessageSpec question{"Voulez-vous supprimer d\xE9" "finitivement cette recherche ?", "Supprimer un fichier",
                             MsgIcon::Question, MsgButtons::YesNo, MsgAnswer::No};
  if (QtUiPort::RunMessageBox(this, question) != MsgAnswer::Yes) return;
  if (!name_.empty()) std::remove(ProfilePath(env_.ctx.AppFolder, name_).c_str());
  name_.clear();
  Load();
}

}  // namespace orvi::ui
