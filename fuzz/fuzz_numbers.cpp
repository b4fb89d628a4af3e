// Cell texts through the integer conversion and through the P2O5 step of the
// recalculation, which reads decimals: part 0 is converted as a whole, parts
// 1 to 4 are the yield expectation, the residue mark and the two removal
// factors of a P2O5 row, parts 5 and up the cells of an N row. The tag of
// part 0 is the decimal separator.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/FuzzInput.h"
#include "worksheets/NumberFormat.h"
#include "worksheets/Recalc.h"
#include "worksheets/Worksheet.h"

using kv4fuzz::Check;
using kv4fuzz::PartText;

namespace {

bool IsIntegerText(const std::string& text) {
    if (text.empty()) return false;
    std::size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size()) return false;
    for (; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = kv4fuzz::SplitParts(data, size);
    const char separator = parts.empty() ? ',' : static_cast<char>(parts[0].tag);

    // Integer conversion: a value survives the way back; anything else is the
    // conversion error with the text in its message.
    const std::string text = PartText(parts, 0);
    try {
        const std::int32_t value = kv4::CellToInt(text);
        Check(kv4::StrToInt(std::to_string(value)) == value);
        Check(!text.empty() || value == 0);
    } catch (const kv4::ConversionError& e) {
        Check(!text.empty());
        Check(e.text() == text);
        // what() is a C string: a text with a NUL in it ends there.
        if (text.find('\0') == std::string::npos)
            Check(std::string(e.what()) == "'" + text + "' ist kein gültiger Integerwert");
    }

    // Decimals: what is read is finite and comes back from its own text:
    // the two decimals shown lie within 0.005 of the value, and reading
    // them back adds at most half a step of the doubles there (0.00006 near
    // 10^12).
    if (const auto value = kv4::ParseDecimal(text, separator)) {
        Check(std::isfinite(*value));
        if ((separator == ',' || separator == '.') && std::fabs(*value) < 1e12) {
            const std::string shown = kv4::FormatFixed(*value, 5, 2, separator);
            const auto back = kv4::ParseDecimal(shown, separator);
            Check(back.has_value());
            const double step = std::nextafter(std::fabs(*value), HUGE_VAL) - std::fabs(*value);
            Check(std::fabs(*back - *value) <= 0.005 + step);
        }
    }

    kv4::Worksheet n = kv4::MakeNWorksheet();
    kv4::Worksheet p = kv4::MakePWorksheet();
    n.SetRowCount(3);
    p.SetRowCount(3);
    p.SetCell(kv4::pcol::Ertragserwartung, 1, PartText(parts, 1));
    p.SetCell(kv4::pcol::Erntereste, 1, PartText(parts, 2));
    p.SetCell(kv4::pcol::Factor, 1, PartText(parts, 3));
    p.SetCell(kv4::pcol::FactorResidues, 1, PartText(parts, 4));
    const std::string removal = kv4::P2O5Removal(p, 1, separator);
    Check(removal == "Error" || IsIntegerText(removal));

    const int nColumns[] = {kv4::ncol::Ertragserwartung,
                            kv4::ncol::BasisErtrag,
                            kv4::ncol::YieldStep,
                            kv4::ncol::SurchargeRate,
                            kv4::ncol::DeductionRate,
                            kv4::ncol::NSollwert,
                            kv4::ncol::NMin,
                            kv4::ncol::Humus,
                            kv4::ncol::OrgVorjahr,
                            kv4::ncol::Vorfrucht};
    for (std::size_t k = 0; k < std::size(nColumns); ++k) {
        n.SetCell(nColumns[k], 1, PartText(parts, 5 + k));
        n.SetCell(nColumns[k], 2, PartText(parts, 5 + k));
    }
    try {
        kv4::RecalcWorksheets(n, p, separator);
        Check(p.Cells(kv4::pcol::Entzug, 1) == removal);
        Check(IsIntegerText(kv4::Trim(n.Cells(kv4::ncol::NBedarf, 1))));
    } catch (const kv4::ConversionError&) {
    }
    return 0;
}
