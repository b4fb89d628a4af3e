#include "export/YieldsCsv.h"

#include <array>
#include <string_view>

#include "export/WorksheetCsv.h"
#include "worksheets/NumberFormat.h"

namespace kv4 {

namespace {

constexpr std::array<std::string_view, 13> kHeadings = {"Schlag",
                                                        "Frucht",
                                                        "Mittel 2017",
                                                        "Fl\xC3\xA4"
                                                        "che 2017",
                                                        "Ernten 2017",
                                                        "Mittel 2016",
                                                        "Fl\xC3\xA4"
                                                        "che 2016",
                                                        "Ernten 2016",
                                                        "Mittel 2015",
                                                        "Fl\xC3\xA4"
                                                        "che 2015",
                                                        "Ernten 2015",
                                                        "Ertragserwartung",
                                                        "Hinweise"};

}  // namespace

Worksheet YieldsTable(std::span<const YieldSource> sources, const Worksheet& n,
                      char decimalSeparator) {
    Worksheet table(static_cast<int>(kHeadings.size()), static_cast<int>(sources.size()) + 1);
    for (std::size_t c = 0; c < kHeadings.size(); ++c)
        table.SetCell(static_cast<int>(c), 0, std::string(kHeadings[c]));
    int r = 1;
    for (const YieldSource& source : sources) {
        int c = 0;
        table.SetCell(c++, r, n.Cells(ncol::Schlag, source.row));
        table.SetCell(c++, r, n.Cells(ncol::Frucht, source.row));
        for (const YieldYear& year : source.years) {
            const bool harvested = year.harvests > 0;
            table.SetCell(c++, r, harvested ? FormatFixed(year.mean, 0, 2, decimalSeparator) : "");
            table.SetCell(c++, r, harvested ? FormatFixed(year.area, 0, 2, decimalSeparator) : "");
            table.SetCell(c++, r, std::to_string(year.harvests));
        }
        table.SetCell(c++, r, n.Cells(ncol::Ertragserwartung, source.row));
        std::string hints;
        for (const std::string& hint : source.hints) {
            if (!hints.empty()) hints += " | ";
            hints += hint;
        }
        table.SetCell(c, r, std::move(hints));
        ++r;
    }
    return table;
}

std::string YieldsCsv(std::span<const YieldSource> sources, const Worksheet& n,
                      char decimalSeparator) {
    return WorksheetCsv(YieldsTable(sources, n, decimalSeparator));
}

}  // namespace kv4
