// The main window: its controls, the worksheet layout, the switch between
// the worksheets and the standard message boxes.
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <map>
#include <memory>
#include <stdexcept>

#include "app/MainWindow.h"
#include "app/WorksheetView.h"
#include "dialogs/ModalDialogs.h"
#include "guisupport/GuiTestSupport.h"
#include "reference/CropTable.h"
#include "worksheets/NumberFormat.h"

using kv4guitest::ScopedModalHook;
using kv4guitest::Widget;

class TestMainWindow : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void caption();
    void controls_data();
    void controls();
    void focusPolicies();
    void fontAndBoldLabels();
    void columnWidths_data();
    void columnWidths();
    void headingsAndRowCounts();
    void nWorksheetBeforeFirstSwitch();
    void viewSwitchWithClicks();
    void switchClosesEditors();
    void windowSizes_data();
    void windowSizes();
    void cropList();
    void panelBoxesAreTypable();
    void worksheetsChangedUpdatesBothGrids();
    void standardErrorBox_data();
    void standardErrorBox();
    void errorBoxAndConfirmation();

  private:
    std::map<QString, QWidget*> Members() const;

    std::unique_ptr<ScopedModalHook> hook_;
    std::unique_ptr<kv4::Worksheets> sheets_;  // outlives the window
    std::unique_ptr<kv4gui::MainWindow> form_;
};

void TestMainWindow::init() {
    // Whatever the start-up may open is answered; the tests fill nothing.
    hook_ = std::make_unique<ScopedModalHook>();
    sheets_ = std::make_unique<kv4::Worksheets>();
    form_ = std::make_unique<kv4gui::MainWindow>(*sheets_);
    QVERIFY(kv4guitest::ShowActive(*form_));
    QCOMPARE(form_->size(), QSize(1091, 657));
}

void TestMainWindow::cleanup() {
    form_.reset();
    hook_.reset();
}

std::map<QString, QWidget*> TestMainWindow::Members() const {
    kv4gui::MainWindow& f = *form_;
    return {{"headerStrip", Widget<QFrame>(f, "headerStrip")},
            {"farmNameLabel", Widget<QLabel>(f, "farmNameLabel")},
            {"farmNameEdit", Widget<QLineEdit>(f, "farmNameEdit")},
            {"farmNumberLabel", Widget<QLabel>(f, "farmNumberLabel")},
            {"farmNumberEdit", Widget<QLineEdit>(f, "farmNumberEdit")},
            {"dateLabel", Widget<QLabel>(f, "dateLabel")},
            {"dateEdit", Widget<QLineEdit>(f, "dateEdit")},
            {"buttonStrip", Widget<QFrame>(f, "buttonStrip")},
            {"nButton", Widget<QPushButton>(f, "nButton")},
            {"p2o5Button", Widget<QPushButton>(f, "p2o5Button")},
            {"printButton", Widget<QPushButton>(f, "printButton")},
            {"ratesPanel", Widget<QFrame>(f, "ratesPanel")},
            {"yieldStepLabel", Widget<QLabel>(f, "yieldStepLabel")},
            {"yieldStepEdit", Widget<QLineEdit>(f, "yieldStepEdit")},
            {"yieldStepUnitLabel", Widget<QLabel>(f, "yieldStepUnitLabel")},
            {"surchargeLabel", Widget<QLabel>(f, "surchargeLabel")},
            {"surchargeEdit", Widget<QLineEdit>(f, "surchargeEdit")},
            {"surchargeUnitLabel", Widget<QLabel>(f, "surchargeUnitLabel")},
            {"deductionLabel", Widget<QLabel>(f, "deductionLabel")},
            {"deductionEdit", Widget<QLineEdit>(f, "deductionEdit")},
            {"deductionUnitLabel", Widget<QLabel>(f, "deductionUnitLabel")},
            {"applyRatesButton", Widget<QPushButton>(f, "applyRatesButton")},
            {"p2o5View", Widget<kv4gui::WorksheetView>(f, "p2o5View")},
            {"nView", Widget<kv4gui::WorksheetView>(f, "nView")}};
}

