#pragma once
// Farms described in memory for the engine's tests: a spec per year, turned
// into registers without files, and random farms that reach the corners of
// the records (duplicate keys, optional and follower works, odd units, crop
// names that differ only in case or blanks).
#include <cstdint>
#include <string>
#include <vector>

#include "data/Records.h"
#include "farmwriter/RecordWriter.h"
#include "reference/NutrientClasses.h"
#include "support/FarmData.h"
#include "worksheets/Fill.h"

namespace kv4test {

struct YearSpec {
    std::vector<kv4farm::FieldSpec> fields;
    std::vector<kv4farm::WorkSpec> works;
};

// Years 2018, 2017, 2016, 2015.
struct FarmSpec {
    YearSpec years[4];
    std::vector<kv4farm::NKlassenSpec> classes;
};

FarmData ToFarmData(const FarmSpec& spec);
kv4::NutrientClasses ToClasses(const FarmSpec& spec);

// The crop names of the random farms' harvests.
extern const std::vector<std::string> kCrops;

FarmSpec RandomFarm(std::uint32_t seed);

}  // namespace kv4test
