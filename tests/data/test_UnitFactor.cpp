// The unit conversion of work amounts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/ByteReader.h"
#include "data/UnitFactor.h"
#include "farmwriter/RecordWriter.h"

namespace {

bool IsReal48(double v) { return kv4::RoundToReal48(v) == v; }

kv4::WorkRecord WorkWithGroupFactor(double groupFactor) {
    kv4farm::WorkSpec spec;
    spec.groupFactor = groupFactor;
    const std::vector<std::uint8_t> b = kv4farm::EncodeWork(spec);
    return kv4::WorkRecord(
        std::span<const std::uint8_t, kv4::kWorkRecordSize>(b.data(), kv4::kWorkRecordSize));
}

TEST(Records, UnitFactorFollowsTheRulesInOrder) {
    const kv4::WorkRecord gf08 = WorkWithGroupFactor(0.8);
    const kv4::WorkRecord gf4 = WorkWithGroupFactor(4);
    const kv4::WorkRecord gf10 = WorkWithGroupFactor(10);
    const kv4::WorkRecord gf0 = WorkWithGroupFactor(0);
    struct Case {
        int from, to;
        const kv4::WorkRecord* work;
        double expected;
    };
    const Case cases[] = {
        // Same code, with or without a record (also above the groups).
        {2, 2, nullptr, 1},
        {9, 9, nullptr, 1},
        {14, 14, &gf0, 1},
        // Within the mass or the volume group.
        {3, 2, nullptr, 10},
        {1, 2, nullptr, 0.01},
        {0, 3, nullptr, 1e-6},
        {7, 4, nullptr, 1e6},
        {6, 5, nullptr, 100},
        // Across groups only with a record.
        {5, 2, nullptr, 0},
        {2, 6, nullptr, 0},
        {9, 13, nullptr, 0},
        {5, 2, &gf08, 0.008},
        {6, 2, &gf10, 10},
        {7, 3, &gf10, 10},
        // Target 8 and above: the group factor alone.
        {2, 9, &gf4, 4},
        {9, 13, &gf4, 4},
        {6, 8, &gf08, 0.8},
        // Otherwise divided by the group factor.
        {9, 2, &gf4, 0.00025},
        {2, 6, &gf10, 0.1},
        {8, 7, &gf4, 2.5e-7},
    };
    for (const Case& c : cases) {
        const double f = kv4::UnitFactor(static_cast<std::uint8_t>(c.from),
                                         static_cast<std::uint8_t>(c.to), c.work);
        EXPECT_NEAR(f, c.expected, std::fabs(c.expected) * 1e-11) << c.from << " -> " << c.to;
        EXPECT_TRUE(IsReal48(f)) << c.from << " -> " << c.to;
    }
    // 0.01 comes back as the Real48 nearest to it, not as the double 0.01.
    EXPECT_EQ(kv4::UnitFactor(1, 2, nullptr), kv4::RoundToReal48(0.01));
}

TEST(Records, UnitFactorOfBadRecordsIsZero) {
    const kv4::WorkRecord gf0 = WorkWithGroupFactor(0);
    const kv4::WorkRecord gf4 = WorkWithGroupFactor(4);
    const kv4::WorkRecord tiny = WorkWithGroupFactor(std::ldexp(1.0, -128));
    const kv4::WorkRecord huge = WorkWithGroupFactor(std::ldexp(1.0, 126));
    struct Case {
        int from, to;
        const kv4::WorkRecord* work;
    };
    const Case cases[] = {
        {15, 2, &gf4},     {2, 15, &gf4},     {15, 15, &gf4},
        {255, 0, nullptr}, {0, 255, nullptr}, {9, 2, &gf0},  // would divide by 0
        {2, 6, &gf0},                                        //
        {10, 0, &tiny},  // 100000 / 2^-128 does not fit a Real48
        {7, 0, &huge},   // 2^126 * 1000000 neither
    };
    for (const Case& c : cases) {
        EXPECT_EQ(kv4::UnitFactor(static_cast<std::uint8_t>(c.from),
                                  static_cast<std::uint8_t>(c.to), c.work),
                  0.0)
            << c.from << " -> " << c.to;
    }
    // A group factor of 0 where it multiplies is a plain 0, not an error.
    EXPECT_EQ(kv4::UnitFactor(5, 2, &gf0), 0.0);
    EXPECT_EQ(kv4::UnitFactor(2, 9, &gf0), 0.0);
}

}  // namespace
