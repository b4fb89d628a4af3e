#pragma once
// The export tool's run: the worksheets of a data folder built exactly as
// the window builds them, then written as the options ask. The PDF renderer
// is handed in by the front end, which owns the toolkit.
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "data/FileAccess.h"
#include "export/ExportOptions.h"
#include "worksheets/ReportLayout.h"
#include "worksheets/Worksheet.h"
#include "worksheets/YieldSources.h"

namespace kv4 {

class NutrientClasses;

// Exit status of the export tool.
enum class ExportStatus : int {
    Ok = 0,
    Failed = 1,            // options, data folder, input or output files
    BadCrops = 2,          // a line of the crops file names no standard crop
    ConversionFailed = 3,  // the recalculation stopped; the files are written
};

struct ExportWorksheets {
    Worksheet n = MakeNWorksheet();
    Worksheet p = MakePWorksheet();
    std::vector<YieldSource> yields;  // where each listed row's expectation comes from
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

// The PDF renderer of the front end: the report of `sheet` into `file`.
using PdfWriter = std::function<bool(const std::filesystem::path& file, const Worksheet& sheet,
                                     ReportKind kind, const ReportHeader& header)>;

// Reads the crops file, loads and fills the worksheets, applies the crops
// and recalculates, then writes the requested files. Messages and warnings
// go to `err`, in German.
ExportStatus RunExport(const ExportOptions& options, char decimalSeparator,
                       const PdfWriter& writePdf, std::ostream& err);

}  // namespace kv4
