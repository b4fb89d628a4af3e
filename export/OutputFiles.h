#pragma once
// Output files that appear complete or not at all.
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kv4 {

// Writes the content of one output file into `file` (a temporary name beside
// the target). False, with a reason in `error`, when it cannot.
using OutputWriter = std::function<bool(const std::filesystem::path& file, std::string& error)>;

struct OutputJob {
    std::filesystem::path target;
    OutputWriter write;
};

// Writes every job under a temporary name in its target's folder and renames
// them into place only when all of them were written; otherwise removes what
// it wrote and leaves every target as it was. An existing target that may
// not be written, or a folder, fails. Returns the message of the first
// failure.
std::optional<std::string> WriteOutputs(std::span<const OutputJob> jobs);

// `text` as the whole content of `file`, for an OutputWriter.
bool WriteTextFile(const std::filesystem::path& file, std::string_view text, std::string& error);

// Absolute, with links and ".." resolved as far as the path exists.
std::filesystem::path AbsolutePath(const std::filesystem::path& path);

// Whether `file` would lie in `folder` or below it (paths need not exist).
bool PathIsInside(const std::filesystem::path& file, const std::filesystem::path& folder);

}  // namespace kv4
