#pragma once
// Which pages of a report go to the printer, and how often.
#include <QPageRanges>

#include "worksheets/ReportLayout.h"

namespace kv4gui {

// What the farmer chose in the print dialog, and whether the printer makes
// the copies itself (QPrinter::supportsMultipleCopies).
struct PrintChoice {
    QPageRanges ranges;  // empty: every page
    int copies = 1;
    bool printerMakesCopies = false;
    bool collate = false;
};

// The chosen pages in the order they go to the printer: the page range, and
// the copies that the printer does not make itself (a PDF file, or a printer
// without copies of its own), as whole sets when collated and page by page
// otherwise. A range beyond the last page gives no page.
kv4::ReportPages PagesToPrint(const kv4::ReportPages& report, const PrintChoice& choice);

}  // namespace kv4gui
