#pragma once
// Where each row's yield expectation comes from: the year means that entered
// it and what in the harvest records distorts it, as the farmer can check it.
// Taken from the sums the fill built, so it describes exactly the figure the
// fill wrote; nothing here changes a cell.
#include <array>
#include <string>
#include <vector>

#include "worksheets/Fill.h"
#include "worksheets/Worksheet.h"

namespace kv4 {

struct YieldYear {
    int year = 0;
    long long harvests = 0;  // harvest records of the crop; 0: no harvest
    double mean = 0;         // dt/ha, as the expectation takes it
    double area = 0;         // harvested ha

    // Only a mean above 0 enters the expectation.
    bool Counted() const { return mean > 0; }
};

struct YieldSource {
    int row = 0;  // of both worksheets
    std::string crop;
    double expectation = 0;
    std::array<YieldYear, 3> years;  // 2017, 2016, 2015
    std::vector<std::string> hints;  // German, one line each
};

// One source for each listed row of the N worksheet as the fill left it
// (rows 1 to RowCount() - 2; the trailing row belongs to no field), from the
// sums that fill returned. Numbers in the hints carry `decimalSeparator`.
std::vector<YieldSource> ListYieldSources(YieldExpectation& expectation, const Worksheet& n,
                                          char decimalSeparator);

// The text shown over the row's expectation: a title, one line per year, then
// the hints. Lines end in '\n' except the last.
std::string YieldSourceText(const YieldSource& source, char decimalSeparator);

}  // namespace kv4
