#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "farmwriter/RecordWriter.h"
#include "reference/CropTable.h"
#include "worksheets/Editing.h"
#include "worksheets/NumberFormat.h"
#include "worksheets/Recalc.h"
#include "worksheets/Worksheet.h"

namespace {

using kv4::Worksheet;
namespace ncol = kv4::ncol;
namespace pcol = kv4::pcol;

constexpr int kWheat = 0;  // "Winterweizen A,B"
constexpr int kOats = 7;   // "Hafer"
constexpr int kRape = 14;  // "Winterraps"

// One data row per crop name, plus the empty trailing row.
struct Sheets {
    Worksheet n = kv4::MakeNWorksheet();
    Worksheet p = kv4::MakePWorksheet();
    explicit Sheets(const std::vector<std::string>& crops) {
        const int rows = static_cast<int>(crops.size()) + 2;
        n.SetRowCount(rows);
        p.SetRowCount(rows);
        for (int r = 1; r <= static_cast<int>(crops.size()); ++r) {
            n.SetCell(ncol::Frucht, r, crops[r - 1]);
            p.SetCell(pcol::Frucht, r, crops[r - 1]);
        }
    }
    std::vector<std::string> Column(const Worksheet& w, int col) const {
        std::vector<std::string> texts;
        for (int r = 1; r < w.RowCount(); ++r) texts.push_back(w.Cells(col, r));
        return texts;
    }
};

const std::vector<std::string> kCrops = {"Weizen",  "weizen", "Weizen",
                                         "Weizen ", "Gerste", "Weizen"};

TEST(Editing, Filters) {
    struct Case {
        std::string in, out;
    };
    const Case cases[] = {{"4,5", "45"},     {"-12a", "-12"}, {"1-2", "1-2"}, {" 40 ", "40"},
                          {"Ä5€7", "57"},    {"-", "-"},      {"", ""},       {"+3", "3"},
                          {"1.000", "1000"}, {"\t9\n", "9"}};
    for (const auto& c : cases) {
        EXPECT_EQ(kv4::KeepDigitsAndMinus(c.in), c.out) << c.in;
        EXPECT_EQ(kv4::FilterNEditorText(ncol::BasisErtrag, c.in), c.out);
        EXPECT_EQ(kv4::FilterPEditorText(pcol::Entzug, c.in), c.out);
        // The crop name and the soil content are not filtered.
        EXPECT_EQ(kv4::FilterNEditorText(ncol::Frucht, c.in), c.in);
        EXPECT_EQ(kv4::FilterPEditorText(pcol::Gehalt, c.in), c.in);
    }
}

TEST(Editing, CorrectionsBecomeNegative) {
    struct Case {
        std::string typed, stored;
        bool error;
    };
    const Case cases[] = {{"40", "-40", false}, {"-40", "-40", false}, {"0", "0", false},
                          {"", "", false},      {"-", "-", true},      {"1-2", "1-2", true}};
    for (int col : {ncol::NMin, ncol::OrgVorjahr, ncol::Vorfrucht}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.typed + " in column " + std::to_string(col));
            Sheets s(kCrops);
            s.n.SetCell(col, 3, "-7");
            if (c.error)
                EXPECT_THROW(kv4::WriteBackNCell(s.n, s.p, col, 1, c.typed), kv4::ConversionError);
            else
                EXPECT_NO_THROW(kv4::WriteBackNCell(s.n, s.p, col, 1, c.typed));
            EXPECT_EQ(s.n.Cells(col, 1), c.stored);
            EXPECT_EQ(s.n.Cells(col, 3), "-7");  // not carried to the same crop
        }
    }
}

TEST(Editing, BaseYieldAndTargetCarriedToSameCrop) {
    for (int col : {ncol::BasisErtrag, ncol::NSollwert}) {
        Sheets s(kCrops);
        for (int r = 1; r <= 6; ++r) s.n.SetCell(col, r, "1");
        kv4::WriteBackNCell(s.n, s.p, col, 3, "7x");  // written without a test
        EXPECT_EQ(s.Column(s.n, col),
                  (std::vector<std::string>{"7x", "1", "7x", "1", "1", "7x", ""}));
    }
}

