// The export tool's core: command line, crops file, CSV text, output files
// that appear whole or not at all, and the run over a data folder with a
// stand-in PDF writer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "worksheets/DecimalSeparator.h"
#include "export/Export.h"
#include "worksheets/Fill.h"
#include "reference/NutrientClasses.h"
#include "data/ADECLARE.h"
#include "data/FileAccess.h"
#include "reference/UFruchtdaten.h"
#include "support/DemoFarm.h"
#include "support/RecordWriter.h"

namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteText(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

std::vector<std::string> Entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

kv4::ParsedExportArgs Parse(std::vector<std::string> args) { return kv4::ParseExportArgs(args); }

}  // namespace

// --- Command line ---------------------------------------------------------

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

// --- Crops file -----------------------------------------------------------

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

// --- CSV ------------------------------------------------------------------

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

TEST(DecimalSeparator, OnlyPrintableNonNumberCharacters) {
    EXPECT_EQ(kv4::CellDecimalSeparator(U","), ',');
    EXPECT_EQ(kv4::CellDecimalSeparator(U"."), '.');
    EXPECT_EQ(kv4::CellDecimalSeparator(U"\u066B"), '.');  // Arabic decimal separator
    EXPECT_EQ(kv4::CellDecimalSeparator(U",,"), '.');
    EXPECT_EQ(kv4::CellDecimalSeparator(U""), '.');
    EXPECT_EQ(kv4::CellDecimalSeparator(U"5"), '.');
    EXPECT_EQ(kv4::CellDecimalSeparator(U"-"), '.');
    EXPECT_EQ(kv4::CellDecimalSeparator(U" "), '.');
}

// --- Output files ----------------------------------------------------------

namespace {

kv4::OutputJob TextJob(const fs::path& target, const std::string& text) {
    return {target, [text](const fs::path& file, std::string&) {
                std::ofstream out(file, std::ios::binary | std::ios::trunc);
                out << text;
                return bool(out);
            }};
}

kv4::OutputJob FailingJob(const fs::path& target) {
    return {target, [](const fs::path& file, std::string& error) {
                std::ofstream(file, std::ios::binary) << "half";  // a partial file
                error = "Testfehler";
                return false;
            }};
}

}  // namespace

TEST(Outputs, AllOrNothing) {
    kv4test::TempDir dir;
    const fs::path a = dir.path() / "a.csv";
    const fs::path b = dir.path() / "b.csv";
    WriteText(b, "alt");

    // The second one fails: the first target does not appear, the old b stays.
    std::vector<kv4::OutputJob> jobs = {TextJob(a, "neu a"), FailingJob(b)};
    auto problem = kv4::WriteOutputs(jobs);
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("b.csv\" kann nicht geschrieben werden: Testfehler"), std::string::npos)
        << *problem;
    EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"b.csv"}));
    EXPECT_EQ(ReadText(b), "alt");

    // A missing folder for the last one: same.
    jobs = {TextJob(a, "neu a"), TextJob(dir.path() / "fehlt" / "c.csv", "c")};
    problem = kv4::WriteOutputs(jobs);
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("c.csv\" kann nicht geschrieben werden"), std::string::npos);
    EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"b.csv"}));

    // A folder in the target's place.
    fs::create_directory(dir.path() / "ordner");
    jobs = {TextJob(a, "neu a"), TextJob(dir.path() / "ordner", "x")};
    problem = kv4::WriteOutputs(jobs);
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("ist ein Ordner"), std::string::npos);
    EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"b.csv", "ordner"}));

    // All sound: both in place, the old one replaced, no temporary left.
    jobs = {TextJob(a, "neu a"), TextJob(b, "neu b")};
    EXPECT_FALSE(kv4::WriteOutputs(jobs));
    EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"a.csv", "b.csv", "ordner"}));
    EXPECT_EQ(ReadText(a), "neu a");
    EXPECT_EQ(ReadText(b), "neu b");
}

