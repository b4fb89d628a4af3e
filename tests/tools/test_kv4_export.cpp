// kv4-export run as a program on the demo farm and on small farms written
// for one case: its files against the library's own fill, the crops file,
// exit codes, files that appear whole or not at all, and a data folder that
// stays as it was.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/FileAccess.h"
#include "data/Records.h"
#include "farmwriter/DemoFarm.h"
#include "farmwriter/RecordWriter.h"
#include "reference/CropTable.h"
#include "reference/NutrientClasses.h"
#include "worksheets/FarmDigest.h"
#include "worksheets/Fill.h"
#include "worksheets/NumberFormat.h"
#include "worksheets/Worksheet.h"

namespace {

using Table = std::vector<std::vector<std::string>>;

struct Result {
    int exitCode = -1;
    QString out;
    QString err;
};

// The environment of a German desktop session without a display.
QProcessEnvironment BaseEnvironment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name :
         {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "LC_ALL", "LC_NUMERIC"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("LANG"), QStringLiteral("de_DE.UTF-8"));
    return env;
}

Result RunTool(const QStringList& args, const QString& workDir,
               const QProcessEnvironment& env = BaseEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(workDir);
    p.start(QStringLiteral(KV4_EXPORT_PROGRAM), args);
    Result r;
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit) return r;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QByteArray ReadAll(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// RFC 4180 as the tool writes it: ';' between fields, CRLF after each record.
// An empty table when the text breaks the rules.
Table ParseCsv(const QByteArray& bytes) {
    const std::string text = bytes.toStdString();
    Table rows;
    std::vector<std::string> row;
    std::string field;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '"') {
            ++i;
            for (;;) {
                if (i >= text.size()) return {};
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text[i++];
            }
        }
        while (i < text.size() && text[i] != ';' && text[i] != '\r') {
            if (text[i] == '"' || text[i] == '\n') return {};
            field += text[i++];
        }
        if (i >= text.size()) return {};  // every record ends with CRLF
        row.push_back(std::move(field));
        field.clear();
        if (text[i] == ';') {
            ++i;
            continue;
        }
        if (text.compare(i, 2, "\r\n") != 0) return {};
        i += 2;
        rows.push_back(std::move(row));
        row.clear();
    }
    return rows;
}

Table AsTable(const kv4::Worksheet& w) {
    Table t;
    for (int r = 0; r < w.RowCount(); ++r) {
        std::vector<std::string> row;
        for (int c = 0; c < w.ColCount(); ++c) row.push_back(w.Cells(c, r));
        t.push_back(row);
    }
    return t;
}

struct CoreSheets {
    kv4::Worksheet n = kv4::MakeNWorksheet();
    kv4::Worksheet p = kv4::MakePWorksheet();
};

// The worksheets as the library fills them for the window.
CoreSheets CoreFill(const QString& root, char separator) {
    kv4::NutrientClasses classes;
    classes.LoadNutrientClasses(kv4::WithTrailingSeparator(root.toStdString()));
    kv4::FarmDigest farm;
    const kv4::ReadErrors errors = kv4::LoadFarmYears(
        farm, kv4::WithTrailingSeparator((root + QStringLiteral("/Daten")).toStdString()));
    QTest::qVerify(errors.empty(), "errors.empty()", "", __FILE__, __LINE__);
    CoreSheets s;
    kv4::FillWorksheets(farm, classes, s.n, s.p, separator);
    return s;
}

std::map<QString, QByteArray> Snapshot(const QString& folder) {
    std::map<QString, QByteArray> files;
    for (const QString& name :
         QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden))
        files[name] = ReadAll(QDir(folder).filePath(name));
    return files;
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                                  QDir::Name);
}

bool HavePoppler() {
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty();
}

