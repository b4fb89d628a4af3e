#pragma once
// Standard values of the fertiliser ordinance for the commonest crops. The
// position in the table is the key by which the crop list refers to a crop.
#include <array>
#include <string_view>

namespace kv4 {

struct CropReference {
    std::string_view Name;     // UTF-8
    double P2O5PerDt;          // kg P2O5 per dt, crop residues left on the field
    double P2O5PerDtResidues;  // kg P2O5 per dt, crop residues carted off
    int BaseYield;             // dt/ha
    int NTarget;               // kg N/ha at the base yield
    int YieldStep;             // dt/ha per step of surcharge or deduction
};

inline constexpr int kCropCount = 16;
extern const std::array<CropReference, kCropCount> CropTable;

// Rates written with every picked crop: kg N per step of higher / lower yield.
inline constexpr int kSurchargeRate = 10;
inline constexpr int kDeductionRate = 15;

}  // namespace kv4
