#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>

#include "app/StringGrid.h"
#include "app/UKV4_N_Bedarf.h"
#include "dialogs/Seams.h"
#include "render/QtText.h"
#include "render/ReportPrinter.h"
#include "worksheets/ReportLayout.h"

void TForm1::Btn_PrintClick() {
    // The visible worksheet is printed. Its own flag decides, not whether it
    // is on screen: before the first switch both grids count as visible, and
    // then it is the N report.
    const bool nReport = !StringGrid1->isHidden();

    QPrinter printer(QPrinter::HighResolution);
    // The dialog shows the page as it will be printed.
    kv4gui::PrepareReportPrinter(printer);
    QPrintDialog PrintDialog1(&printer, this);
    // A cancelled dialog prints nothing: the user who backs out of the
    // printer choice does not want paper.
    if (kv4gui::ExecModal(PrintDialog1) != QDialog::Accepted) return;

    const kv4::ReportHeader header{kv4gui::ToStdString(ED_Betriebsname->text()),
                                   kv4gui::ToStdString(ED_Betriebsnummer->text()),
                                   kv4gui::ToStdString(ED_Datum->text())};
    // A printer that cannot be opened throws PrintError; the standard error
    // box shows it.
    kv4gui::PrintWorksheet(printer, nReport ? nSheet_ : pSheet_,
                           nReport ? kv4::ReportKind::N : kv4::ReportKind::P2O5, header,
                           logicalDpiY());
}
