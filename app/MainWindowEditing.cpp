// The worksheet editors of the main window: the cell editors of both
// worksheets, the crop list, the surcharge strip and the recalculation that
// follows an edit. Every cell text is changed by the core's editing rules and recalculation;
// this file only moves the editors and passes texts in and out.
//
// Leaving an editor is its focus loss (see MainWindow::eventFilter). A click on
// the grid takes the focus before the grid moves its current cell, so the
// write-back still sees the edited cell, and the click that follows opens
// the editor over the new one.
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegion>
#include <string>
#include <string_view>

#include "app/MainWindow.h"
#include "app/WorksheetView.h"
#include "dialogs/ModalDialogs.h"
#include "render/QtText.h"
#include "worksheets/Editing.h"
#include "worksheets/NumberFormat.h"
#include "worksheets/Recalc.h"

namespace kv4gui {

namespace {

namespace ncol = kv4::ncol;
namespace pcol = kv4::pcol;

// Announces the cells a handler changed when it ends, also when an error
// ends it: a pass stopped by a bad cell has rewritten the rows before it.
class ViewUpdate {
  public:
    explicit ViewUpdate(MainWindow& form) : form_(form) {}
    ~ViewUpdate() { form_.WorksheetsChanged(); }
    ViewUpdate(const ViewUpdate&) = delete;
    ViewUpdate& operator=(const ViewUpdate&) = delete;

