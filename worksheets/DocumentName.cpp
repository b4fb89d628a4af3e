#include "worksheets/DocumentName.h"

namespace kv4 {

namespace {

bool ForbiddenInFileName(char c) {
    return static_cast<unsigned char>(c) < 0x20 ||
           std::string_view(R"(\/:*?"<>|)").find(c) != std::string_view::npos;
}

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::string ReportDocumentName(ReportKind kind, std::string_view farmName) {
    while (!farmName.empty() && Blank(farmName.front())) farmName.remove_prefix(1);
    while (!farmName.empty() && Blank(farmName.back())) farmName.remove_suffix(1);
    std::string name = kind == ReportKind::N ? "N-Bedarf 2018" : "P2O5-Bedarf 2018";
    if (farmName.empty()) return name;
    name += ' ';
    // Bytes of multi-byte UTF-8 characters are all >= 0x80 and stay as they are.
    for (const char c : farmName) name += ForbiddenInFileName(c) ? '_' : c;
    return name;
}

}  // namespace kv4
