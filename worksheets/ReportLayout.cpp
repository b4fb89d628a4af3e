#include "worksheets/ReportLayout.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "worksheets/NumberFormat.h"

namespace kv4 {

namespace {

// Worksheet column 4 (the "V" cell) and the working values in 13 to 15 are
// not printed.
constexpr std::array<ReportColumn, 12> kNColumns = {{
    {0, ncol::Schlag, true, {}, {}, true},
    {1, ncol::Frucht, true, {}, {}, true},
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
    {0, pcol::Schlag, true, {}, {}, true},
    {1, pcol::Frucht, true, {}, {}, true},
    {2, pcol::Ha, true, {}, {}},
    {3, pcol::Ertragserwartung, false, "Ertrags-", "erwartung"},
    {4, pcol::Erntereste, false, "Erntereste", "abgefahren"},
    {5, pcol::Gehalt, true, {}, {}},
    {6, pcol::Bodenart, true, {}, {}, true},
    {7, pcol::Klasse, true, {}, {}},
    {8, pcol::Entzug, true, {}, {}},
    {9, pcol::Anmerkung, false, {}, {}, true},
}};

// N rules end at x11 + E = x12, P2O5 rules at x8 + 3 E = x11.
const ReportScheme kNScheme{"Düngebedarfsermittlung Stickstoff (N) 2018",
                            "N in kg/ha, Erträge in dt/ha", kNColumns, 12};
const ReportScheme kPScheme{"Düngebedarfsermittlung Phosphat (P2O5) 2018",
                            "P2O5 in kg/ha, Erträge in dt/ha", kPColumns, 11};

void AddText(ReportPage& page, ReportText text) {
    if (text.text.empty()) return;
    page.texts.push_back(std::move(text));
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

std::string ReportPageNumber(int page, int pages) {
    return "Seite " + std::to_string(page) + " von " + std::to_string(pages);
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
    const std::string titleLine = std::string(scheme.title) + "     " + std::string(scheme.units);

    // A column's texts end before the next column's start; the last ones
    // before the end of the rules.
    struct Place {
        int x;
        int maxWidth;
    };
    std::vector<Place> places;
    for (std::size_t c = 0; c < scheme.columns.size(); ++c) {
        const int x = ReportColumnStart(pageWidth, scheme.columns[c].start);
        const int next = c + 1 < scheme.columns.size()
                             ? ReportColumnStart(pageWidth, scheme.columns[c + 1].start)
                             : ruleEnd;
        places.push_back({x, next - x - kColumnGap});
    }

    ReportPages doc;
    doc.pages.emplace_back();  // beginning the document starts its first page
    int i = 1;
    while (i < rowCount - 1) {
        ReportPage& page = doc.pages.back();
        AddText(page, {x0, kTitleY, kTitlePointSize, titleLine});
        AddText(page, {x1, kHeaderY, kHeaderPointSize, headerLine, ruleEnd - x1, true});

        int y = kHeaderY + 2 * L;
        for (std::size_t c = 0; c < scheme.columns.size(); ++c) {
            const ReportColumn& col = scheme.columns[c];
            const auto [x, maxWidth] = places[c];
            if (col.headingFromCell) {
                AddText(page, {x, y, kHeadingPointSize, sheet.Cells(col.sheetCol, 0), maxWidth});
            } else {
                // Half a step apart the two 10 pt lines would print over
                // each other; the first one goes a full step up instead, into
                // the free space above the heading row.
                AddText(page, {x, y + H - L, kHeadingPointSize, std::string(col.first), maxWidth});
                AddText(page, {x, y + H, kHeadingPointSize, std::string(col.second), maxWidth});
            }
        }
        y += H;
        page.lines.push_back(ReportLine{x0, y + L - 2, ruleEnd, y + L - 2});
        y += L;

        // Without the first-row exception a page too short for one row would
        // start new pages without end.
        bool rowOnPage = false;
        while (y < pageHeight - kBottomMargin || !rowOnPage) {
            for (std::size_t c = 0; c < scheme.columns.size(); ++c) {
                const ReportColumn& col = scheme.columns[c];
                AddText(page, {places[c].x, y, kRowPointSize, sheet.Cells(col.sheetCol, i),
                               places[c].maxWidth, col.mayCut});
            }
            page.lines.push_back(ReportLine{x0, y + L - 2, ruleEnd, y + L - 2});
            y += L;
            ++i;
            rowOnPage = true;
            if (i == rowCount) break;
        }
        if (i < rowCount - 1) doc.pages.emplace_back();
    }

    // A blank page (nothing to print) gets no page number either.
    const int pages = static_cast<int>(doc.pages.size());
    for (int p = 0; p < pages; ++p) {
        ReportPage& page = doc.pages[static_cast<std::size_t>(p)];
        page.title = scheme.title;
        if (page.texts.empty()) continue;
        AddText(page, {ruleEnd, kTitleY, kTitlePointSize, ReportPageNumber(p + 1, pages), 0, false,
                       ReportAlign::Right});
    }
    return doc;
}

ReportPages LayoutReport(const Worksheet& sheet, ReportKind kind, const ReportHeader& header,
                         int pageWidth, int pageHeight, int lineStep) {
    return LayoutReport(sheet, ReportSchemeFor(kind), header, pageWidth, pageHeight, lineStep);
}

}  // namespace kv4
