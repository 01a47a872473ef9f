// Qt's own dialog texts (file dialogs, overwrite question, buttons) in Japanese.
#pragma once

#include <QTranslator>
#include <memory>
#include <string>

namespace zentory {

// Loads Qt's Japanese catalogue whatever the desktop's language is, since every other text of
// the program is Japanese. Returns nullptr and sets `missing` when the catalogue is not there.
std::unique_ptr<QTranslator> LoadJapaneseQtTexts(std::string& missing);

}  // namespace zentory
