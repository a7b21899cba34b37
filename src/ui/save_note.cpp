#include "ui/save_note.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>

namespace orvi::ui {

SaveNote::SaveNote(QWidget* owner) : QFrame(owner, Qt::Tool | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("SaveNote"));
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setLineWidth(1);
  setAutoFillBackground(true);
  auto* icon = new QLabel(this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_DialogSaveButton).pixmap(24, 24));
  auto* text = new QLabel(QString::fromUtf8("Sauvegarde de l'état de la recherche ..."), this);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(10, 6, 14, 6);
  layout->addWidget(icon);
  layout->addWidget(text);
  adjustSize();
  if (owner) {
    QPoint centre = owner->mapToGlobal(owner->rect().center());
    move(centre - rect().center());
  }
}

}  // namespace orvi::ui
