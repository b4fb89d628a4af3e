// What the user waits for after an edit on a large farm: the recalculation
// pass over both worksheets of 2,000 fields, the one view update it causes
// and the repaint of the visible part of the N worksheet; also the whole way
// of a typed value, from the model's setData through the write-back.
//
//   cmake -S . -B build-rel -DCMAKE_BUILD_TYPE=Release -DKV4_BUILD_BENCH=ON
//   cmake --build build-rel --target qbench_recalc_view -j2
//   QT_QPA_PLATFORM=offscreen build-rel/bench/qbench_recalc_view -median 9
// On a shared machine add "-perf -perfcounter task-clock" for the CPU time
// of this process alone.
#include <QSignalSpy>
#include <QTest>
#include <memory>
#include <string>

#include "app/MainWindow.h"
#include "app/WorksheetView.h"
#include "worksheets/Recalc.h"
#include "worksheets/Worksheet.h"

namespace {

namespace ncol = kv4::ncol;
namespace pcol = kv4::pcol;

constexpr int kFields = 2000;

// Rows as the crop choice leaves them, with yields and corrections that vary
// from row to row; every tenth row without a crop.
void FillRows(kv4::Worksheet& n, kv4::Worksheet& p, char sep) {
    n.SetRowCount(kFields + 2);
    p.SetRowCount(kFields + 2);
    const std::string factor = std::string("0") + sep + "8";
    const std::string factorResidues = std::string("1") + sep + "04";
    for (int r = 1; r <= kFields; ++r) {
        n.SetCell(ncol::Schlag, r, "Schlag " + std::to_string(r));
        n.SetCell(ncol::Frucht, r, "Frucht " + std::to_string(r % 12));
        n.SetCell(ncol::V, r, "V");
        n.SetCell(ncol::Ertragserwartung, r, std::to_string(60 + r % 40));
        n.SetCell(ncol::NMin, r, std::to_string(-(r % 60)));
        n.SetCell(ncol::Humus, r, r % 7 == 0 ? "-20" : "");
        n.SetCell(ncol::OrgVorjahr, r, std::to_string(-(r % 25)));
        p.SetCell(pcol::Schlag, r, n.Cells(ncol::Schlag, r));
        p.SetCell(pcol::Frucht, r, n.Cells(ncol::Frucht, r));
        p.SetCell(pcol::Ertragserwartung, r, n.Cells(ncol::Ertragserwartung, r));
        p.SetCell(pcol::Erntereste, r, r % 3 == 0 ? "    X" : "");
        p.SetCell(pcol::Factor, r, "0");
        p.SetCell(pcol::FactorResidues, r, "0");
        if (r % 10 == 0) continue;
        n.SetCell(ncol::BasisErtrag, r, "80");
        n.SetCell(ncol::NSollwert, r, "230");
        n.SetCell(ncol::YieldStep, r, "10");
        n.SetCell(ncol::SurchargeRate, r, "10");
        n.SetCell(ncol::DeductionRate, r, "15");
        p.SetCell(pcol::Factor, r, factor);
        p.SetCell(pcol::FactorResidues, r, factorResidues);
    }
}

}  // namespace

class BenchRecalcView : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanupTestCase();
    void recalcAndRepaint();
    void editThroughTheModel();
    void recalcOnly();
    void repaintOnly();

  private:
    std::unique_ptr<kv4::Worksheets> sheets_;  // outlives the window
    std::unique_ptr<kv4gui::MainWindow> form_;
    int toggle_ = 0;
};

void BenchRecalcView::initTestCase() {
    sheets_ = std::make_unique<kv4::Worksheets>();
    form_ = std::make_unique<kv4gui::MainWindow>(*sheets_);
    FillRows(form_->NSheet(), form_->PSheet(), form_->DecimalSeparator());
    form_->WorksheetsChanged();
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    form_->ShowNWorksheet();
    QCOMPARE(form_->findChild<kv4gui::WorksheetView*>(QStringLiteral("nView"))->RowCount(),
             kFields + 2);
    // The first pass fills the result columns; the measured ones rewrite them.
    form_->RecalcWorksheets();
    QCOMPARE(form_->NSheet().Cells(ncol::NBedarf, 1), std::string("  200"));
}

void BenchRecalcView::cleanupTestCase() { form_.reset(); }

void BenchRecalcView::recalcAndRepaint() {
    kv4::Worksheet& n = form_->NSheet();
    QWidget* viewport =
        form_->findChild<kv4gui::WorksheetView*>(QStringLiteral("nView"))->viewport();
    QBENCHMARK {
        // An edited yield expectation in the first row, as after CommitNEditor.
        n.SetCell(ncol::Ertragserwartung, 1, ++toggle_ % 2 ? "81" : "79");
        form_->RecalcWorksheets();
        viewport->repaint();
    }
    QVERIFY(n.Cells(ncol::ZuAbschlag, 1) == "1" || n.Cells(ncol::ZuAbschlag, 1) == "-2");
}

// A typed yield expectation as an editor hands it over: setData, the
// write-back into both worksheets, the pass, one change notice per view and
// the repaint.
void BenchRecalcView::editThroughTheModel() {
    auto* view = form_->findChild<kv4gui::WorksheetView*>(QStringLiteral("nView"));
    QAbstractItemModel* model = view->model();
    const QModelIndex cell = view->IndexOf(ncol::Ertragserwartung, 1);
    QSignalSpy notices(model, &QAbstractItemModel::dataChanged);
    int edits = 0;
    QBENCHMARK {
        QVERIFY(model->setData(cell, ++toggle_ % 2 ? QStringLiteral("81") : QStringLiteral("79")));
        view->viewport()->repaint();
        ++edits;
    }
    QCOMPARE(notices.count(), edits);
    QCOMPARE(form_->PSheet().Cells(pcol::Ertragserwartung, 1),
             form_->NSheet().Cells(ncol::Ertragserwartung, 1));
}

// The core pass alone, for the share the window adds.
void BenchRecalcView::recalcOnly() {
    kv4::Worksheet& n = form_->NSheet();
    kv4::Worksheet& p = form_->PSheet();
    const char sep = form_->DecimalSeparator();
    QBENCHMARK {
        n.SetCell(ncol::Ertragserwartung, 1, ++toggle_ % 2 ? "81" : "79");
        kv4::RecalcWorksheets(n, p, sep);
    }
    form_->WorksheetsChanged();
}

// The repaint alone, with nothing changed: the share of painting the
// visible cells.
void BenchRecalcView::repaintOnly() {
    QWidget* viewport =
        form_->findChild<kv4gui::WorksheetView*>(QStringLiteral("nView"))->viewport();
    QBENCHMARK { viewport->repaint(); }
}

QTEST_MAIN(BenchRecalcView)
#include "qbench_recalc_view.moc"
