#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "farmwriter/RecordWriter.h"
#include "support/RandomFarm.h"
#include "support/TempDir.h"
#include "worksheets/Fill.h"
#include "worksheets/NumberFormat.h"

namespace {

using kv4::ncol::Ertragserwartung;
using kv4farm::FieldSpec;
using kv4farm::WorkSpec;
using kv4test::FarmSpec;
using kv4test::kCrops;
using kv4test::RandomFarm;
using kv4test::ToClasses;
using kv4test::ToFarmData;

struct Sheets {
    kv4::Worksheet n = kv4::MakeNWorksheet();
    kv4::Worksheet p = kv4::MakePWorksheet();
};

Sheets Fill(const FarmSpec& spec, char separator = ',') {
    Sheets s;
    kv4test::FillWorksheets(ToFarmData(spec), ToClasses(spec), s.n, s.p, separator);
    return s;
}

// A farm whose 2018 has one listed field 1/0 growing `crop`.
FarmSpec OneField(const std::string& crop = "Raps") {
    FarmSpec spec;
    spec.years[0].fields = {{.fieldNo = 1, .name = "Koppel", .area = 10, .crop = crop}};
    return spec;
}

WorkSpec Harvest(std::uint16_t fieldNo, const std::string& crop, double amount) {
    return {.fieldNo = fieldNo, .workType = 6, .cropName = crop, .amount = amount};
}

// ---- Rows ------------------------------------------------------------------

TEST(FillRows, ListsFieldsWithoutStatusBit0InFileOrder) {
    FarmSpec spec;
    spec.years[0].fields = {
        {.fieldNo = 4, .name = "Nordfeld", .area = 5.5, .statusBits = 2, .crop = "Raps"},
        {.fieldNo = 2, .name = "Versteckt", .area = 3, .statusBits = 3, .crop = "Mais"},
        {.fieldNo = 1, .subNo = 1, .name = "Süd", .area = 12.125, .crop = "Winterweizen"},
    };
    for (const char separator : {',', '.'}) {
        SCOPED_TRACE(separator);
        const Sheets s = Fill(spec, separator);
        ASSERT_EQ(s.n.RowCount(), 4);
        ASSERT_EQ(s.p.RowCount(), 4);
        const std::string sep(1, separator);
        const std::vector<std::vector<std::string>> rows = {
            {"Nordfeld", "Raps", " 5" + sep + "50"},
            {"Süd", "Winterweizen", "12" + sep + "13"},
        };
        for (int r = 1; r <= 2; ++r) {
            const auto& want = rows[static_cast<std::size_t>(r - 1)];
            for (const kv4::Worksheet* sheet : {&s.n, &s.p}) {
                EXPECT_EQ(sheet->Cells(0, r), want[0]);
                EXPECT_EQ(sheet->Cells(1, r), want[1]);
                EXPECT_EQ(sheet->Cells(2, r), want[2]);
            }
            EXPECT_EQ(s.n.Cells(kv4::ncol::V, r), "V");
            EXPECT_EQ(s.p.Cells(kv4::pcol::Factor, r), "0");
            EXPECT_EQ(s.p.Cells(kv4::pcol::FactorResidues, r), "0");
            // Left for the user and the recalculation.
            for (int c : {kv4::ncol::BasisErtrag, kv4::ncol::NSollwert, kv4::ncol::ZuAbschlag,
                          kv4::ncol::Vorfrucht, kv4::ncol::NBedarf, kv4::ncol::YieldStep,
                          kv4::ncol::SurchargeRate, kv4::ncol::DeductionRate})
                EXPECT_EQ(s.n.Cells(c, r), "") << c;
            for (int c : {kv4::pcol::Erntereste, kv4::pcol::Entzug, kv4::pcol::Anmerkung})
                EXPECT_EQ(s.p.Cells(c, r), "") << c;
        }
        // The trailing row holds the expectation alone.
        for (int c = 0; c < kv4::ncol::Count; ++c)
            EXPECT_EQ(s.n.Cells(c, 3), c == Ertragserwartung ? "    0" : "") << c;
        for (int c = 0; c < kv4::pcol::Count; ++c)
            EXPECT_EQ(s.p.Cells(c, 3), c == kv4::pcol::Ertragserwartung ? "    0" : "") << c;
    }
}

// The trailing row (row 1 when nothing is listed) takes the expectation of the
// empty crop text; with nothing listed the P2O5 worksheet keeps its 5 rows.
TEST(FillRows, TrailingRowAndNoListedField) {
    struct Case {
        const char* name;
        std::uint8_t statusBits;
        bool emptyCropHarvest;
        int nRows, pRows, trailing;
        const char* expectation;
    };
    const Case cases[] = {
        {"listed, no harvest", 0, false, 3, 3, 2, "    0"},
        {"listed, empty-name harvest", 0, true, 3, 3, 2, "   60"},
        {"none listed", 1, false, 2, 5, 1, "    0"},
        {"none listed, empty-name harvest", 5, true, 2, 5, 1, "   60"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FarmSpec spec;
        spec.years[0].fields = {
            {.fieldNo = 1, .name = "A", .area = 1, .statusBits = c.statusBits, .crop = "Raps"}};
        spec.years[2].fields = {{.fieldNo = 1, .area = 2}};
        if (c.emptyCropHarvest) spec.years[2].works = {Harvest(1, "", 60)};
        const Sheets s = Fill(spec);
        EXPECT_EQ(s.n.RowCount(), c.nRows);
        EXPECT_EQ(s.p.RowCount(), c.pRows);
        EXPECT_EQ(s.n.Cells(Ertragserwartung, c.trailing), c.expectation);
        EXPECT_EQ(s.p.Cells(kv4::pcol::Ertragserwartung, c.trailing), c.expectation);
        for (int r = c.trailing + 1; r < s.p.RowCount(); ++r)
            EXPECT_EQ(s.p.Cells(kv4::pcol::Ertragserwartung, r), "");
    }
}

// ---- N worksheet corrections ---------------------------------------------

TEST(FillRows, NminOfTheLatestSample) {
    struct Sample {
        kv4::WorkDate date;
        double n1, n2, n3;
        std::uint8_t workType = 1, nminMark = 1, optionalMark = 0;
    };
    struct Case {
        const char* name;
        std::vector<Sample> samples;  // in file order
        const char* expected;
    };
    const Case cases[] = {
        {"two samples", {{{1, 3, 18, 0}, 20, 15, 5}, {{15, 3, 18, 0}, 30, 10, 6}}, "-46"},
        {"later sample first in file",
         {{{15, 3, 18, 0}, 30, 10, 6}, {{1, 3, 18, 0}, 20, 15, 5}},
         "-46"},
        {"4.5 rounds away from zero", {{{1, 3, 18, 0}, 4.5, 0, 0}}, "-5"},
        {"7", {{{1, 3, 18, 0}, 3, 2, 2}}, "-7"},
        {"0.3 shows 0", {{{1, 3, 18, 0}, 0.1, 0.1, 0.1}}, " 0"},
        {"no sample", {}, ""},
        {"fertilisation without mark", {{{1, 3, 18, 0}, 20, 0, 0, 1, 0}}, ""},
        {"mark on a harvest", {{{1, 3, 18, 0}, 20, 0, 0, 6, 1}}, ""},
        {"optional later sample left out",
         {{{1, 3, 18, 0}, 20, 15, 5}, {{15, 3, 18, 0}, 30, 10, 6, 1, 1, 1}},
         "-40"},
        {"three digits not cut", {{{1, 3, 18, 0}, 100, 20, 3}}, "-123"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FarmSpec spec = OneField();
        for (const Sample& s : c.samples) {
            spec.years[0].works.push_back({.fieldNo = 1,
                                           .workType = s.workType,
                                           .optionalMark = s.optionalMark,
                                           .nminMark = s.nminMark,
                                           .date = s.date,
                                           .nutrient1 = s.n1,
                                           .nutrient2 = s.n2,
                                           .nutrient3 = s.n3});
        }
        // A sample of the year before is not this year's.
        spec.years[1].fields = {{.fieldNo = 1, .area = 10}};
        spec.years[1].works = {{.fieldNo = 1, .workType = 1, .nminMark = 1, .nutrient1 = 99}};
        EXPECT_EQ(Fill(spec).n.Cells(kv4::ncol::NMin, 1), c.expected);
    }
}

TEST(FillRows, HumusAboveFourPercent) {
    for (const auto& [humus, expected] : std::vector<std::pair<std::uint16_t, const char*>>{
             {0, ""}, {40, ""}, {41, "-20"}, {65535, "-20"}}) {
        FarmSpec spec = OneField();
        spec.years[0].fields[0].humus = humus;
        EXPECT_EQ(Fill(spec).n.Cells(kv4::ncol::Humus, 1), expected) << humus;
    }
}

TEST(FillRows, OrganicFertilisationOfThePreviousYear) {
    // 12.5 t/ha with 0.5 kg N/dt: S = 62.5.
    const WorkSpec manure{.fieldNo = 1,
                          .workType = 1,
                          .organicMark = 1,
                          .amount = 12.5,
                          .unit = 3,
                          .nutrient1 = 0.5,
                          .organicProductMark = 1};
    auto with = [&](auto change) {
        WorkSpec w = manure;
        change(w);
        return w;
    };
    struct Case {
        const char* name;
        std::vector<WorkSpec> works2017;
        const char* expected;
        std::int16_t fieldNo2017 = 1;
    };
    const Case cases[] = {
        {"S = 62.5", {manure}, "   -6"},
        {"S = 125", {with([](WorkSpec& w) { w.amount = 25; })}, "  -13"},
        {"two applications", {manure, with([](WorkSpec& w) { w.amount = 25; })}, "  -19"},
        {"part area", {with([](WorkSpec& w) { w.partAreaMark = 1; })}, "    0"},
        {"no organic mark", {with([](WorkSpec& w) { w.organicMark = 0; })}, "    0"},
        {"no product mark", {with([](WorkSpec& w) { w.organicProductMark = 0; })}, "    0"},
        {"a harvest", {with([](WorkSpec& w) { w.workType = 6; })}, "    0"},
        {"optional", {with([](WorkSpec& w) { w.optionalMark = 1; })}, "    0"},
        {"kg per ha",
         {with([](WorkSpec& w) {
             w.amount = 12500;
             w.unit = 1;
         })},
         "   -6"},
        {"field absent in 2017", {with([](WorkSpec& w) { w.fieldNo = 2; })}, "    0", 2},
        {"nothing in 2017", {}, "    0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FarmSpec spec = OneField();
        spec.years[1].fields = {{.fieldNo = 0, .area = 3}, {.fieldNo = c.fieldNo2017, .area = 3}};
        spec.years[1].works = c.works2017;
        // The same application in 2018 or 2016 is not the year before.
        spec.years[0].works = {manure};
        spec.years[2].fields = {{.fieldNo = 1, .area = 3}};
        spec.years[2].works = {manure};
        EXPECT_EQ(Fill(spec).n.Cells(kv4::ncol::OrgVorjahr, 1), c.expected);
    }
}

// ---- Yield expectation ----------------------------------------------------

TEST(FillRows, YieldExpectation) {
    struct H {
        int year;  // 1 = 2017, 2 = 2016, 3 = 2015
        double area;
        double amount;
        std::string crop = "Winterweizen";
        std::uint8_t unit = 2;
        std::uint8_t statusBits = 0;
        std::uint8_t partAreaMark = 0;
        double workedArea = 0;
    };
    const std::vector<H> base = {{1, 10, 80}, {1, 5, 50}, {3, 4, 60}};
    auto plus = [&](std::vector<H> more) {
        std::vector<H> all = base;
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };
    struct Case {
        const char* name;
        std::vector<H> harvests;
        const char* expected;
        std::string crop2018 = "Winterweizen";
    };
    const Case cases[] = {
        {"means 70 and 60", base, "   65"},
        {"harvest without amount", plus({{1, 5, 0}}), "   56"},
        {"kg per ha", {{2, 3, 8000, "Winterweizen", 1}}, "   80"},
        {"tonnes per ha", {{2, 3, 8, "Winterweizen", 3}}, "   80"},
        {"different case", {{1, 3, 80, "winterweizen"}}, "    0"},
        {"trailing blank", {{1, 3, 80, "Winterweizen "}}, "    0"},
        {"crop text longer than any crop name",
         {{1, 3, 80, "Sommerfuttererb"}},
         "    0",
         "Sommerfuttererbsen"},
        {"part area", {{1, 10, 80}, {1, 20, 50, "Winterweizen", 2, 0, 1, 5}}, "   70"},
        {"hidden fields of earlier years count", {{1, 10, 70, "Winterweizen", 2, 1}}, "   70"},
        {"negative year mean left out", {{1, 10, 80}, {2, 10, -50}}, "   80"},
        {"unknown unit counts 0 and lowers the mean",
         {{1, 10, 80}, {1, 10, 80, "Winterweizen", 15}},
         "   40"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FarmSpec spec = OneField(c.crop2018);
        // A second row of the same crop, and 2018's own harvest, which does not count.
        spec.years[0].fields.push_back({.fieldNo = 9, .name = "Zwei", .crop = c.crop2018});
        spec.years[0].works = {Harvest(1, c.crop2018, 500)};
        std::int16_t next = 1;
        for (const auto& h : c.harvests) {
            auto& year = spec.years[h.year];
            year.fields.push_back(
                {.fieldNo = next, .area = h.area, .statusBits = h.statusBits, .crop = "x"});
            WorkSpec w = Harvest(static_cast<std::uint16_t>(next), h.crop, h.amount);
            w.unit = h.unit;
            w.partAreaMark = h.partAreaMark;
            w.workedArea = h.workedArea;
            year.works.push_back(w);
            ++next;
        }
        const Sheets s = Fill(spec);
        for (int r : {1, 2}) {
            EXPECT_EQ(s.n.Cells(Ertragserwartung, r), c.expected);
            EXPECT_EQ(s.p.Cells(kv4::pcol::Ertragserwartung, r), c.expected);
        }
    }
}

// A key listed twice in a year collects the same works twice, each time
// with the area of its own record.
TEST(FillRows, DuplicateFieldKeyCountsItsHarvestTwice) {
    FarmSpec spec = OneField("Gerste");
    spec.years[1].fields = {
        {.fieldNo = 1, .area = 10}, {.fieldNo = 1, .area = 30}, {.fieldNo = 2, .area = 10}};
    spec.years[1].works = {Harvest(1, "Gerste", 80), Harvest(2, "Gerste", 50)};
    // (800 + 2400 + 500) / 50
    EXPECT_EQ(Fill(spec).n.Cells(Ertragserwartung, 1), "   74");
}

// ---- P2O5 worksheet -------------------------------------------------------

TEST(FillRows, P2O5ContentAndClass) {
    struct Case {
        double content;
        std::string soil;
        const char* gehalt;
        const char* klasse;
    };
    const Case cases[] = {
        {12.5, "lS", "12", "A"}, {13.5, "lS", "14", "A"}, {12.51, "lS", "13", "A"},
        {15.4, "lS", "15", "B"}, {15, "lS", "15", "A"},   {25.5, "sL", "26", "C"},
        {46, "sL", "46", "E"},   {0, "lS", "0", "A"},     {-0.4, "lS", "0", "A"},
        {15, "lS ", "15", " "},  {15, "ls", "15", " "},   {123456.5, "T", "123456", "E"},
        {15.4, "", "15", "B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.content) + " '" + c.soil + "'");
        FarmSpec spec = OneField();
        spec.years[0].fields[0].p2o5Content = c.content;
        spec.years[0].fields[0].soilType = c.soil;
        spec.classes = {{.names = {"lS", "sL"}, .limits = {15, 25, 35, 45}},
                        {.names = {"T", "", "lS"}, .limits = {10, 20, 30, 40}}};
        const Sheets s = Fill(spec);
        EXPECT_EQ(s.p.Cells(kv4::pcol::Gehalt, 1), c.gehalt);
        EXPECT_EQ(s.p.Cells(kv4::pcol::Bodenart, 1), c.soil);
        EXPECT_EQ(s.p.Cells(kv4::pcol::Klasse, 1), c.klasse);
    }
}

TEST(FillRows, EmptyClassTableGivesBlankClass) {
    FarmSpec spec = OneField();
    spec.years[0].fields[0].soilType = "lS";
    EXPECT_EQ(Fill(spec).p.Cells(kv4::pcol::Klasse, 1), " ");
}

// ---- Loading --------------------------------------------------------------

TEST(FillLoad, LoadsEachYearFromItsFiles) {
    kv4test::TempDir dir;
    kv4farm::WriteYear(dir.path(), 2018, {{.fieldNo = 1, .name = "A", .crop = "Raps"}},
                       {{.fieldNo = 1, .workType = 1, .nminMark = 1, .nutrient1 = 12}});
    kv4farm::WriteYear(dir.path(), 2017, {{.fieldNo = 1, .area = 2}, {.fieldNo = 2, .area = 2}},
                       {Harvest(1, "Raps", 40)});
    kv4farm::WriteYear(dir.path(), 2016,
                       {{.fieldNo = 1, .area = 2}, {.fieldNo = 2}, {.fieldNo = 3}},
                       {Harvest(1, "Raps", 30)});
    // No 2015.
    kv4test::FarmData farm;
    EXPECT_TRUE(
        kv4test::LoadFarmYears(farm, kv4::WithTrailingSeparator(dir.path().string())).empty());
    EXPECT_TRUE(farm.HasFields2018());
    EXPECT_EQ(farm.Year2018.FieldCount(), 1);
    EXPECT_EQ(farm.Year2017.FieldCount(), 2);
    EXPECT_EQ(farm.Year2016.FieldCount(), 3);
    EXPECT_EQ(farm.Year2015.FieldCount(), 0);

    Sheets s;
    kv4test::FillWorksheets(farm, kv4::NutrientClasses(), s.n, s.p, ',');
    EXPECT_EQ(s.n.Cells(kv4::ncol::NMin, 1), "-12");
    EXPECT_EQ(s.n.Cells(Ertragserwartung, 1), "   35");

    kv4test::FarmData empty;
    EXPECT_TRUE(
        kv4test::LoadFarmYears(empty, kv4::WithTrailingSeparator((dir.path() / "nichts").string()))
            .empty());
    EXPECT_FALSE(empty.HasFields2018());
}

// ---- The fast fill against the literal one --------------------------------

// The yield expectation exactly as described: every field of every earlier
// year asked for its works, for every row.
double LiteralExpectation(const kv4test::FarmData& farm, const std::string& crop) {
    const kv4::FieldRegister* years[] = {&farm.Year2017, &farm.Year2016, &farm.Year2015};
    kv4::FieldRecord field;
    std::vector<kv4::WorkRecord> list;
    double total = 0;
    int count = 0;
    for (const kv4::FieldRegister* year : years) {
        double yieldSum = 0;
        double areaSum = 0;
        for (int i = 0; i < year->FieldCount(); ++i) {
            year->GetFieldWorks(i, field, list, false);
            for (const kv4::WorkRecord& w : list) {
                if (w.WorkType() != 6 || w.CropName() != crop) continue;
                const double area = w.PartAreaMark() == 0 ? field.Area() : w.WorkedArea();
                yieldSum += kv4::UnitFactor(w.Unit(), 2, &w) * w.Amount() * area;
                areaSum += area;
            }
        }
        const double mean = areaSum > 0 ? yieldSum / areaSum : yieldSum;
        if (mean > 0) {
            total += mean;
            ++count;
        }
    }
    return count > 0 ? total / count : 0;
}

void LiteralFill(const kv4test::FarmData& farm, const kv4::NutrientClasses& classes,
                 kv4::Worksheet& n, kv4::Worksheet& p, char sep) {
    namespace nc = kv4::ncol;
    namespace pc = kv4::pcol;
    kv4::FieldRecord rec;
    std::vector<kv4::WorkRecord> list;
    int r = 1;
    for (int i = 0; i < farm.Year2018.FieldCount(); ++i) {
        farm.Year2018.GetFieldWorks(i, rec, list, false);
        if (rec.StatusBits() & 1) continue;
        n.SetRowCount(n.RowCount() + 1);
        p.SetRowCount(n.RowCount());
        n.SetCell(nc::Schlag, r, rec.Name());
        n.SetCell(nc::Frucht, r, rec.Crop());
        n.SetCell(nc::Ha, r, kv4::FormatFixed(rec.Area(), 5, 2, sep));
        n.SetCell(nc::V, r, "V");
        p.SetCell(pc::Schlag, r, rec.Name());
        p.SetCell(pc::Frucht, r, rec.Crop());
        p.SetCell(pc::Ha, r, kv4::FormatFixed(rec.Area(), 5, 2, sep));
        p.SetCell(pc::Gehalt, r,
                  kv4::FormatFixed(kv4::RoundHalfEven(rec.P2O5Content()), 0, 0, sep));
        p.SetCell(pc::Bodenart, r, rec.SoilType());
        p.SetCell(pc::Klasse, r,
                  std::string(1, classes.ContentClass(rec.SoilType(), rec.P2O5Content())));
        p.SetCell(pc::Factor, r, "0");
        p.SetCell(pc::FactorResidues, r, "0");
        for (const kv4::WorkRecord& w : list) {
            if (w.WorkType() == 1 && w.NminMark() != 0)
                n.SetCell(
                    nc::NMin, r,
                    kv4::FormatFixed(-(w.Nutrient1() + w.Nutrient2() + w.Nutrient3()), 2, 0, sep));
        }
        if (rec.Humus() > 40) n.SetCell(nc::Humus, r, "-20");
        const int pos = farm.Year2017.FindField(rec.FieldNo(), rec.SubNo());
        farm.Year2017.GetFieldWorks(pos, rec, list, false);
        double s = 0;
        for (const kv4::WorkRecord& w : list) {
            if (w.OrganicMark() != 0 && w.WorkType() == 1 && w.OrganicProductMark() != 0 &&
                w.PartAreaMark() == 0)
                s += kv4::UnitFactor(w.Unit(), 2, &w) * w.Amount() * w.Nutrient1();
        }
        n.SetCell(nc::OrgVorjahr, r, kv4::FormatFixed((-1 * s) / 10, 5, 0, sep));
        ++r;
    }
    for (int row = 1; row < n.RowCount(); ++row) {
        n.SetCell(nc::Ertragserwartung, row,
                  kv4::FormatFixed(LiteralExpectation(farm, n.Cells(nc::Frucht, row)), 5, 0, sep));
        p.SetCell(pc::Ertragserwartung, row, n.Cells(nc::Ertragserwartung, row));
    }
}

TEST(FillFastPath, EqualsLiteralFillOnRandomFarms) {
    int rowsCompared = 0;
    int nonZeroExpectations = 0;
    std::size_t worksCompared = 0;
    for (std::uint32_t seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE(seed);
        const FarmSpec spec = RandomFarm(seed);
        const kv4test::FarmData farm = ToFarmData(spec);
        const kv4::NutrientClasses classes = ToClasses(spec);

        // Every field's works, in the same order as the register hands out copies.
        const kv4::FieldRegister* years[] = {&farm.Year2018, &farm.Year2017, &farm.Year2016,
                                             &farm.Year2015};
        kv4::FieldRecord rec;
        std::vector<kv4::WorkRecord> copies;
        std::vector<kv4::CollectedWork> refs;
        for (const kv4::FieldRegister* year : years) {
            for (int i = 0; i < year->FieldCount(); ++i) {
                year->GetFieldWorks(i, rec, copies, false);
                kv4::CollectWorks(*year, year->Fields()[static_cast<std::size_t>(i)], refs);
                ASSERT_EQ(refs.size(), copies.size()) << i;
                for (std::size_t k = 0; k < refs.size(); ++k)
                    ASSERT_TRUE(*refs[k].work == copies[k]) << "field " << i << ", work " << k;
                worksCompared += copies.size();
            }
        }

        // The expectation itself, to the last bit: summation order matters.
        kv4::YieldExpectation fast = kv4test::Expectation(farm);
        for (const std::string& crop : kCrops) {
            const double literal = LiteralExpectation(farm, crop);
            EXPECT_EQ(std::bit_cast<std::uint64_t>(fast.Of(crop)),
                      std::bit_cast<std::uint64_t>(literal))
                << "'" << crop << "' " << fast.Of(crop) << " " << literal;
            if (literal != 0) ++nonZeroExpectations;
        }

        for (const char sep : {',', '.'}) {
            Sheets want;
            Sheets got;
            LiteralFill(farm, classes, want.n, want.p, sep);
            kv4test::FillWorksheets(farm, classes, got.n, got.p, sep);
            ASSERT_EQ(got.n.RowCount(), want.n.RowCount());
            ASSERT_EQ(got.p.RowCount(), want.p.RowCount());
            for (int r = 0; r < want.n.RowCount(); ++r)
                for (int c = 0; c < kv4::ncol::Count; ++c)
                    EXPECT_EQ(got.n.Cells(c, r), want.n.Cells(c, r)) << "N " << c << "/" << r;
            for (int r = 0; r < want.p.RowCount(); ++r)
                for (int c = 0; c < kv4::pcol::Count; ++c)
                    EXPECT_EQ(got.p.Cells(c, r), want.p.Cells(c, r)) << "P " << c << "/" << r;
            rowsCompared += want.n.RowCount();
        }
    }
    // The farms exercise what they are meant to.
    EXPECT_GT(rowsCompared, 500);
    EXPECT_GT(nonZeroExpectations, 100);
    EXPECT_GT(worksCompared, 10000u);
}

}  // namespace
