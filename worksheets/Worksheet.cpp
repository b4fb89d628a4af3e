#include "worksheets/Worksheet.h"

#include <algorithm>
#include <string>

namespace kv4 {

const std::array<std::string_view, ncol::Count> NHeadings = {"Schlag",
                                                             "Frucht",
                                                             "ha",
                                                             "BasisErtrag",
                                                             "",
                                                             "Ertragserwartung",
                                                             "N-Sollwert",
                                                             "Zu-/Abschlag",
                                                             "N-Min",
                                                             "Humus",
                                                             "org-Vorjahr",
                                                             "Vorfrucht",
                                                             "N-Bedarf",
                                                             "",
                                                             "",
                                                             ""};
const std::array<int, ncol::Count> NWidths = {133, 142, 64, 59, 19, 64, 64, 64,
                                              64,  64,  64, 64, 64, 20, 20, 20};
const std::array<std::string_view, pcol::Count> PHeadings = {
    "Schlag",   "Frucht", "ha",     "Ertragserwartung", "Erntereste", "Gehalt",
    "Bodenart", "Klasse", "Entzug", "Anmerkung",        "",           ""};
const std::array<int, pcol::Count> PWidths = {133, 142, 64, 64, 64, 64, 64, 64, 64, 270, 0, 0};

Worksheet::Worksheet(int colCount, int rowCount)
    : colCount_(std::max(colCount, 0)), rowCount_(std::max(rowCount, 0)) {
    cells_.resize(static_cast<std::size_t>(colCount_) * static_cast<std::size_t>(rowCount_));
}

void Worksheet::SetRowCount(int rows) {
    rows = std::max(rows, 0);
    if (rows == rowCount_) return;
    cells_.resize(static_cast<std::size_t>(colCount_) * static_cast<std::size_t>(rows));
    rowCount_ = rows;
    ++revision_;
}

void Worksheet::Reserve(int rows) {
    const std::size_t cells =
        static_cast<std::size_t>(colCount_) * static_cast<std::size_t>(std::max(rows, 0));
    cells_.reserve(cells);
}

const std::string& Worksheet::Cells(int col, int row) const {
    static const std::string empty;
    if (col < 0 || col >= colCount_ || row < 0 || row >= rowCount_) return empty;
    return cells_[static_cast<std::size_t>(row) * colCount_ + col];
}

void Worksheet::SetCell(int col, int row, std::string text) {
    if (col < 0 || col >= colCount_ || row < 0 || row >= rowCount_) return;
    auto& cell = cells_[static_cast<std::size_t>(row) * colCount_ + col];
    if (cell == text) return;
    cell = std::move(text);
    ++revision_;
}

Worksheet MakeNWorksheet() {
    Worksheet w(ncol::Count, kNInitialRows);
    for (int c = 0; c < ncol::Count; ++c) w.SetCell(c, 0, std::string(NHeadings[c]));
    return w;
}

Worksheet MakePWorksheet() {
    Worksheet w(pcol::Count, kPInitialRows);
    for (int c = 0; c < pcol::Count; ++c) w.SetCell(c, 0, std::string(PHeadings[c]));
    return w;
}

std::string CellPlace(const Worksheet& sheet, int col, int row) {
    const auto trimmed = [](const std::string& text) {
        const auto first = text.find_first_not_of(' ');
        if (first == std::string::npos) return std::string();
        return text.substr(first, text.find_last_not_of(' ') - first + 1);
    };
    // Column 0 holds the field name in both worksheets.
    return "Schlag „" + trimmed(sheet.Cells(0, row)) + "“, Spalte „" +
           trimmed(sheet.Cells(col, 0)) + "“";
}

}  // namespace kv4
