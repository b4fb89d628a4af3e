#include "export/WorksheetCsv.h"

namespace kv4 {

namespace {

void AppendCell(std::string& csv, const std::string& cell) {
    if (cell.find_first_of(";\"\r\n") == std::string::npos) {
        csv += cell;
        return;
    }
    csv += '"';
    for (char ch : cell) {
        if (ch == '"') csv += '"';
        csv += ch;
    }
    csv += '"';
}

}  // namespace

std::string WorksheetCsv(const Worksheet& sheet) {
    std::string csv;
    for (int r = 0; r < sheet.RowCount(); ++r) {
        for (int c = 0; c < sheet.ColCount(); ++c) {
            if (c > 0) csv += ';';
            AppendCell(csv, sheet.Cells(c, r));
        }
        csv += "\r\n";
    }
    return csv;
}

OutputWriter CsvOutput(const Worksheet& sheet) {
    return [&sheet](const std::filesystem::path& file, std::string& error) {
        return WriteTextFile(file, WorksheetCsv(sheet), error);
    };
}

}  // namespace kv4
