// The start-up never changes the farm's data: after it every file holds the
// same bytes under the same name, and the folder lists the same entries,
// apart from the repair of the four blank-padded master-data names.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "data/FileAccess.h"
#include "data/MasterData.h"
#include "farmwriter/DemoFarm.h"
#include "farmwriter/RecordWriter.h"
#include "support/HostileFolders.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;

struct EntryState {
    fs::file_type type = fs::file_type::none;
    fs::perms perms = fs::perms::none;
    std::vector<std::uint8_t> bytes;  // regular files
    std::string target;               // symbolic links
    bool operator==(const EntryState&) const = default;
};

// Relative path -> state, for everything below `root`, links not followed.
using Snapshot = std::map<std::string, EntryState>;

Snapshot Take(const fs::path& root) {
    Snapshot snapshot;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        const fs::file_status status = fs::symlink_status(it->path(), ec);
        EntryState state;
        state.type = status.type();
        state.perms = status.permissions();
        if (state.type == fs::file_type::regular) {
            // Files without read permission are compared by size and rights.
            fs::permissions(it->path(), fs::perms::owner_read, fs::perm_options::add, ec);
            state.bytes = kv4::ReadFileBytes(it->path()).bytes;
            fs::permissions(it->path(), state.perms, ec);
        } else if (state.type == fs::file_type::symlink) {
            state.target = fs::read_symlink(it->path(), ec).string();
        }
        snapshot[fs::relative(it->path(), root).generic_string()] = state;
    }
    return snapshot;
}

bool SameIgnoringAsciiCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Whether a name can be added to the folder (a rename into it needs that):
// tried with a probe file that is removed again at once.
bool FolderTakesNewEntries(const fs::path& folder) {
    const fs::path probe = folder / ".kv4-probe";
    {
        std::ofstream out(probe, std::ios::binary);
        if (!out) return false;
    }
    std::error_code ec;
    fs::remove(probe, ec);
    return true;
}

// The snapshot after the repair: a padded name moves to its correct name
// when no entry of the folder answers to that name and the folder can be
// written.
Snapshot WithRepairs(Snapshot snapshot, const fs::path& folder) {
    if (!FolderTakesNewEntries(folder)) return snapshot;
    for (const auto& [padded, correct] : kv4::kPaddedMasterNames) {
        bool taken = false;
        for (const auto& entry : snapshot)
            taken = taken || SameIgnoringAsciiCase(entry.first, std::string(correct));
        const auto it = snapshot.find(std::string(padded));
        if (taken || it == snapshot.end()) continue;
        snapshot[std::string(correct)] = it->second;
        snapshot.erase(std::string(padded));
    }
    return snapshot;
}

void ExpectUnchangedBesidesRepairs(const fs::path& folder) {
    const Snapshot before = Take(folder);
    const Snapshot expected = WithRepairs(before, folder);
    kv4test::RunStartUp(folder);
    const Snapshot after = Take(folder);
    for (const auto& [name, state] : expected) {
        const auto it = after.find(name);
        if (it == after.end()) {
            ADD_FAILURE() << name << " is gone";
            continue;
        }
        EXPECT_TRUE(it->second == state) << name << " changed";
    }
    for (const auto& entry : after)
        EXPECT_TRUE(expected.count(entry.first)) << entry.first << " appeared";
}

TEST(UnchangedData, DemoFarm) {
    kv4test::TempDir dir;
    kv4farm::WriteDemoFarm(dir.path());
    const fs::path folder = dir.path() / "Daten";
    ASSERT_TRUE(fs::exists(folder / "FRUCHT  .DAT"));
    ExpectUnchangedBesidesRepairs(folder);
    EXPECT_TRUE(fs::exists(folder / "FRUCHT.DAT"));
}

TEST(UnchangedData, FolderWithUmlautsAndBlanks) {
    kv4test::TempDir dir;
    const fs::path folder = dir.path() / kv4::PathFromUtf8("Bäuerin Jürgens") / "Daten 2018";
    kv4test::WriteSmallFarm(folder);
    for (const char* base : {"FRUCHT", "DUENGER", "SCHLEPP", "SONSTIG"}) {
        std::string padded = base;
        padded.resize(8, ' ');
        fs::rename(folder / (std::string(base) + ".DAT"), folder / (padded + ".DAT"));
    }
    ExpectUnchangedBesidesRepairs(folder);
    for (const char* name : {"FRUCHT.DAT", "DUENGER.DAT", "SCHLEPP.DAT", "SONSTIG.DAT"})
        EXPECT_TRUE(fs::is_regular_file(folder / name)) << name;
}

TEST(UnchangedData, EveryHostileFolder) {
    for (const auto& c : kv4test::HostileFolders()) {
        SCOPED_TRACE(c.name);
        kv4test::TempDir dir;
        const fs::path folder = dir.path() / "Daten";
        fs::create_directories(folder);
        c.build(folder);
        ExpectUnchangedBesidesRepairs(folder);
        std::error_code ec;
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ec);
    }
}

}  // namespace