TEST(Editing, YieldExpectationGoesToP2O5Row) {
    Sheets s(kCrops);
    kv4::WriteBackNCell(s.n, s.p, ncol::Ertragserwartung, 3, "85");
    EXPECT_EQ(s.Column(s.n, ncol::Ertragserwartung),
              (std::vector<std::string>{"", "", "85", "", "", "", ""}));
    EXPECT_EQ(s.Column(s.p, pcol::Ertragserwartung), s.Column(s.n, ncol::Ertragserwartung));
}

TEST(Editing, NothingWrittenForOtherColumnsOrRows) {
    Sheets s(kCrops);
    const auto before = s.n.Revision() + s.p.Revision();
    for (int col = 0; col < ncol::Count; ++col)
        if (col != ncol::BasisErtrag && col != ncol::Ertragserwartung && col != ncol::NSollwert &&
            col != ncol::NMin && col != ncol::OrgVorjahr && col != ncol::Vorfrucht)
            kv4::WriteBackNCell(s.n, s.p, col, 1, "Roggen");
    for (int row : {-1, 0, 8, 1000})
        for (int col : {ncol::BasisErtrag, ncol::Ertragserwartung, ncol::NMin}) {
            EXPECT_NO_THROW(kv4::WriteBackNCell(s.n, s.p, col, row, "-"));
            kv4::StoreYieldStepAndRates(s.n, row, {"1", "2", "3"});
            kv4::ApplyCropChoice(s.n, s.p, row, kWheat, ',');
            kv4::PropagateCropChoice(s.n, s.p, row, kWheat);
            kv4::ToggleResidueMark(s.p, row);
            EXPECT_NO_THROW(kv4::WriteBackContent(s.p, row, "", kv4::NutrientClasses{}));
            kv4::WriteBackRemoval(s.p, row, "1");
            kv4::WriteBackRemark(s.p, row, "1");
            EXPECT_TRUE(kv4::RowsOfSameCrop(s.n, row).empty());
        }
    EXPECT_EQ(s.n.Revision() + s.p.Revision(), before);
    EXPECT_EQ(s.n.Cells(ncol::Frucht, 0), "Frucht");
}

TEST(Editing, TakeOverRatesForSameCrop) {
    Sheets s(kCrops);
    kv4::StoreYieldStepAndRates(s.n, 1, {"10", "10", "15"});
    EXPECT_EQ(kv4::PanelTextsOfRow(s.n, 6), (kv4::PanelTexts{"10", "10", "15"}));
    EXPECT_EQ(kv4::PanelTextsOfRow(s.n, 3), (kv4::PanelTexts{"10", "10", "15"}));
    for (int r : {2, 4, 5, 7}) EXPECT_EQ(kv4::PanelTextsOfRow(s.n, r), kv4::PanelTexts{}) << r;
    kv4::StoreYieldStepAndRates(s.n, 3, {"x", "", "4,5"});  // stored unchecked
    EXPECT_EQ(kv4::PanelTextsOfRow(s.n, 1), (kv4::PanelTexts{"x", "", "4,5"}));
}

