#include "data/FieldRegister.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "data/BlockAllocator.h"

namespace kv4 {

namespace {

// Records are decoded straight from the bytes as they arrive, so no copy of
// a file is ever held.
void AppendFields(FieldRegister::FieldList& fields, std::span<const std::uint8_t> bytes) {
    for (std::size_t at = 0; bytes.size() - at >= kFieldRecordSize; at += kFieldRecordSize) {
        fields.emplace_back(bytes.subspan(at).first<kFieldRecordSize>());
    }
}

// A follower takes the date of the work before it in the file, which already
// holds the date of its chain's head: so every follower of a chain gets that
// date, wherever a chunk of the file ended.
void TakeHeadDate(WorkRecord& work, const WorkDate* previous) {
    if (work.FollowerMark() == 1 && previous != nullptr) work.SetDate(*previous);
}

void AppendWorks(FieldRegister::WorkList& works, std::span<const std::uint8_t> bytes) {
    for (std::size_t at = 0; bytes.size() - at >= kWorkRecordSize; at += kWorkRecordSize) {
        WorkRecord& work = works.emplace_back(bytes.subspan(at).first<kWorkRecordSize>());
        TakeHeadDate(work, works.size() > 1 ? &works[works.size() - 2].Date() : nullptr);
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

bool FieldRegister::LoadFieldFile(std::uint16_t year, const std::string& folder,
                                  std::size_t chunkBytes, ReadErrors& errors) {
    fields_.clear();
    works_.clear();
    BuildIndex();
    return LoadYearFile<kFieldRecordSize>(folder, "SCHL" + std::to_string(year) + ".DAT",
                                          chunkBytes, fields_, errors, AppendFields);
}

ReadErrors FieldRegister::LoadYear(std::uint16_t year, const std::string& folder,
                                   std::size_t chunkBytes) {
    ReadErrors errors;
    if (!LoadFieldFile(year, folder, chunkBytes, errors)) return errors;
    LoadYearFile<kWorkRecordSize>(folder, "ARB" + std::to_string(year) + ".DAT", chunkBytes, works_,
                                  errors, AppendWorks);
    BuildIndex();
    return errors;
}

ReadErrors FieldRegister::StreamYear(std::uint16_t year, const std::string& folder,
                                     const RunVisitor& run, std::size_t chunkBytes) {
    ReadErrors errors;
    if (!LoadFieldFile(year, folder, chunkBytes, errors)) return errors;
    const std::string name = "ARB" + std::to_string(year) + ".DAT";
    const auto path = FindDataFile(folder, name);
    if (!path) return errors;

    std::vector<FieldKey> fieldKeys;
    fieldKeys.reserve(fields_.size());
    for (const FieldRecord& field : fields_) fieldKeys.push_back(KeyOf(field));
    std::sort(fieldKeys.begin(), fieldKeys.end());

    // The register's search for a key stops where the running maximum of the
    // work keys first reaches it, and its run is that key's works from there
    // on. So a run begins only with a work whose key is above every key before
    // it, and no key has two runs: in a file in key order every key's works
    // are its run; elsewhere the works behind a smaller key belong to none.
    std::vector<WorkRecord> current;  // the run being read
    FieldKey currentKey;
    FieldKey highest;
    WorkDate previousDate{};
    bool first = true;
    // Hands out the first `count` works of `current` as the run of currentKey.
    const auto handOut = [&](std::size_t count) {
        if (count > 0 && std::binary_search(fieldKeys.begin(), fieldKeys.end(), currentKey))
            run(currentKey, std::span<const WorkRecord>(current.data(), count));
    };
    bool inRun = false;  // whether `current` holds a run before the newest work
    const FileContent::Status status = ReadFileRecords(
        *path, kWorkRecordSize,
        [&](std::span<const std::uint8_t> bytes) {
            for (std::size_t at = 0; bytes.size() - at >= kWorkRecordSize; at += kWorkRecordSize) {
                // Decoded in place behind the run; dropped again if it belongs to none.
                WorkRecord& work = current.emplace_back(bytes.subspan(at).first<kWorkRecordSize>());
                TakeHeadDate(work, first ? nullptr : &previousDate);
                previousDate = work.Date();
                const FieldKey key = KeyOf(work);
                const bool rises = first || key > highest;
                if (!(inRun && key == currentKey)) {
                    handOut(current.size() - 1);
                    inRun = rises;
                    if (rises) {
                        currentKey = key;
                        if (current.size() > 1) {
                            current.front() = current.back();
                            current.resize(1);
                        }
                    } else {
                        current.clear();
                    }
                }
                if (rises) highest = key;
                first = false;
            }
        },
        chunkBytes);
    if (status == FileContent::Status::NotOpenable) return errors;
    if (inRun) handOut(current.size());
    if (status == FileContent::Status::ReadError) errors.push_back(ReadErrorText(name));
    return errors;
}

void FieldRegister::LoadFromBytes(std::span<const std::uint8_t> fieldFile,
                                  std::span<const std::uint8_t> workFile) {
    fields_.clear();
    works_.clear();
    fields_.reserve(fieldFile.size() / kFieldRecordSize);
    works_.reserve(workFile.size() / kWorkRecordSize);
    AppendFields(fields_, fieldFile);
    AppendWorks(works_, workFile);
    BuildIndex();
}

void FieldRegister::BuildIndex() {
    rises_.clear();
    for (std::size_t i = 0; i < works_.size(); ++i) {
        const FieldKey key = KeyOf(works_[i]);
        if (rises_.empty() || rises_.back().key < key) rises_.push_back({i, key});
    }
}

int FieldRegister::FindField(std::int16_t fieldNo, std::uint8_t subNo) const {
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (fields_[i].FieldNo() == fieldNo && fields_[i].SubNo() == subNo) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::size_t FieldRegister::SkipPosition(const FieldKey& key) const {
    // The scan from 0 stops at the first record whose key is not smaller:
    // the first place where the running maximum of the keys reaches it.
    const auto stop = std::partition_point(rises_.begin(), rises_.end(),
                                           [&key](const Rise& rise) { return rise.key < key; });
    return stop == rises_.end() ? works_.size() : stop->position;
}

void FieldRegister::GetFieldWorks(int index, FieldRecord& fieldRecord,
                                  std::vector<WorkRecord>& workList, bool includeOptional) const {
    fieldRecord = FieldRecord();
    workList.clear();
    if (index < 0 || static_cast<std::size_t>(index) >= fields_.size()) return;
    fieldRecord = fields_[static_cast<std::size_t>(index)];
    const FieldKey key = KeyOf(fieldRecord);

    std::size_t p = 0;  // behind the record inserted last
    for (std::size_t i = SkipPosition(key); i < works_.size() && KeyOf(works_[i]) == key; ++i) {
        const WorkRecord& work = works_[i];
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
