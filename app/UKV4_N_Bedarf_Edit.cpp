// The worksheet editors of the main window: the cell editors of both
// worksheets, the crop list, the surcharge strip and the recalculation that
// follows an edit. Every cell text is changed by app/Editing and app/Recalc;
// this file only moves the editors and passes texts in and out.
//
// Leaving an editor is its focus loss (see TForm1::eventFilter). A click on
// the grid takes the focus before the grid moves its current cell, so the
// write-back still sees the edited cell, and the click that follows opens
// the editor over the new one.
#include <QComboBox>
#include <QLineEdit>
#include <QRegion>
#include <string>
#include <string_view>

#include "app/StringGrid.h"
#include "app/UKV4_N_Bedarf.h"
#include "dialogs/Seams.h"
#include "render/QtText.h"
#include "worksheets/Editing.h"
#include "worksheets/NumberFormat.h"
#include "worksheets/Recalc.h"

namespace {

namespace ncol = kv4::ncol;
namespace pcol = kv4::pcol;

using kv4gui::ToQString;
using kv4gui::ToStdString;

// Announces the cells a handler changed when it ends, also when an error
// ends it: a pass stopped by a bad cell has rewritten the rows before it.
class ViewUpdate {
  public:
    explicit ViewUpdate(TForm1& form) : form_(form) {}
    ~ViewUpdate() { form_.WorksheetsChanged(); }
    ViewUpdate(const ViewUpdate&) = delete;
    ViewUpdate& operator=(const ViewUpdate&) = delete;

