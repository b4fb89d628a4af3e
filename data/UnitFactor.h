#pragma once
// The unit conversion of work amounts.
#include <cstdint>

#include "data/Records.h"

namespace kv4 {

// Factor that turns an amount in unit code `from` into unit code `to`; the
// result is rounded to Real48 precision, as the farm product does. Unit codes
// above 14 and a GroupFactor of 0 where it would divide give 0, so a bad
// record never stops the worksheets from being built.
double UnitFactor(std::uint8_t from, std::uint8_t to, const WorkRecord* work);

}  // namespace kv4
