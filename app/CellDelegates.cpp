#include "app/CellDelegates.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QScopeGuard>
#include <QTimer>

#include "reference/CropTable.h"
#include "render/QtText.h"

namespace kv4gui {

namespace {

// Set on an editor once its text has been laid in.
constexpr char kLaidIn[] = "kv4LaidIn";

// The crop list keeps the designed size and shows its items 16 pixels high.
constexpr int kCropListWidth = 169;
constexpr int kCropListHeight = 24;

class CropItemDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(16);
        return size;
    }
};

// Puts the filtered text back into the editor; the caret stays behind the
// characters it was behind.
void FilterEditor(QLineEdit& editor, LineCellDelegate::Filter filter, int col) {
    const QString text = editor.text();
    const QString cleaned = ToQString(filter(col, ToStdString(text)));
    if (cleaned == text) return;
    const qsizetype caret =
        ToQString(filter(col, ToStdString(text.left(editor.cursorPosition())))).size();
    editor.setText(cleaned);
    editor.setCursorPosition(static_cast<int>(caret));
}

}  // namespace

CellDelegate::CellDelegate(WorksheetView& view) : QStyledItemDelegate(&view), view_(view) {}

void CellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (editor->property(kLaidIn).toBool()) return;
    editor->setProperty(kLaidIn, true);
    LayIn(editor, index);
}

void CellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                const QModelIndex& index) const {
    committedCell_ = index;
    refused_ = !model->setData(index, Value(editor), Qt::EditRole);
}

bool CellDelegate::eventFilter(QObject* object, QEvent* event) {
    auto* editor = qobject_cast<QWidget*>(object);
    if (editor == nullptr) return false;
    switch (event->type()) {
        case QEvent::ShortcutOverride: {
            // Escape and Enter belong to the editor, not to a shortcut.
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
                event->accept();
                return true;
            }
            return false;
        }
        case QEvent::KeyPress: {
            // Tab and Escape do the same in every editor; Escape closes the
            // crop list with no pick and no question.
            const auto& key = *static_cast<QKeyEvent*>(event);
            using Step = WorksheetView::Step;
            switch (key.key()) {
                case Qt::Key_Tab:
                    Finish(editor,
                           key.modifiers() & Qt::ShiftModifier ? Step::Previous : Step::Next);
                    return true;
                case Qt::Key_Backtab:
                    Finish(editor, Step::Previous);
                    return true;
                case Qt::Key_Escape:
                    Discard(editor);
                    return true;
                default:
                    return HandleKey(editor, key);
            }
        }
        case QEvent::FocusOut: {
            // Dropping down the crop list (its popup takes the focus while
            // it is open) or another window coming up (a message box among
            // them) does not leave the editor.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason ||
                QApplication::activePopupWidget() != nullptr)
                return false;
            Finish(editor, WorksheetView::Step::Stay);
            // A box shown on the way (the crop question, an error) took the
            // release of the click that left the editor: the click goes on.
            if (reason == Qt::MouseFocusReason)
                QTimer::singleShot(0, &view_, [view = QPointer<WorksheetView>(&view_)] {
                    if (view) view->CompleteInterruptedClick();
                });
            return false;
        }
        default:
            return false;
    }
}

void CellDelegate::Finish(QWidget* editor, WorksheetView::Step step) {
    // Leaving the editor while its value is being taken (a box takes the
    // focus, the list hides) is part of the same finish.
    if (finishing_) return;
    finishing_ = true;
    const auto done = qScopeGuard([this] { finishing_ = false; });

    BeforeCommit(editor);
    refused_ = false;
    committedCell_ = QPersistentModelIndex();
    const QPointer<QWidget> alive(editor);
    emit commitData(editor);
    const QModelIndex cell = committedCell_;
    if (!cell.isValid()) return;  // the editor is no longer the view's
    if (refused_) {
        view_.ReturnAfterRefusal(cell);
        return;
    }
    if (alive) emit closeEditor(editor, QAbstractItemDelegate::NoHint);
    view_.StepFrom(cell, step);
}

