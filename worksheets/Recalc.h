#pragma once
// The recalculation pass of both worksheets: the surcharge or deduction and
// the N requirement of every N row, and the P2O5 removal of every P2O5 row.
// Everything it reads and writes is a cell text; it keeps no state.
#include <optional>
#include <string>

#include "worksheets/NumberFormat.h"
#include "worksheets/Worksheet.h"

namespace kv4 {

// Recomputes rows 1 to n.RowCount() - 1 of both worksheets, row by row: the N
// step of row r, then the P2O5 step of row r.
//
// A cell of the N step that is not an integer throws CellConversionError and ends
// the pass there: earlier rows keep their new values, later rows their old
// texts, and row r keeps a rewritten `Zu-/Abschlag` only if the failing cell
// was read after it was written. The P2O5 step never throws; a row it cannot
// compute gets "Error" as its removal.
//
// `decimalSeparator` is the one the removal factors were written with.
void RecalcWorksheets(Worksheet& n, Worksheet& p, char decimalSeparator);

// The cell that would stop a pass over the worksheets as they are now, or
// nullopt when a pass would run through. Changes nothing.
std::optional<CellConversionError> FindRecalcStop(const Worksheet& n, const Worksheet& p,
                                                  char decimalSeparator);

// The P2O5 removal of row `row` as the pass writes it: yield expectation
// times the removal factor that the residue mark selects, rounded half to
// even, or "Error".
std::string P2O5Removal(const Worksheet& p, int row, char decimalSeparator);

// The residue mark counts as set when the cell holds more than blanks.
bool ResidueMarkSet(const Worksheet& p, int row);

}  // namespace kv4