TEST(Outputs, WriteProtectedTargetStaysAsItIs) {
    kv4test::TempDir dir;
    const fs::path target = dir.path() / "schreibgeschuetzt.csv";
    WriteText(target, "alt");
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    if (std::fstream(target, std::ios::in | std::ios::out).is_open())
        GTEST_SKIP() << "running with rights that ignore write protection";
    const std::vector<kv4::OutputJob> jobs = {TextJob(target, "neu")};
    const auto problem = kv4::WriteOutputs(jobs);
    ASSERT_TRUE(problem);
    EXPECT_EQ(ReadText(target), "alt");
    EXPECT_EQ(Entries(dir.path()).size(), 1u);
}

TEST(Outputs, PathIsInside) {
    kv4test::TempDir dir;
    const fs::path data = dir.path() / "Daten";
    fs::create_directory(data);
    struct Case {
        fs::path file;
        bool inside;
    };
    const std::vector<Case> cases = {
        {data / "n.csv", true},
        {data / "neu" / "n.csv", true},
        {dir.path() / "Daten" / ".." / "Daten" / "x", true},
        {dir.path() / "n.csv", false},
        {dir.path() / "Daten2" / "n.csv", false},
        {dir.path() / "Date", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(kv4::PathIsInside(c.file, data), c.inside) << c.file;
        EXPECT_EQ(kv4::PathIsInside(c.file, data.string() + "/"), c.inside) << c.file;
    }
    // Through a link to the folder.
    std::error_code ec;
    fs::create_directory_symlink(data, dir.path() / "link", ec);
    if (!ec) {
        EXPECT_TRUE(kv4::PathIsInside(dir.path() / "link" / "n.csv", data));
    }
}

// --- The whole run -----------------------------------------------------------

namespace {

// The demo farm once for all runs; each run writes into a folder of its own.
class ExportRun : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        farm_ = new kv4test::TempDir;
        kv4test::WriteDemoFarm(farm_->path());
    }
    static void TearDownTestSuite() {
        delete farm_;
        farm_ = nullptr;
    }

    kv4::ExportOptions Options() const {
        kv4::ExportOptions o;
        o.dataFolder = kv4::PathToUtf8(farm_->path() / "Daten");
        o.nutrientFile = kv4::PathToUtf8(farm_->path() / "NKlassen.dat");
        return o;
    }
    std::string Out(const std::string& name) const { return kv4::PathToUtf8(out_.path() / name); }

    // Runs with a PDF writer that records its calls and writes a marker file.
    kv4::ExportStatus Run(const kv4::ExportOptions& o) {
        err_.str("");
        pdfCalls_.clear();
        const kv4::PdfWriter pdf = [this](const fs::path& file, const kv4::Worksheet& sheet,
                                          kv4::ReportKind kind, const kv4::ReportHeader& header) {
            pdfCalls_.push_back(kind == kv4::ReportKind::N ? "N" : "P");
            std::ofstream(file) << "PDF " << sheet.RowCount() << ' ' << header.farmName;
            return pdfSucceeds_;
        };
        return kv4::RunExport(o, ',', pdf, err_);
    }

    kv4::Worksheet CoreN(const kv4::ExportOptions& o) const {
        kv4::NutrientClasses classes;
        classes.LoadFromBytes(kv4::ReadFileBytes(kv4::PathFromUtf8(o.nutrientFile)).bytes);
        kv4::ExportWorksheets sheets;
        EXPECT_FALSE(kv4::LoadExportWorksheets(o.dataFolder, classes, ',', sheets));
        return sheets.n;
    }

    static kv4test::TempDir* farm_;
    kv4test::TempDir out_;
    std::ostringstream err_;
    std::vector<std::string> pdfCalls_;
    bool pdfSucceeds_ = true;
};

kv4test::TempDir* ExportRun::farm_ = nullptr;

}  // namespace

TEST_F(ExportRun, WithoutCropsTheFillAsItStands) {
    kv4::ExportOptions o = Options();
    o.nCsv = Out("n.csv");
    o.nPdf = Out("n.pdf");
    o.pPdf = Out("p.pdf");
    o.header.farmName = "Hof";
    ASSERT_EQ(Run(o), kv4::ExportStatus::Ok) << err_.str();
    EXPECT_EQ(err_.str(), "");
    EXPECT_EQ(ReadText(o.nCsv), kv4::WorksheetCsv(CoreN(o)));
    EXPECT_EQ(pdfCalls_, (std::vector<std::string>{"N", "P"}));
    EXPECT_TRUE(ReadText(o.pPdf).ends_with(" Hof"));
    EXPECT_EQ(Entries(out_.path()), (std::vector<std::string>{"n.csv", "n.pdf", "p.pdf"}));
}

