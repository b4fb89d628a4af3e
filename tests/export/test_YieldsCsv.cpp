#include <gtest/gtest.h>

#include <string>

#include "export/YieldsCsv.h"
#include "support/RandomFarm.h"

namespace {

std::string Yields(const kv4test::FarmSpec& spec, char separator) {
    kv4::Worksheet n = kv4::MakeNWorksheet();
    kv4::Worksheet p = kv4::MakePWorksheet();
    kv4::YieldExpectation expectation = kv4test::FillWorksheets(
        kv4test::ToFarmData(spec), kv4test::ToClasses(spec), n, p, separator);
    return kv4::YieldsCsv(kv4::ListYieldSources(expectation, n, separator), n, separator);
}

TEST(YieldsCsv, OneLinePerListedRow) {
    const std::string maize = "Mais;\"Silo\"";  // a crop name that needs quoting
    kv4test::FarmSpec spec;
    spec.years[0].fields = {{.fieldNo = 1, .name = "Nord", .area = 10, .crop = maize},
                            {.fieldNo = 2,
                             .name = "S\xC3\xBC"
                                     "d",
                             .area = 5,
                             .crop = "Raps"},
                            {.fieldNo = 3, .name = "Versteckt", .statusBits = 1, .crop = "Raps"}};
    spec.years[1].fields = {{.fieldNo = 1, .area = 10}, {.fieldNo = 2, .area = 5}};
    spec.years[1].works = {{.fieldNo = 1, .workType = 6, .cropName = maize, .amount = 80},
                           {.fieldNo = 2, .workType = 6, .cropName = maize, .amount = 0}};
    spec.years[2].fields = {{.fieldNo = 2, .area = 2}};
    spec.years[2].works = {{.fieldNo = 2, .workType = 6, .cropName = "raps", .amount = 40}};
    spec.years[3].fields = {{.fieldNo = 1, .area = 4}};
    spec.years[3].works = {{.fieldNo = 1, .workType = 6, .cropName = maize, .amount = 60}};

    EXPECT_EQ(Yields(spec, ','),
              "Schlag;Frucht;Mittel 2017;Fl\xC3\xA4"
              "che 2017;Ernten 2017;Mittel 2016;"
              "Fl\xC3\xA4"
              "che 2016;Ernten 2016;Mittel 2015;Fl\xC3\xA4"
              "che 2015;Ernten 2015;"
              "Ertragserwartung;Hinweise\r\n"
              "Nord;\"Mais;\"\"Silo\"\"\";53,33;15,00;2;;;0;60,00;4,00;1;   57;"
              "\"2017: 1 Ernte ohne Menge auf 5,00 ha; ohne sie w\xC3\xA4re das Mittel 80,00 "
              "statt 53,33 dt/ha\"\r\n"
              "S\xC3\xBC"
              "d;Raps;;;0;;;0;;;0;    0;Keine Ernte unter \xE2\x80\x9ERaps\xE2\x80\x9C, "
              "aber unter \xE2\x80\x9Eraps\xE2\x80\x9C: Ertragserwartung w\xC3\xA4re 40\r\n");
    // The worksheets' separator throughout.
    const std::string dot = Yields(spec, '.');
    EXPECT_NE(dot.find("\r\nNord;\"Mais;\"\"Silo\"\"\";53.33;15.00;2;;;0;60.00;4.00;1;   57;"),
              std::string::npos);
    EXPECT_NE(dot.find("5.00 ha; ohne sie w\xC3\xA4re das Mittel 80.00 statt 53.33"),
              std::string::npos);
}

}  // namespace
