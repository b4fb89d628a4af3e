#include "app/WorksheetView.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyle>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "render/QtText.h"

namespace kv4gui {

namespace {
// The grid line lies outside the cell, so a column of width w takes w + 1
// pixels, and a cell rectangle is exactly w wide.
constexpr int kGridLine = 1;
}  // namespace

WorksheetModel::WorksheetModel(kv4::Worksheet& sheet, QObject* parent)
    : QAbstractTableModel(parent),
      sheet_(sheet),
      rows_(BodyRows(sheet)),
      cols_(sheet.ColCount()),
      revision_(sheet.Revision()) {
    headings_ = Headings();
}

int WorksheetModel::BodyRows(const kv4::Worksheet& sheet) {
    return std::max(sheet.RowCount() - 1, 0);
}

std::vector<std::string> WorksheetModel::Headings() const {
    std::vector<std::string> headings;
    for (int c = 0; c < sheet_.ColCount(); ++c) headings.push_back(sheet_.Cells(c, 0));
    return headings;
}

int WorksheetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int WorksheetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : cols_;
}

QVariant WorksheetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_ || index.column() >= cols_) return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return ToQString(sheet_.Cells(index.column(), SheetRow(index)));
        case Qt::BackgroundRole:
            if (const CellNote* note = NoteAt(index); note && note->warning) return WarningBrush();
            break;
        case Qt::ToolTipRole:
            if (const CellNote* note = NoteAt(index); note && !note->toolTip.isEmpty())
                return note->toolTip;
            break;
        default:
            break;
    }
    return {};
}

QVariant WorksheetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section < 0 || section >= cols_) return {};
    return ToQString(sheet_.Cells(section, 0));
}

Qt::ItemFlags WorksheetModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (editableColumns_.contains(index.column())) flags |= Qt::ItemIsEditable;
    return flags;
}

bool WorksheetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !writer_ || !index.isValid() || index.row() >= rows_ ||
        !editableColumns_.contains(index.column()))
        return false;
    // The writer recalculates and announces what changed itself: one pass,
    // one notice.
    return writer_(index.column(), SheetRow(index), value);
}

void WorksheetModel::SetEditing(std::set<int> editableColumns, CellWriter writer) {
    editableColumns_ = std::move(editableColumns);
    writer_ = std::move(writer);
}

void WorksheetModel::Refresh() {
    if (BodyRows(sheet_) != rows_ || sheet_.ColCount() != cols_) {
        beginResetModel();
        rows_ = BodyRows(sheet_);
        cols_ = sheet_.ColCount();
        revision_ = sheet_.Revision();
        headings_ = Headings();
        endResetModel();
        return;
    }
    if (sheet_.Revision() == revision_) return;
    revision_ = sheet_.Revision();
    if (rows_ > 0 && cols_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1));
    // Headings hardly ever change: their notice only when they did.
    if (std::vector<std::string> headings = Headings(); headings != headings_) {
        headings_ = std::move(headings);
        emit headerDataChanged(Qt::Horizontal, 0, cols_ - 1);
    }
}

void WorksheetModel::SetColumnNotes(int col, std::vector<CellNote> notes) {
    notes_[col] = std::move(notes);
    if (col >= 0 && col < cols_ && rows_ > 0)
        emit dataChanged(index(0, col), index(rows_ - 1, col));
}

QBrush WorksheetModel::WarningBrush() { return QBrush(QColor(255, 236, 179)); }

const WorksheetModel::CellNote* WorksheetModel::NoteAt(const QModelIndex& index) const {
    const auto column = notes_.find(index.column());
    if (column == notes_.end()) return nullptr;
    const auto row = static_cast<std::size_t>(SheetRow(index));
    return row < column->second.size() ? &column->second[row] : nullptr;
}

