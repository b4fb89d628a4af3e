// A year's field file and work file (parts 0 and 1 of the input) loaded into
// a field register; then every field's works are collected, with and without
// the optional records, and the quick paths are compared with plain scans.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/FieldRegister.h"
#include "data/UnitFactor.h"
#include "fuzz/FuzzInput.h"
#include "worksheets/Fill.h"

using kv4fuzz::Check;

namespace {

// Touches every decoded value, so each decode runs under the sanitizers.
double Decode(const kv4::FieldRecord& f) {
    return f.Area() + f.P2O5Content() + f.Humus() + f.StatusBits() +
           static_cast<double>(f.Name().size() + f.Crop().size() + f.SoilType().size());
}

double Decode(const kv4::WorkRecord& w) {
    double sum = w.Amount() + w.GroupFactor() + w.WorkedArea() + w.Nutrient1() + w.Nutrient2() +
                 w.Nutrient3() + static_cast<double>(w.CropName().size());
    sum += w.WorkType() + w.OptionalMark() + w.NminMark() + w.OrganicMark() + w.FollowerMark() +
           w.PartAreaMark() + w.OrganicProductMark();
    for (std::uint8_t to : {std::uint8_t{0}, std::uint8_t{2}, std::uint8_t{5}, std::uint8_t{9},
                            std::uint8_t{14}, std::uint8_t{15}, w.Unit()}) {
        sum += kv4::UnitFactor(w.Unit(), to, &w);
        sum += kv4::UnitFactor(w.Unit(), to, nullptr);
    }
    return sum;
}

bool SameBytes(const kv4::WorkRecord& a, const kv4::WorkRecord& b) { return a == b; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = kv4fuzz::SplitParts(data, size);
    kv4::FieldRegister year;
    year.LoadFromBytes(kv4fuzz::PartBytes(parts, 0), kv4fuzz::PartBytes(parts, 1));
    Check(year.Fields().size() == kv4fuzz::PartBytes(parts, 0).size() / kv4::kFieldRecordSize);
    Check(year.Works().size() == kv4fuzz::PartBytes(parts, 1).size() / kv4::kWorkRecordSize);

    // Follower dates were carried forwards from the head of each chain.
    for (std::size_t i = 1; i < year.Works().size(); ++i) {
        if (year.Works()[i].FollowerMark() == 1)
            Check(year.Works()[i].Date() == year.Works()[i - 1].Date());
    }

    volatile double sink = 0;
    kv4::FieldRecord record;
    std::vector<kv4::WorkRecord> list;
    std::vector<kv4::WorkRecord> listOptional;
    std::vector<kv4::CollectedWork> collected;
    for (int i = 0; i < year.FieldCount(); ++i) {
        const kv4::FieldRecord& field = year.Fields()[static_cast<std::size_t>(i)];
        sink = sink + Decode(field);
        const kv4::FieldKey key = kv4::KeyOf(field);

        const int found = year.FindField(field.FieldNo(), field.SubNo());
        Check(found >= 0 && found <= i);
        Check(kv4::KeyOf(year.Fields()[static_cast<std::size_t>(found)]) == key);

        std::size_t skip = 0;
        while (skip < year.Works().size() && kv4::KeyOf(year.Works()[skip]) < key) ++skip;
        Check(year.SkipPosition(key) == skip);

        year.GetFieldWorks(i, record, list, false);
        Check(record == field);

        kv4::CollectWorks(year, field, collected);
        Check(collected.size() == list.size());
        for (std::size_t k = 0; k < list.size(); ++k) Check(SameBytes(*collected[k].work, list[k]));

        year.GetFieldWorks(i, record, listOptional, true);
        Check(listOptional.size() >= list.size());
        for (const kv4::WorkRecord& w : listOptional) {
            Check(kv4::KeyOf(w) == key);
            sink = sink + Decode(w);
        }
    }

    // Positions that do not exist: a zeroed record and an empty list.
    for (int bad : {-1, year.FieldCount()}) {
        year.GetFieldWorks(bad, record, list, true);
        Check(list.empty());
        Check(record == kv4::FieldRecord());
    }
    return 0;
}
