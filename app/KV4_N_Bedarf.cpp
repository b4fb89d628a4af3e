// Program entry: the application and its main window.
#include <QApplication>

#include "app/Translations.h"
#include "app/UKV4_N_Bedarf.h"
#include "dialogs/Seams.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // The application title, which also captions the standard error box. It
    // is not set as the display name: Qt would append that to every window
    // caption, the main window's and the message boxes' alike.
    QApplication::setApplicationName(kv4gui::kApplicationTitle);
    // The printer dialog is Qt's own: German on a German system.
    kv4gui::InstallGermanQtTranslations(application);

    TForm1 form;
    form.show();
    return application.exec();
}
