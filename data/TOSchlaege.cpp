#include "data/TOSchlaege.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace kv4 {

namespace {

FieldKey KeyOf(const FieldRecord& field) { return {field.FieldNo(), field.SubNo()}; }
FieldKey KeyOf(const WorkRecord& work) { return {work.FieldNo(), work.SubNo()}; }

// Records are decoded straight from the bytes as they arrive, so no copy of
// a file is ever held.
void AppendFields(std::vector<FieldRecord>& fields, std::span<const std::uint8_t> bytes) {
    for (std::size_t at = 0; bytes.size() - at >= kFieldRecordSize; at += kFieldRecordSize) {
        fields.emplace_back(bytes.subspan(at).first<kFieldRecordSize>());
    }
}

// Each follower takes the date of the record before it, which already holds
// the date of its chain's head: so every follower of a chain gets that date,
// wherever a chunk of the file ended.
void AppendWorks(std::vector<WorkRecord>& works, std::span<const std::uint8_t> bytes) {
    for (std::size_t at = 0; bytes.size() - at >= kWorkRecordSize; at += kWorkRecordSize) {
        WorkRecord& work = works.emplace_back(bytes.subspan(at).first<kWorkRecordSize>());
        if (work.FollowerMark() == 1 && works.size() > 1) {
            work.SetDate(works[works.size() - 2].Date());
        }
    }
}

// A year's work list is written once, front to back, into fresh memory. On
// Linux, huge pages make that one page fault per 2 MiB instead of one per
// 4 KiB, which is most of what a large farm's load costs. Only a hint: where
// the system has none to give, nothing changes.
void AdviseHugePages(const void* data, std::size_t bytes) {
#ifdef __linux__
    constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t begin = (start + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t end = (start + bytes) & ~(kHugePage - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

// Streams one file of the year into `records`; false when it is missing or
// cannot be opened, which is no error worth a message. A read error is added
// to `errors`, and the records read before it are kept.
template <class Record, std::size_t Size>
bool LoadYearFile(const std::string& folder, const std::string& name, std::size_t chunkBytes,
                  std::vector<Record>& records, ReadErrors& errors,
                  void (*append)(std::vector<Record>&, std::span<const std::uint8_t>)) {
    const auto path = FindDataFile(folder, name);
    if (!path) return false;
    // Room for every record at once: growing the list would move it and,
    // for a moment, hold it twice.
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(*path, ec);
    if (!ec) records.reserve(static_cast<std::size_t>(std::min(size, kMaxDataFileBytes) / Size));
    AdviseHugePages(records.data(), records.capacity() * sizeof(Record));
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
    if (!LoadYearFile<FieldRecord, kFieldRecordSize>(folder, "SCHL" + yearText + ".DAT", chunkBytes,
                                                     Fields, errors, AppendFields)) {
        return errors;
    }
    LoadYearFile<WorkRecord, kWorkRecordSize>(folder, "ARB" + yearText + ".DAT", chunkBytes, Works,
                                              errors, AppendWorks);
    BuildIndex();
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
    runningMax_.clear();
    runningMax_.reserve(Works.size());
    for (const WorkRecord& work : Works) {
        const FieldKey key = KeyOf(work);
        runningMax_.push_back(runningMax_.empty() ? key : std::max(runningMax_.back(), key));
    }
}

bool TOSchlaege::IndexCurrent() const { return runningMax_.size() == Works.size(); }

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
