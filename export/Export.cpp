#include "export/Export.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <ostream>
#include <random>
#include <system_error>
#include <utility>

#include "worksheets/Editing.h"
#include "worksheets/Fill.h"
#include "worksheets/NumberFormat.h"
#include "reference/NutrientClasses.h"
#include "worksheets/Recalc.h"
#include "data/ADECLARE.h"
#include "data/ByteReader.h"
#include "data/FileAccess.h"
#include "reference/UFruchtdaten.h"

namespace kv4 {

namespace fs = std::filesystem;

namespace {

// Input files are small texts and tables; a larger one is not what was meant.
constexpr std::uintmax_t kMaxInputFileBytes = std::uintmax_t(64) << 20;

std::string Quoted(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out.append(1, '"').append(text).append(1, '"');
    return out;
}

std::string QuotedPath(const fs::path& path) { return Quoted(PathToUtf8(path)); }

// The reason of the last failed C library or stream call.
std::string LastReason() { return std::generic_category().message(errno); }

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (!DecodeUtf8(text, i)) return false;
    }
    return true;
}

bool IsBlankLine(std::string_view line) {
    return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t'; });
}

int CropPosition(std::string_view name) {
    for (std::size_t i = 0; i < CropTable.size(); ++i)
        if (CropTable[i].Name == name) return static_cast<int>(i);
    return -1;
}

std::string CropNameList() {
    std::string list;
    for (const CropReference& crop : CropTable) {
        if (!list.empty()) list += " | ";
        list += crop.Name;
    }
    return list;
}

struct ValueOption {
    std::string_view name;
    std::string ExportOptions::*value;
};

std::string* HeaderField(ExportOptions& o, std::string_view name) {
    if (name == "--farm") return &o.header.farmName;
    if (name == "--farm-no") return &o.header.farmNumber;
    if (name == "--date") return &o.header.date;
    return nullptr;
}

std::string* OptionField(ExportOptions& o, std::string_view name) {
    static constexpr ValueOption kOptions[] = {
        {"--data", &ExportOptions::dataFolder}, {"--nklassen", &ExportOptions::nutrientFile},
        {"--crops", &ExportOptions::cropsFile}, {"--n-csv", &ExportOptions::nCsv},
        {"--p-csv", &ExportOptions::pCsv},      {"--n-pdf", &ExportOptions::nPdf},
        {"--p-pdf", &ExportOptions::pPdf},
    };
    for (const ValueOption& option : kOptions)
        if (option.name == name) return &(o.*option.value);
    return HeaderField(o, name);
}

// Absolute, with links and ".." resolved as far as the path exists.
fs::path Absolute(const fs::path& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    if (ec) return path.lexically_normal();
    fs::path full = fs::weakly_canonical(absolute, ec);
    return ec ? absolute.lexically_normal() : full.lexically_normal();
}

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

std::optional<std::string> CheckTarget(const fs::path& target) {
    std::error_code ec;
    const fs::file_status status = fs::status(target, ec);
    if (fs::is_directory(status))
        return "Die Ausgabedatei " + QuotedPath(target) + " ist ein Ordner.";
    if (fs::exists(status)) {
        // Opened for writing without changing it: a write-protected file stays so.
        std::fstream probe(target, std::ios::in | std::ios::out | std::ios::binary);
        if (!probe.is_open())
            return "Die Datei " + QuotedPath(target) +
                   " kann nicht geschrieben werden: " + LastReason();
    }
    return std::nullopt;
}

}  // namespace

// --- Options ---------------------------------------------------------------

ParsedExportArgs ParseExportArgs(std::span<const std::string> args) {
    ParsedExportArgs result;
    ExportOptions options;
    std::vector<std::string_view> seen;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string_view name =
            std::string_view(arg).substr(0, arg.starts_with("--") ? equals : std::string::npos);
        std::string* field = OptionField(options, name);
        if (!field) {
            result.error = arg.starts_with("-") ? "Unbekannte Option " + Quoted(arg) + "."
                                                : "Unerwartetes Argument " + Quoted(arg) + ".";
            return result;
        }
        if (std::find(seen.begin(), seen.end(), name) != seen.end()) {
            result.error = "Die Option " + std::string(name) + " ist mehrfach angegeben.";
            return result;
        }
        seen.push_back(name);
        if (equals != std::string::npos) {
            *field = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            *field = args[++i];
        } else {
            result.error = "Die Option " + std::string(name) + " erwartet einen Wert.";
            return result;
        }
        // Files and folders need a name; the header texts may be empty.
        if (field->empty() && !HeaderField(options, name)) {
            result.error = "Die Option " + std::string(name) + " erwartet einen Wert.";
            return result;
        }
    }
    if (!options.help) {
        if (options.dataFolder.empty()) {
            result.error = "Die Option --data fehlt.";
            return result;
        }
        std::vector<fs::path> outputs;
        for (const std::string* out :
             {&options.nCsv, &options.pCsv, &options.nPdf, &options.pPdf}) {
            if (out->empty()) continue;
            const fs::path path = Absolute(PathFromUtf8(*out));
            if (std::find(outputs.begin(), outputs.end(), path) != outputs.end()) {
                result.error = "Die Ausgabedatei " + Quoted(*out) + " ist mehrfach angegeben.";
                return result;
            }
            outputs.push_back(path);
        }
    }
    result.options = std::move(options);
    return result;
}