WorksheetView::WorksheetView(kv4::Worksheet& sheet, QWidget* parent)
    : QTableView(parent), model_(new WorksheetModel(sheet, this)) {
    setModel(model_);
    QHeaderView* heading = horizontalHeader();
    // The worksheet's heading row: always in sight above the body, columns
    // widened by dragging its section edges.
    heading->setSectionResizeMode(QHeaderView::Interactive);
    heading->setMinimumSectionSize(0);
    heading->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    heading->setHighlightSections(false);
    heading->setSectionsClickable(false);
    heading->setStretchLastSection(true);
    heading->setDefaultSectionSize(64 + kGridLine);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setDefaultSectionSize(kDefaultRowHeight + kGridLine);
    setShowGrid(true);
    // The click handlers open the editors; on a chosen cell without one,
    // typing opens it with the typed text, F2 with the cell's.
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(false);
    setWordWrap(false);
    // A text wider than its cell is cut at the cell's edge, not shortened.
    setTextElideMode(Qt::ElideNone);

    // A reset (the row count changed) keeps the current cell where it can.
    connect(model_, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        savedCol_ = Col();
        savedRow_ = Row();
    });
    connect(model_, &QAbstractItemModel::modelReset, this,
            [this] { SetCurrentCell(savedCol_, std::max(savedRow_, 1)); });
    SetCurrentCell(0, 1);
}

int WorksheetView::ColCount() const { return model_->columnCount(); }
int WorksheetView::RowCount() const { return model_->rowCount() + 1; }

int WorksheetView::Col() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() : 0;
}

int WorksheetView::Row() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? WorksheetModel::SheetRow(current) : 0;
}

void WorksheetView::SetRow(int r) {
    if (r < 1 || r >= RowCount() || r == Row()) return;
    SetCurrentCell(Col(), r);
    RaiseClick(false);
}

void WorksheetView::ChooseCell(int c, int r) {
    if (r < 1 || r >= RowCount()) return;
    SetCurrentCell(c, r);
    RaiseClick(false);
}

void WorksheetView::RaiseClick(bool byKeyboard) {
    movedByKeyboard_ = byKeyboard;
    emit Click();
    movedByKeyboard_ = false;
}

void WorksheetView::SetCurrentCell(int c, int r) {
    if (RowCount() < 2 || ColCount() < 1) return;
    r = std::clamp(r, 1, RowCount() - 1);
    c = std::clamp(c, 0, ColCount() - 1);
    selectionModel()->setCurrentIndex(IndexOf(c, r), QItemSelectionModel::ClearAndSelect);
}

void WorksheetView::SetColWidth(int c, int width) {
    if (c < 0 || c >= ColCount()) return;
    if (width <= 0) {
        setColumnHidden(c, true);
        return;
    }
    setColumnHidden(c, false);
    setColumnWidth(c, std::max(width, HeadingTextWidth(c)) + kGridLine);
}

int WorksheetView::HeadingTextWidth(int c) const {
    const QString text = model_->headerData(c, Qt::Horizontal).toString();
    if (text.isEmpty()) return 0;
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, horizontalHeader());
    return horizontalHeader()->fontMetrics().horizontalAdvance(text) + 2 * margin + kGridLine;
}

int WorksheetView::ColWidth(int c) const {
    if (c < 0 || c >= ColCount() || isColumnHidden(c)) return 0;
    return columnWidth(c) - kGridLine;
}

void WorksheetView::SetColWidths(std::span<const int> widths) {
    for (std::size_t c = 0; c < widths.size(); ++c) SetColWidth(static_cast<int>(c), widths[c]);
}

QModelIndex WorksheetView::IndexOf(int c, int r) const { return model_->index(r - 1, c); }

QRect WorksheetView::CellRect(int c, int r) const {
    if (c < 0 || c >= ColCount() || r < 1 || r >= RowCount()) return {};
    return visualRect(IndexOf(c, r));
}

void WorksheetView::ScrollToCell(int c, int r) { scrollTo(IndexOf(c, r)); }

bool WorksheetView::OpensEditor(int c) const {
    return !isColumnHidden(c) && (model_->flags(IndexOf(c, 1)) & Qt::ItemIsEditable);
}

