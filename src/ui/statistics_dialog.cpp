#include "ui/statistics_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "explore/statistics.h"
#include "ui/common.h"
#include "ui/common.h"

namespace orvi::ui {

StatisticsDialog::StatisticsDialog(GuiEnv& env) : QDialog(nullptr), env_(env) {
  setObjectName(QStringLiteral("Tstat"));
  setWindowTitle(QStringLiteral("Statistiques recherche en cours"));
  setWindowIcon(ProgramIcon());
  PaintBackground(this, env.ctx.settings.ColorDialog);

  auto* group = MakeControl<QGroupBox>(0, QString::fromUtf8("Statistiques des ajout d'URL pendant la recherche"));
  auto* grid = new QGridLayout(group);
  for (int i = 0; i < 6; ++i) {
    auto code = static_cast<FoundBy>(i + 1);
    auto* radio = MakeControl<QRadioButton>(kFirstChoice + i, ToQt(FoundByLabel(code)));
    choices_[static_cast<size_t>(i)] = radio;
    connect(radio, &QRadioButton::clicked, this, [this] { RefreshList(); });
    grid->addWidget(radio, i, 0);
  }
  for (int i = 0; i < 6; ++i) {
    auto* count = MakeControl<QLineEdit>(kFirstCount + i);
    count->setReadOnly(true);
    count->setAlignment(Qt::AlignRight);
    count->setFixedWidth(70);
    count->setFocusPolicy(Qt::NoFocus);
    counts_[static_cast<size_t>(i)] = count;
    grid->addWidget(count, i, 1);
  }
  grid->setColumnStretch(0, 1);
  list_ = MakeControl<QListWidget>(kList);
  list_->setSortingEnabled(false);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  list_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  auto* close = MakeControl<QPushButton>(kClose, QStringLiteral("Fermer"));
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QDialog::close);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addWidget(list_, 1);
  layout->addLayout(buttons);
  resize(520, 460);
  ApplyTabOrder();

  connect(&timer_, &QTimer::timeout, this, [this] { RefreshCounts(); });
  timer_.start(kRefreshMs);
  RefreshCounts();
}

void StatisticsDialog::RefreshCounts() {
  FoundByCounts counts = CountQueueByFoundBy(env_.ctx);
  for (int i = 0; i < 6; ++i) {
    QString text = QString::number(counts[static_cast<FoundBy>(i + 1)]);
    QLineEdit* field = counts_[static_cast<size_t>(i)];
    if (field->text() != text) field->setText(text);
  }
}

void StatisticsDialog::RefreshList() {
  list_->clear();
  int code = 6;
  for (int i = 0; i < 5; ++i) {
    if (choices_[static_cast<size_t>(i)]->isChecked()) {
      code = i + 1;
      break;
    }
  }
  std::vector<std::string> urls = QueueUrlsFoundBy(env_.ctx, static_cast<FoundBy>(code));
  QStringList items;
  items.reserve(static_cast<qsizetype>(urls.size()));
  for (const std::string& url : urls) items << ToQt(url);
  list_->addItems(items);
}

StatisticsDialog* StatisticsDialog::Open(GuiEnv& env) {
  auto* dialog = new StatisticsDialog(env);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->show();
  return dialog;
}

}  // namespace orvi::ui
