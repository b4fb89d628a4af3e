#include "render/PageSelection.h"

#include <algorithm>
#include <vector>

namespace kv4gui {

kv4::ReportPages PagesToPrint(const kv4::ReportPages& report, const PrintChoice& choice) {
    std::vector<const kv4::ReportPage*> chosen;
    for (std::size_t i = 0; i < report.pages.size(); ++i)
        if (choice.ranges.isEmpty() || choice.ranges.contains(static_cast<int>(i) + 1))
            chosen.push_back(&report.pages[i]);

    const int copies = choice.printerMakesCopies ? 1 : std::max(choice.copies, 1);
    kv4::ReportPages out;
    if (choice.collate) {
        for (int copy = 0; copy < copies; ++copy)
            for (const kv4::ReportPage* page : chosen) out.pages.push_back(*page);
    } else {
        for (const kv4::ReportPage* page : chosen)
            for (int copy = 0; copy < copies; ++copy) out.pages.push_back(*page);
    }
    return out;
}

}  // namespace kv4gui