  private:
    TForm1& form_;
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

void TForm1::RecalcWorksheets() {
    ViewUpdate update(*this);
    kv4::RecalcWorksheets(nSheet_, pSheet_, DecimalSeparator());
}

void TForm1::LayEditorOver(QWidget* editor, kv4gui::TStringGrid* grid, int c, int r) {
    editorCells_[editor] = {grid, c, r};
    PlaceEditor(editor);
}

void TForm1::PlaceEditor(QWidget* editor) {
    const EditorCell& at = editorCells_.at(editor);
    const QRect cell = at.grid->CellRect(at.c, at.r);
    if (editor == ComboBox2) {
        // The list keeps its own size; its right edge lies 2 pixels right of
        // the cell's, so it covers the cells to the left of the "V".
        editor->move(cell.x() + cell.width() + at.grid->x() - editor->width() + 2,
                     cell.y() + at.grid->y() + 2);
    } else {
        // The cell rectangle in the grid's client area, moved by the grid's
        // place in the window, and 2 pixels wider and higher so that the
        // editor covers the cell's grid lines.
        editor->setGeometry({cell.topLeft() + at.grid->pos(), cell.size() + QSize(2, 2)});
    }
    // Scrolled under the heading row or out of the grid, the editor shows
    // only what lies over the grid's body.
    const QRect body = at.grid->geometry().adjusted(0, at.grid->rowHeight(0), 0, 0);
    if (body.contains(editor->geometry())) {
        editor->clearMask();
    } else {
        const QRect shown = body.intersected(editor->geometry()).translated(-editor->pos());
        // An empty region would remove the mask: one outside the editor hides it all.
        editor->setMask(shown.isEmpty() ? QRegion(-1, -1, 1, 1) : QRegion(shown));
    }
}

void TForm1::StringGrid1Click() {
    const int c = StringGrid1->Col();
    const int r = StringGrid1->Row();
    if (!StringGrid1->isVisible() || r == 0) return;
    // Row r of both worksheets is the same field.
    StringGrid2->SetRow(r);

    if (OpensNEditor(c)) {
        LayEditorOver(EditN, StringGrid1, c, r);
        OpenEditor(EditN, nSheet_.Cells(c, r));
    } else if (c == ncol::V) {
        // Every opening starts without a crop: only a pick applies one.
        ComboBox2->setCurrentIndex(-1);
        LayEditorOver(ComboBox2, StringGrid1, c, r);
        ComboBox2->show();
        ComboBox2->setFocus();
    }

    const kv4::PanelTexts panel = kv4::PanelTextsOfRow(nSheet_, r);
    Edit3->setText(ToQString(panel.YieldStep));
    Edit4->setText(ToQString(panel.SurchargeRate));
    Edit5->setText(ToQString(panel.DeductionRate));
}

void TForm1::EditNChange() {
    const int c = StringGrid1->Col();
    FilterEditor(EditN, [c](const std::string& text) { return kv4::FilterNEditorText(c, text); });
}

void TForm1::EditNExit() {
    try {
        kv4::WriteBackNCell(nSheet_, pSheet_, StringGrid1->Col(), StringGrid1->Row(),
                            ToStdString(EditN->text()));
    } catch (const kv4::ConversionError&) {
        // A correction that is not a number stays in its cell, the editor
        // stays open and nothing is recalculated; the error box tells why.
        WorksheetsChanged();
        throw;
    }
    EditN->hide();
    RecalcWorksheets();
}

void TForm1::Button1Click() {
    kv4::StoreYieldStepAndRates(
        nSheet_, StringGrid1->Row(),
        {ToStdString(Edit3->text()), ToStdString(Edit4->text()), ToStdString(Edit5->text())});
    RecalcWorksheets();
}

void TForm1::ComboBox2Change() {
    // Typed text selects nothing: only the list's index counts.
}

void TForm1::ComboBox2Click() {
    // The list holds the focus: handing it to the worksheet is leaving the
    // list, so ComboBox2Exit applies the pick at once. (Hiding the list with
    // the focus would pass it along the tab chain, into "Datum".)
    FocusWorksheet();
    ComboBox2->hide();
}

void TForm1::ComboBox2Exit() {
    ComboBox2->hide();
    const int r = StringGrid1->Row();
    const int crop = ComboBox2->currentIndex();
    if (const auto panel = kv4::ApplyCropChoice(nSheet_, pSheet_, r, crop, DecimalSeparator())) {
        Edit3->setText(ToQString(panel->YieldStep));
        Edit4->setText(ToQString(panel->SurchargeRate));
        Edit5->setText(ToQString(panel->DeductionRate));
        // The row shows its new values while the question is open.
        WorksheetsChanged();
    }
    // Asked after every closing, also without a pick; "Ja" then carries nothing.
    if (kv4gui::AskConfirmation(this, kPropagationQuestion))
        kv4::PropagateCropChoice(nSheet_, pSheet_, r, crop);
    RecalcWorksheets();
}

void TForm1::StringGrid2Click() {
    const int c = StringGrid2->Col();
    const int r = StringGrid2->Row();
    if (!StringGrid2->isVisible() || r == 0) return;
    StringGrid1->SetRow(r);

    switch (c) {
        case pcol::Erntereste:
            kv4::ToggleResidueMark(pSheet_, r);
            RecalcWorksheets();
            break;
        case pcol::Gehalt:
        case pcol::Entzug:
            LayEditorOver(EditP, StringGrid2, c, r);
            OpenEditor(EditP, pSheet_.Cells(c, r));
            break;
        case pcol::Anmerkung:
            LayEditorOver(EditT, StringGrid2, c, r);
            OpenEditor(EditT, pSheet_.Cells(c, r));
            break;
        default:
            break;
    }
}

void TForm1::EditPChange() {
    const int c = StringGrid2->Col();
    FilterEditor(EditP, [c](const std::string& text) { return kv4::FilterPEditorText(c, text); });
}

void TForm1::EditPExit() {
    // No recalculation, and the editor stays over its cell.
    ViewUpdate update(*this);
    kv4::WriteBackPCell(pSheet_, StringGrid2->Col(), StringGrid2->Row(), ToStdString(EditP->text()),
                        NutrientClassTable());
}

void TForm1::EditTExit() {
    if (StringGrid2->Col() != pcol::Anmerkung) return;
    ViewUpdate update(*this);
    kv4::WriteBackRemark(pSheet_, StringGrid2->Row(), ToStdString(EditT->text()));
}