TEST(Editing, CropChoiceFillsRowAndPanel) {
    Sheets s(kCrops);
    s.n.SetCell(ncol::BasisErtrag, 1, "99");  // typed before: overwritten
    const auto panel = kv4::ApplyCropChoice(s.n, s.p, 1, kWheat, ',');
    ASSERT_TRUE(panel.has_value());
    EXPECT_EQ(*panel, (kv4::PanelTexts{"10", "10", "15"}));
    EXPECT_EQ(kv4::PanelTextsOfRow(s.n, 1), *panel);
    EXPECT_EQ(s.n.Cells(ncol::BasisErtrag, 1), "80");
    EXPECT_EQ(s.n.Cells(ncol::NSollwert, 1), "230");
    EXPECT_EQ(s.p.Cells(pcol::Factor, 1), "0,8");
    EXPECT_EQ(s.p.Cells(pcol::FactorResidues, 1), "1,04");
    EXPECT_EQ(s.n.Cells(ncol::BasisErtrag, 3), "");  // the same crop only after "&Ja"

    kv4::ApplyCropChoice(s.n, s.p, 2, kRape, '.');
    EXPECT_EQ(s.n.Cells(ncol::BasisErtrag, 2), "40");
    EXPECT_EQ(s.n.Cells(ncol::NSollwert, 2), "200");
    EXPECT_EQ(s.n.Cells(ncol::YieldStep, 2), "5");
    EXPECT_EQ(s.p.Cells(pcol::Factor, 2), "1.8");
    EXPECT_EQ(s.p.Cells(pcol::FactorResidues, 2), "2.48");

    const auto revision = s.n.Revision() + s.p.Revision();
    EXPECT_FALSE(kv4::ApplyCropChoice(s.n, s.p, 1, -1, ',').has_value());
    EXPECT_FALSE(kv4::ApplyCropChoice(s.n, s.p, 1, kv4::kCropCount, ',').has_value());
    kv4::PropagateCropChoice(s.n, s.p, 1, -1);
    EXPECT_EQ(s.n.Revision() + s.p.Revision(), revision);
}

TEST(Editing, PropagationFillsOnlyRowsWithoutBaseYield) {
    // Row: crop, base yield before, filled by "&Ja".
    struct Row {
        std::string crop, base;
        bool filled;
    };
    const std::vector<Row> rows = {
        {"Weizen", "99", true},  // the chosen row itself
        {"Weizen", "", true},   {"Weizen", "0", false},    {"Weizen", "   ", true},
        {"weizen", "", false},  {"Weizen ", "", false},    {"Weizen", "", true},
        {"Gerste", "", false},  {"Weizen", " 75 ", false},
    };
    std::vector<std::string> crops;
    for (const auto& row : rows) crops.push_back(row.crop);
    for (bool yes : {true, false}) {
        SCOPED_TRACE(yes ? "Ja" : "Nein");
        Sheets s(crops);
        for (int r = 1; r <= static_cast<int>(rows.size()); ++r) {
            s.n.SetCell(ncol::BasisErtrag, r, rows[r - 1].base);
            s.p.SetCell(pcol::Factor, r, "0");
        }
        kv4::StoreYieldStepAndRates(s.n, 7, {"7", "8", "9"});  // lost by "&Ja"
        kv4::ApplyCropChoice(s.n, s.p, 1, kOats, ',');
        if (yes) kv4::PropagateCropChoice(s.n, s.p, 1, kOats);
        for (int r = 1; r <= static_cast<int>(rows.size()); ++r) {
            SCOPED_TRACE(r);
            const bool filled = rows[r - 1].filled && (yes || r == 1);
            EXPECT_EQ(s.n.Cells(ncol::BasisErtrag, r), filled ? "55" : rows[r - 1].base);
            EXPECT_EQ(s.n.Cells(ncol::NSollwert, r), filled ? "130" : "");
            EXPECT_EQ(s.p.Cells(pcol::Factor, r), filled ? "0,8" : "0");
            EXPECT_EQ(s.p.Cells(pcol::FactorResidues, r), filled ? "1,13" : "");
            const kv4::PanelTexts rates = filled ? kv4::PanelTexts{"10", "10", "15"}
                                          : rows[r - 1].crop == "Weizen"
                                              ? kv4::PanelTexts{"7", "8", "9"}
                                              : kv4::PanelTexts{};
            EXPECT_EQ(kv4::PanelTextsOfRow(s.n, r), rates);
        }
    }
}