TEST_F(ExportRun, CropsRecalculateAndWarnAboutUnknownFarmCrops) {
    kv4::ExportOptions o = Options();
    o.cropsFile = Out("crops.txt");
    WriteText(o.cropsFile, "Winterweizen;Winterweizen A,B\nDinkel;Hafer\n");
    o.nCsv = Out("n.csv");
    ASSERT_EQ(Run(o), kv4::ExportStatus::Ok) << err_.str();
    EXPECT_NE(err_.str().find("Warnung: Fruchtdatei \"" + o.cropsFile +
                              "\", Zeile 2: kein Schlag mit der Frucht \"Dinkel\"."),
              std::string::npos)
        << err_.str();
    const std::string csv = ReadText(o.nCsv);
    EXPECT_NE(csv, kv4::WorksheetCsv(CoreN(o)));
    // Every wheat row now has its base yield, and N-Bedarf is filled everywhere.
    const kv4::Worksheet core = CoreN(o);
    int wheat = 0;
    std::istringstream lines(csv);
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        if (line.find(";Winterweizen;") != std::string::npos) {
            ++wheat;
            EXPECT_NE(line.find(";80;V;"), std::string::npos) << line;
        }
    }
    EXPECT_GE(wheat, 2);
    EXPECT_EQ(core.Cells(kv4::ncol::NBedarf, 1), "");
}

TEST_F(ExportRun, BadCropsFileWritesNothing) {
    kv4::ExportOptions o = Options();
    o.cropsFile = Out("crops.txt");
    WriteText(o.cropsFile, "Winterweizen;Winterweizen A,B\nGerste;Gerste\n");
    o.nCsv = Out("n.csv");
    o.pPdf = Out("p.pdf");
    EXPECT_EQ(Run(o), kv4::ExportStatus::BadCrops);
    EXPECT_NE(err_.str().find("Zeile 2: \"Gerste\" ist keine Frucht der Standardtabelle."),
              std::string::npos)
        << err_.str();
    EXPECT_EQ(Entries(out_.path()), (std::vector<std::string>{"crops.txt"}));
    EXPECT_TRUE(pdfCalls_.empty());

    o.cropsFile = Out("fehlt.txt");
    EXPECT_EQ(Run(o), kv4::ExportStatus::Failed);
    EXPECT_NE(err_.str().find("Die Fruchtdatei"), std::string::npos);
}

TEST_F(ExportRun, ConversionErrorStillWritesTheSheets) {
    // Two fields of 2018; the second has an N-min sample too large for a cell.
    kv4test::TempDir farm;
    kv4test::FieldSpec a{1, 0, "Acker", 5, "lS", 20, 10, 0, "Weizen"};
    kv4test::FieldSpec b{2, 0, "Breite", 4, "lS", 20, 10, 0, "Weizen"};
    kv4test::WorkSpec nmin;
    nmin.fieldNo = 2;
    nmin.workType = kv4::kWorkTypeFertilisation;
    nmin.nminMark = 1;
    nmin.nutrient1 = 5e9;
    kv4test::WriteYear(farm.path() / "Daten", 2018, {a, b}, {nmin});
    kv4::ExportOptions o = Options();
    o.dataFolder = kv4::PathToUtf8(farm.path() / "Daten");
    o.cropsFile = Out("crops.txt");
    WriteText(o.cropsFile, "Weizen;Winterweizen A,B\n");
    o.nCsv = Out("n.csv");
    o.pCsv = Out("p.csv");
    EXPECT_EQ(Run(o), kv4::ExportStatus::ConversionFailed);
    EXPECT_NE(err_.str().find("Fehler bei der Neuberechnung: '-5000000000' ist kein gültiger "
                              "Integerwert."),
              std::string::npos)
        << err_.str();
    const std::string n = ReadText(o.nCsv);
    // Row 1 recalculated (230 - 80 / 10 * 15 = 110), row 2 stopped before N-Bedarf.
    EXPECT_NE(n.find("Acker;Weizen; 5,00;80;V;    0;230;-120;;;    0;;  110;10;10;15\r\n"),
              std::string::npos)
        << n;
    EXPECT_NE(n.find("Breite;Weizen; 4,00;80;V;    0;230;-120;-5000000000;;    0;;;10;10;15\r\n"),
              std::string::npos)
        << n;
    EXPECT_TRUE(fs::exists(o.pCsv));
}