std::string ExportUsage() {
    return "Aufruf: kv4-export --data ORDNER [OPTIONEN]\n"
           "Baut die N- und P2O5-Arbeitsbl\xC3\xA4tter eines Kornavis-4-Datenordners wie das "
           "Programmfenster und schreibt sie als CSV- und PDF-Dateien.\n"
           "  --data ORDNER       Datenordner (wird nur gelesen, nie ver\xC3\xA4ndert)\n"
           "  --nklassen DATEI    N\xC3\xA4hrstoffklassentabelle (Vorgabe: NKlassen.dat im "
           "aktuellen Ordner)\n"
           "  --crops DATEI       Fruchtzuordnung, UTF-8, je Zeile "
           "\"Betriebsfrucht;Standardfrucht\"\n"
           "  --n-csv DATEI       N-Arbeitsblatt als CSV\n"
           "  --p-csv DATEI       P2O5-Arbeitsblatt als CSV\n"
           "  --n-pdf DATEI       N-Bericht als PDF\n"
           "  --p-pdf DATEI       P2O5-Bericht als PDF\n"
           "  --farm NAME         Betriebsname im Berichtskopf\n"
           "  --farm-no NUMMER    Betriebsnummer im Berichtskopf\n"
           "  --date TEXT         Datum im Berichtskopf\n"
           "  --help              diese Hilfe\n"
           "Ohne --crops wird nicht neu berechnet. Exit-Status: 0 fertig, 1 Fehler, "
           "2 Fehler in der Fruchtdatei, 3 Fehler bei der Neuberechnung (Dateien geschrieben).\n";
}

// --- Crops file --------------------------------------------------------------

ParsedCrops ParseCropsText(std::string_view text) {
    ParsedCrops result;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a BOM from Windows editors
    int lineNo = 0;
    while (!text.empty()) {
        ++lineNo;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);

        const std::string where = "Zeile " + std::to_string(lineNo) + ": ";
        if (!IsValidUtf8(line)) {
            result.error = where + "kein g\xC3\xBCltiger UTF-8-Text.";
            return result;
        }
        if (IsBlankLine(line)) continue;
        const std::size_t firstChar = line.find_first_not_of(" \t");
        if (line[firstChar] == '#') continue;
        const std::size_t semicolon = line.rfind(';');
        if (semicolon == std::string_view::npos) {
            result.error = where + "erwartet \"Betriebsfrucht;Standardfrucht\", gefunden " +
                           Quoted(line) + ".";
            return result;
        }
        const std::string_view standard = line.substr(semicolon + 1);
        const int crop = CropPosition(standard);
        if (crop < 0) {
            result.error = where + Quoted(standard) +
                           " ist keine Frucht der Standardtabelle. Die Standardfr\xC3\xBC"
                           "chte: " +
                           CropNameList();
            return result;
        }
        result.assignments.push_back({lineNo, std::string(line.substr(0, semicolon)), crop});
    }
    return result;
}

std::vector<CropAssignment> ApplyCropAssignments(Worksheet& n, Worksheet& p,
                                                 std::span<const CropAssignment> assignments,
                                                 char decimalSeparator) {
    std::vector<CropAssignment> unmatched;
    for (const CropAssignment& a : assignments) {
        int row = -1;
        // The field rows; the trailing row belongs to no field.
        for (int r = 1; r < n.RowCount() - 1 && row < 0; ++r)
            if (n.Cells(ncol::Frucht, r) == a.farmCrop) row = r;
        if (row < 0) {
            unmatched.push_back(a);
            continue;
        }
        ApplyCropChoice(n, p, row, a.crop, decimalSeparator);
        PropagateCropChoice(n, p, row, a.crop);
    }
    return unmatched;
}

// --- Worksheets ----------------------------------------------------------------

