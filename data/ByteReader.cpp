#include "data/ByteReader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace kv4 {

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

}  // namespace kv4
