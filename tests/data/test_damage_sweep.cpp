// Every cut of the first two records and every damaged byte of the second
// record, in the small farm's 2018 field file and its 2018 and 2017 work
// files. Each case runs the start-up as the program does it (years streamed
// one at a time) and with the register's literal procedures: both must take
// the same from the years and fill the same worksheets, nothing may crash or
// read outside a record (this also runs under AddressSanitizer and UBSan),
// and every file of the farm keeps its bytes.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "data/FileAccess.h"
#include "data/Records.h"
#include "farmwriter/RecordWriter.h"
#include "support/FarmData.h"
#include "support/HostileFolders.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Files = std::map<std::string, Bytes>;

enum class Change { CutTo, Set, FlipTopBit };

struct Damage {
    std::string file;
    Change change;
    std::size_t at;  // the length cut to, or the byte changed
    std::uint8_t value = 0;

    std::string Describe() const {
        const std::string where =
            file + (change == Change::CutTo ? " cut to " : " byte ") + std::to_string(at);
        if (change == Change::Set) return where + " set to " + std::to_string(value);
        return change == Change::FlipTopBit ? where + " top bit flipped" : where;
    }
    void ApplyTo(Bytes& bytes) const {
        if (change == Change::CutTo) bytes.resize(at);
        if (change == Change::Set) bytes.at(at) = value;
        if (change == Change::FlipTopBit) bytes.at(at) ^= 0x80;
    }
};

// The second record has one before it, whose key it may join or break and
// whose date a follower takes. Besides 00, FF and the flipped top bit, each
// byte is set to 01: the marks that decide which works count and in what
// order are compared with 1.
std::vector<Damage> Damages() {
    std::vector<Damage> cases;
    const std::pair<const char*, std::size_t> files[] = {{"SCHL2018.DAT", kv4::kFieldRecordSize},
                                                         {"ARB2018.DAT", kv4::kWorkRecordSize},
                                                         {"ARB2017.DAT", kv4::kWorkRecordSize}};
    for (const auto& [file, size] : files) {
        for (std::size_t length = 0; length <= 2 * size; ++length)
            cases.push_back({file, Change::CutTo, length});
        for (std::size_t at = size; at < 2 * size; ++at) {
            for (const std::uint8_t value : {0x00, 0x01, 0xFF})
                cases.push_back({file, Change::Set, at, value});
            cases.push_back({file, Change::FlipTopBit, at});
        }
    }
    return cases;
}

Files ReadFolder(const fs::path& folder) {
    Files files;
    for (const auto& entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] = kv4::ReadFileBytes(entry.path()).bytes;
    return files;
}

// The first cell where the worksheets differ; empty when none does.
std::string CellDifference(const kv4::Worksheet& a, const kv4::Worksheet& b) {
    if (a.RowCount() != b.RowCount() || a.ColCount() != b.ColCount()) return "size";
    for (int row = 0; row < a.RowCount(); ++row)
        for (int col = 0; col < a.ColCount(); ++col)
            if (a.Cells(col, row) != b.Cells(col, row))
                return "cell " + std::to_string(col) + "," + std::to_string(row) + ": '" +
                       a.Cells(col, row) + "' / '" + b.Cells(col, row) + "'";
    return {};
}

std::string Difference(const kv4test::StartUpResult& streamed,
                       const kv4test::StartUpResult& literal) {
    if (streamed.messages != literal.messages) return "messages";
    if (streamed.hasFields2018 != literal.hasFields2018) return "fields of 2018";
    if (std::string d = kv4test::DigestDifference(streamed.digest, literal.digest); !d.empty())
        return d;
    if (std::string d = CellDifference(streamed.n, literal.n); !d.empty()) return "N " + d;
    if (std::string d = CellDifference(streamed.p, literal.p); !d.empty()) return "P2O5 " + d;
    if (streamed.recalcError != literal.recalcError) return "recalculation";
    return {};
}

// The sweep rewrites a file of the farm some 18,000 times: in memory where
// the system has a file system there, since ext4 starts writing back every
// file that is cut and rewritten in place, which takes longer than the sweep.
fs::path SweepBase() {
    std::error_code ec;
    return fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
}

TEST(DamageSweep, EveryTruncationAndByteOfARecord) {
    kv4test::TempDir dir(SweepBase());
    kv4test::WriteSmallFarm(dir.path());
    const Files sound = ReadFolder(dir.path());
    // The sound farm fills three rows, so that agreement means something.
    ASSERT_EQ(kv4test::RunStartUp(dir.path()).n.RowCount(), 5);
    const std::vector<Damage> damages = Damages();
    const auto start = std::chrono::steady_clock::now();
    int failures = 0;
    for (const Damage& damage : damages) {
        Files given = sound;
        damage.ApplyTo(given.at(damage.file));
        kv4farm::WriteBytes(dir.path() / damage.file, given.at(damage.file));
        const auto streamed = kv4test::RunStartUp(dir.path(), kv4test::YearReading::Streamed);
        const auto literal = kv4test::RunStartUp(dir.path(), kv4test::YearReading::Literal);
        std::string problem = Difference(streamed, literal);
        if (problem.empty() && ReadFolder(dir.path()) != given) problem = "a file changed";
        kv4farm::WriteBytes(dir.path() / damage.file, sound.at(damage.file));
        if (!problem.empty() && ++failures <= 10)
            ADD_FAILURE() << damage.Describe() << ": " << problem;
    }
    EXPECT_EQ(failures, 0) << "of " << damages.size() << " cases";
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%zu cases in %.1f s\n", damages.size(), seconds);
}

}  // namespace
