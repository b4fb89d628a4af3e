#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "farmwriter/RecordWriter.h"
#include "support/FarmData.h"
#include "support/RandomFarm.h"
#include "support/TempDir.h"
#include "worksheets/FarmDigest.h"
#include "worksheets/Fill.h"

namespace {

using kv4test::FarmSpec;

bool InKeyOrder(const std::vector<kv4farm::WorkSpec>& works) {
    return std::is_sorted(works.begin(), works.end(), [](const auto& a, const auto& b) {
        return std::pair(a.fieldNo, a.subNo) < std::pair(b.fieldNo, b.subNo);
    });
}

// The farm in `folder` streamed year by year against its four registers
// held at once.
void ExpectStreamedAsWhole(const std::string& folder) {
    kv4test::FarmData farm;
    ASSERT_TRUE(kv4test::LoadFarmYears(farm, folder).empty());
    const kv4::FarmDigest want = kv4test::Digest(farm);
    kv4::FarmDigest got;
    ASSERT_TRUE(kv4::LoadFarmYears(got, folder).empty());
    EXPECT_EQ(kv4test::DigestDifference(got, want), "");
}

std::string Folder(const kv4test::TempDir& dir) {
    return kv4::WithTrailingSeparator(kv4::PathToUtf8(dir.path()));
}

// The year-by-year load from the files, whatever their order, takes exactly
// what the four registers held at once give.
TEST(FarmDigest, LoadedYearByYearTakesWhatTheWholeFarmGives) {
    int inOrder = 0;
    int outOfOrder = 0;
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        const FarmSpec spec = kv4test::RandomFarm(seed);
        kv4test::TempDir dir;
        for (int y = 0; y < 4; ++y) {
            kv4farm::WriteYear(dir.path(), 2018 - y, spec.years[y].fields, spec.years[y].works);
            ++(InKeyOrder(spec.years[y].works) ? inOrder : outOfOrder);
        }
        ExpectStreamedAsWhole(Folder(dir));
    }
    // Files in key order and out of it were both read.
    EXPECT_GT(inOrder, 40);
    EXPECT_GT(outOfOrder, 20);
}

// A damaged file with hundreds of harvests of one field on seven dates:
// sorted alone (2016), and placed by the whole rule where a work may not
// serve as a place (2015).
TEST(FarmDigest, HugeRunOfOneField) {
    kv4test::TempDir dir;
    std::vector<kv4farm::WorkSpec> works;
    for (int i = 0; i < 700; ++i) {
        works.push_back({.fieldNo = 1,
                         .workType = 6,
                         .cropName = "Raps",
                         .amount = (i % 2 == 0 ? 1e6 : 1.0) / (i + 3),
                         .date = {static_cast<std::uint8_t>(7 - (i * 3) % 7), 3, 16, 0}});
    }
    kv4farm::WriteYear(dir.path(), 2018, {{.fieldNo = 1, .name = "A", .crop = "Raps"}}, {});
    kv4farm::WriteYear(dir.path(), 2016, {{.fieldNo = 1, .area = 3.7}}, works);
    works[350].optionalMark = 2;
    kv4farm::WriteYear(dir.path(), 2015, {{.fieldNo = 1, .area = 3.7}}, works);
    ExpectStreamedAsWhole(Folder(dir));
}

// Three organic applications whose sum depends on its order: the file has
// them out of date order, and the sum is taken in date order all the same.
TEST(FarmDigest, OrganicSumInDateOrderWhenStreamed) {
    kv4test::TempDir dir;
    const auto organic = [](double amount, std::uint8_t day) {
        return kv4farm::WorkSpec{.fieldNo = 1,
                                 .workType = 1,
                                 .organicMark = 1,
                                 .amount = amount,
                                 .date = {day, 3, 17, 0},
                                 .nutrient1 = 1,
                                 .organicProductMark = 1};
    };
    const double big = 0x1p60;
    kv4farm::WriteYear(dir.path(), 2018, {{.fieldNo = 1, .name = "A", .crop = "Raps"}}, {});
    kv4farm::WriteYear(dir.path(), 2017, {{.fieldNo = 1, .area = 2}},
                       {organic(big, 1), organic(1, 3), organic(-big, 2)});
    kv4::FarmDigest digest;
    ASSERT_TRUE(kv4::LoadFarmYears(digest, Folder(dir)).empty());
    ASSERT_EQ(digest.Fields2018().size(), 1u);
    // In date order big - big + 1; in file order big + 1 - big, which is 0.
    EXPECT_EQ(digest.Organic2017(digest.Fields2018()[0].field), 1.0);
}

// Where the register's place rule is more than a sort by date, the latest
// N-min sample is still the one of the register's list.
TEST(FarmDigest, LatestSampleWhereThePlaceRuleIsNoSort) {
    const auto work = [](std::uint8_t type, std::uint8_t day, double n) {
        return kv4farm::WorkSpec{.fieldNo = 1,
                                 .workType = type,
                                 .nminMark = static_cast<std::uint8_t>(n > 0),
                                 .date = {day, 3, 18, 0},
                                 .nutrient1 = n};
    };
    // A sample that may not serve as a place goes behind the work before it.
    std::vector<kv4farm::WorkSpec> notPlaceable = {work(1, 5, 10), work(1, 1, 20)};
    notPlaceable[1].optionalMark = 2;
    // A follower behind an optional work goes behind the work placed last:
    // the list is B, F, A.
    std::vector<kv4farm::WorkSpec> follower = {work(1, 5, 10), work(3, 1, 0), work(3, 9, 0),
                                               work(1, 1, 20)};
    follower[2].optionalMark = 1;
    follower[3].followerMark = 1;
    for (const auto& [works, latest] :
         {std::pair(notPlaceable, -20.0), std::pair(follower, -10.0)}) {
        kv4test::TempDir dir;
        kv4farm::WriteYear(dir.path(), 2018, {{.fieldNo = 1, .name = "A"}}, works);
        kv4::FarmDigest digest;
        ASSERT_TRUE(kv4::LoadFarmYears(digest, Folder(dir)).empty());
        ASSERT_EQ(digest.Fields2018().size(), 1u);
        EXPECT_TRUE(digest.Fields2018()[0].hasNmin);
        EXPECT_EQ(digest.Fields2018()[0].nmin, latest);
    }
}

}  // namespace
