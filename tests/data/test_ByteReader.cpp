// The 6-byte real of the farm data: decoding, rounding to its precision and
// the encoder the tests and the demo farm write records with.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "data/ByteReader.h"
#include "farmwriter/RecordWriter.h"

namespace {

using Bytes6 = std::array<std::uint8_t, 6>;

double Decode(const Bytes6& b) { return kv4::DecodeReal48(std::span<const std::uint8_t, 6>(b)); }

TEST(Real48, DecodesTheDocumentedExamples) {
    struct Case {
        Bytes6 bytes;
        double value;
    };
    const Case cases[] = {
        {{0x81, 0, 0, 0, 0, 0x00}, 1.0},
        {{0x87, 0, 0, 0, 0, 0x48}, 100.0},
        {{0x8A, 0, 0, 0, 0, 0x7A}, 1000.0},
        {{0x82, 0, 0, 0, 0, 0x80}, -2.0},
        {{0x80, 0, 0, 0, 0, 0x00}, 0.5},
        // Exponent 0 is zero whatever the other bytes hold.
        {{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, 0.0},
        {{0x00, 0, 0, 0, 0, 0x80}, 0.0},
        // The lowest fraction bit sits in byte 1.
        {{0x81, 0x01, 0, 0, 0, 0x00}, 1.0 + std::ldexp(1.0, -39)},
        // Extremes of the range.
        {{0x01, 0, 0, 0, 0, 0x00}, std::ldexp(1.0, -128)},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, std::ldexp(2.0 - std::ldexp(1.0, -39), 126)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Decode(c.bytes), c.value) << c.value;
    }
}

TEST(Real48, ReaderReadsAtAnOffsetAndNeverPastTheEnd) {
    const std::array<std::uint8_t, 8> bytes{0xAA, 0x87, 0, 0, 0, 0, 0x48, 0xBB};
    const kv4::ByteReader reader(bytes);
    EXPECT_EQ(reader.real48(1), 100.0);
    EXPECT_EQ(reader.real48(2), 0.0);  // would need byte 8
    EXPECT_EQ(reader.real48(100), 0.0);
}

TEST(Real48, EncoderRoundTripsEveryRandomBitPattern) {
    std::mt19937_64 random(48);
    for (int n = 0; n < 20000; ++n) {
        Bytes6 bytes{};
        const std::uint64_t bits = random();
        for (int i = 0; i < 6; ++i) bytes[i] = static_cast<std::uint8_t>(bits >> (8 * i));
        if (bytes[0] == 0) continue;  // zero has many encodings
        const double value = Decode(bytes);
        ASSERT_EQ(kv4farm::EncodeReal48(value), bytes) << value;
        ASSERT_EQ(kv4::RoundToReal48(value), value) << value;
    }
}

TEST(Real48, RoundsToNearestWithTiesToEven) {
    const double ulp = std::ldexp(1.0, -39);  // spacing of Real48 values in [1, 2)
    struct Case {
        double value;
        double rounded;
    };
    const Case cases[] = {
        {1.0 + ulp / 2, 1.0},                      // tie, 1.0 is even
        {1.0 + ulp + ulp / 2, 1.0 + 2 * ulp},      // tie, odd below: up
        {1.0 + ulp / 2 + ulp / 8, 1.0 + ulp},      // above the tie
        {1.0 + ulp / 2 - ulp / 8, 1.0},            // below the tie
        {-(1.0 + ulp / 2), -1.0},                  // symmetric for negatives
        {-(1.0 + 3 * ulp / 2), -(1.0 + 2 * ulp)},  //
        {2.0 - ulp / 2, 2.0},                      // carries into the exponent
    };
    for (const Case& c : cases) {
        EXPECT_EQ(kv4::RoundToReal48(c.value), c.rounded) << c.value;
    }
    // 0.01 is not a Real48: the rounded value differs from the double but lies
    // within half a Real48 step of it, and rounding again changes nothing.
    const double hundredth = kv4::RoundToReal48(0.01);
    EXPECT_NE(hundredth, 0.01);
    EXPECT_LE(std::fabs(hundredth - 0.01), std::ldexp(1.0, -7 - 40));
    EXPECT_EQ(kv4::RoundToReal48(hundredth), hundredth);
}

TEST(Real48, OutOfRangeValues) {
    const double smallest = std::ldexp(1.0, -128);
    const double largest = std::ldexp(2.0 - std::ldexp(1.0, -39), 126);
    EXPECT_EQ(kv4::RoundToReal48(0.0), 0.0);
    EXPECT_EQ(kv4::RoundToReal48(smallest), smallest);
    EXPECT_EQ(kv4::RoundToReal48(smallest / 4), 0.0);
    EXPECT_EQ(kv4::RoundToReal48(-smallest / 4), 0.0);
    EXPECT_EQ(kv4::RoundToReal48(largest), largest);
    EXPECT_TRUE(std::isnan(kv4::RoundToReal48(std::ldexp(1.0, 127))));
    EXPECT_TRUE(std::isnan(kv4::RoundToReal48(-std::ldexp(1.0, 127))));
    EXPECT_TRUE(std::isnan(kv4::RoundToReal48(std::numeric_limits<double>::infinity())));
    EXPECT_TRUE(std::isnan(kv4::RoundToReal48(std::numeric_limits<double>::quiet_NaN())));
    // A value that rounds up to 2^127 is too large as well.
    EXPECT_TRUE(std::isnan(kv4::RoundToReal48(std::nextafter(std::ldexp(1.0, 127), 0.0))));

    // The writer saturates instead, and writes 0 for what is too small.
    EXPECT_EQ(Decode(kv4farm::EncodeReal48(1e300)), largest);
    EXPECT_EQ(Decode(kv4farm::EncodeReal48(-1e300)), -largest);
    EXPECT_EQ(kv4farm::EncodeReal48(1e-300), Bytes6{});
    EXPECT_EQ(kv4farm::EncodeReal48(0.0), Bytes6{});
}

TEST(Real48, EncodesTheDocumentedExamples) {
    EXPECT_EQ(kv4farm::EncodeReal48(1.0), (Bytes6{0x81, 0, 0, 0, 0, 0x00}));
    EXPECT_EQ(kv4farm::EncodeReal48(100.0), (Bytes6{0x87, 0, 0, 0, 0, 0x48}));
    EXPECT_EQ(kv4farm::EncodeReal48(1000.0), (Bytes6{0x8A, 0, 0, 0, 0, 0x7A}));
    EXPECT_EQ(kv4farm::EncodeReal48(-2.0), (Bytes6{0x82, 0, 0, 0, 0, 0x80}));
}

}  // namespace
