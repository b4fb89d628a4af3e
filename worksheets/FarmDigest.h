#pragma once
// What the worksheets take from the farm data, gathered one year at a time:
// the fields of 2018 with each one's latest N-min sample, the organic N of
// 2017 per field key, and the harvest sums of 2017, 2016 and 2015. A field's
// works are needed only while they are taken, so a farm is read without ever
// holding a whole year's works.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "data/BlockAllocator.h"
#include "data/FieldRegister.h"
#include "data/FileAccess.h"
#include "worksheets/Fill.h"

namespace kv4 {

class FarmDigest {
  public:
    // Loads `year` from `folder` (empty or ending in the path separator) and
    // takes it; returns its read errors. `scratch` is the register the year's
    // fields go through, reused from year to year; it never holds works.
    [[nodiscard]] ReadErrors LoadYear(std::uint16_t year, const std::string& folder,
                                      FieldRegister& scratch);

    // Takes what the worksheets need from `reg`, the register of `year`.
    // A year that is not one of kFarmYears is ignored. Years may come in any
    // order; taking a year again replaces what was taken from it.
    void Take(std::uint16_t year, const FieldRegister& reg);

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
    // What the works of each field key give the year they belong to.
    struct YearWorks {
        struct Key {
            FieldKey key;
            bool hasNmin = false;
            double nmin = 0;
            double organic = 0;
            std::size_t firstHarvest = 0;  // into harvests
            std::size_t harvestCount = 0;
        };
        std::vector<Key> keys;          // in ascending key order
        std::vector<Harvest> harvests;  // each key's in date order, key after key

        void Clear() {
            keys.clear();
            harvests.clear();
        }
        // Adds the next key, greater than all before it, and its works.
        void Add(std::uint16_t year, const FieldKey& key, const std::vector<CollectedWork>& works);
        // Nothing for a key without works.
        const Key* Find(const FieldKey& key) const;
    };

    // Keeps the year from its fields, in register order, and what their
    // keys' works gave.
    void Keep(std::uint16_t year, const FieldRegister::FieldList& fields, const YearWorks& works);

    // The year being taken; kept so that the next year reuses its memory.
    YearWorks yearWorks_;
    FieldList fields2018_;
    std::vector<std::pair<FieldKey, double>> organic2017_;  // in key order
    std::array<YieldExpectation::YearSums, 3> harvests_;    // 2017, 2016, 2015
};

// Every year of kFarmYears, in that order, through one register; returns the
// read errors of all of them, in the order they happened.
[[nodiscard]] ReadErrors LoadFarmYears(FarmDigest& digest, const std::string& folder);

}  // namespace kv4
