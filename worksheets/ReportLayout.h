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

enum class ReportAlign { Left, Right };

// A text placed with its top at y, starting at x, or ending at x when right
// aligned. The layout cannot measure fonts; it says how wide a text may be,
// and the renderer sets a text that is wider in a smaller size (down to
// kMinPointSize), and cuts it with "…" only where `mayCut` allows. Figures
// are never cut: a cut figure would be a wrong one.
struct ReportText {
    int x = 0;
    int y = 0;
    int pointSize = 0;
    std::string text;
    int maxWidth = 0;  // dots; 0: any width
    bool mayCut = false;
    ReportAlign align = ReportAlign::Left;

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
    // The worksheet's title; a page carries it so that any selection of
    // pages still names its document.
    std::string title;
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
// given lines (an empty line prints nothing). Only a column of words may be
// cut to fit; figures and marks are not.
struct ReportColumn {
    int start = 0;
    int sheetCol = 0;
    bool headingFromCell = false;
    std::string_view first;
    std::string_view second;
    bool mayCut = false;
};

// What a report adds to the shared page scheme: its title, units, columns
// and the column start x_k at which its rules end.
struct ReportScheme {
    std::string_view title;
    std::string_view units;
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
inline constexpr int kTitlePointSize = 12;
inline constexpr int kMinPointSize = 6;
// The title line in the top margin, above the header line.
inline constexpr int kTitleY = 100;
inline constexpr int kHeaderY = 250;
// Room kept free before the next column's start: about a blank at 11 pt.
inline constexpr int kColumnGap = 25;
// A page is full when the next row would start this far above its bottom.
inline constexpr int kBottomMargin = 150;
// The line step on a standard display (the main window's pixels per inch).
inline constexpr int kStandardLineStep = 96;

// Column start x_k of a page `pageWidth` dots wide: x0 = PW div 20, two
// steps of PW div 7, then steps of PW div 16.
int ReportColumnStart(int pageWidth, int k);

// "Betrieb:<name>           Betr.Nr.: <number>            Datum:  <date>".
std::string ReportHeaderLine(const ReportHeader& header);

// "Seite <page> von <pages>".
std::string ReportPageNumber(int page, int pages);

// Lays out rows 1 to RowCount - 1 of `sheet` on pages of the printable size
// `pageWidth` x `pageHeight` dots, with `lineStep` dots per row. Every page
// repeats the title line with its page number, the header line, the headings
// and the rule under them. The first line of a two-line heading stands a
// line step above its second one, so the two never overlap. A page too
// short for a single row below the headings still takes one row, so the
// document always ends. Without a row to print the one page stays blank.
ReportPages LayoutReport(const Worksheet& sheet, const ReportScheme& scheme,
                         const ReportHeader& header, int pageWidth, int pageHeight, int lineStep);
ReportPages LayoutReport(const Worksheet& sheet, ReportKind kind, const ReportHeader& header,
                         int pageWidth, int pageHeight, int lineStep);

}  // namespace kv4
