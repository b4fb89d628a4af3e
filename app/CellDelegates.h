#pragma once
// The editors of the worksheet cells, one delegate per kind of cell: numbers
// (with the character filter of their worksheet), the remark text and the
// crop list. A delegate opens its editor over the cell it was asked for and
// hands the value to the model for exactly that cell, whatever the current
// cell has become in the meantime.
//
// Keys of an open editor work as in a spreadsheet: Enter and Down take the
// value and open the editor a row down, Shift+Enter and Up a row up, Tab and
// Shift+Tab the next or previous cell of the row that opens an editor;
// Escape closes the editor without taking its value. Leaving the editor
// (a click elsewhere, another control) takes the value too. A refused value
// keeps the editor open over its cell.
#include <QStyledItemDelegate>
#include <string>
#include <string_view>

#include "app/WorksheetView.h"

class QKeyEvent;

namespace kv4gui {

class CellDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    explicit CellDelegate(WorksheetView& view);

    // The text (or the list's state) is laid in once, when the editor opens:
    // a recalculation while it is open does not overwrite what is typed.
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

  protected:
    bool eventFilter(QObject* object, QEvent* event) override;

    // What the editor hands to the model.
    virtual QVariant Value(QWidget* editor) const = 0;
    virtual void LayIn(QWidget* editor, const QModelIndex& index) const = 0;
    // A key of the open editor other than Tab and Escape; true when it was
    // handled here.
    virtual bool HandleKey(QWidget* editor, const QKeyEvent& key) = 0;
    // Just before the value is handed over.
    virtual void BeforeCommit(QWidget*) {}

    // Hands the editor's value to the model; taken, the editor closes and the
    // view moves on by `step`, refused, it stays open over its cell.
    void Finish(QWidget* editor, WorksheetView::Step step);

    WorksheetView& view_;

  private:
    // Closes the editor; its cell keeps the text it had.
    void Discard(QWidget* editor);

    bool finishing_ = false;
    mutable bool refused_ = false;
    mutable QPersistentModelIndex committedCell_;
};

// A line editor over a text or number cell. `filter` cleans every text the
// editor gets, typed or laid in (none for free text).
class LineCellDelegate : public CellDelegate {
    Q_OBJECT
  public:
    using Filter = std::string (*)(int col, std::string_view text);
    LineCellDelegate(WorksheetView& view, const char* editorName, Filter filter = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

  protected:
    QVariant Value(QWidget* editor) const override;
    void LayIn(QWidget* editor, const QModelIndex& index) const override;
    bool HandleKey(QWidget* editor, const QKeyEvent& key) override;

  private:
    const char* editorName_;
    Filter filter_;
};

// The crop list over the "V" cell: it opens without a pick, and its value is
// the picked crop's position in the crop table (-1 for none).
class CropCellDelegate : public CellDelegate {
    Q_OBJECT
  public:
    explicit CropCellDelegate(WorksheetView& view);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

  protected:
    QVariant Value(QWidget* editor) const override;
    void LayIn(QWidget* editor, const QModelIndex& index) const override;
    bool HandleKey(QWidget* editor, const QKeyEvent& key) override;
    void BeforeCommit(QWidget* editor) override;
};

}  // namespace kv4gui
