#pragma once
// Qt's own dialogs and buttons (print dialog, message box buttons) in German.
class QApplication;

namespace kv4gui {

// Loads Qt's German translation when the system language is German. False
// when the language is another or the translation is not installed.
bool InstallGermanQtTranslations(QApplication& app);

}  // namespace kv4gui
