#include "data/ADECLARE.h"

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
    amount_ = r.real48(work_offset::Amount);
    unit_ = r.u8(work_offset::Unit);
    groupFactor_ = r.real48(work_offset::GroupFactor);
    std::copy_n(b.begin() + work_offset::Date, date_.size(), date_.begin());
    partAreaMark_ = r.u8(work_offset::PartAreaMark);
    workedArea_ = r.real48(work_offset::WorkedArea);
    nutrient1_ = r.real48(work_offset::Nutrient1);
    nutrient2_ = r.real48(work_offset::Nutrient2);
    nutrient3_ = r.real48(work_offset::Nutrient3);
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
