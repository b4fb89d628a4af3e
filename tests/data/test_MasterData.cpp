// The repair of the blank-padded master-data names and the loading of the
// six master-data lists.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "data/FileAccess.h"
#include "data/MasterData.h"
#include "farmwriter/RecordWriter.h"
#include "support/TempDir.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// n whole records whose bytes tell record and position apart, then `rest`
// bytes of a cut-off record.
Bytes Records(std::size_t n, std::uint8_t seed, std::size_t rest = 0) {
    Bytes b(n * kv4::kMasterRecordSize + rest);
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = std::uint8_t(seed + i * 7 + i / 512);
    return b;
}

Bytes ReadAll(const fs::path& file) { return kv4::ReadFileBytes(file).bytes; }

// Keeps what the last load returned and collects its messages.
class MasterDataTest : public ::testing::Test {
  protected:
    std::string folder() const { return kv4::PathToUtf8(dir.path()); }
    void Load(const std::string& from) {
        loaded = kv4::LoadMasterData(from);
        messages.insert(messages.end(), loaded.errors.begin(), loaded.errors.end());
    }
    const kv4::MasterList& List(std::string_view base) const {
        for (std::size_t i = 0; i < kv4::kLoadedMasterFiles; ++i)
            if (kv4::MasterFileNames[i] == base) return loaded.lists[i];
        ADD_FAILURE() << "no list for " << base;
        return loaded.lists[0];
    }

    kv4test::TempDir dir;
    kv4::MasterData loaded;
    std::vector<std::string> messages;
};

struct RenameCase {
    const char* what;
    std::vector<std::string> files;    // created with content
    std::vector<std::string> folders;  // created as folders
    std::vector<std::string> after;    // entries that exist afterwards
    std::vector<std::string> gone;     // entries that no longer exist
    std::string list;                  // base name of the list to check
    std::size_t records;
};

TEST_F(MasterDataTest, RepairsEachPaddedNameOnlyWhenTheCorrectNameIsFree) {
    // clang-format off
    const std::vector<RenameCase> cases = {
        {"padded only: renamed", {"FRUCHT  .DAT"}, {}, {"FRUCHT.DAT"}, {"FRUCHT  .DAT"}, "FRUCHT", 2},
        {"both: nothing renamed", {"FRUCHT  .DAT", "FRUCHT.DAT"}, {},
         {"FRUCHT  .DAT", "FRUCHT.DAT"}, {}, "FRUCHT", 2},
        {"neither: nothing happens", {}, {}, {}, {"FRUCHT.DAT", "FRUCHT  .DAT"}, "FRUCHT", 0},
        {"a folder named SONSTIG.DAT counts as present", {"SONSTIG .DAT"}, {"SONSTIG.DAT"},
         {"SONSTIG .DAT", "SONSTIG.DAT"}, {}, "SONSTIG", 0},
        {"a padded folder is renamed too", {}, {"DUENGER .DAT"}, {"DUENGER.DAT"},
         {"DUENGER .DAT"}, "DUENGER", 0},
        {"all four at once", {"FRUCHT  .DAT", "DUENGER .DAT", "SCHLEPP .DAT", "SONSTIG .DAT"}, {},
         {"FRUCHT.DAT", "DUENGER.DAT", "SCHLEPP.DAT", "SONSTIG.DAT"},
         {"FRUCHT  .DAT", "DUENGER .DAT", "SCHLEPP .DAT", "SONSTIG .DAT"}, "SCHLEPP", 2},
        {"other padding is left alone", {"FRUCHT .DAT", "MASCHINE .DAT"}, {},
         {"FRUCHT .DAT", "MASCHINE .DAT"}, {"FRUCHT.DAT", "MASCHINE.DAT"}, "MASCHINE", 0},
#ifndef _WIN32
        {"a lower-case correct name counts as present", {"frucht.dat", "FRUCHT  .DAT"}, {},
         {"frucht.dat", "FRUCHT  .DAT"}, {"FRUCHT.DAT"}, "FRUCHT", 2},
        {"a padded name in another letter case is repaired", {"frucht  .dat", "Duenger .Dat"},
         {}, {"FRUCHT.DAT", "DUENGER.DAT"}, {"frucht  .dat", "Duenger .Dat"}, "FRUCHT", 2},
#endif
    };
    // clang-format on
    for (const RenameCase& c : cases) {
        SCOPED_TRACE(c.what);
        kv4test::TempDir here;
        std::vector<Bytes> contents;
        for (std::size_t i = 0; i < c.files.size(); ++i) {
            contents.push_back(Records(2, std::uint8_t(i * 40)));
            kv4farm::WriteBytes(here.path() / c.files[i], contents.back());
        }
        for (const std::string& f : c.folders) fs::create_directory(here.path() / f);
        messages.clear();
        Load(kv4::PathToUtf8(here.path()));
        for (const std::string& e : c.after) EXPECT_TRUE(kv4::EntryExists(here.path() / e)) << e;
        for (const std::string& e : c.gone) EXPECT_FALSE(kv4::EntryExists(here.path() / e)) << e;
        EXPECT_EQ(List(c.list).size(), c.records);
        EXPECT_TRUE(messages.empty());
        // A renamed file keeps its bytes; files that stay are untouched.
        for (std::size_t i = 0; i < c.files.size(); ++i) {
            std::string name = c.files[i];
            if (!kv4::EntryExists(here.path() / name)) {
                std::erase(name, ' ');
                for (char& ch : name)
                    ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            }
            EXPECT_EQ(ReadAll(here.path() / name), contents[i]) << c.files[i];
        }
    }
    // RepairFileName on its own, in the current directory's place.
    kv4farm::WriteBytes(dir.path() / "SCHLEPP .DAT", Records(1, 3));
    EXPECT_EQ(kv4::RepairFileName("SCHLEPP.DAT", "SCHLEPP .DAT", folder()), std::nullopt);
    EXPECT_EQ(ReadAll(dir.path() / "SCHLEPP.DAT"), Records(1, 3));
}

