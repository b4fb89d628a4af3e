// The field register: loading a year from the data folder, finding fields and
// collecting a field's works in date order.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "data/FieldRegister.h"
#include "data/FileAccess.h"
#include "farmwriter/RecordWriter.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using kv4::FieldKey;
using kv4::FieldRecord;
using kv4::FieldRegister;
using kv4::WorkDate;
using kv4::WorkRecord;
using kv4farm::FieldSpec;
using kv4farm::WorkSpec;

FieldSpec Field(std::int16_t no, std::uint8_t sub, const std::string& name = "Acker") {
    FieldSpec f;
    f.fieldNo = no;
    f.subNo = sub;
    f.name = name;
    f.area = 5;
    f.crop = "Winterweizen";
    return f;
}

// The amount serves as the work's identity in the checks below.
WorkSpec Work(std::uint16_t no, std::uint8_t sub, double id, WorkDate date = {1, 1, 18, 0}) {
    WorkSpec w;
    w.fieldNo = no;
    w.subNo = sub;
    w.workType = 1;
    w.amount = id;
    w.date = date;
    return w;
}

std::vector<double> Ids(const std::vector<WorkRecord>& works) {
    std::vector<double> ids;
    for (const WorkRecord& w : works) ids.push_back(w.Amount());
    return ids;
}

// Small enough that the files of these tests are read in several chunks.
constexpr std::size_t kSmallChunk = 1000;

// Collects the read errors the loads return.
class RegisterTest : public ::testing::Test {
  protected:
    std::string Folder() const { return kv4::WithTrailingSeparator(kv4::PathToUtf8(dir.path())); }
    void Load(FieldRegister& reg, std::uint16_t year, const std::string& folder) {
        const kv4::ReadErrors errors = reg.LoadYear(year, folder, kSmallChunk);
        messages.insert(messages.end(), errors.begin(), errors.end());
    }

    kv4test::TempDir dir;
    std::vector<std::string> messages;
};

// ---- Loading from the data folder -----------------------------------------

TEST_F(RegisterTest, LoadsTheYearFromTheDataFolder) {
    kv4farm::WriteYear(dir.path(), 2018, {Field(1, 0, "Am Wald"), Field(2, 1, "Hinterm Hof")},
                       {Work(1, 0, 10), Work(2, 1, 20), Work(2, 1, 21)});
    kv4farm::WriteYear(dir.path(), 2017, {Field(1, 0)}, {});

    FieldRegister reg;
    Load(reg, 2018, Folder());
    ASSERT_EQ(reg.FieldCount(), 2);
    EXPECT_EQ(reg.Fields()[1].Name(), "Hinterm Hof");
    EXPECT_EQ(reg.WorkCount(), 3);
    EXPECT_TRUE(messages.empty());

    // Loading again replaces the content.
    Load(reg, 2017, Folder());
    EXPECT_EQ(reg.FieldCount(), 1);
    EXPECT_EQ(reg.WorkCount(), 0);
    Load(reg, 2016, Folder());
    EXPECT_EQ(reg.FieldCount(), 0);
    EXPECT_EQ(reg.WorkCount(), 0);
}

