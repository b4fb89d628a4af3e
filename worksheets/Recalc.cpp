#include "worksheets/Recalc.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

#include "worksheets/NumberFormat.h"

namespace kv4 {

namespace {

constexpr double kInt64Limit = 9223372036854775808.0;  // 2^63

// A whole number held in a double as plain decimal text; nullopt when it
// does not fit a 64-bit integer.
std::optional<std::string> Int64Text(double whole) {
    if (!(whole >= -kInt64Limit && whole < kInt64Limit)) return std::nullopt;
    return std::to_string(static_cast<std::int64_t>(whole));
}

// Zu-/Abschlag and N-Bedarf of row r. The cells are read in a fixed order
// (yield expectation, base yield, step, the one rate that applies, then the
// sum), which decides whose conversion error is reported and whether the
// adjustment was already rewritten when the error came.
// CellToInt of cell (col, r), whose error names the cell.
std::int32_t ReadInt(const Worksheet& n, int col, int r) {
    try {
        return CellToInt(n.Cells(col, r));
    } catch (const ConversionError& error) {
        throw CellConversionError(error, col, r, CellPlace(n, col, r));
    }
}

void NStep(Worksheet& n, int r) {
    const std::int64_t expectation = ReadInt(n, ncol::Ertragserwartung, r);
    const std::int64_t difference = expectation - ReadInt(n, ncol::BasisErtrag, r);
    const std::int32_t step = ReadInt(n, ncol::YieldStep, r);

    std::string adjustment = "0";
    if (step > 0) {
        const int rateCol = difference >= 0 ? ncol::SurchargeRate : ncol::DeductionRate;
        const std::int32_t rate = ReadInt(n, rateCol, r);
        const double quotient = static_cast<double>(difference) / step;  // whole steps not cut
        const double rounded = RoundHalfEven(quotient * rate);
        // With 32-bit cells the product stays below 2^63 in magnitude; a value
        // beyond the 32-bit range is written in full and then fails the read
        // back below, so it is reported instead of being wrapped.
        auto text = Int64Text(rounded);
        adjustment = text ? std::move(*text) : FormatFixed(rounded, 0, 0, '.');
    }
    n.SetCell(ncol::ZuAbschlag, r, std::move(adjustment));

    // Six 32-bit values: summed in 64 bits, the total is always exact.
    std::int64_t requirement = 0;
    for (int col : {ncol::NSollwert, ncol::ZuAbschlag, ncol::NMin, ncol::Humus, ncol::OrgVorjahr,
                    ncol::Vorfrucht})
        requirement += ReadInt(n, col, r);
    n.SetCell(ncol::NBedarf, r, FormatInt(requirement, 5));
}

}  // namespace

bool ResidueMarkSet(const Worksheet& p, int row) {
    // Not empty after trimming blanks and control characters.
    const std::string& mark = p.Cells(pcol::Erntereste, row);
    return std::any_of(mark.begin(), mark.end(),
                       [](char c) { return static_cast<unsigned char>(c) > 0x20; });
}

std::string P2O5Removal(const Worksheet& p, int row, char decimalSeparator) {
    static const std::string kError = "Error";
    const std::string& factor =
        p.Cells(ResidueMarkSet(p, row) ? pcol::FactorResidues : pcol::Factor, row);
    const auto yield = ParseDecimal(p.Cells(pcol::Ertragserwartung, row), decimalSeparator);
    if (!yield) return kError;
    // The leading "0" lets an empty factor count as 0 and makes a negative
    // one unreadable.
    const auto perDt = ParseDecimal("0" + factor, decimalSeparator);
    if (!perDt) return kError;
    return Int64Text(RoundHalfEven(*yield * *perDt)).value_or(kError);
}

void RecalcWorksheets(Worksheet& n, Worksheet& p, char decimalSeparator) {
    for (int r = 1; r < n.RowCount(); ++r) {
        NStep(n, r);
        p.SetCell(pcol::Entzug, r, P2O5Removal(p, r, decimalSeparator));
    }
}

std::optional<CellConversionError> FindRecalcStop(const Worksheet& n, const Worksheet& p,
                                                  char decimalSeparator) {
    Worksheet nCopy = n;
    Worksheet pCopy = p;
    try {
        RecalcWorksheets(nCopy, pCopy, decimalSeparator);
    } catch (const CellConversionError& error) {
        return error;
    }
    return std::nullopt;
}

}  // namespace kv4
