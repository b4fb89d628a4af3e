#include "data/MasterData.h"

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <system_error>

#include "data/ByteReader.h"
#include "data/FileAccess.h"

namespace kv4 {

namespace fs = std::filesystem;

namespace {

// Any directory entry of that name, file or folder, hidden or not.
bool AnyEntryNamed(const fs::path& dir, const std::string& name) {
    if (EntryExists(dir / PathFromUtf8(name))) return true;
#ifndef _WIN32
    // Windows finds FRUCHT.DAT under frucht.dat as well; renaming beside it
    // would leave two spellings of one file.
    std::error_code ec;
    fs::directory_iterator it(dir.empty() ? fs::path(".") : dir, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        if (EqualsIgnoringAsciiCase(PathToUtf8(it->path().filename()), name)) return true;
    }
#endif
    return false;
}

}  // namespace

std::optional<std::string> RepairFileName(const std::string& correct, const std::string& padded,
                                          const std::string& folder) {
    const fs::path dir = PathFromUtf8(folder);
    if (AnyEntryNamed(dir, correct)) return std::nullopt;
    const fs::path from = dir / PathFromUtf8(padded);
    if (!EntryExists(from)) return std::nullopt;
    std::error_code ec;
    fs::rename(from, dir / PathFromUtf8(correct), ec);
    if (!ec) return std::nullopt;
    return "Die Datei \u201E" + padded + "\u201C konnte nicht in \u201E" + correct +
           "\u201C umbenannt werden: " + ReasonText(ec);
}

MasterData LoadMasterData(const std::string& folder) {
    MasterData data;
    std::string renameErrors;
    for (const auto& [padded, correct] : kPaddedMasterNames) {
        if (auto error = RepairFileName(std::string(correct), std::string(padded), folder)) {
            if (!renameErrors.empty()) renameErrors += '\n';
            renameErrors += *error;
        }
    }
    if (!renameErrors.empty()) data.errors.push_back(renameErrors);

    for (std::size_t i = 0; i < kLoadedMasterFiles; ++i) {
        MasterList& list = data.lists[i];
        const std::string name = std::string(MasterFileNames[i]) + ".DAT";
        const auto file = FindDataFile(folder, name);
        if (!file) continue;
        const FileContent content = ReadFileBytes(*file);
        if (content.status == FileContent::Status::NotOpenable) continue;
        const std::size_t count = content.bytes.size() / kMasterRecordSize;
        list.resize(count);
        for (std::size_t r = 0; r < count; ++r) {
            const auto first = content.bytes.begin() + std::ptrdiff_t(r * kMasterRecordSize);
            std::copy(first, first + std::ptrdiff_t(kMasterRecordSize), list[r].begin());
        }
        if (content.status == FileContent::Status::ReadError)
            data.errors.push_back(ReadErrorText(name));
    }
    return data;
}

}  // namespace kv4