TEST_F(RegisterTest, MissingOrUnusableFilesGiveAnEmptyRegisterWithoutMessage) {
    const std::vector<std::uint8_t> fields = kv4farm::EncodeFields({Field(1, 0), Field(2, 0)});
    const std::vector<std::uint8_t> works = kv4farm::EncodeWorks({Work(1, 0, 1)});
    struct Case {
        const char* what;
        void (*prepare)(const fs::path&, const std::vector<std::uint8_t>&,
                        const std::vector<std::uint8_t>&);
        int fields, works;
    };
    const Case cases[] = {
        {"work file only",
         [](const fs::path& d, const auto&, const auto& w) {
             kv4farm::WriteBytes(d / "ARB2018.DAT", w);
         },
         0, 0},
        {"folder named like the field file",
         [](const fs::path& d, const auto&, const auto& w) {
             fs::create_directory(d / "SCHL2018.DAT");
             kv4farm::WriteBytes(d / "ARB2018.DAT", w);
         },
         0, 0},
        {"field file only",
         [](const fs::path& d, const auto& f, const auto&) {
             kv4farm::WriteBytes(d / "SCHL2018.DAT", f);
         },
         2, 0},
        {"folder named like the work file",
         [](const fs::path& d, const auto& f, const auto&) {
             kv4farm::WriteBytes(d / "SCHL2018.DAT", f);
             fs::create_directory(d / "ARB2018.DAT");
         },
         2, 0},
        {"names in lower case",
         [](const fs::path& d, const auto& f, const auto& w) {
             kv4farm::WriteBytes(d / "schl2018.dat", f);
             kv4farm::WriteBytes(d / "Arb2018.Dat", w);
         },
         2, 1},
        {"other year only",
         [](const fs::path& d, const auto& f, const auto& w) {
             kv4farm::WriteBytes(d / "SCHL2017.DAT", f);
             kv4farm::WriteBytes(d / "ARB2017.DAT", w);
         },
         0, 0},
    };
    for (const Case& c : cases) {
        kv4test::TempDir folder;
        c.prepare(folder.path(), fields, works);
        FieldRegister reg;
        Load(reg, 2018, kv4::WithTrailingSeparator(kv4::PathToUtf8(folder.path())));
        EXPECT_EQ(reg.FieldCount(), c.fields) << c.what;
        EXPECT_EQ(reg.WorkCount(), c.works) << c.what;
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(RegisterTest, UnreadableFieldFileLeavesEverythingEmpty) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no permission bits that make a file unreadable";
#else
    if (geteuid() == 0) GTEST_SKIP() << "root reads files without read permission";
#endif
    kv4farm::WriteYear(dir.path(), 2018, {Field(1, 0)}, {Work(1, 0, 1)});
    fs::permissions(dir.path() / "SCHL2018.DAT", fs::perms::none);
    FieldRegister reg;
    Load(reg, 2018, Folder());
    EXPECT_EQ(reg.FieldCount(), 0);
    EXPECT_EQ(reg.WorkCount(), 0);
    EXPECT_TRUE(messages.empty());
}

TEST_F(RegisterTest, ReadOnlyFilesAreRead) {
    kv4farm::WriteYear(dir.path(), 2018, {Field(1, 0)}, {Work(1, 0, 1)});
    fs::permissions(dir.path() / "SCHL2018.DAT", fs::perms::owner_read);
    fs::permissions(dir.path() / "ARB2018.DAT", fs::perms::owner_read);
    FieldRegister reg;
    Load(reg, 2018, Folder());
    EXPECT_EQ(reg.FieldCount(), 1);
    EXPECT_EQ(reg.WorkCount(), 1);
}

#ifdef __linux__
// Reading /proc/self/mem from its start fails with an I/O error: a file that
// opens and then cannot be read.
TEST_F(RegisterTest, ReadErrorsAreReportedWithTheBareFileName) {
    const std::vector<std::uint8_t> fields = kv4farm::EncodeFields({Field(1, 0)});
    const std::vector<std::uint8_t> works = kv4farm::EncodeWorks({Work(1, 0, 1)});
    {
        kv4test::TempDir folder;
        fs::create_symlink("/proc/self/mem", folder.path() / "ARB2017.DAT");
        kv4farm::WriteBytes(folder.path() / "SCHL2017.DAT", fields);
        FieldRegister reg;
        Load(reg, 2017, kv4::WithTrailingSeparator(kv4::PathToUtf8(folder.path())));
        EXPECT_EQ(reg.FieldCount(), 1);
        EXPECT_EQ(reg.WorkCount(), 0);
        EXPECT_EQ(messages, std::vector<std::string>{"Fehler beim Lesen der Datei ARB2017.DAT"});
    }
    messages.clear();
    {
        // After an error in the field file the work file is still loaded.
        kv4test::TempDir folder;
        fs::create_symlink("/proc/self/mem", folder.path() / "SCHL2018.DAT");
        kv4farm::WriteBytes(folder.path() / "ARB2018.DAT", works);
        FieldRegister reg;
        Load(reg, 2018, kv4::WithTrailingSeparator(kv4::PathToUtf8(folder.path())));
        EXPECT_EQ(reg.FieldCount(), 0);
        EXPECT_EQ(reg.WorkCount(), 1);
        EXPECT_EQ(messages, std::vector<std::string>{"Fehler beim Lesen der Datei SCHL2018.DAT"});
    }
}
#endif

TEST_F(RegisterTest, TruncatedFilesKeepTheirWholeRecords) {
    std::vector<std::uint8_t> fields = kv4farm::EncodeFields({Field(1, 0), Field(2, 0)});
    std::vector<std::uint8_t> works =
        kv4farm::EncodeWorks({Work(1, 0, 1), Work(1, 0, 2), Work(2, 0, 3)});
    fields.resize(fields.size() - 1);
    works.resize(works.size() - 300);
    kv4farm::WriteBytes(dir.path() / "SCHL2018.DAT", fields);
    kv4farm::WriteBytes(dir.path() / "ARB2018.DAT", works);
    FieldRegister reg;
    Load(reg, 2018, Folder());
    EXPECT_EQ(reg.FieldCount(), 1);
    EXPECT_EQ(reg.WorkCount(), 2);
    EXPECT_TRUE(messages.empty());
}

// ---- File lookup and reading ------------------------------------------------

TEST_F(RegisterTest, FileLookupAndReading) {
#ifdef _WIN32
    GTEST_SKIP() << "names that differ only in letter case are one file on Windows";
#endif
    kv4farm::WriteBytes(dir.path() / "schl2018.DAT", {1, 2, 3});
    kv4farm::WriteBytes(dir.path() / "Schl2018.dat", {4, 5});
    fs::create_directory(dir.path() / "SCHL2018.DAT");
    // Of two spellings the one that sorts first, whatever the listing order.
    const auto found = kv4::FindDataFile(Folder(), "SCHL2018.DAT");
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->filename(), "Schl2018.dat");
    EXPECT_FALSE(kv4::FindDataFile(Folder(), "SCHL2018.DA").has_value());
    EXPECT_FALSE(kv4::FindDataFile(Folder() + "fehlt/", "SCHL2018.DAT").has_value());

    EXPECT_TRUE(kv4::EntryExists(dir.path() / "SCHL2018.DAT"));
    EXPECT_FALSE(kv4::EntryExists(dir.path() / "SCHL2017.DAT"));

    const kv4::FileContent folder = kv4::ReadFileBytes(dir.path() / "SCHL2018.DAT");
    EXPECT_EQ(folder.status, kv4::FileContent::Status::NotOpenable);
    const kv4::FileContent missing = kv4::ReadFileBytes(dir.path() / "SCHL2017.DAT");
    EXPECT_EQ(missing.status, kv4::FileContent::Status::NotOpenable);

    std::vector<std::uint8_t> big(200000);
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 31);
    kv4farm::WriteBytes(dir.path() / "big", big);
    const kv4::FileContent whole = kv4::ReadFileBytes(dir.path() / "big");
    EXPECT_EQ(whole.status, kv4::FileContent::Status::Ok);
    EXPECT_EQ(whole.bytes, big);
    const kv4::FileContent capped = kv4::ReadFileBytes(dir.path() / "big", 70000);
    EXPECT_EQ(capped.status, kv4::FileContent::Status::Ok);
    EXPECT_EQ(capped.bytes, std::vector<std::uint8_t>(big.begin(), big.begin() + 70000));

    // Folder names with umlauts.
    const fs::path umlauts = dir.path() / kv4::PathFromUtf8(
                                              "H\xC3\xB6"
                                              "fe");
    fs::create_directory(umlauts);
    kv4farm::WriteBytes(umlauts / "ARB2018.DAT", {9});
    const std::string umlautFolder = kv4::WithTrailingSeparator(kv4::PathToUtf8(umlauts));
    EXPECT_NE(umlautFolder.find("H\xC3\xB6"
                                "fe/"),
              std::string::npos);
    EXPECT_TRUE(kv4::FindDataFile(umlautFolder, "ARB2018.DAT").has_value());
}

