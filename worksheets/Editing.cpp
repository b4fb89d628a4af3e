#include "worksheets/Editing.h"

#include "reference/CropTable.h"
#include "worksheets/NumberFormat.h"
#include "worksheets/Recalc.h"

namespace kv4 {

namespace {

bool IsDataRow(const Worksheet& w, int row) { return row >= 1 && row < w.RowCount(); }

bool IsCrop(int crop) { return crop >= 0 && crop < kCropCount; }

// The N cells a crop choice writes, as texts.
struct CropTexts {
    std::string BaseYield, NTarget, YieldStep;
};

CropTexts TextsOfCrop(int crop) {
    const CropReference& c = CropTable[static_cast<std::size_t>(crop)];
    return {std::to_string(c.BaseYield), std::to_string(c.NTarget), std::to_string(c.YieldStep)};
}

void WriteCropTexts(Worksheet& n, int row, const CropTexts& texts) {
    n.SetCell(ncol::BasisErtrag, row, texts.BaseYield);
    n.SetCell(ncol::NSollwert, row, texts.NTarget);
    n.SetCell(ncol::YieldStep, row, texts.YieldStep);
    n.SetCell(ncol::SurchargeRate, row, std::to_string(kSurchargeRate));
    n.SetCell(ncol::DeductionRate, row, std::to_string(kDeductionRate));
}

}  // namespace

std::vector<int> RowsOfSameCrop(const Worksheet& n, int row) {
    std::vector<int> rows;
    if (!IsDataRow(n, row)) return rows;
    const std::string& crop = n.Cells(ncol::Frucht, row);
    for (int r = 1; r < n.RowCount(); ++r)
        if (r != row && n.Cells(ncol::Frucht, r) == crop) rows.push_back(r);
    return rows;
}

std::string KeepDigitsAndMinus(std::string_view text) {
    // Every byte of a multi-byte UTF-8 character is above 0x7F, so dropping
    // bytes never leaves part of a character behind.
    std::string kept;
    kept.reserve(text.size());
    for (char c : text)
        if ((c >= '0' && c <= '9') || c == '-') kept.push_back(c);
    return kept;
}

std::string FilterNEditorText(int col, std::string_view text) {
    return col == ncol::Frucht ? std::string(text) : KeepDigitsAndMinus(text);
}

void WriteBackNCell(Worksheet& n, Worksheet& p, int col, int row, const std::string& text) {
    if (!IsDataRow(n, row)) return;
    switch (col) {
        case ncol::BasisErtrag:
        case ncol::NSollwert:
            n.SetCell(col, row, text);
            for (int r : RowsOfSameCrop(n, row)) n.SetCell(col, r, text);
            break;
        case ncol::Ertragserwartung:
            n.SetCell(col, row, text);
            p.SetCell(pcol::Ertragserwartung, row, text);
            break;
        case ncol::NMin:
        case ncol::OrgVorjahr:
        case ncol::Vorfrucht:
            // Corrections are held as negative numbers; a farmer types the
            // amount. The text is stored first, so a bad one stays visible
            // in the cell when the conversion throws.
            n.SetCell(col, row, text);
            if (CellToInt(text) > 0) n.SetCell(col, row, "-" + text);
            break;
        default:
            break;
    }
}

PanelTexts PanelTextsOfRow(const Worksheet& n, int row) {
    if (!IsDataRow(n, row)) return {};
    return {n.Cells(ncol::YieldStep, row), n.Cells(ncol::SurchargeRate, row),
            n.Cells(ncol::DeductionRate, row)};
}

void StoreYieldStepAndRates(Worksheet& n, int row, const PanelTexts& panel) {
    if (!IsDataRow(n, row)) return;
    std::vector<int> rows = RowsOfSameCrop(n, row);
    rows.insert(rows.begin(), row);
    for (int r : rows) {
        n.SetCell(ncol::YieldStep, r, panel.YieldStep);
        n.SetCell(ncol::SurchargeRate, r, panel.SurchargeRate);
        n.SetCell(ncol::DeductionRate, r, panel.DeductionRate);
    }
}

std::optional<PanelTexts> ApplyCropChoice(Worksheet& n, Worksheet& p, int row, int crop,
                                          char decimalSeparator) {
    if (!IsCrop(crop)) return std::nullopt;
    const CropTexts texts = TextsOfCrop(crop);
    if (IsDataRow(n, row)) WriteCropTexts(n, row, texts);
    if (IsDataRow(p, row)) {
        const CropReference& c = CropTable[static_cast<std::size_t>(crop)];
        p.SetCell(pcol::Factor, row, FormatGeneral(c.P2O5PerDt, decimalSeparator));
        p.SetCell(pcol::FactorResidues, row, FormatGeneral(c.P2O5PerDtResidues, decimalSeparator));
    }
    return PanelTexts{texts.YieldStep, std::to_string(kSurchargeRate),
                      std::to_string(kDeductionRate)};
}

void PropagateCropChoice(Worksheet& n, Worksheet& p, int row, int crop) {
    if (!IsCrop(crop) || !IsDataRow(n, row)) return;
    const CropTexts texts = TextsOfCrop(crop);
    const std::string factor = p.Cells(pcol::Factor, row);
    const std::string factorResidues = p.Cells(pcol::FactorResidues, row);
    // Only fields without a base yield of their own: what the farmer has
    // entered for another field is kept.
    for (int r : RowsOfSameCrop(n, row)) {
        if (!Trim(n.Cells(ncol::BasisErtrag, r)).empty()) continue;
        WriteCropTexts(n, r, texts);
        p.SetCell(pcol::Factor, r, factor);
        p.SetCell(pcol::FactorResidues, r, factorResidues);
    }
}

void ToggleResidueMark(Worksheet& p, int row) {
    if (!IsDataRow(p, row)) return;
    p.SetCell(pcol::Erntereste, row,
              std::string(ResidueMarkSet(p, row) ? kResidueMarkOff : kResidueMarkOn));
}

std::string FilterPEditorText(int col, std::string_view text) {
    return col == pcol::Entzug ? KeepDigitsAndMinus(text) : std::string(text);
}

void WriteBackContent(Worksheet& p, int row, const std::string& text,
                      const NutrientClasses& classes) {
    if (!IsDataRow(p, row)) return;
    p.SetCell(pcol::Gehalt, row, text);
    const std::int32_t content = StrToInt(text);  // an empty text is no content
    p.SetCell(pcol::Klasse, row,
              std::string(1, classes.ContentClass(p.Cells(pcol::Bodenart, row), content)));
}

void WriteBackRemoval(Worksheet& p, int row, const std::string& text) {
    if (IsDataRow(p, row)) p.SetCell(pcol::Entzug, row, text);
}

void WriteBackRemark(Worksheet& p, int row, const std::string& text) {
    if (IsDataRow(p, row)) p.SetCell(pcol::Anmerkung, row, text);
}

void WriteBackPCell(Worksheet& p, int col, int row, const std::string& text,
                    const NutrientClasses& classes) {
    if (col == pcol::Gehalt)
        WriteBackContent(p, row, text, classes);
    else if (col == pcol::Entzug)
        WriteBackRemoval(p, row, text);
}

}  // namespace kv4
