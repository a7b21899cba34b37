#include "ui/scan_dialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "ui/common.h"
#include "ui/control_table.h"

namespace orvi::ui {

namespace {

enum Box { kDialog, kFiles, kKinds, kOthers, kExploration, kButtons };
constexpr BoxRow kBoxes[] = {
    {.key = kDialog, .kind = BoxKind::Column},
    {.key = kFiles, .kind = BoxKind::Column},
    {.key = kKinds, .kind = BoxKind::Row, .at = {kFiles, 0}},
    {.kind = BoxKind::Stretch, .at = {kKinds, 2}},
    {.key = kOthers, .kind = BoxKind::Row, .at = {kFiles, 1}},
    {.key = kExploration, .kind = BoxKind::Column},
    {.key = kButtons, .kind = BoxKind::Row, .at = {kDialog, 5}},
    {.kind = BoxKind::Stretch, .at = {kButtons, 0}},
};

// The dialog's controls, in keyboard order.
constexpr ControlRow kControls[] = {
    {.kind = Kind::Note, .text = "ORVI peut analyser et tester tous les liens de fichiers présents dans une page web.",
     .at = {kDialog, 0}},
    {.text = "Adresse de la page :", .at = {kDialog, 1}, .flags = kBuddy},
    {.id = ScanDialog::kAddress, .kind = Kind::Edit, .at = {kDialog, 2}, .limit = 239},
    {.kind = Kind::Group, .text = "Fichiers recherchés", .at = {kDialog, 3}, .holds = kFiles},
    {.id = ScanDialog::kArchives, .kind = Kind::Check, .text = "Archives (zip/rar/ace)", .at = {kKinds, 0}},
    {.id = ScanDialog::kExecutables, .kind = Kind::Check, .text = "Exécutables", .at = {kKinds, 1}},
    {.text = "Autres extensions de fichiers :", .at = {kOthers, 0}, .flags = kBuddy},
    {.id = ScanDialog::kExtensions, .kind = Kind::Edit, .at = {.box = kOthers, .row = 1, .stretch = 1},
     .limit = ScanDialog::kMaxExtensionsText},
    {.text = "(séparer par des virgules)", .at = {kOthers, 2}},
    {.id = ScanDialog::kSmartArchives, .kind = Kind::Check, .text = "Smart Archive Detection", .at = {kFiles, 2}},
    {.kind = Kind::Note,
     .text = "Activer si la page peut contenir des fichiers archives avec une extension non standard",
     .at = {kFiles, 3}},
    {.kind = Kind::Group, .text = "Exploration", .at = {kDialog, 4}, .holds = kExploration},
    {.id = ScanDialog::kWholeSite, .kind = Kind::Check, .text = "Rechercher également sur toutes les pages du site",
     .at = {kExploration, 0}},
    {.id = ScanDialog::kGo, .kind = Kind::Button, .text = "Go !", .at = {kButtons, 1}, .flags = kDefault | kAutoDefault},
    {.id = ScanDialog::kCancel, .kind = Kind::Button, .text = "Annuler", .at = {kButtons, 2}, .flags = kNoAutoDefault},
};

// The boxes and the choices they keep from one opening to the next.
struct ChoiceBox {
  int id;
  bool ScanChoices::*choice;
};
constexpr ChoiceBox kChoices[] = {{ScanDialog::kArchives, &ScanChoices::archives},
                                  {ScanDialog::kExecutables, &ScanChoices::executables},
                                  {ScanDialog::kSmartArchives, &ScanChoices::smartArchives},
                                  {ScanDialog::kWholeSite, &ScanChoices::wholeSite}};

}  // namespace

ScanDialog::ScanDialog(GuiEnv& env, QWidget* parent) : QDialog(parent), env_(env) {
  setObjectName(QStringLiteral("TScan"));
  setWindowTitle(QStringLiteral("Analyse de page web"));
  PaintBackground(this, env.ctx.settings.ColorDialog);
  Build(this, {.controls = kControls, .boxes = kBoxes});
  setMinimumWidth(520);
  connect(Control<QPushButton>(kGo), &QPushButton::clicked, this, &QDialog::accept);
  connect(Control<QPushButton>(kCancel), &QPushButton::clicked, this, &QDialog::reject);
  address_ = Control<QLineEdit>(kAddress);
  extensions_ = Control<QLineEdit>(kExtensions);
  for (const ChoiceBox& box : kChoices) Control<QCheckBox>(box.id)->setChecked(env_.scan.*box.choice);
  extensions_->setText(ToQt(env_.scan.extensions));
  address_->setFocus();
}

void ScanDialog::accept() {
  ScanChoices& c = env_.scan;
  c.extensions = FromQt(extensions_->text()).substr(0, kMaxExtensionsText);
  for (const ChoiceBox& box : kChoices) c.*box.choice = Control<QCheckBox>(box.id)->isChecked();
  choices_ = {FromQt(address_->text()), c.archives, c.executables, c.smartArchives, c.wholeSite, c.extensions};
  QDialog::accept();
}

bool ScanDialog::Run(GuiEnv& env, QWidget* parent, PageAnalysisChoices& choices) {
  ScanDialog dialog(env, parent);
  if (ExecOverParent(dialog) != QDialog::Accepted) return false;
  choices = dialog.Choices();
  return true;
}

}  // namespace orvi::ui
