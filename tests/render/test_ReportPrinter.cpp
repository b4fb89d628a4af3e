// Prints worksheets through the real renderer into PDF files and reads them
// back with poppler's pdfinfo and pdftotext.
#include <QApplication>
#include <QCoreApplication>
#include <QLocale>
#include <QPrinter>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <cmath>

#include "app/Translations.h"
#include "guisupport/PdfReader.h"
#include "render/ReportPrinter.h"
#include "worksheets/ReportLayout.h"
#include "worksheets/Worksheet.h"

namespace {

// Field names that are no part of one another ("S1" would be in "S10").
QString FieldName(int row) { return QStringLiteral("S%1").arg(row, 3, 10, QLatin1Char('0')); }

kv4::Worksheet NSheet(int fields) {
    kv4::Worksheet w = kv4::MakeNWorksheet();
    w.SetRowCount(fields + 2);
    for (int r = 1; r <= fields; ++r) {
        w.SetCell(kv4::ncol::Schlag, r, FieldName(r).toStdString());
        w.SetCell(kv4::ncol::Frucht, r, "Zuckerrüben");
        w.SetCell(kv4::ncol::Ha, r, " 2,50");
        w.SetCell(kv4::ncol::V, r, "QQV");
        w.SetCell(kv4::ncol::NBedarf, r, "  " + std::to_string(100 + r));
        w.SetCell(kv4::ncol::YieldStep, r, "QQ13");
        w.SetCell(kv4::ncol::DeductionRate, r, "QQ15");
    }
    return w;
}

using kv4guitest::PdfInfo;
using kv4guitest::PdfPage;
using kv4guitest::PdfPageCount;
using kv4guitest::PdfWord;
using kv4guitest::ReadPdfPage;

// Words whose boxes overlap by 2 pt or more both ways, and words not wholly on
// the page. Boxes span the font's ascent and descent, so the rows of 11 pt
// text 11.5 pt apart touch by about a point with no ink meeting.
QStringList Collisions(const PdfPage& page) {
    QStringList out;
    for (qsizetype i = 0; i < page.words.size(); ++i) {
        const PdfWord& a = page.words[i];
        if (a.xMin < 0 || a.yMin < 0 || a.xMax > page.width || a.yMax > page.height)
            out << QStringLiteral("outside: ") + a.text;
        for (qsizetype j = i + 1; j < page.words.size(); ++j) {
            const PdfWord& b = page.words[j];
            if (std::min(a.xMax, b.xMax) - std::max(a.xMin, b.xMin) >= 2 &&
                std::min(a.yMax, b.yMax) - std::max(a.yMin, b.yMin) >= 2)
                out << a.text + QStringLiteral(" / ") + b.text;
        }
    }
    return out;
}

void UsePdf(QPrinter& printer, const QString& file) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setResolution(600);
}

}  // namespace

