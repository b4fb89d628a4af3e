// Editing the worksheets in the main window with real clicks and key
// presses: the cell editors and where they lie, the order of write-back and
// opening when the user clicks from cell to cell, carrying values to the rows
// of the same crop, the crop list with its question, the residue mark, the
// soil content and its class, and the error box for texts that are not
// numbers.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "app/WorksheetView.h"
#include "farmwriter/RecordWriter.h"
#include "guisupport/GuiTestSupport.h"
#include "reference/CropTable.h"
#include "reference/NutrientClasses.h"
#include "worksheets/Worksheet.h"

using kv4gui::WorksheetView;
using kv4guitest::ClickCell;
using kv4guitest::ScopedModalHook;
using kv4guitest::Widget;
namespace ncol = kv4::ncol;
namespace pcol = kv4::pcol;

namespace {

const QString kQuestion =
    QStringLiteral("Soll diese Einstellung auf alle gleichnamigen Früchte übernommen werden?");
const QString kJa = QStringLiteral("&Ja");
const QString kNein = QStringLiteral("&Nein");

// One farm: rows 1, 2, 5 and 6 grow exactly "Winterweizen"; row 3 differs in
// letter case, row 4 by a trailing blank; row 5 already has a base yield.
// Row 8 is the empty trailing row.
struct FieldRow {
    const char* name;
    const char* crop;
    const char* baseYield;
    const char* yieldExpectation;
    const char* nMin;
    const char* orgPrevious;
};
const std::vector<FieldRow> kFields = {
    {"Schlag 1", "Winterweizen", "", "85", "  -40", "  -12"},
    {"Schlag 2", "Winterweizen", "", "74", "", ""},
    {"Schlag 3", "winterweizen", "", "80", "", ""},
    {"Schlag 4", "Winterweizen ", "", "80", "", ""},
    {"Schlag 5", "Winterweizen", "70", "75", "", ""},
    {"Schlag 6", "Winterweizen", "", "80", "", ""},
    {"Schlag 7", "Raps", "", "40", "", ""},
};
constexpr int kRows = 9;   // heading, 7 fields, trailing row
constexpr int kWheat = 0;  // "Winterweizen A,B" in the crop list

// Key presses for every character; QTest::keyClicks takes only ASCII.
// Counts the announcements of changed cells that reach the two grids.
struct ViewUpdates {
    explicit ViewUpdates(kv4gui::MainWindow& form)
        : n(Widget<kv4gui::WorksheetView>(form, "nView")->model(),
            &QAbstractItemModel::dataChanged),
          p(Widget<kv4gui::WorksheetView>(form, "p2o5View")->model(),
            &QAbstractItemModel::dataChanged) {}
    QSignalSpy n;
    QSignalSpy p;
};

void TypeText(QWidget* widget, const QString& text) {
    for (QChar ch : text) {
        if (ch.unicode() < 0x80)
            QTest::keyClick(widget, static_cast<char>(ch.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, widget, static_cast<Qt::Key>(ch.toUpper().unicode()),
                                QString(ch), Qt::NoModifier);
    }
}

}  // namespace

class TestEditingWindow : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void nClickOpensEditorOrNot_data();
    void nClickOpensEditorOrNot();
    void cropListOpensOverTheVCell();
    void characterFilter();
    void nWriteBack_data();
    void nWriteBack();
    void clickingOnWritesBackTheOldCellFirst();
    void editorsMoveWithTheirCell();
    void takeOverButton();
    void cropPick_data();
    void cropPick();
    void cropListClosedWithoutPick_data();
    void cropListClosedWithoutPick();
    void focusAfterAnEditorCloses();
    void keyboardWalksTheWorksheet();
    void conversionErrors();
    void correctionAfterErrorLandsInItsCell_data();
    void correctionAfterErrorLandsInItsCell();
    void residueMark();
    void contentAndRemoval();
    void contentNotANumber_data();
    void contentNotANumber();
    void remarkAndPFocusOrder();

  private:
    kv4::Worksheet& N() { return form_->NSheet(); }
    kv4::Worksheet& P() { return form_->PSheet(); }
    QString NCell(int c, int r) { return QString::fromStdString(N().Cells(c, r)); }
    QString PCell(int c, int r) { return QString::fromStdString(P().Cells(c, r)); }
    QStringList NColumn(int c) {
        QStringList texts;
        for (int r = 1; r < kRows; ++r) texts << NCell(c, r);
        return texts;
    }
    // The editor is the one of cell (c, r) and covers it.
    void CheckEditorOver(QWidget* editor, kv4gui::WorksheetView* grid, int c, int r);
    // The open editors, none when closed.
    QLineEdit* NEditor() { return kv4guitest::OpenEditor<QLineEdit>(*form_, "nCellEditor"); }
    QLineEdit* PEditor() { return kv4guitest::OpenEditor<QLineEdit>(*form_, "p2o5CellEditor"); }
    QLineEdit* RemarkEditor() { return kv4guitest::OpenEditor<QLineEdit>(*form_, "remarkEditor"); }
    QComboBox* CropList() { return kv4guitest::OpenEditor<QComboBox>(*form_, "cropChooser"); }
    void Retype(QLineEdit* editor, const QString& text);
    void PickWithMouse(int index);
    // Down drops the list; Return picks the entry highlighted in it.
    void PickWithKeyboard(int index);
    void ShowPWorksheet() {
        QTest::mouseClick(Widget<QPushButton>(*form_, "p2o5Button"), Qt::LeftButton);
    }

    std::unique_ptr<ScopedModalHook> hook_;
    std::unique_ptr<kv4::Worksheets> sheets_;  // outlives the window
    std::unique_ptr<kv4gui::MainWindow> form_;
};

void TestEditingWindow::init() {
    hook_ = std::make_unique<ScopedModalHook>();
    sheets_ = std::make_unique<kv4::Worksheets>();
    form_ = std::make_unique<kv4gui::MainWindow>(*sheets_);

    kv4farm::NKlassenSpec soil;
    soil.names[0] = "lS";
    soil.limits = {5, 10, 17, 25};
    form_->NutrientClassTable().LoadFromBytes(kv4farm::EncodeNKlassen(soil));

    N().SetRowCount(kRows);
    P().SetRowCount(kRows);
    for (int r = 1; r <= static_cast<int>(kFields.size()); ++r) {
        const FieldRow& f = kFields[r - 1];
        N().SetCell(ncol::Schlag, r, f.name);
        N().SetCell(ncol::Frucht, r, f.crop);
        N().SetCell(ncol::Ha, r, " 5,00");
        N().SetCell(ncol::BasisErtrag, r, f.baseYield);
        N().SetCell(ncol::V, r, "V");
        N().SetCell(ncol::Ertragserwartung, r, f.yieldExpectation);
        N().SetCell(ncol::NMin, r, f.nMin);
        N().SetCell(ncol::OrgVorjahr, r, f.orgPrevious);
        P().SetCell(pcol::Schlag, r, f.name);
        P().SetCell(pcol::Frucht, r, f.crop);
        P().SetCell(pcol::Ertragserwartung, r, f.yieldExpectation);
        P().SetCell(pcol::Gehalt, r, "   8");
        P().SetCell(pcol::Bodenart, r, "lS");
        P().SetCell(pcol::Klasse, r, "B");
        P().SetCell(pcol::Factor, r, "0");
        P().SetCell(pcol::FactorResidues, r, "0");
    }
    form_->WorksheetsChanged();

    QVERIFY(kv4guitest::ShowActive(*form_));
    QTest::mouseClick(Widget<QPushButton>(*form_, "nButton"), Qt::LeftButton);
    QVERIFY(Widget<kv4gui::WorksheetView>(*form_, "nView")->isVisible());
}

