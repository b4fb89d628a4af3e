#include "data/TextEncoding.h"

#include <algorithm>
#include <array>

namespace kv4 {

namespace {

// Windows-1252 0x80..0x9F. The five codes the code page leaves unassigned
// map to the C1 controls of the same number, as Windows converts them.
constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

char ToCp1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (std::size_t i = 0; i < kCp1252High.size(); ++i) {
        if (kCp1252High[i] == c) return static_cast<char>(0x80 + i);
    }
    return '?';
}

// Every Windows-1252 code lies in the Basic Multilingual Plane.
char16_t Cp1252ToUnicode(std::uint8_t b) {
    if (b >= 0x80 && b < 0xA0) return static_cast<char16_t>(kCp1252High[b - 0x80]);
    return b;
}

}  // namespace

std::string Cp1252ToUtf8(std::span<const std::uint8_t> bytes) {
    // Most farm texts are plain ASCII, which is the same in both.
    if (std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b < 0x80; }))
        return std::string(bytes.begin(), bytes.end());
    std::string out;
    out.reserve(bytes.size());
    for (const std::uint8_t b : bytes) {
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
        } else {
            AppendUtf8(out, Cp1252ToUnicode(b));
        }
    }
    return out;
}

std::string Utf8ToCp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        if (const std::optional<char32_t> c = DecodeUtf8(utf8, i)) {
            out.push_back(ToCp1252(*c));
        } else {
            // Skip the lead byte only, so a broken sequence costs one '?'
            // and the following characters survive.
            out.push_back('?');
            ++i;
        }
    }
    return out;
}

std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& pos) {
    if (pos >= text.size()) return std::nullopt;
    const auto lead = static_cast<std::uint8_t>(text[pos]);
    std::size_t count = 0;
    char32_t c = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        count = 1, c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        count = 2, c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        count = 3, c = lead & 0x07;
    } else {
        return std::nullopt;
    }
    if (text.size() - pos <= count) return std::nullopt;
    for (std::size_t k = 1; k <= count; ++k) {
        const auto cont = static_cast<std::uint8_t>(text[pos + k]);
        if ((cont & 0xC0) != 0x80) return std::nullopt;
        c = (c << 6) | (cont & 0x3F);
    }
    // Overlong forms and surrogates are as broken as a cut sequence.
    constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (c < kMinimum[count] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return std::nullopt;
    pos += count + 1;
    return c;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    const auto lower = [](unsigned char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : static_cast<char>(c);
    };
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(static_cast<unsigned char>(a[i])) != lower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::string Utf16ToUtf8(std::u16string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        char32_t cp = c;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(s[i + 1]) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            cp = 0xFFFD;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const std::optional<char32_t> c = DecodeUtf8(s, i);
        if (!c) {
            out.push_back(Cp1252ToUnicode(static_cast<std::uint8_t>(s[i])));
            ++i;
        } else if (*c >= 0x10000) {
            out.push_back(char16_t(0xD800 + ((*c - 0x10000) >> 10)));
            out.push_back(char16_t(0xDC00 + ((*c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(char16_t(*c));
        }
    }
    return out;
}

std::u16string Utf16LeToUtf16(std::span<const std::uint8_t> b) {
    std::u16string out;
    out.reserve(b.size() / 2);
    for (std::size_t i = 0; i + 1 < b.size(); i += 2)
        out.push_back(char16_t(b[i] | (b[i + 1] << 8)));
    return out;
}

std::u16string Cp1252ToUtf16(std::span<const std::uint8_t> bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (const std::uint8_t b : bytes) out.push_back(Cp1252ToUnicode(b));
    return out;
}

}  // namespace kv4