void TestMainWindow::caption() {
    QCOMPARE(form_->windowTitle(), QStringLiteral("Kornavis 4 Düngerbedarfsermittlung  V0.90"));
}

void TestMainWindow::controls_data() {
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("visible");

    auto row = [](const char* name, const char* parent, const char* text, bool visible = true) {
        QTest::newRow(name) << QString::fromLatin1(parent) << QString::fromUtf8(text) << visible;
    };
    row("headerStrip", "mainWindow", "");
    row("farmNameLabel", "headerStrip", "Betrieb:");
    row("farmNameEdit", "headerStrip", "");
    row("farmNumberLabel", "headerStrip", "Betriebsnummer");
    row("farmNumberEdit", "headerStrip", "");
    row("dateLabel", "headerStrip", "Datum");
    row("dateEdit", "headerStrip", "");
    row("buttonStrip", "mainWindow", "");
    row("nButton", "buttonStrip", "N");
    row("p2o5Button", "buttonStrip", "P2O5");
    row("printButton", "buttonStrip", "Drucken");
    row("ratesPanel", "buttonStrip", "");
    row("yieldStepLabel", "ratesPanel", "je ");
    row("yieldStepEdit", "ratesPanel", "0");
    row("yieldStepUnitLabel", "ratesPanel", "dt");
    row("surchargeLabel", "ratesPanel", "Mehrertrag   + ");
    row("surchargeEdit", "ratesPanel", "0");
    row("surchargeUnitLabel", "ratesPanel", "kg N");
    row("deductionLabel", "ratesPanel", "Minderertrag  -");
    row("deductionEdit", "ratesPanel", "0");
    row("deductionUnitLabel", "ratesPanel", "kg N");
    row("applyRatesButton", "ratesPanel", "Übernehmen");
    row("p2o5View", "worksheets", "", false);
    row("nView", "worksheets", "");
}

void TestMainWindow::controls() {
    QFETCH(QString, parent);
    QFETCH(QString, text);
    QFETCH(bool, visible);
    const QString name = QString::fromLatin1(QTest::currentDataTag());

    auto* widget = form_->findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(widget, Members().at(name));
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    QCOMPARE(widget->isVisible(), visible);

    if (auto* label = qobject_cast<QLabel*>(widget)) QCOMPARE(label->text(), text);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) QCOMPARE(edit->text(), text);
    if (auto* button = qobject_cast<QPushButton*>(widget)) QCOMPARE(button->text(), text);
}

void TestMainWindow::focusPolicies() {
    // Tab and a click both reach the header, the worksheets, the buttons and
    // the rate boxes; a click on a box still focuses it.
    for (const char* name : {"farmNameEdit", "farmNumberEdit", "dateEdit", "nView", "p2o5View",
                             "nButton", "p2o5Button", "printButton", "yieldStepEdit",
                             "surchargeEdit", "deductionEdit", "applyRatesButton"}) {
        QWidget* w = Widget(*form_, name);
        QVERIFY2((w->focusPolicy() & Qt::StrongFocus) == Qt::StrongFocus, name);
    }
    for (const char* name : {"farmNameEdit", "farmNumberEdit", "yieldStepEdit"}) {
        QTest::mouseClick(Widget(*form_, name), Qt::LeftButton);
        QVERIFY2(Widget(*form_, name)->hasFocus(), name);
    }
}

void TestMainWindow::fontAndBoldLabels() {
    QCOMPARE(form_->font().pointSize(), 10);
    for (QLabel* label :
         {Widget<QLabel>(*form_, "yieldStepLabel"), Widget<QLabel>(*form_, "surchargeLabel"),
          Widget<QLabel>(*form_, "yieldStepUnitLabel"), Widget<QLabel>(*form_, "deductionLabel"),
          Widget<QLabel>(*form_, "surchargeUnitLabel"),
          Widget<QLabel>(*form_, "deductionUnitLabel")})
        QVERIFY2(label->font().bold(), qPrintable(label->objectName()));
    for (QLabel* label :
         {Widget<QLabel>(*form_, "farmNameLabel"), Widget<QLabel>(*form_, "farmNumberLabel"),
          Widget<QLabel>(*form_, "dateLabel")})
        QVERIFY2(!label->font().bold(), qPrintable(label->objectName()));
}