// ---- Finding fields -------------------------------------------------------

TEST(Register, FindFieldReturnsTheFirstMatchOrMinusOne) {
    FieldRegister reg;
    reg.LoadFromBytes(kv4farm::EncodeFields(
                          {Field(3, 0), Field(3, 1), Field(-1, 0), Field(3, 1), Field(32767, 255)}),
                      {});
    struct Case {
        std::int16_t no;
        std::uint8_t sub;
        int expected;
    };
    const Case cases[] = {{3, 0, 0},       {3, 1, 1},  {-1, 0, 2},
                          {32767, 255, 4}, {3, 2, -1}, {4, 0, -1}};
    for (const Case& c : cases) {
        EXPECT_EQ(reg.FindField(c.no, c.sub), c.expected) << c.no << "/" << int(c.sub);
    }
}

// ---- Collecting works -------------------------------------------------------

TEST(Register, WorksComeInDateOrderAndEqualDatesKeepTheFileOrder) {
    FieldRegister reg;
    reg.LoadFromBytes(
        kv4farm::EncodeFields({Field(7, 0)}),
        kv4farm::EncodeWorks({Work(7, 0, 1, {10, 4, 17, 0}), Work(7, 0, 2, {2, 3, 17, 0}),
                              Work(7, 0, 3, {2, 3, 17, 5})}));
    FieldRecord field;
    std::vector<WorkRecord> list;
    reg.GetFieldWorks(0, field, list, false);
    EXPECT_EQ(field.FieldNo(), 7);
    EXPECT_EQ(Ids(list), (std::vector<double>{2, 3, 1}));
}

