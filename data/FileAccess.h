#pragma once
// File access for the farm data: find a file by name in a folder, whatever
// the letter case of the stored name (a data folder copied from Windows may
// hold schl2018.dat), and read it for reading only, sharing it with other
// programs. Nothing here ever writes.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <vector>

namespace kv4 {

// UTF-8 text <-> file system path, on every platform.
std::filesystem::path PathFromUtf8(const std::string& utf8);
std::string PathToUtf8(const std::filesystem::path& path);

// The regular file named `name` in `folder` (empty folder: the current
// directory). Exact name first; where the file system matches names
// case-sensitively, also a name that differs only in ASCII letter case.
// Folders and other non-regular entries do not count.
std::optional<std::filesystem::path> FindDataFile(const std::string& folder,
                                                  const std::string& name);

// Appends the platform's path separator unless the text is empty or
// already ends with one ("\" on Windows, "/" elsewhere; a drive root such as
// C:\ keeps its single backslash).
std::string WithTrailingSeparator(const std::string& path);

// Whether any directory entry (file or folder) of that exact name exists.
bool EntryExists(const std::filesystem::path& path);

// No farm file is read beyond this size.
inline constexpr std::uintmax_t kMaxDataFileBytes = std::uintmax_t(1) << 31;

struct FileContent {
    enum class Status { Ok, NotOpenable, ReadError };
    Status status = Status::NotOpenable;
    // The bytes read; after a read error, those read before it.
    std::vector<std::uint8_t> bytes;
};

// The read errors of a load, in the order they happened, each as the text
// the user is shown. A loader returns them; its caller decides how to show
// them.
using ReadErrors = std::vector<std::string>;

// "Fehler beim Lesen der Datei " + the file's name as given.
std::string ReadErrorText(const std::string& name);

// The reason of a failed file operation in German, for the messages the user
// sees; reasons without a German text keep the system's wording.
std::string ReasonText(const std::error_code& error);

// Reads the whole file, opened for reading only (shared for reading and
// writing with other programs on Windows). Files above maxBytes are read
// only up to that size.
FileContent ReadFileBytes(const std::filesystem::path& path,
                          std::uintmax_t maxBytes = kMaxDataFileBytes);

// The buffer through which the farm's record files are read: small enough
// that a chunk is still in the processor's cache when its records are decoded.
inline constexpr std::size_t kReadChunkBytes = std::size_t(128) << 10;

// Reads a file of fixed-size records, opened and capped as ReadFileBytes,
// through one buffer of chunkBytes (at least one record): each run of whole
// records goes to `records` as soon as it is in, a record cut by a chunk's
// end follows with the next run, and a partial record at the end is left
// out. After a read error `records` has had the whole records read before
// it. Returns what ReadFileBytes would return as its status.
FileContent::Status ReadFileRecords(
    const std::filesystem::path& path, std::size_t recordSize,
    const std::function<void(std::span<const std::uint8_t> records)>& records,
    std::size_t chunkBytes = kReadChunkBytes, std::uintmax_t maxBytes = kMaxDataFileBytes);

}  // namespace kv4
