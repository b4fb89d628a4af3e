#include "export/OutputFiles.h"

#include <fstream>
#include <random>
#include <vector>

#include "data/FileAccess.h"
#include "export/Messages.h"

namespace kv4 {

namespace fs = std::filesystem;

namespace {

// A temporary name beside `target` that no entry has yet.
std::optional<fs::path> FreeTempName(const fs::path& target) {
    static std::mt19937_64 random{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate =
            target.parent_path() / PathFromUtf8(std::string(1, '.')
                                                    .append(PathToUtf8(target.filename()))
                                                    .append(".tmp")
                                                    .append(std::to_string(random())));
        if (!EntryExists(candidate)) return candidate;
    }
    return std::nullopt;
}

std::string CannotWrite(const fs::path& target, const std::string& reason) {
    return "Die Datei " + QuotedPath(target) + " kann nicht geschrieben werden: " + reason;
}

std::optional<std::string> CheckTarget(const fs::path& target) {
    std::error_code ec;
    const fs::file_status status = fs::status(target, ec);
    if (fs::is_directory(status))
        return "Die Ausgabedatei " + QuotedPath(target) + " ist ein Ordner.";
    if (fs::exists(status)) {
        // Opened for writing without changing it: a write-protected file stays so.
        std::fstream probe(target, std::ios::in | std::ios::out | std::ios::binary);
        if (!probe.is_open()) return CannotWrite(target, LastReason());
    }
    return std::nullopt;
}

struct Pending {
    fs::path temp;
    fs::path target;
};

void RemoveTemps(std::span<const Pending> pending) {
    std::error_code ignored;
    for (const Pending& p : pending) fs::remove(p.temp, ignored);
}

// Creates the temporary file of `job` and has the job fill it; it joins
// `pending` as soon as it exists.
std::optional<std::string> WriteTemp(const OutputJob& job, std::vector<Pending>& pending) {
    if (auto problem = CheckTarget(job.target)) return problem;
    const std::optional<fs::path> temp = FreeTempName(job.target);
    // Created here, so the writer never gets a name it could not use.
    std::ofstream create;
    if (temp) create.open(*temp, std::ios::binary | std::ios::trunc);
    if (!temp || !create.is_open()) return CannotWrite(job.target, LastReason());
    create.close();
    pending.push_back({*temp, job.target});
    std::string error;
    if (!job.write(*temp, error))
        return "Die Datei " + QuotedPath(job.target) + " kann nicht geschrieben werden" +
               (error.empty() ? std::string(".") : ": " + error);
    return std::nullopt;
}

// Renames every temporary file onto its target; on a failure removes those
// not yet renamed.
std::optional<std::string> RenameIntoPlace(std::span<const Pending> pending) {
    for (std::size_t i = 0; i < pending.size(); ++i) {
        std::error_code ec;
        fs::rename(pending[i].temp, pending[i].target, ec);
        if (ec) {
            RemoveTemps(pending.subspan(i));
            return CannotWrite(pending[i].target, ec.message());
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> WriteOutputs(std::span<const OutputJob> jobs) {
    std::vector<Pending> pending;
    for (const OutputJob& job : jobs) {
        if (auto problem = WriteTemp(job, pending)) {
            RemoveTemps(pending);
            return problem;
        }
    }
    return RenameIntoPlace(pending);
}

bool WriteTextFile(const fs::path& file, std::string_view text, std::string& error) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) error = LastReason();
    return bool(out);
}

fs::path AbsolutePath(const fs::path& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    if (ec) return path.lexically_normal();
    fs::path full = fs::weakly_canonical(absolute, ec);
    return ec ? absolute.lexically_normal() : full.lexically_normal();
}

bool PathIsInside(const fs::path& file, const fs::path& folder) {
    const fs::path f = AbsolutePath(file);
    const fs::path d = AbsolutePath(folder);
    auto fi = f.begin();
    for (auto di = d.begin(); di != d.end(); ++di, ++fi) {
        if (di->empty()) continue;  // the trailing separator of "Daten/"
        if (fi == f.end() || *fi != *di) return false;
    }
    return true;
}

}  // namespace kv4
