#include "render/ReportPrinter.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>

namespace kv4gui {

namespace {

constexpr int kReportResolution = 600;

// The report positions were laid out for "MS Sans Serif", whose widths are
// close to Arial's: a font with Arial's metrics where one is installed (Arial
// on Windows, Liberation Sans elsewhere), the default sans otherwise, which
// runs wider.
QString ReportFontFamily() {
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families();
        for (const QString& candidate :
             {QStringLiteral("Arial"), QStringLiteral("Liberation Sans")})
            if (installed.contains(candidate)) return candidate;
        return QString();
    }();
    return family;
}

QFont ReportFont(int pointSize) {
    QFont font;
    if (!ReportFontFamily().isEmpty()) font.setFamily(ReportFontFamily());
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setPointSize(pointSize);
    return font;
}

}  // namespace

void PrepareReportPrinter(QPrinter& printer) {
    printer.setPageOrientation(QPageLayout::Landscape);
    if (printer.resolution() != kReportResolution) printer.setResolution(kReportResolution);
}

kv4::ReportPages LayoutForPrinter(const QPrinter& printer, const kv4::Worksheet& sheet,
                                  kv4::ReportKind kind, const kv4::ReportHeader& header,
                                  int lineStep) {
    return kv4::LayoutReport(sheet, kind, header, printer.width(), printer.height(), lineStep);
}

bool PrintReport(QPrinter& printer, const kv4::ReportPages& pages) {
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    bool firstPage = true;
    for (const kv4::ReportPage& page : pages.pages) {
        if (!firstPage && !printer.newPage()) break;
        firstPage = false;
        // The font is chosen afresh on every page, as the first text needs it.
        int pointSize = 0;
        qreal ascent = 0;
        for (const kv4::ReportText& t : page.texts) {
            if (t.pointSize != pointSize) {
                pointSize = t.pointSize;
                painter.setFont(ReportFont(pointSize));
                ascent = QFontMetricsF(painter.font(), painter.device()).ascent();
            }
            // drawText places the baseline; the layout gives the top left corner.
            painter.drawText(QPointF(t.x, t.y + ascent), QString::fromStdString(t.text));
        }
        for (const kv4::ReportLine& l : page.lines) {
            painter.drawLine(QPoint(l.x1, l.y1), QPoint(l.x2, l.y2));
        }
    }
    return painter.end();
}

void PrintWorksheet(QPrinter& printer, const kv4::Worksheet& sheet, kv4::ReportKind kind,
                    const kv4::ReportHeader& header, int lineStep) {
    PrepareReportPrinter(printer);
    if (!printer.isValid()) throw PrintError(kNoPrinterText);
    const kv4::ReportPages pages = LayoutForPrinter(printer, sheet, kind, header, lineStep);
    if (!PrintReport(printer, pages)) throw PrintError(kNoPrinterText);
}

bool WriteReportPdf(const QString& fileName, const kv4::Worksheet& sheet, kv4::ReportKind kind,
                    const kv4::ReportHeader& header, int lineStep) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    printer.setPageSize(QPageSize(QPageSize::A4));
    PrepareReportPrinter(printer);
    return PrintReport(printer, LayoutForPrinter(printer, sheet, kind, header, lineStep));
}

}  // namespace kv4gui
