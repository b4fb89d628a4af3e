#pragma once
// The printed reports as plain values: pages of texts and lines placed in
// printer device units. The layout is computed here, without a printer; the
// renderer only paints it, so the printer and the PDF export show the same.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "worksheets/Worksheet.h"

namespace kv4 {

// A text placed with its top left corner at (x, y).
struct ReportText {
    int x = 0;
    int y = 0;
    int pointSize = 0;
    std::string text;

    bool operator==(const ReportText&) const = default;
};

struct ReportLine {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;

    bool operator==(const ReportLine&) const = default;
};

struct ReportPage {
    std::vector<ReportText> texts;
    std::vector<ReportLine> lines;
};

// A document always has at least one page, even when no row is printed.
struct ReportPages {
    std::vector<ReportPage> pages;
};

// The three header boxes of the main window.
struct ReportHeader {
    std::string farmName;
    std::string farmNumber;
    std::string date;
};

// One printed column. `start` is the number k of its column start x_k (see
// ReportColumnStart). The heading is the worksheet's heading cell, or the
// given lines (an empty line prints nothing).
struct ReportColumn {
    int start = 0;
    int sheetCol = 0;
    bool headingFromCell = false;
    std::string_view first;
    std::string_view second;
};

// What a report adds to the shared page scheme: its columns and the column
// start x_k at which its rules end.
struct ReportScheme {
    std::span<const ReportColumn> columns;
    int ruleEnd = 0;
};

enum class ReportKind { N, P2O5 };

const ReportScheme& NReportScheme();
const ReportScheme& PReportScheme();
const ReportScheme& ReportSchemeFor(ReportKind kind);

inline constexpr int kHeaderPointSize = 12;
inline constexpr int kHeadingPointSize = 10;
inline constexpr int kRowPointSize = 11;
inline constexpr int kHeaderY = 250;
// A page is full when the next row would start this far above its bottom.
inline constexpr int kBottomMargin = 150;
// The line step on a standard display (the main window's pixels per inch).
inline constexpr int kStandardLineStep = 96;

// Column start x_k of a page `pageWidth` dots wide: x0 = PW div 20, two
// steps of PW div 7, then steps of PW div 16.
int ReportColumnStart(int pageWidth, int k);

// "Betrieb:<name>           Betr.Nr.: <number>            Datum:  <date>".
std::string ReportHeaderLine(const ReportHeader& header);

// Lays out rows 1 to RowCount - 1 of `sheet` on pages of the printable size
// `pageWidth` x `pageHeight` dots, with `lineStep` dots per row. Every page
// repeats the header line, the headings and the rule under them. A page too
// short for a single row below the headings still takes one row, so the
// document always ends.
ReportPages LayoutReport(const Worksheet& sheet, const ReportScheme& scheme,
                         const ReportHeader& header, int pageWidth, int pageHeight, int lineStep);
ReportPages LayoutReport(const Worksheet& sheet, ReportKind kind, const ReportHeader& header,
                         int pageWidth, int pageHeight, int lineStep);

}  // namespace kv4