void TestEditingWindow::cleanup() {
    form_.reset();
    hook_.reset();
}

void TestEditingWindow::CheckEditorOver(QWidget* editor, kv4gui::WorksheetView* grid, int c,
                                        int r) {
    QVERIFY(editor != nullptr && editor->isVisible());
    QCOMPARE(grid->indexWidget(grid->IndexOf(c, r)), editor);
    QCOMPARE(editor->geometry(), grid->CellRect(c, r));
    QCOMPARE(grid->viewport()->childAt(grid->CellRect(c, r).center()), editor);
}

void TestEditingWindow::Retype(QLineEdit* editor, const QString& text) {
    QVERIFY(editor != nullptr);
    QVERIFY(editor->hasFocus());
    // The editor opens with its text selected: typing replaces it.
    QCOMPARE(editor->selectedText(), editor->text());
    if (text.isEmpty())
        QTest::keyClick(editor, Qt::Key_Delete);
    else
        TypeText(editor, text);
}

void TestEditingWindow::PickWithKeyboard(int index) {
    QComboBox* list = CropList();
    QVERIFY(list != nullptr);
    QCOMPARE(list->currentIndex(), -1);
    QTest::keyClick(list, Qt::Key_Down);
    QAbstractItemView* view = list->view();
    QTRY_VERIFY(view->isVisible());
    QCOMPARE(list->currentIndex(), -1);  // dropping down picks nothing
    view->setCurrentIndex(list->model()->index(index, 0));
    QTest::keyClick(view, Qt::Key_Return);
}

void TestEditingWindow::PickWithMouse(int index) {
    QComboBox* list = CropList();
    QVERIFY(list != nullptr);
    QVERIFY(list->hasFocus());
    // Drop down with a click on the arrow, then click the entry.
    QTest::mouseClick(list, Qt::LeftButton, Qt::NoModifier,
                      QPoint(list->width() - 6, list->height() / 2));
    QAbstractItemView* view = list->view();
    QTRY_VERIFY(view->isVisible());
    // The list ignores a release that follows its opening too closely.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const QRect item = view->visualRect(list->model()->index(index, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, item.center());
}

// --- N worksheet ------------------------------------------------------

void TestEditingWindow::nClickOpensEditorOrNot_data() {
    QTest::addColumn<int>("col");
    QTest::addColumn<bool>("opens");
    const std::vector<int> editable = {ncol::Frucht,    ncol::BasisErtrag, ncol::Ertragserwartung,
                                       ncol::NSollwert, ncol::NMin,        ncol::OrgVorjahr,
                                       ncol::Vorfrucht};
    for (int c = 0; c < ncol::Count; ++c) {
        if (c == ncol::V) continue;  // the crop list, tested on its own
        const bool opens = std::find(editable.begin(), editable.end(), c) != editable.end();
        QTest::addRow("col %d", c) << c << opens;
    }
}

void TestEditingWindow::nClickOpensEditorOrNot() {
    QFETCH(int, col);
    QFETCH(bool, opens);
    kv4gui::WorksheetView* grid = Widget<kv4gui::WorksheetView>(*form_, "nView");
    N().SetCell(col, 3, "-23");
    N().SetCell(ncol::YieldStep, 3, "7");
    N().SetCell(ncol::SurchargeRate, 3, "8");
    N().SetCell(ncol::DeductionRate, 3, "9");
    form_->WorksheetsChanged();

    ClickCell(grid, col, 3);
    QCOMPARE(grid->Col(), col);
    QCOMPARE(grid->Row(), 3);
    QCOMPARE(Widget<kv4gui::WorksheetView>(*form_, "p2o5View")->Row(),
             3);  // both worksheets at the same field
    QCOMPARE(NEditor() != nullptr, opens);
    QVERIFY(!CropList());
    if (opens) {
        CheckEditorOver(NEditor(), grid, col, 3);
        QCOMPARE(NEditor()->text(), QStringLiteral("-23"));
        QVERIFY(NEditor()->hasFocus());
    }
    // Every click loads the row's values into the panel boxes.
    QCOMPARE(Widget<QLineEdit>(*form_, "yieldStepEdit")->text(), QStringLiteral("7"));
    QCOMPARE(Widget<QLineEdit>(*form_, "surchargeEdit")->text(), QStringLiteral("8"));
    QCOMPARE(Widget<QLineEdit>(*form_, "deductionEdit")->text(), QStringLiteral("9"));

    // A row without values empties them.
    ClickCell(grid, ncol::Schlag, 2);
    QCOMPARE(Widget<QLineEdit>(*form_, "yieldStepEdit")->text(), QString());
    QCOMPARE(Widget<QLineEdit>(*form_, "surchargeEdit")->text(), QString());
    QCOMPARE(Widget<QLineEdit>(*form_, "deductionEdit")->text(), QString());
    QVERIFY(!NEditor());
}

void TestEditingWindow::cropListOpensOverTheVCell() {
    kv4gui::WorksheetView* grid = Widget<kv4gui::WorksheetView>(*form_, "nView");
    for (int r : {2, 6}) {
        hook_->AnswerButton(kNein);
        ClickCell(grid, ncol::V, r);
        QComboBox* list = CropList();
        QVERIFY(list != nullptr);
        QCOMPARE(grid->indexWidget(grid->IndexOf(ncol::V, r)), list);
        QVERIFY(list->hasFocus());
        QCOMPARE(list->currentIndex(), -1);
        QCOMPARE(list->currentText(), QString());
        const QRect cell = grid->CellRect(ncol::V, r);
        // Right edge 2 pixels right of the cell's, top 2 pixels below; its
        // own size, so it covers the cells to the left of the "V".
        QCOMPARE(list->geometry(), QRect(cell.x() + cell.width() - 169 + 2, cell.y() + 2, 169, 24));
        QCOMPARE(Widget<kv4gui::WorksheetView>(*form_, "p2o5View")->Row(), r);
        if (r == 2) {
            // The next opening must not remember this choice.
            PickWithKeyboard(kWheat);
            QTRY_VERIFY(!CropList());
            QCOMPARE(NCell(ncol::BasisErtrag, 2), QStringLiteral("80"));
            QTRY_VERIFY(form_->isActiveWindow());
        }
    }
}

