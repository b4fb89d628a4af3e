#pragma once
// A worksheet as CSV text.
#include <string>

#include "export/OutputFiles.h"
#include "worksheets/Worksheet.h"

namespace kv4 {

// The worksheet as CSV: every row from the heading row to the trailing row,
// every column, each cell's text as it stands; ';' between cells, CRLF after
// each row, and a cell holding ';', '"', CR or LF quoted with '"' (inner
// quotes doubled).
std::string WorksheetCsv(const Worksheet& sheet);

// Writes the CSV of `sheet` as it stands when the output is written.
OutputWriter CsvOutput(const Worksheet& sheet);

}  // namespace kv4
