#include "reference/NutrientClasses.h"

#include <algorithm>
#include <cmath>

#include "data/ByteReader.h"
#include "data/FileAccess.h"

namespace kv4 {

namespace {

namespace offset {
constexpr std::size_t Kind = 0;
constexpr std::size_t Names = 1;  // eight short strings of room 5
constexpr std::size_t NameRoom = 5;
constexpr std::size_t NameStride = 1 + NameRoom;
constexpr std::size_t Factors = 51;  // five signed 16-bit, A..E
constexpr std::size_t Limits = 62;   // four Real48, A..D
}  // namespace offset
static_assert(offset::Names + 8 * offset::NameStride + 2 == offset::Factors);
static_assert(offset::Factors + 5 * 2 + 1 == offset::Limits);
static_assert(offset::Limits + 4 * 6 == kNutrientClassRecordSize);

constexpr int kNameSlots = 8;
constexpr std::array<std::int16_t, 5> kDefaultFactors = {200, 150, 100, 50, 0};

// The table is a few records; anything far beyond that is not the table.
constexpr std::uintmax_t kMaxTableFileBytes = std::uintmax_t(64) << 20;

}  // namespace

NutrientClassRecord::NutrientClassRecord(
    std::span<const std::uint8_t, kNutrientClassRecordSize> b) {
    std::copy(b.begin(), b.end(), bytes_.begin());
    // Records without factors get the standard ones, as Kornavis does.
    if (Factor(0) == 0) {
        for (std::size_t i = 0; i < kDefaultFactors.size(); ++i) {
            const auto v = static_cast<std::uint16_t>(kDefaultFactors[i]);
            bytes_[offset::Factors + 2 * i] = static_cast<std::uint8_t>(v & 0xFF);
            bytes_[offset::Factors + 2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
        }
    }
}

std::uint8_t NutrientClassRecord::Kind() const { return bytes_[offset::Kind]; }

std::string NutrientClassRecord::SoilTypeName(int slot) const {
    if (slot < 0 || slot >= kNameSlots) return {};
    return ByteReader(bytes_).shortString(
        offset::Names + static_cast<std::size_t>(slot) * offset::NameStride, offset::NameRoom);
}

std::int16_t NutrientClassRecord::Factor(int cls) const {
    if (cls < 0 || cls > 4) return 0;
    return ByteReader(bytes_).i16(offset::Factors + static_cast<std::size_t>(cls) * 2);
}

double NutrientClassRecord::Limit(int cls) const {
    if (cls < 0 || cls > 3) return 0;
    return ByteReader(bytes_).real48(offset::Limits + static_cast<std::size_t>(cls) * 6);
}

void NutrientClasses::LoadFromBytes(std::span<const std::uint8_t> bytes) {
    records_.clear();
    const std::size_t count = bytes.size() / kNutrientClassRecordSize;
    for (std::size_t i = 0; i < count; ++i) {
        NutrientClassRecord record(
            bytes.subspan(i * kNutrientClassRecordSize).first<kNutrientClassRecordSize>());
        if (record.Kind() == 2) records_.push_back(record);
    }
}

void NutrientClasses::LoadNutrientClasses(const std::string& folder) {
    records_.clear();
    const auto file = FindDataFile(folder, "NKlassen.dat");
    if (!file) return;
    // A read error keeps the records before it, without a message.
    LoadFromBytes(ReadFileBytes(*file, kMaxTableFileBytes).bytes);
}

char NutrientClasses::ContentClass(const std::string& soilType, double content) const {
    for (const NutrientClassRecord& record : records_) {
        bool named = false;
        for (int slot = 0; slot < kNameSlots && !named; ++slot)
            named = record.SoilTypeName(slot) == soilType;
        if (!named) continue;
        // No class for a content that is no number: E would claim a rich
        // soil and lower the phosphate the farmer is told to give.
        if (std::isnan(content)) return ' ';
        constexpr char kClasses[] = "ABCD";
        for (int cls = 0; cls < 4; ++cls) {
            if (content <= record.Limit(cls)) return kClasses[cls];
        }
        return 'E';
    }
    return ' ';
}

}  // namespace kv4
