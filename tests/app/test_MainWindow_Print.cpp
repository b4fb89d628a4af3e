// "Drucken" on the main window filled from the demo farm: the print dialog is
// answered through the seam with a PDF printer, and the PDF is read back with
// poppler's pdfinfo and pdftotext.
#include <QFile>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <map>
#include <memory>
#include <string>

#include "app/MainWindow.h"
#include "app/WorksheetView.h"
#include "data/FileAccess.h"
#include "data/Records.h"
#include "farmwriter/DemoFarm.h"
#include "guisupport/GuiTestSupport.h"
#include "guisupport/PdfReader.h"
#include "reference/NutrientClasses.h"
#include "render/ReportPrinter.h"
#include "worksheets/FarmDigest.h"
#include "worksheets/Fill.h"
#include "worksheets/ReportLayout.h"

using kv4guitest::ScopedModalHook;
using kv4guitest::Widget;

namespace {

// The words of one page joined by single blanks.
QString PageText(const QString& pdf, int page) { return kv4guitest::ReadPdfPage(pdf, page).Text(); }

QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }

// What the print dialog was answered with, and the page the printer had.
struct PrintAnswer {
    QString file;
    bool accept = true;
    QPageSize pageSize = QPageSize(QPageSize::A4);
    // Read back from the printer inside the dialog.
    int pageWidth = 0;
    int pageHeight = 0;
    bool landscape = false;
    int resolution = 0;
    bool sawPrintDialog = false;
    // What the farmer chose in the dialog: pages (0: all) and copies.
    int fromPage = 0;
    int toPage = 0;
    int copies = 1;
    bool collate = true;
    // What the dialog offered.
    bool offeredSelection = true;
    bool offeredCurrentPage = true;
    bool offeredPageRange = false;
    int maxPage = 0;
};

}  // namespace

class TestPrintWindow : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void nReportOfTheVisibleWorksheet();
    void p2o5ReportAfterSwitch();
    void cancelPrintsNothing();
    void unopenablePrinterShowsTheErrorBox();
    void pageRangeAndCopies_data();
    void pageRangeAndCopies();
    void headingsSetInArialWidths();

  private:
    // Queues the answer for the print dialog: a PDF printer writing to
    // `answer.file`, then accept or cancel.
    void AnswerPrintDialog(PrintAnswer& answer);
    void ClickPrint();
    QStringList FieldNames() const;

    QTemporaryDir dir_;
    std::unique_ptr<ScopedModalHook> hook_;
    std::unique_ptr<kv4::Worksheets> sheets_;  // outlives the window
    std::unique_ptr<kv4gui::MainWindow> form_;
};

void TestPrintWindow::initTestCase() {
    QVERIFY(dir_.isValid());
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
        QSKIP("pdftotext/pdfinfo (poppler-utils) not installed: PDF output not checked");
    kv4farm::WriteDemoFarm(kv4::PathFromUtf8(dir_.path().toStdString()));
}

void TestPrintWindow::init() {
    hook_ = std::make_unique<ScopedModalHook>();
    sheets_ = std::make_unique<kv4::Worksheets>();
    form_ = std::make_unique<kv4gui::MainWindow>(*sheets_);
    // The start-up sequence, without its dialogs: the four years and the
    // class table of the demo farm, then the fill and the N view.
    const std::string root = kv4::WithTrailingSeparator(dir_.path().toStdString());
    form_->NutrientClassTable().LoadNutrientClasses(root);
    QVERIFY(!form_->NutrientClassTable().Records().empty());
    kv4::FarmDigest farm;
    QVERIFY(kv4::LoadFarmYears(farm, kv4::WithTrailingSeparator(root + "Daten")).empty());
    QVERIFY(farm.HasFields2018());
    kv4::FillWorksheets(farm, form_->NutrientClassTable(), form_->NSheet(), form_->PSheet(),
                        form_->DecimalSeparator());
    form_->WorksheetsChanged();
    QVERIFY(kv4guitest::ShowActive(*form_));
    form_->ShowNWorksheet();
    QTest::keyClicks(Widget<QLineEdit>(*form_, "farmNameEdit"), QStringLiteral("Hof Sonnenwiese"));
    QTest::keyClicks(Widget<QLineEdit>(*form_, "farmNumberEdit"), QStringLiteral("276 05 123"));
    QTest::keyClicks(Widget<QLineEdit>(*form_, "dateEdit"), QStringLiteral("15.02.2018"));
}

