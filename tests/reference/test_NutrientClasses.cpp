// The nutrient class table: which records are kept, how a soil type finds
// its record, and the class limits.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "data/ByteReader.h"
#include "data/FileAccess.h"
#include "farmwriter/RecordWriter.h"
#include "reference/NutrientClasses.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using kv4farm::NKlassenSpec;

NKlassenSpec Spec(std::array<std::string, 8> names, std::array<double, 4> limits,
                  std::uint8_t kind = 2) {
    NKlassenSpec s;
    s.kind = kind;
    s.names = std::move(names);
    s.limits = limits;
    return s;
}

Bytes File(const std::vector<NKlassenSpec>& specs) {
    Bytes out;
    for (const NKlassenSpec& s : specs) {
        const Bytes r = kv4farm::EncodeNKlassen(s);
        out.insert(out.end(), r.begin(), r.end());
    }
    return out;
}

kv4::NutrientClasses Table(const std::vector<NKlassenSpec>& specs) {
    kv4::NutrientClasses t;
    t.LoadFromBytes(File(specs));
    return t;
}

TEST(NutrientClassRecord, ReadsTheFieldsAtTheirOffsets) {
    Bytes b(kv4::kNutrientClassRecordSize, 0xEE);
    b[0] = 2;
    const auto name = [&](std::size_t slot, std::uint8_t length, const char* text) {
        b[1 + 6 * slot] = length;
        for (std::size_t i = 0; text[i] != '\0'; ++i) b[2 + 6 * slot + i] = std::uint8_t(text[i]);
    };
    name(0, 2, "lS");
    name(1, 0, "");
    name(6, 9, "ABCDE");  // a length beyond the room is cut to the room
    name(7, 2, "\xF6X");  // Windows-1252
    const std::int16_t factors[] = {-3, 150, 100, 50, 7};
    for (int i = 0; i < 5; ++i) {
        b[51 + 2 * i] = std::uint8_t(std::uint16_t(factors[i]) & 0xFF);
        b[52 + 2 * i] = std::uint8_t(std::uint16_t(factors[i]) >> 8);
    }
    const double limits[] = {5, 10.5, 17, 25};
    for (int i = 0; i < 4; ++i) {
        const auto r = kv4::ToReal48Bytes(limits[i]);
        std::copy(r->begin(), r->end(), b.begin() + 62 + 6 * i);
    }
    const kv4::NutrientClassRecord rec(std::span<const std::uint8_t, 86>(b.data(), 86));
    EXPECT_EQ(rec.Kind(), 2);
    EXPECT_EQ(rec.SoilTypeName(0), "lS");
    EXPECT_EQ(rec.SoilTypeName(1), "");
    EXPECT_EQ(rec.SoilTypeName(6), "ABCDE");
    EXPECT_EQ(rec.SoilTypeName(7), "\xC3\xB6X");
    EXPECT_EQ(rec.SoilTypeName(8), "");
    for (int i = 0; i < 5; ++i) EXPECT_EQ(rec.Factor(i), factors[i]) << i;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(rec.Limit(i), limits[i]) << i;
    EXPECT_EQ(rec.bytes()[49], 0xEE);
}

TEST(NutrientClassRecord, FactorsAreRepairedOnlyWhenClassAIsZero) {
    NKlassenSpec zero = Spec({"lS"}, {1, 2, 3, 4});
    zero.factors = {0, 1, 2, 3, 4};
    NKlassenSpec kept = Spec({"S"}, {1, 2, 3, 4});
    kept.factors = {180, 0, -5, 0, 9};
    const kv4::NutrientClasses t = Table({zero, kept});
    ASSERT_EQ(t.Records().size(), 2u);
    const std::int16_t repaired[] = {200, 150, 100, 50, 0};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(t.Records()[0].Factor(i), repaired[i]) << i;
        EXPECT_EQ(t.Records()[1].Factor(i), kept.factors[std::size_t(i)]) << i;
    }
    // The repair is in the bytes held, and touches nothing else.
    const Bytes raw = kv4farm::EncodeNKlassen(zero);
    const auto& held = t.Records()[0].bytes();
    EXPECT_EQ(held[51], 200);
    EXPECT_EQ(held[53], 150);
    EXPECT_TRUE(std::equal(raw.begin(), raw.begin() + 51, held.begin()));
    EXPECT_TRUE(std::equal(raw.begin() + 61, raw.end(), held.begin() + 61));
}