TEST(Register, FollowersTakeTheHeadsDateAndStayBehindIt) {
    WorkSpec first = Work(7, 0, 1, {20, 5, 17, 0});
    WorkSpec head = Work(7, 0, 2, {15, 5, 17, 0});
    WorkSpec follower1 = Work(7, 0, 3, {1, 1, 17, 0});
    WorkSpec follower2 = Work(7, 0, 4, {1, 1, 17, 0});
    follower1.followerMark = 1;
    follower2.followerMark = 1;
    // A follower of another value is an ordinary record.
    WorkSpec notFollower = Work(7, 0, 5, {1, 1, 17, 0});
    notFollower.followerMark = 2;
    FieldRegister reg;
    reg.LoadFromBytes(kv4farm::EncodeFields({Field(7, 0)}),
                      kv4farm::EncodeWorks({first, head, follower1, follower2, notFollower}));
    EXPECT_EQ(reg.Works()[2].Date(), (WorkDate{15, 5, 17, 0}));
    EXPECT_EQ(reg.Works()[3].Date(), (WorkDate{15, 5, 17, 0}));
    EXPECT_EQ(reg.Works()[4].Date(), (WorkDate{1, 1, 17, 0}));

    FieldRecord field;
    std::vector<WorkRecord> list;
    reg.GetFieldWorks(0, field, list, false);
    EXPECT_EQ(Ids(list), (std::vector<double>{5, 2, 3, 4, 1}));
}

TEST(Register, TheFirstWorkKeepsItsDateWhateverItsMark) {
    WorkSpec first = Work(1, 0, 1, {3, 3, 17, 0});
    first.followerMark = 1;
    WorkSpec second = Work(2, 0, 2, {9, 9, 17, 0});
    second.followerMark = 1;  // follows a work of another field, by file order
    FieldRegister reg;
    reg.LoadFromBytes({}, kv4farm::EncodeWorks({first, second}));
    EXPECT_EQ(reg.Works()[0].Date(), (WorkDate{3, 3, 17, 0}));
    EXPECT_EQ(reg.Works()[1].Date(), (WorkDate{3, 3, 17, 0}));
}

