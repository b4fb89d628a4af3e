#include <QDir>
#include <QLineEdit>
#include <QPageRanges>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <algorithm>

#include "app/MainWindow.h"
#include "app/WorksheetView.h"
#include "dialogs/ModalDialogs.h"
#include "render/QtText.h"
#include "render/ReportPrinter.h"
#include "worksheets/DocumentName.h"
#include "worksheets/ReportLayout.h"

namespace kv4gui {

namespace {

// The pages the farmer asked for in the print dialog, in the order they go
// to the printer: the chosen page range, and the copies that the printer
// does not make itself (a PDF file, or a printer without copies of its own),
// as whole sets when collated and page by page otherwise.
kv4::ReportPages PagesToPrint(const QPrinter& printer, const kv4::ReportPages& report) {
    const QPageRanges ranges = printer.pageRanges();
    const bool allPages = printer.printRange() != QPrinter::PageRange || ranges.isEmpty();
    std::vector<const kv4::ReportPage*> chosen;
    for (std::size_t i = 0; i < report.pages.size(); ++i)
        if (allPages || ranges.contains(static_cast<int>(i) + 1))
            chosen.push_back(&report.pages[i]);

    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(printer.copyCount(), 1);
    kv4::ReportPages out;
    if (printer.collateCopies()) {
        for (int copy = 0; copy < copies; ++copy)
            for (const kv4::ReportPage* page : chosen) out.pages.push_back(*page);
    } else {
        for (const kv4::ReportPage* page : chosen)
            for (int copy = 0; copy < copies; ++copy) out.pages.push_back(*page);
    }
    return out;
}

// Names the print job, and proposes "<name>.pdf" in the documents folder
// for printing to a file. Qt's own print dialog (Linux) shows the printer's
// output file for its "Print to File (PDF)" entry; setting one switches the
// printer to PDF, so the printer chosen before is chosen again and the
// proposal waits for the farmer to pick the file. Native dialogs elsewhere
// would take an output file as "print to file" on a real printer, and name a
// PDF after the job by themselves.
void NameDocument(QPrinter& printer, const QString& name) {
    printer.setDocName(name);
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty()) folder = QDir::homePath();
    const QPrinter::OutputFormat format = printer.outputFormat();
    const QString printerName = printer.printerName();
    printer.setOutputFileName(QDir(folder).filePath(name + QStringLiteral(".pdf")));
    if (format == QPrinter::NativeFormat) printer.setPrinterName(printerName);
#endif
}

}  // namespace

void MainWindow::PrintShownWorksheet() {
    // The visible worksheet is printed. Its own flag decides, not whether it
    // is on screen: before the first switch both grids count as visible, and
    // then it is the N report.
    const bool nReport = !nView_->isHidden();
    const kv4::Worksheet& sheet = nReport ? nSheet_ : pSheet_;
    const kv4::ReportKind kind = nReport ? kv4::ReportKind::N : kv4::ReportKind::P2O5;
    const kv4::ReportHeader header{ToStdString(farmNameEdit_->text()),
                                   ToStdString(farmNumberEdit_->text()),
                                   ToStdString(dateEdit_->text())};

    QPrinter printer(QPrinter::HighResolution);
    NameDocument(printer, ToQString(kv4::ReportDocumentName(kind, header.farmName)));
    // The dialog shows the page as it will be printed, and the pages the
    // report has on it.
    PrepareReportPrinter(printer);
    QPrintDialog printDialog(&printer, this);
    // There is no selection and no current page in a report.
    printDialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    printDialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    printDialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    printDialog.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
    const auto pageCount = static_cast<int>(
        LayoutForPrinter(printer, sheet, kind, header, logicalDpiY()).pages.size());
    printDialog.setMinMax(1, std::max(pageCount, 1));
    // A cancelled dialog prints nothing: the user who backs out of the
    // printer choice does not want paper.
    if (ExecModal(printDialog) != QDialog::Accepted) return;

    // The page may have changed in the dialog.
    PrepareReportPrinter(printer);
    // A printer that cannot be opened throws PrintError; the standard error
    // box shows it.
    if (!printer.isValid()) throw PrintError(kNoPrinterText);
    const kv4::ReportPages pages =
        PagesToPrint(printer, LayoutForPrinter(printer, sheet, kind, header, logicalDpiY()));
    // A range beyond the report's last page asks for no paper.
    if (pages.pages.empty()) return;
    if (!PrintReport(printer, pages)) throw PrintError(kNoPrinterText);
    // On paper: what was entered is kept there, and this farm's header for
    // the next start.
    RememberSession();
    MarkSaved();
}

}  // namespace kv4gui