QString Poppler(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// All words of the document, one blank between them.
QString PdfWords(const QString& pdf) {
    QXmlStreamReader xml(
        Poppler(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")}));
    QStringList words;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"word")
            words << xml.readElementText();
    return words.join(QLatin1Char(' '));
}

int PdfPages(const QString& pdf) {
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                       .match(Poppler(QStringLiteral("pdfinfo"), {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

int Int(const std::string& cell) { return kv4::CellToInt(cell); }

}  // namespace

class TestKv4Export : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void csvEqualsTheLibraryFill();
    void decimalSeparatorFollowsTheLocale();
    void classTableFromTheCurrentFolder();
    void cropsFileAndRecalculation();
    void badStandardCropExitsTwoWritingNothing();
    void conversionErrorExitsThreeWithFiles();
    void unwritableOutputWritesNothing();
    void missingAndEmptyFolders();
    void optionsAndHelp();
    void pdfReports();
    void linksNoWidgetToolkit();

  private:
    QString Farm() const { return farm_.path(); }
    QString Data() const { return farm_.path() + QStringLiteral("/Daten"); }
    QString Out(const QString& name) const { return out_->filePath(name); }
    QStringList Base() const {
        return {QStringLiteral("--data"), Data(), QStringLiteral("--nklassen"),
                farm_.filePath(QStringLiteral("NKlassen.dat"))};
    }
    QString WriteCrops(const QByteArray& text) const {
        const QString file = scratch_.filePath(QStringLiteral("crops.txt"));
        QFile f(file);
        if (f.open(QIODevice::WriteOnly)) f.write(text);
        return file;
    }

    QTemporaryDir farm_;
    QTemporaryDir scratch_;
    std::unique_ptr<QTemporaryDir> out_;  // fresh and empty for every test
    std::map<QString, QByteArray> dataBefore_;
};

void TestKv4Export::initTestCase() {
    QVERIFY(farm_.isValid() && scratch_.isValid());
    QVERIFY(QFile::exists(QStringLiteral(KV4_EXPORT_PROGRAM)));
    kv4farm::WriteDemoFarm(kv4::PathFromUtf8(Farm().toStdString()));
    dataBefore_ = Snapshot(Data());
    // The padded master-data name is part of what must survive untouched.
    QVERIFY(dataBefore_.count(QStringLiteral("FRUCHT  .DAT")));
    QVERIFY(dataBefore_.size() >= 9);
}

void TestKv4Export::cleanupTestCase() {
    // After every run of this suite: same names, same bytes.
    const auto after = Snapshot(Data());
    QCOMPARE(after.size(), dataBefore_.size());
    for (const auto& [name, bytes] : dataBefore_) {
        QVERIFY2(after.count(name), qPrintable(name));
        QVERIFY2(after.at(name) == bytes, qPrintable(name));
    }
}

void TestKv4Export::init() {
    out_ = std::make_unique<QTemporaryDir>();
    QVERIFY(out_->isValid());
}

void TestKv4Export::csvEqualsTheLibraryFill() {
    const Result r = RunTool(
        Base() + QStringList{QStringLiteral("--n-csv"), Out("n.csv"), QStringLiteral("--p-csv"),
                             Out("p.csv"), QStringLiteral("--yields"), Out("y.csv")},
        scratch_.path());
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err, QString());
    QCOMPARE(Entries(out_->path()), (QStringList{QStringLiteral("n.csv"), QStringLiteral("p.csv"),
                                                 QStringLiteral("y.csv")}));

    const CoreSheets core = CoreFill(Farm(), ',');
    const Table n = ParseCsv(ReadAll(Out("n.csv")));
    const Table p = ParseCsv(ReadAll(Out("p.csv")));
    QCOMPARE(n.size(), std::size_t(core.n.RowCount()));
    QVERIFY(n == AsTable(core.n));
    QVERIFY(p == AsTable(core.p));
    QCOMPARE(n.front().size(), std::size_t(16));
    QCOMPARE(p.front().size(), std::size_t(12));
    // The yields file: a line per listed row beside the field's expectation.
    const Table y = ParseCsv(ReadAll(Out("y.csv")));
    QCOMPARE(y.size(), n.size() - 1);
    for (std::size_t r = 1; r < y.size(); ++r) {
        QCOMPARE(y[r].size(), std::size_t(13));
        QCOMPARE(y[r][0], n[r][kv4::ncol::Schlag]);
        QCOMPARE(y[r][11], n[r][kv4::ncol::Ertragserwartung]);
    }
    // Heading row through the empty trailing row; no recalculation ran.
    QCOMPARE(n.front()[1], std::string("Frucht"));
    for (const std::string& cell : n.back()) {
        if (&cell == &n.back()[kv4::ncol::Ertragserwartung]) continue;  // filled for every row
        QCOMPARE(cell, std::string());
    }
    for (std::size_t r = 1; r < n.size(); ++r) {
        QCOMPARE(n[r][kv4::ncol::NBedarf], std::string());
        QCOMPARE(p[r][kv4::pcol::Entzug], std::string());
    }
    // A field of the demo farm with its name decoded from Windows-1252.
    const QByteArray raw = ReadAll(Out("n.csv"));
    QVERIFY(
        raw.contains("\r\nGro\xC3\x9F"
                     "e Breite;"));
}

void TestKv4Export::decimalSeparatorFollowsTheLocale() {
    struct Case {
        QString lcAll, lcNumeric, lang;
        char separator;
    };
    const QList<Case> cases = {
        {QStringLiteral("C"), QStringLiteral("de_DE.UTF-8"), QStringLiteral("de_DE.UTF-8"), '.'},
        {{}, QStringLiteral("de_DE.UTF-8"), QStringLiteral("en_US.UTF-8"), ','},
        {{}, {}, QStringLiteral("en_GB.UTF-8"), '.'},
        {{}, {}, QStringLiteral("de_AT.UTF-8"), ','},
    };
    for (const Case& c : cases) {
        QProcessEnvironment env = BaseEnvironment();
        if (!c.lcAll.isEmpty()) env.insert(QStringLiteral("LC_ALL"), c.lcAll);
        if (!c.lcNumeric.isEmpty()) env.insert(QStringLiteral("LC_NUMERIC"), c.lcNumeric);
        env.insert(QStringLiteral("LANG"), c.lang);
        const Result r = RunTool(Base() + QStringList{QStringLiteral("--n-csv"), Out("n.csv")},
                                 scratch_.path(), env);
        QCOMPARE(r.exitCode, 0);
        const Table n = ParseCsv(ReadAll(Out("n.csv")));
        QVERIFY2(n == AsTable(CoreFill(Farm(), c.separator).n), qPrintable(c.lang));
        QVERIFY(n[1][kv4::ncol::Ha].find(c.separator) != std::string::npos);
    }
}

void TestKv4Export::classTableFromTheCurrentFolder() {
    // Without --nklassen: NKlassen.dat of the folder the tool is started in.
    Result r = RunTool({QStringLiteral("--data"), Data(), QStringLiteral("--p-csv"), Out("p.csv")},
                       Farm());
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err, QString());
    QVERIFY(ParseCsv(ReadAll(Out("p.csv"))) == AsTable(CoreFill(Farm(), ',').p));

    // Started elsewhere: a warning, and no class letters.
    r = RunTool({QStringLiteral("--data"), Data(), QStringLiteral("--p-csv"), Out("p2.csv")},
                out_->path());
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.err.contains(QStringLiteral("Warnung: keine Nährstoffklassentabelle")),
             qPrintable(r.err));
    const Table p = ParseCsv(ReadAll(Out("p2.csv")));
    QVERIFY(p.size() > 3);
    for (std::size_t i = 1; i + 1 < p.size(); ++i)
        QCOMPARE(p[i][kv4::pcol::Klasse], std::string(" "));
}

void TestKv4Export::cropsFileAndRecalculation() {
    const QString crops = WriteCrops(
        "# Betrieb -> Standard\n"
        "Winterweizen;Winterweizen A,B\r\n"
        "\n"
        "Zuckerr\xC3\xBC"
        "ben;Zuckerr\xC3\xBC"
        "ben\n"
        "Dinkel;Hafer\n");
    const Result r =
        RunTool(Base() + QStringList{QStringLiteral("--crops"), crops, QStringLiteral("--n-csv"),
                                     Out("n.csv"), QStringLiteral("--p-csv"), Out("p.csv")},
                scratch_.path());
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err.trimmed(),
             QStringLiteral("kv4-export: Warnung: Fruchtdatei \"%1\", Zeile 5: kein Schlag mit der "
                            "Frucht \"Dinkel\".")
                 .arg(crops));

    const CoreSheets core = CoreFill(Farm(), ',');
    const Table n = ParseCsv(ReadAll(Out("n.csv")));
    const Table p = ParseCsv(ReadAll(Out("p.csv")));
    QCOMPARE(n.size(), std::size_t(core.n.RowCount()));
    int wheat = 0, beet = 0;
    for (int row = 1; row + 1 < core.n.RowCount(); ++row) {
        const auto& nr = n[std::size_t(row)];
        const auto& pr = p[std::size_t(row)];
        // The fill's own columns are untouched.
        for (int c : {kv4::ncol::Schlag, kv4::ncol::Frucht, kv4::ncol::Ha, kv4::ncol::V,
                      kv4::ncol::Ertragserwartung, kv4::ncol::NMin, kv4::ncol::Humus,
                      kv4::ncol::OrgVorjahr})
            QCOMPARE(nr[std::size_t(c)], core.n.Cells(c, row));
        const std::string crop = nr[kv4::ncol::Frucht];
        const int expectation = Int(nr[kv4::ncol::Ertragserwartung]);
        int base = 0, target = 0, step = 0;
        std::string factor = "0";
        if (crop == "Winterweizen") {
            ++wheat;
            base = 80, target = 230, step = 10, factor = "0,8";
        } else if (crop ==
                   "Zuckerr\xC3\xBC"
                   "ben") {
            ++beet;
            base = 650, target = 170, step = 100, factor = "0,1";
        }
        if (step > 0) {
            QCOMPARE(nr[kv4::ncol::BasisErtrag], std::to_string(base));
            QCOMPARE(nr[kv4::ncol::NSollwert], std::to_string(target));
            QCOMPARE(nr[kv4::ncol::YieldStep], std::to_string(step));
            QCOMPARE(nr[kv4::ncol::SurchargeRate], std::string("10"));
            QCOMPARE(nr[kv4::ncol::DeductionRate], std::string("15"));
            QCOMPARE(pr[kv4::pcol::Factor], factor);
        } else {
            QCOMPARE(nr[kv4::ncol::BasisErtrag], std::string());
            QCOMPARE(pr[kv4::pcol::Factor], std::string("0"));
        }
        // The recalculation, worked out here from the texts.
        const int difference = expectation - base;
        const int adjustment =
            step > 0 ? int(std::nearbyint(double(difference) / step * (difference >= 0 ? 10 : 15)))
                     : 0;
        QCOMPARE(Int(nr[kv4::ncol::ZuAbschlag]), adjustment);
        QCOMPARE(Int(nr[kv4::ncol::NBedarf]), target + adjustment + Int(nr[kv4::ncol::NMin]) +
                                                  Int(nr[kv4::ncol::Humus]) +
                                                  Int(nr[kv4::ncol::OrgVorjahr]));
        const double perDt = *kv4::ParseDecimal(factor, ',');
        QCOMPARE(Int(pr[kv4::pcol::Entzug]), int(std::nearbyint(expectation * perDt)));
    }
    QVERIFY(wheat >= 2);
    QVERIFY(beet >= 2);
}

