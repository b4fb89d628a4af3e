#pragma once
// The worksheet views: a table view over a kv4::Worksheet. The worksheet's
// row 0 holds its headings, which the view's header shows; the model's rows
// are the worksheet's rows from 1 on. Cells are UTF-8 in the worksheet and
// QString only here. Row numbers in this view's interface are the
// worksheet's.
//
// The cells a farmer may change are editable items: their delegates open the
// editors, and setData hands an edited value to the window's writer, which
// applies the worksheet's editing rules for exactly that cell.
#include <QAbstractTableModel>
#include <QBrush>
#include <QPersistentModelIndex>
#include <QTableView>
#include <functional>
#include <map>
#include <set>
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
    // An edited value (Qt::EditRole) for the writer; false when it refused it.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // Takes the edited value of cell (c, r) of the worksheet and returns
    // whether it was taken. A refused value has been reported to the user;
    // the cell may still hold its text, as the worksheet's rules say.
    using CellWriter = std::function<bool(int c, int r, const QVariant& value)>;
    // The columns whose data cells open an editor, and where their values go.
    void SetEditing(std::set<int> editableColumns, CellWriter writer);

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
    std::set<int> editableColumns_;
    CellWriter writer_;
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
    // Whether the last Click came from a move of the current cell with the
    // keyboard (arrows, Page, Home, End) rather than a click, Space or the
    // program.
    bool MovedByKeyboard() const { return movedByKeyboard_; }

    // A press on a data cell whose release never came here (a modal box
    // opened in between and took it) is completed: Click is raised now.
    // Nothing while the button is still down or when the click was whole.
    void CompleteInterruptedClick();

    // Opens the editor of cell (c, r), when that cell has one and no other
    // editor is open; its text is selected, so typing replaces it.
    bool OpenEditor(int c, int r);
    // The open editor, if any.
    QWidget* OpenEditorWidget() const;
    // Closes the open editor without taking its value.
    void DiscardEditor();

    // Where the keys of an open editor lead once its value is taken: a row
    // down or up, or the next or previous cell of the row that opens an
    // editor.
    enum class Step { Stay, Down, Up, Next, Previous };
    // Makes the cell `step` away from `from` the current one and raises
    // Click, which opens its editor. Nothing beyond the worksheet's edge.
    void StepFrom(const QModelIndex& from, Step step);
    // An editor's value was refused: once the event that left it is done,
    // its cell is the current cell again and its editor has the focus.
    // Clicks on the worksheet until then do not move the current cell.
    void ReturnAfterRefusal(const QModelIndex& cell);

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
    // A click released on a data cell (also the current one), Space on a
    // cell that opens no editor, a keyboard move of the current cell, or
    // SetRow to another row.
    void Click();

  protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void SetCurrentCell(int c, int r);
    int HeadingTextWidth(int c) const;
    bool OpensEditor(int c) const;
    void ReturnToRefusedCell();

    WorksheetModel* model_;  // owned by this view
    void RaiseClick(bool byKeyboard);

    bool pressedOnData_ = false;
    bool movedByKeyboard_ = false;
    int savedCol_ = 0;
    int savedRow_ = 1;
    QPersistentModelIndex editedCell_;
    QPersistentModelIndex refusedCell_;
};

}  // namespace kv4gui