std::optional<ExportFailure> CheckDataFolder(const std::string& dataFolder) {
    const fs::path dir = PathFromUtf8(dataFolder);
    std::error_code ec;
    const fs::file_status status = fs::status(dir, ec);
    if (dataFolder.empty() || !fs::exists(status))
        return ExportFailure{ExportStatus::Failed,
                             "Der Datenordner " + Quoted(dataFolder) + " ist nicht vorhanden."};
    if (!fs::is_directory(status))
        return ExportFailure{ExportStatus::Failed, Quoted(dataFolder) + " ist kein Ordner."};
    // The register treats unopenable files as missing; a folder that cannot
    // be listed would look like a farm without fields.
    fs::directory_iterator list(dir, ec);
    if (ec)
        return ExportFailure{ExportStatus::Failed,
                             "Der Datenordner " + Quoted(dataFolder) +
                                 " kann nicht gelesen werden: " + ec.message()};
    return std::nullopt;
}

std::optional<ExportFailure> LoadExportWorksheets(const std::string& dataFolder,
                                                  const NutrientClasses& classes,
                                                  char decimalSeparator, ExportWorksheets& out) {
    if (auto failure = CheckDataFolder(dataFolder)) return failure;
    FarmData farm;
    out.readErrors = LoadFarmYears(farm, WithBackslash(dataFolder));
    if (!farm.HasFields2018())
        return ExportFailure{ExportStatus::Failed, std::string(kNoFields2018Message)};
    FillWorksheets(farm, classes, out.n, out.p, decimalSeparator);
    return std::nullopt;
}

// --- Output ------------------------------------------------------------------

std::string WorksheetCsv(const Worksheet& sheet) {
    std::string csv;
    for (int r = 0; r < sheet.RowCount(); ++r) {
        for (int c = 0; c < sheet.ColCount(); ++c) {
            if (c > 0) csv += ';';
            const std::string& cell = sheet.Cells(c, r);
            if (cell.find_first_of(";\"\r\n") == std::string::npos) {
                csv += cell;
                continue;
            }
            csv += '"';
            for (char ch : cell) {
                if (ch == '"') csv += '"';
                csv += ch;
            }
            csv += '"';
        }
        csv += "\r\n";
    }
    return csv;
}

bool PathIsInside(const fs::path& file, const fs::path& folder) {
    const fs::path f = Absolute(file);
    const fs::path d = Absolute(folder);
    auto fi = f.begin();
    for (auto di = d.begin(); di != d.end(); ++di, ++fi) {
        if (di->empty()) continue;  // the trailing separator of "Daten/"
        if (fi == f.end() || *fi != *di) return false;
    }
    return true;
}

std::optional<std::string> WriteOutputs(std::span<const OutputJob> jobs) {
    struct Pending {
        fs::path temp;
        fs::path target;
    };
    std::vector<Pending> pending;
    const auto removeTemps = [&pending] {
        std::error_code ignored;
        for (const Pending& p : pending) fs::remove(p.temp, ignored);
    };

    for (const OutputJob& job : jobs) {
        if (auto problem = CheckTarget(job.target)) {
            removeTemps();
            return problem;
        }
        const std::optional<fs::path> temp = FreeTempName(job.target);
        // Created here, so the writer never gets a name it could not use.
        std::ofstream create;
        if (temp) create.open(*temp, std::ios::binary | std::ios::trunc);
        if (!temp || !create.is_open()) {
            const std::string reason = LastReason();
            removeTemps();
            return "Die Datei " + QuotedPath(job.target) +
                   " kann nicht geschrieben werden: " + reason;
        }
        create.close();
        pending.push_back({*temp, job.target});
        std::string error;
        if (!job.write(*temp, error)) {
            removeTemps();
            return "Die Datei " + QuotedPath(job.target) + " kann nicht geschrieben werden" +
                   (error.empty() ? std::string(".") : ": " + error);
        }
    }
    for (std::size_t i = 0; i < pending.size(); ++i) {
        std::error_code ec;
        fs::rename(pending[i].temp, pending[i].target, ec);
        if (ec) {
            pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(i));
            removeTemps();
            return "Die Datei " + QuotedPath(pending.front().target) +
                   " kann nicht geschrieben werden: " + ec.message();
        }
    }
    return std::nullopt;
}

// --- The whole run -------------------------------------------------------------

