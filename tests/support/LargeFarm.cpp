#include "support/LargeFarm.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "farmwriter/RecordWriter.h"

namespace kv4test {

namespace {

const std::vector<std::string> kCrops = {"Winterweizen", "Wintergerste", "Winterraps",   "Silomais",
                                         "Körnermais",   "Zuckerrüben",  "Sommergerste", "Hafer",
                                         "Roggen",       "Triticale",    "Kartoffeln",   "Erbsen",
                                         "Ackerbohnen",  "Dinkel",       "Sommerweizen"};

}  // namespace

void WriteLargeFarmYear(const std::filesystem::path& folder, int year, int fields) {
    std::mt19937 rng(static_cast<std::uint32_t>(year * 7919 + fields));
    auto pick = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    auto real = [&rng](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng);
    };
    std::vector<kv4farm::FieldSpec> fieldSpecs;
    std::vector<kv4farm::WorkSpec> works;
    fieldSpecs.reserve(static_cast<std::size_t>(fields));
    works.reserve(static_cast<std::size_t>(fields) * kLargeFarmWorksPerField);
    const auto yearByte = static_cast<std::uint8_t>(year % 100);
    for (int f = 1; f <= fields; ++f) {
        const std::string& crop = kCrops[static_cast<std::size_t>(pick(15))];
        fieldSpecs.push_back({.fieldNo = static_cast<std::int16_t>(f),
                              .name = "Schlag " + std::to_string(f),
                              .area = real(0.5, 25),
                              .soilType = f % 3 == 0 ? "sL" : "lS",
                              .humus = static_cast<std::uint16_t>(30 + pick(20)),
                              .p2o5Content = real(5, 40),
                              .statusBits = static_cast<std::uint8_t>(f % 50 == 0 ? 1 : 0),
                              .crop = crop});
        for (int k = 0; k < kLargeFarmWorksPerField; ++k) {
            kv4farm::WorkSpec w{.fieldNo = static_cast<std::uint16_t>(f),
                                .workType = 1,
                                .date = {static_cast<std::uint8_t>(1 + pick(28)),
                                         static_cast<std::uint8_t>(1 + pick(12)), yearByte, 0}};
            if (k == 0 || k == 1) {
                w.nminMark = 1;
                w.nutrient1 = real(5, 30);
                w.nutrient2 = real(5, 30);
                w.nutrient3 = real(0, 20);
            } else if (k < 5) {
                w.organicMark = 1;
                w.organicProductMark = 1;
                w.amount = real(10, 30);
                w.unit = static_cast<std::uint8_t>(k == 4 ? 6 : 3);
                w.groupFactor = 1;
                w.nutrient1 = real(0.2, 0.8);
            } else if (k == 5) {
                w.workType = 6;
                w.cropName = crop;
                w.amount = real(40, 100);
            } else if (k == 6 && f % 7 == 0) {
                w.workType = 6;
                w.cropName = crop;
                w.amount = real(30, 90);
                w.partAreaMark = 1;
                w.workedArea = real(0.5, 5);
            } else if (k % 10 == 9) {
                w.workType = 3;
                w.followerMark = 1;
            } else {
                w.workType = static_cast<std::uint8_t>(k % 3 == 0 ? 1 : 3);
                w.amount = real(1, 5);
                w.optionalMark = static_cast<std::uint8_t>(k % 11 == 0 ? 1 : 0);
            }
            works.push_back(w);
        }
    }
    kv4farm::WriteYear(folder, year, fieldSpecs, works);
}

void WriteLargeFarm(const std::filesystem::path& folder, int fields) {
    for (int year = 2015; year <= 2018; ++year) WriteLargeFarmYear(folder, year, fields);
}

}  // namespace kv4test
