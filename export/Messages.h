#pragma once
// Pieces of the export tool's German messages.
#include <cerrno>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "data/FileAccess.h"

namespace kv4 {

inline std::string Quoted(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out.append(1, '"').append(text).append(1, '"');
    return out;
}

inline std::string QuotedPath(const std::filesystem::path& path) {
    return Quoted(PathToUtf8(path));
}

// The reason of the last failed C library or stream call.
inline std::string LastReason() { return std::generic_category().message(errno); }

}  // namespace kv4
