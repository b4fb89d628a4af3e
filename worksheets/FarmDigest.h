#pragma once
// What the worksheets take from the farm data, gathered one year at a time:
// the fields of 2018 with each one's latest N-min sample, the organic N of
// 2017 per field key, and the harvest sums of 2017, 2016 and 2015. A year's
// works are needed only while it is taken, and a farm written in field order
// is read without ever holding a whole year's works.
#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "data/FileAccess.h"
#include "data/FreshMemory.h"
#include "data/TOSchlaege.h"
#include "worksheets/Fill.h"

namespace kv4 {

class FarmDigest {
  public:
    // Loads `year` from `folder` (empty or ending in the path separator) and
    // takes it; returns its read errors. `scratch` is the register the year
    // goes through, reused from year to year; afterwards it holds the year's
    // fields, and its works only when the work file was not in field order.
    [[nodiscard]] ReadErrors LoadYear(std::uint16_t year, const std::string& folder,
                                      TOSchlaege& scratch);

    // Takes what the worksheets need from `reg`, the register of `year`.
    // A year that is not one of kFarmYears is ignored. Years may come in any
    // order; taking a year again replaces what was taken from it.
    void Take(std::uint16_t year, const TOSchlaege& reg);

    // Without fields of 2018 there is nothing to fill; the caller reports it.
    bool HasFields2018() const { return !fields2018_.empty(); }

    struct Field {
        FieldRecord field;
        bool hasNmin = false;
        double nmin = 0;  // minus the N of the latest N-min sample
    };
    // Every field of 2018, in register order.
    using FieldList = std::vector<Field, BlockAllocator<Field>>;
    const FieldList& Fields2018() const { return fields2018_; }
    // The organic N applied to the whole field in 2017, for the first field
    // of 2017 with this field's key; 0 without one.
    double Organic2017(const FieldRecord& field) const;
    // The harvest sums of 2017, 2016 and 2015.
    const std::array<YieldExpectation::YearSums, 3>& Harvests() const { return harvests_; }

  private:
    // One harvest as its field's sums take it.
    struct Harvest {
        std::string crop;
        double factorAmount;  // the amount in dt
        bool wholeField;      // else the worked area counts
        double workedArea;
        bool withoutAmount;
    };
    // What one field key's works give the year they belong to.
    struct KeyWorks {
        bool hasNmin = false;
        double nmin = 0;
        double organic = 0;
        std::vector<Harvest> harvests;  // in date order
    };
    struct KeyHash {
        std::size_t operator()(const FieldKey& key) const;
    };
    using KeyWorksMap = std::unordered_map<FieldKey, KeyWorks, KeyHash>;

    static KeyWorks Digest(std::uint16_t year, const std::vector<CollectedWork>& works);
    // Keeps the year from its fields, in register order, and what their
    // keys' works gave.
    void Keep(std::uint16_t year, const TOSchlaege::FieldList& fields, const KeyWorksMap& keys);

    FieldList fields2018_;
    std::unordered_map<FieldKey, double, KeyHash> organic2017_;
    std::array<YieldExpectation::YearSums, 3> harvests_;  // 2017, 2016, 2015
};

// Every year of kFarmYears, in that order, through one register; returns the
// read errors of all of them, in the order they happened.
[[nodiscard]] ReadErrors LoadFarmYears(FarmDigest& digest, const std::string& folder);

}  // namespace kv4
