#pragma once
// The edits the user makes on the two worksheets, as changes of cell texts.
// The window moves its editors and passes texts in and out; every cell it
// changes goes through these functions. None of them recalculates: the
// caller runs RecalcWorksheets where the edit calls for it.
//
// Rows outside 1 .. RowCount() - 1 (the heading row included) are left alone.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "reference/NutrientClasses.h"
#include "worksheets/Worksheet.h"

namespace kv4 {

// Rows of the same crop as `row`: every other data row whose `Frucht` text is
// exactly that of `row` (whole text, case-sensitive), ascending.
std::vector<int> RowsOfSameCrop(const Worksheet& n, int row);

// --- N worksheet --------------------------------------------------------

// The character filter of the number editors: keeps the digits 0 to 9 and
// minus signs, wherever they stand; everything else goes (a character of
// several UTF-8 bytes goes as a whole).
std::string KeepDigitsAndMinus(std::string_view text);

// The N cell editor's text after filtering for column `col` (the crop name,
// ncol::Frucht, is not filtered).
std::string FilterNEditorText(int col, std::string_view text);

// Stores the N cell editor's text in cell (col, row):
//   BasisErtrag, NSollwert     the text, also into every row of the same crop;
//   Ertragserwartung           the text, also into the P2O5 worksheet's yield
//                              expectation;
//   NMin, OrgVorjahr, Vorfrucht
//                              the text, made negative when it is a positive
//                              integer; a text that is not an integer stays in
//                              the cell and ConversionError is thrown;
//   others                     nothing (the crop name is the key of the rows
//                              of the same crop and is not edited here).
void WriteBackNCell(Worksheet& n, Worksheet& p, int col, int row, const std::string& text);

// The three values of the rates panel: yield step, surcharge and deduction
// rate (ncol::YieldStep to ncol::DeductionRate).
struct PanelTexts {
    std::string YieldStep;
    std::string SurchargeRate;
    std::string DeductionRate;

    bool operator==(const PanelTexts&) const = default;
};

// What the panel shows for a row.
PanelTexts PanelTextsOfRow(const Worksheet& n, int row);

// "Übernehmen": the panel texts into the rate columns of `row` and of every
// row of the same crop, unchecked.
void StoreYieldStepAndRates(Worksheet& n, int row, const PanelTexts& panel);

// --- Crop choice ---------------------------------------------------------

// A crop chosen from the list at table position `crop`: base yield, N target,
// yield step and the fixed rates into the N row, the two removal factors
// (general format with `decimalSeparator`) into the P2O5 row. Returns what
// the panel shows now; nullopt, with nothing changed, when no crop is chosen
// (a position outside the table).
std::optional<PanelTexts> ApplyCropChoice(Worksheet& n, Worksheet& p, int row, int crop,
                                          char decimalSeparator);

// After "&Ja": carries the crop values of `row` to every row of the same crop
// whose base yield is empty after trimming; rows that have one stay as they
// are. Does nothing when no crop was chosen.
void PropagateCropChoice(Worksheet& n, Worksheet& p, int row, int crop);

// --- P2O5 worksheet ------------------------------------------------------

// Texts of the residue mark.
inline constexpr std::string_view kResidueMarkOn = "    X";
inline constexpr std::string_view kResidueMarkOff = "       ";

// A click on `Erntereste`: sets the mark when it is not set, clears it
// otherwise.
void ToggleResidueMark(Worksheet& p, int row);

// The P2O5 cell editor's text after filtering for column `col` (only the
// removal, pcol::Entzug, is filtered).
std::string FilterPEditorText(int col, std::string_view text);

// `Gehalt`: stores the text, then the content class of the row's soil type for
// it. A text that is not an integer (an empty one included) stays in the cell,
// the class keeps its letter and ConversionError is thrown.
void WriteBackContent(Worksheet& p, int row, const std::string& text,
                      const NutrientClasses& classes);

// `Entzug` typed by hand; the next recalculation replaces it.
void WriteBackRemoval(Worksheet& p, int row, const std::string& text);

// `Anmerkung`.
void WriteBackRemark(Worksheet& p, int row, const std::string& text);

// Stores the P2O5 cell editor's text: `Gehalt` or `Entzug` by column; other
// columns nothing.
void WriteBackPCell(Worksheet& p, int col, int row, const std::string& text,
                    const NutrientClasses& classes);

}  // namespace kv4
