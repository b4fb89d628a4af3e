// The main window: its controls, the worksheet layout, the switch between
// the worksheets and the standard message boxes.
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <map>
#include <memory>
#include <stdexcept>

#include "app/StringGrid.h"
#include "app/UKV4_N_Bedarf.h"
#include "dialogs/Seams.h"
#include "guisupport/GuiTestSupport.h"
#include "reference/CropTable.h"
#include "worksheets/NumberFormat.h"

using kv4guitest::ScopedModalHook;

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
    void designPlacesBeforeFirstSwitch();
    void viewSwitchWithClicks();
    void switchHidesEditors();
    void editorsLieAboveTheGrid();
    void gridFollowsWindowSize();
    void cropList();
    void cropListTakesNoTypedItems();
    void panelBoxesAreTypable();
    void worksheetsChangedUpdatesBothGrids();
    void standardErrorBox_data();
    void standardErrorBox();
    void errorBoxAndConfirmation();

  private:
    std::map<QString, QWidget*> Members() const;

    std::unique_ptr<ScopedModalHook> hook_;
    std::unique_ptr<TForm1> form_;
};

void TestMainWindow::init() {
    // Whatever the start-up may open is answered; the tests fill nothing.
    hook_ = std::make_unique<ScopedModalHook>();
    form_ = std::make_unique<TForm1>(nullptr, TForm1::StartUp::Manual);
    QVERIFY(kv4guitest::ShowActive(*form_));
    QCOMPARE(form_->size(), QSize(1091, 657));
}

void TestMainWindow::cleanup() {
    form_.reset();
    hook_.reset();
}

std::map<QString, QWidget*> TestMainWindow::Members() const {
    TForm1& f = *form_;
    return {{"Panel2", f.Panel2},
            {"Label7", f.Label7},
            {"ED_Betriebsname", f.ED_Betriebsname},
            {"Label8", f.Label8},
            {"ED_Betriebsnummer", f.ED_Betriebsnummer},
            {"Label9", f.Label9},
            {"ED_Datum", f.ED_Datum},
            {"Panel1", f.Panel1},
            {"Button3", f.Button3},
            {"Button4", f.Button4},
            {"Btn_Print", f.Btn_Print},
            {"Panel3", f.Panel3},
            {"Label1", f.Label1},
            {"Edit3", f.Edit3},
            {"Label3", f.Label3},
            {"Label2", f.Label2},
            {"Edit4", f.Edit4},
            {"Label5", f.Label5},
            {"Label4", f.Label4},
            {"Edit5", f.Edit5},
            {"Label6", f.Label6},
            {"Button2", f.Button2},
            {"StringGrid2", f.StringGrid2},
            {"StringGrid1", f.StringGrid1},
            {"EditN", f.EditN},
            {"EditP", f.EditP},
            {"ComboBox2", f.ComboBox2},
            {"EditT", f.EditT}};
}

void TestMainWindow::caption() {
    QCOMPARE(form_->windowTitle(), QStringLiteral("Kornavis 4 Düngerbedarfsermittlung  V0.90"));
}

