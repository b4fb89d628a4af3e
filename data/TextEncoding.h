#pragma once
// The text encodings the farm's files come in: Windows-1252 in the records,
// UTF-8 in our own texts and in registry or crops files, UTF-16 in registry
// files that regedit writes. UTF-8 is the program's text everywhere else.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kv4 {

// Windows-1252 to UTF-8 (the five unassigned codes map to the C1 controls
// of the same number, as Windows does).
std::string Cp1252ToUtf8(std::span<const std::uint8_t> bytes);
// UTF-8 to Windows-1252, for tests and tools that write records; characters
// that have no Windows-1252 code become '?'.
std::string Utf8ToCp1252(std::string_view utf8);

// The code point of the UTF-8 sequence that starts at `pos`, and `pos`
// moved behind it; nullopt (and `pos` unchanged) for a byte that starts no
// valid sequence: a stray continuation byte, a cut or overlong sequence, a
// surrogate or a value beyond Unicode.
std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& pos);

// Appends the UTF-8 bytes of one code point (surrogates and values beyond
// Unicode as U+FFFD).
void AppendUtf8(std::string& out, char32_t c);

// UTF-16 to UTF-8; unpaired surrogates (Wine writes UTF-16 units one by one)
// become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
// UTF-8 to UTF-16. A byte that starts no valid sequence is taken as
// Windows-1252, so a text in the ANSI code page or one cut inside a
// character still reads.
std::u16string Utf8ToUtf16(std::string_view text);
// Little-endian UTF-16 bytes as code units; an odd last byte is dropped.
std::u16string Utf16LeToUtf16(std::span<const std::uint8_t> bytes);
// Windows-1252 to UTF-16.
std::u16string Cp1252ToUtf16(std::span<const std::uint8_t> bytes);

// Equal apart from the letter case of A-Z: how Windows matches file names
// of the farm data.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace kv4
