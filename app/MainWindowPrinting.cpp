#include <QDir>
#include <QLineEdit>
#include <QPageRanges>
#include <QPrintDialog>
#include <QPrinter>
#include <QStackedWidget>
#include <QStandardPaths>
#include <algorithm>

#include "app/MainWindow.h"
#include "app/WorksheetView.h"
#include "dialogs/ModalDialogs.h"
#include "render/PageSelection.h"
#include "render/QtText.h"
#include "render/ReportPrinter.h"
#include "worksheets/DocumentName.h"
#include "worksheets/Recalc.h"
#include "worksheets/ReportLayout.h"

namespace kv4gui {

bool MainWindow::ConfirmPrintDespiteStop() {
    // A cell that is no number stops every recalculation there: the rows from
    // it on still show figures of before, which must not reach paper unnoticed.
    const auto stop = kv4::FindRecalcStop(nSheet_, pSheet_, DecimalSeparator());
    if (!stop) return true;
    return AskConfirmation(this,
                           stop->place() + " enthält „" + stop->text() +
                               "“, keine gültige Zahl: Die Ergebnisse ab dieser Zeile sind "
                               "nicht neu berechnet. Trotzdem drucken?",
                           DefaultAnswer::No);
}

namespace {

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
    // A documents folder that was never made would fail the print.
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
    const QPrinter::OutputFormat format = printer.outputFormat();
    const QString printerName = printer.printerName();
    printer.setOutputFileName(QDir(folder).filePath(name + QStringLiteral(".pdf")));
    if (format == QPrinter::NativeFormat) printer.setPrinterName(printerName);
#endif
}

}  // namespace

void MainWindow::PrintShownWorksheet() {
    // The worksheet on screen is printed.
    const bool nReport = worksheetStack_->currentWidget() == nView_;
    const kv4::Worksheet& sheet = nReport ? nSheet_ : pSheet_;
    const kv4::ReportKind kind = nReport ? kv4::ReportKind::N : kv4::ReportKind::P2O5;
    const kv4::ReportHeader header{ToStdString(farmNameEdit_->text()),
                                   ToStdString(farmNumberEdit_->text()),
                                   ToStdString(dateEdit_->text())};

    if (!ConfirmPrintDespiteStop()) return;

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
    const bool pageRange = printer.printRange() == QPrinter::PageRange;
    const kv4::ReportPages pages =
        PagesToPrint(LayoutForPrinter(printer, sheet, kind, header, logicalDpiY()),
                     {.ranges = pageRange ? printer.pageRanges() : QPageRanges(),
                      .copies = printer.copyCount(),
                      .printerMakesCopies = printer.supportsMultipleCopies(),
                      .collate = printer.collateCopies()});
    // A range beyond the report's last page asks for no paper.
    if (pages.pages.empty()) return;
    if (!PrintReport(printer, pages)) throw PrintError(kNoPrinterText);
    // On paper: what was entered is kept there, and this farm's header for
    // the next start.
    RememberSession();
    MarkSaved();
}

}  // namespace kv4gui
