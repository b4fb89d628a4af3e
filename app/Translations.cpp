#include "app/Translations.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

namespace kv4gui {

bool InstallGermanQtTranslations(QApplication& app) {
    if (QLocale::system().language() != QLocale::German) return false;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_de"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QApplication::installTranslator(translator.get())) {
        return false;
    }
    // The application keeps the translator until it ends.
    translator.release()->setParent(&app);
    return true;
}

}  // namespace kv4gui
