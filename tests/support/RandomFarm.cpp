#include "support/RandomFarm.h"

#include <algorithm>
#include <random>
#include <utility>

namespace kv4test {

FarmData ToFarmData(const FarmSpec& spec) {
    FarmData farm;
    kv4::FieldRegister* registers[] = {&farm.Year2018, &farm.Year2017, &farm.Year2016,
                                       &farm.Year2015};
    for (int y = 0; y < 4; ++y) {
        registers[y]->LoadFromBytes(kv4farm::EncodeFields(spec.years[y].fields),
                                    kv4farm::EncodeWorks(spec.years[y].works));
    }
    return farm;
}

kv4::NutrientClasses ToClasses(const FarmSpec& spec) {
    std::vector<std::uint8_t> bytes;
    for (const auto& record : spec.classes) {
        const auto encoded = kv4farm::EncodeNKlassen(record);
        bytes.insert(bytes.end(), encoded.begin(), encoded.end());
    }
    kv4::NutrientClasses classes;
    classes.LoadFromBytes(bytes);
    return classes;
}

const std::vector<std::string> kCrops = {"Winterweizen", "winterweizen", "Winterweizen ",
                                         "Raps",         "Mais",         "",
                                         "Zuckerrüben",  "Wintergerste", "Sommerfuttererb"};

FarmSpec RandomFarm(std::uint32_t seed) {
    std::mt19937 rng(seed);
    auto pick = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    auto real = [&rng](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng);
    };
    auto chance = [&](int percent) { return pick(100) < percent; };
    const std::vector<std::string> fieldCrops = [] {
        auto c = kCrops;
        c.push_back("Sommerfuttererbsen");
        return c;
    }();
    const std::vector<std::string> soils = {"lS", "sL", "lS ", "T", ""};

    FarmSpec spec;
    spec.classes = {{.names = {"lS", "sL"}, .limits = {10, 20, 30, 40}},
                    {.names = {"T", ""}, .limits = {5, 15, 25, 35}}};
    for (int y = 0; y < 4; ++y) {
        YearSpec& year = spec.years[y];
        const int fieldCount = pick(30) + (y == 0 ? 1 : 0);
        std::vector<std::pair<std::int16_t, std::uint8_t>> keys;
        for (int f = 0; f < fieldCount; ++f) {
            std::pair<std::int16_t, std::uint8_t> key{static_cast<std::int16_t>(pick(20) - 1),
                                                      static_cast<std::uint8_t>(pick(2))};
            if (!keys.empty() && chance(10)) key = keys[static_cast<std::size_t>(pick(f))];
            keys.push_back(key);
            year.fields.push_back({.fieldNo = key.first,
                                   .subNo = key.second,
                                   .name = std::string("S").append(std::to_string(f)),
                                   .area = chance(5) ? 0 : real(0.1, 40),
                                   .soilType = soils[static_cast<std::size_t>(pick(5))],
                                   .humus = static_cast<std::uint16_t>(35 + pick(10)),
                                   .p2o5Content = chance(20) ? pick(50) + 0.5 : real(0, 50),
                                   .statusBits = static_cast<std::uint8_t>(pick(4)),
                                   .crop = fieldCrops[static_cast<std::size_t>(
                                       pick(static_cast<int>(fieldCrops.size())))]});
        }
        // Works of some keys without a field too; field numbers as the work file
        // stores them (unsigned, so -1 becomes 65535).
        std::vector<std::pair<std::uint16_t, std::uint8_t>> workKeys;
        for (const auto& k : keys)
            workKeys.push_back({static_cast<std::uint16_t>(k.first), k.second});
        workKeys.push_back({static_cast<std::uint16_t>(pick(25)), 0});
        std::sort(workKeys.begin(), workKeys.end());
        workKeys.erase(std::unique(workKeys.begin(), workKeys.end()), workKeys.end());
        for (const auto& [fieldNo, subNo] : workKeys) {
            const int count = pick(12);
            for (int k = 0; k < count; ++k) {
                const int kind = pick(6);
                const std::uint8_t type = kind < 3 ? 6 : kind < 5 ? 1 : 3;
                const std::uint8_t units[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 14, 15, 200};
                const double groups[] = {0, 0.8, 4, 1};
                year.works.push_back({
                    .fieldNo = fieldNo,
                    .subNo = subNo,
                    .workType = type,
                    .optionalMark = static_cast<std::uint8_t>(chance(25) ? pick(3) : 0),
                    .nminMark = static_cast<std::uint8_t>(chance(30) ? 1 + pick(2) : 0),
                    .organicMark = static_cast<std::uint8_t>(chance(50)),
                    .followerMark = static_cast<std::uint8_t>(chance(25) ? 1 : pick(3)),
                    .cropName =
                        kCrops[static_cast<std::size_t>(pick(static_cast<int>(kCrops.size())))],
                    .amount = chance(8) ? 0 : (chance(5) ? -real(0, 50) : real(0, 120)),
                    .unit = chance(60) ? std::uint8_t{2} : units[pick(13)],
                    .groupFactor = chance(70) ? groups[pick(4)] : real(0, 3),
                    // Few distinct dates, so equal dates are common; byte 3 never counts.
                    .date = {static_cast<std::uint8_t>(1 + pick(3)),
                             static_cast<std::uint8_t>(3 + pick(2)),
                             static_cast<std::uint8_t>(17 + pick(2)),
                             static_cast<std::uint8_t>(pick(256))},
                    .partAreaMark = static_cast<std::uint8_t>(chance(25) ? 1 + pick(3) : 0),
                    .workedArea = real(0, 20),
                    .nutrient1 = real(0, 40),
                    .nutrient2 = real(0, 40),
                    .nutrient3 = real(0, 40),
                    .organicProductMark = static_cast<std::uint8_t>(chance(60)),
                });
            }
        }
        // Some work files out of key order: collections then end early.
        if (chance(30)) std::shuffle(year.works.begin(), year.works.end(), rng);
    }
    return spec;
}

}  // namespace kv4test
