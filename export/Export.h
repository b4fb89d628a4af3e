#pragma once
// The export tool without its window toolkit: the command line, the crops
// file, the worksheets of a data folder built exactly as the window builds
// them, CSV text, and output files that appear complete or not at all. The
// PDF renderer is handed in by the front end, which owns the toolkit.
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/FileAccess.h"
#include "worksheets/ReportLayout.h"
#include "worksheets/Worksheet.h"

namespace kv4 {

class NutrientClasses;

// Exit status of the export tool.
enum class ExportStatus : int {
    Ok = 0,
    Failed = 1,            // options, data folder, input or output files
    BadCrops = 2,          // a line of the crops file names no standard crop
    ConversionFailed = 3,  // the recalculation stopped; the files are written
};

struct ExportOptions {
    std::string dataFolder;              // UTF-8, as given
    std::string nutrientFile;            // empty: NKlassen.dat in the current folder
    std::string cropsFile;               // empty: no crops, no recalculation
    std::string nCsv, pCsv, nPdf, pPdf;  // empty: not written
    ReportHeader header;
    bool help = false;
};

// `args` without the program name. Accepts "--name VALUE" and "--name=VALUE".
// On error, `error` holds the German message and `options` is empty.
struct ParsedExportArgs {
    std::optional<ExportOptions> options;
    std::string error;
};
ParsedExportArgs ParseExportArgs(std::span<const std::string> args);

// The text of --help: one line per option.
std::string ExportUsage();

// --- Crops file ----------------------------------------------------------

// One line "farm crop;standard crop": `crop` is the position of the standard
// crop in the crop table.
struct CropAssignment {
    int line = 0;
    std::string farmCrop;
    int crop = -1;

    bool operator==(const CropAssignment&) const = default;
};

struct ParsedCrops {
    std::vector<CropAssignment> assignments;
    std::string error;  // names the line; empty when the text is sound
};

// UTF-8 text, one assignment a line; blank lines and lines starting with '#'
// are skipped. The line is split at its last ';' (the standard crop names
// hold none, a farm's own crop name might), and both parts are taken as they
// stand: the farm crop must match a `Frucht` text exactly, the standard crop
// one of the crop table's names.
ParsedCrops ParseCropsText(std::string_view text);

// For each assignment in order: the first field row whose `Frucht` equals the
// farm crop gets the standard crop as if picked in the crop list and carried
// to its crop with "&Ja". Returns the assignments that no row matched.
std::vector<CropAssignment> ApplyCropAssignments(Worksheet& n, Worksheet& p,
                                                 std::span<const CropAssignment> assignments,
                                                 char decimalSeparator);

// --- Worksheets ----------------------------------------------------------

struct ExportWorksheets {
    Worksheet n = MakeNWorksheet();
    Worksheet p = MakePWorksheet();
    // The read errors of the farm's files; the run goes on with what was read.
    ReadErrors readErrors;
};

struct ExportFailure {
    ExportStatus status = ExportStatus::Failed;
    std::string message;
};

// Fails when the data folder is missing, no folder, or cannot be listed.
std::optional<ExportFailure> CheckDataFolder(const std::string& dataFolder);

// The steps of the window's start after the folder dialog, without touching
// the folder: the four years, then the fill of both worksheets. Fails when the
// folder is missing or unreadable or holds no fields for 2018.
std::optional<ExportFailure> LoadExportWorksheets(const std::string& dataFolder,
                                                  const NutrientClasses& classes,
                                                  char decimalSeparator, ExportWorksheets& out);

// --- Output --------------------------------------------------------------

// The worksheet as CSV: every row from the heading row to the trailing row,
// every column, each cell's text as it stands; ';' between cells, CRLF after
// each row, and a cell holding ';', '"', CR or LF quoted with '"' (inner
// quotes doubled).
std::string WorksheetCsv(const Worksheet& sheet);

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

// Whether `file` would lie in `folder` or below it (paths need not exist).
bool PathIsInside(const std::filesystem::path& file, const std::filesystem::path& folder);

// --- The whole run -------------------------------------------------------

// The PDF renderer of the front end: the report of `sheet` into `file`.
using PdfWriter = std::function<bool(const std::filesystem::path& file, const Worksheet& sheet,
                                     ReportKind kind, const ReportHeader& header)>;

// Reads the crops file, loads and fills the worksheets, applies the crops
// and recalculates, then writes the requested files. Messages and warnings
// go to `err`, in German.
ExportStatus RunExport(const ExportOptions& options, char decimalSeparator,
                       const PdfWriter& writePdf, std::ostream& err);

}  // namespace kv4
