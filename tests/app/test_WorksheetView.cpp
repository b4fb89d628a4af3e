// The worksheet grid on its own: current cell, the Click signal, the fixed
// heading row, column widths and how the model announces changes.
#include <QFontMetrics>
#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <array>
#include <functional>
#include <memory>

#include "app/WorksheetView.h"
#include "guisupport/GuiTestSupport.h"
#include "worksheets/Worksheet.h"

using kv4gui::WorksheetView;

class TestWorksheetView : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void startsOnFirstDataRow();
    void clickIsRaisedOnRelease();
    void clickOnHeadingRowOrOutsideDoesNothing();
    void dragCannotReachHeadingRow();
    void keyboardMovesRaiseClick();
    void setRowRaisesClickOnlyForAnotherRow();
    void cellRectAndWidths();
    void headingsAreTheHeader();
    void headerStaysOnTopAtEveryScrollPosition();
    void refreshAnnouncesOnce();
    void resetKeepsCurrentCell();
    void cellTextsAreUtf8();

  private:
    std::unique_ptr<kv4::Worksheet> sheet_;
    std::unique_ptr<WorksheetView> grid_;
};

void TestWorksheetView::init() {
    sheet_ = std::make_unique<kv4::Worksheet>(4, 4);
    for (int c = 0; c < 4; ++c) sheet_->SetCell(c, 0, "H" + std::to_string(c));
    for (int r = 1; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            sheet_->SetCell(c, r, std::string(1, static_cast<char>('a' + c)) + std::to_string(r));
    grid_ = std::make_unique<WorksheetView>(*sheet_);
    grid_->SetColWidths(std::array{100, 60, 0, 20});
    grid_->Model().Refresh();
    grid_->resize(400, 300);
    QVERIFY(kv4guitest::ShowActive(*grid_));
}

void TestWorksheetView::cleanup() {
    grid_.reset();
    sheet_.reset();
}

void TestWorksheetView::startsOnFirstDataRow() {
    QCOMPARE(grid_->Col(), 0);
    QCOMPARE(grid_->Row(), 1);
    QVERIFY(!grid_->horizontalHeader()->isHidden());
    QVERIFY(grid_->verticalHeader()->isHidden());
    // Nothing is editable until the window says which columns are.
    QVERIFY(!(grid_->Model().flags(grid_->IndexOf(1, 1)) & Qt::ItemIsEditable));
    QVERIFY(!grid_->Model().setData(grid_->IndexOf(1, 1), QStringLiteral("x")));
    QCOMPARE(grid_->selectionMode(), QAbstractItemView::SingleSelection);
}

void TestWorksheetView::clickIsRaisedOnRelease() {
    QSignalSpy click(grid_.get(), &WorksheetView::Click);
    const QPoint centre = grid_->CellRect(1, 2).center();
    QTest::mousePress(grid_->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    QCOMPARE(click.count(), 0);
    QCOMPARE(grid_->Row(), 2);  // the current cell moves on the press
    QCOMPARE(grid_->Col(), 1);
    QTest::mouseRelease(grid_->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    QCOMPARE(click.count(), 1);

    // Also on the cell that is already current.
    kv4guitest::ClickCell(grid_.get(), 1, 2);
    QCOMPARE(click.count(), 2);
    QCOMPARE(grid_->Col(), 1);
    QCOMPARE(grid_->Row(), 2);

    // The right button neither moves nor clicks.
    QTest::mouseClick(grid_->viewport(), Qt::RightButton, Qt::NoModifier,
                      grid_->CellRect(0, 3).center());
    QCOMPARE(click.count(), 2);
    QCOMPARE(grid_->Row(), 2);
}

void TestWorksheetView::clickOnHeadingRowOrOutsideDoesNothing() {
    QSignalSpy click(grid_.get(), &WorksheetView::Click);
    kv4guitest::ClickCell(grid_.get(), 1, 0);
    QCOMPARE(click.count(), 0);
    QCOMPARE(grid_->Row(), 1);
    QCOMPARE(grid_->Col(), 0);
    // Below the last row.
    const QRect last = grid_->CellRect(0, 3);
    QTest::mouseClick(grid_->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(last.center().x(), last.bottom() + 30));
    QCOMPARE(click.count(), 0);
    QCOMPARE(grid_->Row(), 1);
}

void TestWorksheetView::dragCannotReachHeadingRow() {
    QSignalSpy click(grid_.get(), &WorksheetView::Click);
    QWidget* viewport = grid_->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, grid_->CellRect(0, 2).center());
    QTest::mouseMove(viewport, grid_->CellRect(0, 1).center());
    QTest::mouseMove(viewport, grid_->CellRect(0, 0).center());
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, grid_->CellRect(0, 0).center());
    QCOMPARE(grid_->Row(), 1);
    QCOMPARE(click.count(), 1);
}

void TestWorksheetView::keyboardMovesRaiseClick() {
    QSignalSpy click(grid_.get(), &WorksheetView::Click);
    grid_->setFocus();
    QTest::keyClick(grid_.get(), Qt::Key_Down);
    QCOMPARE(grid_->Row(), 2);
    QCOMPARE(click.count(), 1);
    QTest::keyClick(grid_.get(), Qt::Key_Up);
    QTest::keyClick(grid_.get(), Qt::Key_Up);  // would reach the heading row
    QCOMPARE(grid_->Row(), 1);
    QCOMPARE(click.count(), 2);
    QTest::keyClick(grid_.get(), Qt::Key_Down);
    QTest::keyClick(grid_.get(), Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(grid_->Row(), 1);
    // Right skips the hidden column 2.
    QTest::keyClick(grid_.get(), Qt::Key_Right);
    QCOMPARE(grid_->Col(), 1);
    QTest::keyClick(grid_.get(), Qt::Key_Right);
    QCOMPARE(grid_->Col(), 3);
    const int before = click.count();
    // Typing does not search the cells.
    QTest::keyClicks(grid_.get(), "a3");
    QCOMPARE(grid_->Row(), 1);
    QCOMPARE(grid_->Col(), 3);
    QCOMPARE(click.count(), before);
}

void TestWorksheetView::setRowRaisesClickOnlyForAnotherRow() {
    QSignalSpy click(grid_.get(), &WorksheetView::Click);
    kv4guitest::ClickCell(grid_.get(), 3, 1);
    QCOMPARE(click.count(), 1);
    grid_->SetRow(3);
    QCOMPARE(click.count(), 2);
    QCOMPARE(grid_->Row(), 3);
    QCOMPARE(grid_->Col(), 3);
    grid_->SetRow(3);
    grid_->SetRow(0);
    grid_->SetRow(4);
    grid_->SetRow(-1);
    QCOMPARE(click.count(), 2);
    QCOMPARE(grid_->Row(), 3);
}

void TestWorksheetView::cellRectAndWidths() {
    QCOMPARE(grid_->ColWidth(0), 100);
    QCOMPARE(grid_->ColWidth(1), 60);
    QCOMPARE(grid_->ColWidth(2), 0);
    QVERIFY(grid_->isColumnHidden(2));
    QCOMPARE_GE(grid_->ColWidth(3), 20);  // the last column stretches to the edge
    // Cells are as wide and high as set; the grid line lies between them.
    const QRect cell = grid_->CellRect(1, 2);
    QCOMPARE(cell.width(), 60);
    QCOMPARE(cell.height(), WorksheetView::kDefaultRowHeight);
    QCOMPARE(cell.left(), 100 + 1);
    QCOMPARE(cell.top(), WorksheetView::kDefaultRowHeight + 1);
    QCOMPARE(grid_->CellRect(3, 1).left(), 100 + 1 + 60 + 1);
    QCOMPARE(grid_->indexAt(cell.center()), grid_->IndexOf(1, 2));
    QVERIFY(grid_->CellRect(9, 1).isNull());
    QVERIFY(grid_->CellRect(1, 0).isNull());  // the headings are the header
    // Showing a hidden column again.
    grid_->SetColWidth(2, 30);
    QCOMPARE(grid_->ColWidth(2), 30);
    QVERIFY(!grid_->isColumnHidden(2));
}

void TestWorksheetView::headingsAreTheHeader() {
    // Row 0 of the worksheet is the header, not a row of the body.
    QCOMPARE(grid_->model()->rowCount(), 3);
    QCOMPARE(grid_->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("H1"));
    QCOMPARE(grid_->IndexOf(1, 1).data().toString(), QStringLiteral("b1"));
    // A column is at least as wide as its heading, and the header drags it wider.
    sheet_->SetCell(3, 0, "Ertragserwartung");
    grid_->Model().Refresh();
    grid_->SetColWidth(3, 20);
    const QFontMetrics metrics = grid_->horizontalHeader()->fontMetrics();
    QCOMPARE_GE(grid_->ColWidth(3), metrics.horizontalAdvance(QStringLiteral("Ertragserwartung")));
    QCOMPARE(grid_->horizontalHeader()->sectionResizeMode(1), QHeaderView::Interactive);
    QVERIFY(grid_->horizontalHeader()->stretchLastSection());
}

void TestWorksheetView::headerStaysOnTopAtEveryScrollPosition() {
    sheet_->SetRowCount(40);
    for (int r = 1; r < 40; ++r) sheet_->SetCell(0, r, "row " + std::to_string(r));
    grid_->Model().Refresh();
    QTest::qWait(0);  // the scroll bar takes its place
    QHeaderView* header = grid_->horizontalHeader();
    const int headerBottom = header->geometry().bottom();
    QSignalSpy click(grid_.get(), &WorksheetView::Click);
    const std::function<void()> scrolls[] = {
        [&] { QTest::keyClick(grid_.get(), Qt::Key_End, Qt::ControlModifier); },
        [&] { grid_->verticalScrollBar()->setValue(grid_->verticalScrollBar()->maximum()); },
        [&] { QTest::keyClick(grid_.get(), Qt::Key_PageDown); },
        [&] { grid_->SetRow(30); },
    };
    for (const auto& scroll : scrolls) {
        grid_->scrollToTop();
        grid_->SetRow(1);
        grid_->setFocus();
        scroll();
        QVERIFY(grid_->verticalScrollBar()->value() > 0);
        // The body lies below the header: no row is drawn under it.
        QVERIFY(header->isVisible());
        QCOMPARE(header->geometry().bottom(), headerBottom);
        QCOMPARE_GT(grid_->viewport()->geometry().top(), headerBottom);
        // A click on the header moves no body row.
        const int row = grid_->Row(), clicks = click.count();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
        QCOMPARE(grid_->Row(), row);
        QCOMPARE(click.count(), clicks);
    }
    QTest::keyClick(grid_.get(), Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(grid_->Row(), 1);
    QCOMPARE(grid_->CellRect(0, 1).top(), 0);
}

void TestWorksheetView::refreshAnnouncesOnce() {
    QSignalSpy changed(grid_->model(), &QAbstractItemModel::dataChanged);
    QSignalSpy reset(grid_->model(), &QAbstractItemModel::modelReset);
    // Nothing changed: nothing announced.
    grid_->Model().Refresh();
    QCOMPARE(changed.count(), 0);

    sheet_->SetCell(0, 1, "x");
    sheet_->SetCell(3, 3, "y");
    QCOMPARE(grid_->IndexOf(0, 1).data().toString(), QStringLiteral("x"));
    grid_->Model().Refresh();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(reset.count(), 0);
    QCOMPARE(changed.front().at(0).value<QModelIndex>(), grid_->IndexOf(0, 1));
    QCOMPARE(changed.front().at(1).value<QModelIndex>(), grid_->IndexOf(3, 3));

    // A new row count is a reset, not a data change.
    sheet_->SetRowCount(7);
    QCOMPARE(grid_->RowCount(), 4);  // unknown to the view until announced
    grid_->Model().Refresh();
    QCOMPARE(reset.count(), 1);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(grid_->RowCount(), 7);
}

void TestWorksheetView::resetKeepsCurrentCell() {
    kv4guitest::ClickCell(grid_.get(), 1, 3);
    sheet_->SetRowCount(9);
    grid_->Model().Refresh();
    QCOMPARE(grid_->Col(), 1);
    QCOMPARE(grid_->Row(), 3);
    sheet_->SetRowCount(2);
    grid_->Model().Refresh();
    QCOMPARE(grid_->Col(), 1);
    QCOMPARE(grid_->Row(), 1);
    // Only the heading row left: no data cell is current.
    sheet_->SetRowCount(1);
    grid_->Model().Refresh();
    QCOMPARE(grid_->Row(), 0);
    QSignalSpy click(grid_.get(), &WorksheetView::Click);
    grid_->SetRow(1);
    QCOMPARE(click.count(), 0);
}

void TestWorksheetView::cellTextsAreUtf8() {
    sheet_->SetCell(1, 1, "Zuckerrüben");
    sheet_->SetCell(1, 2,
                    std::string("R\xfc"
                                "ben"));  // not UTF-8: must not break
    grid_->Model().Refresh();
    QCOMPARE(grid_->IndexOf(1, 1).data().toString(), QStringLiteral("Zuckerrüben"));
    QVERIFY(grid_->IndexOf(1, 2).data().toString().startsWith(QLatin1Char('R')));
    QVERIFY(!grid_->IndexOf(1, 4).data().isValid());
}

QTEST_MAIN(TestWorksheetView)
#include "test_WorksheetView.moc"
