// The text encodings of the farm data: Windows-1252 records and UTF-8 texts.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/TextEncoding.h"

namespace {

TEST(Records, Windows1252ToUtf8) {
    struct Case {
        std::vector<std::uint8_t> cp1252;
        std::string utf8;
    };
    const Case cases[] = {
        {{'G', 0xE4, 'n', 's', 'e'}, "G\xC3\xA4nse"},
        {{0xC4, 0xD6, 0xDC, 0xE4, 0xF6, 0xFC, 0xDF},
         "\xC3\x84\xC3\x96\xC3\x9C\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F"},
        {{0x80}, "\xE2\x82\xAC"},  // euro sign
        {{0xB3}, "\xC2\xB3"},      // superscript three, as in m3
        {{0x84, 0x93}, "\xE2\x80\x9E\xE2\x80\x9C"},
        {{0x81}, "\xC2\x81"},  // unassigned: the C1 control
        {{0xFF}, "\xC3\xBF"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(kv4::Cp1252ToUtf8(c.cp1252), c.utf8);
    }
    // Every byte survives the way back.
    std::vector<std::uint8_t> all(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<std::uint8_t>(i);
    const std::string back = kv4::Utf8ToCp1252(kv4::Cp1252ToUtf8(all));
    EXPECT_EQ(std::vector<std::uint8_t>(back.begin(), back.end()), all);
}

TEST(Records, Utf8ToWindows1252ReplacesWhatItCannotWrite) {
    struct Case {
        std::string utf8;
        std::string cp1252;
    };
    const Case cases[] = {
        {"M\xC3\xBChle", "M\xFChle"},
        {"\xE2\x82\xAC 5", "\x80 5"},
        {"\xCE\xA9", "?"},          // Greek omega
        {"\xF0\x9F\x8C\xBE", "?"},  // a sheaf of rice, four bytes
        {"a\xC3", "a?"},            // cut sequence
        {"\xC3(", "?("},            // bad continuation keeps the next character
        {"\xC0\x80", "??"},         // overlong NUL
        {"\xED\xA0\x80", "???"},    // surrogate
        {"\xFF", "?"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(kv4::Utf8ToCp1252(c.utf8), c.cp1252);
    }
}

}  // namespace

// One decoder serves record texts, registry files and the crops file: a
// broken sequence leaves the position at its lead byte for the caller.
TEST(Utf8, DecodesWholeSequencesAndRefusesBrokenOnes) {
    std::size_t pos = 0;
    const std::string text = "a\xC3\xBC\xF0\x9F\x8C\xBE";
    EXPECT_EQ(kv4::DecodeUtf8(text, pos), char32_t{'a'});
    EXPECT_EQ(kv4::DecodeUtf8(text, pos), char32_t{0xFC});
    EXPECT_EQ(kv4::DecodeUtf8(text, pos), char32_t{0x1F33E});
    EXPECT_EQ(pos, text.size());
    for (const std::string broken :
         {"\x80", "\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82"}) {
        pos = 0;
        EXPECT_EQ(kv4::DecodeUtf8(broken, pos), std::nullopt);
        EXPECT_EQ(pos, 0u);
    }
}
