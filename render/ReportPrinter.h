#pragma once
// Paints the report pages of the core on a printer or into a PDF file.
#include <QString>
#include <stdexcept>

#include "worksheets/ReportLayout.h"

class QPrinter;

namespace kv4gui {

// The printer cannot be opened (no printer, unwritable file). Escapes the
// print handler to the standard error box.
class PrintError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The message of a print that cannot start.
inline constexpr const char* kNoPrinterText = "Zur Zeit ist kein Standard-Drucker gewählt";

// Landscape, and 600 dots per inch where the printer allows it: the fixed
// offsets of the page scheme are meant for that resolution.
void PrepareReportPrinter(QPrinter& printer);

// The pages for the printable area of `printer` (call PrepareReportPrinter
// first). `lineStep` is the main window's logicalDpiY().
kv4::ReportPages LayoutForPrinter(const QPrinter& printer, const kv4::Worksheet& sheet,
                                  kv4::ReportKind kind, const kv4::ReportHeader& header,
                                  int lineStep);

// Paints `pages` as one document. False when the printer cannot be opened;
// nothing is printed then.
bool PrintReport(QPrinter& printer, const kv4::ReportPages& pages);

// Prepares the printer, lays out the report and prints it. Throws PrintError
// (kNoPrinterText) when the printer cannot be opened.
void PrintWorksheet(QPrinter& printer, const kv4::Worksheet& sheet, kv4::ReportKind kind,
                    const kv4::ReportHeader& header, int lineStep);

// The report as a PDF file on A4 landscape at 600 dots per inch. False when
// the file cannot be written.
bool WriteReportPdf(const QString& fileName, const kv4::Worksheet& sheet, kv4::ReportKind kind,
                    const kv4::ReportHeader& header, int lineStep = kv4::kStandardLineStep);

}  // namespace kv4gui