void TestKv4Export::badStandardCropExitsTwoWritingNothing() {
    const QString crops = WriteCrops("Winterweizen;Winterweizen A,B\nSilomais;Silomais\n");
    const Result r =
        RunTool(Base() + QStringList{QStringLiteral("--crops"), crops, QStringLiteral("--n-csv"),
                                     Out("n.csv"), QStringLiteral("--n-pdf"), Out("n.pdf")},
                scratch_.path());
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.contains(QStringLiteral("Zeile 2: \"Silomais\" ist keine Frucht der "
                                           "Standardtabelle.")),
             qPrintable(r.err));
    QCOMPARE(Entries(out_->path()), QStringList());
}

void TestKv4Export::conversionErrorExitsThreeWithFiles() {
    // The second field's N-min sample is too large for a cell's integer.
    QTemporaryDir farm;
    QVERIFY(farm.isValid());
    kv4farm::FieldSpec a{1, 0, "Acker", 5, "lS", 20, 10, 0, "Weizen"};
    kv4farm::FieldSpec b{2, 0, "Breite", 4, "lS", 20, 10, 0, "Weizen"};
    kv4farm::WorkSpec nmin;
    nmin.fieldNo = 2;
    nmin.workType = kv4::kWorkTypeFertilisation;
    nmin.nminMark = 1;
    nmin.nutrient1 = 5e9;
    kv4farm::WriteYear(kv4::PathFromUtf8(farm.path().toStdString()), 2018, {a, b}, {nmin});
    const QString crops = WriteCrops("Weizen;Winterweizen C\n");
    const Result r =
        RunTool({QStringLiteral("--data"), farm.path(), QStringLiteral("--crops"), crops,
                 QStringLiteral("--n-csv"), Out("n.csv"), QStringLiteral("--p-pdf"), Out("p.pdf")},
                scratch_.path());
    QCOMPARE(r.exitCode, 3);
    QVERIFY2(r.err.contains(QStringLiteral("'-5000000000' ist kein gültiger Integerwert.")),
             qPrintable(r.err));
    QCOMPARE(Entries(out_->path()),
             (QStringList{QStringLiteral("n.csv"), QStringLiteral("p.pdf")}));
    const Table n = ParseCsv(ReadAll(Out("n.csv")));
    QCOMPARE(n.size(), std::size_t(4));
    // Row 1 done (210 - 120), row 2 stopped at its N-Bedarf.
    QCOMPARE(n[1][kv4::ncol::NBedarf], std::string("   90"));
    QCOMPARE(n[2][kv4::ncol::NSollwert], std::string("210"));
    QCOMPARE(n[2][kv4::ncol::NBedarf], std::string());
}

