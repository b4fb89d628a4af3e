#pragma once
// The main window: the N and P2O5 worksheets, the header strip with the
// farm's name, number and date, and the button strip. The handlers only wire
// controls to the core; every value is computed there.
#include <QWidget>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "worksheets/Worksheet.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QComboBox;
class QFrame;
class QPrintDialog;
class QPrinter;

namespace kv4gui {
class TStringGrid;
class TFZugang;
class TTFormInfo;
}  // namespace kv4gui

namespace kv4 {
class NutrientClasses;
}  // namespace kv4

class TForm1 : public QWidget {
    Q_OBJECT
  public:
    // Manual: the first showing does not run FormShow (window tests fill
    // the worksheets themselves).
    enum class StartUp { OnFirstShow, Manual };

    explicit TForm1(QWidget* parent = nullptr, StartUp startUp = StartUp::OnFirstShow);
    ~TForm1() override;

    // Controls, with the form designer's names.
    QFrame* Panel2 = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* ED_Betriebsname = nullptr;
    QLabel* Label8 = nullptr;
    QLineEdit* ED_Betriebsnummer = nullptr;
    QLabel* Label9 = nullptr;
    QLineEdit* ED_Datum = nullptr;
    QFrame* Panel1 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Btn_Print = nullptr;
    QFrame* Panel3 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QLabel* Label6 = nullptr;
    QPushButton* Button2 = nullptr;
    kv4gui::TStringGrid* StringGrid2 = nullptr;
    kv4gui::TStringGrid* StringGrid1 = nullptr;
    QLineEdit* EditN = nullptr;
    QLineEdit* EditP = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QLineEdit* EditT = nullptr;

    // The data folder confirmed at start-up: empty, or ending in the path
    // separator.
    std::string DataFolder;

    // The worksheets the grids show.
    kv4::Worksheet& NSheet() { return nSheet_; }
    kv4::Worksheet& PSheet() { return pSheet_; }

    // The nutrient class table, created with the window.
    kv4::NutrientClasses& NutrientClassTable();

    // Decimal separator of the regional settings.
    char DecimalSeparator() const;

    // Handlers (names as in the form designer).
    void FormCreate();
    void FormShow();
    void Button3Click();
    void Button4Click();
    void StringGrid1Click();
    void StringGrid2Click();
    void EditNChange();
    void EditNExit();
    void EditPChange();
    void EditPExit();
    void EditTExit();
    void ComboBox2Change();
    void ComboBox2Click();
    void ComboBox2Exit();
    void Button1Click();
    void Btn_PrintClick();

    // Runs a handler body: an error that escapes it is shown in the standard
    // error box, and the program goes on.
    template <class F>
    void Guarded(F&& body);

    // Tells the grids that the worksheets changed (one view update per pass).
    void WorksheetsChanged();

    // Editing: the recalculation pass over both worksheets, followed by one
    // view update, also when a cell that is not a number ends it.
    void RecalcWorksheets();

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildControls();
    void ConnectHandlers();
    void LayoutGrids();
    void ShowStandardErrorText(const std::string& text);
    // The worksheet on screen takes the focus (the N one before the first
    // switch, when both are shown).
    void FocusWorksheet();
    // Lays an editor (or the crop list) over cell (c, r) of a grid, and
    // keeps it there while the grid scrolls.
    void LayEditorOver(QWidget* editor, kv4gui::TStringGrid* grid, int c, int r);
    void PlaceEditor(QWidget* editor);
    // Each read error of a load in its own error box, in order.
    void ShowReadErrors(const std::vector<std::string>& errors);
    void LoadNutrientClassTable();  // FormCreate step 8

    // The grid that fills the area between the strips, if any.
    enum class ClientGrid { None, N, P };

    kv4::Worksheet nSheet_;
    kv4::Worksheet pSheet_;
    std::unique_ptr<kv4::NutrientClasses> nutrientClasses_;
    StartUp startUp_;
    struct EditorCell {
        kv4gui::TStringGrid* grid = nullptr;
        int c = 0;
        int r = 0;
    };
    std::map<QWidget*, EditorCell> editorCells_;
    ClientGrid clientGrid_ = ClientGrid::None;
    bool shown_ = false;
};

template <class F>
void TForm1::Guarded(F&& body) {
    try {
        body();
    } catch (const std::exception& e) {
        ShowStandardErrorText(e.what());
    }
}