ExportStatus RunExport(const ExportOptions& options, char decimalSeparator,
                       const PdfWriter& writePdf, std::ostream& err) {
    const auto fail = [&err](ExportStatus status, const std::string& message) {
        err << "kv4-export: " << message << '\n';
        return status;
    };
    const auto warn = [&err](const std::string& message) {
        err << "kv4-export: Warnung: " << message << '\n';
    };

    // The crops file first: a fault in it ends the run before anything is read.
    std::vector<CropAssignment> assignments;
    if (!options.cropsFile.empty()) {
        const FileContent content =
            ReadFileBytes(PathFromUtf8(options.cropsFile), kMaxInputFileBytes);
        if (content.status != FileContent::Status::Ok)
            return fail(ExportStatus::Failed, "Die Fruchtdatei " + Quoted(options.cropsFile) +
                                                  " kann nicht gelesen werden.");
        ParsedCrops parsed = ParseCropsText(
            {reinterpret_cast<const char*>(content.bytes.data()), content.bytes.size()});
        if (!parsed.error.empty())
            return fail(ExportStatus::BadCrops,
                        "Fruchtdatei " + Quoted(options.cropsFile) + ", " + parsed.error);
        assignments = std::move(parsed.assignments);
    }

    // Nothing is ever written into the farm's data.
    for (const std::string* out : {&options.nCsv, &options.pCsv, &options.nPdf, &options.pPdf}) {
        if (!out->empty() && PathIsInside(PathFromUtf8(*out), PathFromUtf8(options.dataFolder)))
            return fail(ExportStatus::Failed, "Die Ausgabedatei " + Quoted(*out) +
                                                  " liegt im Datenordner; dorthin wird nichts "
                                                  "geschrieben.");
    }

    if (auto failure = CheckDataFolder(options.dataFolder))
        return fail(failure->status, failure->message);

    NutrientClasses classes;
    if (options.nutrientFile.empty()) {
        if (!FindDataFile({}, "NKlassen.dat"))
            warn(
                "keine N\xC3\xA4hrstoffklassentabelle NKlassen.dat im aktuellen Ordner; die "
                "Spalte Klasse bleibt leer.");
        classes.LoadNutrientClasses();
    } else {
        const fs::path file = PathFromUtf8(options.nutrientFile);
        std::error_code ec;
        const bool regular = fs::is_regular_file(file, ec);
        const FileContent content =
            regular ? ReadFileBytes(file, kMaxInputFileBytes) : FileContent{};
        if (content.status == FileContent::Status::NotOpenable)
            return fail(ExportStatus::Failed, "Die N\xC3\xA4hrstoffklassentabelle " +
                                                  Quoted(options.nutrientFile) +
                                                  " kann nicht gelesen werden.");
        if (content.status == FileContent::Status::ReadError)
            warn("Fehler beim Lesen der Datei " + options.nutrientFile +
                 "; die Tabelle endet beim letzten gelesenen Satz.");
        classes.LoadFromBytes(content.bytes);
    }

    ExportWorksheets sheets;
    const std::optional<ExportFailure> failure =
        LoadExportWorksheets(options.dataFolder, classes, decimalSeparator, sheets);
    for (const std::string& error : sheets.readErrors) warn(error);
    if (failure) return fail(failure->status, failure->message);

    ExportStatus status = ExportStatus::Ok;
    if (!options.cropsFile.empty()) {
        for (const CropAssignment& a :
             ApplyCropAssignments(sheets.n, sheets.p, assignments, decimalSeparator))
            warn("Fruchtdatei " + Quoted(options.cropsFile) + ", Zeile " + std::to_string(a.line) +
                 ": kein Schlag mit der Frucht " + Quoted(a.farmCrop) + ".");
        try {
            RecalcWorksheets(sheets.n, sheets.p, decimalSeparator);
        } catch (const ConversionError& e) {
            // The files still show what was computed up to the failing cell.
            err << "kv4-export: Fehler bei der Neuberechnung: " << WithFullStop(e.what()) << '\n';
            status = ExportStatus::ConversionFailed;
        }
    }

    std::vector<OutputJob> jobs;
    const auto csvJob = [&jobs](const std::string& target, const Worksheet& sheet) {
        if (target.empty()) return;
        jobs.push_back({PathFromUtf8(target), [&sheet](const fs::path& file, std::string& error) {
                            const std::string csv = WorksheetCsv(sheet);
                            std::ofstream out(file, std::ios::binary | std::ios::trunc);
                            out.write(csv.data(), static_cast<std::streamsize>(csv.size()));
                            out.close();
                            if (!out) error = LastReason();
                            return bool(out);
                        }});
    };
    const auto pdfJob = [&](const std::string& target, const Worksheet& sheet, ReportKind kind) {
        if (target.empty()) return;
        jobs.push_back({PathFromUtf8(target), [&, kind](const fs::path& file, std::string&) {
                            return writePdf(file, sheet, kind, options.header);
                        }});
    };
    csvJob(options.nCsv, sheets.n);
    csvJob(options.pCsv, sheets.p);
    pdfJob(options.nPdf, sheets.n, ReportKind::N);
    pdfJob(options.pPdf, sheets.p, ReportKind::P2O5);
    if (auto problem = WriteOutputs(jobs)) return fail(ExportStatus::Failed, *problem);
    return status;
}

}  // namespace kv4