TEST(Register, OptionalMarks) {
    WorkSpec march = Work(7, 0, 1, {1, 3, 17, 0});
    WorkSpec planned = Work(7, 0, 2, {1, 2, 17, 0});
    planned.optionalMark = 1;
    WorkSpec december = Work(7, 0, 3, {1, 12, 17, 0});
    december.optionalMark = 2;  // behind the record collected before it
    WorkSpec early = Work(7, 0, 4, {5, 3, 17, 0});
    FieldRegister reg;
    reg.LoadFromBytes(kv4farm::EncodeFields({Field(7, 0)}),
                      kv4farm::EncodeWorks({march, planned, december, early}));
    FieldRecord field;
    std::vector<WorkRecord> list;
    // The December record is later than 5 March but optional, so it is not
    // the insertion place: 5 March goes to the end.
    reg.GetFieldWorks(0, field, list, false);
    EXPECT_EQ(Ids(list), (std::vector<double>{1, 3, 4}));
    // Asked for, the record of mark 1 stays behind the one before it too.
    reg.GetFieldWorks(0, field, list, true);
    EXPECT_EQ(Ids(list), (std::vector<double>{1, 2, 3, 4}));
}

TEST(Register, AnUnsortedWorkFileHidesTheWorksBehindALargerKey) {
    FieldRegister reg;
    reg.LoadFromBytes(kv4farm::EncodeFields({Field(3, 1), Field(5, 0)}),
                      kv4farm::EncodeWorks({Work(5, 0, 1), Work(5, 0, 2), Work(3, 1, 3)}));
    FieldRecord field;
    std::vector<WorkRecord> list;
    reg.GetFieldWorks(0, field, list, false);
    EXPECT_TRUE(list.empty());
    reg.GetFieldWorks(1, field, list, false);
    EXPECT_EQ(Ids(list), (std::vector<double>{1, 2}));
}

TEST(Register, FieldNumbersCompareAsNumbers) {
    // -1 in the field file is not 65535 in the work file.
    FieldRegister reg;
    reg.LoadFromBytes(kv4farm::EncodeFields({Field(-1, 0), Field(1, 0)}),
                      kv4farm::EncodeWorks({Work(1, 0, 1), Work(65535, 0, 2)}));
    FieldRecord field;
    std::vector<WorkRecord> list;
    reg.GetFieldWorks(0, field, list, false);
    EXPECT_TRUE(list.empty());
    reg.GetFieldWorks(1, field, list, false);
    EXPECT_EQ(Ids(list), std::vector<double>{1});
}

TEST(Register, APositionThatDoesNotExistGivesZerosAndAnEmptyList) {
    FieldRegister reg;
    reg.LoadFromBytes(kv4farm::EncodeFields({Field(1, 0), Field(2, 0)}),
                      kv4farm::EncodeWorks({Work(1, 0, 1), Work(2, 0, 2)}));
    for (const int index : {-1, 2, 1000, -2147483647 - 1}) {
        FieldRecord field;
        std::vector<WorkRecord> list;
        reg.GetFieldWorks(0, field, list, false);
        ASSERT_EQ(list.size(), 1u);
        reg.GetFieldWorks(index, field, list, false);
        EXPECT_TRUE(list.empty()) << index;
        EXPECT_EQ(field, FieldRecord()) << index;
    }
}

// ---- Whole records only ----------------------------------------------------

TEST(Records, FilesHoldOnlyWholeRecords) {
    kv4farm::FieldSpec a, b;
    a.fieldNo = 1;
    b.fieldNo = 2;
    const std::vector<std::uint8_t> two = kv4farm::EncodeFields({a, b});
    struct Case {
        std::size_t size;
        int fields;
    };
    const Case cases[] = {{0, 0}, {508, 0}, {509, 1}, {1017, 1}, {1018, 2}, {1020, 2}};
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes = two;
        bytes.resize(c.size, 0x55);
        kv4::FieldRegister reg;
        reg.LoadFromBytes(bytes, {});
        EXPECT_EQ(reg.FieldCount(), c.fields) << c.size;
    }

    kv4farm::WorkSpec w;
    w.fieldNo = 1;
    std::vector<std::uint8_t> works = kv4farm::EncodeWorks({w, w});
    works.resize(2 * 512 + 511, 0x55);
    kv4::FieldRegister reg;
    reg.LoadFromBytes(two, works);
    EXPECT_EQ(reg.WorkCount(), 2);
}