void TestMainWindow::columnWidths_data() {
    QTest::addColumn<bool>("nSheet");
    QTest::addColumn<QList<int>>("widths");
    QTest::newRow("N") << true << QList<int>{133, 142, 64, 59, 19, 64, 64, 64,
                                             64,  64,  64, 64, 64, 20, 20, 20};
    QTest::newRow("P2O5") << false << QList<int>{133, 142, 64, 64, 64, 64, 64, 64, 64, 270, 0, 0};
}

void TestMainWindow::columnWidths() {
    QFETCH(bool, nSheet);
    QFETCH(QList<int>, widths);
    kv4gui::WorksheetView* grid = nSheet ? Widget<kv4gui::WorksheetView>(*form_, "nView")
                                         : Widget<kv4gui::WorksheetView>(*form_, "p2o5View");
    QCOMPARE(grid->ColCount(), widths.size());
    const QFontMetrics metrics = grid->horizontalHeader()->fontMetrics();
    for (int c = 0; c < widths.size(); ++c) {
        QCOMPARE(grid->isColumnHidden(c), widths[c] == 0);
        if (widths[c] == 0) continue;
        // Never narrower than designed, and the whole heading readable.
        const QString heading = grid->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE_GE(grid->ColWidth(c), widths[c]);
        QCOMPARE_GE(grid->ColWidth(c), metrics.horizontalAdvance(heading));
        QCOMPARE(grid->CellRect(c, 1).width(), grid->ColWidth(c));
        QCOMPARE(grid->CellRect(c, 1).height(), 24);
    }
}

void TestMainWindow::headingsAndRowCounts() {
    const QStringList n = {"Schlag",
                           "Frucht",
                           "ha",
                           "BasisErtrag",
                           "",
                           "Ertragserwartung",
                           "N-Sollwert",
                           "Zu-/Abschlag",
                           "N-Min",
                           "Humus",
                           "org-Vorjahr",
                           "Vorfrucht",
                           "N-Bedarf",
                           "",
                           "",
                           ""};
    const QStringList p = {"Schlag",     "Frucht",    "ha",       "Ertragserwartung",
                           "Erntereste", "Gehalt",    "Bodenart", "Klasse",
                           "Entzug",     "Anmerkung", "",         ""};
    QCOMPARE(Widget<kv4gui::WorksheetView>(*form_, "nView")->RowCount(), 2);
    QCOMPARE(Widget<kv4gui::WorksheetView>(*form_, "p2o5View")->RowCount(), 5);
    QCOMPARE(form_->NSheet().RowCount(), 2);
    QCOMPARE(form_->PSheet().RowCount(), 5);
    const QAbstractItemModel* nModel = Widget<kv4gui::WorksheetView>(*form_, "nView")->model();
    const QAbstractItemModel* pModel = Widget<kv4gui::WorksheetView>(*form_, "p2o5View")->model();
    for (int c = 0; c < n.size(); ++c)
        QCOMPARE(nModel->headerData(c, Qt::Horizontal).toString(), n[c]);
    for (int c = 0; c < p.size(); ++c)
        QCOMPARE(pModel->headerData(c, Qt::Horizontal).toString(), p[c]);
    // The body is empty until the worksheets are filled.
    for (int r = 1; r < 5; ++r)
        for (int c = 0; c < p.size(); ++c) QVERIFY(form_->PSheet().Cells(c, r).empty());
}

