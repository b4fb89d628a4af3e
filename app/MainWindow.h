#pragma once
// The main window: the N and P2O5 worksheets, the header strip with the
// farm's name, number and date, and the button strip. The handlers only wire
// controls to the core; every value is computed there.
#include <QWidget>
#include <string>
#include <vector>

#include "reference/NutrientClasses.h"
#include "worksheets/Editing.h"
#include "worksheets/Worksheet.h"

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
    // Asks before entries made since the start or the last print are lost;
    // remembers the window's place and the farm's header.
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildControls();
    void ConnectHandlers();
    // The tab chain in reading order, Ctrl+P and F1.
    void SetUpKeyboard();
    void SetUpWorksheets();
    // Which cells open which editor, and the writers of their values.
    void SetUpEditing();
    void ShowStandardErrorText(const std::string& text);
    // The standard error box for an error that ended a handler, naming the
    // cell of a refused value.
    void ReportHandlerError(const std::exception& error);
    // The worksheet on screen takes the focus (the N one before the first
    // switch, when both are shown).
    void FocusWorksheet();
    // Each read error of a load in its own error box, in order.
    void ShowReadErrors(const std::vector<std::string>& errors);
    // Start-up steps.
    void ShowNotice();
    std::string AskDataFolder();
    bool LoadFarm();

    // Handlers.
    void OnNCellChosen();
    void OnP2O5CellChosen();
    void ShowPanelTexts(const kv4::PanelTexts& panel);
    // The writers of edited values, for cell (c, r) of their worksheet; false
    // when the value was refused (the error box has told why).
    bool CommitNCell(int c, int r, const QString& text);
    bool CommitCropChoice(int r, int crop);
    bool CommitP2O5Cell(int c, int r, const QString& text);
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
