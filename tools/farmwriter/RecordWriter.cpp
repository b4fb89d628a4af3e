#include "farmwriter/RecordWriter.h"

#include <atomic>
#include <cmath>
#include <fstream>
#include <limits>
#include <random>
#include <stdexcept>
#include <system_error>

#include "data/ByteReader.h"

namespace kv4farm {

namespace fs = std::filesystem;
namespace fo = kv4::field_offset;
namespace wo = kv4::work_offset;

namespace {

// Bytes the program does not interpret: never zero, so that a reader
// relying on zeros there (or reading a string past its length) shows up.
std::vector<std::uint8_t> Filled(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(0xC0 | ((i * 7) & 0x3F));
    }
    return bytes;
}

void PutU8(std::vector<std::uint8_t>& b, std::size_t at, std::uint8_t v) { b.at(at) = v; }

void PutU16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
    b.at(at) = static_cast<std::uint8_t>(v & 0xFF);
    b.at(at + 1) = static_cast<std::uint8_t>(v >> 8);
}

void PutReal48(std::vector<std::uint8_t>& b, std::size_t at, double v) {
    const auto bytes = EncodeReal48(v);
    std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
}

// Length byte and Windows-1252 characters, cut to the room; the rest of the
// room keeps the filler.
void PutString(std::vector<std::uint8_t>& b, std::size_t at, std::size_t room,
               const std::string& utf8) {
    std::string text = kv4::Utf8ToCp1252(utf8);
    if (text.size() > room) text.resize(room);
    b.at(at) = static_cast<std::uint8_t>(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        b.at(at + 1 + i) = static_cast<std::uint8_t>(text[i]);
    }
}

void Append(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& record) {
    out.insert(out.end(), record.begin(), record.end());
}

}  // namespace

std::array<std::uint8_t, 6> EncodeReal48(double value) {
    if (const auto bytes = kv4::ToReal48Bytes(value)) return *bytes;
    if (std::isnan(value)) return {};
    // The largest Real48: exponent 255, all fraction bits set.
    std::array<std::uint8_t, 6> largest{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F};
    if (value < 0) largest[5] |= 0x80;
    return largest;
}

std::vector<std::uint8_t> EncodeField(const FieldSpec& field) {
    std::vector<std::uint8_t> b = Filled(kv4::kFieldRecordSize);
    PutU16(b, fo::FieldNo, static_cast<std::uint16_t>(field.fieldNo));
    PutU8(b, fo::SubNo, field.subNo);
    PutString(b, fo::Name, fo::NameRoom, field.name);
    PutReal48(b, fo::Area, field.area);
    PutString(b, fo::SoilType, fo::SoilTypeRoom, field.soilType);
    PutU16(b, fo::Humus, field.humus);
    PutReal48(b, fo::P2O5Content, field.p2o5Content);
    PutU8(b, fo::StatusBits, field.statusBits);
    PutString(b, fo::Crop, fo::CropRoom, field.crop);
    return b;
}

std::vector<std::uint8_t> EncodeWork(const WorkSpec& work) {
    std::vector<std::uint8_t> b = Filled(kv4::kWorkRecordSize);
    PutU16(b, wo::FieldNo, work.fieldNo);
    PutU8(b, wo::WorkType, work.workType);
    PutU8(b, wo::SubNo, work.subNo);
    PutU8(b, wo::OptionalMark, work.optionalMark);
    PutU8(b, wo::NminMark, work.nminMark);
    PutU8(b, wo::OrganicMark, work.organicMark);
    PutU8(b, wo::FollowerMark, work.followerMark);
    PutString(b, wo::CropName, wo::CropNameRoom, work.cropName);
    PutReal48(b, wo::Amount, work.amount);
    PutU8(b, wo::Unit, work.unit);
    PutReal48(b, wo::GroupFactor, work.groupFactor);
    for (std::size_t i = 0; i < work.date.size(); ++i) PutU8(b, wo::Date + i, work.date[i]);
    PutU8(b, wo::PartAreaMark, work.partAreaMark);
    PutReal48(b, wo::WorkedArea, work.workedArea);
    PutReal48(b, wo::Nutrient1, work.nutrient1);
    PutReal48(b, wo::Nutrient2, work.nutrient2);
    PutReal48(b, wo::Nutrient3, work.nutrient3);
    PutU8(b, wo::OrganicProductMark, work.organicProductMark);
    return b;
}

std::vector<std::uint8_t> EncodeNKlassen(const NKlassenSpec& record) {
    // Kind, eight soil type names of room 5, five factors, four limits.
    std::vector<std::uint8_t> b = Filled(86);
    PutU8(b, 0, record.kind);
    for (std::size_t i = 0; i < record.names.size(); ++i) {
        PutString(b, 1 + 6 * i, 5, record.names[i]);
    }
    for (std::size_t i = 0; i < record.factors.size(); ++i) {
        PutU16(b, 51 + 2 * i, static_cast<std::uint16_t>(record.factors[i]));
    }
    for (std::size_t i = 0; i < record.limits.size(); ++i) {
        PutReal48(b, 62 + 6 * i, record.limits[i]);
    }
    return b;
}

std::vector<std::uint8_t> EncodeFields(const std::vector<FieldSpec>& fields) {
    std::vector<std::uint8_t> out;
    out.reserve(fields.size() * kv4::kFieldRecordSize);
    for (const FieldSpec& field : fields) Append(out, EncodeField(field));
    return out;
}

std::vector<std::uint8_t> EncodeWorks(const std::vector<WorkSpec>& works) {
    std::vector<std::uint8_t> out;
    out.reserve(works.size() * kv4::kWorkRecordSize);
    for (const WorkSpec& work : works) Append(out, EncodeWork(work));
    return out;
}

void WriteBytes(const fs::path& file, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

void WriteYear(const fs::path& folder, int year, const std::vector<FieldSpec>& fields,
               const std::vector<WorkSpec>& works) {
    fs::create_directories(folder);
    const std::string yearText = std::to_string(year);
    WriteBytes(folder / ("SCHL" + yearText + ".DAT"), EncodeFields(fields));
    WriteBytes(folder / ("ARB" + yearText + ".DAT"), EncodeWorks(works));
}

}  // namespace kv4farm
