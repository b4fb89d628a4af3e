// What the farmer waits for at start-up on a large farm: from the OK of the
// folder dialog to the filled N worksheet on screen. One measured start-up
// per process, as a real start pays for fresh memory; the farm is written
// beforehand by another process, so this one has touched nothing of it.
//
//   build/bench/bench_fill --write-farm 2000 /tmp/farm2000
//   for i in 1 2 3 4 5; do
//     QT_QPA_PLATFORM=offscreen KV4_TIMING=1 build/bench/qbench_startup /tmp/farm2000
//   done
//
// Prints the milliseconds; with KV4_TIMING=1 the window's own log line as well.
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <string>

#include "app/MainWindow.h"
#include "app/WorksheetView.h"
#include "data/FileAccess.h"
#include "dialogs/DataFolderDialog.h"
#include "dialogs/ModalDialogs.h"
#include "farmwriter/RecordWriter.h"
#include "support/TempDir.h"

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: qbench_startup FARM-FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    kv4test::TempDir dir;
    // The registry file names the farm; the dialog offers it and OK takes it.
    const std::string registry = kv4::PathToUtf8(dir.path() / "user.reg");
    {
        QFile out(QString::fromStdString(registry));
        if (!out.open(QIODevice::WriteOnly)) return 1;
        out.write(
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Agrar\\Kornavis.INI\\Setup]\r\n"
            "\"Daten\"=\"" +
            QByteArray::fromStdString(folder) + "\"\r\n\r\n");
    }
    qputenv("KV4_REGISTRY", QByteArray::fromStdString(registry));

    kv4::Worksheets worksheets;
    kv4gui::MainWindow form(worksheets);
    Clock::time_point ok;
    double milliseconds = -1;
    kv4gui::SetModalHook([&](QDialog& dialog) {
        if (auto* folderDialog = qobject_cast<kv4gui::DataFolderDialog*>(&dialog)) {
            // After the start-up has run: the N worksheet is then painted.
            QTimer::singleShot(0, &form, [&] {
                form.findChild<kv4gui::WorksheetView*>(QStringLiteral("nView"))
                    ->viewport()
                    ->repaint();
                milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - ok).count();
                application.quit();
            });
            ok = Clock::now();
            folderDialog->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        } else {
            dialog.accept();
        }
        return dialog.result();
    });
    form.resize(1091, 657);
    form.show();
    QTimer::singleShot(0, &form, [&form] { form.Start(); });
    application.exec();
    kv4gui::SetModalHook({});
    if (form.NSheet().RowCount() <= 2 || milliseconds < 0) {
        std::fprintf(stderr, "qbench_startup: the N worksheet of %s was not filled\n",
                     form.DataFolder().c_str());
        return 1;
    }
    std::printf("folder dialog OK to filled N worksheet: %.1f ms (%d rows)\n", milliseconds,
                form.NSheet().RowCount() - 2);
    return 0;
}