TEST(NutrientClasses, KeepsTheKind2RecordsInFileOrderAndWholeRecordsOnly) {
    const kv4::NutrientClasses t =
        Table({Spec({"k1"}, {}, 1), Spec({"erst"}, {}, 2), Spec({"k3"}, {}, 3),
               Spec({"zweit"}, {}, 2), Spec({"k0"}, {}, 0)});
    ASSERT_EQ(t.Records().size(), 2u);
    EXPECT_EQ(t.Records()[0].SoilTypeName(0), "erst");
    EXPECT_EQ(t.Records()[1].SoilTypeName(0), "zweit");
    EXPECT_EQ(t.ContentClass("k1", 0), ' ');

    // 86 * 3 + 40 bytes: three records, the rest is not read.
    Bytes bytes = File({Spec({"a"}, {}), Spec({"b"}, {}), Spec({"c"}, {}), Spec({"d"}, {})});
    bytes.resize(86 * 3 + 40);
    kv4::NutrientClasses cut;
    cut.LoadFromBytes(bytes);
    EXPECT_EQ(cut.Records().size(), 3u);
    EXPECT_EQ(cut.ContentClass("d", 0), ' ');
    cut.LoadFromBytes(Bytes(85, 2));  // replaces the table
    EXPECT_TRUE(cut.Records().empty());
}

TEST(NutrientClasses, ContentClassTestsTheLimitsInOrderWithLessOrEqual) {
    const kv4::NutrientClasses t =
        Table({Spec({"lS", "sL"}, {5, 10, 17, 25}), Spec({"lS"}, {100, 200, 300, 400}),
               Spec({"X"}, {30, 20, 10, 5})});
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* soil;
        double content;
        char expected;
    } cases[] = {
        {"lS", 5, 'A'},
        {"lS", 5.01, 'B'},
        {"lS", 10, 'B'},
        {"lS", 17, 'C'},
        {"lS", 17.5, 'D'},
        {"lS", 25, 'D'},
        {"lS", 26, 'E'},
        {"lS", -1, 'A'},
        {"sL", 25.0001, 'E'},  // the second slot, same record
        {"X", 25, 'A'},
        {"X", 31, 'E'},  // limits need not ascend
        {"lS", nan, ' '},
        {"lS", std::numeric_limits<double>::infinity(), 'E'},
        {"lS", -std::numeric_limits<double>::infinity(), 'A'},
    };
    for (const auto& c : cases)
        EXPECT_EQ(t.ContentClass(c.soil, c.content), c.expected) << c.soil << " " << c.content;
}

TEST(NutrientClasses, SoilTypesMatchOnlyExactly) {
    const kv4::NutrientClasses t =
        Table({Spec({"lS", "S", "uL", "T", "Mo", "sT", "L", "\xC3\xB6l"}, {1, 2, 3, 4}),
               Spec({"Z", "", "ls"}, {10, 20, 30, 40}), Spec({"", "lS "}, {50, 60, 70, 80})});
    const struct {
        std::string soil;
        char expected;  // content 15
    } cases[] = {
        {"lS", 'E'},        {"\xC3\xB6l", 'E'},  // the last slot; Windows-1252 in the file
        {"ls", 'B'},        {"LS", ' '},        {"lS ", 'A'}, {" lS", ' '},
        {"lSabc", ' '},     {"lSabcd", ' '},    {"", 'B'},  // the first record with an empty slot
        {"\xC3\x96l", ' '},
    };
    for (const auto& c : cases) EXPECT_EQ(t.ContentClass(c.soil, 15), c.expected) << c.soil;

    const kv4::NutrientClasses full = Table({Spec({"a", "b", "c", "d", "e", "f", "g", "h"}, {})});
    EXPECT_EQ(full.ContentClass("", 0), ' ');
    EXPECT_EQ(kv4::NutrientClasses().ContentClass("", 0), ' ');
}

TEST(NutrientClasses, LoadsTheFileByItsNameFromTheGivenFolderOnly) {
    kv4test::TempDir start, data;
    const Bytes bytes = File({Spec({"lS"}, {5, 10, 17, 25}), Spec({"S"}, {1, 2, 3, 4}, 1)});
    kv4farm::WriteBytes(data.path() / "NKlassen.dat", bytes);
    const std::string startFolder = kv4::PathToUtf8(start.path());

    kv4::NutrientClasses t;
    t.LoadNutrientClasses(startFolder);  // only in the data folder: empty
    EXPECT_TRUE(t.Records().empty());
    EXPECT_EQ(t.ContentClass("lS", 6), ' ');

    t.LoadNutrientClasses(kv4::PathToUtf8(data.path()));
    ASSERT_EQ(t.Records().size(), 1u);
    EXPECT_EQ(t.ContentClass("lS", 6), 'B');

    fs::create_directory(start.path() / "NKlassen.dat");  // a folder is no table
    t.LoadNutrientClasses(startFolder);
    EXPECT_TRUE(t.Records().empty());

#ifndef _WIN32
    kv4test::TempDir lower;
    kv4farm::WriteBytes(lower.path() / "nklassen.DAT", bytes);
    t.LoadNutrientClasses(kv4::PathToUtf8(lower.path()));
    EXPECT_EQ(t.Records().size(), 1u);
#endif
#ifdef __linux__
    // A file that fails on the first read: an empty table, no crash.
    kv4test::TempDir broken;
    fs::create_symlink("/proc/self/mem", broken.path() / "NKlassen.dat");
    t.LoadNutrientClasses(kv4::PathToUtf8(broken.path()));
    EXPECT_TRUE(t.Records().empty());
#endif
}

}  // namespace
