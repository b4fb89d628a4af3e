#pragma once
// The field register of one harvest year: its fields and works, loaded from
// the year's two files, and each field's works in date order.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "data/BlockAllocator.h"
#include "data/FileAccess.h"
#include "data/Records.h"

namespace kv4 {

class FieldRegister {
  public:
    // Replaces the content with SCHL<year>.DAT and ARB<year>.DAT of `folder`.
    // Missing or unopenable files leave the register (or its works) empty
    // without a message; a read error inside a file keeps what was read and
    // returns "Fehler beim Lesen der Datei " + file name.
    // Each file is read in chunks of chunkBytes and decoded as it comes in.
    [[nodiscard]] ReadErrors LoadYear(std::uint16_t year, const std::string& folder,
                                      std::size_t chunkBytes = kReadChunkBytes);

    // LoadYear without keeping the works: the fields are loaded, and each
    // field key's run of works, exactly the works GetFieldWorks starts from
    // for that key, goes to `run` as soon as the file has passed it. Only
    // keys of the year's fields with works are handed out, each once, in
    // ascending key order; Works() stays empty. Returns the read errors.
    using RunVisitor = std::function<void(const FieldKey& key, std::span<const WorkRecord> run)>;
    [[nodiscard]] ReadErrors StreamYear(std::uint16_t year, const std::string& folder,
                                        const RunVisitor& run,
                                        std::size_t chunkBytes = kReadChunkBytes);

    // Same, from bytes already in memory (a partial last record is ignored).
    void LoadFromBytes(std::span<const std::uint8_t> fieldFile,
                       std::span<const std::uint8_t> workFile);

    // Position of the first field with this key, or -1.
    int FindField(std::int16_t fieldNo, std::uint8_t subNo) const;

    // Copies field `index` into fieldRecord and that field's works, in date
    // order, into workList. An index that does not exist gives a zeroed
    // record and an empty list.
    void GetFieldWorks(int index, FieldRecord& fieldRecord, std::vector<WorkRecord>& workList,
                       bool includeOptional) const;

    int FieldCount() const { return static_cast<int>(fields_.size()); }
    int WorkCount() const { return static_cast<int>(works_.size()); }

    // First position of Works whose key is not smaller than `key` in the
    // sense of the register's skip (the first record that stops a scan from
    // position 0 that advances over smaller keys). Uses the index.
    std::size_t SkipPosition(const FieldKey& key) const;

    using FieldList = std::vector<FieldRecord, BlockAllocator<FieldRecord>>;
    // A year's works: the one large list of a load.
    using WorkList = std::vector<WorkRecord, BlockAllocator<WorkRecord>>;
    const FieldList& Fields() const { return fields_; }
    const WorkList& Works() const { return works_; }

  private:
    // Empties the register and loads the year's field file; false without
    // one, and then the work file is not looked at either.
    bool LoadFieldFile(std::uint16_t year, const std::string& folder, std::size_t chunkBytes,
                       ReadErrors& errors);
    void BuildIndex();
    // Where the running maximum of the work keys rises, in file order: the
    // literal skip from position 0 stops at the first position where that
    // maximum reaches the wanted key. A file in key order rises once a field.
    struct Rise {
        std::size_t position;
        FieldKey key;
    };
    FieldList fields_;
    WorkList works_;
    // Rebuilt by every load, the only way the lists change.
    std::vector<Rise> rises_;
};

}  // namespace kv4
