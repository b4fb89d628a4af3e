#pragma once
// The worksheet grids: a read-only table view over a kv4::Worksheet whose
// row 0 is the fixed heading row. Cells are UTF-8 in the worksheet and
// QString only here.
//
// The heading row stays at the top while the body scrolls: a second view of
// the same model, showing row 0 only, lies over the top of the viewport. It
// takes no mouse input; the grid beneath treats that strip as the heading.
#include <QAbstractTableModel>
#include <QBrush>
#include <QTableView>
#include <map>
#include <span>
#include <vector>

#include "worksheets/Worksheet.h"

namespace kv4gui {

class WorksheetModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit WorksheetModel(kv4::Worksheet& sheet, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Announces a recalculation once: one dataChanged over the whole sheet,
    // or a reset when the number of rows changed; nothing when nothing did.
    void Refresh();

    kv4::Worksheet& Sheet() { return sheet_; }
    void SetHeadingColors(const QBrush& background, const QBrush& text);

    // What the engine says about a cell beyond its text: a tooltip, and a
    // light warning tint that only the screen shows (reports are painted
    // from the worksheet texts).
    struct CellNote {
        QString toolTip;
        bool warning = false;
    };
    // The notes of column `col`, by row; replaces that column's notes.
    void SetColumnNotes(int col, std::vector<CellNote> notes);
    static QBrush WarningBrush();

  private:
    const CellNote* NoteAt(const QModelIndex& index) const;

    kv4::Worksheet& sheet_;
    int rows_;
    int cols_;
    unsigned long long revision_;
    QBrush headingBackground_;
    QBrush headingText_;
    std::map<int, std::vector<CellNote>> notes_;
};

class WorksheetView : public QTableView {
    Q_OBJECT
  public:
    static constexpr int kDefaultRowHeight = 24;

    explicit WorksheetView(kv4::Worksheet& sheet, QWidget* parent = nullptr);

    WorksheetModel& Model() { return *model_; }
    int ColCount() const;
    int RowCount() const;

    // The current cell; Row() is 0 while no data cell is current.
    int Col() const;
    int Row() const;
    // Moves the current cell to row r in the same column; raises Click when
    // the row changes. Rows outside 1..RowCount()-1 are ignored.
    void SetRow(int r);

    // A press on a data cell whose release never came here (a modal box
    // opened in between and took it) is completed: Click is raised now.
    // Nothing while the button is still down or when the click was whole.
    void CompleteInterruptedClick();

    // Width 0 hides the column.
    void SetColWidth(int c, int width);
    int ColWidth(int c) const;
    void SetColWidths(std::span<const int> widths);

    // Cell rectangle in viewport coordinates; the heading cells where they
    // are drawn, at the top, whatever the scroll position.
    QRect CellRect(int c, int r) const;

    // Within the heading strip, the heading cell drawn there.
    QModelIndex indexAt(const QPoint& point) const override;
    // Keeps the cell below the heading strip.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    void keyboardSearch(const QString& search) override;

  signals:
    // A click released on a data cell (also the current one), a keyboard
    // move of the current cell, or SetRow to another row.
    void Click();
    // The body moved under the viewport.
    void Scrolled();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void changeEvent(QEvent* event) override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    void SetCurrentCell(int c, int r);
    void ApplyHeadingColors();
    int HeadingHeight() const;
    void LayOutHeading();
    void SyncHeadingColumns();

    WorksheetModel* model_;  // owned by this view
    QTableView* heading_;    // the fixed row 0, a child of this view
    bool pressedOnData_ = false;
    int savedCol_ = 0;
    int savedRow_ = 1;
};

}  // namespace kv4gui
