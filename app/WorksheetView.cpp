#include "app/WorksheetView.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
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
      rows_(sheet.RowCount()),
      cols_(sheet.ColCount()),
      revision_(sheet.Revision()) {}

int WorksheetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int WorksheetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : cols_;
}

QVariant WorksheetModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_ || index.column() >= cols_) return {};
    switch (role) {
        case Qt::DisplayRole: {
            return ToQString(sheet_.Cells(index.column(), index.row()));
        }
        case Qt::BackgroundRole:
            if (index.row() == 0) return headingBackground_;
            if (const CellNote* note = NoteAt(index); note && note->warning) return WarningBrush();
            break;
        case Qt::ToolTipRole:
            if (const CellNote* note = NoteAt(index); note && !note->toolTip.isEmpty())
                return note->toolTip;
            break;
        case Qt::ForegroundRole:
            if (index.row() == 0) return headingText_;
            break;
        default:
            break;
    }
    return {};
}

Qt::ItemFlags WorksheetModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    // The heading row can never become the current cell.
    if (index.row() == 0) return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void WorksheetModel::Refresh() {
    if (sheet_.RowCount() != rows_ || sheet_.ColCount() != cols_) {
        beginResetModel();
        rows_ = sheet_.RowCount();
        cols_ = sheet_.ColCount();
        revision_ = sheet_.Revision();
        endResetModel();
        return;
    }
    if (sheet_.Revision() == revision_) return;
    revision_ = sheet_.Revision();
    if (rows_ > 0 && cols_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1));
}

void WorksheetModel::SetHeadingColors(const QBrush& background, const QBrush& text) {
    headingBackground_ = background;
    headingText_ = text;
    if (cols_ > 0 && rows_ > 0) emit dataChanged(index(0, 0), index(0, cols_ - 1));
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
    const auto row = static_cast<std::size_t>(index.row());
    return row < column->second.size() ? &column->second[row] : nullptr;
}

namespace {

void ConfigureView(QTableView& view) {
    view.horizontalHeader()->hide();
    view.verticalHeader()->hide();
    for (QHeaderView* header : {view.horizontalHeader(), view.verticalHeader()}) {
        header->setMinimumSectionSize(0);
        header->setSectionResizeMode(QHeaderView::Fixed);
    }
    view.verticalHeader()->setDefaultSectionSize(WorksheetView::kDefaultRowHeight + kGridLine);
    view.horizontalHeader()->setDefaultSectionSize(64 + kGridLine);
    view.setShowGrid(true);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setSelectionMode(QAbstractItemView::SingleSelection);
    view.setSelectionBehavior(QAbstractItemView::SelectItems);
    view.setTabKeyNavigation(false);
    view.setWordWrap(false);
    // A text wider than its cell is cut at the cell's edge, not shortened.
    view.setTextElideMode(Qt::ElideNone);
}

}  // namespace

WorksheetView::WorksheetView(kv4::Worksheet& sheet, QWidget* parent)
    : QTableView(parent), model_(new WorksheetModel(sheet, this)), heading_(new QTableView(this)) {
    setModel(model_);
    ConfigureView(*this);
    ApplyHeadingColors();

    ConfigureView(*heading_);
    heading_->setModel(model_);
    heading_->setObjectName(QStringLiteral("FixedHeadingRow"));
    heading_->setFrameShape(QFrame::NoFrame);
    heading_->setFocusPolicy(Qt::NoFocus);
    heading_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    heading_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    heading_->setHorizontalScrollMode(horizontalScrollMode());
    // Clicks, drags and the wheel reach the grid beneath, which maps the
    // strip to the heading row.
    heading_->setAttribute(Qt::WA_TransparentForMouseEvents);
    heading_->viewport()->setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, heading_->horizontalScrollBar(),
            &QScrollBar::setValue);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this] { SyncHeadingColumns(); });
    SyncHeadingColumns();

    // A reset (the row count changed) keeps the current cell where it can.
    connect(model_, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        savedCol_ = Col();
        savedRow_ = Row();
    });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        SyncHeadingColumns();
        SetCurrentCell(savedCol_, std::max(savedRow_, 1));
    });
    SetCurrentCell(0, 1);
}

int WorksheetView::ColCount() const { return model_->columnCount(); }
int WorksheetView::RowCount() const { return model_->rowCount(); }

int WorksheetView::Col() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() : 0;
}

int WorksheetView::Row() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : 0;
}

void WorksheetView::SetRow(int r) {
    if (r < 1 || r >= RowCount() || r == Row()) return;
    SetCurrentCell(Col(), r);
    emit Click();
}