void TestEditingWindow::characterFilter() {
    kv4gui::WorksheetView* grid = Widget<kv4gui::WorksheetView>(*form_, "nView");

    ClickCell(grid, ncol::BasisErtrag, 1);
    QLineEdit* edit = NEditor();
    Retype(edit, QStringLiteral("4,5 dt"));
    QCOMPARE(edit->text(), QStringLiteral("45"));
    // Inserting in the middle: the caret stays behind what it was behind.
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClicks(edit, QStringLiteral("x-1"));
    QCOMPARE(edit->text(), QStringLiteral("-145"));
    QCOMPARE(edit->cursorPosition(), 2);
    QTest::keyClicks(edit, QStringLiteral("9"));
    QCOMPARE(edit->text(), QStringLiteral("-1945"));

    // A cell text laid into the editor is filtered as well.
    ClickCell(grid, ncol::NMin, 1);
    QCOMPARE(NEditor()->text(), QStringLiteral("-40"));

    // The crop name keeps every character.
    ClickCell(grid, ncol::Frucht, 2);
    Retype(NEditor(), QStringLiteral("Hafer 4,5"));
    QCOMPARE(NEditor()->text(), QStringLiteral("Hafer 4,5"));
}

void TestEditingWindow::nWriteBack_data() {
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("column");  // rows 1 to 8 afterwards
    QTest::addColumn<QString>("p2o5Yield");   // P2O5 yield expectation of the row

    QTest::newRow("BasisErtrag to the same crop")
        << ncol::BasisErtrag << 2 << "90" << QStringList{"90", "90", "", "", "90", "90", "", ""}
        << "74";
    QTest::newRow("N-Sollwert to the same crop")
        << ncol::NSollwert << 6 << "230" << QStringList{"230", "230", "", "", "230", "230", "", ""}
        << "80";
    QTest::newRow("BasisErtrag of a crop of its own")
        << ncol::BasisErtrag << 4 << "55" << QStringList{"", "", "", "55", "70", "", "", ""}
        << "80";
    QTest::newRow("Ertragserwartung into the P2O5 row")
        << ncol::Ertragserwartung << 3 << "66"
        << QStringList{"85", "74", "66", "80", "75", "80", "40", ""} << "66";
    QTest::newRow("N-Min made negative")
        << ncol::NMin << 2 << "40" << QStringList{"  -40", "-40", "", "", "", "", "", ""} << "74";
    QTest::newRow("N-Min negative stays")
        << ncol::NMin << 2 << "-40" << QStringList{"  -40", "-40", "", "", "", "", "", ""} << "74";
    QTest::newRow("N-Min zero") << ncol::NMin << 2 << "0"
                                << QStringList{"  -40", "0", "", "", "", "", "", ""} << "74";
    QTest::newRow("N-Min emptied")
        << ncol::NMin << 1 << "" << QStringList{"", "", "", "", "", "", "", ""} << "85";
    QTest::newRow("org-Vorjahr") << ncol::OrgVorjahr << 7 << "25"
                                 << QStringList{"  -12", "", "", "", "", "", "-25", ""} << "40";
    QTest::newRow("Vorfrucht") << ncol::Vorfrucht << 5 << "10"
                               << QStringList{"", "", "", "", "-10", "", "", ""} << "75";
    QTest::newRow("Frucht is not stored")
        << ncol::Frucht << 2 << "Hafer"
        << QStringList{"Winterweizen", "Winterweizen", "winterweizen", "Winterweizen ",
                       "Winterweizen", "Winterweizen", "Raps",         ""}
        << "74";
}

void TestEditingWindow::nWriteBack() {
    QFETCH(int, col);
    QFETCH(int, row);
    QFETCH(QString, typed);
    QFETCH(QStringList, column);
    QFETCH(QString, p2o5Yield);

    ClickCell(Widget<kv4gui::WorksheetView>(*form_, "nView"), col, row);
    Retype(NEditor(), typed);
    // Leave the editor by clicking a cell that opens nothing.
    ViewUpdates updates(*form_);
    ClickCell(Widget<kv4gui::WorksheetView>(*form_, "nView"), ncol::ZuAbschlag, 8);
    QVERIFY(!NEditor());
    QCOMPARE(NColumn(col), column);
    QCOMPARE(PCell(pcol::Ertragserwartung, row), p2o5Yield);
    // The recalculation ran over every row, the trailing one included.
    QCOMPARE(NCell(ncol::NBedarf, 8), QStringLiteral("    0"));
    QCOMPARE(NCell(ncol::ZuAbschlag, row), QStringLiteral("0"));
    QCOMPARE(PCell(pcol::Entzug, row), QStringLiteral("0"));
    QVERIFY(hook_->Seen().empty());
    // Write-back and pass reach each grid as one update.
    QCOMPARE(updates.n.count(), 1);
    QCOMPARE(updates.p.count(), 1);
}

void TestEditingWindow::clickingOnWritesBackTheOldCellFirst() {
    kv4gui::WorksheetView* grid = Widget<kv4gui::WorksheetView>(*form_, "nView");
    const auto edit = [this] { return NEditor(); };
    N().SetCell(ncol::NSollwert, 2, "200");
    N().SetCell(ncol::YieldStep, 1, "10");
    N().SetCell(ncol::SurchargeRate, 1, "10");
    form_->WorksheetsChanged();

    // Clicked from cell to cell: the old cell takes the text, the pass runs,
    // then the editor opens over the new cell with that cell's text.
    ClickCell(grid, ncol::BasisErtrag, 1);
    Retype(edit(), QStringLiteral("80"));
    ClickCell(grid, ncol::NSollwert, 2);
    QCOMPARE(NColumn(ncol::BasisErtrag), (QStringList{"80", "80", "", "", "80", "80", "", ""}));
    QCOMPARE(NCell(ncol::NSollwert, 2), QStringLiteral("200"));
    QCOMPARE(NCell(ncol::ZuAbschlag, 1), QStringLiteral("5"));   // (85 - 80) / 10 * 10
    QCOMPARE(NCell(ncol::NBedarf, 1), QStringLiteral("  -47"));  // 5 - 40 - 12
    CheckEditorOver(edit(), grid, ncol::NSollwert, 2);
    QCOMPARE(edit()->text(), QStringLiteral("200"));
    QVERIFY(edit()->hasFocus());

    // The same from an editor to the crop list of another row.
    Retype(edit(), QStringLiteral("230"));
    hook_->AnswerButton(kNein);
    ClickCell(grid, ncol::V, 7);
    QCOMPARE(NCell(ncol::NSollwert, 1), QStringLiteral("230"));
    QCOMPARE(NCell(ncol::NSollwert, 7), QString());
    QCOMPARE(NCell(ncol::NBedarf, 1), QStringLiteral("  183"));
    QVERIFY(!edit());
    QVERIFY(CropList() != nullptr);
    QVERIFY(CropList()->hasFocus());
    QVERIFY(hook_->Seen().empty());  // the list is still open: no question yet

    // And from the crop list to the P2O5 worksheet: the question comes
    // before the switch, for the row of the list.
    ShowPWorksheet();
    QCOMPARE(hook_->Seen().size(), std::size_t{1});
    QCOMPARE(hook_->Seen()[0].text, kQuestion);
    QVERIFY(!CropList());
    QVERIFY(Widget<kv4gui::WorksheetView>(*form_, "p2o5View")->isVisible());
    QCOMPARE(NCell(ncol::NSollwert, 7), QString());

    // An open N editor is written back before the switch hides it.
    QTest::mouseClick(Widget<QPushButton>(*form_, "nButton"), Qt::LeftButton);
    QTRY_VERIFY(form_->isActiveWindow());
    ClickCell(grid, ncol::Ertragserwartung, 1);
    Retype(edit(), QStringLiteral("95"));
    ShowPWorksheet();
    QVERIFY(!edit());
    QCOMPARE(NCell(ncol::Ertragserwartung, 1), QStringLiteral("95"));
    QCOMPARE(PCell(pcol::Ertragserwartung, 1), QStringLiteral("95"));
    QCOMPARE(NCell(ncol::ZuAbschlag, 1), QStringLiteral("15"));
}