void TestMainWindow::nWorksheetBeforeFirstSwitch() {
    QVERIFY(Widget<kv4gui::WorksheetView>(*form_, "nView")->isVisible());
    QVERIFY(!Widget<kv4gui::WorksheetView>(*form_, "p2o5View")->isVisible());
    QVERIFY(Widget<QFrame>(*form_, "ratesPanel")->isVisible());
    // No editor is open before a cell is chosen.
    for (const char* editor : {"nCellEditor", "p2o5CellEditor", "remarkEditor", "cropChooser"})
        QVERIFY2(!kv4guitest::OpenEditor(*form_, editor), editor);
}

void TestMainWindow::viewSwitchWithClicks() {
    QWidget* stack = Widget<QWidget>(*form_, "worksheets");
    QTest::mouseClick(Widget<QPushButton>(*form_, "p2o5Button"), Qt::LeftButton);
    QVERIFY(!Widget<kv4gui::WorksheetView>(*form_, "nView")->isVisible());
    QVERIFY(Widget<kv4gui::WorksheetView>(*form_, "p2o5View")->isVisible());
    QCOMPARE(Widget<kv4gui::WorksheetView>(*form_, "p2o5View")->geometry(), stack->rect());
    QVERIFY(!Widget<QFrame>(*form_, "ratesPanel")->isVisible());

    QTest::mouseClick(Widget<QPushButton>(*form_, "nButton"), Qt::LeftButton);
    QVERIFY(Widget<kv4gui::WorksheetView>(*form_, "nView")->isVisible());
    QVERIFY(!Widget<kv4gui::WorksheetView>(*form_, "p2o5View")->isVisible());
    QCOMPARE(Widget<kv4gui::WorksheetView>(*form_, "nView")->geometry(), stack->rect());
    QVERIFY(Widget<QFrame>(*form_, "ratesPanel")->isVisible());
}

void TestMainWindow::switchClosesEditors() {
    // Each editor opens over its cell, on top of the worksheet, and the
    // switch to the other worksheet closes it (leaving it takes its value).
    auto* n = Widget<kv4gui::WorksheetView>(*form_, "nView");
    auto* p = Widget<kv4gui::WorksheetView>(*form_, "p2o5View");
    const struct {
        kv4gui::WorksheetView* view;
        int col;
        const char* editor;
        const char* otherButton;
    } editors[] = {{n, kv4::ncol::NMin, "nCellEditor", "p2o5Button"},
                   {n, kv4::ncol::V, "cropChooser", "p2o5Button"},
                   {p, kv4::pcol::Entzug, "p2o5CellEditor", "nButton"},
                   {p, kv4::pcol::Anmerkung, "remarkEditor", "nButton"}};
    for (const auto& e : editors) {
        QTest::mouseClick(Widget<QPushButton>(*form_, e.view == n ? "nButton" : "p2o5Button"),
                          Qt::LeftButton);
        kv4guitest::ClickCell(e.view, e.col, 1);
        QWidget* editor = kv4guitest::OpenEditor(*form_, e.editor);
        QVERIFY2(editor != nullptr, e.editor);
        const QPoint centre =
            e.view->viewport()->mapTo(form_.get(), e.view->CellRect(e.col, 1).center());
        QWidget* top = form_->childAt(centre);
        QVERIFY2(top == editor || editor->isAncestorOf(top), e.editor);
        hook_->AnswerButton(QStringLiteral("&Nein"));  // the crop list's question
        QTest::mouseClick(Widget<QPushButton>(*form_, e.otherButton), Qt::LeftButton);
        QVERIFY2(!kv4guitest::OpenEditor(*form_, e.editor), e.editor);
        QTRY_VERIFY(form_->isActiveWindow());
    }
}

void TestMainWindow::windowSizes_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("small screen") << QSize(1024, 600);
    QTest::newRow("designed") << QSize(1091, 657);
    QTest::newRow("wide screen") << QSize(1920, 1040);
}

