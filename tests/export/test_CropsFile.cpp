// The crops file: its lines and their application to the worksheets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/CropsFile.h"
#include "reference/CropTable.h"

TEST(CropsFile, LinesCommentsAndSplit) {
    const std::string text =
        "\xEF\xBB\xBF# Zuordnung\r\n"
        "Weizen;Winterweizen A,B\r\n"
        "\r\n"
        "   \t\n"
        "  # eingerückter Kommentar\n"
        "Zuckerr\xC3\xBC"
        "ben ;Zuckerr\xC3\xBC"
        "ben\n"
        "Raps; alt;Winterraps";  // no newline at the end
    const kv4::ParsedCrops parsed = kv4::ParseCropsText(text);
    ASSERT_EQ(parsed.error, "");
    const std::vector<kv4::CropAssignment> expected = {
        {2, "Weizen", 0},
        {6,
         "Zuckerr\xC3\xBC"
         "ben ",
         15},
        {7, "Raps; alt", 14},
    };
    EXPECT_EQ(parsed.assignments, expected);
    EXPECT_EQ(kv4::CropTable[14].Name, "Winterraps");
    EXPECT_TRUE(kv4::ParseCropsText("").assignments.empty());
    EXPECT_TRUE(kv4::ParseCropsText("\n\n# nur Kommentar\n").error.empty());
}

TEST(CropsFile, ErrorsNameTheLine) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"# x\nWeizen;Winterweizen\n", "Zeile 2: \"Winterweizen\" ist keine Frucht"},
        {"Weizen;Winterweizen A,B \n", "Zeile 1: \"Winterweizen A,B \" ist keine Frucht"},
        {"Weizen;winterweizen A,B\n", "Zeile 1: \"winterweizen A,B\" ist keine Frucht"},
        {"\n\nWeizen Winterweizen A,B\n", "Zeile 3: erwartet \"Betriebsfrucht;Standardfrucht\""},
        {"Weizen;\n", "Zeile 1: \"\" ist keine Frucht"},
        {"Zuckerr\xFC"
         "ben;Zuckerr\xC3\xBC"
         "ben\n",
         "Zeile 1: kein gültiger UTF-8-Text."},
        {"ok;Hafer\n\xC3\n", "Zeile 2: kein gültiger UTF-8-Text."},
        {"Weizen;Winterweizen A,B\nRaps;Raps\n", "Zeile 2: \"Raps\" ist keine Frucht"},
    };
    for (const auto& [text, start] : cases) {
        const kv4::ParsedCrops parsed = kv4::ParseCropsText(text);
        EXPECT_TRUE(parsed.error.starts_with(start)) << parsed.error;
    }
    // The message lists the names the user may choose from.
    const std::string error = kv4::ParseCropsText("a;b").error;
    EXPECT_NE(error.find("Winterweizen A,B | "), std::string::npos) << error;
    EXPECT_NE(error.find("Zuckerr\xC3\xBC"
                         "ben"),
              std::string::npos);
}

TEST(CropsFile, ApplyToFirstRowAndCarryToTheSameCrop) {
    kv4::Worksheet n = kv4::MakeNWorksheet();
    kv4::Worksheet p = kv4::MakePWorksheet();
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"Weizen", ""}, {"Gerste", ""}, {"Weizen", "75"}, {"weizen", ""}, {"Weizen", ""}};
    n.SetRowCount(static_cast<int>(rows.size()) + 2);
    p.SetRowCount(n.RowCount());
    for (int r = 1; r <= static_cast<int>(rows.size()); ++r) {
        n.SetCell(kv4::ncol::Frucht, r, rows[r - 1].first);
        n.SetCell(kv4::ncol::BasisErtrag, r, rows[r - 1].second);
    }
    const std::vector<kv4::CropAssignment> assignments = {
        {1, "Weizen", 0}, {2, "Roggen", 3}, {3, "", 4}, {4, "Gerste", 6}};
    const auto unmatched = kv4::ApplyCropAssignments(n, p, assignments, ',');
    // The empty crop text of the trailing row is no field's crop.
    ASSERT_EQ(unmatched.size(), 2u);
    EXPECT_EQ(unmatched[0].line, 2);
    EXPECT_EQ(unmatched[1].line, 3);

    const kv4::CropReference& wheat = kv4::CropTable[0];
    for (int r : {1, 5}) {
        EXPECT_EQ(n.Cells(kv4::ncol::BasisErtrag, r), std::to_string(wheat.BaseYield)) << r;
        EXPECT_EQ(n.Cells(kv4::ncol::NSollwert, r), std::to_string(wheat.NTarget)) << r;
        EXPECT_EQ(n.Cells(kv4::ncol::SurchargeRate, r), "10");
        EXPECT_EQ(n.Cells(kv4::ncol::DeductionRate, r), "15");
        EXPECT_EQ(p.Cells(kv4::pcol::Factor, r), "0,8");
        EXPECT_EQ(p.Cells(kv4::pcol::FactorResidues, r), "1,04");
    }
    // A row with its own base yield and a crop differing in case stay as they are.
    EXPECT_EQ(n.Cells(kv4::ncol::BasisErtrag, 3), "75");
    EXPECT_EQ(n.Cells(kv4::ncol::NSollwert, 3), "");
    EXPECT_EQ(n.Cells(kv4::ncol::BasisErtrag, 4), "");
    EXPECT_EQ(n.Cells(kv4::ncol::BasisErtrag, 2), std::to_string(kv4::CropTable[6].BaseYield));
    EXPECT_EQ(n.Cells(kv4::ncol::BasisErtrag, 6), "");  // trailing row
}
