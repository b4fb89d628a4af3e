#pragma once
// The crops file: which standard crop each of the farm's own crops is.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "worksheets/Worksheet.h"

namespace kv4 {

// One line "farm crop;standard crop": `crop` is the position of the standard
// crop in the crop table.
struct CropAssignment {
    int line = 0;
    std::string farmCrop;
    int crop = -1;

    bool operator==(const CropAssignment&) const = default;
};

struct ParsedCrops {
    std::vector<CropAssignment> assignments;
    std::string error;  // names the line; empty when the text is sound
};

// UTF-8 text, one assignment a line; blank lines and lines starting with '#'
// are skipped. The line is split at its last ';' (the standard crop names
// hold none, a farm's own crop name might), and both parts are taken as they
// stand: the farm crop must match a `Frucht` text exactly, the standard crop
// one of the crop table's names.
ParsedCrops ParseCropsText(std::string_view text);

// For each assignment in order: the first field row whose `Frucht` equals the
// farm crop gets the standard crop as if picked in the crop list and carried
// to its crop with "&Ja". Returns the assignments that no row matched.
std::vector<CropAssignment> ApplyCropAssignments(Worksheet& n, Worksheet& p,
                                                 std::span<const CropAssignment> assignments,
                                                 char decimalSeparator);

}  // namespace kv4
