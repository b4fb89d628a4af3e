// The decimal separator of the regional settings as cell texts carry it.
#include <gtest/gtest.h>

#include "worksheets/DecimalSeparator.h"

TEST(DecimalSeparator, OnlyPrintableNonNumberCharacters) {
    EXPECT_EQ(kv4::CellDecimalSeparator(U","), ',');
    EXPECT_EQ(kv4::CellDecimalSeparator(U"."), '.');
    EXPECT_EQ(kv4::CellDecimalSeparator(U"\u066B"), '.');  // Arabic decimal separator
    EXPECT_EQ(kv4::CellDecimalSeparator(U",,"), '.');
    EXPECT_EQ(kv4::CellDecimalSeparator(U""), '.');
    EXPECT_EQ(kv4::CellDecimalSeparator(U"5"), '.');
    EXPECT_EQ(kv4::CellDecimalSeparator(U"-"), '.');
    EXPECT_EQ(kv4::CellDecimalSeparator(U" "), '.');
}
