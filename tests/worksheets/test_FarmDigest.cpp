#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <string>

#include "support/RandomFarm.h"
#include "support/RecordWriter.h"
#include "worksheets/FarmDigest.h"
#include "worksheets/Fill.h"

namespace {

using kv4test::FarmSpec;

bool InKeyOrder(const std::vector<kv4test::WorkSpec>& works) {
    return std::is_sorted(works.begin(), works.end(), [](const auto& a, const auto& b) {
        return std::pair(a.fieldNo, a.subNo) < std::pair(b.fieldNo, b.subNo);
    });
}

// The year-by-year load from the files, streamed where a work file is in
// field order and through the whole register where not, fills the worksheets
// exactly as the four registers held at once do.
TEST(FarmDigest, LoadedYearByYearFillsAsTheWholeFarm) {
    int streamed = 0;
    int whole = 0;
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        const FarmSpec spec = kv4test::RandomFarm(seed);
        kv4test::TempDir dir;
        for (int y = 0; y < 4; ++y) {
            kv4test::WriteYear(dir.path(), 2018 - y, spec.years[y].fields, spec.years[y].works);
            ++(InKeyOrder(spec.years[y].works) ? streamed : whole);
        }
        const std::string folder = kv4::WithBackslash(kv4::PathToUtf8(dir.path()));
        const kv4::NutrientClasses classes = kv4test::ToClasses(spec);

        kv4::FarmData farm;
        ASSERT_TRUE(kv4::LoadFarmYears(farm, folder).empty());
        kv4::Worksheet wantN = kv4::MakeNWorksheet(), wantP = kv4::MakePWorksheet();
        kv4::YieldExpectation want = kv4::FillWorksheets(farm, classes, wantN, wantP, ',');

        kv4::FarmDigest digest;
        ASSERT_TRUE(kv4::LoadFarmYears(digest, folder).empty());
        ASSERT_EQ(digest.HasFields2018(), farm.HasFields2018());
        kv4::Worksheet gotN = kv4::MakeNWorksheet(), gotP = kv4::MakePWorksheet();
        kv4::YieldExpectation got = kv4::FillWorksheets(digest, classes, gotN, gotP, ',');

        ASSERT_EQ(gotN.RowCount(), wantN.RowCount());
        ASSERT_EQ(gotP.RowCount(), wantP.RowCount());
        for (int r = 0; r < wantN.RowCount(); ++r)
            for (int c = 0; c < kv4::ncol::Count; ++c)
                EXPECT_EQ(gotN.Cells(c, r), wantN.Cells(c, r)) << "N " << c << "/" << r;
        for (int r = 0; r < wantP.RowCount(); ++r)
            for (int c = 0; c < kv4::pcol::Count; ++c)
                EXPECT_EQ(gotP.Cells(c, r), wantP.Cells(c, r)) << "P " << c << "/" << r;
        // The sums behind the tooltips, to the last bit.
        for (std::size_t y = 0; y < 3; ++y) {
            ASSERT_EQ(got.Year(y).size(), want.Year(y).size());
            for (const auto& [crop, w] : want.Year(y)) {
                const auto& g = got.Year(y).at(crop);
                EXPECT_EQ(std::bit_cast<std::uint64_t>(g.yield),
                          std::bit_cast<std::uint64_t>(w.yield));
                EXPECT_EQ(std::bit_cast<std::uint64_t>(g.area),
                          std::bit_cast<std::uint64_t>(w.area));
                EXPECT_EQ(g.harvests, w.harvests);
                EXPECT_EQ(g.withoutAmount, w.withoutAmount);
                EXPECT_EQ(g.areaWithoutAmount, w.areaWithoutAmount);
                EXPECT_EQ(g.areaWithAmount, w.areaWithAmount);
            }
        }
    }
    // Both ways of reading a year were taken.
    EXPECT_GT(streamed, 40);
    EXPECT_GT(whole, 20);
}

}  // namespace
