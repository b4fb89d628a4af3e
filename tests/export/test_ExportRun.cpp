// The export run over a data folder with a stand-in PDF writer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ExportTestFiles.h"
#include "data/FileAccess.h"
#include "data/Records.h"
#include "export/ExportRun.h"
#include "export/WorksheetCsv.h"
#include "farmwriter/DemoFarm.h"
#include "farmwriter/RecordWriter.h"
#include "reference/NutrientClasses.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using kv4exporttest::Entries;
using kv4exporttest::ReadText;
using kv4exporttest::WriteText;

namespace {

// The demo farm once for all runs; each run writes into a folder of its own.
class ExportRun : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        farm_ = new kv4test::TempDir;
        kv4farm::WriteDemoFarm(farm_->path());
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
    kv4farm::FieldSpec a{1, 0, "Acker", 5, "lS", 20, 10, 0, "Weizen"};
    kv4farm::FieldSpec b{2, 0, "Breite", 4, "lS", 20, 10, 0, "Weizen"};
    kv4farm::WorkSpec nmin;
    nmin.fieldNo = 2;
    nmin.workType = kv4::kWorkTypeFertilisation;
    nmin.nminMark = 1;
    nmin.nutrient1 = 5e9;
    kv4farm::WriteYear(farm.path() / "Daten", 2018, {a, b}, {nmin});
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
    kv4farm::WriteYear(only2017.path(), 2017, {{1, 0, "Alt", 1, "lS", 20, 10, 0, "Hafer"}}, {});
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
