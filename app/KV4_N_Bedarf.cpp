// Program entry: the application and its main window.
#include <QApplication>
#include <QCursor>
#include <string>

#include "app/Translations.h"
#include "app/UKV4_N_Bedarf.h"
#include "data/ADECLARE.h"
#include "dialogs/Seams.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // The application title, which also captions the standard error box. It
    // is not set as the display name: Qt would append that to every window
    // caption, the main window's and the message boxes' alike.
    QApplication::setApplicationName(kv4gui::kApplicationTitle);
    // The printer dialog is Qt's own: German on a German system.
    kv4gui::InstallGermanQtTranslations(application);

    // The data layer reports through these: the hourglass while a file is
    // read, and its error messages as message boxes over the active window.
    // Both are in place before the window loads anything.
    kv4::SetBusyHook([](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        else
            QApplication::restoreOverrideCursor();
    });
    kv4::SetErrorMessageHook([](const std::string& text) {
        // A read error comes while the hourglass is up; the box gets the arrow.
        QApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
        kv4gui::ShowErrorMessage(QApplication::activeWindow(), text);
        QApplication::restoreOverrideCursor();
    });

    TForm1 form;
    form.show();
    const int result = application.exec();
    // Nothing may call into Qt once the application object is gone.
    kv4::SetBusyHook({});
    kv4::SetErrorMessageHook({});
    return result;
}
