#include "data/Records.h"

namespace kv4 {

FieldRecord::FieldRecord(std::span<const std::uint8_t, kFieldRecordSize> b) {
    const ByteReader r(b);
    fieldNo_ = r.i16(field_offset::FieldNo);
    subNo_ = r.u8(field_offset::SubNo);
    name_ = r.shortString(field_offset::Name, field_offset::NameRoom);
    area_ = r.real48(field_offset::Area);
    soilType_ = r.shortString(field_offset::SoilType, field_offset::SoilTypeRoom);
    humus_ = r.u16(field_offset::Humus);
    p2o5Content_ = r.real48(field_offset::P2O5Content);
    statusBits_ = r.u8(field_offset::StatusBits);
    crop_ = r.shortString(field_offset::Crop, field_offset::CropRoom);
}

WorkRecord::WorkRecord(std::span<const std::uint8_t, kWorkRecordSize> b) {
    const ByteReader r(b);
    fieldNo_ = r.u16(work_offset::FieldNo);
    workType_ = r.u8(work_offset::WorkType);
    subNo_ = r.u8(work_offset::SubNo);
    optionalMark_ = r.u8(work_offset::OptionalMark);
    nminMark_ = r.u8(work_offset::NminMark);
    organicMark_ = r.u8(work_offset::OrganicMark);
    followerMark_ = r.u8(work_offset::FollowerMark);
    // A length byte beyond the room is cut to the room, as the text is read.
    const std::size_t length =
        std::min<std::size_t>(b[work_offset::CropName], work_offset::CropNameRoom);
    cropName_[0] = static_cast<std::uint8_t>(length);
    std::copy_n(b.begin() + work_offset::CropName + 1, length, cropName_.begin() + 1);
    const auto real = [&b](std::size_t offset, Real48& value) {
        // Every real with a zero exponent byte is 0.
        if (b[offset] != 0) std::copy_n(b.begin() + offset, value.size(), value.begin());
    };
    real(work_offset::Amount, amount_);
    unit_ = r.u8(work_offset::Unit);
    real(work_offset::GroupFactor, groupFactor_);
    std::copy_n(b.begin() + work_offset::Date, date_.size(), date_.begin());
    partAreaMark_ = r.u8(work_offset::PartAreaMark);
    real(work_offset::WorkedArea, workedArea_);
    real(work_offset::Nutrient1, nutrient1_);
    real(work_offset::Nutrient2, nutrient2_);
    real(work_offset::Nutrient3, nutrient3_);
    organicProductMark_ = r.u8(work_offset::OrganicProductMark);
}

std::string WorkRecord::CropName() const {
    return ByteReader(cropName_).shortString(0, work_offset::CropNameRoom);
}

// ---- Work dates -----------------------------------------------------------

int CompareWorkDates(const WorkDate& a, const WorkDate& b) {
    for (const int i : {2, 1, 0}) {
        if (a[i] > b[i]) return -1;
        if (a[i] < b[i]) return 1;
    }
    return 1;
}

}  // namespace kv4
