// The worksheet editing of the main window: which cells open an editor,
// where an edited value goes, the crop list's question, the residue mark, the
// rates panel and the recalculation that follows an edit. Every cell text is
// changed by the core's editing rules and recalculation; the delegates open
// the editors and hand their values to the writers here, for the cell each
// editor was opened over.
#include <QLineEdit>
#include <QVariant>
#include <set>
#include <string>
#include <utility>

#include "app/CellDelegates.h"
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

// The cells that open a line editor with a character filter: the numbers of
// both worksheets and the crop name (which its filter leaves alone).
constexpr int kNLineColumns[] = {ncol::Frucht,    ncol::BasisErtrag, ncol::Ertragserwartung,
                                 ncol::NSollwert, ncol::NMin,        ncol::OrgVorjahr,
                                 ncol::Vorfrucht};
constexpr int kPNumberColumns[] = {pcol::Gehalt, pcol::Entzug};

const std::string kPropagationQuestion =
    "Soll diese Einstellung auf alle gleichnamigen Früchte übernommen werden?";

}  // namespace

void MainWindow::RecalcWorksheets() {
    ViewUpdate update(*this);
    kv4::RecalcWorksheets(nSheet_, pSheet_, DecimalSeparator());
}

void MainWindow::SetUpEditing() {
    auto* nNumbers = new LineCellDelegate(*nView_, "nCellEditor", &kv4::FilterNEditorText);
    std::set<int> nEditable{ncol::V};
    for (const int c : kNLineColumns) {
        nView_->setItemDelegateForColumn(c, nNumbers);
        nEditable.insert(c);
    }
    nView_->setItemDelegateForColumn(ncol::V, new CropCellDelegate(*nView_));
    nView_->Model().SetEditing(std::move(nEditable), [this](int c, int r, const QVariant& value) {
        return c == ncol::V ? CommitCropChoice(r, value.toInt())
                            : CommitNCell(c, r, value.toString());
    });

    auto* pNumbers = new LineCellDelegate(*p2o5View_, "p2o5CellEditor", &kv4::FilterPEditorText);
    std::set<int> pEditable{pcol::Anmerkung};
    for (const int c : kPNumberColumns) {
        p2o5View_->setItemDelegateForColumn(c, pNumbers);
        pEditable.insert(c);
    }
    p2o5View_->setItemDelegateForColumn(pcol::Anmerkung,
                                        new LineCellDelegate(*p2o5View_, "remarkEditor"));
    p2o5View_->Model().SetEditing(std::move(pEditable),
                                  [this](int c, int r, const QVariant& value) {
                                      return CommitP2O5Cell(c, r, value.toString());
                                  });
}

void MainWindow::OnNCellChosen() {
    const int c = nView_->Col();
    const int r = nView_->Row();
    if (!nView_->isVisible() || r == 0) return;
    // Row r of both worksheets is the same field.
    p2o5View_->SetRow(r);
    // The crop list over the "V", a line editor over a number or the crop
    // name; nothing elsewhere.
    nView_->OpenEditor(c, r);
    ShowPanelTexts(kv4::PanelTextsOfRow(nSheet_, r));
}

void MainWindow::ShowPanelTexts(const kv4::PanelTexts& panel) {
    yieldStepEdit_->setText(ToQString(panel.YieldStep));
    surchargeEdit_->setText(ToQString(panel.SurchargeRate));
    deductionEdit_->setText(ToQString(panel.DeductionRate));
}

bool MainWindow::CommitNCell(int c, int r, const QString& text) {
    bool taken = true;
    Guarded([&] {
        try {
            kv4::WriteBackNCell(nSheet_, pSheet_, c, r, ToStdString(text));
        } catch (const kv4::ConversionError& error) {
            // A correction that is not a number stays in its cell and nothing
            // is recalculated; the editor stays open over it.
            taken = false;
            WorksheetsChanged();
            throw kv4::CellConversionError(error, c, r, kv4::CellPlace(nSheet_, c, r));
        }
        RecalcWorksheets();
    });
    return taken;
}

void MainWindow::ApplyYieldStepAndRates() {
    kv4::StoreYieldStepAndRates(
        nSheet_, nView_->Row(),
        {ToStdString(yieldStepEdit_->text()), ToStdString(surchargeEdit_->text()),
         ToStdString(deductionEdit_->text())});
    RecalcWorksheets();
}

bool MainWindow::CommitCropChoice(int r, int crop) {
    Guarded([&] {
        if (const auto panel =
                kv4::ApplyCropChoice(nSheet_, pSheet_, r, crop, DecimalSeparator())) {
            ShowPanelTexts(*panel);
            // The row shows its new values while the question is open.
            WorksheetsChanged();
        }
        // Asked after every closing, also without a pick; "Ja" then carries
        // nothing.
        if (AskConfirmation(this, kPropagationQuestion))
            kv4::PropagateCropChoice(nSheet_, pSheet_, r, crop);
        RecalcWorksheets();
    });
    // The list closes in every case.
    return true;
}

void MainWindow::OnP2O5CellChosen() {
    const int c = p2o5View_->Col();
    const int r = p2o5View_->Row();
    if (!p2o5View_->isVisible() || r == 0) return;
    nView_->SetRow(r);

    if (c == pcol::Erntereste) {
        // Only a click or Space toggles the mark: the arrows pass over it,
        // so walking the worksheet changes nothing.
        if (p2o5View_->MovedByKeyboard()) return;
        kv4::ToggleResidueMark(pSheet_, r);
        RecalcWorksheets();
        return;
    }
    p2o5View_->OpenEditor(c, r);
}

bool MainWindow::CommitP2O5Cell(int c, int r, const QString& text) {
    bool taken = true;
    // No recalculation.
    Guarded([&] {
        ViewUpdate update(*this);
        if (c == pcol::Anmerkung) {
            kv4::WriteBackRemark(pSheet_, r, ToStdString(text));
            return;
        }
        try {
            kv4::WriteBackPCell(pSheet_, c, r, ToStdString(text), NutrientClassTable());
        } catch (const kv4::ConversionError& error) {
            taken = false;
            throw kv4::CellConversionError(error, c, r, kv4::CellPlace(pSheet_, c, r));
        }
    });
    return taken;
}

}  // namespace kv4gui
