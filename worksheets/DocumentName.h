#pragma once
// The name a printed report goes by: the print job's document name and the
// PDF file the print dialog proposes.
#include <string>
#include <string_view>

#include "worksheets/ReportLayout.h"

namespace kv4 {

// "N-Bedarf 2018 <farm>" or "P2O5-Bedarf 2018 <farm>", without the farm part
// when the farm name is blank (UTF-8). The farm name is trimmed, and every
// character that Windows forbids in a file name (\ / : * ? " < > | and the
// control characters) becomes "_", so the name is also a safe file name.
std::string ReportDocumentName(ReportKind kind, std::string_view farmName);

}  // namespace kv4