class TestReportPrinter : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;

    static bool HavePoppler() {
        return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() &&
               !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty();
    }

  private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void nReportPagesAndTexts() {
        if (!HavePoppler())
            QSKIP("pdftotext/pdfinfo (poppler-utils) not installed: PDF output not checked");
        const QString pdf = dir_.filePath(QStringLiteral("n.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        UsePdf(printer, pdf);
        printer.setPageOrientation(QPageLayout::Portrait);  // the report turns it
        kv4gui::PrintWorksheet(printer, NSheet(100), kv4::ReportKind::N,
                               {"Hof Meyer", "4711", "01.03.2018"}, 96);
        QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Landscape);
        QVERIFY(printer.width() > printer.height());

        QCOMPARE(PdfPageCount(pdf), 3);
        const QString info = PdfInfo(pdf);
        QVERIFY2(info.contains(QStringLiteral("Düngebedarfsermittlung Stickstoff (N) 2018")),
                 qPrintable(info));
        QVERIFY2(info.contains(kv4gui::ReportCreator()), qPrintable(info));
        const auto size =
            QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts"))
                .match(info);
        QVERIFY2(size.hasMatch(), qPrintable(info));
        QVERIFY2(size.captured(1).toDouble() > size.captured(2).toDouble(), qPrintable(info));

        // Rows 1-43, 44-86, 87-100 (and the empty trailing row).
        const int firstRow[] = {1, 44, 87, 101};
        for (int page = 1; page <= 3; ++page) {
            const PdfPage words = ReadPdfPage(pdf, page);
            QCOMPARE(Collisions(words), QStringList());
            const QString text = words.Text();
            for (const char* s : {"Betrieb:Hof Meyer",
                                  "Betr.Nr.: 4711",
                                  "Datum: 01.03.2018",
                                  "Schlag",
                                  "Frucht",
                                  "ha",
                                  "Basis-",
                                  "ertrag",
                                  "Ertrags-",
                                  "erwartung",
                                  "N-Sollwert",
                                  "Zu-/Abschlag",
                                  "N-Min",
                                  "Humus",
                                  "organisch",
                                  "Vorjahr",
                                  "Vorfrucht",
                                  "N-Bedarf",
                                  "Zuckerrüben",
                                  "2,50"})
                QVERIFY2(text.contains(QString::fromUtf8(s)),
                         qPrintable(QStringLiteral("page %1: %2").arg(page).arg(s)));
            for (int r = 1; r <= 100; ++r) {
                const bool here = r >= firstRow[page - 1] && r < firstRow[page];
                QCOMPARE(text.contains(FieldName(r)), here);
                QCOMPARE(text.contains(QString::number(100 + r)), here);
            }
            QVERIFY2(!text.contains(QStringLiteral("QQ")), "columns 4 and 13-15 are not printed");
            QVERIFY(text.contains(QStringLiteral("Seite %1 von 3").arg(page)));
            QVERIFY(!text.contains(QStringLiteral("Ertragserwartung")));
        }

        // Places: 600 dots are 72 points. Each text hangs from its point, so
        // texts of different sizes keep the distances of the layout.
        const PdfPage page = ReadPdfPage(pdf, 1);
        constexpr double kPt = 72.0 / 600.0;
        const PdfWord* header = page.Find(QStringLiteral("Betrieb:Hof"));
        QVERIFY(header);
        struct Place {
            QString word;
            int x;
            int y;
        };
        const int pw = printer.width();
        const QList<Place> places = {
            {QStringLiteral("Schlag"), kv4::ReportColumnStart(pw, 0), 442},
            {QStringLiteral("Basis-"), kv4::ReportColumnStart(pw, 3), 394},
            {QStringLiteral("ertrag"), kv4::ReportColumnStart(pw, 3), 490},
            {QStringLiteral("Vorjahr"), kv4::ReportColumnStart(pw, 9), 490},
            {FieldName(1), kv4::ReportColumnStart(pw, 0), 586},
            {FieldName(2), kv4::ReportColumnStart(pw, 0), 682},
            {FieldName(43), kv4::ReportColumnStart(pw, 0), 586 + 42 * 96},
            {QStringLiteral("101"), kv4::ReportColumnStart(pw, 11), 586},
        };
        for (const Place& p : places) {
            const PdfWord* w = page.Find(p.word);
            QVERIFY2(w, qPrintable(p.word));
            QVERIFY2(std::abs(w->yMin - header->yMin - (p.y - 250) * kPt) < 0.05,
                     qPrintable(QStringLiteral("%1 at y %2").arg(p.word).arg(w->yMin)));
            // Column starts relative to the header line at x1; "101" stands
            // right of its start behind the two blanks of its cell.
            const double dx = w->xMin - header->xMin - (p.x - kv4::ReportColumnStart(pw, 1)) * kPt;
            QVERIFY2(p.word == QStringLiteral("101") ? dx > 0 && dx < 10 : std::abs(dx) < 0.05,
                     qPrintable(QStringLiteral("%1 at x %2").arg(p.word).arg(w->xMin)));
        }
    }

    void pReportAndEmptyWorksheet() {
        if (!HavePoppler())
            QSKIP("pdftotext/pdfinfo (poppler-utils) not installed: PDF output not checked");
        kv4::Worksheet p = kv4::MakePWorksheet();
        p.SetCell(kv4::pcol::Schlag, 1, "Acker am Bach");
        p.SetCell(kv4::pcol::Erntereste, 1, "X");
        p.SetCell(kv4::pcol::Entzug, 1, "   55");
        p.SetCell(kv4::pcol::Anmerkung, 1, "Probe geschätzt");
        p.SetCell(kv4::pcol::Factor, 1, "QQ10");
        const QString pdf = dir_.filePath(QStringLiteral("p.pdf"));
        QVERIFY(kv4gui::WriteReportPdf(pdf, p, kv4::ReportKind::P2O5, {"Hof", "1", "heute"}));
        QCOMPARE(PdfPageCount(pdf), 1);
        const PdfPage page = ReadPdfPage(pdf, 1);
        const QString text = page.Text();
        for (const char* s : {"Betrieb:Hof", "Betr.Nr.: 1", "Datum: heute", "Ertrags-", "erwartung",
                              "Erntereste", "abgefahren", "Gehalt", "Bodenart", "Klasse", "Entzug",
                              "Acker am Bach", "55", "Probe geschätzt"})
            QVERIFY2(text.contains(QString::fromUtf8(s)), qPrintable(s));
        QVERIFY(!text.contains(QStringLiteral("Anmerkung")));
        QVERIFY(!text.contains(QStringLiteral("QQ")));
        // The remark stands one column step right of "Entzug", on the row of
        // its field.
        const PdfWord* entzug = page.Find(QStringLiteral("Entzug"));
        const PdfWord* acker = page.Find(QStringLiteral("Acker"));
        const PdfWord* probe = page.Find(QStringLiteral("Probe"));
        const PdfWord* ertrags = page.Find(QStringLiteral("Ertrags-"));
        const PdfWord* erntereste = page.Find(QStringLiteral("Erntereste"));
        QVERIFY(entzug && acker && probe && ertrags && erntereste);
        QVERIFY(std::abs(probe->yMin - acker->yMin) < 0.05);
        const double step = erntereste->xMin - ertrags->xMin;
        QCOMPARE_GT(step, 40.0);
        QVERIFY(std::abs(probe->xMin - entzug->xMin - step) < 0.05);

        // No field rows: one page and nothing on it.
        const QString empty = dir_.filePath(QStringLiteral("empty.pdf"));
        QVERIFY(kv4gui::WriteReportPdf(empty, kv4::MakeNWorksheet(), kv4::ReportKind::N,
                                       {"Hof", "1", "heute"}));
        QCOMPARE(PdfPageCount(empty), 1);
        QVERIFY(ReadPdfPage(empty, 1).words.isEmpty());
    }

    // Words too wide for their column are set smaller, or cut with "…" when
    // even 6 pt is too wide; figures stay whole.
    void textsFitTheirColumns() {
        if (!HavePoppler())
            QSKIP("pdftotext/pdfinfo (poppler-utils) not installed: PDF output not checked");
        kv4::Worksheet p = kv4::MakePWorksheet();
        for (int r = 1; r <= 2; ++r) {
            p.SetCell(kv4::pcol::Schlag, r, FieldName(r).toStdString());
            p.SetCell(kv4::pcol::Frucht, r, "Winterweizen Elite-Qualität");
            p.SetCell(kv4::pcol::Ha, r, "123,45");
            p.SetCell(kv4::pcol::Bodenart, r, "sandiger L");
            p.SetCell(kv4::pcol::Entzug, r, "  155");
        }
        p.SetCell(kv4::pcol::Frucht, 1,
                  "Winterweizen Elite-Qualität nach Mais, pfluglos, Vertrag Mühle Schulte");
        p.SetCell(kv4::pcol::Anmerkung, 1,
                  "Gülle 20 m3 im Herbst, Kalkung geplant, Probe 2017 geschätzt, Grenze beachten");
        const QString pdf = dir_.filePath(QStringLiteral("fit.pdf"));
        QVERIFY(kv4gui::WriteReportPdf(pdf, p, kv4::ReportKind::P2O5, {"Hof", "1", "heute"}));
        const QString info = PdfInfo(pdf);
        QVERIFY2(info.contains(QStringLiteral("Düngebedarfsermittlung Phosphat (P2O5) 2018")) &&
                     info.contains(kv4gui::ReportCreator()),
                 qPrintable(info));
        const PdfPage page = ReadPdfPage(pdf, 1);
        QCOMPARE(Collisions(page), QStringList());
        const QString text = page.Text();
        for (const QString& s :
             {QStringLiteral("Seite 1 von 1"), QStringLiteral("123,45"), QStringLiteral("155"),
              QStringLiteral("sandiger L"), QStringLiteral("Winterweizen Elite-Qualität nach")})
            QVERIFY2(text.contains(s), qPrintable(s));
        QVERIFY(!text.contains(QStringLiteral("Schulte")) &&
                !text.contains(QStringLiteral("beachten")));
        // The remark ends in "…" before the rules' end, two column steps
        // right of its start.
        const PdfWord* remark = page.Find(QString::fromUtf8("Gülle"));
        const PdfWord* ertrags = page.Find(QStringLiteral("Ertrags-"));
        const PdfWord* erntereste = page.Find(QStringLiteral("Erntereste"));
        QVERIFY(remark && ertrags && erntereste);
        const double ruleEnd = remark->xMin + 2 * (erntereste->xMin - ertrags->xMin);
        const PdfWord* cut = nullptr;
        for (const PdfWord& w : page.words)
            if (w.text.endsWith(QChar(0x2026)) && (!cut || w.xMax > cut->xMax)) cut = &w;
        QVERIFY(cut);
        QCOMPARE_LE(cut->xMax, ruleEnd);
        QCOMPARE_GT(cut->xMax, ruleEnd - 20);
        QCOMPARE(text.count(QChar(0x2026)), 2);
    }

    void unwritableOutputIsAnError() {
        const QString bad = dir_.filePath(QStringLiteral("missing/dir/x.pdf"));
        QVERIFY(!kv4gui::WriteReportPdf(bad, NSheet(1), kv4::ReportKind::N, {}));
        QPrinter printer(QPrinter::HighResolution);
        UsePdf(printer, bad);
        QVERIFY_THROWS_EXCEPTION(
            kv4gui::PrintError,
            kv4gui::PrintWorksheet(printer, NSheet(1), kv4::ReportKind::N, {}, 96));
    }

    void germanQtTranslations() {
        if (QLocale::system().language() != QLocale::German)
            QSKIP("system language is not German (run with LANG=de_DE.UTF-8)");
        QVERIFY(kv4gui::InstallGermanQtTranslations(*qApp));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Ja"));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&No"), QStringLiteral("&Nein"));
    }
};

QTEST_MAIN(TestReportPrinter)
#include "test_ReportPrinter.moc"
