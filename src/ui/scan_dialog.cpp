#include "ui/scan_dialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/qt_text.h"

namespace orvi::ui {

QColor SettingColor(int32_t value) {
  return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

ScanDialog::ScanDialog(GuiEnv& env, QWidget* parent) : QDialog(parent), env_(env) {
  setObjectName(QStringLiteral("TScan"));
  setWindowTitle(QStringLiteral("Analyse de page web"));
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, SettingColor(env.ctx.settings.ColorDialog));
  setPalette(pal);

  auto* intro = MakeControl<QLabel>(0, QString::fromUtf8("ORVI peut analyser et tester tous les liens de fichiers présents dans une page web."));
  intro->setWordWrap(true);
  auto* addressLabel = MakeControl<QLabel>(0, QString::fromUtf8("Adresse de la page :"));
  address_ = MakeControl<QLineEdit>(kAddress);
  address_->setMaxLength(239);
  addressLabel->setBuddy(address_);
  auto* files = MakeControl<QGroupBox>(0, QString::fromUtf8("Fichiers recherchés"));
  archives_ = MakeControl<QCheckBox>(kArchives, QStringLiteral("Archives (zip/rar/ace)"));
  executables_ = MakeControl<QCheckBox>(kExecutables, QString::fromUtf8("Exécutables"));
  auto* extensionsLabel = MakeControl<QLabel>(0, QStringLiteral("Autres extensions de fichiers :"));
  extensions_ = MakeControl<QLineEdit>(kExtensions);
  extensions_->setMaxLength(kMaxExtensionsText);
  extensionsLabel->setBuddy(extensions_);
  auto* separated = MakeControl<QLabel>(0, QString::fromUtf8("(séparer par des virgules)"));
  smartArchives_ = MakeControl<QCheckBox>(kSmartArchives, QStringLiteral("Smart Archive Detection"));
  auto* smartNote = MakeControl<QLabel>(
      0, QStringLiteral("Activer si la page peut contenir des fichiers archives avec une extension non standard"));
  smartNote->setWordWrap(true);
  auto* exploration = MakeControl<QGroupBox>(0, QStringLiteral("Exploration"));
  wholeSite_ = MakeControl<QCheckBox>(kWholeSite, QString::fromUtf8("Rechercher également sur toutes les pages du site"));
  auto* go = MakeControl<QPushButton>(kGo, QStringLiteral("Go !"));
  auto* cancel = MakeControl<QPushButton>(kCancel, QStringLiteral("Annuler"));
  go->setDefault(true);
  go->setAutoDefault(true);
  cancel->setAutoDefault(false);
  connect(go, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* filesLayout = new QVBoxLayout(files);
  auto* kinds = new QHBoxLayout;
  kinds->addWidget(archives_);
  kinds->addWidget(executables_);
  kinds->addStretch();
  filesLayout->addLayout(kinds);
  auto* others = new QHBoxLayout;
  others->addWidget(extensionsLabel);
  others->addWidget(extensions_, 1);
  others->addWidget(separated);
  filesLayout->addLayout(others);
  filesLayout->addWidget(smartArchives_);
  filesLayout->addWidget(smartNote);
  auto* explorationLayout = new QVBoxLayout(exploration);
  explorationLayout->addWidget(wholeSite_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(go);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(intro);
  layout->addWidget(addressLabel);
  layout->addWidget(address_);
  layout->addWidget(files);
  layout->addWidget(exploration);
  layout->addLayout(buttons);
  setMinimumWidth(520);

  const ScanChoices& c = env_.scan;
  archives_->setChecked(c.archives);
  executables_->setChecked(c.executables);
  smartArchives_->setChecked(c.smartArchives);
  wholeSite_->setChecked(c.wholeSite);
  extensions_->setText(ToQt(c.extensions));
  ApplyTabOrder();
  address_->setFocus();
  AttachTo(env_.port);
}

void ScanDialog::accept() {
  ScanChoices& c = env_.scan;
  c.extensions = FromQt(extensions_->text()).substr(0, kMaxExtensionsText);
  c.archives = archives_->isChecked();
  c.executables = executables_->isChecked();
  c.smartArchives = smartArchives_->isChecked();
  c.wholeSite = wholeSite_->isChecked();
  choices_ = {FromQt(address_->text()), c.archives, c.executables, c.smartArchives, c.wholeSite, c.extensions};
  QDialog::accept();
}

bool ScanDialog::Run(GuiEnv& env, QWidget* parent, PageAnalysisChoices& choices) {
  ScanDialog dialog(env, parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  choices = dialog.Choices();
  return true;
}

}  // namespace orvi::ui
