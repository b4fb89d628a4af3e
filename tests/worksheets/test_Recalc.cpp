#include <gtest/gtest.h>

#include <map>
#include <string>

#include "worksheets/NumberFormat.h"
#include "worksheets/Recalc.h"
#include "worksheets/Worksheet.h"

namespace {

using kv4::Worksheet;
namespace ncol = kv4::ncol;
namespace pcol = kv4::pcol;

using Cells = std::map<int, std::string>;

struct Sheets {
    Worksheet n = kv4::MakeNWorksheet();
    Worksheet p = kv4::MakePWorksheet();
    explicit Sheets(int rows) {
        n.SetRowCount(rows);
        p.SetRowCount(rows);
    }
    void Set(Worksheet& w, int row, const Cells& cells) {
        for (const auto& [col, text] : cells) w.SetCell(col, row, text);
    }
};

// A row of crop "Winterweizen A,B" with the rates of the crop choice.
Cells WheatRow(std::string base, std::string expectation) {
    return {{ncol::BasisErtrag, std::move(base)},
            {ncol::Ertragserwartung, std::move(expectation)},
            {ncol::NSollwert, "230"},
            {ncol::YieldStep, "10"},
            {ncol::SurchargeRate, "10"},
            {ncol::DeductionRate, "15"}};
}

struct AdjustmentCase {
    const char* name;
    Cells cells;
    std::string adjustment;
    std::string requirement;
};

TEST(RecalcWorksheets, AdjustmentAndRequirement) {
    auto with = [](Cells base, const Cells& changes) {
        for (const auto& [col, text] : changes) base[col] = text;
        return base;
    };
    const AdjustmentCase cases[] = {
        {"half a step up", WheatRow("80", "85"), "5", "  235"},
        {"0.6 steps down", WheatRow("80", "74"), "-9", "  221"},
        {"halfway down to even", WheatRow("80", "75"), "-8", "  222"},
        {"step 50", with(WheatRow("450", "520"), {{ncol::YieldStep, "50"}}), "14", "  244"},
        {"equal yields", WheatRow("80", "80"), "0", "  230"},
        {"empty step", with(WheatRow("80", "85"), {{ncol::YieldStep, ""}}), "0", "  230"},
        {"step 0", with(WheatRow("80", "85"), {{ncol::YieldStep, "0"}}), "0", "  230"},
        {"negative step", with(WheatRow("80", "85"), {{ncol::YieldStep, "-10"}}), "0", "  230"},
        {"2.5 to even", with(WheatRow("80", "85"), {{ncol::SurchargeRate, "5"}}), "2", "  232"},
        {"7.5 to even", with(WheatRow("80", "95"), {{ncol::SurchargeRate, "5"}}), "8", "  238"},
        {"negative rate reverses", with(WheatRow("80", "70"), {{ncol::DeductionRate, "-15"}}), "15",
         "  245"},
        {"hexadecimal and blanks", with(WheatRow("  80", "$55"), {{ncol::YieldStep, "0x0A"}}), "5",
         "  235"},
        {"corrections added as they stand",
         with(WheatRow("80", "85"), {{ncol::NMin, "-40"}, {ncol::OrgVorjahr, "-12"}}), "5",
         "  183"},
        {"negative requirement",
         {{ncol::NSollwert, "20"}, {ncol::Humus, "-20"}, {ncol::NMin, "-20"}},
         "0",
         "  -20"},
        {"six digits in full", {{ncol::NSollwert, "100000"}}, "0", "100000"},
        {"sum beyond 32 bits",
         {{ncol::NSollwert, "2147483647"},
          {ncol::NMin, "2147483647"},
          {ncol::Humus, "2147483647"},
          {ncol::OrgVorjahr, "2147483647"},
          {ncol::Vorfrucht, "2147483647"}},
         "0",
         "10737418235"},
        {"sum below 32 bits",
         {{ncol::NSollwert, "-2147483648"},
          {ncol::NMin, "-2147483648"},
          {ncol::Humus, "-2147483648"},
          {ncol::OrgVorjahr, "-2147483648"},
          {ncol::Vorfrucht, "-2147483648"}},
         "0",
         "-10737418240"},
        {"empty row", {}, "0", "    0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Sheets s(3);
        s.Set(s.n, 1, c.cells);
        kv4::RecalcWorksheets(s.n, s.p, ',');
        EXPECT_EQ(s.n.Cells(ncol::ZuAbschlag, 1), c.adjustment);
        EXPECT_EQ(s.n.Cells(ncol::NBedarf, 1), c.requirement);
        // The empty trailing row is recalculated too.
        EXPECT_EQ(s.n.Cells(ncol::ZuAbschlag, 2), "0");
        EXPECT_EQ(s.n.Cells(ncol::NBedarf, 2), "    0");
    }
}

TEST(RecalcWorksheets, UnreadRateIsNotConverted) {
    const Cells cases[] = {
        {{ncol::BasisErtrag, "80"},
         {ncol::Ertragserwartung, "85"},
         {ncol::YieldStep, "10"},
         {ncol::SurchargeRate, "10"},
         {ncol::DeductionRate, "x"}},
        {{ncol::BasisErtrag, "80"},
         {ncol::Ertragserwartung, "80"},
         {ncol::YieldStep, "10"},
         {ncol::SurchargeRate, "0"},
         {ncol::DeductionRate, "4,5"}},
        {{ncol::BasisErtrag, "80"},
         {ncol::Ertragserwartung, "70"},
         {ncol::YieldStep, "10"},
         {ncol::SurchargeRate, "-"},
         {ncol::DeductionRate, "15"}},
        {{ncol::BasisErtrag, "80"},
         {ncol::Ertragserwartung, "70"},
         {ncol::YieldStep, ""},
         {ncol::SurchargeRate, "x"},
         {ncol::DeductionRate, "y"}},
    };
    for (const auto& cells : cases) {
        Sheets s(2);
        s.Set(s.n, 1, cells);
        EXPECT_NO_THROW(kv4::RecalcWorksheets(s.n, s.p, ','));
        EXPECT_FALSE(s.n.Cells(ncol::NBedarf, 1).empty());
    }
}

struct ErrorCase {
    int col;
    std::string text;
    bool adjustmentRewritten;  // the failing cell is read after column 7 was written
};

TEST(RecalcWorksheets, ConversionErrorEndsThePass) {
    const ErrorCase cases[] = {
        {ncol::Ertragserwartung, "1-2", false},
        {ncol::BasisErtrag, "-", false},
        {ncol::YieldStep, "10 ", false},
        {ncol::SurchargeRate, "4,5", false},
        {ncol::NSollwert, "abc", true},
        {ncol::NMin, "1-2", true},
        {ncol::Humus, "-20 ", true},
        {ncol::Vorfrucht, "-", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text + " in column " + std::to_string(c.col));
        Sheets s(5);
        for (int r = 1; r <= 3; ++r) {
            s.Set(s.n, r, WheatRow("80", "85"));
            s.Set(s.n, r, {{ncol::ZuAbschlag, "old"}, {ncol::NBedarf, "old"}});
            s.Set(s.p, r,
                  {{pcol::Ertragserwartung, "85"}, {pcol::Factor, "0,8"}, {pcol::Entzug, "old"}});
        }
        s.n.SetCell(c.col, 2, c.text);
        s.n.SetCell(ncol::Schlag, 2, "  Acker Nord ");
        // The stop is found without changing a cell, and names the cell.
        const unsigned long long revisions = s.n.Revision() + s.p.Revision();
        const auto stop = kv4::FindRecalcStop(s.n, s.p, ',');
        EXPECT_EQ(s.n.Revision() + s.p.Revision(), revisions);
        ASSERT_TRUE(stop.has_value());
        EXPECT_EQ(stop->col(), c.col);
        EXPECT_EQ(stop->row(), 2);
        EXPECT_EQ(stop->place(),
                  "Schlag „Acker Nord“, Spalte „" + std::string(kv4::NHeadings[c.col]) + "“");
        try {
            kv4::RecalcWorksheets(s.n, s.p, ',');
            ADD_FAILURE() << "no error";
        } catch (const kv4::CellConversionError& e) {
            EXPECT_STREQ(e.what(), ("'" + c.text + "' ist kein gültiger Integerwert").c_str());
            EXPECT_EQ(e.col(), c.col);
        }
        EXPECT_EQ(s.n.Cells(ncol::ZuAbschlag, 1), "5");
        EXPECT_EQ(s.n.Cells(ncol::NBedarf, 1), "  235");
        EXPECT_EQ(s.p.Cells(pcol::Entzug, 1), "68");
        EXPECT_EQ(s.n.Cells(ncol::ZuAbschlag, 2), c.adjustmentRewritten ? "5" : "old");
        EXPECT_EQ(s.n.Cells(ncol::NBedarf, 2), "old");
        EXPECT_EQ(s.p.Cells(pcol::Entzug, 2), "old");
        for (int col : {ncol::ZuAbschlag, ncol::NBedarf}) EXPECT_EQ(s.n.Cells(col, 3), "old");
        EXPECT_EQ(s.p.Cells(pcol::Entzug, 3), "old");
        EXPECT_EQ(s.n.Cells(ncol::NBedarf, 4), "");
    }
}

TEST(RecalcWorksheets, FindRecalcStopOnSheetsThatRunThrough) {
    Sheets s(4);
    s.Set(s.n, 1, WheatRow("80", "85"));
    EXPECT_FALSE(kv4::FindRecalcStop(s.n, s.p, ',').has_value());
}

TEST(RecalcWorksheets, CellsAreReadInOrder) {
    // Every read cell bad: each pass reports the first one still bad, which
    // is then mended with the value in the second column.
    const std::pair<int, std::string> order[] = {
        {ncol::Ertragserwartung, "85"},
        {ncol::BasisErtrag, "80"},
        {ncol::YieldStep, "10"},
        {ncol::SurchargeRate, "10"},
        {ncol::NSollwert, "230"},
        {ncol::NMin, "-40"},
        {ncol::Humus, ""},
        {ncol::OrgVorjahr, "-12"},
        {ncol::Vorfrucht, ""},
    };
    Sheets s(2);
    for (const auto& [col, good] : order) s.n.SetCell(col, 1, "bad" + std::to_string(col));
    for (const auto& [col, good] : order) {
        try {
            kv4::RecalcWorksheets(s.n, s.p, ',');
            ADD_FAILURE() << "no error for column " << col;
        } catch (const kv4::ConversionError& e) {
            EXPECT_EQ(e.text(), "bad" + std::to_string(col));
        }
        s.n.SetCell(col, 1, good);
    }
    EXPECT_NO_THROW(kv4::RecalcWorksheets(s.n, s.p, ','));
    EXPECT_EQ(s.n.Cells(ncol::NBedarf, 1), "  183");
}

TEST(RecalcWorksheets, AdjustmentBeyond32BitsIsReported) {
    // Written in full, then refused when read back for the sum.
    Sheets s(2);
    s.Set(s.n, 1, WheatRow("0", "300000000"));
    s.n.SetCell(ncol::YieldStep, 1, "1");
    EXPECT_THROW(
        {
            try {
                kv4::RecalcWorksheets(s.n, s.p, ',');
            } catch (const kv4::ConversionError& e) {
                EXPECT_STREQ(e.what(), "'3000000000' ist kein gültiger Integerwert");
                throw;
            }
        },
        kv4::ConversionError);
    EXPECT_EQ(s.n.Cells(ncol::ZuAbschlag, 1), "3000000000");

    // The largest product 32-bit cells allow still fits a 64-bit integer.
    s.Set(s.n, 1,
          {{ncol::BasisErtrag, "-2147483648"},
           {ncol::Ertragserwartung, "2147483647"},
           {ncol::SurchargeRate, "2147483647"}});
    EXPECT_THROW(kv4::RecalcWorksheets(s.n, s.p, ','), kv4::ConversionError);
    EXPECT_EQ(s.n.Cells(ncol::ZuAbschlag, 1), "9223372030412324864");
}

struct RemovalCase {
    const char* name;
    std::string yield, factor, factorResidues, mark;
    char separator;
    std::string removal;
};

TEST(RecalcWorksheets, P2O5Removal) {
    const RemovalCase cases[] = {
        {"wheat", "85", "0,8", "1,04", "", ',', "68"},
        {"wheat marked", "85", "0,8", "1,04", "    X", ',', "88"},
        {"wheat unmarked again", "85", "0,8", "1,04", "       ", ',', "68"},
        {"potatoes 67.5 to even", "450", "0,14", "0,15", "    X", ',', "68"},
        {"sugar beet 4.5 to even", "45", "0,1", "0,18", "", ',', "4"},
        {"no crop chosen", "85", "0", "0", "", ',', "0"},
        {"empty factor", "85", "", "", "", ',', "0"},
        {"decimal yield, blanks", "  85,5 ", "0,8", "", "", ',', "68"},
        {"full stop separator", "85", "0.8", "1.04", "    X", '.', "88"},
        {"foreign separator", "85", "0.8", "1.04", "", ',', "Error"},
        {"empty yield", "", "0,8", "1,04", "", ',', "Error"},
        {"negative factor", "85", "-0,8", "1,04", "", ',', "Error"},
        {"factor with blank", "85", " 0,8", "1,04", "", ',', "Error"},
        {"negative yield", "-85", "0,8", "1,04", "", ',', "-68"},
        {"beyond 64 bits", "1e300", "0,8", "1,04", "", ',', "Error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Sheets s(2);
        s.Set(s.p, 1,
              {{pcol::Ertragserwartung, c.yield},
               {pcol::Factor, c.factor},
               {pcol::FactorResidues, c.factorResidues},
               {pcol::Erntereste, c.mark},
               {pcol::Entzug, "120"}});
        EXPECT_NO_THROW(kv4::RecalcWorksheets(s.n, s.p, c.separator));
        EXPECT_EQ(s.p.Cells(pcol::Entzug, 1), c.removal);
    }
}

TEST(RecalcWorksheets, P2O5ErrorDoesNotStopThePass) {
    Sheets s(4);
    s.Set(s.p, 1, {{pcol::Ertragserwartung, ""}, {pcol::Factor, "0,8"}});
    s.Set(s.p, 2, {{pcol::Ertragserwartung, "50"}, {pcol::Factor, "0,8"}});
    s.Set(s.n, 2, WheatRow("80", "85"));
    kv4::RecalcWorksheets(s.n, s.p, ',');
    EXPECT_EQ(s.p.Cells(pcol::Entzug, 1), "Error");
    EXPECT_EQ(s.p.Cells(pcol::Entzug, 2), "40");
    EXPECT_EQ(s.n.Cells(ncol::NBedarf, 2), "  235");
    EXPECT_EQ(s.p.Cells(pcol::Entzug, 3), "Error");  // empty trailing row
}

}  // namespace
