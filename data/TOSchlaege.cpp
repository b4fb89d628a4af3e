#include "data/TOSchlaege.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "data/BlockAllocator.h"

namespace kv4 {

namespace {

FieldKey KeyOf(const FieldRecord& field) { return {field.FieldNo(), field.SubNo()}; }
FieldKey KeyOf(const WorkRecord& work) { return {work.FieldNo(), work.SubNo()}; }

// Records are decoded straight from the bytes as they arrive, so no copy of
// a file is ever held.
void AppendFields(TOSchlaege::FieldList& fields, std::span<const std::uint8_t> bytes) {
    for (std::size_t at = 0; bytes.size() - at >= kFieldRecordSize; at += kFieldRecordSize) {
        fields.emplace_back(bytes.subspan(at).first<kFieldRecordSize>());
    }
}

// Each follower takes the date of the record before it, which already holds
// the date of its chain's head: so every follower of a chain gets that date,
// wherever a chunk of the file ended.
void AppendWorks(TOSchlaege::WorkList& works, std::span<const std::uint8_t> bytes) {
    for (std::size_t at = 0; bytes.size() - at >= kWorkRecordSize; at += kWorkRecordSize) {
        WorkRecord& work = works.emplace_back(bytes.subspan(at).first<kWorkRecordSize>());
        if (work.FollowerMark() == 1 && works.size() > 1) {
            work.SetDate(works[works.size() - 2].Date());
        }
    }
}

// Streams one file of the year into `records`; false when it is missing or
// cannot be opened, which is no error worth a message. A read error is added
// to `errors`, and the records read before it are kept.
template <std::size_t Size, class List>
bool LoadYearFile(const std::string& folder, const std::string& name, std::size_t chunkBytes,
                  List& records, ReadErrors& errors,
                  void (*append)(List&, std::span<const std::uint8_t>)) {
    const auto path = FindDataFile(folder, name);
    if (!path) return false;
    // Room for every record at once: growing the list would move it and,
    // for a moment, hold it twice.
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(*path, ec);
    if (!ec) records.reserve(static_cast<std::size_t>(std::min(size, kMaxDataFileBytes) / Size));
    const FileContent::Status status = ReadFileRecords(
        *path, Size, [&](std::span<const std::uint8_t> bytes) { append(records, bytes); },
        chunkBytes);
    if (status == FileContent::Status::NotOpenable) return false;
    if (status == FileContent::Status::ReadError) errors.push_back(ReadErrorText(name));
    return true;
}

}  // namespace

ReadErrors TOSchlaege::LoadYear(std::uint16_t year, const std::string& folder,
                                std::size_t chunkBytes) {
    ReadErrors errors;
    Fields.clear();
    Works.clear();
    BuildIndex();

    const std::string yearText = std::to_string(year);
    // Without a field file the work file is not looked at.
    if (!LoadYearFile<kFieldRecordSize>(folder, "SCHL" + yearText + ".DAT", chunkBytes, Fields,
                                        errors, AppendFields)) {
        return errors;
    }
    LoadYearFile<kWorkRecordSize>(folder, "ARB" + yearText + ".DAT", chunkBytes, Works, errors,
                                  AppendWorks);
    BuildIndex();
    return errors;
}

std::optional<ReadErrors> TOSchlaege::StreamYear(std::uint16_t year, const std::string& folder,
                                                 const RunVisitor& run, std::size_t chunkBytes) {
    ReadErrors errors;
    Fields.clear();
    Works.clear();
    BuildIndex();

    const std::string yearText = std::to_string(year);
    if (!LoadYearFile<kFieldRecordSize>(folder, "SCHL" + yearText + ".DAT", chunkBytes, Fields,
                                        errors, AppendFields)) {
        return errors;
    }
    const std::string name = "ARB" + yearText + ".DAT";
    const auto path = FindDataFile(folder, name);
    if (!path) return errors;

    std::vector<FieldKey> fieldKeys;
    fieldKeys.reserve(Fields.size());
    for (const FieldRecord& field : Fields) fieldKeys.push_back(KeyOf(field));
    std::sort(fieldKeys.begin(), fieldKeys.end());

    std::vector<WorkRecord> current;  // the works of the key being read
    FieldKey currentKey;
    WorkDate previousDate{};
    bool inOrder = true;
    const auto handOut = [&] {
        if (!current.empty() &&
            std::binary_search(fieldKeys.begin(), fieldKeys.end(), currentKey)) {
            run(currentKey, current);
        }
        current.clear();
    };
    bool first = true;
    const FileContent::Status status = ReadFileRecords(
        *path, kWorkRecordSize,
        [&](std::span<const std::uint8_t> bytes) {
            for (std::size_t at = 0; inOrder && bytes.size() - at >= kWorkRecordSize;
                 at += kWorkRecordSize) {
                WorkRecord& work = current.emplace_back(bytes.subspan(at).first<kWorkRecordSize>());
                // A follower takes the date of the record before it, as in AppendWorks.
                if (work.FollowerMark() == 1 && !first) work.SetDate(previousDate);
                previousDate = work.Date();
                const FieldKey key = KeyOf(work);
                if (!first && key != currentKey) {
                    if (key < currentKey) {
                        inOrder = false;
                        return;
                    }
                    // The new key's first work moves to the front of the next run.
                    const WorkRecord next = work;
                    current.pop_back();
                    handOut();
                    current.push_back(next);
                }
                currentKey = key;
                first = false;
            }
        },
        chunkBytes);
    if (!inOrder) return std::nullopt;
    if (status == FileContent::Status::NotOpenable) return errors;
    handOut();
    if (status == FileContent::Status::ReadError) errors.push_back(ReadErrorText(name));
    return errors;
}

void TOSchlaege::LoadFromBytes(std::span<const std::uint8_t> fieldFile,
                               std::span<const std::uint8_t> workFile) {
    Fields.clear();
    Works.clear();
    Fields.reserve(fieldFile.size() / kFieldRecordSize);
    Works.reserve(workFile.size() / kWorkRecordSize);
    AppendFields(Fields, fieldFile);
    AppendWorks(Works, workFile);
    BuildIndex();
}

void TOSchlaege::BuildIndex() {
    rises_.clear();
    for (std::size_t i = 0; i < Works.size(); ++i) {
        const FieldKey key = KeyOf(Works[i]);
        if (rises_.empty() || rises_.back().key < key) rises_.push_back({i, key});
    }
    indexedWorks_ = Works.size();
}

bool TOSchlaege::IndexCurrent() const { return indexedWorks_ == Works.size(); }

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
        // The scan from 0 stops at the first record whose key is not smaller:
        // the first place where the running maximum of the keys reaches it.
        const auto stop = std::partition_point(rises_.begin(), rises_.end(),
                                               [&key](const Rise& rise) { return rise.key < key; });
        return stop == rises_.end() ? Works.size() : stop->position;
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
    for (std::size_t i = SkipPosition(key); i < Works.size() && KeyOf(Works[i]) == key; ++i) {
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
