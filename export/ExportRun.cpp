#include "export/ExportRun.h"

#include <ostream>
#include <system_error>
#include <utility>
#include <vector>

#include "data/FileAccess.h"
#include "data/Records.h"
#include "export/CropsFile.h"
#include "export/Messages.h"
#include "export/OutputFiles.h"
#include "export/WorksheetCsv.h"
#include "export/YieldsCsv.h"
#include "reference/NutrientClasses.h"
#include "worksheets/FarmDigest.h"
#include "worksheets/Fill.h"
#include "worksheets/NumberFormat.h"
#include "worksheets/Recalc.h"

namespace kv4 {

namespace fs = std::filesystem;

namespace {

// Input files are small texts and tables; a larger one is not what was meant.
constexpr std::uintmax_t kMaxInputFileBytes = std::uintmax_t(64) << 20;

// The run's messages on the error stream, each on a line of its own.
class ExportLog {
  public:
    explicit ExportLog(std::ostream& err) : err_(err) {}

    void Error(const std::string& message) const { err_ << "kv4-export: " << message << '\n'; }
    void Warn(const std::string& message) const {
        err_ << "kv4-export: Warnung: " << message << '\n';
    }
    ExportStatus Fail(const ExportFailure& failure) const {
        Error(failure.message);
        return failure.status;
    }