void WorksheetView::SetCurrentCell(int c, int r) {
    if (RowCount() < 2 || ColCount() < 1) return;
    r = std::clamp(r, 1, RowCount() - 1);
    c = std::clamp(c, 0, ColCount() - 1);
    selectionModel()->setCurrentIndex(model_->index(r, c), QItemSelectionModel::ClearAndSelect);
}

void WorksheetView::SetColWidth(int c, int width) {
    if (c < 0 || c >= ColCount()) return;
    if (width <= 0) {
        setColumnHidden(c, true);
        SyncHeadingColumns();
        return;
    }
    setColumnHidden(c, false);
    setColumnWidth(c, width + kGridLine);
    SyncHeadingColumns();
}

int WorksheetView::ColWidth(int c) const {
    if (c < 0 || c >= ColCount() || isColumnHidden(c)) return 0;
    return columnWidth(c) - kGridLine;
}

void WorksheetView::SetColWidths(std::span<const int> widths) {
    for (std::size_t c = 0; c < widths.size(); ++c) SetColWidth(static_cast<int>(c), widths[c]);
}

QRect WorksheetView::CellRect(int c, int r) const {
    if (c < 0 || c >= ColCount() || r < 0 || r >= RowCount()) return {};
    const QRect rect = visualRect(model_->index(r, c));
    return r == 0 ? rect.translated(0, -rowViewportPosition(0)) : rect;
}

int WorksheetView::HeadingHeight() const { return RowCount() > 0 ? rowHeight(0) : 0; }

QModelIndex WorksheetView::indexAt(const QPoint& point) const {
    if (point.y() >= 0 && point.y() < HeadingHeight()) {
        const int c = columnAt(point.x());
        return c < 0 ? QModelIndex() : model_->index(0, c);
    }
    return QTableView::indexAt(point);
}

void WorksheetView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    QTableView::scrollTo(index, hint);
    if (!index.isValid() || index.row() == 0) return;
    // A row lying under the heading strip is scrolled down into view.
    QScrollBar* bar = verticalScrollBar();
    while (rowViewportPosition(index.row()) < HeadingHeight() && bar->value() > bar->minimum())
        bar->setValue(bar->value() - 1);
}

void WorksheetView::updateGeometries() {
    QTableView::updateGeometries();
    LayOutHeading();
}

void WorksheetView::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    emit Scrolled();
}

void WorksheetView::LayOutHeading() {
    const QRect area = viewport()->geometry();
    heading_->setGeometry(area.x(), area.y(), area.width(), HeadingHeight());
    heading_->setVisible(HeadingHeight() > 0);
    heading_->horizontalScrollBar()->setValue(horizontalScrollBar()->value());
}

void WorksheetView::SyncHeadingColumns() {
    for (int c = 0; c < ColCount(); ++c) {
        heading_->setColumnHidden(c, isColumnHidden(c));
        if (!isColumnHidden(c)) heading_->setColumnWidth(c, columnWidth(c));
    }
    LayOutHeading();
}

// The mouse is handled here rather than by the item view: a press moves the
// current cell (never onto the heading row), the release raises Click, and
// nothing else (drag, edit, deselect) may happen.
void WorksheetView::mousePressEvent(QMouseEvent* event) {
    event->accept();
    pressedOnData_ = false;
    if (event->button() != Qt::LeftButton) return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid() || index.row() == 0) return;
    pressedOnData_ = true;
    SetCurrentCell(index.column(), index.row());
}

void WorksheetView::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (!pressedOnData_ || !(event->buttons() & Qt::LeftButton)) return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && index.row() > 0 && index != currentIndex())
        SetCurrentCell(index.column(), index.row());
}

void WorksheetView::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton || !pressedOnData_) return;
    pressedOnData_ = false;
    emit Click();
}

void WorksheetView::CompleteInterruptedClick() {
    if (!pressedOnData_ || (QGuiApplication::mouseButtons() & Qt::LeftButton)) return;
    pressedOnData_ = false;
    emit Click();
}

void WorksheetView::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

void WorksheetView::keyPressEvent(QKeyEvent* event) {
    const QModelIndex before = currentIndex();
    QTableView::keyPressEvent(event);
    if (currentIndex() != before && Row() > 0) emit Click();
}

QModelIndex WorksheetView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
    QModelIndex next = QTableView::moveCursor(cursorAction, modifiers);
    if (next.isValid() && next.row() == 0)
        next = RowCount() > 1 ? model_->index(1, next.column()) : currentIndex();
    return next;
}

void WorksheetView::keyboardSearch(const QString&) {
    // Typing does not jump to a matching cell.
}

void WorksheetView::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) ApplyHeadingColors();
}

void WorksheetView::ApplyHeadingColors() {
    model_->SetHeadingColors(palette().button(), palette().buttonText());
}

}  // namespace kv4gui