void TestMainWindow::controls_data() {
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("place");  // width -1: a label sized by its text
    QTest::addColumn<bool>("visible");

    auto row = [](const char* name, const char* parent, const char* text, QRect place,
                  bool visible = true) {
        QTest::newRow(name) << QString::fromLatin1(parent) << QString::fromUtf8(text) << place
                            << visible;
    };
    const QRect label(0, 0, -1, 0);
    row("Panel2", "Form1", "", QRect(0, 0, 1091, 57));
    row("Label7", "Panel2", "Betrieb:", label.translated(88, 16));
    row("ED_Betriebsname", "Panel2", "", QRect(144, 16, 185, 24));
    row("Label8", "Panel2", "Betriebsnummer", label.translated(352, 16));
    row("ED_Betriebsnummer", "Panel2", "", QRect(464, 16, 153, 24));
    row("Label9", "Panel2", "Datum", label.translated(712, 16));
    row("ED_Datum", "Panel2", "", QRect(784, 16, 89, 24));
    row("Panel1", "Form1", "", QRect(0, 657 - 90, 1091, 90));
    row("Button3", "Panel1", "N", QRect(0, 1, 65, 25));
    row("Button4", "Panel1", "P2O5", QRect(64, 1, 65, 25));
    row("Btn_Print", "Panel1", "Drucken", QRect(24, 40, 75, 25));
    row("Panel3", "Panel1", "", QRect(288, 0, 777, 89));
    row("Label1", "Panel3", "je ", label.translated(16, 48));
    row("Edit3", "Panel3", "0", QRect(40, 48, 49, 24));
    row("Label3", "Panel3", "dt", label.translated(96, 48));
    row("Label2", "Panel3", "Mehrertrag   + ", label.translated(160, 48));
    row("Edit4", "Panel3", "0", QRect(264, 48, 41, 24));
    row("Label5", "Panel3", "kg N", label.translated(320, 48));
    row("Label4", "Panel3", "Minderertrag  -", label.translated(424, 48));
    row("Edit5", "Panel3", "0", QRect(536, 48, 49, 24));
    row("Label6", "Panel3", "kg N", label.translated(592, 48));
    row("Button2", "Panel3", "Übernehmen", QRect(640, 40, 113, 25));
    row("StringGrid2", "Form1", "", QRect(0, 132, 1065, 197));
    row("StringGrid1", "Form1", "", QRect(8, 177, 1057, 256));
    row("EditN", "Form1", "", QRect(184, 498, 121, 24), false);
    row("EditP", "Form1", "", QRect(344, 498, 121, 24), false);
    row("ComboBox2", "Form1", "", QRect(496, 496, 169, 24), false);
    row("EditT", "Form1", "", QRect(712, 496, 217, 24));
}

void TestMainWindow::controls() {
    QFETCH(QString, parent);
    QFETCH(QString, text);
    QFETCH(QRect, place);
    QFETCH(bool, visible);
    const QString name = QString::fromLatin1(QTest::currentDataTag());

    auto* widget = form_->findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(widget, Members().at(name));
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    if (place.width() < 0)
        QCOMPARE(widget->pos(), place.topLeft());
    else
        QCOMPARE(widget->geometry(), place);
    QCOMPARE(widget->isVisible(), visible);

    if (auto* label = qobject_cast<QLabel*>(widget)) QCOMPARE(label->text(), text);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) QCOMPARE(edit->text(), text);
    if (auto* button = qobject_cast<QPushButton*>(widget)) QCOMPARE(button->text(), text);
}

void TestMainWindow::focusPolicies() {
    // No tab stop, but a click still focuses them.
    for (QWidget* w :
         {static_cast<QWidget*>(form_->ED_Betriebsname),
          static_cast<QWidget*>(form_->ED_Betriebsnummer), static_cast<QWidget*>(form_->Btn_Print),
          static_cast<QWidget*>(form_->StringGrid1), static_cast<QWidget*>(form_->Edit3),
          static_cast<QWidget*>(form_->Edit4), static_cast<QWidget*>(form_->Edit5)})
        QVERIFY2(w->focusPolicy() == Qt::ClickFocus, qPrintable(w->objectName()));
    for (QWidget* w :
         {static_cast<QWidget*>(form_->ED_Datum), static_cast<QWidget*>(form_->StringGrid2),
          static_cast<QWidget*>(form_->EditN), static_cast<QWidget*>(form_->EditT)})
        QVERIFY2(w->focusPolicy() & Qt::TabFocus, qPrintable(w->objectName()));
}