void TestMainWindow::windowSizes() {
    // Nothing is cut off at any of these sizes, and the worksheet takes the
    // whole width and what height the strips leave.
    QFETCH(QSize, size);
    form_->resize(size);
    QTRY_COMPARE(form_->size(), size);
    for (QWidget* widget : form_->findChildren<QWidget*>()) {
        if (!widget->isVisible() || widget->isWindow()) continue;
        const QRect inWindow(widget->mapTo(form_.get(), QPoint(0, 0)), widget->size());
        QVERIFY2(form_->rect().contains(inWindow), qPrintable(widget->objectName()));
    }
    for (const char* name : {"nView", "p2o5View"}) {
        QTest::mouseClick(
            Widget<QPushButton>(*form_, name == std::string("nView") ? "nButton" : "p2o5Button"),
            Qt::LeftButton);
        auto* view = Widget<kv4gui::WorksheetView>(*form_, name);
        QCOMPARE(view->width(), size.width());
        QCOMPARE(view->height(), size.height() - Widget<QFrame>(*form_, "headerStrip")->height() -
                                     Widget<QFrame>(*form_, "buttonStrip")->height());
    }
}

void TestMainWindow::cropList() {
    kv4guitest::ClickCell(Widget<kv4gui::WorksheetView>(*form_, "nView"), kv4::ncol::V, 1);
    QComboBox* list = kv4guitest::OpenEditor<QComboBox>(*form_, "cropChooser");
    QVERIFY(list != nullptr);
    QCOMPARE(list->count(), 16);
    QCOMPARE(list->itemText(0), QStringLiteral("Winterweizen A,B"));
    QCOMPARE(list->itemText(15), QStringLiteral("Zuckerrüben"));
    for (int i = 0; i < kv4::kCropCount; ++i)
        QCOMPARE(list->itemText(i).toStdString(), std::string(kv4::CropTable[i].Name));
    QVERIFY(list->isEditable());
    QCOMPARE(list->currentIndex(), -1);

    // Typed text never becomes an item.
    QTest::keyClicks(list, "Erbsen");
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(list->count(), 16);
    QCOMPARE(list->findText(QStringLiteral("Erbsen")), -1);
}

void TestMainWindow::panelBoxesAreTypable() {
    QTest::mouseClick(Widget<QPushButton>(*form_, "nButton"), Qt::LeftButton);
    QTest::mouseClick(Widget<QLineEdit>(*form_, "surchargeEdit"), Qt::LeftButton);
    QVERIFY(Widget<QLineEdit>(*form_, "surchargeEdit")->hasFocus());
    Widget<QLineEdit>(*form_, "surchargeEdit")->selectAll();
    QTest::keyClicks(Widget<QLineEdit>(*form_, "surchargeEdit"), "1x0");
    // No character filter on the panel boxes.
    QCOMPARE(Widget<QLineEdit>(*form_, "surchargeEdit")->text(), QStringLiteral("1x0"));
}

void TestMainWindow::worksheetsChangedUpdatesBothGrids() {
    form_->NSheet().SetRowCount(4);
    form_->PSheet().SetRowCount(4);
    form_->NSheet().SetCell(0, 1, "Acker 1");
    form_->PSheet().SetCell(0, 1, "Acker 1");
    form_->WorksheetsChanged();
    QCOMPARE(Widget<kv4gui::WorksheetView>(*form_, "nView")->RowCount(), 4);
    QCOMPARE(Widget<kv4gui::WorksheetView>(*form_, "p2o5View")->RowCount(), 4);
    QCOMPARE(Widget<kv4gui::WorksheetView>(*form_, "nView")->IndexOf(0, 1).data().toString(),
             QStringLiteral("Acker 1"));
    QCOMPARE(Widget<kv4gui::WorksheetView>(*form_, "p2o5View")->IndexOf(0, 1).data().toString(),
             QStringLiteral("Acker 1"));
}

