#include "worksheets/Fill.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "worksheets/FarmDigest.h"
#include "worksheets/NumberFormat.h"

namespace kv4 {

namespace {

constexpr std::uint8_t kStatusNoRow = 0x01;

bool Listed(const FarmDigest::Field& row) { return (row.field.StatusBits() & kStatusNoRow) == 0; }
constexpr std::uint16_t kHumusLimit = 40;  // tenths of a percent

void WriteRow(Worksheet& n, Worksheet& p, int r, const FieldRecord& field,
              const NutrientClasses& classes, char separator) {
    const std::string name = field.Name();
    const std::string crop = field.Crop();
    const std::string area = FormatFixed(field.Area(), 5, 2, separator);
    n.SetCell(ncol::Schlag, r, name);
    n.SetCell(ncol::Frucht, r, crop);
    n.SetCell(ncol::Ha, r, area);
    n.SetCell(ncol::V, r, "V");

    const std::string soil = field.SoilType();
    const double content = field.P2O5Content();
    p.SetCell(pcol::Schlag, r, name);
    p.SetCell(pcol::Frucht, r, crop);
    p.SetCell(pcol::Ha, r, area);
    // Width 0 and no decimals: a plain integer of any size, "0" for -0.
    p.SetCell(pcol::Gehalt, r, FormatFixed(RoundHalfEven(content), 0, 0, separator));
    p.SetCell(pcol::Bodenart, r, soil);
    // The class comes from the stored content, not from the rounded one shown.
    p.SetCell(pcol::Klasse, r, std::string(1, classes.ContentClass(soil, content)));
    p.SetCell(pcol::Factor, r, "0");
    p.SetCell(pcol::FactorResidues, r, "0");

    if (field.Humus() > kHumusLimit) n.SetCell(ncol::Humus, r, "-20");
}

}  // namespace

std::uint32_t CollectedWork::DateKey(const WorkRecord& work) {
    const WorkDate d = work.Date();
    return (std::uint32_t{d[2]} << 16) | (std::uint32_t{d[1]} << 8) | d[0];
}

namespace {

// A field's run of works in the register.
std::span<const WorkRecord> RunOf(const FieldRegister& year, const FieldKey& key) {
    const std::size_t begin = year.SkipPosition(key);
    std::size_t end = begin;
    while (end < year.Works().size()) {
        const WorkRecord& work = year.Works()[end];
        if (KeyOf(work) != key) break;
        ++end;
    }
    return std::span<const WorkRecord>(year.Works().data() + begin, end - begin);
}

// The place rule of the register, on a plain list: fine for the few dozen
// works a field has.
void CollectSmallRun(std::span<const WorkRecord> run, std::vector<CollectedWork>& list) {
    std::size_t p = 0;         // behind the record inserted last
    std::uint32_t latest = 0;  // the latest date of a placeable record in the list
    for (const WorkRecord& work : run) {
        const std::uint8_t optional = work.OptionalMark();
        if (optional == 1) continue;
        const std::uint32_t date = CollectedWork::DateKey(work);
        if (optional == 0 && work.FollowerMark() != 1) {
            // Behind every placeable record that is not later: equal dates keep
            // their file order, followers and optional records stay where they are.
            // Works mostly come in date order: then none is later, and the
            // place is the end without a search.
            if (date >= latest) {
                p = list.size();
            } else {
                const auto later = std::find_if(
                    list.begin(), list.end(),
                    [date](const CollectedWork& c) { return c.placeable && c.date > date; });
                p = static_cast<std::size_t>(later - list.begin());
            }
        }
        list.insert(list.begin() + static_cast<std::ptrdiff_t>(p), {&work, date, optional == 0});
        if (optional == 0) latest = std::max(latest, date);
        ++p;
    }
}

// The same rule for a damaged or hostile work file with a huge run of one
// field: a plain list would take quadratic time (a search over the whole list
// and a shift of it for every record). The list is kept in blocks that know
// their latest placeable date, so both the search and the insertion touch one
// block and the block summaries.
class BlockList {
  public:
    static constexpr std::size_t kBlock = 256;

    BlockList() { blocks_.emplace_back(); }

    struct Place {
        std::size_t block;
        std::size_t offset;
    };

    // Before the first placeable item later than `date`, or at the end.
    Place FirstLater(std::uint32_t date) const {
        for (std::size_t b = 0; b < blocks_.size(); ++b) {
            const Block& block = blocks_[b];
            if (!block.anyPlaceable || block.latest <= date) continue;
            for (std::size_t o = 0; o < block.items.size(); ++o) {
                const CollectedWork& c = block.items[o];
                if (c.placeable && c.date > date) return {b, o};
            }
        }
        return {blocks_.size() - 1, blocks_.back().items.size()};
    }

