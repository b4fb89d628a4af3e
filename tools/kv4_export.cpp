// kv4-export: the worksheets of a Kornavis 4 data folder as CSV and PDF
// files, built by the same library as the window. Everything but the PDF
// renderer and the regional settings lies in the core (export/).
#include <QByteArray>
#include <QGuiApplication>
#include <QString>
#include <QtGlobal>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "data/FileAccess.h"
#include "export/ExportOptions.h"
#include "export/ExportRun.h"
#include "render/QtText.h"
#include "render/ReportPrinter.h"
#include "render/SystemLocale.h"

namespace {

// The tool speaks German on stderr; Qt's own notes (a missing runtime folder
// on a server, font fallbacks) would only bury its messages. Real failures
// of the renderer show up as a file that cannot be written.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << "kv4-export: " << kv4gui::ToStdString(message) << '\n';
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const kv4::ParsedExportArgs parsed = kv4::ParseExportArgs(args);
    if (!parsed.options) {
        std::cerr << "kv4-export: " << parsed.error << "\nHilfe: kv4-export --help\n";
        return static_cast<int>(kv4::ExportStatus::Failed);
    }
    if (parsed.options->help) {
        std::cout << kv4::ExportUsage();
        return 0;
    }

    // The tool never shows a window; without a platform of the user's
    // choosing it needs no display either.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietQtMessages);
    QGuiApplication app(argc, argv);

    const auto writePdf = [](const std::filesystem::path& file, const kv4::Worksheet& sheet,
                             kv4::ReportKind kind, const kv4::ReportHeader& header) {
        return kv4gui::WriteReportPdf(kv4gui::ToQString(kv4::PathToUtf8(file)), sheet, kind,
                                      header);
    };
    try {
        return static_cast<int>(
            kv4::RunExport(*parsed.options, kv4gui::SystemDecimalSeparator(), writePdf, std::cerr));
    } catch (const std::exception& e) {
        std::cerr << "kv4-export: " << e.what() << '\n';
        return static_cast<int>(kv4::ExportStatus::Failed);
    }
}