void TestMainWindow::standardErrorBox_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "Datei nicht gefunden"
                            << "Datei nicht gefunden.";
    QTest::newRow("digit") << "Fehler 5"
                           << "Fehler 5.";
    QTest::newRow("umlaut") << "Zuckerrüben"
                            << "Zuckerrüben.";
    QTest::newRow("stop") << "Ende."
                          << "Ende.";
    QTest::newRow("bang") << "Achtung!"
                          << "Achtung!";
    QTest::newRow("paren") << "Wert (x)"
                           << "Wert (x)";
    QTest::newRow("blank") << "Wert "
                           << "Wert ";
    QTest::newRow("markup") << "<b>fett</b>"
                            << "<b>fett</b>.";
}

void TestMainWindow::standardErrorBox() {
    QFETCH(QString, message);
    QFETCH(QString, shown);
    bool after = false;
    form_->Guarded([&] { throw std::runtime_error(message.toStdString()); });
    form_->Guarded([&] { after = true; });  // the program goes on
    QVERIFY(after);

    QCOMPARE(hook_->Seen().size(), std::size_t{1});
    const kv4guitest::SeenDialog& box = hook_->Seen().front();
    QCOMPARE(box.className, QStringLiteral("QMessageBox"));
    QCOMPARE(box.title, QStringLiteral("KV_D_Bedarf"));
    QCOMPARE(box.text, shown);
    QCOMPARE(box.icon, static_cast<int>(QMessageBox::Critical));
    QCOMPARE(box.buttons, std::vector<QString>{QStringLiteral("OK")});
    QCOMPARE(box.answer, QStringLiteral("OK"));
    // Activation goes back to the window, as after a real modal box.
    QTRY_VERIFY(form_->isActiveWindow());
}

void TestMainWindow::errorBoxAndConfirmation() {
    Qt::TextFormat format = Qt::AutoText;
    hook_->Respond([&format](QDialog& dialog) {
        // Texts carry file names and typed values: never read as markup.
        format = static_cast<QMessageBox&>(dialog).textFormat();
        return kv4guitest::PressButton(dialog, QStringLiteral("OK"));
    });
    form_->Guarded([] { kv4::StrToInt("4,5"); });
    QCOMPARE(format, Qt::PlainText);
    kv4gui::ShowErrorMessage(form_.get(), "Es sind keine Schläge für 2018 vorhanden.");
    hook_->AnswerButton(QStringLiteral("&Nein"));
    const bool no = kv4gui::AskConfirmation(form_.get(), "Frage?");
    hook_->AnswerButton(QStringLiteral("&Ja"));
    const bool yes = kv4gui::AskConfirmation(form_.get(), "Frage?");
    const bool byDefault = kv4gui::AskConfirmation(form_.get(), "Frage?");
    QVERIFY(!no);
    QVERIFY(yes);
    QVERIFY(byDefault);  // "&Ja" is the default button

    const auto& seen = hook_->Seen();
    QCOMPARE(seen.size(), std::size_t{5});
    QCOMPARE(seen[0].text, QStringLiteral("'4,5' ist kein gültiger Integerwert."));
    QCOMPARE(seen[0].title, QStringLiteral("KV_D_Bedarf"));
    QCOMPARE(seen[1].title, QStringLiteral("Fehler"));
    QCOMPARE(seen[1].text, QStringLiteral("Es sind keine Schläge für 2018 vorhanden."));
    QCOMPARE(seen[1].buttons, std::vector<QString>{QStringLiteral("OK")});
    QCOMPARE(seen[1].icon, static_cast<int>(QMessageBox::Critical));
    QCOMPARE(seen[2].title, QStringLiteral("Bestätigung"));
    QCOMPARE(seen[2].icon, static_cast<int>(QMessageBox::Question));
    QCOMPARE(seen[2].buttons,
             (std::vector<QString>{QStringLiteral("&Ja"), QStringLiteral("&Nein")}));
    QCOMPARE(seen[2].answer, QStringLiteral("&Nein"));
    QCOMPARE(seen[3].answer, QStringLiteral("&Ja"));
    QCOMPARE(seen[4].answer, QStringLiteral("&Ja"));
}

QTEST_MAIN(TestMainWindow)
#include "test_MainWindow.moc"