void TestKv4Export::unwritableOutputWritesNothing() {
    // The second target's folder is missing: the first file does not appear either.
    Result r = RunTool(Base() + QStringList{QStringLiteral("--n-csv"), Out("n.csv"),
                                            QStringLiteral("--p-csv"), Out("fehlt/p.csv")},
                       scratch_.path());
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(QStringLiteral("kann nicht geschrieben werden")), qPrintable(r.err));
    QCOMPARE(Entries(out_->path()), QStringList());

    // A PDF into a folder that does not exist.
    r = RunTool(Base() + QStringList{QStringLiteral("--n-pdf"), Out("fehlt/n.pdf")},
                scratch_.path());
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(Entries(out_->path()), QStringList());

    // An existing file is replaced only by a complete new one.
    QFile old(Out("n.csv"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("alt");
    old.close();
    QVERIFY(QDir(out_->path()).mkdir(QStringLiteral("ordner")));
    r = RunTool(Base() + QStringList{QStringLiteral("--n-csv"), Out("n.csv"),
                                     QStringLiteral("--p-csv"), Out("ordner")},
                scratch_.path());
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(QStringLiteral("ist ein Ordner")), qPrintable(r.err));
    QCOMPARE(ReadAll(Out("n.csv")), QByteArray("alt"));
    QCOMPARE(Entries(out_->path()),
             (QStringList{QStringLiteral("n.csv"), QStringLiteral("ordner")}));

    // Into the data folder: refused.
    r = RunTool(Base() + QStringList{QStringLiteral("--n-csv"), Data() + QStringLiteral("/n.csv")},
                scratch_.path());
    QCOMPARE(r.exitCode, 1);
    QVERIFY(r.err.contains(QStringLiteral("liegt im Datenordner")));
}

