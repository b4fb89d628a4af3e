#pragma once
// The nutrient class table "NKlassen.dat": class limits A to D of the soil
// P2O5 content per group of soil types.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kv4 {

inline constexpr std::size_t kNutrientClassRecordSize = 86;

// One kind-2 record as loaded (its 86 bytes, with the factor repair applied).
class NutrientClassRecord {
  public:
    explicit NutrientClassRecord(std::span<const std::uint8_t, kNutrientClassRecordSize> b);
    const std::array<std::uint8_t, kNutrientClassRecordSize>& bytes() const { return bytes_; }

    std::uint8_t Kind() const;
    std::string SoilTypeName(int slot) const;  // slot 0..7, UTF-8
    std::int16_t Factor(int cls) const;        // cls 0..4 = A..E
    double Limit(int cls) const;               // cls 0..3 = A..D

  private:
    std::array<std::uint8_t, kNutrientClassRecordSize> bytes_;
};

class NutrientClasses {
  public:
    // Replaces the table with the kind-2 records of `bytes`, in file order;
    // a partial last record is ignored.
    void LoadFromBytes(std::span<const std::uint8_t> bytes);
    // LoadNutrientClasses: the file by its bare name in `folder` (empty:
    // the current directory). Missing or unreadable: empty, no message.
    void LoadNutrientClasses(const std::string& folder = {});

    // 'A' to 'E' by the limits of the first record that names the soil type
    // exactly (letter case and blanks count), each limit tested with <=, in
    // the order A to D. ' ' when no record names it, or for a NaN content.
    char ContentClass(const std::string& soilType, double content) const;

    const std::vector<NutrientClassRecord>& Records() const { return records_; }

  private:
    std::vector<NutrientClassRecord> records_;
};

}  // namespace kv4
