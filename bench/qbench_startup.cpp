// What the farmer waits for at start-up on a large farm: from the OK of the
// folder dialog to the filled N worksheet on screen, 2,000 fields per year.
// One measured start-up per process, as a real start pays for fresh memory.
//
//   cmake -S . -B build-qbench -DCMAKE_BUILD_TYPE=Release -DKV4_BUILD_BENCH=ON
//   cmake --build build-qbench --target qbench_startup -j2
//   for i in 1 2 3 4 5; do QT_QPA_PLATFORM=offscreen build-qbench/bench/qbench_startup; done
//
// Prints the milliseconds; with KV4_TIMING=1 the window's own log line as well.
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <string>

#include "app/StringGrid.h"
#include "app/UKV4_N_Bedarf.h"
#include "data/FileAccess.h"
#include "dialogs/Seams.h"
#include "dialogs/Zugang.h"
#include "support/LargeFarm.h"
#include "support/RecordWriter.h"

namespace {

constexpr int kFields = 2000;
using Clock = std::chrono::steady_clock;

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    kv4test::TempDir dir;
    kv4test::WriteLargeFarm(dir.path(), kFields);
    const std::string folder = kv4::PathToUtf8(dir.path());
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

    TForm1 form;
    Clock::time_point ok;
    double milliseconds = -1;
    kv4gui::SetModalHook([&](QDialog& dialog) {
        if (auto* zugang = qobject_cast<kv4gui::TFZugang*>(&dialog)) {
            // After the start-up has run: the N worksheet is then painted.
            QTimer::singleShot(0, &form, [&] {
                form.StringGrid1->viewport()->repaint();
                milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - ok).count();
                application.quit();
            });
            ok = Clock::now();
            zugang->BitBtn1->click();
        } else {
            dialog.accept();
        }
        return dialog.result();
    });
    form.resize(1091, 657);
    form.show();
    application.exec();
    kv4gui::SetModalHook({});
    if (form.NSheet().RowCount() < kFields || milliseconds < 0) {
        std::fprintf(stderr, "qbench_startup: the N worksheet was not filled\n");
        return 1;
    }
    std::printf("folder dialog OK to filled N worksheet: %.1f ms (%d rows)\n", milliseconds,
                form.NSheet().RowCount() - 2);
    return 0;
}
