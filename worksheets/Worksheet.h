#pragma once
// A worksheet as the window shows it: a table of cell texts (UTF-8). All
// calculations of the program work on these texts; the grids only display them.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "data/BlockAllocator.h"

namespace kv4 {

class Worksheet {
  public:
    Worksheet(int colCount, int rowCount);

    int ColCount() const { return colCount_; }
    int RowCount() const { return rowCount_; }
    // New rows are empty; removed rows are gone.
    void SetRowCount(int rows);
    // Room for `rows` rows, so that growing to them row by row moves nothing.
    void Reserve(int rows);

    // Out-of-range cells read as empty text and ignore writes.
    const std::string& Cells(int col, int row) const;
    void SetCell(int col, int row, std::string text);

    // Counts every change, so a view can tell whether it must repaint.
    unsigned long long Revision() const { return revision_; }

  private:
    int colCount_;
    int rowCount_;
    std::vector<std::string, BlockAllocator<std::string>> cells_;  // row-major
    unsigned long long revision_ = 0;
};

// Columns of the N worksheet.
namespace ncol {
inline constexpr int Schlag = 0, Frucht = 1, Ha = 2, BasisErtrag = 3, V = 4, Ertragserwartung = 5,
                     NSollwert = 6, ZuAbschlag = 7, NMin = 8, Humus = 9, OrgVorjahr = 10,
                     Vorfrucht = 11, NBedarf = 12, YieldStep = 13, SurchargeRate = 14,
                     DeductionRate = 15;
inline constexpr int Count = 16;
}  // namespace ncol

// Columns of the P2O5 worksheet.
namespace pcol {
inline constexpr int Schlag = 0, Frucht = 1, Ha = 2, Ertragserwartung = 3, Erntereste = 4,
                     Gehalt = 5, Bodenart = 6, Klasse = 7, Entzug = 8, Anmerkung = 9, Factor = 10,
                     FactorResidues = 11;
inline constexpr int Count = 12;
}  // namespace pcol

inline constexpr int kNInitialRows = 2;
inline constexpr int kPInitialRows = 5;

// Headings of row 0 (ncol::V and pcol::Factor, pcol::FactorResidues have
// none) and column widths in pixels after creation.
extern const std::array<std::string_view, ncol::Count> NHeadings;
extern const std::array<int, ncol::Count> NWidths;
extern const std::array<std::string_view, pcol::Count> PHeadings;
extern const std::array<int, pcol::Count> PWidths;

// The two worksheets as the window creates them: headings written.
Worksheet MakeNWorksheet();
Worksheet MakePWorksheet();

// The two worksheets of a farm: row r of both is the same field.
struct Worksheets {
    Worksheet n = MakeNWorksheet();
    Worksheet p = MakePWorksheet();
};

}  // namespace kv4