void TestEditingWindow::editorsMoveWithTheirCell() {
    // A window so low that the N worksheet shows three body rows.
    form_->resize(form_->width(), 260);
    kv4gui::WorksheetView* grid = Widget<kv4gui::WorksheetView>(*form_, "nView");
    QScrollBar* bar = grid->verticalScrollBar();
    QTRY_VERIFY(bar->maximum() >= 3);
    for (const int col : {ncol::NMin, ncol::V}) {
        hook_->AnswerButton(kNein);
        ClickCell(grid, col, 2);
        QWidget* editor = col == ncol::V ? static_cast<QWidget*>(CropList()) : NEditor();
        QVERIFY(editor != nullptr);
        QCOMPARE(bar->value(), 0);
        const QPoint start = editor->pos();
        bar->setValue(1);
        QCOMPARE(editor->pos(), start - QPoint(0, WorksheetView::kDefaultRowHeight + 1));
        if (col == ncol::NMin) CheckEditorOver(editor, grid, col, 2);
        // Scrolled away under the heading: nothing of it shows.
        bar->setValue(3);
        QWidget* top = form_->childAt(editor->mapTo(form_.get(), editor->rect().center()));
        QVERIFY(top != editor && !editor->isAncestorOf(top));
        bar->setValue(0);
        QCOMPARE(editor->pos(), start);
        // Left as before: the worksheet's first row takes the click.
        ClickCell(grid, ncol::Schlag, 1);
        QVERIFY(!NEditor() && !CropList());
        QTRY_VERIFY(form_->isActiveWindow());
    }
}

void TestEditingWindow::takeOverButton() {
    kv4gui::WorksheetView* grid = Widget<kv4gui::WorksheetView>(*form_, "nView");
    ClickCell(grid, ncol::Schlag, 2);
    for (auto [box, text] : {std::pair{Widget<QLineEdit>(*form_, "yieldStepEdit"), "10"},
                             std::pair{Widget<QLineEdit>(*form_, "surchargeEdit"), "10"},
                             std::pair{Widget<QLineEdit>(*form_, "deductionEdit"), "15"}}) {
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(box->hasFocus());
        box->selectAll();
        QTest::keyClicks(box, QString::fromLatin1(text));
    }
    QTest::mouseClick(Widget<QPushButton>(*form_, "applyRatesButton"), Qt::LeftButton);

    const QStringList same = {"10", "10", "", "", "10", "10", "", ""};
    QCOMPARE(NColumn(ncol::YieldStep), same);
    QCOMPARE(NColumn(ncol::SurchargeRate), same);
    QCOMPARE(NColumn(ncol::DeductionRate), (QStringList{"15", "15", "", "", "15", "15", "", ""}));
    // Without base yields the whole yield expectation counts as surplus.
    QCOMPARE(NColumn(ncol::ZuAbschlag), (QStringList{"85", "74", "0", "0", "5", "80", "0", "0"}));

    // The click on a cell loads the row's values into the boxes; an open
    // editor is written back before the button acts.
    ClickCell(grid, ncol::BasisErtrag, 2);
    QCOMPARE(Widget<QLineEdit>(*form_, "yieldStepEdit")->text(), QStringLiteral("10"));
    Retype(NEditor(), QStringLiteral("80"));
    QTest::mouseClick(Widget<QPushButton>(*form_, "applyRatesButton"), Qt::LeftButton);
    QVERIFY(!NEditor());
    QCOMPARE(NColumn(ncol::BasisErtrag), (QStringList{"80", "80", "", "", "80", "80", "", ""}));
    // Row 2: 74 against 80 is -0.6 steps at 15; row 5: 75 against 80.
    QCOMPARE(NCell(ncol::ZuAbschlag, 2), QStringLiteral("-9"));
    QCOMPARE(NCell(ncol::ZuAbschlag, 5), QStringLiteral("-8"));
    QCOMPARE(NCell(ncol::ZuAbschlag, 1), QStringLiteral("5"));
    QCOMPARE(NCell(ncol::ZuAbschlag, 7), QStringLiteral("0"));
    // The boxes keep their texts; a click on another row shows its values.
    QCOMPARE(Widget<QLineEdit>(*form_, "deductionEdit")->text(), QStringLiteral("15"));
    ClickCell(grid, ncol::Schlag, 3);
    QCOMPARE(Widget<QLineEdit>(*form_, "deductionEdit")->text(), QString());
    ClickCell(grid, ncol::Schlag, 6);
    QCOMPARE(Widget<QLineEdit>(*form_, "deductionEdit")->text(), QStringLiteral("15"));
}

// --- Crop list ------------------------------------------------------------

void TestEditingWindow::cropPick_data() {
    QTest::addColumn<bool>("mouse");
    QTest::addColumn<QString>("answer");
    QTest::newRow("mouse, Ja") << true << kJa;
    QTest::newRow("keyboard, Ja") << false << kJa;
    QTest::newRow("mouse, Nein") << true << kNein;
}

