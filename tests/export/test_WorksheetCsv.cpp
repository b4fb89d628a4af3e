// Worksheets as CSV text.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "export/WorksheetCsv.h"

TEST(Csv, EveryCellQuotedOnlyWhereNeeded) {
    kv4::Worksheet w(4, 3);
    const std::vector<std::string> cells = {
        "Schlag",
        "",
        " 2,50",
        "Winterweizen A,B",  // comma: no separator here
        "a;b",
        "sagt \"ja\"",
        "zwei\nZeilen",
        "cr\r",
        "   ",
        "\"",
        ";",
        "ü",
    };
    for (int i = 0; i < 12; ++i) w.SetCell(i % 4, i / 4, cells[static_cast<std::size_t>(i)]);
    EXPECT_EQ(kv4::WorksheetCsv(w),
              "Schlag;; 2,50;Winterweizen A,B\r\n"
              "\"a;b\";\"sagt \"\"ja\"\"\";\"zwei\nZeilen\";\"cr\r\"\r\n"
              "   ;\"\"\"\";\";\";ü\r\n");
}

TEST(Csv, AllRowsAndColumnsOfTheWorksheets) {
    kv4::Worksheet n = kv4::MakeNWorksheet();
    n.SetRowCount(4);
    n.SetCell(kv4::ncol::DeductionRate, 2, "15");
    const std::string csv = kv4::WorksheetCsv(n);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 4);
    // 16 columns: 15 separators a line, the hidden ones included.
    EXPECT_EQ(std::count(csv.begin(), csv.end(), ';'), 4 * 15);
    EXPECT_NE(csv.find("\r\n;;;;;;;;;;;;;;;15\r\n"), std::string::npos);
    const std::string p = kv4::WorksheetCsv(kv4::MakePWorksheet());
    EXPECT_TRUE(
        p.starts_with("Schlag;Frucht;ha;Ertragserwartung;Erntereste;Gehalt;Bodenart;Klasse;Entzug;"
                      "Anmerkung;;\r\n"));
}
