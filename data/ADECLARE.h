#pragma once
// Kornavis 4 farm data: the record layouts of the field and work files, the
// records as the program reads them, and the order of work dates.
// Everything here only reads the farm's files; nothing is ever written back.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "data/ByteReader.h"

namespace kv4 {

// ---- Record layouts -------------------------------------------------------

inline constexpr std::size_t kFieldRecordSize = 509;
inline constexpr std::size_t kWorkRecordSize = 512;

namespace field_offset {
inline constexpr std::size_t FieldNo = 0;  // signed 16-bit
inline constexpr std::size_t SubNo = 2;    // byte
inline constexpr std::size_t Name = 5;     // string, room 15
inline constexpr std::size_t NameRoom = 15;
inline constexpr std::size_t Area = 21;      // Real48
inline constexpr std::size_t SoilType = 54;  // string, room 11
inline constexpr std::size_t SoilTypeRoom = 11;
inline constexpr std::size_t Humus = 66;        // word, tenths of a percent
inline constexpr std::size_t P2O5Content = 85;  // Real48
inline constexpr std::size_t StatusBits = 244;  // byte
inline constexpr std::size_t Crop = 246;        // string, room up to the record end
inline constexpr std::size_t CropRoom = 252;
}  // namespace field_offset
static_assert(field_offset::Crop + 1 + field_offset::CropRoom <= kFieldRecordSize);
static_assert(field_offset::P2O5Content + 6 <= field_offset::StatusBits);
static_assert(field_offset::SoilType + 1 + field_offset::SoilTypeRoom == field_offset::Humus);

namespace work_offset {
inline constexpr std::size_t FieldNo = 2;   // word
inline constexpr std::size_t WorkType = 4;  // byte
inline constexpr std::size_t SubNo = 5;     // byte
inline constexpr std::size_t OptionalMark = 6;
inline constexpr std::size_t NminMark = 7;
inline constexpr std::size_t OrganicMark = 9;
inline constexpr std::size_t FollowerMark = 15;
inline constexpr std::size_t CropName = 25;  // string, room 15
inline constexpr std::size_t CropNameRoom = 15;
inline constexpr std::size_t Amount = 41;        // Real48
inline constexpr std::size_t Unit = 47;          // byte
inline constexpr std::size_t GroupFactor = 106;  // Real48
inline constexpr std::size_t Date = 112;         // 4 bytes: day, month, year part, unused
inline constexpr std::size_t PartAreaMark = 118;
inline constexpr std::size_t WorkedArea = 119;  // Real48
inline constexpr std::size_t Nutrient1 = 126;   // Real48
inline constexpr std::size_t Nutrient2 = 132;
inline constexpr std::size_t Nutrient3 = 138;
inline constexpr std::size_t OrganicProductMark = 205;
}  // namespace work_offset
static_assert(work_offset::CropName + 1 + work_offset::CropNameRoom == work_offset::Amount);
static_assert(work_offset::Nutrient3 + 6 <= work_offset::OrganicProductMark);
static_assert(work_offset::OrganicProductMark < kWorkRecordSize);

inline constexpr std::uint8_t kWorkTypeFertilisation = 1;
inline constexpr std::uint8_t kWorkTypeHarvest = 6;

using WorkDate = std::array<std::uint8_t, 4>;

// One field record: a byte copy of the 509-byte block, decoded on access.
class FieldRecord {
  public:
    FieldRecord() { bytes_.fill(0); }
    explicit FieldRecord(std::span<const std::uint8_t, kFieldRecordSize> b) {
        std::copy(b.begin(), b.end(), bytes_.begin());
    }
    const std::array<std::uint8_t, kFieldRecordSize>& bytes() const { return bytes_; }
    std::array<std::uint8_t, kFieldRecordSize>& bytes() { return bytes_; }

    std::int16_t FieldNo() const { return r().i16(field_offset::FieldNo); }
    std::uint8_t SubNo() const { return r().u8(field_offset::SubNo); }
    std::string Name() const { return r().shortString(field_offset::Name, field_offset::NameRoom); }
    double Area() const { return r().real48(field_offset::Area); }
    std::string SoilType() const {
        return r().shortString(field_offset::SoilType, field_offset::SoilTypeRoom);
    }
    std::uint16_t Humus() const { return r().u16(field_offset::Humus); }
    double P2O5Content() const { return r().real48(field_offset::P2O5Content); }
    std::uint8_t StatusBits() const { return r().u8(field_offset::StatusBits); }
    std::string Crop() const { return r().shortString(field_offset::Crop, field_offset::CropRoom); }

  private:
    ByteReader r() const { return ByteReader(bytes_); }
    std::array<std::uint8_t, kFieldRecordSize> bytes_;
};

// One work record: a byte copy of the 512-byte block, decoded on access.
class WorkRecord {
  public:
    WorkRecord() { bytes_.fill(0); }
    explicit WorkRecord(std::span<const std::uint8_t, kWorkRecordSize> b) {
        std::copy(b.begin(), b.end(), bytes_.begin());
    }
    const std::array<std::uint8_t, kWorkRecordSize>& bytes() const { return bytes_; }
    std::array<std::uint8_t, kWorkRecordSize>& bytes() { return bytes_; }

    std::uint16_t FieldNo() const { return r().u16(work_offset::FieldNo); }
    std::uint8_t WorkType() const { return r().u8(work_offset::WorkType); }
    std::uint8_t SubNo() const { return r().u8(work_offset::SubNo); }
    std::uint8_t OptionalMark() const { return r().u8(work_offset::OptionalMark); }
    std::uint8_t NminMark() const { return r().u8(work_offset::NminMark); }
    std::uint8_t OrganicMark() const { return r().u8(work_offset::OrganicMark); }
    std::uint8_t FollowerMark() const { return r().u8(work_offset::FollowerMark); }
    std::string CropName() const {
        return r().shortString(work_offset::CropName, work_offset::CropNameRoom);
    }
    double Amount() const { return r().real48(work_offset::Amount); }
    std::uint8_t Unit() const { return r().u8(work_offset::Unit); }
    double GroupFactor() const { return r().real48(work_offset::GroupFactor); }
    WorkDate Date() const {
        return {bytes_[work_offset::Date], bytes_[work_offset::Date + 1],
                bytes_[work_offset::Date + 2], bytes_[work_offset::Date + 3]};
    }
    void SetDate(const WorkDate& d) {
        std::copy(d.begin(), d.end(), bytes_.begin() + work_offset::Date);
    }
    std::uint8_t PartAreaMark() const { return r().u8(work_offset::PartAreaMark); }
    double WorkedArea() const { return r().real48(work_offset::WorkedArea); }
    double Nutrient1() const { return r().real48(work_offset::Nutrient1); }
    double Nutrient2() const { return r().real48(work_offset::Nutrient2); }
    double Nutrient3() const { return r().real48(work_offset::Nutrient3); }
    std::uint8_t OrganicProductMark() const { return r().u8(work_offset::OrganicProductMark); }

  private:
    ByteReader r() const { return ByteReader(bytes_); }
    std::array<std::uint8_t, kWorkRecordSize> bytes_;
};

// Field key order: FieldNo first, then SubNo, compared as numbers.
struct FieldKey {
    int fieldNo = 0;
    int subNo = 0;
    friend auto operator<=>(const FieldKey&, const FieldKey&) = default;
};

// ---- Work dates -----------------------------------------------------------

// -1 when a is later than b, +1 otherwise (also when equal); never 0.
int CompareWorkDates(const WorkDate& a, const WorkDate& b);

}  // namespace kv4
