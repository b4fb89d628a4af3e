#include <gtest/gtest.h>

#include <string>

#include "worksheets/DocumentName.h"

namespace kv4 {
namespace {

TEST(DocumentName, WorksheetYearAndSafeFarmName) {
    struct Case {
        ReportKind kind;
        std::string farm;
        std::string name;
    };
    const Case cases[] = {
        {ReportKind::N, "Hof Sonnenwiese", "N-Bedarf 2018 Hof Sonnenwiese"},
        {ReportKind::P2O5, "Hof Sonnenwiese", "P2O5-Bedarf 2018 Hof Sonnenwiese"},
        {ReportKind::N, "", "N-Bedarf 2018"},
        {ReportKind::P2O5, " \t ", "P2O5-Bedarf 2018"},
        {ReportKind::N, "  Gut Aue  ", "N-Bedarf 2018 Gut Aue"},
        {ReportKind::N, R"(a\b/c:d*e?f"g<h>i|j)", "N-Bedarf 2018 a_b_c_d_e_f_g_h_i_j"},
        {ReportKind::N, "M\xC3\xBCller & S\xC3\xB6hne GbR.",
         "N-Bedarf 2018 M\xC3\xBCller & S\xC3\xB6hne GbR."},
        {ReportKind::N, "Hof\x01Nord\x1F", "N-Bedarf 2018 Hof_Nord_"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.farm);
        EXPECT_EQ(ReportDocumentName(c.kind, c.farm), c.name);
    }
}

}  // namespace
}  // namespace kv4
