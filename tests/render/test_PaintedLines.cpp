// The rules the painter draws on each page are the lines of the report
// layout, end points included (the PDF tests read only words).
#include <QLineF>
#include <QPagedPaintDevice>
#include <QPaintEngine>
#include <QtTest>
#include <climits>
#include <vector>

#include "render/ReportPrinter.h"
#include "worksheets/ReportLayout.h"
#include "worksheets/Worksheet.h"

Q_DECLARE_METATYPE(kv4::ReportKind)

namespace {

using Pages = std::vector<std::vector<QLineF>>;

class LineEngine : public QPaintEngine {
  public:
    explicit LineEngine(Pages& pages) : QPaintEngine(AllFeatures), pages_(pages) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawTextItem(const QPointF&, const QTextItem&) override {}
    void drawLines(const QLine* lines, int count) override {
        for (int i = 0; i < count; ++i) pages_.back().push_back(QLineF(lines[i]));
    }
    void drawLines(const QLineF* lines, int count) override {
        pages_.back().insert(pages_.back().end(), lines, lines + count);
    }
    Type type() const override { return User; }

  private:
    Pages& pages_;
};

// A landscape A4 page at 600 dpi that keeps the lines painted on it. The
// paged base keeps its page layout in a part only Qt's own devices create;
// the painter never asks for it.
class LineRecorder : public QPagedPaintDevice {
  public:
    LineRecorder() : QPagedPaintDevice(nullptr) {}
    bool newPage() override {
        pages.emplace_back();
        return true;
    }
    QPaintEngine* paintEngine() const override { return &engine_; }

    Pages pages{1};

  protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
            case PdmWidth:
                return 7016;
            case PdmHeight:
                return 4961;
            case PdmWidthMM:
                return 297;
            case PdmHeightMM:
                return 210;
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY:
                return 600;
            case PdmDepth:
                return 32;
            case PdmNumColors:
                return INT_MAX;
            case PdmDevicePixelRatio:
                return 1;
            case PdmDevicePixelRatioScaled:
                return int(devicePixelRatioFScale());
            default:
                return QPagedPaintDevice::metric(metric);
        }
    }

  private:
    mutable LineEngine engine_{pages};
};

kv4::Worksheet Sheet(kv4::ReportKind kind, int fields) {
    kv4::Worksheet sheet =
        kind == kv4::ReportKind::N ? kv4::MakeNWorksheet() : kv4::MakePWorksheet();
    sheet.SetRowCount(fields + 2);
    for (int row = 1; row <= fields; ++row) sheet.SetCell(0, row, "S" + std::to_string(row));
    return sheet;
}

}  // namespace

class TestPaintedLines : public QObject {
    Q_OBJECT

  private slots:
    void linesAreTheLayoutsLines_data() {
        QTest::addColumn<kv4::ReportKind>("kind");
        QTest::newRow("N") << kv4::ReportKind::N;
        QTest::newRow("P2O5") << kv4::ReportKind::P2O5;
    }
    void linesAreTheLayoutsLines() {
        QFETCH(kv4::ReportKind, kind);
        LineRecorder device;
        const kv4::ReportPages layout = kv4gui::LayoutForPrinter(
            device, Sheet(kind, 60), kind, {"Hof Meyer", "4711", "01.03.2018"}, 96);
        QVERIFY(kv4gui::PrintReport(device, layout));
        QCOMPARE(device.pages.size(), layout.pages.size());
        QVERIFY(layout.pages.size() > 1);
        for (std::size_t p = 0; p < layout.pages.size(); ++p) {
            std::vector<QLineF> want;
            for (const kv4::ReportLine& l : layout.pages[p].lines)
                want.emplace_back(l.x1, l.y1, l.x2, l.y2);
            QVERIFY(!want.empty());
            QCOMPARE(device.pages[p], want);
        }
    }
};

QTEST_MAIN(TestPaintedLines)
#include "test_PaintedLines.moc"
