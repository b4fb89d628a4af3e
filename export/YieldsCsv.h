#pragma once
// The yields file of the export tool: where each listed row's yield
// expectation comes from, as CSV with the conventions of the worksheet files.
#include <span>
#include <string>

#include "worksheets/Worksheet.h"
#include "worksheets/YieldSources.h"

namespace kv4 {

// The heading row, then one row per source: field and crop, per year 2017,
// 2016, 2015 the mean (dt/ha), the area (ha) and the number of harvests
// (mean and area empty without a harvest), the expectation cell's text and
// the hints joined by " | ". Field, crop and expectation are the texts of
// the N worksheet `n` as they stand.
Worksheet YieldsTable(std::span<const YieldSource> sources, const Worksheet& n,
                      char decimalSeparator);

// YieldsTable as CSV text.
std::string YieldsCsv(std::span<const YieldSource> sources, const Worksheet& n,
                      char decimalSeparator);

}  // namespace kv4
