#include "ui/app_setup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "ui/common.h"

namespace orvi::ui {

void SetUpApplication(QApplication& app) {
  QApplication::setApplicationName(QStringLiteral("Orvilane"));
  QApplication::setWindowIcon(ProgramIcon());
  // The program speaks French; so do the file dialogs it borrows from Qt
  // (their texts, and the file types, which follow the default language).
  QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
  auto* translator = new QTranslator(&app);
  if (translator->load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(translator);
  }
}

}  // namespace orvi::ui