  private:
    MainWindow& form_;
};

void OpenEditor(QLineEdit* editor, const std::string& text) {
    editor->setText(ToQString(text));
    editor->show();
    editor->setFocus();
    // Typing replaces the value, as in an edit box entered from elsewhere.
    editor->selectAll();
}

// Puts the filtered text back into the editor; the caret stays behind the
// characters it was behind.
template <class Filter>
void FilterEditor(QLineEdit* editor, Filter filter) {
    const QString text = editor->text();
    const QString cleaned = ToQString(filter(ToStdString(text)));
    if (cleaned == text) return;
    const qsizetype caret =
        ToQString(filter(ToStdString(text.left(editor->cursorPosition())))).size();
    editor->setText(cleaned);
    editor->setCursorPosition(static_cast<int>(caret));
}

bool OpensNEditor(int c) {
    switch (c) {
        case ncol::Frucht:
        case ncol::BasisErtrag:
        case ncol::Ertragserwartung:
        case ncol::NSollwert:
        case ncol::NMin:
        case ncol::OrgVorjahr:
        case ncol::Vorfrucht:
            return true;
        default:
            return false;
    }
}

const std::string kPropagationQuestion =
    "Soll diese Einstellung auf alle gleichnamigen Früchte übernommen werden?";

}  // namespace

void MainWindow::RecalcWorksheets() {
    ViewUpdate update(*this);
    kv4::RecalcWorksheets(nSheet_, pSheet_, DecimalSeparator());
}

void MainWindow::LayEditorOver(QWidget* editor, WorksheetView* view, int c, int r) {
    editorCells_[editor] = {view, c, r};
    PlaceEditor(editor);
}

void MainWindow::PlaceEditor(QWidget* editor) {
    const EditorCell& at = editorCells_.at(editor);
    const QWidget* viewport = at.view->viewport();
    const QRect cell(viewport->mapTo(this, at.view->CellRect(at.c, at.r).topLeft()),
                     at.view->CellRect(at.c, at.r).size());
    if (editor == cropChooser_) {
        // The list keeps its own size; its right edge lies 2 pixels right of
        // the cell's, so it covers the cells to the left of the "V".
        editor->move(cell.right() + 1 - editor->width() + 2, cell.y() + 2);
    } else {
        // One pixel more on every side covers the cell's grid lines.
        editor->setGeometry(cell.adjusted(-1, -1, 1, 1));
    }
    // Scrolled under the header or out of the view, the editor shows only
    // what lies over the worksheet's body.
    const QRect body(viewport->mapTo(this, QPoint(0, 0)), viewport->size());
    if (body.contains(editor->geometry())) {
        editor->clearMask();
    } else {
        const QRect shown = body.intersected(editor->geometry()).translated(-editor->pos());
        // An empty region would remove the mask: one outside the editor hides it all.
        editor->setMask(shown.isEmpty() ? QRegion(-1, -1, 1, 1) : QRegion(shown));
    }
}

void MainWindow::OnNCellChosen() {
    const int c = nView_->Col();
    const int r = nView_->Row();
    if (!nView_->isVisible() || r == 0) return;
    // Row r of both worksheets is the same field.
    p2o5View_->SetRow(r);

    if (OpensNEditor(c)) {
        LayEditorOver(nCellEditor_, nView_, c, r);
        OpenEditor(nCellEditor_, nSheet_.Cells(c, r));
    } else if (c == ncol::V) {
        // Every opening starts without a crop: only a pick applies one.
        cropChooser_->setCurrentIndex(-1);
        LayEditorOver(cropChooser_, nView_, c, r);
        cropChooser_->show();
        cropChooser_->setFocus();
    }

    const kv4::PanelTexts panel = kv4::PanelTextsOfRow(nSheet_, r);
    yieldStepEdit_->setText(ToQString(panel.YieldStep));
    surchargeEdit_->setText(ToQString(panel.SurchargeRate));
    deductionEdit_->setText(ToQString(panel.DeductionRate));
}

void MainWindow::FilterNEditor() {
    const int c = EditedCell(nCellEditor_).c;
    FilterEditor(nCellEditor_,
                 [c](const std::string& text) { return kv4::FilterNEditorText(c, text); });
}

void MainWindow::CommitNEditor() {
    // The cell the editor was opened over, wherever the current cell went.
    const EditorCell at = EditedCell(nCellEditor_);
    try {
        kv4::WriteBackNCell(nSheet_, pSheet_, at.c, at.r, ToStdString(nCellEditor_->text()));
    } catch (const kv4::ConversionError& error) {
        // A correction that is not a number stays in its cell and nothing is
        // recalculated; after the error box the editor is back over it.
        WorksheetsChanged();
        cellAfterError_ = at;
        commitRefused_ = true;
        throw kv4::CellConversionError(error, at.c, at.r, kv4::CellPlace(nSheet_, at.c, at.r));
    }
    nCellEditor_->hide();
    RecalcWorksheets();
}

void MainWindow::ApplyYieldStepAndRates() {
    kv4::StoreYieldStepAndRates(
        nSheet_, nView_->Row(),
        {ToStdString(yieldStepEdit_->text()), ToStdString(surchargeEdit_->text()),
         ToStdString(deductionEdit_->text())});
    RecalcWorksheets();
}

void MainWindow::OnCropPicked() {
    // The list holds the focus: handing it to the worksheet is leaving the
    // list, so CommitCropChoice applies the pick at once. (Hiding the list with
    // the focus would pass it along the tab chain, into "Datum".)
    FocusWorksheet();
    cropChooser_->hide();
}

void MainWindow::CommitCropChoice() {
    cropChooser_->hide();
    const int r = EditedCell(cropChooser_).r;
    const int crop = cropChooser_->currentIndex();
    if (const auto panel = kv4::ApplyCropChoice(nSheet_, pSheet_, r, crop, DecimalSeparator())) {
        yieldStepEdit_->setText(ToQString(panel->YieldStep));
        surchargeEdit_->setText(ToQString(panel->SurchargeRate));
        deductionEdit_->setText(ToQString(panel->DeductionRate));
        // The row shows its new values while the question is open.
        WorksheetsChanged();
    }
    // Asked after every closing, also without a pick; "Ja" then carries nothing.
    if (AskConfirmation(this, kPropagationQuestion))
        kv4::PropagateCropChoice(nSheet_, pSheet_, r, crop);
    RecalcWorksheets();
}

void MainWindow::OnP2O5CellChosen() {
    const int c = p2o5View_->Col();
    const int r = p2o5View_->Row();
    if (!p2o5View_->isVisible() || r == 0) return;
    nView_->SetRow(r);

    switch (c) {
        case pcol::Erntereste:
            kv4::ToggleResidueMark(pSheet_, r);
            RecalcWorksheets();
            break;
        case pcol::Gehalt:
        case pcol::Entzug:
            LayEditorOver(p2o5CellEditor_, p2o5View_, c, r);
            OpenEditor(p2o5CellEditor_, pSheet_.Cells(c, r));
            break;
        case pcol::Anmerkung:
            LayEditorOver(remarkEditor_, p2o5View_, c, r);
            OpenEditor(remarkEditor_, pSheet_.Cells(c, r));
            break;
        default:
            break;
    }
}

void MainWindow::FilterP2O5Editor() {
    const int c = EditedCell(p2o5CellEditor_).c;
    FilterEditor(p2o5CellEditor_,
                 [c](const std::string& text) { return kv4::FilterPEditorText(c, text); });
}

void MainWindow::CommitP2O5Editor() {
    // No recalculation, and the editor stays over its cell.
    ViewUpdate update(*this);
    const EditorCell at = EditedCell(p2o5CellEditor_);
    try {
        kv4::WriteBackPCell(pSheet_, at.c, at.r, ToStdString(p2o5CellEditor_->text()),
                            NutrientClassTable());
    } catch (const kv4::ConversionError& error) {
        cellAfterError_ = at;
        commitRefused_ = true;
        throw kv4::CellConversionError(error, at.c, at.r, kv4::CellPlace(pSheet_, at.c, at.r));
    }
}

void MainWindow::CommitRemark() {
    const EditorCell at = EditedCell(remarkEditor_);
    if (at.view != p2o5View_ || at.c != pcol::Anmerkung) return;
    ViewUpdate update(*this);
    kv4::WriteBackRemark(pSheet_, at.r, ToStdString(remarkEditor_->text()));
}

MainWindow::EditorCell MainWindow::EditedCell(QWidget* editor) const {
    const auto found = editorCells_.find(editor);
    return found == editorCells_.end() ? EditorCell{} : found->second;
}

void MainWindow::ReturnToCell(const EditorCell& at) {
    // Choosing the cell again opens its editor on the text it keeps.
    if (at.view != nullptr && at.view->isVisible()) at.view->ChooseCell(at.c, at.r);
}

bool MainWindow::OpensEditor(const WorksheetView& view, int c) const {
    if (&view == nView_) return OpensNEditor(c);
    return c == pcol::Gehalt || c == pcol::Entzug || c == pcol::Anmerkung;
}

bool MainWindow::HandleEditorKey(QLineEdit& editor, const QKeyEvent& key) {
    const bool shift = key.modifiers() & Qt::ShiftModifier;
    switch (key.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            CommitAndStep(editor, shift ? Step::Up : Step::Down);
            return true;
        case Qt::Key_Down:
            CommitAndStep(editor, Step::Down);
            return true;
        case Qt::Key_Up:
            CommitAndStep(editor, Step::Up);
            return true;
        case Qt::Key_Tab:
            CommitAndStep(editor, shift ? Step::Previous : Step::Next);
            return true;
        case Qt::Key_Backtab:
            CommitAndStep(editor, Step::Previous);
            return true;
        case Qt::Key_Escape:
            Discard(editor);
            return true;
        default:
            return false;
    }
}

bool MainWindow::HandleCropListKey(const QKeyEvent& key) {
    switch (key.key()) {
        case Qt::Key_Escape:
            // No pick and no question.
            Discard(*cropChooser_);
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            // A closed list would pick the neighbouring crop unseen, and the
            // next click elsewhere would apply it: the list drops down instead.
            cropChooser_->showPopup();
            return true;
        default:
            return false;
    }
}

void MainWindow::CommitAndStep(QLineEdit& editor, Step step) {
    const EditorCell at = EditedCell(&editor);
    if (at.view == nullptr) return;
    // Leaving the editor commits it; a refused value keeps it where it is.
    commitRefused_ = false;
    at.view->setFocus(Qt::OtherFocusReason);
    if (commitRefused_) return;
    editor.hide();
    int c = at.c;
    int r = at.r;
    switch (step) {
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
            while (c >= 0 && c < at.view->ColCount() && !OpensEditor(*at.view, c));
            break;
        }
    }
    if (r < 1 || r >= at.view->RowCount() || c < 0 || c >= at.view->ColCount()) return;
    at.view->ScrollToCell(c, r);
    at.view->ChooseCell(c, r);
}

void MainWindow::Discard(QWidget& editor) {
    // The cell keeps the text it had when the editor opened: nothing is
    // written and nothing recalculated.
    discarding_ = true;
    FocusWorksheet();
    editor.hide();
    discarding_ = false;
}

void MainWindow::OpenEditorByKey(WorksheetView& view, const QString& replacement) {
    const int c = view.Col();
    const int r = view.Row();
    if (r == 0 || !OpensEditor(view, c)) return;
    view.ChooseCell(c, r);
    // The editor the cell opened, with its text selected: typing replaces it.
    QLineEdit* editor = &view == nView_        ? nCellEditor_
                        : c == pcol::Anmerkung ? remarkEditor_
                                               : p2o5CellEditor_;
    if (editor->isVisible() && !replacement.isEmpty()) editor->insert(replacement);
}

}  // namespace kv4gui
