#include "export/CropsFile.h"

#include <algorithm>

#include "data/ByteReader.h"
#include "export/Messages.h"
#include "reference/CropTable.h"
#include "worksheets/Editing.h"

namespace kv4 {

namespace {

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (!DecodeUtf8(text, i)) return false;
    }
    return true;
}

bool IsBlankLine(std::string_view line) {
    return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t'; });
}

bool IsComment(std::string_view line) { return line[line.find_first_not_of(" \t")] == '#'; }

int CropPosition(std::string_view name) {
    for (std::size_t i = 0; i < CropTable.size(); ++i)
        if (CropTable[i].Name == name) return static_cast<int>(i);
    return -1;
}

std::string CropNameList() {
    std::string list;
    for (const CropReference& crop : CropTable) {
        if (!list.empty()) list += " | ";
        list += crop.Name;
    }
    return list;
}

// Takes the next line off `text`, without its line end.
std::string_view NextLine(std::string_view& text) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    return line;
}

// One line that is neither blank nor a comment; the error without the line
// number when it is not an assignment.
std::string ParseAssignment(std::string_view line, int lineNo, std::vector<CropAssignment>& out) {
    const std::size_t semicolon = line.rfind(';');
    if (semicolon == std::string_view::npos)
        return "erwartet \"Betriebsfrucht;Standardfrucht\", gefunden " + Quoted(line) + ".";
    const std::string_view standard = line.substr(semicolon + 1);
    const int crop = CropPosition(standard);
    if (crop < 0)
        return Quoted(standard) +
               " ist keine Frucht der Standardtabelle. Die Standardfr\xC3\xBC"
               "chte: " +
               CropNameList();
    out.push_back({lineNo, std::string(line.substr(0, semicolon)), crop});
    return {};
}

// The first field row whose crop text is `farmCrop`, or -1. The trailing row
// belongs to no field.
int FirstRowOfCrop(const Worksheet& n, const std::string& farmCrop) {
    for (int r = 1; r < n.RowCount() - 1; ++r)
        if (n.Cells(ncol::Frucht, r) == farmCrop) return r;
    return -1;
}

}  // namespace

ParsedCrops ParseCropsText(std::string_view text) {
    ParsedCrops result;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a BOM from Windows editors
    for (int lineNo = 1; !text.empty(); ++lineNo) {
        const std::string_view line = NextLine(text);
        std::string error;
        if (!IsValidUtf8(line))
            error = "kein g\xC3\xBCltiger UTF-8-Text.";
        else if (!IsBlankLine(line) && !IsComment(line))
            error = ParseAssignment(line, lineNo, result.assignments);
        if (!error.empty()) {
            result.error = "Zeile " + std::to_string(lineNo) + ": " + error;
            return result;
        }
    }
    return result;
}

std::vector<CropAssignment> ApplyCropAssignments(Worksheet& n, Worksheet& p,
                                                 std::span<const CropAssignment> assignments,
                                                 char decimalSeparator) {
    std::vector<CropAssignment> unmatched;
    for (const CropAssignment& a : assignments) {
        const int row = FirstRowOfCrop(n, a.farmCrop);
        if (row < 0) {
            unmatched.push_back(a);
            continue;
        }
        ApplyCropChoice(n, p, row, a.crop, decimalSeparator);
        PropagateCropChoice(n, p, row, a.crop);
    }
    return unmatched;
}

}  // namespace kv4
