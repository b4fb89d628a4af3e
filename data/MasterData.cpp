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

// The directory entry of that name, file or folder, hidden or not: the exact
// name first, then, where names are case-sensitive, one differing only in
// letter case (Windows finds FRUCHT.DAT under frucht.dat as well, and a
// folder copied from there keeps either spelling).
std::optional<fs::path> EntryNamed(const fs::path& dir, const std::string& name) {
    const fs::path exact = dir / PathFromUtf8(name);
    if (EntryExists(exact)) return exact;
#ifndef _WIN32
    std::error_code ec;
    fs::directory_iterator it(dir.empty() ? fs::path(".") : dir, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        if (EqualsIgnoringAsciiCase(PathToUtf8(it->path().filename()), name))
            return dir / it->path().filename();
    }
#endif
    return std::nullopt;
}

}  // namespace

std::optional<std::string> RepairFileName(const std::string& correct, const std::string& padded,
                                          const std::string& folder) {
    const fs::path dir = PathFromUtf8(folder);
    // A correct name in any letter case counts as present: renaming beside
    // it would leave two spellings of one file.
    if (EntryNamed(dir, correct)) return std::nullopt;
    const std::optional<fs::path> from = EntryNamed(dir, padded);
    if (!from) return std::nullopt;
    std::error_code ec;
    fs::rename(*from, dir / PathFromUtf8(correct), ec);
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
