#include "data/FileAccess.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>

#include "data/ByteReader.h"

namespace kv4 {

namespace fs = std::filesystem;

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

FilePtr OpenForReading(const fs::path& path) {
#ifdef _WIN32
    // The CRT opens "rb" with sharing for reading and writing, so a file
    // that Kornavis holds open can still be read.
    return FilePtr(_wfopen(path.c_str(), L"rb"));
#else
    return FilePtr(std::fopen(path.c_str(), "rb"));
#endif
}

bool IsRegularFile(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

}  // namespace

fs::path PathFromUtf8(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string PathToUtf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::optional<fs::path> FindDataFile(const std::string& folder, const std::string& name) {
    const fs::path dir = PathFromUtf8(folder);
    const fs::path exact = dir / PathFromUtf8(name);
    if (IsRegularFile(exact)) return exact;
#ifdef _WIN32
    // The file system ignores letter case already.
    return std::nullopt;
#else
    // Data folders copied from Windows may hold schl2018.dat. Of several
    // spellings the smallest name wins, so the choice does not depend on the
    // order of the directory listing.
    std::error_code ec;
    fs::directory_iterator it(dir.empty() ? fs::path(".") : dir, ec);
    if (ec) return std::nullopt;
    std::optional<std::string> best;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        const std::string entry = PathToUtf8(it->path().filename());
        if (!EqualsIgnoringAsciiCase(entry, name)) continue;
        if (!IsRegularFile(dir / it->path().filename())) continue;
        if (!best || entry < *best) best = entry;
    }
    if (!best) return std::nullopt;
    return dir / PathFromUtf8(*best);
#endif
}

std::string WithTrailingSeparator(const std::string& path) {
#ifdef _WIN32
    constexpr char kSeparator = '\\';
#else
    constexpr char kSeparator = '/';
#endif
    if (path.empty() || path.back() == kSeparator) return path;
    return path + kSeparator;
}

std::string ReadErrorText(const std::string& name) { return "Fehler beim Lesen der Datei " + name; }

bool EntryExists(const fs::path& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

// The whole file (up to maxBytes) through the record reader, one byte a record.
FileContent ReadFileBytes(const fs::path& path, std::uintmax_t maxBytes) {
    FileContent content;
    content.status = ReadFileRecords(
        path, 1,
        [&content](std::span<const std::uint8_t> bytes) {
            content.bytes.insert(content.bytes.end(), bytes.begin(), bytes.end());
        },
        64 * 1024, maxBytes);
    return content;
}

FileContent::Status ReadFileRecords(
    const fs::path& path, std::size_t recordSize,
    const std::function<void(std::span<const std::uint8_t> records)>& records,
    std::size_t chunkBytes, std::uintmax_t maxBytes) {
    std::error_code ec;
    // fopen succeeds on a folder where the system allows it; reading one
    // then fails, which would look like a damaged file.
    if (fs::is_directory(path, ec)) return FileContent::Status::NotOpenable;
    const FilePtr file = OpenForReading(path);
    if (!file) return FileContent::Status::NotOpenable;
    // Straight into our buffer: the stream's own would copy every byte once more.
    std::setvbuf(file.get(), nullptr, _IONBF, 0);

    // Not zeroed first: only bytes that were read are ever handed on. A file
    // smaller than a chunk (the master data, a small farm) gets a buffer of
    // its size.
    const std::uintmax_t size = fs::file_size(path, ec);
    const std::size_t chunk =
        ec ? chunkBytes : static_cast<std::size_t>(std::min<std::uintmax_t>(chunkBytes, size));
    const std::size_t bufferBytes = std::max(chunk, recordSize);
    const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(bufferBytes);
    std::size_t held = 0;  // the start of a record cut by the last chunk's end
    std::uintmax_t total = 0;
    while (total < maxBytes) {
        const std::size_t want = static_cast<std::size_t>(
            std::min<std::uintmax_t>(bufferBytes - held, maxBytes - total));
        const std::size_t got = std::fread(buffer.get() + held, 1, want, file.get());
        total += got;
        held += got;
        const std::size_t whole = held - held % recordSize;
        if (whole > 0) records(std::span<const std::uint8_t>(buffer.get(), whole));
        if (whole > 0) std::copy(buffer.get() + whole, buffer.get() + held, buffer.get());
        held -= whole;
        if (got < want) {
            if (std::ferror(file.get())) return FileContent::Status::ReadError;
            break;
        }
    }
    return FileContent::Status::Ok;
}

std::string ReasonText(const std::error_code& error) {
    if (error.category() != std::generic_category() && error.category() != std::system_category()) {
        return error.message();
    }
    const std::error_condition condition = error.default_error_condition();
    if (condition.category() != std::generic_category()) return error.message();
    switch (static_cast<std::errc>(condition.value())) {
        case std::errc::permission_denied:
        case std::errc::operation_not_permitted:
            return "Zugriff verweigert";
        case std::errc::read_only_file_system:
            return "Das Dateisystem ist schreibgeschützt";
        case std::errc::no_such_file_or_directory:
            return "Datei oder Ordner nicht gefunden";
        case std::errc::file_exists:
            return "Die Datei ist bereits vorhanden";
        case std::errc::device_or_resource_busy:
        case std::errc::text_file_busy:
            return "Die Datei wird von einem anderen Programm verwendet";
        case std::errc::no_space_on_device:
            return "Auf dem Datenträger ist kein Platz mehr frei";
        case std::errc::is_a_directory:
            return "Der Name bezeichnet einen Ordner";
        case std::errc::not_a_directory:
            return "Ein Teil des Pfades ist kein Ordner";
        case std::errc::filename_too_long:
            return "Der Dateiname ist zu lang";
        case std::errc::io_error:
            return "Ein-/Ausgabefehler";
        default:
            return error.message();
    }
}

}  // namespace kv4
