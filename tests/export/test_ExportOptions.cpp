// The export tool's command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/ExportOptions.h"

namespace {

kv4::ParsedExportArgs Parse(std::vector<std::string> args) { return kv4::ParseExportArgs(args); }

}  // namespace

TEST(ExportArgs, AllOptionsInBothForms) {
    const auto parsed = Parse({"--data", "/d", "--nklassen=/k/NKlassen.dat", "--crops", "c.txt",
                               "--n-csv", "n.csv", "--p-csv=p.csv", "--n-pdf", "n.pdf", "--p-pdf",
                               "p.pdf", "--farm", "Hof = Sonne", "--farm-no=", "--date", "1.3.18"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    const kv4::ExportOptions& o = *parsed.options;
    EXPECT_EQ(o.dataFolder, "/d");
    EXPECT_EQ(o.nutrientFile, "/k/NKlassen.dat");
    EXPECT_EQ(o.cropsFile, "c.txt");
    EXPECT_EQ(o.nCsv, "n.csv");
    EXPECT_EQ(o.pCsv, "p.csv");
    EXPECT_EQ(o.nPdf, "n.pdf");
    EXPECT_EQ(o.pPdf, "p.pdf");
    EXPECT_EQ(o.header.farmName, "Hof = Sonne");  // only the option name ends at '='
    EXPECT_EQ(o.header.farmNumber, "");
    EXPECT_EQ(o.header.date, "1.3.18");
    EXPECT_FALSE(o.help);
}

TEST(ExportArgs, Errors) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "Die Option --data fehlt."},
        {{"--n-csv", "n.csv"}, "Die Option --data fehlt."},
        {{"--data"}, "Die Option --data erwartet einen Wert."},
        {{"--data", ""}, "Die Option --data erwartet einen Wert."},
        {{"--data", "d", "--n-pdf="}, "Die Option --n-pdf erwartet einen Wert."},
        {{"--data", "d", "--csv", "x"}, "Unbekannte Option \"--csv\"."},
        {{"--data", "d", "-v"}, "Unbekannte Option \"-v\"."},
        {{"--data", "d", "extra"}, "Unerwartetes Argument \"extra\"."},
        {{"--data", "d", "--data=e"}, "Die Option --data ist mehrfach angegeben."},
        {{"--data", "d", "--n-csv", "x.csv", "--p-csv", "./x.csv"},
         "Die Ausgabedatei \"./x.csv\" ist mehrfach angegeben."},
        {{"--data", "d", "--n-csv", "a/../x", "--n-pdf", "x"},
         "Die Ausgabedatei \"x\" ist mehrfach angegeben."},
    };
    for (const auto& [args, message] : cases) {
        const auto parsed = Parse(args);
        EXPECT_FALSE(parsed.options) << message;
        EXPECT_EQ(parsed.error, message);
    }
}

TEST(ExportArgs, HelpNeedsNothingElseAndListsEveryOption) {
    for (const char* flag : {"--help", "-h"}) {
        const auto parsed = Parse({flag});
        ASSERT_TRUE(parsed.options);
        EXPECT_TRUE(parsed.options->help);
    }
    const std::string usage = kv4::ExportUsage();
    for (const char* option : {"--data", "--nklassen", "--crops", "--n-csv", "--p-csv", "--n-pdf",
                               "--p-pdf", "--farm ", "--farm-no", "--date", "--help"}) {
        // Each at the start of a line of its own.
        EXPECT_NE(usage.find(std::string("\n  ") + option), std::string::npos) << option;
    }
}