void TestKv4Export::missingAndEmptyFolders() {
    Result r =
        RunTool({QStringLiteral("--data"), Out("fehlt"), QStringLiteral("--n-csv"), Out("n.csv")},
                scratch_.path());
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.err, QStringLiteral("kv4-export: Der Datenordner \"%1\" ist nicht vorhanden.\n")
                        .arg(Out("fehlt")));
    QCOMPARE(Entries(out_->path()), QStringList());

    // Years before 2018 only.
    QTemporaryDir old;
    kv4farm::WriteYear(kv4::PathFromUtf8(old.path().toStdString()), 2017,
                       {{1, 0, "Alt", 1, "lS", 20, 10, 0, "Hafer"}}, {});
    r = RunTool(
        {QStringLiteral("--data"), old.path(), QStringLiteral("--nklassen"),
         farm_.filePath(QStringLiteral("NKlassen.dat")), QStringLiteral("--n-csv"), Out("n.csv")},
        scratch_.path());
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.err,
             QStringLiteral("kv4-export: Es sind keine Schläge für 2018 vorhanden. Legen Sie "
                            "gegebnenfalls zunächst das Erntejahr 2018 an.\n"));
    QCOMPARE(Entries(out_->path()), QStringList());

    // A folder that cannot be listed (not testable with rights that ignore it).
    QTemporaryDir locked;
    QVERIFY(QFile::setPermissions(locked.path(), QFileDevice::Permissions()));
    if (!QDir(locked.path()).isReadable()) {
        r = RunTool({QStringLiteral("--data"), locked.path()}, scratch_.path());
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("kann nicht gelesen werden")), qPrintable(r.err));
    }
    QFile::setPermissions(locked.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void TestKv4Export::optionsAndHelp() {
    Result r = RunTool({QStringLiteral("--help")}, scratch_.path());
    QCOMPARE(r.exitCode, 0);
    const QStringList lines = r.out.split(QLatin1Char('\n'));
    for (const char* option : {"--data", "--nklassen", "--crops", "--n-csv", "--p-csv", "--n-pdf",
                               "--p-pdf", "--yields", "--farm", "--farm-no", "--date", "--help"}) {
        const QString name = QString::fromLatin1(option);
        const auto count = std::count_if(lines.begin(), lines.end(), [&](const QString& l) {
            return l.trimmed().section(QLatin1Char(' '), 0, 0) == name;
        });
        QVERIFY2(count == 1, option);
    }
    r = RunTool({QStringLiteral("--data"), Data(), QStringLiteral("--csv"), Out("x")},
                scratch_.path());
    QCOMPARE(r.exitCode, 1);
    QVERIFY(r.err.contains(QStringLiteral("Unbekannte Option \"--csv\"")));
    QVERIFY(r.err.contains(QStringLiteral("--help")));
    QCOMPARE(Entries(out_->path()), QStringList());
}

void TestKv4Export::pdfReports() {
    if (!HavePoppler())
        QSKIP("pdftotext/pdfinfo (poppler-utils) not installed: PDF output not checked");
    const QString crops = WriteCrops("Winterweizen;Winterweizen A,B\n");
    // No display and no platform set: the tool paints offscreen by itself.
    const Result r =
        RunTool(Base() + QStringList{QStringLiteral("--crops"), crops, QStringLiteral("--n-pdf"),
                                     Out("n.pdf"), QStringLiteral("--p-pdf"), Out("p.pdf"),
                                     QStringLiteral("--n-csv"), Out("n.csv"),
                                     QStringLiteral("--farm"), QStringLiteral("Hof Sonnenwiese"),
                                     QStringLiteral("--farm-no"), QStringLiteral("4711"),
                                     QStringLiteral("--date"), QStringLiteral("15.02.2018")},
                scratch_.path());
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err, QString());
    QCOMPARE(PdfPages(Out("n.pdf")), 1);
    QCOMPARE(PdfPages(Out("p.pdf")), 1);
    const QString nText = PdfWords(Out("n.pdf"));
    const QString pText = PdfWords(Out("p.pdf"));
    for (const QString& text : {nText, pText})
        for (const char* s : {"Betrieb:Hof Sonnenwiese", "Betr.Nr.: 4711", "Datum: 15.02.2018",
                              "Schlag", "Frucht", "ha", "Ertrags-", "erwartung"})
            QVERIFY2(text.contains(QString::fromUtf8(s)), s);
    for (const char* s : {"Basis-", "ertrag", "N-Sollwert", "Zu-/Abschlag", "N-Min", "Humus",
                          "organisch", "Vorjahr", "Vorfrucht", "N-Bedarf"})
        QVERIFY2(nText.contains(QString::fromUtf8(s)), s);
    for (const char* s : {"Erntereste", "abgefahren", "Gehalt", "Bodenart", "Klasse", "Entzug"})
        QVERIFY2(pText.contains(QString::fromUtf8(s)), s);
    QVERIFY(!pText.contains(QStringLiteral("N-Sollwert")));

    // Every field, and the recalculated requirement of the first one.
    const Table n = ParseCsv(ReadAll(Out("n.csv")));
    QVERIFY(n.size() > 20);
    for (std::size_t row = 1; row + 1 < n.size(); ++row) {
        const QString name = QString::fromStdString(n[row][kv4::ncol::Schlag]);
        QVERIFY2(nText.contains(name) && pText.contains(name), qPrintable(name));
    }
    QVERIFY(nText.contains(QString::fromStdString(n[1][kv4::ncol::NBedarf]).trimmed()));
}

// The tool paints with Qt Gui alone: the window's toolkit and the printer
// support stay out of it.
void TestKv4Export::linksNoWidgetToolkit() {
    const QString ldd = QStandardPaths::findExecutable(QStringLiteral("ldd"));
    if (ldd.isEmpty()) QSKIP("ldd not found: the linked libraries are not checked");
    QProcess p;
    p.start(ldd, {QStringLiteral(KV4_EXPORT_PROGRAM)});
    QVERIFY(p.waitForFinished(60000));
    const QString libraries = QString::fromLocal8Bit(p.readAllStandardOutput());
    QVERIFY2(libraries.contains(QStringLiteral("libQt6Gui")), qPrintable(libraries));
    QVERIFY2(!libraries.contains(QStringLiteral("libQt6Widgets")), qPrintable(libraries));
    QVERIFY2(!libraries.contains(QStringLiteral("libQt6PrintSupport")), qPrintable(libraries));
}

QTEST_GUILESS_MAIN(TestKv4Export)
#include "test_kv4_export.moc"
