#include "data/UnitFactor.h"

#include <array>

#include "data/ByteReader.h"

namespace kv4 {

namespace {

// Relative unit sizes: 0-3 mass, 4-7 volume, 8-14 further units.
constexpr std::array<long double, 15> kUnitSize = {
    1, 1000, 100000, 1000000, 1, 1000, 100000, 1000000, 1, 100, 100000, 1, 100, 10000, 1};

bool IsMass(std::uint8_t code) { return code <= 3; }
bool IsVolume(std::uint8_t code) { return code >= 4 && code <= 7; }

}  // namespace

double UnitFactor(std::uint8_t from, std::uint8_t to, const WorkRecord* work) {
    if (from >= kUnitSize.size() || to >= kUnitSize.size()) return 0;
    long double factor = 0;
    if (from == to) {
        factor = 1;
    } else if ((IsMass(from) && IsMass(to)) || (IsVolume(from) && IsVolume(to))) {
        factor = kUnitSize[from] / kUnitSize[to];
    } else if (work == nullptr) {
        return 0;
    } else {
        const long double group = work->GroupFactor();
        if (to >= 8) {
            factor = group;
        } else if (IsVolume(from)) {
            factor = group * kUnitSize[from] / kUnitSize[to];
        } else {
            if (group == 0) return 0;
            factor = kUnitSize[from] / group / kUnitSize[to];
        }
    }
    // Callers compute with the factor as the farm product stores reals.
    const auto bytes = ToReal48Bytes(factor);
    if (!bytes) return 0;
    return DecodeReal48(*bytes);
}

}  // namespace kv4
