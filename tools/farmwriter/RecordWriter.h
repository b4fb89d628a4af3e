#pragma once
// Writes Kornavis 4 records: the demo farm, the test farms and the
// benchmarks' farms. The program itself never writes farm data.
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "data/Records.h"

namespace kv4farm {

// Nearest Real48 (ties to even); 0 for values too small; values too large
// saturate to the largest Real48.
std::array<std::uint8_t, 6> EncodeReal48(double value);

struct FieldSpec {
    std::int16_t fieldNo = 0;
    std::uint8_t subNo = 0;
    std::string name{};  // UTF-8, written as Windows-1252
    double area = 0;
    std::string soilType{};
    std::uint16_t humus = 0;
    double p2o5Content = 0;
    std::uint8_t statusBits = 0;
    std::string crop{};
};

struct WorkSpec {
    std::uint16_t fieldNo = 0;
    std::uint8_t subNo = 0;
    std::uint8_t workType = 0;
    std::uint8_t optionalMark = 0;
    std::uint8_t nminMark = 0;
    std::uint8_t organicMark = 0;
    std::uint8_t followerMark = 0;
    std::string cropName{};
    double amount = 0;
    std::uint8_t unit = 2;
    double groupFactor = 0;
    kv4::WorkDate date{1, 1, 18, 0};  // day, month, year part, unused
    std::uint8_t partAreaMark = 0;
    double workedArea = 0;
    double nutrient1 = 0, nutrient2 = 0, nutrient3 = 0;
    std::uint8_t organicProductMark = 0;
};

struct NKlassenSpec {
    std::uint8_t kind = 2;
    std::array<std::string, 8> names;  // empty: empty slot
    std::array<std::int16_t, 5> factors{200, 150, 100, 50, 0};
    std::array<double, 4> limits{};
};

// Whole records; the bytes not interpreted by the program are filled with a
// fixed pattern so that readers cannot rely on zeros there.
std::vector<std::uint8_t> EncodeField(const FieldSpec& field);
std::vector<std::uint8_t> EncodeWork(const WorkSpec& work);
std::vector<std::uint8_t> EncodeNKlassen(const NKlassenSpec& record);

// Concatenated records.
std::vector<std::uint8_t> EncodeFields(const std::vector<FieldSpec>& fields);
std::vector<std::uint8_t> EncodeWorks(const std::vector<WorkSpec>& works);

void WriteBytes(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes);
// SCHL<year>.DAT and ARB<year>.DAT in folder (created when missing).
void WriteYear(const std::filesystem::path& folder, int year, const std::vector<FieldSpec>& fields,
               const std::vector<WorkSpec>& works);

}  // namespace kv4farm
