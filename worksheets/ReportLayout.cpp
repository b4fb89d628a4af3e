#include "worksheets/ReportLayout.h"

#include <array>

#include "worksheets/NumberFormat.h"

namespace kv4 {

namespace {

// Worksheet column 4 (the "V" cell) and the working values in 13 to 15 are
// not printed.
constexpr std::array<ReportColumn, 12> kNColumns = {{
    {0, ncol::Schlag, true, {}, {}},
    {1, ncol::Frucht, true, {}, {}},
    {2, ncol::Ha, true, {}, {}},
    {3, ncol::BasisErtrag, false, "Basis-", "ertrag"},
    {4, ncol::Ertragserwartung, false, "Ertrags-", "erwartung"},
    {5, ncol::NSollwert, true, {}, {}},
    {6, ncol::ZuAbschlag, true, {}, {}},
    {7, ncol::NMin, true, {}, {}},
    {8, ncol::Humus, true, {}, {}},
    {9, ncol::OrgVorjahr, false, "organisch", "Vorjahr"},
    {10, ncol::Vorfrucht, true, {}, {}},
    {11, ncol::NBedarf, true, {}, {}},
}};

// The remark starts at x8 + E, which is x9; it has no heading on paper. The
// invisible columns 10 and 11 are not printed.
constexpr std::array<ReportColumn, 10> kPColumns = {{
    {0, pcol::Schlag, true, {}, {}},
    {1, pcol::Frucht, true, {}, {}},
    {2, pcol::Ha, true, {}, {}},
    {3, pcol::Ertragserwartung, false, "Ertrags-", "erwartung"},
    {4, pcol::Erntereste, false, "Erntereste", "abgefahren"},
    {5, pcol::Gehalt, true, {}, {}},
    {6, pcol::Bodenart, true, {}, {}},
    {7, pcol::Klasse, true, {}, {}},
    {8, pcol::Entzug, true, {}, {}},
    {9, pcol::Anmerkung, false, {}, {}},
}};

// N rules end at x11 + E = x12, P2O5 rules at x8 + 3 E = x11.
const ReportScheme kNScheme{kNColumns, 12};
const ReportScheme kPScheme{kPColumns, 11};

void AddText(ReportPage& page, int x, int y, int pointSize, std::string_view text) {
    if (text.empty()) return;
    page.texts.push_back(ReportText{x, y, pointSize, std::string(text)});
}

}  // namespace

const ReportScheme& NReportScheme() { return kNScheme; }
const ReportScheme& PReportScheme() { return kPScheme; }
const ReportScheme& ReportSchemeFor(ReportKind kind) {
    return kind == ReportKind::N ? kNScheme : kPScheme;
}

int ReportColumnStart(int pageWidth, int k) {
    int x = pageWidth / 20;
    if (k >= 1) x += pageWidth / 7;
    if (k >= 2) x += pageWidth / 7;
    if (k >= 3) x += (k - 2) * (pageWidth / 16);
    return x;
}

std::string ReportHeaderLine(const ReportHeader& header) {
    return "Betrieb:" + header.farmName + "           Betr.Nr.: " + header.farmNumber +
           "            Datum:  " + header.date;
}

ReportPages LayoutReport(const Worksheet& sheet, const ReportScheme& scheme,
                         const ReportHeader& header, int pageWidth, int pageHeight, int lineStep) {
    const int L = lineStep;
    const int H = static_cast<int>(RoundHalfEven(L * 0.5));
    const int x0 = ReportColumnStart(pageWidth, 0);
    const int x1 = ReportColumnStart(pageWidth, 1);
    const int ruleEnd = ReportColumnStart(pageWidth, scheme.ruleEnd);
    const int rowCount = sheet.RowCount();
    const std::string headerLine = ReportHeaderLine(header);

    ReportPages doc;
    doc.pages.emplace_back();  // beginning the document starts its first page
    int i = 1;
    while (i < rowCount - 1) {
        ReportPage& page = doc.pages.back();
        AddText(page, x1, kHeaderY, kHeaderPointSize, headerLine);

        int y = kHeaderY + 2 * L;
        for (const ReportColumn& c : scheme.columns) {
            const int x = ReportColumnStart(pageWidth, c.start);
            if (c.headingFromCell) {
                AddText(page, x, y, kHeadingPointSize, sheet.Cells(c.sheetCol, 0));
            } else {
                AddText(page, x, y, kHeadingPointSize, c.first);
                AddText(page, x, y + H, kHeadingPointSize, c.second);
            }
        }
        y += H;
        page.lines.push_back(ReportLine{x0, y + L - 2, ruleEnd, y + L - 2});
        y += L;

        // Without the first-row exception a page too short for one row would
        // start new pages without end.
        bool rowOnPage = false;
        while (y < pageHeight - kBottomMargin || !rowOnPage) {
            for (const ReportColumn& c : scheme.columns) {
                AddText(page, ReportColumnStart(pageWidth, c.start), y, kRowPointSize,
                        sheet.Cells(c.sheetCol, i));
            }
            page.lines.push_back(ReportLine{x0, y + L - 2, ruleEnd, y + L - 2});
            y += L;
            ++i;
            rowOnPage = true;
            if (i == rowCount) break;
        }
        if (i < rowCount - 1) doc.pages.emplace_back();
    }
    return doc;
}

ReportPages LayoutReport(const Worksheet& sheet, ReportKind kind, const ReportHeader& header,
                         int pageWidth, int pageHeight, int lineStep) {
    return LayoutReport(sheet, ReportSchemeFor(kind), header, pageWidth, pageHeight, lineStep);
}

}  // namespace kv4