  private:
    std::ostream& err_;
};

ExportFailure Failed(std::string message) { return {ExportStatus::Failed, std::move(message)}; }

// The crops file first: a fault in it ends the run before anything is read.
std::optional<ExportFailure> ReadCropsFile(const std::string& cropsFile,
                                           std::vector<CropAssignment>& assignments) {
    const FileContent content = ReadFileBytes(PathFromUtf8(cropsFile), kMaxInputFileBytes);
    if (content.status != FileContent::Status::Ok)
        return Failed("Die Fruchtdatei " + Quoted(cropsFile) + " kann nicht gelesen werden.");
    ParsedCrops parsed =
        ParseCropsText({reinterpret_cast<const char*>(content.bytes.data()), content.bytes.size()});
    if (!parsed.error.empty())
        return ExportFailure{ExportStatus::BadCrops,
                             "Fruchtdatei " + Quoted(cropsFile) + ", " + parsed.error};
    assignments = std::move(parsed.assignments);
    return std::nullopt;
}

// Nothing is ever written into the farm's data.
std::optional<ExportFailure> CheckOutputsOutsideData(const ExportOptions& options) {
    for (const OutputOption& option : kOutputOptions) {
        const std::string& out = options.*option.file;
        if (!out.empty() && PathIsInside(PathFromUtf8(out), PathFromUtf8(options.dataFolder)))
            return Failed("Die Ausgabedatei " + Quoted(out) +
                          " liegt im Datenordner; dorthin wird nichts geschrieben.");
    }
    return std::nullopt;
}

std::optional<ExportFailure> LoadClasses(const std::string& nutrientFile, NutrientClasses& classes,
                                         const ExportLog& log) {
    if (nutrientFile.empty()) {
        if (!FindDataFile({}, "NKlassen.dat"))
            log.Warn(
                "keine N\xC3\xA4hrstoffklassentabelle NKlassen.dat im aktuellen Ordner; die "
                "Spalte Klasse bleibt leer.");
        classes.LoadNutrientClasses();
        return std::nullopt;
    }
    const fs::path file = PathFromUtf8(nutrientFile);
    std::error_code ec;
    const bool regular = fs::is_regular_file(file, ec);
    const FileContent content = regular ? ReadFileBytes(file, kMaxInputFileBytes) : FileContent{};
    if (content.status == FileContent::Status::NotOpenable)
        return Failed("Die N\xC3\xA4hrstoffklassentabelle " + Quoted(nutrientFile) +
                      " kann nicht gelesen werden.");
    if (content.status == FileContent::Status::ReadError)
        log.Warn(ReadErrorText(nutrientFile) + "; die Tabelle endet beim letzten gelesenen Satz.");
    classes.LoadFromBytes(content.bytes);
    return std::nullopt;
}

// The crop choices of the crops file, then one recalculation. A conversion
// error stops it; the files still show what was computed up to the failing
// cell.
ExportStatus ApplyCropsAndRecalc(const std::string& cropsFile,
                                 const std::vector<CropAssignment>& assignments,
                                 ExportWorksheets& sheets, char decimalSeparator,
                                 const ExportLog& log) {
    for (const CropAssignment& a :
         ApplyCropAssignments(sheets.n, sheets.p, assignments, decimalSeparator))
        log.Warn("Fruchtdatei " + Quoted(cropsFile) + ", Zeile " + std::to_string(a.line) +
                 ": kein Schlag mit der Frucht " + Quoted(a.farmCrop) + ".");
    try {
        RecalcWorksheets(sheets.n, sheets.p, decimalSeparator);
    } catch (const ConversionError& e) {
        log.Error("Fehler bei der Neuberechnung: " + WithFullStop(e.what()));
        return ExportStatus::ConversionFailed;
    }
    return ExportStatus::Ok;
}

// The output files the options name, in the order they are written. A new
// output is one more line here (and its option).
std::vector<OutputJob> OutputJobs(const ExportOptions& o, const ExportWorksheets& sheets,
                                  char decimalSeparator, const PdfWriter& writePdf) {
    const auto pdf = [&](const Worksheet& sheet, ReportKind kind) -> OutputWriter {
        return [&, kind](const fs::path& file, std::string&) {
            return writePdf(file, sheet, kind, o.header);
        };
    };
    const std::pair<const std::string&, OutputWriter> outputs[] = {
        {o.nCsv, CsvOutput(sheets.n)},
        {o.pCsv, CsvOutput(sheets.p)},
        {o.nPdf, pdf(sheets.n, ReportKind::N)},
        {o.pPdf, pdf(sheets.p, ReportKind::P2O5)},
        // The field, crop and expectation texts as the worksheet stands after the crop choice.
        {o.yieldsCsv,
         [&sheets, decimalSeparator](const fs::path& file, std::string& error) {
             return WriteTextFile(file, YieldsCsv(sheets.yields, sheets.n, decimalSeparator),
                                  error);
         }},
    };
    std::vector<OutputJob> jobs;
    for (const auto& [target, write] : outputs)
        if (!target.empty()) jobs.push_back({PathFromUtf8(target), write});
    return jobs;
}

}  // namespace

std::optional<ExportFailure> CheckDataFolder(const std::string& dataFolder) {
    const fs::path dir = PathFromUtf8(dataFolder);
    std::error_code ec;
    const fs::file_status status = fs::status(dir, ec);
    if (dataFolder.empty() || !fs::exists(status))
        return Failed("Der Datenordner " + Quoted(dataFolder) + " ist nicht vorhanden.");
    if (!fs::is_directory(status)) return Failed(Quoted(dataFolder) + " ist kein Ordner.");
    // The register treats unopenable files as missing; a folder that cannot
    // be listed would look like a farm without fields.
    fs::directory_iterator list(dir, ec);
    if (ec)
        return Failed("Der Datenordner " + Quoted(dataFolder) +
                      " kann nicht gelesen werden: " + ec.message());
    return std::nullopt;
}

std::optional<ExportFailure> LoadExportWorksheets(const std::string& dataFolder,
                                                  const NutrientClasses& classes,
                                                  char decimalSeparator, ExportWorksheets& out) {
    if (auto failure = CheckDataFolder(dataFolder)) return failure;
    FarmDigest farm;
    out.readErrors = LoadFarmYears(farm, WithTrailingSeparator(dataFolder));
    if (!farm.HasFields2018()) return Failed(std::string(kNoFields2018Message));
    YieldExpectation expectation = FillWorksheets(farm, classes, out.n, out.p, decimalSeparator);
    out.yields = ListYieldSources(expectation, out.n, decimalSeparator);
    return std::nullopt;
}

ExportStatus RunExport(const ExportOptions& options, char decimalSeparator,
                       const PdfWriter& writePdf, std::ostream& err) {
    const ExportLog log(err);
    std::vector<CropAssignment> assignments;
    if (!options.cropsFile.empty()) {
        if (auto failure = ReadCropsFile(options.cropsFile, assignments)) return log.Fail(*failure);
    }
    if (auto failure = CheckOutputsOutsideData(options)) return log.Fail(*failure);
    if (auto failure = CheckDataFolder(options.dataFolder)) return log.Fail(*failure);

    NutrientClasses classes;
    if (auto failure = LoadClasses(options.nutrientFile, classes, log)) return log.Fail(*failure);
    ExportWorksheets sheets;
    const std::optional<ExportFailure> failure =
        LoadExportWorksheets(options.dataFolder, classes, decimalSeparator, sheets);
    for (const std::string& error : sheets.readErrors) log.Warn(error);
    if (failure) return log.Fail(*failure);

    // Without a crops file the worksheets stay as the fill left them.
    const ExportStatus status =
        options.cropsFile.empty()
            ? ExportStatus::Ok
            : ApplyCropsAndRecalc(options.cropsFile, assignments, sheets, decimalSeparator, log);
    if (auto problem = WriteOutputs(OutputJobs(options, sheets, decimalSeparator, writePdf)))
        return log.Fail(Failed(*problem));
    return status;
}

}  // namespace kv4
