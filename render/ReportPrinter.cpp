#include "render/ReportPrinter.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include "render/QtText.h"

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
