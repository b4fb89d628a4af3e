#pragma once
// Little-endian reader over a byte span. Every decode of farm data goes
// through it; a read outside the span yields zero/empty instead of touching
// memory that is not there.
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "data/TextEncoding.h"

namespace kv4 {

class ByteReader {
  public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t size() const { return bytes_.size(); }
    bool has(std::size_t offset, std::size_t width) const {
        return offset <= bytes_.size() && width <= bytes_.size() - offset;
    }

    std::uint8_t u8(std::size_t offset) const { return has(offset, 1) ? bytes_[offset] : 0; }
    std::uint16_t u16(std::size_t offset) const {
        if (!has(offset, 2)) return 0;
        return static_cast<std::uint16_t>(bytes_[offset] | (bytes_[offset + 1] << 8));
    }
    std::int16_t i16(std::size_t offset) const { return static_cast<std::int16_t>(u16(offset)); }

    // The 6-byte real of the farm data, as a double (which holds every
    // Real48 value exactly).
    double real48(std::size_t offset) const;

    // A length-prefixed Windows-1252 string whose field has room for
    // maxLength characters, converted to UTF-8. A length byte larger than
    // the room is cut to the room, so nothing behind the field is read.
    std::string shortString(std::size_t offset, std::size_t maxLength) const;

    std::span<const std::uint8_t> bytes(std::size_t offset, std::size_t width) const {
        if (!has(offset, width)) return {};
        return bytes_.subspan(offset, width);
    }

  private:
    std::span<const std::uint8_t> bytes_;
};

// Real48 -> double, exact.
inline double DecodeReal48(std::span<const std::uint8_t, 6> b) {
    if (b[0] == 0) return 0;
    // Every Real48 is a normal double with the same 39 fraction bits: the
    // bits are moved into place, with the exponent rebiased from 129 to 1023.
    const std::uint64_t fraction = (std::uint64_t(b[5] & 0x7F) << 32) |
                                   (std::uint64_t(b[4]) << 24) | (std::uint64_t(b[3]) << 16) |
                                   (std::uint64_t(b[2]) << 8) | std::uint64_t(b[1]);
    const std::uint64_t exponent = std::uint64_t(b[0]) - 129 + 1023;
    const std::uint64_t sign = std::uint64_t(b[5] & 0x80) << 56;
    return std::bit_cast<double>(sign | (exponent << 52) | (fraction << 13));
}
// Rounds a double to the precision and range of a Real48. Values too large
// to be represented come back as NaN; values too small as 0.
double RoundToReal48(double value);
// The six bytes of the Real48 nearest to value (ties to even), computed from
// the widest real so that a result is rounded only once. Values too small
// give the bytes of 0; values too large, infinities and NaN give nullopt.
std::optional<std::array<std::uint8_t, 6>> ToReal48Bytes(long double value);

}  // namespace kv4
