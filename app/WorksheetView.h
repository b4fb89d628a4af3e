#pragma once
// The worksheet views: a read-only table view over a kv4::Worksheet. The
// worksheet's row 0 holds its headings, which the view's header shows; the
// model's rows are the worksheet's rows from 1 on. Cells are UTF-8 in the
// worksheet and QString only here. Row numbers in this view's interface are
// the worksheet's.
#include <QAbstractTableModel>
#include <QBrush>
#include <QTableView>
#include <map>
#include <span>
#include <string>
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
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Announces a recalculation once: one dataChanged over the whole sheet,
    // or a reset when the number of rows changed; nothing when nothing did.
    // Changed headings are announced on their own.
    void Refresh();

    kv4::Worksheet& Sheet() { return sheet_; }
    // The worksheet row an index of this model stands for.
    static int SheetRow(const QModelIndex& index) { return index.row() + 1; }

    // What the engine says about a cell beyond its text: a tooltip, and a
    // light warning tint that only the screen shows (reports are painted
    // from the worksheet texts).
    struct CellNote {
        QString toolTip;
        bool warning = false;
    };
    // The notes of column `col`, by worksheet row; replaces that column's notes.
    void SetColumnNotes(int col, std::vector<CellNote> notes);
    static QBrush WarningBrush();

  private:
    static int BodyRows(const kv4::Worksheet& sheet);
    std::vector<std::string> Headings() const;
    const CellNote* NoteAt(const QModelIndex& index) const;

    kv4::Worksheet& sheet_;
    int rows_;
    int cols_;
    unsigned long long revision_;
    std::vector<std::string> headings_;
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
    // Makes cell (c, r) the current cell and raises Click, also when it
    // already was.
    void ChooseCell(int c, int r);

    // A press on a data cell whose release never came here (a modal box
    // opened in between and took it) is completed: Click is raised now.
    // Nothing while the button is still down or when the click was whole.
    void CompleteInterruptedClick();

    // Width 0 hides the column; any other width is widened to the heading's
    // text where that is wider.
    void SetColWidth(int c, int width);
    int ColWidth(int c) const;
    void SetColWidths(std::span<const int> widths);

    // Cell (c, r) of the worksheet in viewport coordinates; none for row 0,
    // which is the header.
    QRect CellRect(int c, int r) const;
    QModelIndex IndexOf(int c, int r) const;
    void ScrollToCell(int c, int r);

    void keyboardSearch(const QString& search) override;

  signals:
    // A click released on a data cell (also the current one), a keyboard
    // move of the current cell, or SetRow to another row.
    void Click();
    // The body moved under the viewport.
    void Scrolled();
    // A printable key (its text) or F2 (an empty text) on the current cell
    // while no editor has the focus.
    void EditRequested(const QString& replacement);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

  private:
    void SetCurrentCell(int c, int r);
    int HeadingTextWidth(int c) const;

    WorksheetModel* model_;  // owned by this view
    bool pressedOnData_ = false;
    int savedCol_ = 0;
    int savedRow_ = 1;
};

}  // namespace kv4gui
