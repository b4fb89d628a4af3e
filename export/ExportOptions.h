#pragma once
// The export tool's command line.
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "worksheets/ReportLayout.h"

namespace kv4 {

struct ExportOptions {
    std::string dataFolder;              // UTF-8, as given
    std::string nutrientFile;            // empty: NKlassen.dat in the current folder
    std::string cropsFile;               // empty: no crops, no recalculation
    std::string nCsv, pCsv, nPdf, pPdf;  // empty: not written
    std::string yieldsCsv;               // empty: not written
    ReportHeader header;
    bool help = false;
};

// An option naming an output file.
struct OutputOption {
    std::string_view name;
    std::string ExportOptions::*file;
};

// Every output file option, in the order the files are written.
inline constexpr OutputOption kOutputOptions[] = {
    {"--n-csv", &ExportOptions::nCsv},       {"--p-csv", &ExportOptions::pCsv},
    {"--n-pdf", &ExportOptions::nPdf},       {"--p-pdf", &ExportOptions::pPdf},
    {"--yields", &ExportOptions::yieldsCsv},
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

}  // namespace kv4