void TestEditingWindow::cropPick() {
    QFETCH(bool, mouse);
    QFETCH(QString, answer);
    const bool yes = answer == kJa;
    const QString sep(QChar::fromLatin1(form_->DecimalSeparator()));
    kv4gui::WorksheetView* grid = Widget<kv4gui::WorksheetView>(*form_, "nView");

    // Values typed before are overwritten in the row itself; row 5 keeps
    // its own base yield and everything else.
    N().SetCell(ncol::BasisErtrag, 1, "95");
    N().SetCell(ncol::NSollwert, 5, "210");
    N().SetCell(ncol::YieldStep, 5, "20");
    // Only blanks count as no base yield. (Not with "Nein": the pass would
    // then stop at that text.)
    if (yes) N().SetCell(ncol::BasisErtrag, 6, "   ");
    form_->WorksheetsChanged();

    hook_->AnswerButton(answer);
    ClickCell(grid, ncol::V, 1);
    if (mouse) {
        PickWithMouse(kWheat);
    } else {
        PickWithKeyboard(kWheat);
    }
    QTRY_VERIFY(!CropList());

    // One question, asked once the pick was applied.
    QCOMPARE(hook_->Seen().size(), std::size_t{1});
    const kv4guitest::SeenDialog& question = hook_->Seen()[0];
    QCOMPARE(question.title, QStringLiteral("Bestätigung"));
    QCOMPARE(question.text, kQuestion);
    QCOMPARE(question.buttons, (std::vector<QString>{kJa, kNein}));
    QCOMPARE(question.answer, answer);

    const QString f1 = "0" + sep + "8", f2 = "1" + sep + "04";
    const QString y = yes ? "80" : "", t = yes ? "230" : "", s = yes ? "10" : "";
    QCOMPARE(NColumn(ncol::BasisErtrag), (QStringList{"80", y, "", "", "70", y, "", ""}));
    QCOMPARE(NColumn(ncol::NSollwert), (QStringList{"230", t, "", "", "210", t, "", ""}));
    QCOMPARE(NColumn(ncol::YieldStep), (QStringList{"10", s, "", "", "20", s, "", ""}));
    QCOMPARE(NColumn(ncol::DeductionRate),
             (QStringList{"15", yes ? "15" : "", "", "", "", yes ? "15" : "", "", ""}));
    for (int r = 1; r < kRows - 1; ++r) {
        const bool chosen = r == 1 || (yes && (r == 2 || r == 6));
        QCOMPARE(PCell(pcol::Factor, r), chosen ? f1 : QStringLiteral("0"));
        QCOMPARE(PCell(pcol::FactorResidues, r), chosen ? f2 : QStringLiteral("0"));
    }
    QCOMPARE(Widget<QLineEdit>(*form_, "yieldStepEdit")->text(), QStringLiteral("10"));
    QCOMPARE(Widget<QLineEdit>(*form_, "surchargeEdit")->text(), QStringLiteral("10"));
    QCOMPARE(Widget<QLineEdit>(*form_, "deductionEdit")->text(), QStringLiteral("15"));

    // Recalculated whatever the answer.
    QCOMPARE(NCell(ncol::ZuAbschlag, 1), QStringLiteral("5"));
    QCOMPARE(NCell(ncol::NBedarf, 1), QStringLiteral("  183"));
    QCOMPARE(PCell(pcol::Entzug, 1), QStringLiteral("68"));  // 85 x 0.8
    QCOMPARE(NCell(ncol::ZuAbschlag, 2), yes ? QStringLiteral("-9") : QStringLiteral("0"));
    QCOMPARE(PCell(pcol::Entzug, 2), yes ? QStringLiteral("59") : QStringLiteral("0"));
    QCOMPARE(NCell(ncol::NBedarf, 8), QStringLiteral("    0"));
    QTRY_VERIFY(form_->isActiveWindow());
}

void TestEditingWindow::cropListClosedWithoutPick_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("dropDownFirst");
    QTest::addColumn<bool>("realQuestion");
    QTest::newRow("Ja") << kJa << false << false;
    QTest::newRow("Nein") << kNein << false << false;
    QTest::newRow("dropped down and closed, Ja") << kJa << true << false;
    // The question as a farmer meets it: a modal box with its own loop,
    // which the release of the click lands on.
    QTest::newRow("real question box, Nein") << kNein << false << true;
}

void TestEditingWindow::cropListClosedWithoutPick() {
    QFETCH(QString, answer);
    QFETCH(bool, dropDownFirst);
    QFETCH(bool, realQuestion);
    kv4gui::WorksheetView* grid = Widget<kv4gui::WorksheetView>(*form_, "nView");
    N().SetCell(ncol::YieldStep, 7, "3");
    form_->WorksheetsChanged();

    if (!realQuestion) hook_->AnswerButton(answer);
    ClickCell(grid, ncol::V, 2);
    QComboBox* list = CropList();
    QVERIFY(list != nullptr);
    if (dropDownFirst) {
        // Dropping down and closing the list without a pick is no leaving.
        QTest::keyClick(list, Qt::Key_F4);
        QTRY_VERIFY(list->view()->isVisible());
        QTest::keyClick(list->view(), Qt::Key_Escape);
        QTRY_VERIFY(!list->view()->isVisible());
        QVERIFY(list->isVisible());
        QTRY_VERIFY(list->hasFocus());
        QVERIFY(hook_->Seen().empty());
    }
    // Text typed into the list selects nothing.
    QTest::keyClicks(list, QStringLiteral("Zuckerr"));
    QSignalSpy clicks(grid, &kv4gui::WorksheetView::Click);
    if (realQuestion) {
        hook_.reset();
        QString asked;
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) return;
            answerer.stop();
            asked = box->text();
            QTest::mouseRelease(box, Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
            kv4guitest::PressButton(*box, answer);
        });
        answerer.start(20);
        QTest::mousePress(grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                          grid->CellRect(ncol::Schlag, 7).center());
        QCOMPARE(asked, kQuestion);
        // The click takes effect once, after the question.
        QTRY_COMPARE(clicks.count(), 1);
        QTest::qWait(50);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(Widget<kv4gui::WorksheetView>(*form_, "p2o5View")->Row(), 7);
        QVERIFY(!NEditor());
        // The window manager's part: the closed box hands the activation back.
        form_->activateWindow();
    } else {
        ClickCell(grid, ncol::Schlag, 7);
        QCOMPARE(hook_->Seen().size(), std::size_t{1});
        QCOMPARE(hook_->Seen()[0].text, kQuestion);
        QCOMPARE(hook_->Seen()[0].answer, answer);
        QCOMPARE(clicks.count(), 1);
    }
    QVERIFY(!CropList());
    // Nothing changed but the recalculated columns.
    QCOMPARE(NColumn(ncol::BasisErtrag), (QStringList{"", "", "", "", "70", "", "", ""}));
    QCOMPARE(NColumn(ncol::NSollwert), QStringList(8, QString()));
    for (int r = 1; r < kRows; ++r)
        QCOMPARE(PCell(pcol::Factor, r), r < 8 ? QStringLiteral("0") : QString());
    QCOMPARE(NCell(ncol::ZuAbschlag, 2), QStringLiteral("0"));
    QCOMPARE(NCell(ncol::NBedarf, 1), QStringLiteral("  -52"));
    // The click that left the list shows its own row's values.
    QCOMPARE(Widget<QLineEdit>(*form_, "yieldStepEdit")->text(), QStringLiteral("3"));
    QTRY_VERIFY(form_->isActiveWindow());
}

