#include "worksheets/FarmDigest.h"

#include <algorithm>
#include <span>

#include "data/UnitFactor.h"

namespace kv4 {

namespace {

constexpr std::uint8_t kDecitonnes = 2;

// What each year takes from a field's works.
bool IsNminSample(const WorkRecord& work) {
    return work.WorkType() == kWorkTypeFertilisation && work.NminMark() != 0;
}
bool IsWholeFieldOrganic(const WorkRecord& work) {
    return work.OrganicMark() != 0 && work.WorkType() == kWorkTypeFertilisation &&
           work.OrganicProductMark() != 0 && work.PartAreaMark() == 0;
}
bool IsHarvest(const WorkRecord& work) { return work.WorkType() == kWorkTypeHarvest; }

// The latest N-min sample of the list, as the deduction it makes; false
// without one.
bool LatestNmin(const std::vector<CollectedWork>& works, double& deduction) {
    bool found = false;
    for (const CollectedWork& c : works) {
        const WorkRecord& work = *c.work;
        if (!IsNminSample(work)) continue;
        deduction = -(work.Nutrient1() + work.Nutrient2() + work.Nutrient3());
        found = true;
    }
    return found;
}

// The organic N applied to the whole field.
double OrganicSum(const std::vector<CollectedWork>& works) {
    double sum = 0;
    for (const CollectedWork& c : works) {
        const WorkRecord& work = *c.work;
        if (IsWholeFieldOrganic(work))
            sum += UnitFactor(work.Unit(), kDecitonnes, &work) * work.Amount() * work.Nutrient1();
    }
    return sum;
}

// Whether `year` takes anything from the work.
bool Takes(std::uint16_t year, const WorkRecord& work) {
    if (year == 2018) return IsNminSample(work);
    if (year == 2017) return IsWholeFieldOrganic(work) || IsHarvest(work);
    return (year == 2016 || year == 2015) && IsHarvest(work);
}

// Whether the register's place rule comes down, for this run, to sorting its
// works by date with ties in file order: every work in the order may serve
// as a place, and every follower comes right behind the work before it in
// the file, whose date it took. Then any part of the works, sorted alike,
// keeps the order it has in the whole list.
bool SortsByDate(std::span<const WorkRecord> run) {
    for (std::size_t i = 0; i < run.size(); ++i) {
        const std::uint8_t optional = run[i].OptionalMark();
        if (optional == 1) continue;
        if (optional != 0) return false;
        if (run[i].FollowerMark() == 1 && (i == 0 || run[i - 1].OptionalMark() != 0)) return false;
    }
    return true;
}

// A field has a few dozen works and a year takes a few of them: up to this
// many are sorted in place, without the library sort's buffer.
constexpr std::size_t kSmallSort = 32;

// The works of a run that `year` takes, in the order the register's list of
// the field's works has them.
void TakenWorks(std::uint16_t year, std::span<const WorkRecord> run,
                std::vector<CollectedWork>& works) {
    works.clear();
    for (const WorkRecord& work : run) {
        if (work.OptionalMark() != 1 && Takes(year, work))
            works.push_back({&work, CollectedWork::DateKey(work), work.OptionalMark() == 0});
    }
    if (works.size() < 2) return;
    if (!SortsByDate(run)) {
        CollectRun(run, works);  // the whole list; the digest picks from it
        return;
    }
    const auto earlier = [](const CollectedWork& a, const CollectedWork& b) {
        return a.date < b.date;
    };
    // A damaged file may give one field thousands of works.
    if (works.size() > kSmallSort) {
        std::stable_sort(works.begin(), works.end(), earlier);
        return;
    }
    for (std::size_t i = 1; i < works.size(); ++i) {
        const CollectedWork item = works[i];
        std::size_t j = i;
        for (; j > 0 && earlier(item, works[j - 1]); --j) works[j] = works[j - 1];
        works[j] = item;
    }
}

}  // namespace

void FarmDigest::YearWorks::Add(std::uint16_t year, const FieldKey& key,
                                const std::vector<CollectedWork>& works) {
    Key& added = keys.emplace_back(Key{.key = key, .firstHarvest = harvests.size()});
    if (year == 2018) added.hasNmin = LatestNmin(works, added.nmin);
    if (year == 2017) added.organic = OrganicSum(works);
    if (year == 2017 || year == 2016 || year == 2015) {
        for (const CollectedWork& c : works) {
            const WorkRecord& work = *c.work;
            if (!IsHarvest(work)) continue;
            const double amount = work.Amount();
            harvests.push_back(
                {.crop = work.CropName(),
                 .factorAmount = UnitFactor(work.Unit(), kDecitonnes, &work) * amount,
                 .wholeField = work.PartAreaMark() == 0,
                 .workedArea = work.WorkedArea(),
                 .withoutAmount = amount == 0});
        }
    }
    added.harvestCount = harvests.size() - added.firstHarvest;
}

const FarmDigest::YearWorks::Key* FarmDigest::YearWorks::Find(const FieldKey& key) const {
    const auto it =
        std::lower_bound(keys.begin(), keys.end(), key,
                         [](const Key& k, const FieldKey& wanted) { return k.key < wanted; });
    return it != keys.end() && it->key == key ? &*it : nullptr;
}

void FarmDigest::Keep(std::uint16_t year, const FieldRegister::FieldList& fields,
                      const YearWorks& works) {
    if (year == 2018) {
        fields2018_.clear();
        fields2018_.reserve(fields.size());
        for (const FieldRecord& field : fields) {
            const YearWorks::Key* key = works.Find(KeyOf(field));
            fields2018_.push_back({field, key != nullptr && key->hasNmin, key ? key->nmin : 0});
        }
        return;
    }
    if (year != 2017 && year != 2016 && year != 2015) return;
    if (year == 2017) {
        organic2017_.clear();
        for (const YearWorks::Key& key : works.keys)
            organic2017_.emplace_back(key.key, key.organic);
    }
    // Added in the order a crop-by-crop scan adds them: fields in register
    // order (a duplicated key counts its harvests again), works in their date
    // order. Floating-point sums depend on that order, so it must not change.
    YieldExpectation::YearSums& sums = harvests_[static_cast<std::size_t>(2017 - year)];
    sums.clear();
    for (const FieldRecord& field : fields) {
        const YearWorks::Key* key = works.Find(KeyOf(field));
        if (key == nullptr) continue;
        for (std::size_t i = key->firstHarvest; i < key->firstHarvest + key->harvestCount; ++i) {
            const Harvest& harvest = works.harvests[i];
            const double area = harvest.wholeField ? field.Area() : harvest.workedArea;
            YieldExpectation::Sums& s = sums[harvest.crop];
            s.yield += harvest.factorAmount * area;
            s.area += area;
            ++s.harvests;
            if (harvest.withoutAmount) {
                ++s.withoutAmount;
                s.areaWithoutAmount += area;
            } else {
                s.areaWithAmount += area;
            }
        }
    }
}

void FarmDigest::Take(std::uint16_t year, const FieldRegister& reg) {
    std::vector<FieldKey> keys;
    keys.reserve(reg.Fields().size());
    for (const FieldRecord& field : reg.Fields()) keys.push_back(KeyOf(field));
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    yearWorks_.Clear();
    std::vector<CollectedWork> works;
    for (const FieldKey& key : keys) {
        CollectWorks(reg, key, works);
        yearWorks_.Add(year, key, works);
    }
    Keep(year, reg.Fields(), yearWorks_);
}

ReadErrors FarmDigest::LoadYear(std::uint16_t year, const std::string& folder,
                                FieldRegister& scratch) {
    yearWorks_.Clear();
    std::vector<CollectedWork> works;
    ReadErrors errors =
        scratch.StreamYear(year, folder, [&](const FieldKey& key, std::span<const WorkRecord> run) {
            TakenWorks(year, run, works);
            yearWorks_.Add(year, key, works);
        });
    Keep(year, scratch.Fields(), yearWorks_);
    return errors;
}

double FarmDigest::Organic2017(const FieldRecord& field) const {
    const FieldKey key = KeyOf(field);
    const auto it = std::lower_bound(organic2017_.begin(), organic2017_.end(), key,
                                     [](const std::pair<FieldKey, double>& entry,
                                        const FieldKey& wanted) { return entry.first < wanted; });
    return it != organic2017_.end() && it->first == key ? it->second : 0;
}

ReadErrors LoadFarmYears(FarmDigest& digest, const std::string& folder) {
    ReadErrors errors;
    FieldRegister scratch;
    for (const std::uint16_t year : kFarmYears) {
        const ReadErrors yearErrors = digest.LoadYear(year, folder, scratch);
        errors.insert(errors.end(), yearErrors.begin(), yearErrors.end());
    }
    return errors;
}

}  // namespace kv4
