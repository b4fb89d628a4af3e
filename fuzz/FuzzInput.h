#pragma once
// Splits one fuzzer input into several files: a sequence of parts, each a
// tag byte, a 16-bit little-endian length and that many bytes. A length
// beyond the input takes what is left, so every byte string is a valid input
// and the mutator can grow or cut a part without breaking the others.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <system_error>
#include <vector>

namespace kv4fuzz {

struct Part {
    std::uint8_t tag = 0;
    std::span<const std::uint8_t> bytes;
};

inline std::vector<Part> SplitParts(const std::uint8_t* data, std::size_t size) {
    std::vector<Part> parts;
    std::size_t i = 0;
    while (i < size) {
        Part part;
        part.tag = data[i++];
        std::size_t length = 0;
        if (i < size) length = data[i++];
        if (i < size) length |= std::size_t{data[i++]} << 8;
        if (length > size - i) length = size - i;
        part.bytes = std::span<const std::uint8_t>(data + i, length);
        i += length;
        parts.push_back(part);
    }
    return parts;
}

// The inverse, for the seed generator.
inline void AppendPart(std::vector<std::uint8_t>& out, std::uint8_t tag,
                       std::span<const std::uint8_t> bytes) {
    const std::size_t length = bytes.size() > 0xFFFF ? 0xFFFF : bytes.size();
    out.push_back(tag);
    out.push_back(static_cast<std::uint8_t>(length & 0xFF));
    out.push_back(static_cast<std::uint8_t>(length >> 8));
    out.insert(out.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
}

inline std::span<const std::uint8_t> PartBytes(const std::vector<Part>& parts, std::size_t i) {
    return i < parts.size() ? parts[i].bytes : std::span<const std::uint8_t>{};
}

inline std::string PartText(const std::vector<Part>& parts, std::size_t i) {
    const auto b = PartBytes(parts, i);
    return std::string(b.begin(), b.end());
}

// The data folder of a folder target, one per process: fuzz.sh keeps it in
// memory (TMPDIR=/dev/shm).
inline std::filesystem::path TargetFolder(const std::string& target) {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) base = "/tmp";
    return base / (target + "-" + std::to_string(::getpid()));
}

inline std::vector<std::uint8_t> ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A broken invariant is a finding: stop so that libFuzzer keeps the input.
[[noreturn]] inline void Fail() { std::abort(); }
inline void Check(bool condition) {
    if (!condition) Fail();
}

}  // namespace kv4fuzz