void TestMainWindow::fontAndBoldLabels() {
    QCOMPARE(form_->font().pointSize(), 10);
    for (QLabel* label :
         {form_->Label1, form_->Label2, form_->Label3, form_->Label4, form_->Label5, form_->Label6})
        QVERIFY2(label->font().bold(), qPrintable(label->objectName()));
    for (QLabel* label : {form_->Label7, form_->Label8, form_->Label9})
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
    kv4gui::TStringGrid* grid = nSheet ? form_->StringGrid1 : form_->StringGrid2;
    QCOMPARE(grid->ColCount(), widths.size());
    for (int c = 0; c < widths.size(); ++c) {
        QCOMPARE(grid->ColWidth(c), widths[c]);
        QCOMPARE(grid->isColumnHidden(c), widths[c] == 0);
        if (widths[c] > 0) {
            QCOMPARE(grid->CellRect(c, 1).width(), widths[c]);
            QCOMPARE(grid->CellRect(c, 1).height(), 24);
        }
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
    QCOMPARE(form_->StringGrid1->RowCount(), 2);
    QCOMPARE(form_->StringGrid2->RowCount(), 5);
    QCOMPARE(form_->NSheet().RowCount(), 2);
    QCOMPARE(form_->PSheet().RowCount(), 5);
    for (int c = 0; c < n.size(); ++c)
        QCOMPARE(form_->StringGrid1->model()->index(0, c).data().toString(), n[c]);
    for (int c = 0; c < p.size(); ++c)
        QCOMPARE(form_->StringGrid2->model()->index(0, c).data().toString(), p[c]);
    // The body is empty until the worksheets are filled.
    for (int r = 1; r < 5; ++r)
        for (int c = 0; c < p.size(); ++c) QVERIFY(form_->PSheet().Cells(c, r).empty());
}

void TestMainWindow::designPlacesBeforeFirstSwitch() {
    // Without start-up both grids overlap at their design places; the N
    // worksheet lies above the P2O5 one.
    QVERIFY(form_->StringGrid1->isVisible());
    QVERIFY(form_->StringGrid2->isVisible());
    QVERIFY(form_->Panel3->isVisible());
    QVERIFY(form_->EditT->isVisible());
    const QPoint overlap(500, 300);
    QWidget* top = form_->childAt(overlap);
    QVERIFY(top);
    QVERIFY(top == form_->StringGrid1 || form_->StringGrid1->isAncestorOf(top));
}

void TestMainWindow::viewSwitchWithClicks() {
    const QRect between(0, 57, 1091, 657 - 57 - 90);
    QTest::mouseClick(form_->Button4, Qt::LeftButton);
    QVERIFY(!form_->StringGrid1->isVisible());
    QVERIFY(form_->StringGrid2->isVisible());
    QCOMPARE(form_->StringGrid2->geometry(), between);
    QVERIFY(!form_->Panel3->isVisible());

    QTest::mouseClick(form_->Button3, Qt::LeftButton);
    QVERIFY(form_->StringGrid1->isVisible());
    QVERIFY(!form_->StringGrid2->isVisible());
    QCOMPARE(form_->StringGrid1->geometry(), between);
    QVERIFY(form_->Panel3->isVisible());
    QVERIFY(!form_->EditT->isVisible());
    QVERIFY(!form_->EditP->isVisible());

    // And back: the P2O5 worksheet fills the same area again.
    QTest::mouseClick(form_->Button4, Qt::LeftButton);
    QCOMPARE(form_->StringGrid2->geometry(), between);
    QVERIFY(form_->StringGrid2->isVisible());
}

void TestMainWindow::switchHidesEditors() {
    for (QWidget* w : {static_cast<QWidget*>(form_->EditN), static_cast<QWidget*>(form_->EditP),
                       static_cast<QWidget*>(form_->EditT)})
        w->show();
    form_->ComboBox2->show();

    QTest::mouseClick(form_->Button3, Qt::LeftButton);
    QVERIFY(!form_->EditP->isVisible());
    QVERIFY(!form_->EditT->isVisible());
    QVERIFY(form_->EditN->isVisible());

    QTest::mouseClick(form_->Button4, Qt::LeftButton);
    QVERIFY(!form_->EditN->isVisible());
    // The crop list hides itself on losing the focus, not by the switch.
    QVERIFY(form_->ComboBox2->isVisible());
}

void TestMainWindow::editorsLieAboveTheGrid() {
    QTest::mouseClick(form_->Button3, Qt::LeftButton);
    for (QWidget* editor :
         {static_cast<QWidget*>(form_->EditN), static_cast<QWidget*>(form_->ComboBox2)}) {
        editor->show();
        QVERIFY(form_->StringGrid1->geometry().contains(editor->geometry()));
        QWidget* top = form_->childAt(editor->geometry().center());
        QVERIFY2(top == editor || editor->isAncestorOf(top), qPrintable(editor->objectName()));
        editor->hide();
    }
    QTest::mouseClick(form_->Button4, Qt::LeftButton);
    for (QWidget* editor :
         {static_cast<QWidget*>(form_->EditP), static_cast<QWidget*>(form_->EditT)}) {
        editor->show();
        QWidget* top = form_->childAt(editor->geometry().center());
        QVERIFY2(top == editor || editor->isAncestorOf(top), qPrintable(editor->objectName()));
    }
}

void TestMainWindow::gridFollowsWindowSize() {
    QTest::mouseClick(form_->Button3, Qt::LeftButton);
    form_->resize(1200, 800);
    QTRY_COMPARE(form_->size(), QSize(1200, 800));
    QCOMPARE(form_->Panel2->geometry(), QRect(0, 0, 1200, 57));
    QCOMPARE(form_->Panel1->geometry(), QRect(0, 800 - 90, 1200, 90));
    QCOMPARE(form_->StringGrid1->geometry(), QRect(0, 57, 1200, 800 - 57 - 90));
    // The hidden grid keeps its place until it is shown.
    QTest::mouseClick(form_->Button4, Qt::LeftButton);
    QCOMPARE(form_->StringGrid2->geometry(), QRect(0, 57, 1200, 800 - 57 - 90));
}

void TestMainWindow::cropList() {
    QComboBox* list = form_->ComboBox2;
    QCOMPARE(list->count(), 16);
    QCOMPARE(list->itemText(0), QStringLiteral("Winterweizen A,B"));
    QCOMPARE(list->itemText(15), QStringLiteral("Zuckerrüben"));
    for (int i = 0; i < kv4::kCropCount; ++i)
        QCOMPARE(list->itemText(i).toStdString(), std::string(kv4::CropTable[i].Name));
    QVERIFY(list->isEditable());
    QCOMPARE(list->currentIndex(), -1);
}

void TestMainWindow::cropListTakesNoTypedItems() {
    QComboBox* list = form_->ComboBox2;
    list->show();
    list->setFocus();
    QTest::keyClicks(list, "Erbsen");
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(list->count(), 16);
    QCOMPARE(list->findText(QStringLiteral("Erbsen")), -1);
}

void TestMainWindow::panelBoxesAreTypable() {
    QTest::mouseClick(form_->Button3, Qt::LeftButton);
    QTest::mouseClick(form_->Edit4, Qt::LeftButton);
    QVERIFY(form_->Edit4->hasFocus());
    form_->Edit4->selectAll();
    QTest::keyClicks(form_->Edit4, "1x0");
    // No character filter on the panel boxes.
    QCOMPARE(form_->Edit4->text(), QStringLiteral("1x0"));
}

void TestMainWindow::worksheetsChangedUpdatesBothGrids() {
    form_->NSheet().SetRowCount(4);
    form_->PSheet().SetRowCount(4);
    form_->NSheet().SetCell(0, 1, "Acker 1");
    form_->PSheet().SetCell(0, 1, "Acker 1");
    form_->WorksheetsChanged();
    QCOMPARE(form_->StringGrid1->RowCount(), 4);
    QCOMPARE(form_->StringGrid2->RowCount(), 4);
    QCOMPARE(form_->StringGrid1->model()->index(1, 0).data().toString(), QStringLiteral("Acker 1"));
    QCOMPARE(form_->StringGrid2->model()->index(1, 0).data().toString(), QStringLiteral("Acker 1"));
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
#include "test_UKV4_N_Bedarf.moc"
