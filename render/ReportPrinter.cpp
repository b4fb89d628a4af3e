#include "render/ReportPrinter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include "render/QtText.h"

namespace kv4gui {

namespace {

QFont ReportFont(int pointSize) {
    QFont font;  // the default family, no name of our own
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setPointSize(pointSize);
    return font;
}

}  // namespace

kv4::ReportPages LayoutForPrinter(const QPagedPaintDevice& printer, const kv4::Worksheet& sheet,
                                  kv4::ReportKind kind, const kv4::ReportHeader& header,
                                  int lineStep) {
    return kv4::LayoutReport(sheet, kind, header, printer.width(), printer.height(), lineStep);
}

bool PrintReport(QPagedPaintDevice& printer, const kv4::ReportPages& pages) {
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
            painter.drawText(QPointF(t.x, t.y + ascent), ToQString(t.text));
        }
        for (const kv4::ReportLine& l : page.lines) {
            painter.drawLine(QPoint(l.x1, l.y1), QPoint(l.x2, l.y2));
        }
    }
    return painter.end();
}

bool WriteReportPdf(const QString& fileName, const kv4::Worksheet& sheet, kv4::ReportKind kind,
                    const kv4::ReportHeader& header, int lineStep) {
    QPdfWriter writer(fileName);
    writer.setPageSize(QPageSize(QPageSize::A4));
    PrepareReportPrinter(writer);
    return PrintReport(writer, LayoutForPrinter(writer, sheet, kind, header, lineStep));
}

}  // namespace kv4gui
