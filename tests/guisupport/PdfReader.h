#pragma once
// Reading printed PDF files back with poppler's pdfinfo and pdftotext.
#include <QList>
#include <QString>

namespace kv4guitest {

// A word of a PDF page with its box, in points.
struct PdfWord {
    QString text;
    double xMin = 0;
    double yMin = 0;
    double xMax = 0;
    double yMax = 0;
};

struct PdfPage {
    double width = 0;
    double height = 0;
    QList<PdfWord> words;

    // All words in one text: a text that runs into its neighbour still counts.
    QString Text() const;
    const PdfWord* Find(const QString& text) const;
};

// The number of pages, or -1 when pdfinfo cannot read the file.
int PdfPageCount(const QString& pdf);

// The words of one page (1-based), from pdftotext's bounding-box output: plain
// pdftotext would join "Basis-" and "ertrag" of a two-line heading into one.
PdfPage ReadPdfPage(const QString& pdf, int page);

// pdfinfo's report on the file; empty when it fails.
QString PdfInfo(const QString& pdf);

}  // namespace kv4guitest