void TestEditingWindow::focusAfterAnEditorCloses() {
    kv4gui::WorksheetView* n = Widget<kv4gui::WorksheetView>(*form_, "nView");
    kv4gui::WorksheetView* p = Widget<kv4gui::WorksheetView>(*form_, "p2o5View");
    const auto openList = [&] { ClickCell(n, ncol::V, 3); };
    const auto openEditN = [&] { ClickCell(n, ncol::NMin, 3); };
    const auto openEditP = [&] {
        ShowPWorksheet();
        ClickCell(p, pcol::Gehalt, 3);
    };
    const auto openEditT = [&] {
        ShowPWorksheet();
        ClickCell(p, pcol::Anmerkung, 3);
    };
    const struct {
        const char* way;
        std::function<void()> open;
        std::function<void()> close;
        QWidget* focus;  // where typing goes afterwards
    } ways[] = {
        {"crop picked with the mouse", openList, [&] { PickWithMouse(kWheat); }, n},
        {"crop picked with the keyboard", openList, [&] { PickWithKeyboard(kWheat); }, n},
        {"list left by the switch", openList, [&] { ShowPWorksheet(); }, p},
        {"N editor closed with Escape", openEditN,
         [&] { QTest::keyClick(NEditor(), Qt::Key_Escape); }, n},
        {"N editor left by the switch", openEditN, [&] { ShowPWorksheet(); }, p},
        {"P editor left by the switch", openEditP,
         [&] { QTest::mouseClick(Widget<QPushButton>(*form_, "nButton"), Qt::LeftButton); }, n},
        {"remark, the row's last editor, left with Tab", openEditT,
         [&] { QTest::keyClick(RemarkEditor(), Qt::Key_Tab); }, p},
        // A box the farmer clicks keeps the focus.
        {"N editor left for the farm name", openEditN,
         [&] { QTest::mouseClick(Widget<QLineEdit>(*form_, "farmNameEdit"), Qt::LeftButton); },
         Widget<QLineEdit>(*form_, "farmNameEdit")},
    };
    for (const auto& way : ways) {
        QTest::mouseClick(Widget<QPushButton>(*form_, "nButton"), Qt::LeftButton);
        hook_->AnswerButton(kNein);
        way.open();
        way.close();
        QTRY_VERIFY2(!CropList() && !NEditor(), way.way);
        QTRY_VERIFY(form_->isActiveWindow());
        QVERIFY2(QApplication::focusWidget() == way.focus,
                 qPrintable(QStringLiteral("%1: focus on %2")
                                .arg(way.way, QApplication::focusWidget()
                                                  ? QApplication::focusWidget()->objectName()
                                                  : QStringLiteral("nothing"))));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("7"));
        QVERIFY2(Widget<QLineEdit>(*form_, "dateEdit")->text().isEmpty(), way.way);
        Widget<QLineEdit>(*form_, "farmNameEdit")->clear();
        hook_.reset();
        hook_ = std::make_unique<ScopedModalHook>();
    }
}

