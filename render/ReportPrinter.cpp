#include "render/ReportPrinter.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>

#include "render/QtText.h"

namespace kv4gui {

namespace {

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

struct FittedText {
    QFont font;
    QString text;
    qreal width = 0;
};

// The text in its size, or in a smaller size (in quarter points, down to
// kMinPointSize) that keeps it within its width; cut with "…" only when even
// the smallest size is too wide and the text may be cut.
FittedText FitText(const kv4::ReportText& t, const QPaintDevice* device) {
    FittedText fit{ReportFont(t.pointSize), ToQString(t.text)};
    const auto measure = [&] {
        fit.width = QFontMetricsF(fit.font, device).horizontalAdvance(fit.text);
        return fit.width;
    };
    if (measure() <= t.maxWidth || t.maxWidth <= 0) return fit;
    const qreal smallest = kv4::kMinPointSize;
    // Widths grow about in proportion to the size; hinting may need a step
    // more.
    qreal size = std::max(smallest, std::floor(4 * t.pointSize * t.maxWidth / fit.width) / 4);
    for (;;) {
        fit.font.setPointSizeF(size);
        if (measure() <= t.maxWidth || size <= smallest) break;
        size = std::max(smallest, size - 0.25);
    }
    if (fit.width > t.maxWidth && t.mayCut) {
        fit.text = QFontMetricsF(fit.font, device).elidedText(fit.text, Qt::ElideRight, t.maxWidth);
        measure();
    }
    return fit;
}

}  // namespace

kv4::ReportPages LayoutForPrinter(const QPagedPaintDevice& printer, const kv4::Worksheet& sheet,
                                  kv4::ReportKind kind, const kv4::ReportHeader& header,
                                  int lineStep) {
    return kv4::LayoutReport(sheet, kind, header, printer.width(), printer.height(), lineStep);
}

QString ReportCreator() {
    return QStringLiteral("Kornavis 4 Düngerbedarfsermittlung V" KV4_VERSION);
}

bool PaintReport(QPagedPaintDevice& printer, const kv4::ReportPages& pages) {
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    bool firstPage = true;
    for (const kv4::ReportPage& page : pages.pages) {
        if (!firstPage && !printer.newPage()) break;
        firstPage = false;
        for (const kv4::ReportText& t : page.texts) {
            const FittedText fit = FitText(t, painter.device());
            painter.setFont(fit.font);
            const qreal x = t.align == kv4::ReportAlign::Right ? t.x - fit.width : t.x;
            // drawText places the baseline; the layout gives the top of the
            // text in its own size. A text set smaller keeps that baseline,
            // so a row stays on one line.
            const qreal ascent = QFontMetricsF(ReportFont(t.pointSize), painter.device()).ascent();
            painter.drawText(QPointF(x, t.y + ascent), fit.text);
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
