// Record layouts, strings and work dates of the farm data.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "data/ByteReader.h"
#include "data/Records.h"
#include "farmwriter/RecordWriter.h"

namespace {

using kv4::WorkDate;

void PutReal48(std::vector<std::uint8_t>& b, std::size_t at, double v) {
    const auto r = kv4farm::EncodeReal48(v);
    std::copy(r.begin(), r.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
}

void PutString(std::vector<std::uint8_t>& b, std::size_t at, const std::string& cp1252) {
    b[at] = static_cast<std::uint8_t>(cp1252.size());
    std::copy(cp1252.begin(), cp1252.end(), b.begin() + static_cast<std::ptrdiff_t>(at) + 1);
}

// ---- Layouts, built byte by byte at the documented offsets ----------------

TEST(Records, FieldRecordDecodesTheDocumentedOffsets) {
    std::vector<std::uint8_t> b(kv4::kFieldRecordSize, 0x77);
    b[0] = 0xFE;  // -2, signed
    b[1] = 0xFF;
    b[2] = 9;
    PutString(b, 5, "Am M\xFChlbach");
    PutReal48(b, 21, 12.5);
    PutString(b, 54, "sL");
    b[66] = 45;
    b[67] = 1;  // 256 + 45
    PutReal48(b, 85, 17.25);
    b[244] = 3;
    PutString(b, 246,
              "Zuckerr\xFC"
              "ben");
    const kv4::FieldRecord field(
        std::span<const std::uint8_t, kv4::kFieldRecordSize>(b.data(), kv4::kFieldRecordSize));

    EXPECT_EQ(field.FieldNo(), -2);
    EXPECT_EQ(field.SubNo(), 9);
    EXPECT_EQ(field.Name(), "Am M\xC3\xBChlbach");
    EXPECT_EQ(field.Area(), 12.5);
    EXPECT_EQ(field.SoilType(), "sL");
    EXPECT_EQ(field.Humus(), 301);
    EXPECT_EQ(field.P2O5Content(), 17.25);
    EXPECT_EQ(field.StatusBits(), 3);
    EXPECT_EQ(field.Crop(),
              "Zuckerr\xC3\xBC"
              "ben");
}

TEST(Records, CropIsCutToItsFieldWhateverItsLengthByteSays) {
    // The crop field holds 252 characters behind its length byte; a larger
    // length byte must not pull in the bytes behind the field.
    std::vector<std::uint8_t> b(kv4::kFieldRecordSize, 0);
    for (std::size_t i = 247; i < kv4::kFieldRecordSize; ++i)
        b[i] = static_cast<std::uint8_t>('a' + (i % 26));
    const auto cropOf = [&b](std::uint8_t length) {
        b[246] = length;
        return kv4::FieldRecord(
                   std::span<const std::uint8_t, kv4::kFieldRecordSize>(b.data(), b.size()))
            .Crop();
    };
    const std::string field(b.begin() + 247, b.begin() + 247 + 252);
    for (const int length : {0, 1, 251, 252}) {
        EXPECT_EQ(cropOf(static_cast<std::uint8_t>(length)), field.substr(0, length)) << length;
    }
    for (const int length : {253, 254, 255}) {
        EXPECT_EQ(cropOf(static_cast<std::uint8_t>(length)), field) << length;
    }
}

TEST(Records, WorkRecordDecodesTheDocumentedOffsets) {
    std::vector<std::uint8_t> b(kv4::kWorkRecordSize, 0x77);
    b[2] = 0xE8;  // 1000, unsigned
    b[3] = 0x03;
    b[4] = 6;
    b[5] = 2;
    b[6] = 1;
    b[7] = 4;
    b[9] = 5;
    b[15] = 1;
    PutString(b, 25, "Winterweizen");
    PutReal48(b, 41, 85.5);
    b[47] = 3;
    PutReal48(b, 106, 0.8);
    b[112] = 15;
    b[113] = 5;
    b[114] = 17;
    b[115] = 99;
    b[118] = 1;
    PutReal48(b, 119, 3.25);
    PutReal48(b, 126, 20);
    PutReal48(b, 132, 15);
    PutReal48(b, 138, 5);
    b[205] = 7;
    const kv4::WorkRecord work(
        std::span<const std::uint8_t, kv4::kWorkRecordSize>(b.data(), kv4::kWorkRecordSize));

    EXPECT_EQ(work.FieldNo(), 1000);
    EXPECT_EQ(work.WorkType(), 6);
    EXPECT_EQ(work.SubNo(), 2);
    EXPECT_EQ(work.OptionalMark(), 1);
    EXPECT_EQ(work.NminMark(), 4);
    EXPECT_EQ(work.OrganicMark(), 5);
    EXPECT_EQ(work.FollowerMark(), 1);
    EXPECT_EQ(work.CropName(), "Winterweizen");
    EXPECT_EQ(work.Amount(), 85.5);
    EXPECT_EQ(work.Unit(), 3);
    EXPECT_EQ(work.GroupFactor(), kv4::RoundToReal48(0.8));
    EXPECT_EQ(work.Date(), (WorkDate{15, 5, 17, 99}));
    EXPECT_EQ(work.PartAreaMark(), 1);
    EXPECT_EQ(work.WorkedArea(), 3.25);
    EXPECT_EQ(work.Nutrient1(), 20);
    EXPECT_EQ(work.Nutrient2(), 15);
    EXPECT_EQ(work.Nutrient3(), 5);
    EXPECT_EQ(work.OrganicProductMark(), 7);
}

TEST(Records, WriterAndReaderAgree) {
    kv4farm::FieldSpec spec;
    spec.fieldNo = 32767;
    spec.subNo = 255;
    spec.name =
        "Gro\xC3\x9F"
        "e Breite";
    spec.area = 7.3;
    spec.soilType = "tL";
    spec.humus = 41;
    spec.p2o5Content = 23.4;
    spec.statusBits = 2;
    spec.crop = std::string(300, 'x');  // longer than the room
    const std::vector<std::uint8_t> bytes = kv4farm::EncodeField(spec);
    ASSERT_EQ(bytes.size(), kv4::kFieldRecordSize);
    const kv4::FieldRecord field(
        std::span<const std::uint8_t, kv4::kFieldRecordSize>(bytes.data(), kv4::kFieldRecordSize));
    EXPECT_EQ(field.FieldNo(), 32767);
    EXPECT_EQ(field.SubNo(), 255);
    EXPECT_EQ(field.Name(), spec.name);
    EXPECT_EQ(field.Area(), kv4::RoundToReal48(7.3));
    EXPECT_EQ(field.SoilType(), "tL");
    EXPECT_EQ(field.Humus(), 41);
    EXPECT_EQ(field.StatusBits(), 2);
    EXPECT_EQ(field.Crop(), std::string(kv4::field_offset::CropRoom, 'x'));
    // The writer never leaves zeros where the program reads nothing.
    EXPECT_NE(bytes[3], 0);
    EXPECT_NE(bytes[kv4::kFieldRecordSize - 1], 0);

    kv4farm::WorkSpec w;
    w.fieldNo = 65535;
    w.cropName = "Sommergerste mit Untersaat";  // 26 characters, room 15
    w.date = {31, 12, 255, 1};
    const std::vector<std::uint8_t> wb = kv4farm::EncodeWork(w);
    ASSERT_EQ(wb.size(), kv4::kWorkRecordSize);
    const kv4::WorkRecord work(
        std::span<const std::uint8_t, kv4::kWorkRecordSize>(wb.data(), kv4::kWorkRecordSize));
    EXPECT_EQ(work.FieldNo(), 65535);
    EXPECT_EQ(work.CropName(), "Sommergerste mi");
    EXPECT_EQ(work.Date(), (WorkDate{31, 12, 255, 1}));
}

// ---- Strings --------------------------------------------------------------

TEST(Records, StringsAreReadByTheirLengthByteCutToTheRoom) {
    // Room 15 in a 16-byte field, followed by bytes of the next field.
    std::vector<std::uint8_t> b(20, 'Z');
    struct Case {
        std::uint8_t length;
        std::string expected;
    };
    for (std::size_t i = 0; i < 15; ++i) b[1 + i] = static_cast<std::uint8_t>('a' + i);
    const Case cases[] = {
        {0, ""},
        {3, "abc"},
        {15, "abcdefghijklmno"},
        {16, "abcdefghijklmno"},
        {255, "abcdefghijklmno"},
    };
    for (const Case& c : cases) {
        b[0] = c.length;
        EXPECT_EQ(kv4::ByteReader(b).shortString(0, 15), c.expected) << int(c.length);
    }
    // No trimming: blanks stay.
    const std::vector<std::uint8_t> blanks{4, ' ', 'L', 'S', ' ', 'x'};
    EXPECT_EQ(kv4::ByteReader(blanks).shortString(0, 11), " LS ");
    // A field cut off by the end of the bytes yields what is there.
    const std::vector<std::uint8_t> shortBuffer{200, 'A', 'b'};
    EXPECT_EQ(kv4::ByteReader(shortBuffer).shortString(0, 252), "Ab");
    EXPECT_EQ(kv4::ByteReader(shortBuffer).shortString(3, 252), "");
    EXPECT_EQ(kv4::ByteReader(shortBuffer).shortString(99, 252), "");
}

// ---- Work dates -----------------------------------------------------------

TEST(Records, CompareWorkDatesOrdersYearMonthDayAndIgnoresByteThree) {
    struct Case {
        WorkDate a, b;
        int expected;
    };
    const Case cases[] = {
        {{5, 3, 17, 0}, {1, 4, 17, 0}, 1},  // 05.03. before 01.04.
        {{1, 4, 17, 0}, {5, 3, 17, 0}, -1},
        {{31, 12, 16, 0}, {1, 1, 17, 0}, 1},  // year part first
        {{1, 1, 17, 0}, {31, 12, 16, 0}, -1},
        {{2, 3, 17, 0}, {1, 3, 17, 0}, -1},  // day last
        {{1, 3, 17, 0}, {2, 3, 17, 0}, 1},
        {{1, 3, 17, 0}, {1, 3, 17, 0}, 1},  // equal: +1 both ways
        {{1, 3, 17, 9}, {1, 3, 17, 200}, 1},
        {{1, 3, 17, 200}, {1, 3, 17, 9}, 1},
        {{1, 3, 200, 0}, {1, 3, 100, 0}, -1},  // bytes compared unsigned
        {{0x80, 1, 1, 0}, {0x7F, 1, 1, 0}, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(kv4::CompareWorkDates(c.a, c.b), c.expected)
            << int(c.a[0]) << "." << int(c.a[1]) << "." << int(c.a[2]) << " vs " << int(c.b[0])
            << "." << int(c.b[1]) << "." << int(c.b[2]);
    }
}

}  // namespace
