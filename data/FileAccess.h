#pragma once
// File access for the farm data: find a file by name in a folder, whatever
// the letter case of the stored name (a data folder copied from Windows may
// hold schl2018.dat), and read it for reading only, sharing it with other
// programs. Nothing here ever writes.
#include <cstdint>
#include <filesystem>
#include <optional>
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
std::string WithBackslash(const std::string& path);

// Whether any directory entry (file or folder) of that exact name exists.
bool EntryExists(const std::filesystem::path& path);

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
                          std::uintmax_t maxBytes = std::uintmax_t(1) << 31);

}  // namespace kv4
