#include "data/ByteReader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

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

}  // namespace

double ByteReader::real48(std::size_t offset) const {
    if (!has(offset, 6)) return 0;
    return DecodeReal48(bytes_.subspan(offset).first<6>());
}

std::string ByteReader::shortString(std::size_t offset, std::size_t maxLength) const {
    if (!has(offset, 1)) return {};
    std::size_t length = std::min<std::size_t>(bytes_[offset], maxLength);
    length = std::min(length, bytes_.size() - offset - 1);
    return Cp1252ToUtf8(bytes_.subspan(offset + 1, length));
}

double DecodeReal48(std::span<const std::uint8_t, 6> b) {
    if (b[0] == 0) return 0;
    // 39 fraction bits plus the hidden bit make a 40-bit integer mantissa,
    // which a double holds exactly.
    const std::uint64_t fraction = (std::uint64_t(b[5] & 0x7F) << 32) |
                                   (std::uint64_t(b[4]) << 24) | (std::uint64_t(b[3]) << 16) |
                                   (std::uint64_t(b[2]) << 8) | std::uint64_t(b[1]);
    const std::uint64_t mantissa = (std::uint64_t(1) << 39) | fraction;
    const double magnitude = std::ldexp(static_cast<double>(mantissa), int(b[0]) - 129 - 39);
    return (b[5] & 0x80) ? -magnitude : magnitude;
}

std::optional<std::array<std::uint8_t, 6>> ToReal48Bytes(long double value) {
    std::array<std::uint8_t, 6> b{};
    if (std::isnan(value) || std::isinf(value)) return std::nullopt;
    if (value == 0) return b;
    int exponent = 0;
    const long double m = std::frexp(std::fabs(value), &exponent);  // [0.5, 1)
    // 40 significant bits; the scaling is exact, so only this rounding counts.
    const long double scaled = std::ldexp(m, 40);
    long double whole = std::floor(scaled);
    const long double rest = scaled - whole;
    if (rest > 0.5L || (rest == 0.5L && std::fmod(whole, 2.0L) != 0)) whole += 1;
    auto mantissa = static_cast<std::uint64_t>(whole);
    if (mantissa == (std::uint64_t(1) << 40)) {
        mantissa >>= 1;
        ++exponent;
    }
    const int biased = exponent + 128;
    if (biased > 255) return std::nullopt;
    if (biased < 1) return b;
    const std::uint64_t fraction = mantissa & ((std::uint64_t(1) << 39) - 1);
    b[0] = static_cast<std::uint8_t>(biased);
    for (int i = 0; i < 4; ++i) b[1 + i] = static_cast<std::uint8_t>(fraction >> (8 * i));
    b[5] = static_cast<std::uint8_t>((fraction >> 32) & 0x7F);
    if (value < 0) b[5] |= 0x80;
    return b;
}

double RoundToReal48(double value) {
    const auto bytes = ToReal48Bytes(value);
    if (!bytes) return std::numeric_limits<double>::quiet_NaN();
    return DecodeReal48(*bytes);
}

std::string Cp1252ToUtf8(std::span<const std::uint8_t> bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const std::uint8_t b : bytes) {
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
        } else if (b < 0xA0) {
            AppendUtf8(out, kCp1252High[b - 0x80]);
        } else {
            AppendUtf8(out, b);
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

}  // namespace kv4
