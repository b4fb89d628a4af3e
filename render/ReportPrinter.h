#pragma once
// Paints the report pages of the core on a paged device: the window's
// printer or the export tool's PDF writer.
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QString>
#include <stdexcept>

#include "render/QtText.h"
#include "worksheets/ReportLayout.h"

namespace kv4gui {

// The printer cannot be opened (no printer, unwritable file). Escapes the
// print handler to the standard error box.
class PrintError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The message of a print that cannot start.
inline constexpr const char* kNoPrinterText = "Zur Zeit ist kein Standard-Drucker gewählt";

// The fixed offsets of the page scheme are meant for this resolution.
inline constexpr int kReportResolution = 600;

// Landscape, and 600 dots per inch where the printer allows it. A template
// because the resolution belongs to QPrinter and QPdfWriter, not to their
// common base.
template <class Device>
void PrepareReportPrinter(Device& device) {
    device.setPageOrientation(QPageLayout::Landscape);
    if (device.resolution() != kReportResolution) device.setResolution(kReportResolution);
}

// The pages for the printable area of `device` (call PrepareReportPrinter
// first). `lineStep` is the main window's logicalDpiY().
kv4::ReportPages LayoutForPrinter(const QPagedPaintDevice& device, const kv4::Worksheet& sheet,
                                  kv4::ReportKind kind, const kv4::ReportHeader& header,
                                  int lineStep);

// The program and its version, named as the creator of a report's document.
QString ReportCreator();

// Paints `pages` as one document. A text wider than it may be is set smaller,
// down to kMinPointSize, and cut with "…" where it may be cut. False when the
// device cannot be opened; nothing is printed then.
bool PaintReport(QPagedPaintDevice& device, const kv4::ReportPages& pages);

// PaintReport, with the worksheet's title and the program as the document's
// title and creator where the device keeps them (QPrinter, QPdfWriter): a
// template, as only those two classes know them, and not their common base.
template <class Device>
bool PrintReport(Device& device, const kv4::ReportPages& pages) {
    const QString title = pages.pages.empty() ? QString() : ToQString(pages.pages.front().title);
    if constexpr (requires { device.setDocName(title); }) {
        device.setDocName(title);
        device.setCreator(ReportCreator());
    } else if constexpr (requires { device.setTitle(title); }) {
        device.setTitle(title);
        device.setCreator(ReportCreator());
    }
    return PaintReport(device, pages);
}

// Prepares the device, lays out the report and prints it. Throws PrintError
// (kNoPrinterText) when the device cannot be opened, or when it is a printer
// that the system does not know.
template <class Device>
void PrintWorksheet(Device& device, const kv4::Worksheet& sheet, kv4::ReportKind kind,
                    const kv4::ReportHeader& header, int lineStep) {
    PrepareReportPrinter(device);
    if constexpr (requires { device.isValid(); }) {
        if (!device.isValid()) throw PrintError(kNoPrinterText);
    }
    const kv4::ReportPages pages = LayoutForPrinter(device, sheet, kind, header, lineStep);
    if (!PrintReport(device, pages)) throw PrintError(kNoPrinterText);
}

// The report as a PDF file on A4 landscape at 600 dots per inch. False when
// the file cannot be written.
bool WriteReportPdf(const QString& fileName, const kv4::Worksheet& sheet, kv4::ReportKind kind,
                    const kv4::ReportHeader& header, int lineStep = kv4::kStandardLineStep);

}  // namespace kv4gui