void TestEditingWindow::keyboardWalksTheWorksheet() {
    WorksheetView* grid = Widget<WorksheetView>(*form_, "nView");
    const auto editor = [this] { return NEditor(); };
    const auto at = [grid](int c, int r) { return grid->Col() == c && grid->Row() == r; };
    const QString row4 = NCell(ncol::NMin, 4);

    // Enter commits and opens the cell below; Escape closes without a change.
    ClickCell(grid, ncol::NMin, 1);
    for (const char* value : {"50", "60", "70"}) {
        Retype(editor(), QString::fromLatin1(value));
        QTest::keyClick(editor(), Qt::Key_Return);
    }
    QVERIFY(at(ncol::NMin, 4));
    Retype(editor(), QStringLiteral("80"));
    QTest::keyClick(editor(), Qt::Key_Escape);
    QCOMPARE(NColumn(ncol::NMin).mid(0, 4), (QStringList{"-50", "-60", "-70", row4}));
    QVERIFY(!editor());
    QVERIFY(grid->hasFocus());
    QVERIFY(at(ncol::NMin, 4));

    // F2 opens with the cell's text, typing with the typed one.
    QTest::keyClick(grid, Qt::Key_F2);
    QTRY_VERIFY(editor() && editor()->hasFocus());
    QCOMPARE(editor()->text(), row4);
    QVERIFY(!editor()->hasSelectedText());
    QTest::keyClick(editor(), Qt::Key_Escape);
    QTest::keyClick(grid, Qt::Key_9);
    QTRY_VERIFY(editor() && editor()->hasFocus());
    QCOMPARE(editor()->text(), QStringLiteral("9"));
    QTest::keyClick(editor(), Qt::Key_Escape);
    QCOMPARE(NCell(ncol::NMin, 4), row4);

    // Shift+Enter and Up go up a row; Tab and Shift+Tab to the next and
    // previous cell of the row that opens an editor.
    QTest::keyClick(grid, Qt::Key_F2);
    QTest::keyClick(editor(), Qt::Key_Return, Qt::ShiftModifier);
    QVERIFY(at(ncol::NMin, 3));
    QTest::keyClick(editor(), Qt::Key_Up);
    QVERIFY(at(ncol::NMin, 2));
    QTest::keyClick(editor(), Qt::Key_Tab);
    QVERIFY(at(ncol::OrgVorjahr, 2));
    QTest::keyClick(editor(), Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(at(ncol::NMin, 2));
    QTest::keyClick(editor(), Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(at(ncol::NSollwert, 2));  // Zu-/Abschlag opens no editor
    QCOMPARE(hook_->Seen().size(), std::size_t{0});

    // The crop list: Escape closes it without a pick and without the question;
    // Tab closes it with the question and goes on to the yield expectation.
    ClickCell(grid, ncol::V, 5);
    QComboBox* list = CropList();
    QVERIFY(list->hasFocus());
    QTest::keyClick(list, Qt::Key_Escape);
    QVERIFY(!CropList());
    QCOMPARE(hook_->Seen().size(), std::size_t{0});
    QCOMPARE(NCell(ncol::BasisErtrag, 5), QStringLiteral("70"));
    ClickCell(grid, ncol::V, 5);
    hook_->AnswerButton(kNein);
    QTest::keyClick(CropList(), Qt::Key_Tab);
    QCOMPARE(hook_->Seen().size(), std::size_t{1});
    QVERIFY(!CropList());
    QVERIFY(at(ncol::Ertragserwartung, 5));
    QTRY_VERIFY(editor() && editor()->hasFocus());
}

// --- Errors -------------------------------------------------------------

void TestEditingWindow::conversionErrors() {
    kv4gui::WorksheetView* grid = Widget<kv4gui::WorksheetView>(*form_, "nView");
    N().SetCell(ncol::NBedarf, 3, "old");
    N().SetCell(ncol::ZuAbschlag, 5, "old");
    form_->WorksheetsChanged();

    // A correction that is not a number: the box, the text stays in the
    // cell, the editor stays open over it and nothing is recalculated.
    ClickCell(grid, ncol::Vorfrucht, 3);
    Retype(NEditor(), QStringLiteral("1-2"));
    auto updates = std::make_unique<ViewUpdates>(*form_);
    ClickCell(grid, ncol::Schlag, 1);
    QCOMPARE(hook_->Seen().size(), std::size_t{1});
    const kv4guitest::SeenDialog& box = hook_->Seen()[0];
    QCOMPARE(box.title, QStringLiteral("KV_D_Bedarf"));
    QCOMPARE(box.text, QStringLiteral("'1-2' ist kein gültiger Integerwert."));
    QCOMPARE(box.icon, static_cast<int>(QMessageBox::Critical));
    QCOMPARE(box.buttons, std::vector<QString>{QStringLiteral("OK")});
    QCOMPARE(NCell(ncol::Vorfrucht, 3), QStringLiteral("1-2"));
    CheckEditorOver(NEditor(), grid, ncol::Vorfrucht, 3);
    QCOMPARE(NCell(ncol::NBedarf, 8), QString());
    QCOMPARE(updates->n.count(), 1);  // the grid shows the text it keeps
    QCOMPARE(updates->p.count(), 0);
    QTRY_VERIFY(NEditor()->hasFocus());

    // Closed with Escape the cell keeps the text; the next pass stops at that
    // row: rows before it are done, the row has its adjustment but not its
    // requirement, later rows are as they were.
    QTest::keyClick(NEditor(), Qt::Key_Escape);
    QCOMPARE(NCell(ncol::Vorfrucht, 3), QStringLiteral("1-2"));
    updates = std::make_unique<ViewUpdates>(*form_);
    QTest::mouseClick(Widget<QPushButton>(*form_, "applyRatesButton"), Qt::LeftButton);
    QCOMPARE(hook_->Seen().size(), std::size_t{2});
    QCOMPARE(hook_->Seen()[1].text, QStringLiteral("'1-2' ist kein gültiger Integerwert."));
    QCOMPARE(NCell(ncol::NBedarf, 2), QStringLiteral("    0"));
    QCOMPARE(NCell(ncol::ZuAbschlag, 3), QStringLiteral("0"));
    QCOMPARE(NCell(ncol::NBedarf, 3), QStringLiteral("old"));
    QCOMPARE(NCell(ncol::ZuAbschlag, 5), QStringLiteral("old"));
    // The rows the pass did reach are shown.
    QCOMPARE(updates->n.count(), 1);
    QCOMPARE(updates->p.count(), 1);
    QTRY_VERIFY(form_->isActiveWindow());

    // A base yield that is not a number is carried over unchecked and
    // reported by the pass, which then stops at the first row of that crop.
    ClickCell(grid, ncol::Vorfrucht, 3);
    Retype(NEditor(), QStringLiteral("5"));
    ClickCell(grid, ncol::BasisErtrag, 2);
    QCOMPARE(NCell(ncol::Vorfrucht, 3), QStringLiteral("-5"));
    QCOMPARE(NCell(ncol::NBedarf, 3), QStringLiteral("   -5"));
    QCOMPARE(hook_->Seen().size(), std::size_t{2});
    Retype(NEditor(), QStringLiteral("-"));
    ClickCell(grid, ncol::Schlag, 7);
    QVERIFY(!NEditor());
    QCOMPARE(hook_->Seen().size(), std::size_t{3});
    QCOMPARE(hook_->Seen()[2].text, QStringLiteral("'-' ist kein gültiger Integerwert."));
    QCOMPARE(NColumn(ncol::BasisErtrag), (QStringList{"-", "-", "", "", "-", "-", "", ""}));
    QCOMPARE(NCell(ncol::NBedarf, 3), QStringLiteral("   -5"));  // not reached
    QTRY_VERIFY(form_->isActiveWindow());
}

void TestEditingWindow::correctionAfterErrorLandsInItsCell_data() {
    QTest::addColumn<bool>("p2o5");
    QTest::newRow("N-Min") << false;
    QTest::newRow("Gehalt") << true;
}

void TestEditingWindow::correctionAfterErrorLandsInItsCell() {
    // A refused value, then a click on another row: the box names the cell,
    // and the correction typed afterwards goes into that cell, not the clicked one.
    QFETCH(bool, p2o5);
    if (p2o5) ShowPWorksheet();
    WorksheetView* grid = Widget<WorksheetView>(*form_, p2o5 ? "p2o5View" : "nView");
    const auto edit = [this, p2o5] { return p2o5 ? PEditor() : NEditor(); };
    kv4::Worksheet& sheet = p2o5 ? P() : N();
    const int col = p2o5 ? pcol::Gehalt : ncol::NMin;
    sheet.SetCell(col, 4, "  -64");
    form_->WorksheetsChanged();

    ClickCell(grid, col, 2);
    Retype(edit(), QStringLiteral("999999999999"));
    ClickCell(grid, col, 4);
    QCOMPARE(hook_->Seen().size(), std::size_t{1});
    QCOMPARE(hook_->Seen()[0].text,
             QStringLiteral("'999999999999' ist kein gültiger Integerwert."));
    QCOMPARE(hook_->Seen()[0].detail, p2o5 ? QStringLiteral("Schlag „Schlag 2“, Spalte „Gehalt“")
                                           : QStringLiteral("Schlag „Schlag 2“, Spalte „N-Min“"));
    QTRY_COMPARE(grid->Row(), 2);
    QCOMPARE(grid->Col(), col);
    CheckEditorOver(edit(), grid, col, 2);
    QTRY_VERIFY(edit()->hasFocus());
    QCOMPARE(edit()->text(), QStringLiteral("999999999999"));

    edit()->selectAll();
    TypeText(edit(), QStringLiteral("30"));
    ClickCell(grid, p2o5 ? pcol::Schlag : ncol::Schlag, 5);
    QCOMPARE(hook_->Seen().size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(sheet.Cells(col, 2)).trimmed(),
             p2o5 ? QStringLiteral("30") : QStringLiteral("-30"));
    QCOMPARE(QString::fromStdString(sheet.Cells(col, 4)), QStringLiteral("  -64"));
}

// --- P2O5 worksheet -------------------------------------------------------

void TestEditingWindow::residueMark() {
    // Winterweizen A,B on row 1, without carrying it over.
    hook_->AnswerButton(kNein);
    ClickCell(Widget<kv4gui::WorksheetView>(*form_, "nView"), ncol::V, 1);
    PickWithKeyboard(kWheat);
    QTRY_VERIFY(!CropList());
    QTRY_VERIFY(form_->isActiveWindow());
    QCOMPARE(PCell(pcol::Entzug, 1), QStringLiteral("68"));

    ShowPWorksheet();
    kv4gui::WorksheetView* grid = Widget<kv4gui::WorksheetView>(*form_, "p2o5View");
    ClickCell(grid, pcol::Schlag, 4);
    QCOMPARE(Widget<kv4gui::WorksheetView>(*form_, "nView")->Row(), 4);
    const struct {
        int row;
        QString mark, removal;
    } clicks[] = {{1, "    X", "88"}, {1, "       ", "68"}, {1, "    X", "88"}, {2, "    X", "0"}};
    for (const auto& click : clicks) {
        ViewUpdates updates(*form_);
        ClickCell(grid, pcol::Erntereste, click.row);
        QCOMPARE(PCell(pcol::Erntereste, click.row), click.mark);
        QCOMPARE(PCell(pcol::Entzug, click.row), click.removal);
        QCOMPARE(Widget<kv4gui::WorksheetView>(*form_, "nView")->Row(), click.row);
        QCOMPARE(updates.p.count(), 1);
    }
    // The arrows pass over the mark; Space toggles it as a click does.
    ClickCell(grid, pcol::Ertragserwartung, 3);
    QTest::keyClick(grid, Qt::Key_Right);
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(grid->Col(), pcol::Erntereste);
    QCOMPARE(Widget<kv4gui::WorksheetView>(*form_, "nView")->Row(), 4);
    QCOMPARE(PCell(pcol::Erntereste, 3) + PCell(pcol::Erntereste, 4), QString());
    QTest::keyClick(grid, Qt::Key_Space);
    QCOMPARE(PCell(pcol::Erntereste, 4), QStringLiteral("    X"));
    // Every toggle recalculates both worksheets.
    QCOMPARE(NCell(ncol::NBedarf, 8), QStringLiteral("    0"));
    QVERIFY(!PEditor());
    QCOMPARE(hook_->Seen().size(), std::size_t{1});
}

void TestEditingWindow::contentAndRemoval() {
    ShowPWorksheet();
    kv4gui::WorksheetView* grid = Widget<kv4gui::WorksheetView>(*form_, "p2o5View");

    ClickCell(grid, pcol::Gehalt, 2);
    CheckEditorOver(PEditor(), grid, pcol::Gehalt, 2);
    QCOMPARE(PEditor()->text(), QStringLiteral("   8"));  // the content is not filtered
    QCOMPARE(Widget<kv4gui::WorksheetView>(*form_, "nView")->Row(), 2);
    Retype(PEditor(), QStringLiteral("12"));
    auto updates = std::make_unique<ViewUpdates>(*form_);
    ClickCell(grid, pcol::Klasse, 2);
    QCOMPARE(updates->p.count(), 1);
    QCOMPARE(updates->n.count(), 0);
    QCOMPARE(PCell(pcol::Gehalt, 2), QStringLiteral("12"));
    QCOMPARE(PCell(pcol::Klasse, 2), QStringLiteral("C"));
    // Nothing is recalculated.
    QVERIFY(!PEditor());
    QCOMPARE(PCell(pcol::Entzug, 2), QString());

    // An unknown soil type gives a blank class.
    P().SetCell(pcol::Bodenart, 3, "ls");
    form_->WorksheetsChanged();
    ClickCell(grid, pcol::Gehalt, 3);
    Retype(PEditor(), QStringLiteral(" 26"));
    ClickCell(grid, pcol::Schlag, 3);
    QCOMPARE(PCell(pcol::Klasse, 3), QStringLiteral(" "));

    // The removal: letters go at once; the typed value lasts until the next
    // recalculation, and the cell shows what the worksheet holds.
    ClickCell(grid, pcol::Entzug, 2);
    CheckEditorOver(PEditor(), grid, pcol::Entzug, 2);
    Retype(PEditor(), QStringLiteral("12a0"));
    QCOMPARE(PEditor()->text(), QStringLiteral("120"));
    updates = std::make_unique<ViewUpdates>(*form_);
    ClickCell(grid, pcol::Bodenart, 1);
    QCOMPARE(PCell(pcol::Entzug, 2), QStringLiteral("120"));
    QCOMPARE(updates->p.count(), 1);
    ClickCell(grid, pcol::Erntereste, 5);
    QCOMPARE(PCell(pcol::Entzug, 2), QStringLiteral("0"));
    QCOMPARE(grid->IndexOf(pcol::Entzug, 2).data().toString(), QStringLiteral("0"));
    QVERIFY(!PEditor());
    QVERIFY(hook_->Seen().empty());
}

void TestEditingWindow::contentNotANumber_data() {
    QTest::addColumn<QString>("typed");
    QTest::newRow("empty") << "";
    QTest::newRow("decimal comma") << "4,5";
    QTest::newRow("letters") << "zwölf";
    QTest::newRow("trailing blank") << "12 ";
}

void TestEditingWindow::contentNotANumber() {
    QFETCH(QString, typed);
    ShowPWorksheet();
    kv4gui::WorksheetView* grid = Widget<kv4gui::WorksheetView>(*form_, "p2o5View");
    ClickCell(grid, pcol::Gehalt, 1);
    Retype(PEditor(), typed);
    ViewUpdates updates(*form_);
    ClickCell(grid, pcol::Schlag, 2);
    QCOMPARE(updates.p.count(), 1);
    QCOMPARE(hook_->Seen().size(), std::size_t{1});
    QCOMPARE(hook_->Seen()[0].title, QStringLiteral("KV_D_Bedarf"));
    QCOMPARE(hook_->Seen()[0].text, "'" + typed + "' ist kein gültiger Integerwert.");
    QCOMPARE(PCell(pcol::Gehalt, 1), typed);
    QCOMPARE(PCell(pcol::Klasse, 1), QStringLiteral("B"));
    QCOMPARE(PCell(pcol::Entzug, 1), QString());  // no recalculation, not even a local one
    // The refused cell stays the current one, its editor open over it.
    CheckEditorOver(PEditor(), grid, pcol::Gehalt, 1);
    QCOMPARE(grid->Row(), 1);
    QTRY_VERIFY(form_->isActiveWindow());
}

void TestEditingWindow::remarkAndPFocusOrder() {
    ShowPWorksheet();
    kv4gui::WorksheetView* grid = Widget<kv4gui::WorksheetView>(*form_, "p2o5View");

    ClickCell(grid, pcol::Anmerkung, 4);
    CheckEditorOver(RemarkEditor(), grid, pcol::Anmerkung, 4);
    Retype(RemarkEditor(), QStringLiteral("Gülle 20 m³, 4,5 t"));
    // From the remark straight to the content of another row: the remark
    // goes to its own row, the content editor opens over the new cell.
    ViewUpdates updates(*form_);
    ClickCell(grid, pcol::Gehalt, 5);
    QCOMPARE(updates.p.count(), 1);
    QCOMPARE(PCell(pcol::Anmerkung, 4), QStringLiteral("Gülle 20 m³, 4,5 t"));
    QCOMPARE(PCell(pcol::Anmerkung, 5), QString());
    QVERIFY(!RemarkEditor());
    CheckEditorOver(PEditor(), grid, pcol::Gehalt, 5);
    Retype(PEditor(), QStringLiteral("26"));
    ClickCell(grid, pcol::Entzug, 6);
    QCOMPARE(PCell(pcol::Gehalt, 5), QStringLiteral("26"));
    QCOMPARE(PCell(pcol::Klasse, 5), QStringLiteral("E"));
    QCOMPARE(PCell(pcol::Gehalt, 6), QStringLiteral("   8"));
    CheckEditorOver(PEditor(), grid, pcol::Entzug, 6);
    QCOMPARE(Widget<kv4gui::WorksheetView>(*form_, "nView")->Row(), 6);

    // Columns that open nothing only move the rows.
    for (int c : {pcol::Schlag, pcol::Frucht, pcol::Ha, pcol::Ertragserwartung, pcol::Bodenart,
                  pcol::Klasse}) {
        ClickCell(grid, c, 7);
        QCOMPARE(Widget<kv4gui::WorksheetView>(*form_, "nView")->Row(), 7);
        QVERIFY(!PEditor() && !RemarkEditor());
        ClickCell(grid, c, 2);
        QCOMPARE(Widget<kv4gui::WorksheetView>(*form_, "nView")->Row(), 2);
    }
    QCOMPARE(PCell(pcol::Entzug, 6), QString());  // the editor was left unchanged
    QVERIFY(hook_->Seen().empty());

    // "N" takes an open editor's text before the switch closes it.
    ClickCell(grid, pcol::Anmerkung, 3);
    TypeText(RemarkEditor(), QStringLiteral("x"));
    QTest::mouseClick(Widget<QPushButton>(*form_, "nButton"), Qt::LeftButton);
    QVERIFY(!RemarkEditor());
    QCOMPARE(PCell(pcol::Anmerkung, 3), QStringLiteral("x"));
}

QTEST_MAIN(TestEditingWindow)
#include "test_MainWindow_Edit.moc"
