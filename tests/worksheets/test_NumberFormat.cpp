#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <random>
#include <string>

#include "worksheets/NumberFormat.h"

namespace {

using kv4::CellToInt;
using kv4::ConversionError;
using kv4::FormatFixed;
using kv4::FormatGeneral;
using kv4::FormatInt;
using kv4::ParseDecimal;
using kv4::RoundHalfEven;
using kv4::StrToInt;
using kv4::Trim;
using kv4::TryStrToInt;
using kv4::WithFullStop;

struct IntCase {
    const char* text;
    std::optional<std::int32_t> expected;
};

TEST(StrToInt, AcceptsWhatTheStandardConversionAccepts) {
    const IntCase cases[] = {
        {"0", 0},
        {"40", 40},
        {"-40", -40},
        {"+7", 7},
        {"   12", 12},
        {"007", 7},
        {"$1F", 31},
        {"$ff", 255},
        {"0x10", 16},
        {"0X1a", 26},
        {"-$10", -16},
        {"-0x10", -16},
        {"2147483647", 2147483647},
        {"-2147483648", std::numeric_limits<std::int32_t>::min()},
        {"$7FFFFFFF", 2147483647},
        {"00000000000000000000000001", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TryStrToInt(c.text), c.expected);
        EXPECT_EQ(StrToInt(c.text), *c.expected);
    }
}

TEST(StrToInt, RejectsEverythingElse) {
    const char* const texts[] = {
        "",    " ",    "-",           "+",           "12 ",        "4,5",  "4.5",
        "abc", "1-2",  "--1",         "+-1",         "- 1",        "$",    "0x",
        "$G",  "0x-1", "2147483648",  "-2147483649", "$80000000",  "1e3",  "\t1",
        "12a", "x10",  "99999999999", "1 2",         "-$80000001", "0x 1", "１",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(TryStrToInt(text), std::nullopt);
        EXPECT_THROW(StrToInt(text), ConversionError);
    }
}

TEST(StrToInt, ErrorCarriesTextAndMessage) {
    try {
        StrToInt("4,5");
        FAIL() << "no exception";
    } catch (const ConversionError& e) {
        EXPECT_EQ(e.text(), "4,5");
        EXPECT_STREQ(e.what(), "'4,5' ist kein gültiger Integerwert");
    }
}

TEST(CellToInt, EmptyCountsAsZeroButBlanksDoNot) {
    EXPECT_EQ(CellToInt(""), 0);
    EXPECT_EQ(CellToInt("-40"), -40);
    EXPECT_EQ(CellToInt("  40"), 40);
    EXPECT_THROW(CellToInt(" "), ConversionError);
    EXPECT_THROW(CellToInt("-"), ConversionError);
    try {
        CellToInt("-");
        FAIL() << "no exception";
    } catch (const ConversionError& e) {
        EXPECT_STREQ(e.what(), "'-' ist kein gültiger Integerwert");
    }
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    const struct {
        double value, expected;
    } cases[] = {
        {67.5, 68},
        {4.5, 4},
        {0.5, 0},
        {1.5, 2},
        {2.5, 2},
        {-0.5, -0.0},
        {-1.5, -2},
        {-2.5, -2},
        {88.4, 88},
        {88.6, 89},
        {0.49999999999999994, 0},
        {68.0, 68},
        {-67.5, -68},
        {1e300, 1e300},
        {4503599627370497.0, 4503599627370497.0},  // above 2^52 every double is whole
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(RoundHalfEven(c.value), c.expected);
        EXPECT_EQ(RoundHalfEven(c.value), std::nearbyint(c.value));
    }
    EXPECT_TRUE(std::isnan(RoundHalfEven(std::nan(""))));
}

struct FixedCase {
    double value;
    int width;
    int decimals;
    const char* comma;  // with ',' as separator
};

TEST(FormatFixed, RoundsHalfAwayOnTheExactBinaryValue) {
    const FixedCase cases[] = {
        {12.5, 5, 0, "   13"},
        {-12.5, 5, 0, "  -13"},
        {-0.3, 2, 0, " 0"},
        {-0.5, 2, 0, "-1"},
        {0.5, 2, 0, " 1"},
        {-0.004, 5, 2, " 0,00"},
        {-0.0, 5, 2, " 0,00"},
        {0.125, 5, 2, " 0,13"},
        {1.005, 5, 2, " 1,00"},  // 1.005 lies below the half in binary
        {2.345, 5, 2, " 2,35"},  // and 2.345 above it
        {2.675, 5, 2, " 2,67"},
        {0.49999999999999994, 2, 0, " 0"},
        {123456.7, 5, 0, "123457"},
        {99.95, 5, 1, "100,0"},
        {9.999, 2, 2, "10,00"},
        {-9.999, 2, 2, "-10,00"},
        {5.0, 5, 2, " 5,00"},
        {85.0, 2, 0, "85"},
        {7.0, 0, 0, "7"},
        {-7.25, 0, 1, "-7,3"},
        {1e20, 1, 0, "100000000000000000000"},
        {0.1, 1, 20, "0,10000000000000000555"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.comma);
        EXPECT_EQ(FormatFixed(c.value, c.width, c.decimals, ','), c.comma);
        std::string stop = c.comma;
        for (char& ch : stop)
            if (ch == ',') ch = '.';
        EXPECT_EQ(FormatFixed(c.value, c.width, c.decimals, '.'), stop);
    }
}

// printf rounds the exact value too, but a tie to even; away from exact ties
// both must agree digit for digit.
TEST(FormatFixed, AgreesWithPrintfExceptOnExactTies) {
    std::mt19937_64 random(20180101);
    std::uniform_real_distribution<double> magnitude(-6, 8);
    std::uniform_int_distribution<int> decimalsOf(0, 4);
    int ties = 0;
    for (int i = 0; i < 20000; ++i) {
        double value = std::pow(10.0, magnitude(random));
        if (i % 3 == 0) value = -value;
        if (i % 7 == 0) value = std::round(value * 8) / 8;  // many exact halves
        const int decimals = decimalsOf(random);
        char expected[512];
        std::snprintf(expected, sizeof expected, "%*.*f", 5, decimals, value);
        std::string printed = expected;
        if (printed.find_first_of("123456789") == std::string::npos) {
            // printf keeps the sign of a value that rounds to zero; we drop it.
            if (const auto minus = printed.find('-'); minus != std::string::npos) {
                printed.erase(minus, 1);
                if (printed.size() < 5) printed.insert(0, " ");
            }
        }
        const std::string ours = FormatFixed(value, 5, decimals, '.');
        if (ours == printed) continue;
        char exact[1400];
        std::snprintf(exact, sizeof exact, "%.1100f", std::fabs(value));
        const std::string tail = std::string(exact).substr(std::string(exact).find('.') + 1);
        ASSERT_EQ(tail[static_cast<std::size_t>(decimals)], '5') << value << " " << ours;
        ASSERT_EQ(tail.find_first_not_of('0', static_cast<std::size_t>(decimals) + 1),
                  std::string::npos)
            << value;
        ++ties;
    }
    EXPECT_GT(ties, 0);  // the halves above must have been met
}

TEST(FormatFixed, ExtremesDoNotBreakIt) {
    EXPECT_EQ(FormatFixed(std::numeric_limits<double>::quiet_NaN(), 5, 2, ','), "  NAN");
    EXPECT_EQ(FormatFixed(std::numeric_limits<double>::infinity(), 5, 2, ','), "  INF");
    EXPECT_EQ(FormatFixed(-std::numeric_limits<double>::infinity(), 2, 0, ','), "-INF");
    EXPECT_EQ(FormatFixed(std::numeric_limits<double>::denorm_min(), 5, 2, ','), " 0,00");
    const std::string huge = FormatFixed(std::numeric_limits<double>::max(), 5, 2, ',');
    EXPECT_EQ(huge.size(), 309u + 3u);
    EXPECT_EQ(huge.substr(0, 6), "179769");
    EXPECT_EQ(FormatFixed(1.5, -3, -1, ','), "2");
}

TEST(FormatInt, PadsOnTheLeftAndNeverCuts) {
    EXPECT_EQ(FormatInt(5, 5), "    5");
    EXPECT_EQ(FormatInt(-40, 5), "  -40");
    EXPECT_EQ(FormatInt(123456, 5), "123456");
    EXPECT_EQ(FormatInt(0, 0), "0");
}

TEST(FormatGeneral, UpToFifteenDigitsWithoutTrailingZeros) {
    const struct {
        double value;
        const char* comma;
    } cases[] = {
        {0.8, "0,8"},
        {1.04, "1,04"},
        {12.0, "12"},
        {0.18, "0,18"},
        {0.0, "0"},
        {-0.0, "0"},
        {-2.48, "-2,48"},
        {450.0, "450"},
        {0.1 + 0.2, "0,3"},
        {1.0 / 3.0, "0,333333333333333"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1E15"},
        {0.0001, "0,0001"},
        {0.00001, "1E-5"},
        {1.5e-7, "1,5E-7"},
        {-1e20, "-1E20"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.comma);
        EXPECT_EQ(FormatGeneral(c.value, ','), c.comma);
        std::string stop = c.comma;
        for (char& ch : stop)
            if (ch == ',') ch = '.';
        EXPECT_EQ(FormatGeneral(c.value, '.'), stop);
    }
}

TEST(FormatGeneral, ReadsBackThroughParseDecimal) {
    for (double v : {0.8, 1.04, 1.01, 1.07, 1.13, 0.18, 0.53, 0.73, 0.14, 0.15, 1.8, 2.48, 0.1}) {
        for (char sep : {',', '.'}) {
            SCOPED_TRACE(v);
            EXPECT_EQ(ParseDecimal(FormatGeneral(v, sep), sep), v);
        }
    }
}

TEST(ParseDecimal, ReadsNumbersOfTheGivenSeparator) {
    const struct {
        const char* comma;
        std::optional<double> expected;
    } cases[] = {
        {"85", 85.0},
        {"00,8", 0.8},
        {"01,04", 1.04},
        {"  85  ", 85.0},
        {"-1,5", -1.5},
        {"+2", 2.0},
        {",5", 0.5},
        {"5,", 5.0},
        {"1,5E2", 150.0},
        {"1e-2", 0.01},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"0-1", std::nullopt},
        {"0-0,8", std::nullopt},
        {"1,2,3", std::nullopt},
        {",", std::nullopt},
        {"-", std::nullopt},
        {"abc", std::nullopt},
        {"1 2", std::nullopt},
        {"1E", std::nullopt},
        {"inf", std::nullopt},
        {"nan", std::nullopt},
        {"1e999", std::nullopt},
        {"Error", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.comma);
        EXPECT_EQ(ParseDecimal(c.comma, ','), c.expected);
        std::string stop = c.comma;
        for (char& ch : stop)
            if (ch == ',') ch = '.';
        EXPECT_EQ(ParseDecimal(stop, '.'), c.expected);
    }
    // The other separator is not a decimal point.
    EXPECT_EQ(ParseDecimal("0.8", ','), std::nullopt);
    EXPECT_EQ(ParseDecimal("0,8", '.'), std::nullopt);
}

TEST(WithFullStop, AppendsOnlyAfterCharactersThatSortAfterTheStop) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"", ""},
        {"abc", "abc."},
        {"Wert 5", "Wert 5."},
        {"Ende.", "Ende."},
        {"Achtung!", "Achtung!"},
        {"(x)", "(x)"},
        {"Text ", "Text "},
        {"a,", "a,"},
        {"a-", "a-"},
        {"a/", "a/."},
        {"Zuckerrüben", "Zuckerrüben."},
        {"'x' ist kein gültiger Integerwert", "'x' ist kein gültiger Integerwert."},
    };
    for (const auto& c : cases) EXPECT_EQ(WithFullStop(c.text), c.expected) << c.text;
}

TEST(Trim, RemovesBlanksAndControlCharacters) {
    EXPECT_EQ(Trim("  80 "), "80");
    EXPECT_EQ(Trim("\t\r\n x \x01"), "x");
    EXPECT_EQ(Trim("       "), "");
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(Trim("    X"), "X");
    EXPECT_EQ(Trim("a b"), "a b");
    EXPECT_EQ(Trim("ü "), "ü");
}

}  // namespace
