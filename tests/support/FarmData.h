#pragma once
// The four field registers of a farm held at once, loaded and searched with
// the register's own procedures: what the year-by-year start-up is checked
// against, and how the engine tests build farms in memory.
#include <string>

#include "data/FieldRegister.h"
#include "data/FileAccess.h"
#include "reference/NutrientClasses.h"
#include "worksheets/FarmDigest.h"
#include "worksheets/Fill.h"
#include "worksheets/Worksheet.h"

namespace kv4test {

struct FarmData {
    kv4::FieldRegister Year2018;
    kv4::FieldRegister Year2017;
    kv4::FieldRegister Year2016;
    kv4::FieldRegister Year2015;

    bool HasFields2018() const { return Year2018.FieldCount() > 0; }
};

// Every year of kFarmYears, each into its register, in that order; returns
// the read errors of all of them.
kv4::ReadErrors LoadFarmYears(FarmData& farm, const std::string& folder);

// What the worksheets take from the four registers.
kv4::FarmDigest Digest(const FarmData& farm);

// The fill and the yield expectation from the four registers.
kv4::YieldExpectation FillWorksheets(const FarmData& farm, const kv4::NutrientClasses& classes,
                                     kv4::Worksheet& nSheet, kv4::Worksheet& pSheet,
                                     char decimalSeparator);
kv4::YieldExpectation Expectation(const FarmData& farm);

// The first place where two digests differ, to the last bit of every sum
// (the order of the works decides sums and the latest sample); empty when
// they are the same.
std::string DigestDifference(const kv4::FarmDigest& got, const kv4::FarmDigest& want);

}  // namespace kv4test