void TestPrintWindow::cleanup() {
    form_.reset();
    hook_.reset();
}

void TestPrintWindow::AnswerPrintDialog(PrintAnswer& answer) {
    hook_->Respond([&answer](QDialog& dialog) {
        auto* print = qobject_cast<QPrintDialog*>(&dialog);
        if (!print) return int(QDialog::Rejected);
        answer.sawPrintDialog = true;
        QPrinter* printer = print->printer();
        answer.landscape = printer->pageLayout().orientation() == QPageLayout::Landscape;
        answer.resolution = printer->resolution();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(answer.file);
        printer->setPageSize(answer.pageSize);
        answer.offeredSelection = print->testOption(QAbstractPrintDialog::PrintSelection);
        answer.offeredCurrentPage = print->testOption(QAbstractPrintDialog::PrintCurrentPage);
        answer.offeredPageRange = print->testOption(QAbstractPrintDialog::PrintPageRange);
        answer.maxPage = print->maxPage();
        if (answer.fromPage > 0) {
            printer->setPrintRange(QPrinter::PageRange);
            printer->setFromTo(answer.fromPage, answer.toPage);
        }
        printer->setCopyCount(answer.copies);
        printer->setCollateCopies(answer.collate);
        answer.pageWidth = printer->width();
        answer.pageHeight = printer->height();
        return int(answer.accept ? QDialog::Accepted : QDialog::Rejected);
    });
}

void TestPrintWindow::ClickPrint() {
    QTest::mouseClick(Widget<QPushButton>(*form_, "printButton"), Qt::LeftButton);
}

QStringList TestPrintWindow::FieldNames() const {
    QStringList names;
    const kv4::Worksheet& n = form_->NSheet();
    for (int r = 1; r < n.RowCount() - 1; ++r) names << Q(n.Cells(kv4::ncol::Schlag, r));
    return names;
}

void TestPrintWindow::nReportOfTheVisibleWorksheet() {
    const QStringList fields = FieldNames();
    QVERIFY(fields.size() > 20);
    for (const QString& name : fields) QVERIFY(!name.isEmpty());

    // A page as wide as A4 landscape but only 12 cm high holds fewer rows
    // than the farm has fields, so the page break is part of what is checked.
    PrintAnswer answer;
    answer.file = dir_.filePath(QStringLiteral("n.pdf"));
    answer.pageSize = QPageSize(QSizeF(120, 297), QPageSize::Millimeter);
    AnswerPrintDialog(answer);
    ClickPrint();
    QVERIFY(answer.sawPrintDialog);
    QCOMPARE(hook_->Seen().size(), std::size_t(1));  // no error box
    QVERIFY(answer.landscape);
    QCOMPARE(answer.resolution, 600);
    QVERIFY(QFile::exists(answer.file));

    const kv4::ReportPages layout = kv4::LayoutReport(
        form_->NSheet(), kv4::ReportKind::N, {"Hof Sonnenwiese", "276 05 123", "15.02.2018"},
        answer.pageWidth, answer.pageHeight, form_->logicalDpiY());
    const int pages = static_cast<int>(layout.pages.size());
    QCOMPARE_GE(pages, 2);
    QCOMPARE(kv4guitest::PdfPageCount(answer.file), pages);

    QString all;
    for (int page = 1; page <= pages; ++page) {
        const QString text = PageText(answer.file, page);
        for (const char* s :
             {"Betrieb:Hof Sonnenwiese", "Betr.Nr.: 276 05 123", "Datum: 15.02.2018", "Schlag",
              "Frucht", "ha", "Basis-", "ertrag", "Ertrags-", "erwartung", "N-Sollwert",
              "Zu-/Abschlag", "N-Min", "Humus", "organisch", "Vorjahr", "Vorfrucht", "N-Bedarf"})
            QVERIFY2(text.contains(QString::fromUtf8(s)),
                     qPrintable(QStringLiteral("page %1: %2").arg(page).arg(s)));
        // Headings of the other report and of the screen only.
        QVERIFY(!text.contains(QStringLiteral("abgefahren")));
        QVERIFY(!text.contains(QStringLiteral("Ertragserwartung")));
        all += text + QLatin1Char(' ');
    }
    for (const QString& name : fields) QVERIFY2(all.contains(name), qPrintable(name));
    // A crop of the farm and an area as the worksheet holds it.
    QVERIFY(all.contains(Q(form_->NSheet().Cells(kv4::ncol::Frucht, 1))));
    QVERIFY(all.contains(Q(form_->NSheet().Cells(kv4::ncol::Ha, 1)).trimmed()));
}

