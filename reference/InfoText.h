#pragma once
// The fixed notice of the information window, shown at every start.
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace kv4 {

// Stored line breaks of the notice (the window wraps longer lines itself).
inline constexpr std::size_t kInfoTextLineCount = 42;

// The notice line by line, UTF-8, line-end blanks kept as written.
std::span<const std::string_view, kInfoTextLineCount> InfoTextLines();

// The notice as one text, lines joined by '\n' (no break after the last).
std::string InfoText();

}  // namespace kv4
