#include "ui/file_dialog.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QSplitter>
#include <QTreeView>

#include <array>

namespace orvi::ui {
namespace {

constexpr int kSizeColumn = 1;
constexpr int kTypeColumn = 2;
constexpr int kDateColumn = 3;

// Qt's file model writes sizes and dates in the system's language (English
// on a system left in C), and folders as "Folder": these columns are given
// in French here, sizes in the units a French user reads (octets, Ko, Mo).
class FrenchFileColumns final : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;

  QVariant data(const QModelIndex& index, int role) const override {
    auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
    if (role != Qt::DisplayRole || files == nullptr || index.column() < kSizeColumn) {
      return QIdentityProxyModel::data(index, role);
    }
    const QModelIndex source = mapToSource(index);
    const QLocale french(QLocale::French, QLocale::France);
    switch (index.column()) {
      case kSizeColumn: return files->isDir(source) ? QString() : Size(files->size(source), french);
      case kTypeColumn:
        if (files->isDir(source)) return QStringLiteral("Dossier");
        break;
      case kDateColumn: return french.toString(files->lastModified(source), QLocale::ShortFormat);
      default: break;
    }
    return QIdentityProxyModel::data(index, role);
  }

 private:
  static QString Size(qint64 bytes, const QLocale& french) {
    if (bytes < 1024) return QStringLiteral("%1 octet%2").arg(bytes).arg(bytes > 1 ? "s" : "");
    static constexpr std::array<const char*, 4> kUnits = {"Ko", "Mo", "Go", "To"};
    double value = static_cast<double>(bytes) / 1024;
    size_t unit = 0;
    for (; value >= 1024 && unit + 1 < kUnits.size(); ++unit) value /= 1024;
    return french.toString(value, 'f', value < 10 ? 1 : 0) + QLatin1Char(' ') + QLatin1String(kUnits[unit]);
  }
};

}  // namespace

void SetUpFileDialog(QFileDialog& dialog) {
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setProxyModel(new FrenchFileColumns(&dialog));
  // Wide enough for the French column titles and places.
  dialog.resize(820, 480);
  if (auto* splitter = dialog.findChild<QSplitter*>()) splitter->setSizes({170, 650});
  if (auto* details = dialog.findChild<QTreeView*>()) {
    QHeaderView* header = details->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    const int widths[] = {0, 80, 140, 150};  // "398 Ko", "document texte brut", "Dernière modification"
    for (int c = kSizeColumn; c <= kDateColumn; ++c) header->resizeSection(c, widths[c]);
  }
}

}  // namespace orvi::ui