TEST_F(MasterDataTest, LoadsTheSixFilesAsWholeRecords) {
    const std::vector<std::pair<std::string, Bytes>> files = {
        {"MASCHINE.DAT", Records(3, 1, 100)},
        {"duenger.dat", Records(1, 2)},  // a folder copied from Windows
        {"PFLSCHTZ.DAT", Records(0, 3, 511)},
        {"FRUCHT.DAT", Records(2, 5)},
        {"Verpaech.DAT", Records(4, 6)},
        {"DUENGEMP.DAT", Records(4, 7)},
    };
    for (const auto& [name, bytes] : files) kv4farm::WriteBytes(dir.path() / name, bytes);
    fs::create_directory(dir.path() / "SONSTIG.DAT");  // a folder is no file

    Load(folder());
    const struct {
        const char* base;
        std::size_t records;
        std::uint8_t seed;
    } expected[] = {{"MASCHINE", 3, 1}, {"DUENGER", 1, 2}, {"PFLSCHTZ", 0, 3},
                    {"SCHLEPP", 0, 0},  {"FRUCHT", 2, 5},  {"SONSTIG", 0, 0}};
    for (const auto& e : expected) {
        const kv4::MasterList& list = List(e.base);
        ASSERT_EQ(list.size(), e.records) << e.base;
        const Bytes whole = Records(e.records, e.seed);
        for (std::size_t r = 0; r < list.size(); ++r) {
            EXPECT_TRUE(std::equal(list[r].begin(), list[r].end(),
                                   whole.begin() + std::ptrdiff_t(r * kv4::kMasterRecordSize)))
                << e.base << " record " << r;
        }
    }
    EXPECT_TRUE(messages.empty());
}

#ifdef __linux__
// Reading /proc/self/mem from its start fails, which no ordinary file does.
TEST_F(MasterDataTest, AReadErrorIsReportedAndTheUnloadedFilesAreNeverOpened) {
    if (!fs::exists("/proc/self/mem")) GTEST_SKIP() << "no /proc";
    for (const char* name : {"DUENGER.DAT", "Verpaech.DAT", "DUENGEMP.DAT"})
        fs::create_symlink("/proc/self/mem", dir.path() / name);
    kv4farm::WriteBytes(dir.path() / "FRUCHT.DAT", Records(2, 9));
    Load(folder());
    EXPECT_EQ(messages, std::vector<std::string>{"Fehler beim Lesen der Datei DUENGER.DAT"});
    EXPECT_EQ(List("DUENGER").size(), 0u);
    EXPECT_EQ(List("FRUCHT").size(), 2u);  // loading goes on after the error
}
#endif

#ifndef _WIN32
bool RenameRefused(const fs::path& dir) {
    std::error_code ec;
    fs::rename(dir / "probe", dir / "probe2", ec);
    if (ec) return true;
    fs::rename(dir / "probe2", dir / "probe", ec);
    return false;
}

// Makes the folder refuse renames: read-only, and where that does not stop
// this process (root), immutable. False when neither works here.
bool ProtectFolder(const fs::path& dir) {
    if (chmod(dir.c_str(), 0555) == 0 && RenameRefused(dir)) return true;
    const std::string chattr = "chattr +i '" + dir.string() + "' 2>/dev/null";
    return std::system(chattr.c_str()) == 0 && RenameRefused(dir);
}

void UnprotectFolder(const fs::path& dir) {
    const std::string chattr = "chattr -i '" + dir.string() + "' 2>/dev/null";
    [[maybe_unused]] const int ignored = std::system(chattr.c_str());
    chmod(dir.c_str(), 0755);
}

TEST_F(MasterDataTest, AFailedRenameIsReportedAndLoadingGoesOn) {
    kv4farm::WriteBytes(dir.path() / "probe", {});
    kv4farm::WriteBytes(dir.path() / "FRUCHT  .DAT", Records(1, 1));
    kv4farm::WriteBytes(dir.path() / "SONSTIG .DAT", Records(1, 2));
    kv4farm::WriteBytes(dir.path() / "MASCHINE.DAT", Records(2, 3));
    if (!ProtectFolder(dir.path())) {
        UnprotectFolder(dir.path());
        GTEST_SKIP() << "no way to make this folder refuse renames";
    }
    Load(folder());
    UnprotectFolder(dir.path());

    ASSERT_EQ(messages.size(), 1u);
    const std::string& text = messages[0];
    const std::string frucht =
        "Die Datei \u201EFRUCHT  .DAT\u201C konnte nicht in \u201EFRUCHT.DAT\u201C umbenannt "
        "werden: ";
    const std::string sonstig =
        "Die Datei \u201ESONSTIG .DAT\u201C konnte nicht in \u201ESONSTIG.DAT\u201C umbenannt "
        "werden: ";
    EXPECT_EQ(text.rfind(frucht, 0), 0u) << text;
    const std::size_t line = text.find('\n');
    ASSERT_NE(line, std::string::npos) << text;
    EXPECT_GT(line, frucht.size()) << "the reason is missing: " << text;
    EXPECT_EQ(text.compare(line + 1, sonstig.size(), sonstig), 0) << text;
    EXPECT_GT(text.size(), line + 1 + sonstig.size()) << "the reason is missing: " << text;

    EXPECT_TRUE(kv4::EntryExists(dir.path() / "FRUCHT  .DAT"));
    EXPECT_EQ(List("MASCHINE").size(), 2u);
}
#endif

}  // namespace
