#include "ui/statistics_dialog.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "explore/statistics.h"
#include "ui/common.h"
#include "ui/control_table.h"

namespace orvi::ui {
namespace {

enum Box { kDialog, kCounts, kButtons };
constexpr BoxRow kBoxes[] = {
    {.key = kDialog, .kind = BoxKind::Column},
    {.key = kCounts, .kind = BoxKind::Grid, .stretchColumn = 0},
    {.key = kButtons, .kind = BoxKind::Row, .at = {kDialog, 2}},
    {.kind = BoxKind::Stretch, .at = {kButtons, 0}},
};

// A way of finding pages (FoundBy code i + 1, its label the window's text
// i), and its count.
constexpr ControlRow Choice(int i) {
  return {.id = StatisticsDialog::kFirstChoice + i, .kind = Kind::Radio, .at = {kCounts, i, 0}, .arg = i};
}
constexpr ControlRow Count(int i) {
  return {.id = StatisticsDialog::kFirstCount + i, .kind = Kind::Field, .at = {kCounts, i, 1}, .flags = kNoFocus,
          .width = 70, .align = Qt::AlignRight};
}

// The dialog's controls, in keyboard order.
constexpr ControlRow kControls[] = {
    {.kind = Kind::Group, .text = "Statistiques des ajout d'URL pendant la recherche", .at = {kDialog, 0},
     .holds = kCounts},
    Choice(0), Choice(1), Choice(2), Choice(3), Choice(4), Choice(5),
    Count(0), Count(1), Count(2), Count(3), Count(4), Count(5),
    {.id = StatisticsDialog::kList, .kind = Kind::List, .at = {.box = kDialog, .row = 1, .stretch = 1}},
    {.id = StatisticsDialog::kClose, .kind = Kind::Button, .text = "Fermer", .at = {kButtons, 1}, .flags = kDefault},
};

}  // namespace

StatisticsDialog::StatisticsDialog(GuiEnv& env) : QDialog(nullptr), env_(env) {
  setObjectName(QStringLiteral("Tstat"));
  setWindowTitle(QStringLiteral("Statistiques recherche en cours"));
  setWindowIcon(ProgramIcon());
  PaintBackground(this, env.ctx.settings.ColorDialog);
  std::vector<QString> labels;
  for (int i = 0; i < 6; ++i) labels.push_back(ToQt(FoundByLabel(static_cast<FoundBy>(i + 1))));
  Build(this, {.controls = kControls, .boxes = kBoxes, .args = labels});
  for (int i = 0; i < 6; ++i) {
    choices_[static_cast<size_t>(i)] = Control<QRadioButton>(kFirstChoice + i);
    counts_[static_cast<size_t>(i)] = Control<QLineEdit>(kFirstCount + i);
    connect(choices_[static_cast<size_t>(i)], &QRadioButton::clicked, this, [this] { RefreshList(); });
  }
  list_ = Control<QListWidget>(kList);
  connect(Control<QPushButton>(kClose), &QPushButton::clicked, this, &QDialog::close);
  resize(520, 460);

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
