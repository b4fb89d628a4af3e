#include "support/FarmData.h"

#include <bit>
#include <cstdint>

namespace kv4test {

kv4::ReadErrors LoadFarmYears(FarmData& farm, const std::string& folder) {
    kv4::FieldRegister* const registers[] = {&farm.Year2018, &farm.Year2017, &farm.Year2016,
                                             &farm.Year2015};
    kv4::ReadErrors errors;
    for (std::size_t i = 0; i < kv4::kFarmYears.size(); ++i) {
        const kv4::ReadErrors yearErrors = registers[i]->LoadYear(kv4::kFarmYears[i], folder);
        errors.insert(errors.end(), yearErrors.begin(), yearErrors.end());
    }
    return errors;
}

kv4::FarmDigest Digest(const FarmData& farm) {
    kv4::FarmDigest digest;
    digest.Take(2018, farm.Year2018);
    digest.Take(2017, farm.Year2017);
    digest.Take(2016, farm.Year2016);
    digest.Take(2015, farm.Year2015);
    return digest;
}

kv4::YieldExpectation FillWorksheets(const FarmData& farm, const kv4::NutrientClasses& classes,
                                     kv4::Worksheet& nSheet, kv4::Worksheet& pSheet,
                                     char decimalSeparator) {
    return kv4::FillWorksheets(Digest(farm), classes, nSheet, pSheet, decimalSeparator);
}

kv4::YieldExpectation Expectation(const FarmData& farm) {
    return kv4::YieldExpectation(Digest(farm).Harvests());
}

namespace {

bool SameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

bool SameSums(const kv4::YieldExpectation::Sums& a, const kv4::YieldExpectation::Sums& b) {
    return SameBits(a.yield, b.yield) && SameBits(a.area, b.area) && a.harvests == b.harvests &&
           a.withoutAmount == b.withoutAmount &&
           SameBits(a.areaWithoutAmount, b.areaWithoutAmount) &&
           SameBits(a.areaWithAmount, b.areaWithAmount);
}

}  // namespace

std::string DigestDifference(const kv4::FarmDigest& got, const kv4::FarmDigest& want) {
    if (got.Fields2018().size() != want.Fields2018().size()) return "number of fields of 2018";
    for (std::size_t i = 0; i < want.Fields2018().size(); ++i) {
        const auto& g = got.Fields2018()[i];
        const auto& w = want.Fields2018()[i];
        const std::string field = "field " + std::to_string(i) + " of 2018: ";
        if (!(g.field == w.field)) return field + "record";
        if (g.hasNmin != w.hasNmin || !SameBits(g.nmin, w.nmin)) return field + "N-min";
        if (!SameBits(got.Organic2017(w.field), want.Organic2017(w.field)))
            return field + "organic N of 2017";
    }
    for (std::size_t y = 0; y < 3; ++y) {
        const std::string year = "harvests of " + std::to_string(2017 - y);
        if (got.Harvests()[y].size() != want.Harvests()[y].size())
            return year + ": number of crops";
        for (const auto& [crop, w] : want.Harvests()[y]) {
            const auto found = got.Harvests()[y].find(crop);
            if (found == got.Harvests()[y].end() || !SameSums(found->second, w))
                return year + ", crop " + crop;
        }
    }
    return {};
}

}  // namespace kv4test