// ---- Reading in chunks ------------------------------------------------------

// Whatever the chunk size, the register is the one the whole files give:
// records cut by a chunk's end, followers whose head came in the chunk before,
// and partial records at the end of both files.
TEST_F(RegisterTest, ChunksGiveTheSameRegisterAsTheWholeFiles) {
    std::vector<WorkSpec> works;
    for (int i = 0; i < 7; ++i) {
        WorkSpec w = Work(1, 0, i, {static_cast<std::uint8_t>(1 + i), 2, 17, 0});
        w.followerMark = (i == 3 || i == 4) ? 1 : 0;  // head: record 2
        works.push_back(w);
    }
    std::vector<std::uint8_t> fieldBytes =
        kv4farm::EncodeFields({Field(1, 0, "A"), Field(2, 0, "B"), Field(3, 0, "C")});
    std::vector<std::uint8_t> workBytes = kv4farm::EncodeWorks(works);
    fieldBytes.resize(fieldBytes.size() - 100);
    workBytes.resize(workBytes.size() + 300, 0x55);
    kv4farm::WriteBytes(dir.path() / "SCHL2018.DAT", fieldBytes);
    kv4farm::WriteBytes(dir.path() / "ARB2018.DAT", workBytes);

    FieldRegister whole;
    whole.LoadFromBytes(fieldBytes, workBytes);
    ASSERT_EQ(whole.FieldCount(), 2);
    ASSERT_EQ(whole.WorkCount(), 7);
    for (const int i : {3, 4}) EXPECT_EQ(whole.Works()[i].Date(), (WorkDate{3, 2, 17, 0}));

    // 700: the second record straddles two chunks; 1536: followers 3 and 4
    // start a chunk whose head came in the one before.
    for (const std::size_t chunk :
         {std::size_t(1), std::size_t(509), std::size_t(512), std::size_t(700), std::size_t(1024),
          std::size_t(1536), kv4::kReadChunkBytes}) {
        FieldRegister reg;
        EXPECT_TRUE(reg.LoadYear(2018, Folder(), chunk).empty()) << chunk;
        EXPECT_EQ(reg.Fields(), whole.Fields()) << chunk;
        EXPECT_EQ(reg.Works(), whole.Works()) << chunk;
        EXPECT_EQ(reg.SkipPosition({1, 0}), 0u) << chunk;
    }
}

