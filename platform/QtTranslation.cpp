#include "platform/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

std::string QtTranslationsFolder() {
  return QLibraryInfo::path(QLibraryInfo::TranslationsPath).toStdString();
}

bool InstallQtJapanese(std::string& error, const std::string& folder) {
  QCoreApplication* application = QCoreApplication::instance();
  if (!application) {
    error = "no application to translate";
    return false;
  }
  const QString where = QString::fromStdString(folder.empty() ? QtTranslationsFolder() : folder);
  auto* translator = new QTranslator(application);
  if (!translator->load("qtbase_ja", where)) {
    delete translator;
    error = "qtbase_ja.qm is not in " + where.toStdString();
    return false;
  }
  QCoreApplication::installTranslator(translator);
  return true;
}
