#include "ui/qt/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

#include "ui/qt/ui_texts.h"

namespace zentory {

std::unique_ptr<QTranslator> LoadJapaneseQtTexts(std::string& missing) {
  auto translator = std::make_unique<QTranslator>();
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  if (!translator->load(QStringLiteral("qtbase_ja"), folder)) {
    missing = ui_texts::kNoJapaneseQtTexts;
    missing += " (";
    missing += folder.toStdString();
    missing += ")";
    return nullptr;
  }
  QCoreApplication::installTranslator(translator.get());
  return translator;
}

}  // namespace zentory
