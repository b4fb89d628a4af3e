#include "support/FarmData.h"

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

}  // namespace kv4test