// Streaming a year hands out each field key's works as the register holds
// them: a follower whose head belongs to the key before, a key without a
// field in between, a duplicated field key handed out once, a field without
// works not at all, a partial record at the end; and, out of key order, only
// the runs the register's search finds.
TEST_F(RegisterTest, StreamedRunsAreTheRegistersRuns) {
    std::vector<WorkSpec> works = {Work(1, 0, 1, {5, 3, 17, 0}),
                                   Work(1, 0, 2, {1, 3, 17, 0}),
                                   Work(1, 0, 3),
                                   Work(2, 0, 4, {9, 9, 17, 0}),
                                   Work(2, 0, 5),
                                   Work(3, 0, 6),
                                   Work(3, 0, 7, {2, 2, 17, 0}),
                                   Work(3, 0, 8),
                                   Work(3, 0, 9)};
    works[2].followerMark = 1;
    works[4].followerMark = 1;  // takes 9.9.17 from the record before
    works[5].followerMark = 1;  // key 3's first work: 9.9.17 from key 2
    std::vector<WorkSpec> shuffled = works;
    std::swap(shuffled[0], shuffled[5]);  // 3 1 1 2 2 1 3 3 3: key 3 first, then nothing
    std::vector<WorkSpec> late = works;
    std::swap(late[3], late[7]);  // 1 1 1 3 2 3 3 2 3: key 3's run is one work
    const std::vector<std::uint8_t> fieldBytes = kv4farm::EncodeFields(
        {Field(1, 0, "A"), Field(3, 0, "C"), Field(3, 0, "C2"), Field(4, 0, "D")});
    kv4farm::WriteBytes(dir.path() / "SCHL2018.DAT", fieldBytes);

    for (const auto& [order, want] : {std::pair(works, std::vector<FieldKey>{{1, 0}, {3, 0}}),
                                      std::pair(shuffled, std::vector<FieldKey>{{3, 0}}),
                                      std::pair(late, std::vector<FieldKey>{{1, 0}, {3, 0}})}) {
        std::vector<std::uint8_t> workBytes = kv4farm::EncodeWorks(order);
        workBytes.resize(workBytes.size() + 200, 0x55);
        kv4farm::WriteBytes(dir.path() / "ARB2018.DAT", workBytes);
        FieldRegister whole;
        whole.LoadFromBytes(fieldBytes, workBytes);
        for (const std::size_t chunk : {std::size_t(1), std::size_t(512), std::size_t(700),
                                        std::size_t(1536), kv4::kReadChunkBytes}) {
            FieldRegister reg;
            std::vector<FieldKey> keys;
            const kv4::ReadErrors errors = reg.StreamYear(
                2018, Folder(),
                [&](const FieldKey& key, std::span<const WorkRecord> run) {
                    keys.push_back(key);
                    // The run, in file order, is where the register's search
                    // stops, up to the next other key.
                    const std::size_t at = whole.SkipPosition(key);
                    ASSERT_LE(at + run.size(), whole.Works().size()) << chunk;
                    for (std::size_t i = 0; i < run.size(); ++i)
                        EXPECT_EQ(run[i], whole.Works()[at + i]) << chunk << " work " << i;
                    if (at + run.size() < whole.Works().size()) {
                        EXPECT_NE(kv4::KeyOf(whole.Works()[at + run.size()]), key) << chunk;
                    }
                },
                chunk);
            EXPECT_TRUE(errors.empty()) << chunk;
            EXPECT_EQ(keys, want) << chunk;
            EXPECT_EQ(reg.Fields(), whole.Fields()) << chunk;
            EXPECT_EQ(reg.WorkCount(), 0) << chunk;
        }
    }
}

// ---- The index against the literal rules ----------------------------------

// GetFieldWorks as the rules read, scanning from position 0.
std::vector<WorkRecord> LiteralFieldWorks(const FieldRegister& reg, int index,
                                          bool includeOptional) {
    std::vector<WorkRecord> list;
    if (index < 0 || index >= reg.FieldCount()) return list;
    const FieldRecord& f = reg.Fields()[index];
    const FieldKey k{f.FieldNo(), f.SubNo()};
    auto key = [&reg](std::size_t i) {
        return FieldKey{reg.Works()[i].FieldNo(), reg.Works()[i].SubNo()};
    };
    std::size_t i = 0;
    while (i < reg.Works().size() && key(i) < k) ++i;
    std::size_t p = 0;
    while (i < reg.Works().size() && key(i) == k) {
        const WorkRecord& w = reg.Works()[i];
        if (!(w.OptionalMark() == 1 && !includeOptional)) {
            if (w.OptionalMark() == 0 && w.FollowerMark() != 1) {
                p = list.size();
                for (std::size_t j = 0; j < list.size(); ++j) {
                    if (kv4::CompareWorkDates(list[j].Date(), w.Date()) == -1 &&
                        list[j].OptionalMark() == 0) {
                        p = j;
                        break;
                    }
                }
            }
            list.insert(list.begin() + static_cast<std::ptrdiff_t>(p), w);
            ++p;
        }
        ++i;
    }
    return list;
}

std::size_t LiteralSkip(const FieldRegister& reg, const FieldKey& k) {
    std::size_t i = 0;
    while (i < reg.Works().size() &&
           FieldKey{reg.Works()[i].FieldNo(), reg.Works()[i].SubNo()} < k) {
        ++i;
    }
    return i;
}

