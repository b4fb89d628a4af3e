#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/RandomFarm.h"
#include "worksheets/NumberFormat.h"
#include "worksheets/YieldSources.h"

namespace {

using kv4farm::WorkSpec;
using kv4test::FarmSpec;

struct H {
    int year;  // 1 = 2017, 2 = 2016, 3 = 2015
    double area;
    double amount;
    std::string crop = "Winterweizen";
};

// One listed field of `crop` in 2018; each harvest on a field of its own.
FarmSpec Farm(const std::string& crop, const std::vector<H>& harvests) {
    FarmSpec spec;
    spec.years[0].fields = {{.fieldNo = 1, .name = "Koppel", .area = 10, .crop = crop}};
    std::int16_t next = 1;
    for (const H& h : harvests) {
        spec.years[h.year].fields.push_back({.fieldNo = next, .area = h.area});
        spec.years[h.year].works.push_back({.fieldNo = static_cast<std::uint16_t>(next),
                                            .workType = 6,
                                            .cropName = h.crop,
                                            .amount = h.amount});
        ++next;
    }
    return spec;
}

struct Filled {
    kv4::Worksheet n = kv4::MakeNWorksheet();
    kv4::Worksheet p = kv4::MakePWorksheet();
    std::vector<kv4::YieldSource> sources;
};

Filled Fill(const FarmSpec& spec, char separator = ',') {
    Filled f;
    kv4::YieldExpectation expectation = kv4test::FillWorksheets(
        kv4test::ToFarmData(spec), kv4test::ToClasses(spec), f.n, f.p, separator);
    f.sources = kv4::ListYieldSources(expectation, f.n, separator);
    return f;
}

TEST(YieldSources, TextOfOneRow) {
    // 2017: 10 ha at 80 and 5 ha at 50; 2016 only a harvest without amount;
    // 2015: 4 ha at 60.
    const Filled f = Fill(Farm("Winterweizen", {{1, 10, 80}, {1, 5, 50}, {2, 3, 0}, {3, 4, 60}}));
    ASSERT_EQ(f.sources.size(), 1u);
    EXPECT_EQ(f.sources[0].row, 1);
    EXPECT_EQ(f.n.Cells(kv4::ncol::Ertragserwartung, 1), "   65");
    EXPECT_EQ(kv4::YieldSourceText(f.sources[0], ','),
              "Ertragserwartung 65 dt/ha aus den Ernten von \xE2\x80\x9EWinterweizen\xE2\x80\x9C:\n"
              "2017: 70,00 dt/ha auf 15,00 ha (2 Ernten)\n"
              "2016: 0,00 dt/ha auf 3,00 ha (1 Ernte), nicht gez\xC3\xA4hlt\n"
              "2015: 60,00 dt/ha auf 4,00 ha (1 Ernte)");
    EXPECT_EQ(kv4::YieldSourceText(Fill(Farm("Raps", {}), '.').sources[0], '.'),
              "Ertragserwartung 0 dt/ha aus den Ernten von \xE2\x80\x9ERaps\xE2\x80\x9C:\n"
              "2017: keine Ernte\n2016: keine Ernte\n2015: keine Ernte");
}

TEST(YieldSources, Hints) {
    const std::string ue = "\xC3\xBC";  // ü
    const std::string ae = "\xC3\xA4";  // ä
    struct Case {
        const char* name;
        std::string crop;
        std::vector<H> harvests;
        std::vector<std::string> hints;
    };
    const Case cases[] = {
        {"exactly 20 % above", "Winterweizen", {{1, 2, 60}, {2, 2, 50}}, {}},
        {"just over 20 % above",
         "Winterweizen",
         {{1, 2, 60.5}, {2, 2, 50}},
         {"2017: Mittel 60,50 dt/ha liegt mehr als 20 % " + ue +
          "ber dem Mittel der anderen Jahre (50,00 dt/ha)"}},
        {"exactly 20 % below", "Winterweizen", {{1, 2, 40}, {2, 2, 50}, {3, 2, 50}}, {}},
        {"just over 20 % below",
         "Winterweizen",
         {{1, 2, 39.5}, {2, 2, 50}, {3, 2, 50}},
         {"2017: Mittel 39,50 dt/ha liegt mehr als 20 % unter dem Mittel der anderen Jahre "
          "(50,00 dt/ha)"}},
        {"a year that did not enter is no comparison", "Winterweizen", {{1, 2, 90}, {3, 2, 0}}, {}},
        {"harvest without amount",
         "Winterweizen",
         {{1, 10, 80}, {1, 5, 50}, {1, 5, 0}, {3, 4, 60}},
         {"2017: 1 Ernte ohne Menge auf 5,00 ha; ohne sie w" + ae +
          "re das Mittel 70,00 statt 52,50 dt/ha"}},
        {"only harvests without amount: the year did not enter",
         "Winterweizen",
         {{1, 5, 0}, {1, 5, 0}, {3, 4, 60}},
         {}},
        {"15 characters", "Sommerfuttererb", {}, {}},
        {"15 characters, one of two bytes", "Zuckerr" + ue + "ben1234", {}, {}},
        {"16 characters",
         "Zuckerr" + ue + "ben12345",
         {},
         {"Fruchtname mit 16 Zeichen: Ernten tragen h\xC3\xB6"
          "chstens 15, keine Ernte kann "
          "zu ihm passen"}},
        {"other case and blanks",
         "Zuckerr" + ue + "ben",
         {{1, 2, 80,
           "ZUCKERR\xC3\x9C"
           "BEN"},
          {2, 2, 70, " Zuckerr" + ue + "ben "},
          {3, 2, 60, "zuckerr" + ue + "ben"},
          {3, 2, 50, "Zucker r" + ue + "ben"}},
         {"Keine Ernte unter \xE2\x80\x9EZuckerr" + ue +
              "ben\xE2\x80\x9C, aber unter \xE2\x80\x9E"
              " Zuckerr" +
              ue + "ben \xE2\x80\x9C: Ertragserwartung w" + ae + "re 70",
          "Keine Ernte unter \xE2\x80\x9EZuckerr" + ue +
              "ben\xE2\x80\x9C, aber unter "
              "\xE2\x80\x9EZUCKERR\xC3\x9C"
              "BEN\xE2\x80\x9C: Ertragserwartung w" +
              ae + "re 80",
          "Keine Ernte unter \xE2\x80\x9EZuckerr" + ue +
              "ben\xE2\x80\x9C, aber unter "
              "\xE2\x80\x9Ezuckerr" +
              ue + "ben\xE2\x80\x9C: Ertragserwartung w" + ae + "re 60"}},
        {"a harvest under the exact name hides the others",
         "Raps",
         {{1, 2, 40, "Raps"}, {2, 2, 40, "raps"}},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Filled f = Fill(Farm(c.crop, c.harvests));
        ASSERT_EQ(f.sources.size(), 1u);
        EXPECT_EQ(f.sources[0].hints, c.hints);
    }
}

// What the farmer is shown must add up to the figure in the cell.
TEST(YieldSources, YearMeansReproduceTheExpectationOnRandomFarms) {
    int rows = 0;
    int withHints = 0;
    for (std::uint32_t seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE(seed);
        const Filled f = Fill(kv4test::RandomFarm(seed));
        ASSERT_EQ(static_cast<int>(f.sources.size()), f.n.RowCount() - 2);
        for (const kv4::YieldSource& s : f.sources) {
            double total = 0;
            int counted = 0;
            for (const kv4::YieldYear& y : s.years) {
                if (!y.Counted()) continue;
                total += y.mean;
                ++counted;
            }
            const double mean = counted > 0 ? total / counted : 0;
            EXPECT_EQ(s.crop, f.n.Cells(kv4::ncol::Frucht, s.row));
            EXPECT_EQ(kv4::FormatFixed(mean, 5, 0, ','),
                      f.n.Cells(kv4::ncol::Ertragserwartung, s.row))
                << s.row;
            ++rows;
            if (!s.hints.empty()) ++withHints;
        }
    }
    EXPECT_GT(rows, 300);
    EXPECT_GT(withHints, 50);
}

}  // namespace
