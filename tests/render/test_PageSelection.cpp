// The pages sent to the printer: a printer that makes its copies itself gets
// one set, however many copies were asked for.
#include <QtTest>
#include <string>

#include "render/PageSelection.h"

namespace {

// The report's pages marked "1", "2", "3"; the printed order as one text.
QString Printed(const kv4gui::PrintChoice& choice) {
    kv4::ReportPages report;
    for (const char* mark : {"1", "2", "3"}) report.pages.emplace_back().title = mark;
    QString order;
    for (const kv4::ReportPage& page : kv4gui::PagesToPrint(report, choice).pages)
        order += QString::fromStdString(page.title);
    return order;
}

}  // namespace

class TestPageSelection : public QObject {
    Q_OBJECT

  private slots:
    void copiesThePrinterDoesNotMake_data() {
        QTest::addColumn<QString>("range");
        QTest::addColumn<int>("copies");
        QTest::addColumn<bool>("printerMakesCopies");
        QTest::addColumn<bool>("collate");
        QTest::addColumn<QString>("printed");
        QTest::newRow("printer makes 3, collated") << "" << 3 << true << true << "123";
        QTest::newRow("printer makes 3, uncollated") << "" << 3 << true << false << "123";
        QTest::newRow("printer makes 2 of pages 2-3") << "2-3" << 2 << true << true << "23";
        QTest::newRow("3 made here, collated") << "" << 3 << false << true << "123123123";
        QTest::newRow("2 of pages 1,3 made here, uncollated")
            << "1,3" << 2 << false << false << "1133";
        QTest::newRow("no copy counts as one") << "" << 0 << false << true << "123";
    }
    void copiesThePrinterDoesNotMake() {
        QFETCH(QString, range);
        QFETCH(int, copies);
        QFETCH(bool, printerMakesCopies);
        QFETCH(bool, collate);
        QFETCH(QString, printed);
        const QPageRanges ranges = QPageRanges::fromString(range);
        QCOMPARE(Printed({ranges, copies, printerMakesCopies, collate}), printed);
    }
};

QTEST_GUILESS_MAIN(TestPageSelection)
#include "test_PageSelection.moc"