void ExpectIndexAgreesWithLiteralRules(const FieldRegister& reg, std::mt19937& random,
                                       const std::string& what) {
    std::uniform_int_distribution<int> fieldNo(-2, 12);
    std::uniform_int_distribution<int> subNo(0, 3);
    for (int n = 0; n < 200; ++n) {
        const FieldKey k{fieldNo(random), subNo(random)};
        ASSERT_EQ(reg.SkipPosition(k), LiteralSkip(reg, k)) << what;
    }
    FieldRecord field;
    std::vector<WorkRecord> list;
    for (int index = -1; index <= reg.FieldCount(); ++index) {
        for (const bool optional : {false, true}) {
            reg.GetFieldWorks(index, field, list, optional);
            const std::vector<WorkRecord> expected = LiteralFieldWorks(reg, index, optional);
            ASSERT_EQ(list.size(), expected.size()) << what << " field " << index;
            for (std::size_t i = 0; i < list.size(); ++i) {
                ASSERT_EQ(list[i], expected[i]) << what << " field " << index;
            }
        }
    }
}

TEST(Register, IndexGivesTheSameResultsAsTheLiteralScan) {
    std::mt19937 random(2018);
    std::uniform_int_distribution<int> count(0, 120);
    std::uniform_int_distribution<int> fieldNo(0, 10);
    std::uniform_int_distribution<int> small(0, 3);
    std::uniform_int_distribution<int> day(1, 3);
    for (int round = 0; round < 60; ++round) {
        std::vector<FieldSpec> fields;
        for (int f = 0; f < 15; ++f) {
            fields.push_back(Field(static_cast<std::int16_t>(fieldNo(random) - 1),
                                   static_cast<std::uint8_t>(small(random))));
        }
        std::vector<WorkSpec> works;
        const int n = count(random);
        for (int w = 0; w < n; ++w) {
            WorkSpec spec = Work(static_cast<std::uint16_t>(fieldNo(random)),
                                 static_cast<std::uint8_t>(small(random)), w,
                                 {static_cast<std::uint8_t>(day(random)),
                                  static_cast<std::uint8_t>(day(random)), 17, 0});
            spec.optionalMark = static_cast<std::uint8_t>(small(random) % 3);
            spec.followerMark = static_cast<std::uint8_t>(small(random) == 0 ? 1 : 0);
            works.push_back(spec);
        }
        const bool sorted = round % 2 == 0;
        if (sorted) {
            std::stable_sort(works.begin(), works.end(), [](const WorkSpec& a, const WorkSpec& b) {
                return FieldKey{a.fieldNo, a.subNo} < FieldKey{b.fieldNo, b.subNo};
            });
        }
        FieldRegister reg;
        reg.LoadFromBytes(kv4farm::EncodeFields(fields), kv4farm::EncodeWorks(works));
        const std::string what =
            std::string(sorted ? "sorted" : "unsorted") + " round " + std::to_string(round);
        ExpectIndexAgreesWithLiteralRules(reg, random, what);

        // A reload with one more work behind the others is indexed afresh.
        works.push_back(Work(1, 0, 999));
        reg.LoadFromBytes(kv4farm::EncodeFields(fields), kv4farm::EncodeWorks(works));
        ExpectIndexAgreesWithLiteralRules(reg, random, what + " plus one");
    }
}

TEST(Register, RandomBytesNeverBreakTheRegister) {
    std::mt19937 random(509);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> size(0, 6000);
    for (int round = 0; round < 100; ++round) {
        std::vector<std::uint8_t> fields(static_cast<std::size_t>(size(random)));
        std::vector<std::uint8_t> works(static_cast<std::size_t>(size(random)) * 4);
        for (auto& b : fields) b = static_cast<std::uint8_t>(byte(random) % 4);  // small keys
        for (auto& b : works) b = static_cast<std::uint8_t>(byte(random) % 4);
        FieldRegister reg;
        reg.LoadFromBytes(fields, works);
        ASSERT_EQ(reg.FieldCount(), static_cast<int>(fields.size() / 509));
        ASSERT_EQ(reg.WorkCount(), static_cast<int>(works.size() / 512));
        ExpectIndexAgreesWithLiteralRules(reg, random, "random " + std::to_string(round));
    }
}

}  // namespace