void CellDelegate::Discard(QWidget* editor) {
    emit closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
}

LineCellDelegate::LineCellDelegate(WorksheetView& view, const char* editorName, Filter filter)
    : CellDelegate(view), editorName_(editorName), filter_(filter) {}

QWidget* LineCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                        const QModelIndex& index) const {
    auto* line = new QLineEdit(parent);
    line->setObjectName(QString::fromLatin1(editorName_));
    // Every change of the text is filtered, also the cell text laid in.
    if (filter_ != nullptr)
        connect(
            line, &QLineEdit::textChanged, line,
            [line, filter = filter_, col = index.column()] { FilterEditor(*line, filter, col); });
    return line;
}

void LineCellDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                            const QModelIndex&) const {
    editor->setGeometry(option.rect);
}

QVariant LineCellDelegate::Value(QWidget* editor) const {
    return static_cast<QLineEdit*>(editor)->text();
}

void LineCellDelegate::LayIn(QWidget* editor, const QModelIndex& index) const {
    static_cast<QLineEdit*>(editor)->setText(index.data(Qt::EditRole).toString());
}

bool LineCellDelegate::HandleKey(QWidget* editor, const QKeyEvent& key) {
    using Step = WorksheetView::Step;
    const bool shift = key.modifiers() & Qt::ShiftModifier;
    switch (key.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Finish(editor, shift ? Step::Up : Step::Down);
            return true;
        case Qt::Key_Down:
            Finish(editor, Step::Down);
            return true;
        case Qt::Key_Up:
            Finish(editor, Step::Up);
            return true;
        default:
            return false;
    }
}

CropCellDelegate::CropCellDelegate(WorksheetView& view) : CellDelegate(view) {}

QWidget* CropCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                        const QModelIndex&) const {
    auto* list = new QComboBox(parent);
    list->setObjectName(QStringLiteral("cropChooser"));
    list->setEditable(true);
    // The list holds exactly the crop table, in its order (the position is
    // the table key): typed text never becomes an item.
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setItemDelegate(new CropItemDelegate(list));
    for (const kv4::CropReference& crop : kv4::CropTable) list->addItem(ToQString(crop.Name));
    // A pick is applied at once. (Qt makes createEditor const; finishing
    // the editor is this delegate's work all the same.)
    auto* self = const_cast<CropCellDelegate*>(this);
    connect(list, &QComboBox::activated, self,
            [self, list] { self->Finish(list, WorksheetView::Step::Stay); });
    return list;
}

void CropCellDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                            const QModelIndex&) const {
    // Its right edge lies 2 pixels right of the cell's, so it covers the
    // cells to the left of the "V".
    const QRect cell = option.rect;
    editor->setGeometry(cell.right() + 1 - kCropListWidth + 2, cell.y() + 2, kCropListWidth,
                        kCropListHeight);
}

QVariant CropCellDelegate::Value(QWidget* editor) const {
    return static_cast<QComboBox*>(editor)->currentIndex();
}

void CropCellDelegate::LayIn(QWidget* editor, const QModelIndex&) const {
    // Every opening starts without a crop: only a pick applies one.
    static_cast<QComboBox*>(editor)->setCurrentIndex(-1);
}

void CropCellDelegate::BeforeCommit(QWidget* editor) {
    // The list is gone before its question comes up; the focus it held goes
    // to the worksheet, not along the tab chain.
    if (editor->hasFocus()) view_.setFocus(Qt::OtherFocusReason);
    editor->hide();
}

bool CropCellDelegate::HandleKey(QWidget* editor, const QKeyEvent& key) {
    switch (key.key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            // A closed list would pick the neighbouring crop unseen, and the
            // next click elsewhere would apply it: the list drops down instead.
            static_cast<QComboBox*>(editor)->showPopup();
            return true;
        default:
            return false;
    }
}

}  // namespace kv4gui