    // Inserts at `at` and returns the place right behind the new item.
    Place Insert(Place at, const CollectedWork& item) {
        Block& block = blocks_[at.block];
        block.items.insert(block.items.begin() + static_cast<std::ptrdiff_t>(at.offset), item);
        if (item.placeable && (!block.anyPlaceable || item.date > block.latest)) {
            block.latest = item.date;
            block.anyPlaceable = true;
        }
        Place behind{at.block, at.offset + 1};
        if (block.items.size() >= 2 * kBlock) {
            Block tail;
            tail.items.assign(block.items.begin() + kBlock, block.items.end());
            block.items.resize(kBlock);
            block.Summarise();
            tail.Summarise();
            blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(at.block) + 1,
                           std::move(tail));
            if (behind.offset > kBlock) behind = {at.block + 1, behind.offset - kBlock};
        }
        return behind;
    }

    void MoveTo(std::vector<CollectedWork>& list) const {
        for (const Block& block : blocks_)
            list.insert(list.end(), block.items.begin(), block.items.end());
    }

  private:
    struct Block {
        std::vector<CollectedWork> items;
        std::uint32_t latest = 0;  // latest date of a placeable item
        bool anyPlaceable = false;

        void Summarise() {
            latest = 0;
            anyPlaceable = false;
            for (const CollectedWork& c : items) {
                if (!c.placeable) continue;
                if (!anyPlaceable || c.date > latest) latest = c.date;
                anyPlaceable = true;
            }
        }
    };
    std::vector<Block> blocks_;
};

void CollectLargeRun(std::span<const WorkRecord> run, std::vector<CollectedWork>& list) {
    BlockList blocks;
    BlockList::Place p{0, 0};
    for (const WorkRecord& work : run) {
        const std::uint8_t optional = work.OptionalMark();
        if (optional == 1) continue;
        const std::uint32_t date = CollectedWork::DateKey(work);
        if (optional == 0 && work.FollowerMark() != 1) p = blocks.FirstLater(date);
        p = blocks.Insert(p, {&work, date, optional == 0});
    }
    blocks.MoveTo(list);
}

}  // namespace

void CollectRun(std::span<const WorkRecord> run, std::vector<CollectedWork>& list) {
    list.clear();
    if (run.size() <= kLargeRun) {
        CollectSmallRun(run, list);
    } else {
        CollectLargeRun(run, list);
    }
}

void CollectWorks(const FieldRegister& year, const FieldKey& key,
                  std::vector<CollectedWork>& list) {
    CollectRun(RunOf(year, key), list);
}

void CollectWorks(const FieldRegister& year, const FieldRecord& field,
                  std::vector<CollectedWork>& list) {
    CollectWorks(year, KeyOf(field), list);
}

double YieldExpectation::Of(const std::string& crop) {
    if (const auto it = memo_.find(crop); it != memo_.end()) return it->second;
    double total = 0;
    int years = 0;
    for (const YearSums& year : years_) {
        double mean = 0;
        if (const auto it = year.find(crop); it != year.end()) {
            // A harvest without an amount still adds its area and lowers the mean.
            mean = Mean(it->second.yield, it->second.area);
        }
        // A year without a harvest of the crop leaves the other years' mean alone.
        if (mean > 0) {
            total += mean;
            ++years;
        }
    }
    const double result = years > 0 ? total / years : 0;
    memo_.emplace(crop, result);
    return result;
}

YieldExpectation FillWorksheets(const FarmDigest& farm, const NutrientClasses& classes,
                                Worksheet& nSheet, Worksheet& pSheet, char decimalSeparator) {
    const auto listed = std::count_if(farm.Fields2018().begin(), farm.Fields2018().end(), Listed);
    nSheet.Reserve(nSheet.RowCount() + static_cast<int>(listed));
    pSheet.Reserve(std::max(pSheet.RowCount(), nSheet.RowCount() + static_cast<int>(listed)));
    int r = 1;
    for (const FarmDigest::Field& row : farm.Fields2018()) {
        if (!Listed(row)) continue;
        const FieldRecord& field = row.field;
        nSheet.SetRowCount(nSheet.RowCount() + 1);
        pSheet.SetRowCount(nSheet.RowCount());
        WriteRow(nSheet, pSheet, r, field, classes, decimalSeparator);
        if (row.hasNmin)
            nSheet.SetCell(ncol::NMin, r, FormatFixed(row.nmin, 2, 0, decimalSeparator));
        // Minus a tenth of the organic N of the year before; a field absent
        // in 2017 counts nothing, and the cell still shows 0.
        const double sum = farm.Organic2017(field);
        nSheet.SetCell(ncol::OrgVorjahr, r, FormatFixed((-1 * sum) / 10, 5, 0, decimalSeparator));
        ++r;
    }

    // Every row of the N worksheet, the empty trailing row included; with no
    // listed field that is row 1 alone, whatever the P2O5 worksheet holds.
    YieldExpectation expectation(farm.Harvests());
    for (int row = 1; row < nSheet.RowCount(); ++row) {
        const std::string crop = nSheet.Cells(ncol::Frucht, row);
        nSheet.SetCell(ncol::Ertragserwartung, row,
                       FormatFixed(expectation.Of(crop), 5, 0, decimalSeparator));
        pSheet.SetCell(pcol::Ertragserwartung, row, nSheet.Cells(ncol::Ertragserwartung, row));
    }
    return expectation;
}

}  // namespace kv4