TEST_F(ExportRun, FolderAndOutputFailures) {
    kv4::ExportOptions o = Options();
    o.nCsv = Out("n.csv");

    o.dataFolder = kv4::PathToUtf8(out_.path() / "fehlt");
    EXPECT_EQ(Run(o), kv4::ExportStatus::Failed);
    EXPECT_NE(err_.str().find("ist nicht vorhanden."), std::string::npos) << err_.str();

    o.dataFolder = o.nutrientFile;  // a file
    EXPECT_EQ(Run(o), kv4::ExportStatus::Failed);
    EXPECT_NE(err_.str().find("ist kein Ordner."), std::string::npos) << err_.str();

    kv4test::TempDir only2017;
    kv4test::WriteYear(only2017.path(), 2017, {{1, 0, "Alt", 1, "lS", 20, 10, 0, "Hafer"}}, {});
    o.dataFolder = kv4::PathToUtf8(only2017.path());
    EXPECT_EQ(Run(o), kv4::ExportStatus::Failed);
    EXPECT_EQ(err_.str(),
              "kv4-export: Es sind keine Schl\xC3\xA4ge f\xC3\xBCr 2018 vorhanden. Legen Sie "
              "gegebnenfalls zun\xC3\xA4"
              "chst das Erntejahr 2018 an.\n");

    o = Options();
    o.nutrientFile = Out("fehlt.dat");
    o.nCsv = Out("n.csv");
    EXPECT_EQ(Run(o), kv4::ExportStatus::Failed);
    EXPECT_NE(err_.str().find("Die N\xC3\xA4hrstoffklassentabelle"), std::string::npos);

    // Never into the data folder, not even a new file.
    o = Options();
    o.pCsv = o.dataFolder + "/p.csv";
    EXPECT_EQ(Run(o), kv4::ExportStatus::Failed);
    EXPECT_NE(err_.str().find("liegt im Datenordner"), std::string::npos);
    EXPECT_FALSE(fs::exists(kv4::PathFromUtf8(o.pCsv)));

    // A PDF that cannot be made: the CSV does not appear either.
    o = Options();
    o.nCsv = Out("n.csv");
    o.pPdf = Out("p.pdf");
    pdfSucceeds_ = false;
    EXPECT_EQ(Run(o), kv4::ExportStatus::Failed);
    EXPECT_NE(err_.str().find("p.pdf\" kann nicht geschrieben werden."), std::string::npos)
        << err_.str();
    EXPECT_TRUE(Entries(out_.path()).empty());
}

#ifdef __linux__
// A read error of a farm file does not end the run: the tool says so, with
// its prefix, and goes on with what was read.
TEST_F(ExportRun, ReadErrorsOfTheFarmAreWarnings) {
    kv4::ExportOptions o = Options();
    kv4test::TempDir copy;
    fs::copy(farm_->path() / "Daten", copy.path());
    fs::remove(copy.path() / "ARB2017.DAT");
    fs::create_symlink("/proc/self/mem", copy.path() / "ARB2017.DAT");
    o.dataFolder = kv4::PathToUtf8(copy.path());
    o.nCsv = Out("n.csv");
    ASSERT_EQ(Run(o), kv4::ExportStatus::Ok) << err_.str();
    EXPECT_EQ(err_.str(), "kv4-export: Warnung: Fehler beim Lesen der Datei ARB2017.DAT\n");
    EXPECT_EQ(Entries(out_.path()), (std::vector<std::string>{"n.csv"}));
}
#endif
