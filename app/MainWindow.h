#pragma once
// The main window: the N and P2O5 worksheets, the header strip with the
// farm's name, number and date, and the button strip. The handlers only wire
// controls to the core; every value is computed there.
#include <QWidget>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "reference/NutrientClasses.h"
#include "worksheets/Worksheet.h"

class QComboBox;
class QKeyEvent;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;

namespace kv4gui {

class WorksheetView;

class MainWindow : public QWidget {
    Q_OBJECT
  public:
    // `worksheets` outlives the window: the views show it until they are gone.
    explicit MainWindow(kv4::Worksheets& worksheets, QWidget* parent = nullptr);

    // The start-up: the notice, the data folder, the farm's files and the
    // filled worksheets. Call it once the window is shown; its dialogs are
    // modal over the window.
    void Start();

    // The data folder confirmed at start-up: empty, or ending in the path
    // separator.
    const std::string& DataFolder() const { return dataFolder_; }

    kv4::Worksheet& NSheet() { return worksheets_.n; }
    kv4::Worksheet& PSheet() { return worksheets_.p; }

    // The nutrient class table, read when the window is created.
    kv4::NutrientClasses& NutrientClassTable();

    // Decimal separator of the regional settings.
    char DecimalSeparator() const;

    // Runs a handler body: an error that escapes it is shown in the standard
    // error box, and the program goes on.
    template <class F>
    void Guarded(F&& body);

    // Tells the views that the worksheets changed (one view update per pass).
    void WorksheetsChanged();

    // The recalculation pass over both worksheets, followed by one view
    // update, also when a cell that is not a number ends it.
    void RecalcWorksheets();

    void ShowNWorksheet();
    void ShowP2O5Worksheet();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Asks before entries made since the start or the last print are lost;
    // remembers the window's place and the farm's header.
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildControls();
    void ConnectHandlers();
    // The tab chain in reading order, Ctrl+P and F1.
    void SetUpKeyboard();
    void SetUpWorksheets();
    void ShowStandardErrorText(const std::string& text);
    // The standard error box for an error that ended a handler; then, after
    // an edited value was refused, its cell's editor again.
    void ReportHandlerError(const std::exception& error);
    // The worksheet on screen takes the focus (the N one before the first
    // switch, when both are shown).
    void FocusWorksheet();
    // Lays an editor (or the crop list) over cell (c, r) of a view, and
    // keeps it there while the view scrolls.
    void LayEditorOver(QWidget* editor, WorksheetView* view, int c, int r);
    void PlaceEditor(QWidget* editor);
    // Each read error of a load in its own error box, in order.
    void ShowReadErrors(const std::vector<std::string>& errors);
    // Start-up steps.
    void ShowNotice();
    std::string AskDataFolder();
    bool LoadFarm();

    // Handlers.
    void OnNCellChosen();
    void OnP2O5CellChosen();
    void FilterNEditor();
    void CommitNEditor();
    void FilterP2O5Editor();
    void CommitP2O5Editor();
    void CommitRemark();
    void OnCropPicked();
    void CommitCropChoice();
    void ApplyYieldStepAndRates();
    void PrintShownWorksheet();
    // False when a cell stops the recalculation and the user does not want
    // to print figures that were not recalculated.
    bool ConfirmPrintDespiteStop();

    // What the farmer entered since the start or the last print: typed into
    // a header or rate box (edited_), or any change of a worksheet.
    void MarkEdited();
    void MarkSaved();
    bool HasUnsavedEntries() const;
    // Window place and, per data folder, Betrieb and Betriebsnummer, kept in
    // the user's settings (never in the farm's folder).
    void RestoreWindowPlace();
    void RememberSession() const;
    void RecallFarmHeader();

    kv4::Worksheets& worksheets_;
    kv4::Worksheet& nSheet_ = worksheets_.n;
    kv4::Worksheet& pSheet_ = worksheets_.p;
    kv4::NutrientClasses nutrientClasses_;
    std::string dataFolder_;

    QFrame* headerStrip_ = nullptr;
    QLabel* farmNameLabel_ = nullptr;
    QLineEdit* farmNameEdit_ = nullptr;
    QLabel* farmNumberLabel_ = nullptr;
    QLineEdit* farmNumberEdit_ = nullptr;
    QLabel* dateLabel_ = nullptr;
    QLineEdit* dateEdit_ = nullptr;
    QFrame* buttonStrip_ = nullptr;
    QPushButton* nButton_ = nullptr;
    QPushButton* p2o5Button_ = nullptr;
    QPushButton* printButton_ = nullptr;
    QFrame* ratesPanel_ = nullptr;
    QLabel* yieldStepLabel_ = nullptr;
    QLineEdit* yieldStepEdit_ = nullptr;
    QLabel* yieldStepUnitLabel_ = nullptr;
    QLabel* surchargeLabel_ = nullptr;
    QLineEdit* surchargeEdit_ = nullptr;
    QLabel* surchargeUnitLabel_ = nullptr;
    QLabel* deductionLabel_ = nullptr;
    QLineEdit* deductionEdit_ = nullptr;
    QLabel* deductionUnitLabel_ = nullptr;
    QPushButton* applyRatesButton_ = nullptr;
    QStackedWidget* worksheetStack_ = nullptr;
    WorksheetView* p2o5View_ = nullptr;
    WorksheetView* nView_ = nullptr;
    QLineEdit* nCellEditor_ = nullptr;
    QLineEdit* p2o5CellEditor_ = nullptr;
    QComboBox* cropChooser_ = nullptr;
    QLineEdit* remarkEditor_ = nullptr;

    struct EditorCell {
        WorksheetView* view = nullptr;
        int c = 0;
        int r = 0;
    };
    std::map<QWidget*, EditorCell> editorCells_;
    // The cell an editor was last laid over; no view when it never was.
    EditorCell EditedCell(QWidget* editor) const;
    void ReturnToCell(const EditorCell& at);
    // The cell whose edited value the handler that is ending refused.
    std::optional<EditorCell> cellAfterError_;
    // Set when a commit refused its value, for a key that would move on.
    bool commitRefused_ = false;
    // While an editor is closed without its value being taken.
    bool discarding_ = false;

    // Keys of an open editor as in a spreadsheet: Enter and the arrows
    // commit and open the editor a row down or up, Tab the next editable
    // cell of the row, Escape closes without taking the value.
    enum class Step { Down, Up, Next, Previous };
    bool HandleEditorKey(QLineEdit& editor, const QKeyEvent& key);
    bool HandleCropListKey(const QKeyEvent& key);
    void CommitAndStep(QLineEdit& editor, Step step);
    void Discard(QWidget& editor);
    // Typing on a chosen cell opens its editor with the typed text; F2 with
    // the cell's text.
    void OpenEditorByKey(WorksheetView& view, const QString& replacement);
    bool OpensEditor(const WorksheetView& view, int c) const;

    bool edited_ = false;
    unsigned long long nRevisionSaved_ = 0;
    unsigned long long pRevisionSaved_ = 0;
};

template <class F>
void MainWindow::Guarded(F&& body) {
    try {
        body();
    } catch (const std::exception& e) {
        ReportHandlerError(e);
    }
}

}  // namespace kv4gui
