#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "worksheets/ReportLayout.h"

namespace kv4 {

namespace {

constexpr int kPW = 6800;
constexpr int kPH = 4800;
constexpr int kL = 96;

// A worksheet of `fields` field rows plus the trailing row; every body cell
// holds "<col>/<row>", so a printed text tells where it came from.
Worksheet FilledSheet(ReportKind kind, int fields) {
    Worksheet w = kind == ReportKind::N ? MakeNWorksheet() : MakePWorksheet();
    w.SetRowCount(fields + 2);
    for (int r = 1; r < w.RowCount(); ++r)
        for (int c = 0; c < w.ColCount(); ++c)
            w.SetCell(c, r, std::to_string(c) + "/" + std::to_string(r));
    return w;
}

std::vector<ReportText> TextsAt(const ReportPage& page, int y) {
    std::vector<ReportText> out;
    for (const ReportText& t : page.texts)
        if (t.y == y) out.push_back(t);
    return out;
}

// The rows printed on a page, by the text of their column 0.
std::vector<std::string> PrintedRows(const ReportPage& page) {
    std::vector<std::string> out;
    for (const ReportText& t : page.texts)
        if (t.pointSize == kRowPointSize && t.x == ReportColumnStart(kPW, 0)) out.push_back(t.text);
    return out;
}

std::string Row(int r) { return "0/" + std::to_string(r); }

TEST(ReportLayout, ColumnStartsOfTheWorkedExample) {
    const std::vector<int> expected = {340,  1311, 2282, 2707, 3132, 3557, 3982,
                                       4407, 4832, 5257, 5682, 6107, 6532};
    for (int k = 0; k < static_cast<int>(expected.size()); ++k)
        EXPECT_EQ(ReportColumnStart(kPW, k), expected[k]) << "x" << k;
}

TEST(ReportLayout, HeaderLineKeepsItsBlanks) {
    EXPECT_EQ(ReportHeaderLine({"Hof Meyer", "4711", "01.03.2018"}),
              "Betrieb:Hof Meyer           Betr.Nr.: 4711            Datum:  01.03.2018");
    EXPECT_EQ(ReportHeaderLine({}), "Betrieb:           Betr.Nr.:             Datum:  ");
}

TEST(ReportLayout, VerticalPositionsOfTheWorkedExample) {
    for (ReportKind kind : {ReportKind::N, ReportKind::P2O5}) {
        SCOPED_TRACE(kind == ReportKind::N ? "N" : "P2O5");
        const int ruleEnd = kind == ReportKind::N ? 6532 : 6107;
        const ReportPages doc =
            LayoutReport(FilledSheet(kind, 60), kind, {"Hof", "1", "heute"}, kPW, kPH, kL);
        ASSERT_EQ(doc.pages.size(), 2u);
        const ReportPage& page = doc.pages[0];

        const auto header = TextsAt(page, 250);
        ASSERT_EQ(header.size(), 1u);
        // The header line may take the width up to the rules' end.
        EXPECT_EQ(
            header[0],
            (ReportText{1311, 250, 12, "Betrieb:Hof           Betr.Nr.: 1            Datum:  heute",
                        ruleEnd - 1311, true}));
        for (int y : {394, 442, 490})
            for (const ReportText& t : TextsAt(page, y)) EXPECT_EQ(t.pointSize, 10) << t.text;

        // Rule under the headings, then one rule per row, L - 2 below its top.
        ASSERT_EQ(page.lines.size(), 44u);
        EXPECT_EQ(page.lines[0], (ReportLine{340, 584, ruleEnd, 584}));
        EXPECT_EQ(page.lines[1], (ReportLine{340, 680, ruleEnd, 680}));
        EXPECT_EQ(page.lines[43], (ReportLine{340, 4618 + 94, ruleEnd, 4618 + 94}));

        const auto first = TextsAt(page, 586);
        ASSERT_FALSE(first.empty());
        EXPECT_EQ(first[0], (ReportText{340, 586, 11, "0/1", 1311 - 340 - kColumnGap, true}));
        const auto last = TextsAt(page, 4618);
        ASSERT_FALSE(last.empty());
        EXPECT_EQ(last[0].text, "0/43");
        EXPECT_TRUE(TextsAt(page, 4618 + 96).empty());
    }
}

// Where a text stands and what it says, without the room it may take.
ReportText Placed(const ReportText& t) { return {t.x, t.y, t.pointSize, t.text}; }

TEST(ReportLayout, HeadingsAndPrintedColumns) {
    struct Case {
        ReportKind kind;
        std::vector<ReportText> headings;             // y 394, 442 and 490
        std::vector<std::pair<int, int>> rowColumns;  // x, worksheet column
    };
    // The first line of a two-line heading stands a full step above its
    // second: half a step apart the 10 pt lines would overlap.
    const std::vector<Case> cases = {
        {ReportKind::N,
         {{340, 442, 10, "Schlag"},
          {1311, 442, 10, "Frucht"},
          {2282, 442, 10, "ha"},
          {2707, 394, 10, "Basis-"},
          {2707, 490, 10, "ertrag"},
          {3132, 394, 10, "Ertrags-"},
          {3132, 490, 10, "erwartung"},
          {3557, 442, 10, "N-Sollwert"},
          {3982, 442, 10, "Zu-/Abschlag"},
          {4407, 442, 10, "N-Min"},
          {4832, 442, 10, "Humus"},
          {5257, 394, 10, "organisch"},
          {5257, 490, 10, "Vorjahr"},
          {5682, 442, 10, "Vorfrucht"},
          {6107, 442, 10, "N-Bedarf"}},
         {{340, 0},
          {1311, 1},
          {2282, 2},
          {2707, 3},
          {3132, 5},
          {3557, 6},
          {3982, 7},
          {4407, 8},
          {4832, 9},
          {5257, 10},
          {5682, 11},
          {6107, 12}}},
        {ReportKind::P2O5,
         {{340, 442, 10, "Schlag"},
          {1311, 442, 10, "Frucht"},
          {2282, 442, 10, "ha"},
          {2707, 394, 10, "Ertrags-"},
          {2707, 490, 10, "erwartung"},
          {3132, 394, 10, "Erntereste"},
          {3132, 490, 10, "abgefahren"},
          {3557, 442, 10, "Gehalt"},
          {3982, 442, 10, "Bodenart"},
          {4407, 442, 10, "Klasse"},
          {4832, 442, 10, "Entzug"}},
         {{340, 0},
          {1311, 1},
          {2282, 2},
          {2707, 3},
          {3132, 4},
          {3557, 5},
          {3982, 6},
          {4407, 7},
          {4832, 8},
          {5257, 9}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind == ReportKind::N ? "N" : "P2O5");
        const ReportPages doc = LayoutReport(FilledSheet(c.kind, 3), c.kind, {}, kPW, kPH, kL);
        ASSERT_EQ(doc.pages.size(), 1u);
        std::vector<ReportText> headings;
        for (int y : {394, 442, 490})
            for (const ReportText& t : TextsAt(doc.pages[0], y)) headings.push_back(Placed(t));
        auto byPlace = [](const ReportText& a, const ReportText& b) {
            return std::tie(a.y, a.x) < std::tie(b.y, b.x);
        };
        std::vector<ReportText> expected = c.headings;
        std::sort(headings.begin(), headings.end(), byPlace);
        std::sort(expected.begin(), expected.end(), byPlace);
        EXPECT_EQ(headings, expected);

        // Row 2 prints exactly the listed columns, nothing of the others.
        std::vector<ReportText> row;
        for (const ReportText& t : TextsAt(doc.pages[0], 586 + 96)) row.push_back(Placed(t));
        std::vector<ReportText> want;
        for (auto [x, col] : c.rowColumns) want.push_back({x, 682, 11, std::to_string(col) + "/2"});
        std::sort(row.begin(), row.end(), byPlace);
        EXPECT_EQ(row, want);
    }
}

// A text may take the room up to the next column's start, less the gap; the
// last up to the rules' end. Only words may be cut, never figures.
TEST(ReportLayout, RoomOfTheTextsAndWhichMayBeCut) {
    struct Case {
        ReportKind kind;
        std::vector<int> maxWidths;  // row texts left to right
        std::vector<int> cutColumns;
    };
    const std::vector<Case> cases = {
        {ReportKind::N, {946, 946, 400, 400, 400, 400, 400, 400, 400, 400, 400, 400}, {0, 1}},
        {ReportKind::P2O5, {946, 946, 400, 400, 400, 400, 400, 400, 400, 825}, {0, 1, 6, 9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind == ReportKind::N ? "N" : "P2O5");
        const ReportPage page =
            LayoutReport(FilledSheet(c.kind, 1), c.kind, {}, kPW, kPH, kL).pages[0];
        const auto row = TextsAt(page, 586);
        ASSERT_EQ(row.size(), c.maxWidths.size());
        for (std::size_t k = 0; k < row.size(); ++k) {
            EXPECT_EQ(row[k].maxWidth, c.maxWidths[k]) << row[k].text;
            const int col = std::stoi(row[k].text);
            EXPECT_EQ(row[k].mayCut, std::count(c.cutColumns.begin(), c.cutColumns.end(), col) == 1)
                << row[k].text;
        }
    }
}

TEST(ReportLayout, TitleLineAndPageNumbersOnEveryPage) {
    for (auto [kind, title, units, ruleEnd] :
         {std::tuple{ReportKind::N, "Düngebedarfsermittlung Stickstoff (N) 2018",
                     "N in kg/ha, Erträge in dt/ha", 6532},
          std::tuple{ReportKind::P2O5, "Düngebedarfsermittlung Phosphat (P2O5) 2018",
                     "P2O5 in kg/ha, Erträge in dt/ha", 6107}}) {
        const ReportPages doc = LayoutReport(FilledSheet(kind, 100), kind, {}, kPW, kPH, kL);
        ASSERT_EQ(doc.pages.size(), 3u);
        for (int p = 0; p < 3; ++p) {
            const ReportPage& page = doc.pages[static_cast<std::size_t>(p)];
            EXPECT_EQ(page.title, title);
            const std::vector<ReportText> want = {
                {340, 100, 12, std::string(title) + "     " + units},
                {ruleEnd, 100, 12, "Seite " + std::to_string(p + 1) + " von 3", 0, false,
                 ReportAlign::Right}};
            EXPECT_EQ(TextsAt(page, 100), want) << title;
        }
    }
}

TEST(ReportLayout, HeadingCellTextsComeFromTheWorksheet) {
    Worksheet w = FilledSheet(ReportKind::N, 1);
    w.SetCell(ncol::NBedarf, 0, "Bedarf kg/ha");
    w.SetCell(ncol::BasisErtrag, 0, "ignored: two-line heading");
    const ReportPages doc = LayoutReport(w, ReportKind::N, {}, kPW, kPH, kL);
    std::vector<std::string> texts;
    for (int y : {394, 442}) {
        for (const ReportText& t : TextsAt(doc.pages[0], y)) texts.push_back(t.text);
    }
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Bedarf kg/ha"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Basis-"), texts.end());
    EXPECT_EQ(std::find(texts.begin(), texts.end(), "ignored: two-line heading"), texts.end());
}

TEST(ReportLayout, PageBreaks) {
    struct Case {
        int fields;
        std::vector<int> rowsPerPage;  // rows printed, trailing row included
        bool trailingPrinted;
    };
    const std::vector<Case> cases = {
        {0, {0}, false},     {1, {2}, true},        {42, {43}, true},     {43, {43}, false},
        {44, {43, 2}, true}, {86, {43, 43}, false}, {85, {43, 43}, true}, {100, {43, 43, 15}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("fields " + std::to_string(c.fields));
        Worksheet w = FilledSheet(ReportKind::N, c.fields);
        const int trailing = w.RowCount() - 1;
        const ReportPages doc = LayoutReport(w, ReportKind::N, {}, kPW, kPH, kL);
        ASSERT_EQ(doc.pages.size(), c.rowsPerPage.size());
        int next = 1;
        bool trailingSeen = false;
        for (std::size_t p = 0; p < doc.pages.size(); ++p) {
            const ReportPage& page = doc.pages[p];
            const auto rows = PrintedRows(page);
            ASSERT_EQ(static_cast<int>(rows.size()), c.rowsPerPage[p]) << "page " << p;
            // Every printed row has its rule; an empty page has none at all.
            EXPECT_EQ(page.lines.size(), rows.empty() ? 0u : rows.size() + 1);
            for (const std::string& r : rows) {
                EXPECT_EQ(r, Row(next));
                trailingSeen |= next == trailing;
                ++next;
            }
            if (!rows.empty()) {
                // The header and the headings repeat on every page.
                EXPECT_EQ(TextsAt(page, 250).size(), 1u);
                EXPECT_EQ(TextsAt(page, 394).size() + TextsAt(page, 442).size(), 12u);
            }
        }
        EXPECT_EQ(trailingSeen, c.trailingPrinted);
    }
}

TEST(ReportLayout, EmptyWorksheetGivesOneEmptyPage) {
    for (int rows : {0, 1, 2}) {
        Worksheet w = MakeNWorksheet();
        w.SetRowCount(rows);
        const ReportPages doc = LayoutReport(w, ReportKind::N, {"a", "b", "c"}, kPW, kPH, kL);
        ASSERT_EQ(doc.pages.size(), 1u) << rows;
        EXPECT_TRUE(doc.pages[0].texts.empty()) << rows;
        EXPECT_EQ(doc.pages[0].title, "Düngebedarfsermittlung Stickstoff (N) 2018");
        EXPECT_TRUE(doc.pages[0].lines.empty()) << rows;
    }
    // The P2O5 worksheet of a start without fields: 4 empty ruled rows.
    const ReportPages doc = LayoutReport(MakePWorksheet(), ReportKind::P2O5, {}, kPW, kPH, kL);
    ASSERT_EQ(doc.pages.size(), 1u);
    EXPECT_EQ(doc.pages[0].lines.size(), 5u);
    // Title line, page number, header line and headings.
    EXPECT_EQ(doc.pages[0].texts.size(), 2u + 1u + 11u);
}

TEST(ReportLayout, LongRemarkKeepsItsTextAndMayBeCutAtTheRulesEnd) {
    Worksheet w = MakePWorksheet();
    const std::string remark(400, 'x');
    w.SetCell(pcol::Anmerkung, 1, remark + " Ende");
    const ReportPages doc = LayoutReport(w, ReportKind::P2O5, {}, kPW, kPH, kL);
    const auto row = TextsAt(doc.pages[0], 586);
    ASSERT_EQ(row.size(), 1u);
    EXPECT_EQ(row[0],
              (ReportText{5257, 586, 11, remark + " Ende", 6107 - 5257 - kColumnGap, true}));
    EXPECT_EQ(doc.pages[0].lines[1].x2, 6107);
}

TEST(ReportLayout, SecondHeadingLineHalfStepRoundsToEven) {
    struct Case {
        int L;
        int H;
    };
    for (const Case c :
         {Case{96, 48}, Case{97, 48}, Case{99, 50}, Case{120, 60}, Case{5, 2}, Case{3, 2}}) {
        const ReportPages doc =
            LayoutReport(FilledSheet(ReportKind::N, 1), ReportKind::N, {}, kPW, kPH, c.L);
        const int y = 250 + 2 * c.L;
        const auto second = TextsAt(doc.pages[0], y + c.H);
        ASSERT_EQ(second.size(), 3u) << "L " << c.L;
        EXPECT_EQ(second[0].text, "ertrag");
        const auto first = TextsAt(doc.pages[0], y + c.H - c.L);
        ASSERT_EQ(first.size(), 3u) << "L " << c.L;
        EXPECT_EQ(first[0].text, "Basis-");
        EXPECT_EQ(doc.pages[0].lines[0].y1, y + c.H + c.L - 2) << "L " << c.L;
        EXPECT_EQ(PrintedRows(doc.pages[0])[0], "0/1");
        EXPECT_EQ(TextsAt(doc.pages[0], y + c.H + c.L)[0].text, "0/1") << "L " << c.L;
    }
}

TEST(ReportLayout, PageTooShortForOneRowPrintsOneRowPerPage) {
    // The first row starts at 586; with PH - 150 <= 586 no row fits.
    for (int ph : {736, 700, 0}) {
        SCOPED_TRACE("PH " + std::to_string(ph));
        const ReportPages doc =
            LayoutReport(FilledSheet(ReportKind::N, 5), ReportKind::N, {}, kPW, ph, kL);
        ASSERT_EQ(doc.pages.size(), 5u);
        for (int p = 0; p < 5; ++p) {
            EXPECT_EQ(PrintedRows(doc.pages[p]), std::vector<std::string>{Row(p + 1)});
            EXPECT_EQ(doc.pages[p].lines.size(), 2u);
        }
    }
    // Two rows fit from PH = 586 + 96 + 150 + 1 on.
    struct Case {
        int ph;
        std::vector<std::vector<std::string>> pages;
    };
    for (const Case& c : {Case{832, {{Row(1)}, {Row(2)}, {Row(3)}}},
                          Case{833, {{Row(1), Row(2)}, {Row(3), Row(4)}}}}) {
        SCOPED_TRACE("PH " + std::to_string(c.ph));
        const ReportPages doc =
            LayoutReport(FilledSheet(ReportKind::N, 3), ReportKind::N, {}, kPW, c.ph, kL);
        ASSERT_EQ(doc.pages.size(), c.pages.size());
        for (std::size_t p = 0; p < c.pages.size(); ++p)
            EXPECT_EQ(PrintedRows(doc.pages[p]), c.pages[p]);
    }
}

}  // namespace
}  // namespace kv4
