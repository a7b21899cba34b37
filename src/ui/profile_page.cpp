#include "ui/profile_page.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>

#include <vector>

#include "search/profile_file.h"
#include "ui/common.h"
#include "ui/profile_editor.h"

namespace orvi::ui {
namespace {

int NumberIn(const QLineEdit* edit) { return edit->text().trimmed().toInt(); }

// Multi-line texts are stored with CR LF; the edit works with LF.
QString ShownText(const std::string& text) { return ToQt(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }
std::string StoredText(const QString& text, size_t max) {
  QString t = text;
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return FromQt(t).substr(0, max);
}

// A slider whose moves write position x step into its edit.
void Couple(QSlider* slider, QLineEdit* edit, int step) {
  QObject::connect(slider, &QSlider::sliderMoved, edit,
                   [edit, step](int v) { edit->setText(QString::number(v * step)); });
  QObject::connect(slider, &QSlider::valueChanged, edit, [slider, edit, step](int v) {
    // Keyboard and page steps move the slider without a drag.
    if (!slider->isSliderDown()) edit->setText(QString::number(v * step));
  });
}

}  // namespace

EditorPage::EditorPage(ProfileEditor& editor, const PageTable& table)
    : editor_(editor), windowId_(table.windowId), title_(Utf8(table.title)), fields_(table.fields) {
  setObjectName(QStringLiteral("page%1").arg(windowId_));
  PaintBackground(this, editor.ctx().settings.ColorProfil);
  Build(this, {.controls = table.controls, .boxes = table.boxes});
  for (const FieldBinding& b : fields_) {
    if (b.how == Bound::Scaled) Couple(Control<QSlider>(b.id), Control<QLineEdit>(b.partner), b.step);
  }
}

void EditorPage::ToPage(const SearchProfile& p) {
  {
    // No control's rule runs while the record goes in; the page's rules run once after.
    std::vector<QSignalBlocker> quiet;
    quiet.reserve(ControlIds().size());
    for (int id : ControlIds()) quiet.emplace_back(ControlById(id));
    for (const FieldBinding& b : fields_) Show(b, p);
  }
  Shown(p);
}

void EditorPage::Show(const FieldBinding& b, const SearchProfile& p) {
  auto box = [&](int id, bool on) { Control<QAbstractButton>(id)->setChecked(on); };
  auto edit = [&](int id, const QString& text) { Control<QLineEdit>(id)->setText(text); };
  switch (b.how) {
    case Bound::Check: box(b.id, p.*b.flag); break;
    case Bound::Unchecked: box(b.id, !(p.*b.flag)); break;
    case Bound::Text: edit(b.id, ToQt(p.*b.text)); break;
    case Bound::Lines: Control<QPlainTextEdit>(b.id)->setPlainText(ShownText(p.*b.text)); break;
    case Bound::Number: edit(b.id, QString::number(p.*b.number)); break;
    case Bound::Scaled:
      Control<QSlider>(b.id)->setValue(p.*b.number / b.step);
      edit(b.partner, QString::number(p.*b.number));
      break;
    case Bound::Choice:
      if (b.flag ? p.*b.flag == (b.value != 0) : p.*b.number == b.value) box(b.id, true);
      break;
    case Bound::Gated:
      box(b.id, p.*b.number != 0);
      edit(b.partner, QString::number(p.*b.number));
      break;
    case Bound::Mask:
      for (int r = 0; r < SearchProfile::kKeyRows; ++r) box(b.id + r, Ticked(p.*b.number, r));
      break;
    case Bound::Keys:
      for (int r = 0; r < SearchProfile::kKeyRows; ++r) edit(b.id + r, ToQt(p.Keys[static_cast<size_t>(r)]));
      break;
    case Bound::Extensions: edit(b.id, ToQt(JoinExtensions(p))); break;
  }
}

void EditorPage::FromPage(SearchProfile& p) const {
  for (const FieldBinding& b : fields_) Take(b, p);
  Taken(p);
}

void EditorPage::Take(const FieldBinding& b, SearchProfile& p) const {
  auto ticked = [&](int id) { return Control<QAbstractButton>(id)->isChecked(); };
  auto text = [&](int id) { return Control<QLineEdit>(id)->text(); };
  switch (b.how) {
    case Bound::Check: p.*b.flag = ticked(b.id); break;
    case Bound::Unchecked: p.*b.flag = !ticked(b.id); break;
    case Bound::Text: p.*b.text = FromQt(text(b.id)).substr(0, b.limit); break;
    case Bound::Lines: p.*b.text = StoredText(Control<QPlainTextEdit>(b.id)->toPlainText(), b.limit); break;
    case Bound::Number: p.*b.number = NumberIn(Control<QLineEdit>(b.id)); break;
    case Bound::Scaled: p.*b.number = NumberIn(Control<QLineEdit>(b.partner)); break;
    case Bound::Choice:
      if (!ticked(b.id)) break;
      if (b.flag) p.*b.flag = b.value != 0;
      else p.*b.number = b.value;
      break;
    case Bound::Gated: p.*b.number = ticked(b.id) ? NumberIn(Control<QLineEdit>(b.partner)) : 0; break;
    case Bound::Mask: {
      uint32_t mask = 0;
      for (int r = 0; r < SearchProfile::kKeyRows; ++r) mask |= (ticked(b.id + r) ? 1u : 0u) << r;
      p.*b.number = static_cast<int32_t>(mask);
      break;
    }
    case Bound::Keys:
      for (int r = 0; r < SearchProfile::kKeyRows; ++r) {
        p.Keys[static_cast<size_t>(r)] = FromQt(text(b.id + r)).substr(0, b.limit);
      }
      break;
    case Bound::Extensions: SplitExtensions(FromQt(text(b.id)), p); break;
  }
}

}  // namespace orvi::ui
