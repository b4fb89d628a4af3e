#pragma once
// Building both worksheets from the farm data, once at start: one row per
// listed field of 2018 with what the records can tell, then the yield
// expectation of every row from the harvests of the three years before.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "data/FieldRegister.h"
#include "data/FileAccess.h"
#include "data/UnitFactor.h"
#include "reference/NutrientClasses.h"
#include "worksheets/Worksheet.h"

namespace kv4 {

class FarmDigest;

// What the user is told when the data folder holds no fields of 2018.
inline constexpr std::string_view kNoFields2018Message =
    "Es sind keine Schl\xC3\xA4ge f\xC3\xBCr 2018 vorhanden. Legen Sie gegebnenfalls "
    "zun\xC3\xA4"
    "chst das Erntejahr 2018 an.";

// The years of the farm data in the order they are loaded.
inline constexpr std::array<std::uint16_t, 4> kFarmYears = {2018, 2017, 2016, 2015};

// One work of a field's list: a reference into the register (valid while
// the register is neither loaded again nor changed) and what placing the next
// record needs.
struct CollectedWork {
    const WorkRecord* work;
    std::uint32_t date;  // year part, month, day: ascending as the dates
    bool placeable;      // OptionalMark 0: may serve as an insertion place

    static std::uint32_t DateKey(const WorkRecord& work);
};

// The works that GetFieldWorks (optional records left out) hands out for
// the field with `field`'s key, in the same order, as references instead of
// copies: the fill asks for every field of three years, and moving copies
// around while sorting them in would cost more than reading the files.
// Runs of more than kLargeRun works of one field (only a damaged work file
// has them) are sorted in through blocks, in n * sqrt(n) instead of n^2.
void CollectWorks(const FieldRegister& year, const FieldRecord& field,
                  std::vector<CollectedWork>& list);
void CollectWorks(const FieldRegister& year, const FieldKey& key, std::vector<CollectedWork>& list);
inline constexpr std::size_t kLargeRun = 512;

// The same for a run of one field key's works in file order.
void CollectRun(std::span<const WorkRecord> run, std::vector<CollectedWork>& list);

// The yield expectation of a crop text: the mean of the positive
// area-weighted mean yields (dt/ha) of that exact crop name over the whole
// farm in 2017, 2016 and 2015. Each year is read once when this is built;
// each crop text is computed once. The result equals, bit for bit, asking
// every field of every year for its works once per row.
class YieldExpectation {
  public:
    double Of(const std::string& crop);

    // Besides the two sums the mean needs, what a farmer checking it wants
    // to know: how many harvests there were, and how many of them (on how
    // much area) carry no amount. Added in the same order as the sums, so
    // a mean without the amount-less harvests is exact too.
    struct Sums {
        double yield = 0;
        double area = 0;
        long long harvests = 0;
        long long withoutAmount = 0;
        double areaWithoutAmount = 0;
        double areaWithAmount = 0;
    };
    using YearSums = std::unordered_map<std::string, Sums>;

    // The year mean in dt/ha; a year enters the expectation when it is above 0.
    static double Mean(double yield, double area) { return area > 0 ? yield / area : yield; }

    // Per crop name: 0 is 2017, 1 is 2016, 2 is 2015.
    const YearSums& Year(std::size_t i) const { return years_[i]; }

    // The harvest sums of 2017, 2016 and 2015.
    explicit YieldExpectation(std::array<YearSums, 3> years) : years_(std::move(years)) {}

  private:
    std::array<YearSums, 3> years_;  // 2017, 2016, 2015
    std::unordered_map<std::string, double> memo_;
};

// The row pass and the yield pass over worksheets as the window creates them
// (heading row written; N with 2 rows, P2O5 with 5). Call only when
// farm.HasFields2018(). With no listed field the N worksheet keeps its 2 rows
// and the P2O5 worksheet its 5; otherwise both end with n + 2 rows. No
// recalculation: the result columns stay empty. Returns the harvest sums the
// expectations came from, for showing where they came from.
YieldExpectation FillWorksheets(const FarmDigest& farm, const NutrientClasses& classes,
                                Worksheet& nSheet, Worksheet& pSheet, char decimalSeparator);

}  // namespace kv4
