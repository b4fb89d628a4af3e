// Program entry: the application and its main window.
#include <QApplication>

#include "app/MainWindow.h"
#include "app/Translations.h"
#include "dialogs/ModalDialogs.h"
#include "worksheets/Worksheet.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // The application title, which also captions the standard error box. It
    // is not set as the display name: Qt would append that to every window
    // caption, the main window's and the message boxes' alike.
    QApplication::setApplicationName(kv4gui::kApplicationTitle);
    // Where the user's settings (window place, farm headers) are kept.
    QApplication::setOrganizationName(QStringLiteral("kv4-n-bedarf"));
    // The printer dialog is Qt's own: German on a German system.
    kv4gui::InstallGermanQtTranslations(application);

    kv4::Worksheets worksheets;  // outlives the window that shows them
    kv4gui::MainWindow window(worksheets);
    window.show();
    // From the event loop, so the window is on screen under its dialogs.
    QMetaObject::invokeMethod(&window, &kv4gui::MainWindow::Start, Qt::QueuedConnection);
    return application.exec();
}