void TestPrintWindow::p2o5ReportAfterSwitch() {
    QTest::mouseClick(Widget<QPushButton>(*form_, "p2o5Button"), Qt::LeftButton);
    QVERIFY(Widget<kv4gui::WorksheetView>(*form_, "nView")->isHidden());
    form_->PSheet().SetCell(kv4::pcol::Anmerkung, 2, "Probe vom Herbst");
    form_->WorksheetsChanged();

    PrintAnswer answer;
    answer.file = dir_.filePath(QStringLiteral("p.pdf"));
    AnswerPrintDialog(answer);
    ClickPrint();
    QVERIFY(answer.sawPrintDialog);
    QCOMPARE(hook_->Seen().size(), std::size_t(1));
    QVERIFY(QFile::exists(answer.file));
    // The demo farm fits on one A4 page.
    QCOMPARE(kv4guitest::PdfPageCount(answer.file), 1);
    const QString text = PageText(answer.file, 1);
    for (const char* s :
         {"Betrieb:Hof Sonnenwiese", "Betr.Nr.: 276 05 123", "Datum: 15.02.2018", "Schlag",
          "Frucht", "ha", "Ertrags-", "erwartung", "Erntereste", "abgefahren", "Gehalt", "Bodenart",
          "Klasse", "Entzug", "Probe vom Herbst"})
        QVERIFY2(text.contains(QString::fromUtf8(s)), s);
    QVERIFY(!text.contains(QStringLiteral("Anmerkung")));
    QVERIFY(!text.contains(QStringLiteral("N-Sollwert")));
    QVERIFY(!text.contains(QStringLiteral("Basis-")));
    for (const QString& name : FieldNames()) QVERIFY2(text.contains(name), qPrintable(name));

    // Back to N: the N report again.
    QTest::mouseClick(Widget<QPushButton>(*form_, "nButton"), Qt::LeftButton);
    PrintAnswer again;
    again.file = dir_.filePath(QStringLiteral("n-again.pdf"));
    AnswerPrintDialog(again);
    ClickPrint();
    QVERIFY(QFile::exists(again.file));
    const QString nText = PageText(again.file, 1);
    QVERIFY(nText.contains(QStringLiteral("N-Sollwert")));
    QVERIFY(!nText.contains(QStringLiteral("abgefahren")));
}

void TestPrintWindow::cancelPrintsNothing() {
    PrintAnswer answer;
    answer.file = dir_.filePath(QStringLiteral("cancelled.pdf"));
    answer.accept = false;
    AnswerPrintDialog(answer);
    ClickPrint();
    QVERIFY(answer.sawPrintDialog);
    QCOMPARE(hook_->Seen().size(), std::size_t(1));  // no error box either
    QVERIFY(!QFile::exists(answer.file));
}

void TestPrintWindow::unopenablePrinterShowsTheErrorBox() {
    PrintAnswer answer;
    answer.file = dir_.filePath(QStringLiteral("no/such/folder/x.pdf"));
    AnswerPrintDialog(answer);
    ClickPrint();
    QVERIFY(answer.sawPrintDialog);
    QCOMPARE(hook_->Seen().size(), std::size_t(2));
    const kv4guitest::SeenDialog& box = hook_->Seen()[1];
    QCOMPARE(box.title, QStringLiteral("KV_D_Bedarf"));
    QCOMPARE(box.icon, int(QMessageBox::Critical));
    QCOMPARE(box.text, QStringLiteral("Zur Zeit ist kein Standard-Drucker gewählt."));
    QVERIFY(!QFile::exists(answer.file));
    // The program goes on: the next print works.
    PrintAnswer next;
    next.file = dir_.filePath(QStringLiteral("after-error.pdf"));
    AnswerPrintDialog(next);
    ClickPrint();
    QVERIFY(QFile::exists(next.file));
}

