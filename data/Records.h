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

// One field record as the program reads it: its named fields, decoded once.
class FieldRecord {
  public:
    FieldRecord() = default;  // every field 0 or empty, as a zeroed block reads
    explicit FieldRecord(std::span<const std::uint8_t, kFieldRecordSize> b);

    std::int16_t FieldNo() const { return fieldNo_; }
    std::uint8_t SubNo() const { return subNo_; }
    const std::string& Name() const { return name_; }
    double Area() const { return area_; }
    const std::string& SoilType() const { return soilType_; }
    std::uint16_t Humus() const { return humus_; }
    double P2O5Content() const { return p2o5Content_; }
    std::uint8_t StatusBits() const { return statusBits_; }
    const std::string& Crop() const { return crop_; }

    friend bool operator==(const FieldRecord&, const FieldRecord&) = default;

  private:
    double area_ = 0;
    double p2o5Content_ = 0;
    std::string name_;
    std::string soilType_;
    std::string crop_;
    std::int16_t fieldNo_ = 0;
    std::uint16_t humus_ = 0;
    std::uint8_t subNo_ = 0;
    std::uint8_t statusBits_ = 0;
};

// One work record as the program reads it: its named fields, in 68 bytes
// instead of 512 (a farm holds hundreds of thousands of works).
// The crop name stays in its Windows-1252 bytes until it is asked for.
class WorkRecord {
  public:
    WorkRecord() = default;  // every field 0 or empty, as a zeroed block reads
    explicit WorkRecord(std::span<const std::uint8_t, kWorkRecordSize> b);

    std::uint16_t FieldNo() const { return fieldNo_; }
    std::uint8_t WorkType() const { return workType_; }
    std::uint8_t SubNo() const { return subNo_; }
    std::uint8_t OptionalMark() const { return optionalMark_; }
    std::uint8_t NminMark() const { return nminMark_; }
    std::uint8_t OrganicMark() const { return organicMark_; }
    std::uint8_t FollowerMark() const { return followerMark_; }
    std::string CropName() const;
    double Amount() const { return DecodeReal48(amount_); }
    std::uint8_t Unit() const { return unit_; }
    double GroupFactor() const { return DecodeReal48(groupFactor_); }
    const WorkDate& Date() const { return date_; }
    void SetDate(const WorkDate& d) { date_ = d; }
    std::uint8_t PartAreaMark() const { return partAreaMark_; }
    double WorkedArea() const { return DecodeReal48(workedArea_); }
    double Nutrient1() const { return DecodeReal48(nutrient1_); }
    double Nutrient2() const { return DecodeReal48(nutrient2_); }
    double Nutrient3() const { return DecodeReal48(nutrient3_); }
    std::uint8_t OrganicProductMark() const { return organicProductMark_; }

    friend bool operator==(const WorkRecord&, const WorkRecord&) = default;

  private:
    // Reals stay in their six bytes until they are asked for: most works are
    // never asked, and the bytes of 0 are kept as six zeros, so that equal
    // values mean equal bytes.
    using Real48 = std::array<std::uint8_t, 6>;
    Real48 amount_{};
    Real48 groupFactor_{};
    Real48 workedArea_{};
    Real48 nutrient1_{};
    Real48 nutrient2_{};
    Real48 nutrient3_{};
    // Length, then the characters; bytes behind the length stay 0.
    std::array<std::uint8_t, 1 + work_offset::CropNameRoom> cropName_{};
    WorkDate date_{};
    std::uint16_t fieldNo_ = 0;
    std::uint8_t workType_ = 0;
    std::uint8_t subNo_ = 0;
    std::uint8_t optionalMark_ = 0;
    std::uint8_t nminMark_ = 0;
    std::uint8_t organicMark_ = 0;
    std::uint8_t followerMark_ = 0;
    std::uint8_t unit_ = 0;
    std::uint8_t partAreaMark_ = 0;
    std::uint8_t organicProductMark_ = 0;
};
static_assert(sizeof(WorkRecord) <= 68);

// Field key order: FieldNo first, then SubNo, compared as numbers.
struct FieldKey {
    int fieldNo = 0;
    int subNo = 0;
    friend auto operator<=>(const FieldKey&, const FieldKey&) = default;
};

// A field's FieldNo is signed and a work's unsigned: a field numbered below 0
// never has works.
inline FieldKey KeyOf(const FieldRecord& field) { return {field.FieldNo(), field.SubNo()}; }
inline FieldKey KeyOf(const WorkRecord& work) { return {work.FieldNo(), work.SubNo()}; }

// ---- Work dates -----------------------------------------------------------

// -1 when a is later than b, +1 otherwise (also when equal); never 0.
int CompareWorkDates(const WorkDate& a, const WorkDate& b);

}  // namespace kv4
