// The start-up without windows over damaged and hostile data folders: each
// case must end with the worksheets the records allow, or with one of the
// program's German messages, and never with a crash or a read outside a
// record (this also runs under AddressSanitizer and UBSan).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "data/ByteReader.h"
#include "data/FieldRegister.h"
#include "data/FileAccess.h"
#include "farmwriter/RecordWriter.h"
#include "support/HostileFolders.h"
#include "support/TempDir.h"
#include "worksheets/Fill.h"
#include "worksheets/NumberFormat.h"

namespace {

namespace fs = std::filesystem;
using kv4::ncol::Ertragserwartung;
using kv4::ncol::Humus;
using kv4::ncol::NBedarf;
using kv4::ncol::NMin;
using kv4::ncol::OrgVorjahr;
using kv4test::RunStartUp;
using kv4test::StartUpResult;

const std::string kNotAnInteger = "' ist kein gültiger Integerwert";

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

kv4test::HostileFolder Case(const std::string& name) {
    for (auto& c : kv4test::HostileFolders())
        if (c.name == name) return c;
    ADD_FAILURE() << "no case " << name;
    return {};
}

// Puts the permissions back so the temporary folder can be removed.
struct PermissionRestorer {
    fs::path folder;
    ~PermissionRestorer() {
        std::error_code ec;
        fs::permissions(folder, fs::perms::owner_all, ec);
        for (const auto& e : fs::directory_iterator(folder, ec))
            if (!e.is_symlink(ec)) fs::permissions(e.path(), fs::perms::owner_all, ec);
    }
};

class HostileFolderTest : public ::testing::Test {
  protected:
    fs::path Build(const std::string& name) {
        const fs::path folder = dir_.path() / "Daten";
        fs::create_directories(folder);
        restorer_.folder = folder;
        Case(name).build(folder);
        return folder;
    }
    kv4test::TempDir dir_;
    PermissionRestorer restorer_;
};

// The small farm's worksheets, as the rules give them: N-min of the latest
// sample, the humus deduction, a tenth of 2017's organic N, the mean yields
// of 2017 (78), 2016 (79) and 2015 (80), the classes of the soil contents.
void ExpectSmallFarm(const StartUpResult& r) {
    ASSERT_TRUE(r.hasFields2018);
    EXPECT_TRUE(r.messages.empty());
    ASSERT_EQ(r.n.RowCount(), 5);
    ASSERT_EQ(r.p.RowCount(), 5);
    EXPECT_EQ(r.n.Cells(kv4::ncol::Schlag, 1), "Am Bach");
    EXPECT_EQ(r.n.Cells(kv4::ncol::Ha, 1), "10,00");
    EXPECT_EQ(r.n.Cells(NMin, 1), "-30");
    EXPECT_EQ(r.n.Cells(Humus, 1), "-20");
    EXPECT_EQ(r.n.Cells(OrgVorjahr, 1), "   -6");
    EXPECT_EQ(r.n.Cells(OrgVorjahr, 2), "    0");
    EXPECT_EQ(r.n.Cells(Ertragserwartung, 1), "   79");
    EXPECT_EQ(r.n.Cells(Ertragserwartung, 2), "    0");
    EXPECT_EQ(r.n.Cells(Ertragserwartung, 3), "   40");
    EXPECT_EQ(r.n.Cells(NBedarf, 1), "  -56");
    EXPECT_EQ(r.p.Cells(kv4::pcol::Gehalt, 1), "12");
    EXPECT_EQ(r.p.Cells(kv4::pcol::Klasse, 1), "C");
    EXPECT_EQ(r.p.Cells(kv4::pcol::Klasse, 2), "C");
    EXPECT_EQ(r.p.Cells(kv4::pcol::Klasse, 3), "B");
    EXPECT_EQ(r.p.Cells(kv4::pcol::Entzug, 1), "0");
    EXPECT_FALSE(r.recalcError.has_value());
    EXPECT_EQ(r.classRecords, 2u);
}

TEST_F(HostileFolderTest, SmallFarmInAFolderWithUmlautsAndBlanks) {
    const fs::path folder =
        dir_.path() / kv4::PathFromUtf8("Bauer Müller") / kv4::PathFromUtf8("Dätën 2018 ß");
    kv4test::WriteSmallFarm(folder);
    fs::rename(folder / "FRUCHT.DAT", folder / "FRUCHT  .DAT");
    const StartUpResult r = RunStartUp(folder);
    ExpectSmallFarm(r);
    EXPECT_TRUE(fs::exists(folder / "FRUCHT.DAT"));
    EXPECT_FALSE(fs::exists(folder / "FRUCHT  .DAT"));
    const std::size_t expected[6] = {2, 3, 1, 1, 2, 1};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(r.masterRecords[i], expected[i]) << i;
}

TEST_F(HostileFolderTest, TruncatedRecordsAreLeftOut) {
    const StartUpResult r = RunStartUp(Build("TruncatedRecords"));
    ASSERT_TRUE(r.hasFields2018);
    EXPECT_TRUE(r.messages.empty());
    // Two whole field records of three; the half record adds no row.
    EXPECT_EQ(r.n.RowCount(), 4);
    EXPECT_EQ(r.n.Cells(NMin, 1), "-30");
    EXPECT_EQ(r.n.Cells(Ertragserwartung, 1), "   79");
    // Only the first class record is whole: sL of field 2 is in no group.
    EXPECT_EQ(r.classRecords, 1u);
    EXPECT_EQ(r.p.Cells(kv4::pcol::Klasse, 1), "C");
    EXPECT_EQ(r.p.Cells(kv4::pcol::Klasse, 2), " ");
    const std::size_t expected[6] = {1, 2, 0, 0, 1, 0};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(r.masterRecords[i], expected[i]) << i;
}

TEST_F(HostileFolderTest, ZeroLengthFilesGiveNoFieldsAndNoMessage) {
    const StartUpResult r = RunStartUp(Build("ZeroLengthFiles"));
    EXPECT_FALSE(r.hasFields2018);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_EQ(r.classRecords, 0u);
    for (std::size_t count : r.masterRecords) EXPECT_EQ(count, 0u);
}

TEST_F(HostileFolderTest, ZeroLengthWorkFilesLeaveTheWorkColumnsEmpty) {
    const StartUpResult r = RunStartUp(Build("ZeroLengthWorkFiles"));
    ASSERT_EQ(r.n.RowCount(), 5);
    for (int row = 1; row <= 3; ++row) {
        EXPECT_EQ(r.n.Cells(NMin, row), "");
        EXPECT_EQ(r.n.Cells(OrgVorjahr, row), "    0");
        EXPECT_EQ(r.n.Cells(Ertragserwartung, row), "    0");
    }
    EXPECT_EQ(r.n.Cells(NBedarf, 1), "  -20");
}

TEST_F(HostileFolderTest, RandomBytesFillWhatTheRecordsSay) {
    const fs::path folder = Build("RandomBytes");
    const StartUpResult r = RunStartUp(folder);
    EXPECT_TRUE(r.messages.empty());
    kv4::FieldRegister year;
    EXPECT_TRUE(year.LoadYear(2018, kv4::WithTrailingSeparator(kv4::PathToUtf8(folder))).empty());
    const auto listed =
        std::count_if(year.Fields().begin(), year.Fields().end(),
                      [](const kv4::FieldRecord& f) { return !(f.StatusBits() & 1); });
    ASSERT_EQ(r.hasFields2018, year.FieldCount() > 0);
    if (listed > 0) {
        EXPECT_EQ(r.n.RowCount(), listed + 2);
        EXPECT_EQ(r.p.RowCount(), listed + 2);
    }
    for (int row = 1; row < r.n.RowCount(); ++row)
        EXPECT_EQ(r.n.Cells(Ertragserwartung, row), r.p.Cells(kv4::pcol::Ertragserwartung, row));
    if (r.recalcError) {
        EXPECT_TRUE(EndsWith(*r.recalcError, kNotAnInteger)) << *r.recalcError;
    }
}

TEST_F(HostileFolderTest, LengthBytesOf255AreCutToTheirField) {
    const fs::path folder = Build("LengthBytes255");
    const StartUpResult r = RunStartUp(folder);
    ASSERT_EQ(r.n.RowCount(), 5);
    EXPECT_TRUE(r.messages.empty());
    const std::vector<std::uint8_t> file = kv4::ReadFileBytes(folder / "SCHL2018.DAT").bytes;
    const std::span<const std::uint8_t> first(file.data(), kv4::kFieldRecordSize);
    // The name takes its 15 bytes, the crop the 252 up to the record's end.
    EXPECT_EQ(r.n.Cells(kv4::ncol::Schlag, 1), kv4::Cp1252ToUtf8(first.subspan(6, 15)));
    EXPECT_EQ(r.n.Cells(kv4::ncol::Frucht, 1), kv4::Cp1252ToUtf8(first.subspan(247, 252)));
    EXPECT_EQ(r.p.Cells(kv4::pcol::Bodenart, 1), kv4::Cp1252ToUtf8(first.subspan(55, 11)));
    // No 15-character crop name of a harvest equals a 252-character crop.
    EXPECT_EQ(r.n.Cells(Ertragserwartung, 1), "    0");
    // An 11-character soil type stands in no group of 5-character names.
    EXPECT_EQ(r.p.Cells(kv4::pcol::Klasse, 1), " ");
}

TEST_F(HostileFolderTest, Real48ExponentZeroIsZero) {
    const StartUpResult r = RunStartUp(Build("Real48Exponent0"));
    ASSERT_EQ(r.n.RowCount(), 5);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_EQ(r.n.Cells(kv4::ncol::Ha, 1), " 0,00");
    EXPECT_EQ(r.n.Cells(NMin, 1), " 0");
    EXPECT_EQ(r.n.Cells(OrgVorjahr, 1), "    0");
    EXPECT_EQ(r.n.Cells(Ertragserwartung, 1), "    0");
    EXPECT_EQ(r.p.Cells(kv4::pcol::Gehalt, 1), "0");
    // Content 0 on a limit of 0 belongs to class A.
    EXPECT_EQ(r.p.Cells(kv4::pcol::Klasse, 1), "A");
    EXPECT_FALSE(r.recalcError.has_value());
}

TEST_F(HostileFolderTest, Real48Exponent255EndsTheRecalculationWithTheIntegerMessage) {
    const StartUpResult r = RunStartUp(Build("Real48Exponent255"));
    ASSERT_EQ(r.n.RowCount(), 5);
    EXPECT_TRUE(r.messages.empty());
    // About 1.7E38 hectares, written out in full.
    const auto area = kv4::ParseDecimal(r.n.Cells(kv4::ncol::Ha, 1), ',');
    ASSERT_TRUE(area.has_value());
    EXPECT_GT(*area, 1e37);
    EXPECT_NE(std::string("ABCDE").find(r.p.Cells(kv4::pcol::Klasse, 1)), std::string::npos);
    // A yield expectation beyond the integer range is not an integer cell.
    ASSERT_TRUE(r.recalcError.has_value());
    EXPECT_EQ(*r.recalcError, "'" + r.n.Cells(Ertragserwartung, 1) + kNotAnInteger);
}

TEST_F(HostileFolderTest, UnknownUnitCodesAndGroupFactorZeroCountNothing) {
    for (const char* name : {"UnitCodes15To255", "GroupFactorZero"}) {
        SCOPED_TRACE(name);
        kv4test::TempDir dir;
        Case(name).build(dir.path());
        const StartUpResult r = RunStartUp(dir.path());
        ASSERT_EQ(r.n.RowCount(), 5);
        EXPECT_TRUE(r.messages.empty());
        // The harvests add their area but no yield; no NaN, no infinity.
        EXPECT_EQ(r.n.Cells(Ertragserwartung, 1), "    0");
        EXPECT_EQ(r.n.Cells(OrgVorjahr, 1), "    0");
        EXPECT_EQ(r.n.Cells(NBedarf, 1), "  -50");
        EXPECT_FALSE(r.recalcError.has_value());
    }
}

TEST_F(HostileFolderTest, FieldNumbersAbove32767FindNoWorks) {
    const StartUpResult r = RunStartUp(Build("FieldNumbersAbove32767"));
    ASSERT_EQ(r.n.RowCount(), 5);
    EXPECT_EQ(r.n.Cells(NMin, 1), "");
    EXPECT_EQ(r.n.Cells(NMin, 2), "");
    EXPECT_EQ(r.n.Cells(NMin, 3), "-30");
    EXPECT_EQ(r.n.Cells(OrgVorjahr, 1), "    0");
}

TEST_F(HostileFolderTest, HundredThousandWorksOfOneField) {
    const StartUpResult r = RunStartUp(Build("HundredThousandWorksOfOneField"));
    ASSERT_EQ(r.n.RowCount(), 5);
    EXPECT_TRUE(r.messages.empty());
    // The first record of the file carries the latest date.
    EXPECT_EQ(r.n.Cells(NMin, 1), "-30");
    // 2017: 100000 harvests of 80 dt/ha; 2016: 79; 2015: 80.
    EXPECT_EQ(r.n.Cells(Ertragserwartung, 1), "   80");
}

TEST_F(HostileFolderTest, DuplicateFieldKeysShareTheirWorks) {
    const StartUpResult r = RunStartUp(Build("DuplicateFieldKeys"));
    ASSERT_EQ(r.n.RowCount(), 5);
    for (int row = 1; row <= 3; ++row) {
        EXPECT_EQ(r.n.Cells(NMin, row), "-30") << row;
        EXPECT_EQ(r.n.Cells(OrgVorjahr, row), "   -6") << row;
    }
    EXPECT_EQ(r.n.Cells(Ertragserwartung, 1), "   79");
    EXPECT_EQ(r.n.Cells(Ertragserwartung, 3), "   40");
}

TEST_F(HostileFolderTest, FoldersInPlaceOfFilesCountAsMissing) {
    const StartUpResult r = RunStartUp(Build("FolderInPlaceOfDataFiles"));
    ASSERT_EQ(r.n.RowCount(), 5);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_EQ(r.n.Cells(OrgVorjahr, 1), "    0");
    // Only 2015's harvests are left.
    EXPECT_EQ(r.n.Cells(Ertragserwartung, 1), "   80");
    EXPECT_EQ(r.masterRecords[0], 0u);
    EXPECT_EQ(r.classRecords, 0u);
    EXPECT_EQ(r.p.Cells(kv4::pcol::Klasse, 1), " ");

    kv4test::TempDir other;
    Case("FolderInPlaceOfFieldFile2018").build(other.path());
    const StartUpResult none = RunStartUp(other.path());
    EXPECT_FALSE(none.hasFields2018);
    EXPECT_TRUE(none.messages.empty());
}

TEST_F(HostileFolderTest, DanglingSymlinksCountAsMissing) {
    const fs::path folder = Build("DanglingSymlinks");
    if (!fs::is_symlink(folder / "ARB2018.DAT"))
        GTEST_SKIP() << "symbolic links cannot be created here";
    const StartUpResult r = RunStartUp(folder);
    ASSERT_EQ(r.n.RowCount(), 5);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_EQ(r.n.Cells(NMin, 1), "");
    EXPECT_EQ(r.n.Cells(Ertragserwartung, 1), "   79");  // (78 + 80) / 2
    EXPECT_EQ(r.masterRecords[1], 0u);
    EXPECT_EQ(r.classRecords, 0u);
}

TEST_F(HostileFolderTest, FilesWithoutReadPermissionCountAsMissing) {
    const fs::path folder = Build("FileWithoutReadPermission");
    if (std::ifstream(folder / "ARB2018.DAT").is_open())
        GTEST_SKIP() << "the files stay readable (running as root, which ignores permissions)";
    const StartUpResult r = RunStartUp(folder);
    ASSERT_EQ(r.n.RowCount(), 5);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_EQ(r.n.Cells(NMin, 1), "");
    EXPECT_EQ(r.n.Cells(OrgVorjahr, 1), "    0");
    EXPECT_EQ(r.masterRecords[5], 0u);
}

TEST_F(HostileFolderTest, ReadOnlyFolderReportsTheFailedRenamesAndStillFills) {
    const fs::path folder = Build("ReadOnlyFolderWithPaddedNames");
    if (std::ofstream(folder / "probe").is_open()) {
        fs::remove(folder / "probe");
        GTEST_SKIP() << "the folder stays writable (running as root, which ignores permissions)";
    }
    const StartUpResult r = RunStartUp(folder);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_NE(r.messages[0].find("FRUCHT  .DAT"), std::string::npos) << r.messages[0];
    EXPECT_NE(r.messages[0].find("DUENGER .DAT"), std::string::npos) << r.messages[0];
    EXPECT_NE(r.messages[0].find("konnte nicht"), std::string::npos) << r.messages[0];
    EXPECT_TRUE(fs::exists(folder / "FRUCHT  .DAT"));
    EXPECT_EQ(r.masterRecords[4], 0u);
    ASSERT_EQ(r.n.RowCount(), 5);
    EXPECT_EQ(r.n.Cells(NMin, 1), "-30");
}

TEST_F(HostileFolderTest, PaddedNamesAreRepairedOnlyWhereTheCorrectNameIsFree) {
    const fs::path folder = Build("PaddedNames");
    const StartUpResult r = RunStartUp(folder);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_TRUE(fs::is_regular_file(folder / "FRUCHT.DAT"));
    EXPECT_FALSE(fs::exists(folder / "FRUCHT  .DAT"));
    EXPECT_TRUE(fs::exists(folder / "SCHLEPP .DAT"));
    EXPECT_TRUE(fs::exists(folder / "DUENGER .DAT"));
    EXPECT_TRUE(fs::is_directory(folder / "DUENGER.DAT"));
    const std::size_t expected[6] = {2, 0, 1, 1, 2, 1};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(r.masterRecords[i], expected[i]) << i;
}

// Every case of the table at least runs through without a crash; the
// sanitizer build turns any read outside a record into a failure.
TEST_F(HostileFolderTest, EveryCaseRunsThrough) {
    for (const auto& c : kv4test::HostileFolders()) {
        SCOPED_TRACE(c.name);
        kv4test::TempDir dir;
        PermissionRestorer restorer{dir.path()};
        c.build(dir.path());
        const StartUpResult r = RunStartUp(dir.path());
        if (r.hasFields2018) {
            // Without a listed field the P2O5 worksheet keeps its 5 rows.
            EXPECT_GE(r.n.RowCount(), 2);
            if (r.n.RowCount() > 2) {
                EXPECT_EQ(r.n.RowCount(), r.p.RowCount());
            } else {
                EXPECT_EQ(r.p.RowCount(), 5);
            }
        }
        for (const std::string& m : r.messages) {
            EXPECT_TRUE(m.rfind("Fehler beim Lesen der Datei ", 0) == 0 ||
                        m.rfind("Die Datei \u201E", 0) == 0)
                << m;
        }
        if (r.recalcError) {
            EXPECT_TRUE(EndsWith(*r.recalcError, kNotAnInteger)) << *r.recalcError;
        }
    }
}

// A huge run of one field's works is sorted in through blocks; it must give
// the register's order exactly, whatever the marks and dates.
TEST(LargeWorkRun, CollectsInTheRegistersOrder) {
    std::mt19937 random(4711);
    for (int pattern = 0; pattern < 4; ++pattern) {
        SCOPED_TRACE(pattern);
        std::vector<kv4farm::WorkSpec> works;
        const int count = 1500 + pattern * 300;
        for (int i = 0; i < count; ++i) {
            kv4farm::WorkSpec w;
            w.fieldNo = 7;
            const int day = pattern == 0   ? static_cast<int>(random() % 5)        // many equal
                            : pattern == 1 ? count - i                             // falling
                            : pattern == 2 ? i                                     // rising
                                           : static_cast<int>(random() % 100000);  // any
            w.date = {static_cast<std::uint8_t>(day), static_cast<std::uint8_t>(day >> 8),
                      static_cast<std::uint8_t>(day >> 16), 0};
            const unsigned mark = random() % 10;
            w.optionalMark = mark == 0 ? 1 : mark == 1 ? 2 : 0;
            w.followerMark = random() % 6 == 0 ? 1 : 0;
            w.nutrient1 = i;
            works.push_back(w);
        }
        kv4::FieldRegister year;
        year.LoadFromBytes(kv4farm::EncodeFields({{7, 0, "F", 1, "", 0, 0, 0, "C"}}),
                           kv4farm::EncodeWorks(works));
        ASSERT_GT(year.WorkCount(), static_cast<int>(kv4::kLargeRun));
        kv4::FieldRecord field;
        std::vector<kv4::WorkRecord> copies;
        year.GetFieldWorks(0, field, copies, false);
        std::vector<kv4::CollectedWork> refs;
        kv4::CollectWorks(year, year.Fields()[0], refs);
        ASSERT_EQ(refs.size(), copies.size());
        for (std::size_t k = 0; k < refs.size(); ++k) ASSERT_EQ(*refs[k].work, copies[k]) << k;
    }
}

}  // namespace
