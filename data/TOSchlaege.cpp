#include "data/TOSchlaege.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace kv4 {

namespace {

FieldKey KeyOf(const FieldRecord& field) { return {field.FieldNo(), field.SubNo()}; }
FieldKey KeyOf(const WorkRecord& work) { return {work.FieldNo(), work.SubNo()}; }

void AppendFields(std::vector<FieldRecord>& fields, std::span<const std::uint8_t> bytes) {
    const std::size_t count = bytes.size() / kFieldRecordSize;
    fields.reserve(fields.size() + count);
    for (std::size_t i = 0; i < count; ++i) {
        fields.emplace_back(bytes.subspan(i * kFieldRecordSize).first<kFieldRecordSize>());
    }
}

void AppendWorks(std::vector<WorkRecord>& works, std::span<const std::uint8_t> bytes) {
    const std::size_t count = bytes.size() / kWorkRecordSize;
    works.reserve(works.size() + count);
    for (std::size_t i = 0; i < count; ++i) {
        works.emplace_back(bytes.subspan(i * kWorkRecordSize).first<kWorkRecordSize>());
    }
}

// Reads one file of the year; nullopt when it is missing or cannot be
// opened, which is no error worth a message. A read error is added to
// `errors`, and the bytes read before it are kept.
std::optional<std::vector<std::uint8_t>> ReadYearFile(const std::string& folder,
                                                      const std::string& name, ReadErrors& errors) {
    const auto path = FindDataFile(folder, name);
    if (!path) return std::nullopt;
    FileContent content = ReadFileBytes(*path);
    if (content.status == FileContent::Status::NotOpenable) return std::nullopt;
    if (content.status == FileContent::Status::ReadError) errors.push_back(ReadErrorText(name));
    return std::move(content.bytes);
}

}  // namespace

ReadErrors TOSchlaege::LoadYear(std::uint16_t year, const std::string& folder) {
    ReadErrors errors;
    Fields.clear();
    Works.clear();
    BuildIndex();

    const std::string yearText = std::to_string(year);
    const auto fieldBytes = ReadYearFile(folder, "SCHL" + yearText + ".DAT", errors);
    // Without a field file the work file is not looked at.
    if (!fieldBytes) return errors;
    AppendFields(Fields, *fieldBytes);

    if (const auto workBytes = ReadYearFile(folder, "ARB" + yearText + ".DAT", errors)) {
        AppendWorks(Works, *workBytes);
    }
    FinishWorks();
    return errors;
}

void TOSchlaege::LoadFromBytes(std::span<const std::uint8_t> fieldFile,
                               std::span<const std::uint8_t> workFile) {
    Fields.clear();
    Works.clear();
    AppendFields(Fields, fieldFile);
    AppendWorks(Works, workFile);
    FinishWorks();
}

void TOSchlaege::FinishWorks() {
    // Forwards, so every follower of a chain takes the date of its head.
    for (std::size_t i = 1; i < Works.size(); ++i) {
        if (Works[i].FollowerMark() == 1) Works[i].SetDate(Works[i - 1].Date());
    }
    BuildIndex();
}

void TOSchlaege::BuildIndex() {
    workKeys_.clear();
    runningMax_.clear();
    workKeys_.reserve(Works.size());
    runningMax_.reserve(Works.size());
    for (const WorkRecord& work : Works) {
        const FieldKey key = KeyOf(work);
        workKeys_.push_back(key);
        runningMax_.push_back(runningMax_.empty() ? key : std::max(runningMax_.back(), key));
    }
}

bool TOSchlaege::IndexCurrent() const { return workKeys_.size() == Works.size(); }

FieldKey TOSchlaege::WorkKey(std::size_t i) const {
    return IndexCurrent() ? workKeys_[i] : KeyOf(Works[i]);
}

int TOSchlaege::FindField(std::int16_t fieldNo, std::uint8_t subNo) const {
    for (std::size_t i = 0; i < Fields.size(); ++i) {
        if (Fields[i].FieldNo() == fieldNo && Fields[i].SubNo() == subNo) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::size_t TOSchlaege::SkipPosition(const FieldKey& key) const {
    if (IndexCurrent()) {
        // The scan from 0 stops at the first record whose key is not smaller;
        // before it every key, and so the running maximum, is smaller.
        const auto stop = std::partition_point(runningMax_.begin(), runningMax_.end(),
                                               [&key](const FieldKey& max) { return max < key; });
        return static_cast<std::size_t>(stop - runningMax_.begin());
    }
    std::size_t i = 0;
    while (i < Works.size() && KeyOf(Works[i]) < key) ++i;
    return i;
}

void TOSchlaege::GetFieldWorks(int index, FieldRecord& fieldRecord,
                               std::vector<WorkRecord>& workList, bool includeOptional) const {
    fieldRecord = FieldRecord();
    workList.clear();
    if (index < 0 || static_cast<std::size_t>(index) >= Fields.size()) return;
    fieldRecord = Fields[static_cast<std::size_t>(index)];
    const FieldKey key = KeyOf(fieldRecord);

    std::size_t p = 0;  // behind the record inserted last
    for (std::size_t i = SkipPosition(key); i < Works.size() && WorkKey(i) == key; ++i) {
        const WorkRecord& work = Works[i];
        const std::uint8_t optional = work.OptionalMark();
        if (optional == 1 && !includeOptional) continue;
        if (optional == 0 && work.FollowerMark() != 1) {
            // Behind every collected record that is not later, so equal dates
            // keep their file order; optional records never serve as the place.
            const WorkDate date = work.Date();
            const auto later = std::find_if(
                workList.begin(), workList.end(), [&date](const WorkRecord& collected) {
                    return collected.OptionalMark() == 0 &&
                           CompareWorkDates(collected.Date(), date) == -1;
                });
            p = static_cast<std::size_t>(later - workList.begin());
        }
        workList.insert(workList.begin() + static_cast<std::ptrdiff_t>(p), work);
        ++p;
    }
}

}  // namespace kv4