TEST(Editing, CropChoiceThenRecalculation) {
    Sheets s({"WW", "Hafer"});
    kv4::WriteBackNCell(s.n, s.p, ncol::Ertragserwartung, 1, "85");
    kv4::WriteBackNCell(s.n, s.p, ncol::Ertragserwartung, 2, "50");
    kv4::ApplyCropChoice(s.n, s.p, 1, kWheat, ',');
    kv4::ApplyCropChoice(s.n, s.p, 2, kOats, ',');
    kv4::RecalcWorksheets(s.n, s.p, ',');
    EXPECT_EQ(s.n.Cells(ncol::ZuAbschlag, 1), "5");
    EXPECT_EQ(s.p.Cells(pcol::Entzug, 1), "68");
    EXPECT_EQ(s.p.Cells(pcol::Entzug, 2), "40");  // oats remove 0.8 kg per dt
    kv4::WriteBackRemoval(s.p, 1, "120");
    EXPECT_EQ(s.p.Cells(pcol::Entzug, 1), "120");
    for (const char* expected : {"88", "68", "88"}) {
        kv4::ToggleResidueMark(s.p, 1);
        kv4::RecalcWorksheets(s.n, s.p, ',');
        EXPECT_EQ(s.p.Cells(pcol::Entzug, 1), expected);
    }
}

TEST(Editing, ResidueMarkToggle) {
    const std::pair<std::string, std::string> cases[] = {{"", "    X"},
                                                         {"    X", "       "},
                                                         {"       ", "    X"},
                                                         {"\t", "    X"},
                                                         {"x", "       "}};
    for (const auto& [before, after] : cases) {
        Sheets s({"A"});
        s.p.SetCell(pcol::Erntereste, 1, before);
        kv4::ToggleResidueMark(s.p, 1);
        EXPECT_EQ(s.p.Cells(pcol::Erntereste, 1), after) << '"' << before << '"';
    }
}

TEST(Editing, ContentSetsClass) {
    kv4farm::NKlassenSpec spec;
    spec.names[0] = "lS";
    spec.limits = {5, 10, 17, 25};
    kv4::NutrientClasses classes;
    classes.LoadFromBytes(kv4farm::EncodeNKlassen(spec));

    struct Case {
        std::string soil, text, klasse;
        bool error;
    };
    const Case cases[] = {
        {"lS", "12", "C", false}, {"lS", "5", "A", false},  {"lS", " 26", "E", false},
        {"lS", "-3", "A", false}, {"ls", "12", " ", false}, {"lS", "", "?", true},
        {"lS", "4,5", "?", true}, {"lS", "12 ", "?", true}, {"lS", "abc", "?", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.soil + "/" + c.text);
        Sheets s({"A"});
        s.p.SetCell(pcol::Bodenart, 1, c.soil);
        s.p.SetCell(pcol::Klasse, 1, "?");
        if (c.error) {
            try {
                kv4::WriteBackPCell(s.p, pcol::Gehalt, 1, c.text, classes);
                ADD_FAILURE() << "no error";
            } catch (const kv4::ConversionError& e) {
                EXPECT_STREQ(e.what(), ("'" + c.text + "' ist kein gültiger Integerwert").c_str());
            }
        } else {
            kv4::WriteBackPCell(s.p, pcol::Gehalt, 1, c.text, classes);
        }
        EXPECT_EQ(s.p.Cells(pcol::Gehalt, 1), c.text);
        EXPECT_EQ(s.p.Cells(pcol::Klasse, 1), c.klasse);
    }
}

TEST(Editing, RemovalAndRemark) {
    Sheets s({"A"});
    kv4::NutrientClasses none;
    kv4::WriteBackPCell(s.p, pcol::Entzug, 1, "120", none);
    kv4::WriteBackPCell(s.p, pcol::Anmerkung, 1, "ignored", none);
    EXPECT_EQ(s.p.Cells(pcol::Entzug, 1), "120");
    EXPECT_EQ(s.p.Cells(pcol::Anmerkung, 1), "");
    kv4::WriteBackRemark(s.p, 1, "Gülle im Herbst");
    EXPECT_EQ(s.p.Cells(pcol::Anmerkung, 1), "Gülle im Herbst");
}

}  // namespace