void TestPrintWindow::pageRangeAndCopies_data() {
    QTest::addColumn<int>("fromPage");
    QTest::addColumn<int>("toPage");
    QTest::addColumn<int>("copies");
    QTest::addColumn<bool>("collate");
    QTest::addColumn<QList<int>>("printed");  // report pages, in paper order
    QTest::newRow("all") << 0 << 0 << 1 << true << QList<int>{1, 2, 3};
    QTest::newRow("page 2 of 3") << 2 << 2 << 1 << true << QList<int>{2};
    QTest::newRow("pages 2 to 3, twice collated") << 2 << 3 << 2 << true << QList<int>{2, 3, 2, 3};
    QTest::newRow("pages 1 to 2, twice uncollated")
        << 1 << 2 << 2 << false << QList<int>{1, 1, 2, 2};
    QTest::newRow("all, three times")
        << 0 << 0 << 3 << true << QList<int>{1, 2, 3, 1, 2, 3, 1, 2, 3};
}

void TestPrintWindow::pageRangeAndCopies() {
    QFETCH(int, fromPage);
    QFETCH(int, toPage);
    QFETCH(int, copies);
    QFETCH(bool, collate);
    QFETCH(QList<int>, printed);

    // A page low enough that the demo farm takes three of them.
    PrintAnswer answer;
    answer.file = dir_.filePath(QStringLiteral("range.pdf"));
    QFile::remove(answer.file);
    answer.pageSize = QPageSize(QSizeF(75, 297), QPageSize::Millimeter);
    answer.fromPage = fromPage;
    answer.toPage = toPage;
    answer.copies = copies;
    answer.collate = collate;
    AnswerPrintDialog(answer);
    ClickPrint();
    QVERIFY(answer.sawPrintDialog);
    QCOMPARE(hook_->Seen().size(), std::size_t(1));
    // Only the choices that mean something for a report.
    QVERIFY(!answer.offeredSelection);
    QVERIFY(!answer.offeredCurrentPage);
    QVERIFY(answer.offeredPageRange);

    const kv4::ReportPages layout = kv4::LayoutReport(
        form_->NSheet(), kv4::ReportKind::N, {"Hof Sonnenwiese", "276 05 123", "15.02.2018"},
        answer.pageWidth, answer.pageHeight, form_->logicalDpiY());
    QCOMPARE(layout.pages.size(), std::size_t(3));
    QCOMPARE(kv4guitest::PdfPageCount(answer.file), printed.size());
    // Each sheet of paper is the report page it should be: its header line
    // once, and the first field of that report page.
    for (int sheet = 1; sheet <= printed.size(); ++sheet) {
        const kv4::ReportPage& page = layout.pages[std::size_t(printed[sheet - 1] - 1)];
        const QString text = PageText(answer.file, sheet);
        QCOMPARE(text.count(QStringLiteral("Betrieb:Hof")), 1);
        // The field name of its first row: the leftmost row text first met.
        const kv4::ReportText* first = nullptr;
        for (const kv4::ReportText& t : page.texts)
            if (t.pointSize == 11 && (!first || t.x < first->x)) first = &t;
        QVERIFY(first && !first->text.empty());
        QVERIFY2(text.contains(Q(first->text)), qPrintable(QStringLiteral("sheet %1").arg(sheet)));
    }
}

void TestPrintWindow::headingsSetInArialWidths() {
    const QStringList families = QFontDatabase::families();
    if (!families.contains(QStringLiteral("Liberation Sans")) &&
        !families.contains(QStringLiteral("Arial")))
        QSKIP("no font with Arial's widths installed (Debian: fonts-liberation)");
    PrintAnswer answer;
    answer.file = dir_.filePath(QStringLiteral("widths.pdf"));
    AnswerPrintDialog(answer);
    ClickPrint();
    const kv4guitest::PdfPage page = kv4guitest::ReadPdfPage(answer.file, 1);
    // A heading with room after it, so that it stands as a word of its own
    // in any font.
    const kv4guitest::PdfWord* heading = page.Find(QStringLiteral("Schlag"));
    QVERIFY(heading);
    // Advance widths of Arial in thousandths of the size, 10 pt: the width
    // the report positions were laid out for. (The default sans is 9 %
    // wider here.)
    const std::map<QChar, int> arial = {{u'S', 667}, {u'c', 500}, {u'h', 556},
                                        {u'l', 222}, {u'a', 556}, {u'g', 556}};
    double expected = 0;
    for (QChar ch : heading->text) expected += arial.at(ch) * 10.0 / 1000.0;
    QCOMPARE_LT(std::abs(heading->xMax - heading->xMin - expected), expected * 0.02);
}

QTEST_MAIN(TestPrintWindow)
#include "test_MainWindow_Print.moc"
