#include "worksheets/YieldSources.h"

#include <cstddef>
#include <map>
#include <set>
#include <string_view>
#include <utility>

#include "data/Records.h"
#include "data/TextEncoding.h"
#include "worksheets/NumberFormat.h"

namespace kv4 {

namespace {

constexpr const char* kAbove =
    "\xC3\xBC"
    "ber";  // über
constexpr const char* kBelow = "unter";

std::string Number(double value, char separator) { return FormatFixed(value, 0, 2, separator); }

std::string Harvests(long long count) {
    return std::to_string(count) + (count == 1 ? " Ernte" : " Ernten");
}

std::string Quoted(std::string_view text) {
    return "\xE2\x80\x9E" + std::string(text) + "\xE2\x80\x9C";  // „text“
}

// The crop name with leading and trailing blanks removed and the letters of
// Windows-1252's Latin-1 range (ASCII, and À to Þ as UTF-8) in lower case:
// the names a farmer would take for the same crop.
std::string Folded(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    std::string folded(text);
    for (std::size_t i = 0; i < folded.size(); ++i) {
        const auto c = static_cast<unsigned char>(folded[i]);
        if (c >= 'A' && c <= 'Z') {
            folded[i] = static_cast<char>(c + 32);
        } else if (c == 0xC3 && i + 1 < folded.size()) {
            const auto next = static_cast<unsigned char>(folded[i + 1]);
            if (next >= 0x80 && next <= 0x9E && next != 0x97)  // not the sign ×
                folded[i + 1] = static_cast<char>(next + 0x20);
            ++i;
        }
    }
    return folded;
}

using NameIndex = std::map<std::string, std::set<std::string>>;

NameIndex IndexNames(const YieldExpectation& expectation) {
    NameIndex index;
    for (std::size_t y = 0; y < 3; ++y)
        for (const auto& [name, sums] : expectation.Year(y)) index[Folded(name)].insert(name);
    return index;
}

void AddYearHints(const YieldExpectation& expectation, YieldSource& source, char separator) {
    std::vector<std::size_t> counted;
    for (std::size_t y = 0; y < 3; ++y)
        if (source.years[y].Counted()) counted.push_back(y);

    for (const std::size_t y : counted) {
        const YieldYear& year = source.years[y];
        const std::string prefix = std::to_string(year.year) + ": ";
        if (counted.size() >= 2) {
            double others = 0;
            for (const std::size_t o : counted)
                if (o != y) others += source.years[o].mean;
            others /= static_cast<double>(counted.size() - 1);
            // Multiplied out rather than divided, so that exactly 20 % stays no hint.
            const char* side = 5 * year.mean > 6 * others   ? kAbove
                               : 5 * year.mean < 4 * others ? kBelow
                                                            : nullptr;
            if (side) {
                source.hints.push_back(prefix + "Mittel " + Number(year.mean, separator) +
                                       " dt/ha liegt mehr als 20 % " + side +
                                       " dem Mittel der anderen Jahre (" +
                                       Number(others, separator) + " dt/ha)");
            }
        }
        const YieldExpectation::Sums& sums = expectation.Year(y).at(source.crop);
        if (sums.withoutAmount > 0) {
            source.hints.push_back(
                prefix + Harvests(sums.withoutAmount) + " ohne Menge auf " +
                Number(sums.areaWithoutAmount, separator) +
                " ha; ohne sie w\xC3\xA4re das Mittel " +
                Number(YieldExpectation::Mean(sums.yield, sums.areaWithAmount), separator) +
                " statt " + Number(year.mean, separator) + " dt/ha");
        }
    }
}

void AddCropTextHints(YieldExpectation& expectation, const NameIndex& index, YieldSource& source,
                      char separator) {
    // Counted as the record counts it: one byte a character in Windows-1252.
    const std::size_t length = Utf8ToCp1252(source.crop).size();
    if (length > work_offset::CropNameRoom) {
        source.hints.push_back("Fruchtname mit " + std::to_string(length) +
                               " Zeichen: Ernten tragen h\xC3\xB6"
                               "chstens " +
                               std::to_string(work_offset::CropNameRoom) +
                               ", keine Ernte kann zu ihm passen");
    }
    for (const YieldYear& year : source.years)
        if (year.harvests > 0) return;
    const auto similar = index.find(Folded(source.crop));
    if (similar == index.end()) return;
    for (const std::string& name : similar->second) {
        if (name == source.crop) continue;
        source.hints.push_back("Keine Ernte unter " + Quoted(source.crop) + ", aber unter " +
                               Quoted(name) + ": Ertragserwartung w\xC3\xA4re " +
                               FormatFixed(expectation.Of(name), 0, 0, separator));
    }
}

}  // namespace

std::vector<YieldSource> ListYieldSources(YieldExpectation& expectation, const Worksheet& n,
                                          char decimalSeparator) {
    const NameIndex index = IndexNames(expectation);
    std::vector<YieldSource> sources;
    for (int r = 1; r < n.RowCount() - 1; ++r) {
        YieldSource source;
        source.row = r;
        source.crop = n.Cells(ncol::Frucht, r);
        source.expectation = expectation.Of(source.crop);
        for (std::size_t y = 0; y < 3; ++y) {
            YieldYear& year = source.years[y];
            year.year = kFarmYears[y + 1];  // 2017, 2016, 2015
            const auto it = expectation.Year(y).find(source.crop);
            if (it == expectation.Year(y).end()) continue;
            year.harvests = it->second.harvests;
            year.area = it->second.area;
            year.mean = YieldExpectation::Mean(it->second.yield, it->second.area);
        }
        AddYearHints(expectation, source, decimalSeparator);
        AddCropTextHints(expectation, index, source, decimalSeparator);
        sources.push_back(std::move(source));
    }
    return sources;
}

std::string YieldSourceText(const YieldSource& source, char decimalSeparator) {
    std::string text = "Ertragserwartung " +
                       FormatFixed(source.expectation, 0, 0, decimalSeparator) +
                       " dt/ha aus den Ernten von " + Quoted(source.crop) + ":";
    for (const YieldYear& year : source.years) {
        text += '\n';
        text += std::to_string(year.year);
        text += ": ";
        if (year.harvests == 0) {
            text += "keine Ernte";
            continue;
        }
        text += Number(year.mean, decimalSeparator) + " dt/ha auf " +
                Number(year.area, decimalSeparator) + " ha (" + Harvests(year.harvests) + ")";
        if (!year.Counted()) text += ", nicht gez\xC3\xA4hlt";
    }
    if (!source.hints.empty()) text += "\nHinweise:";
    for (const std::string& hint : source.hints) text += "\n" + hint;
    return text;
}

}  // namespace kv4