bool WorksheetView::OpenEditor(int c, int r) {
    if (r < 1 || r >= RowCount() || c < 0 || c >= ColCount()) return false;
    return edit(IndexOf(c, r), QAbstractItemView::AllEditTriggers, nullptr);
}

bool WorksheetView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    const bool opened = QTableView::edit(index, trigger, event);
    if (opened && indexWidget(index) != nullptr) editedCell_ = index;
    return opened;
}

QWidget* WorksheetView::OpenEditorWidget() const {
    return editedCell_.isValid() ? indexWidget(editedCell_) : nullptr;
}

void WorksheetView::DiscardEditor() {
    if (QWidget* editor = OpenEditorWidget())
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
}

void WorksheetView::StepFrom(const QModelIndex& from, Step step) {
    if (!from.isValid()) return;
    int c = from.column();
    int r = WorksheetModel::SheetRow(from);
    switch (step) {
        case Step::Stay:
            return;
        case Step::Down:
            ++r;
            break;
        case Step::Up:
            --r;
            break;
        case Step::Next:
        case Step::Previous: {
            const int direction = step == Step::Next ? 1 : -1;
            do c += direction;
            while (c >= 0 && c < ColCount() && !OpensEditor(c));
            break;
        }
    }
    if (r < 1 || r >= RowCount() || c < 0 || c >= ColCount()) return;
    ScrollToCell(c, r);
    ChooseCell(c, r);
}

void WorksheetView::ReturnAfterRefusal(const QModelIndex& cell) {
    refusedCell_ = cell;
    QTimer::singleShot(0, this, [this] { ReturnToRefusedCell(); });
}

void WorksheetView::ReturnToRefusedCell() {
    const QModelIndex cell = std::exchange(refusedCell_, QPersistentModelIndex());
    if (!cell.isValid() || !isVisible()) return;
    selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect);
    scrollTo(cell);
    QWidget* editor = indexWidget(cell);
    if (editor == nullptr) return;
    editor->setFocus(Qt::OtherFocusReason);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) line->selectAll();
}

// The mouse is handled here rather than by the item view: a press moves the
// current cell, the release raises Click, and nothing else (drag, edit,
// deselect) may happen.
void WorksheetView::mousePressEvent(QMouseEvent* event) {
    event->accept();
    pressedOnData_ = false;
    // After a refused value the click that left its editor goes nowhere.
    if (event->button() != Qt::LeftButton || refusedCell_.isValid()) return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid()) return;
    pressedOnData_ = true;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

void WorksheetView::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (!pressedOnData_ || !(event->buttons() & Qt::LeftButton)) return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && index != currentIndex())
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

void WorksheetView::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton || !pressedOnData_) return;
    pressedOnData_ = false;
    RaiseClick(false);
}

void WorksheetView::CompleteInterruptedClick() {
    if (!pressedOnData_ || (QGuiApplication::mouseButtons() & Qt::LeftButton)) return;
    pressedOnData_ = false;
    RaiseClick(false);
}

void WorksheetView::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

void WorksheetView::keyPressEvent(QKeyEvent* event) {
    // Space on a cell that opens no editor is a click on it (it toggles a
    // mark); typing and F2 open the current cell's editor (the edit
    // triggers); the moves of the current cell raise Click.
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && Row() > 0 &&
        !(model_->flags(currentIndex()) & Qt::ItemIsEditable)) {
        RaiseClick(false);
        return;
    }
    const QModelIndex before = currentIndex();
    QTableView::keyPressEvent(event);
    // F2 edits the old text: the caret behind it, nothing selected.
    if (event->key() == Qt::Key_F2)
        if (auto* line = qobject_cast<QLineEdit*>(OpenEditorWidget())) line->end(false);
    if (currentIndex() != before && Row() > 0) RaiseClick(true);
}

void WorksheetView::keyboardSearch(const QString&) {
    // Typing does not jump to a matching cell.
}

}  // namespace kv4gui
