// The first showing of the main window: the notice, the data folder from the
// registry file and its dialog, loading the farm and filling the worksheets.
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFrame>
#include <QHelpEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "app/MainWindow.h"
#include "app/WorksheetView.h"
#include "data/FileAccess.h"
#include "data/Records.h"
#include "dialogs/DataFolderDialog.h"
#include "dialogs/NoticeDialog.h"
#include "farmwriter/DemoFarm.h"
#include "farmwriter/RecordWriter.h"
#include "guisupport/GuiTestSupport.h"
#include "reference/NutrientClasses.h"
#include "worksheets/FarmDigest.h"
#include "worksheets/Fill.h"
#include "worksheets/Worksheet.h"

using kv4guitest::ScopedModalHook;
using kv4guitest::Widget;
namespace fs = std::filesystem;

namespace {

constexpr int kClientWidth = 1091;
constexpr int kClientHeight = 657;

fs::path ToFs(const QString& path) { return kv4::PathFromUtf8(path.toStdString()); }

// A registry file as regedit exports it, with "Daten" under Kornavis's
// setup key given as written after the equals sign.
void WriteRegistry(const QString& file, const QByteArray& datenValue) {
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(
        "REGEDIT4\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Agrar]\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Agrar\\Kornavis.INI\\Setup]\r\n"
        "\"Daten\"=" +
        datenValue + "\r\n\r\n");
}

QByteArray RegString(const QString& text) {
    QByteArray quoted = QDir::toNativeSeparators(text).toUtf8();
    quoted.replace("\\", "\\\\").replace("\"", "\\\"");
    return "\"" + quoted + "\"";
}

// Every file of a folder with its bytes.
std::map<QString, QByteArray> Snapshot(const QString& folder) {
    std::map<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly)) files[it.fileName()] = file.readAll();
    }
    return files;
}

// The grid as the user sees it: the text of every cell.
QString Shown(kv4gui::WorksheetView* grid, int col, int row) {
    return grid->IndexOf(col, row).data(Qt::DisplayRole).toString();
}

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The folder as the folder dialog names it: symbolic links resolved.
QString Native(const QString& folder) {
    return QDir::toNativeSeparators(QDir(folder).canonicalPath());
}

}  // namespace

class TestStartup : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void noticeFirstThenFolderDialog();
    void normalStartFillsBothWorksheets();
    void farmFilesStayAsTheyWere();
    void yieldSourcesOnTheExpectationCells();
    void noFieldsFor2018_data();
    void noFieldsFor2018();
    void registryErrorStillOpensTheDialog_data();
    void registryErrorStillOpensTheDialog();
    void readErrorsAreShownAsTheFilesAreRead();

  private:
    // The demo farm in a fresh folder: <root>/Daten and <root>/NKlassen.dat.
    QString MakeFarm();
    // The registry file names `folder` as the data folder.
    void PointRegistryAt(const QString& folder);
    // Enters the folder the program is started in, creates the main window
    // and shows it; returns once the start-up has answered `dialogs` dialogs.
    void Start(const QString& startFolder, int dialogs);

    QString originalFolder_;
    std::unique_ptr<QTemporaryDir> temp_;
    std::unique_ptr<ScopedModalHook> hook_;
    std::unique_ptr<kv4::Worksheets> sheets_;  // outlives the window
    std::unique_ptr<kv4gui::MainWindow> form_;
};

void TestStartup::initTestCase() { originalFolder_ = QDir::currentPath(); }

void TestStartup::init() {
    temp_ = std::make_unique<QTemporaryDir>();
    QVERIFY(temp_->isValid());
    hook_ = std::make_unique<ScopedModalHook>();
    qputenv("KV4_REGISTRY", QFile::encodeName(temp_->filePath(QStringLiteral("user.reg"))));
}

void TestStartup::cleanup() {
    form_.reset();
    hook_.reset();
    // The folder dialog changed the process's folder; leave the temporary
    // one before it is removed.
    QDir::setCurrent(originalFolder_);
    temp_.reset();
}

QString TestStartup::MakeFarm() {
    kv4farm::WriteDemoFarm(ToFs(temp_->path()));
    return temp_->filePath(QStringLiteral("Daten"));
}

void TestStartup::PointRegistryAt(const QString& folder) {
    WriteRegistry(temp_->filePath(QStringLiteral("user.reg")), RegString(folder));
}

void TestStartup::Start(const QString& startFolder, int dialogs) {
    QVERIFY(QDir::setCurrent(startFolder));
    sheets_ = std::make_unique<kv4::Worksheets>();
    form_ = std::make_unique<kv4gui::MainWindow>(*sheets_);
    form_->resize(kClientWidth, kClientHeight);
    form_->show();
    form_->Start();
    QTRY_COMPARE(static_cast<int>(hook_->Seen().size()), dialogs);
    QCOMPARE(hook_->Pending(), 0);
}

void TestStartup::noticeFirstThenFolderDialog() {
    const QString daten = MakeFarm();
    PointRegistryAt(daten);

    QStringList order;
    hook_->Respond([&](QDialog& dialog) {
        order << QStringLiteral("info");
        // Nothing of the farm is known while the notice is up.
        auto* info = qobject_cast<kv4gui::NoticeDialog*>(&dialog);
        if (!info) return -1;
        order << (dialog.parentWidget() == form_.get() ? QStringLiteral("owned")
                                                       : QStringLiteral("not owned"));
        if (!form_->findChildren<kv4gui::DataFolderDialog*>().isEmpty())
            order << QStringLiteral("early");
        if (form_->NSheet().RowCount() != 2) order << QStringLiteral("loaded");
        return kv4guitest::PressButton(dialog, QStringLiteral("ok"));
    });
    hook_->Respond([&](QDialog& dialog) {
        order << QStringLiteral("folder");
        auto* folderDialog = qobject_cast<kv4gui::DataFolderDialog*>(&dialog);
        if (!folderDialog) return -1;
        order << (dialog.parentWidget() == form_.get() ? QStringLiteral("owned")
                                                       : QStringLiteral("not owned"));
        // The registry's folder is offered; nothing is loaded before OK.
        order << Widget<QLineEdit>(*folderDialog, "folderEdit")->text();
        if (form_->NSheet().RowCount() != 2) order << QStringLiteral("loaded");
        QTest::mouseClick(Widget<QPushButton>(*folderDialog, "okButton"), Qt::LeftButton);
        return dialog.result();
    });
    Start(temp_->path(), 2);
    if (QTest::currentTestFailed()) return;

    QCOMPARE(order,
             (QStringList{QStringLiteral("info"), QStringLiteral("owned"), QStringLiteral("folder"),
                          QStringLiteral("owned"), Native(daten)}));
    // The confirmed folder, with a separator, and the process inside it.
    QCOMPARE(Q(form_->DataFolder()), Native(daten) + QDir::separator());
    QCOMPARE(QDir::currentPath(), QDir(daten).canonicalPath());
    QVERIFY(form_->NSheet().RowCount() > 2);
}

void TestStartup::normalStartFillsBothWorksheets() {
    const QString daten = MakeFarm();
    PointRegistryAt(daten);
    Start(temp_->path(), 2);
    if (QTest::currentTestFailed()) return;

    // The fill of the core on the same farm, with the nutrient class table
    // of the start-up folder.
    kv4::FarmDigest farm;
    QVERIFY(kv4::LoadFarmYears(farm, kv4::WithTrailingSeparator(daten.toStdString())).empty());
    kv4::NutrientClasses classes;
    classes.LoadNutrientClasses(temp_->path().toStdString());
    QVERIFY(!classes.Records().empty());
    kv4::Worksheet n = kv4::MakeNWorksheet();
    kv4::Worksheet p = kv4::MakePWorksheet();
    kv4::FillWorksheets(farm, classes, n, p, form_->DecimalSeparator());

    int listed = 0;
    for (const kv4::FarmDigest::Field& field : farm.Fields2018())
        if (!(field.field.StatusBits() & 1)) ++listed;
    // The demo leaves some out.
    QVERIFY(listed > 0 && listed < static_cast<int>(farm.Fields2018().size()));
    const kv4::Worksheet& shownN = form_->NSheet();
    const kv4::Worksheet& shownP = form_->PSheet();
    QCOMPARE(shownN.RowCount(), listed + 2);
    QCOMPARE(shownP.RowCount(), listed + 2);
    QCOMPARE(Widget<kv4gui::WorksheetView>(*form_, "nView")->RowCount(), listed + 2);
    QCOMPARE(Widget<kv4gui::WorksheetView>(*form_, "p2o5View")->RowCount(), listed + 2);
    for (int r = 0; r < shownN.RowCount(); ++r) {
        for (int c = 0; c < kv4::ncol::Count; ++c)
            QCOMPARE(Q(shownN.Cells(c, r)), Q(n.Cells(c, r)));
        for (int c = 0; c < kv4::pcol::Count; ++c)
            QCOMPARE(Q(shownP.Cells(c, r)), Q(p.Cells(c, r)));
    }

    // What the grids show: the first field, its "V" cell, the area with the
    // regional decimal comma; the result columns wait for the first change.
    auto* g1 = Widget<kv4gui::WorksheetView>(*form_, "nView");
    auto* g2 = Widget<kv4gui::WorksheetView>(*form_, "p2o5View");
    QCOMPARE(Shown(g1, kv4::ncol::Schlag, 1), QStringLiteral("Am Wald"));
    QCOMPARE(Shown(g1, kv4::ncol::V, 1), QStringLiteral("V"));
    QVERIFY(Shown(g1, kv4::ncol::Ha, 1).contains(QLatin1Char(',')));
    QCOMPARE(Shown(g2, kv4::pcol::Schlag, 1), QStringLiteral("Am Wald"));
    int classed = 0;
    for (int r = 1; r <= listed; ++r) {
        QVERIFY(shownN.Cells(kv4::ncol::ZuAbschlag, r).empty());
        QVERIFY(shownN.Cells(kv4::ncol::NBedarf, r).empty());
        QVERIFY(shownP.Cells(kv4::pcol::Entzug, r).empty());
        QCOMPARE(Q(shownN.Cells(kv4::ncol::Schlag, r)), Q(shownP.Cells(kv4::pcol::Schlag, r)));
        if (shownP.Cells(kv4::pcol::Klasse, r) != " ") ++classed;
    }
    // The classes come from NKlassen.dat in the folder the program started in.
    QCOMPARE(classed, listed);
    for (int c = 0; c < kv4::ncol::Count; ++c)
        if (c != kv4::ncol::Ertragserwartung) QVERIFY(shownN.Cells(c, listed + 1).empty());

    // The N view fills the area between the strips.
    QVERIFY(g1->isVisible());
    QVERIFY(!g2->isVisible());
    QVERIFY(Widget<QFrame>(*form_, "ratesPanel")->isVisible());
    QVERIFY(!kv4guitest::OpenEditor(*form_, "remarkEditor"));
    QCOMPARE(g1->geometry(), Widget<QWidget>(*form_, "worksheets")->rect());
}

void TestStartup::farmFilesStayAsTheyWere() {
    const QString daten = MakeFarm();
    PointRegistryAt(daten);
    const auto before = Snapshot(daten);
    const QByteArray classesBefore = Snapshot(temp_->path())[QStringLiteral("NKlassen.dat")];
    QVERIFY(before.count(QStringLiteral("FRUCHT  .DAT")) == 1);
    QVERIFY(before.count(QStringLiteral("FRUCHT.DAT")) == 0);
    QVERIFY(before.count(QStringLiteral("SCHL2018.DAT")) == 1);

    Start(temp_->path(), 2);
    if (QTest::currentTestFailed()) return;
    QVERIFY(form_->NSheet().RowCount() > 2);

    // Only the padded master-data name was repaired; every byte is as it was.
    auto expected = before;
    expected[QStringLiteral("FRUCHT.DAT")] = expected[QStringLiteral("FRUCHT  .DAT")];
    expected.erase(QStringLiteral("FRUCHT  .DAT"));
    const auto after = Snapshot(daten);
    QCOMPARE(after.size(), expected.size());
    for (const auto& [name, bytes] : expected) {
        QVERIFY2(after.count(name) == 1, qPrintable(name));
        QVERIFY2(after.at(name) == bytes, qPrintable(name));
    }
    QCOMPARE(Snapshot(temp_->path())[QStringLiteral("NKlassen.dat")], classesBefore);
}

// Hovering a yield expectation shows where it came from; a cell whose
// sources need a look is tinted, in both worksheets.
void TestStartup::yieldSourcesOnTheExpectationCells() {
    const fs::path daten = ToFs(temp_->filePath(QStringLiteral("Daten")));
    auto harvest = [](std::uint16_t fieldNo, const char* crop, double amount) {
        return kv4farm::WorkSpec{
            .fieldNo = fieldNo, .workType = 6, .cropName = crop, .amount = amount};
    };
    kv4farm::WriteYear(daten, 2018,
                       {{.fieldNo = 1, .name = "Nord", .area = 10, .crop = "Winterweizen"},
                        {.fieldNo = 2,
                         .name = "S\xC3\xBC"
                                 "d",
                         .area = 5,
                         .crop = "Raps"}},
                       {});
    kv4farm::WriteYear(daten, 2017, {{.fieldNo = 1, .area = 10}}, {harvest(1, "Winterweizen", 80)});
    kv4farm::WriteYear(daten, 2016, {{.fieldNo = 1, .area = 10}}, {harvest(1, "Winterweizen", 50)});
    kv4farm::WriteYear(daten, 2015, {{.fieldNo = 2, .area = 5}}, {harvest(2, "Raps", 40)});
    PointRegistryAt(temp_->filePath(QStringLiteral("Daten")));
    Start(temp_->path(), 2);
    if (QTest::currentTestFailed()) return;

    const QChar sep = QLatin1Char(form_->DecimalSeparator());
    const QString wheat =
        QStringLiteral(
            "Ertragserwartung 65 dt/ha aus den Ernten von \u201EWinterweizen\u201C:\n"
            "2017: 80,00 dt/ha auf 10,00 ha (1 Ernte)\n"
            "2016: 50,00 dt/ha auf 10,00 ha (1 Ernte)\n"
            "2015: keine Ernte\n"
            "Hinweise:\n"
            "2017: Mittel 80,00 dt/ha liegt mehr als 20 % \u00FCber dem Mittel der anderen Jahre "
            "(50,00 dt/ha)\n"
            "2016: Mittel 50,00 dt/ha liegt mehr als 20 % unter dem Mittel der anderen Jahre "
            "(80,00 dt/ha)")
            .replace(QLatin1Char(','), sep);
    const QString rape = QStringLiteral(
                             "Ertragserwartung 40 dt/ha aus den Ernten von \u201ERaps\u201C:\n"
                             "2017: keine Ernte\n2016: keine Ernte\n"
                             "2015: 40,00 dt/ha auf 5,00 ha (1 Ernte)")
                             .replace(QLatin1Char(','), sep);
    const QColor tint = kv4gui::WorksheetModel::WarningBrush().color();
    struct Grid {
        kv4gui::WorksheetView* grid;
        int col;
    };
    for (const Grid& g :
         {Grid{Widget<kv4gui::WorksheetView>(*form_, "nView"), kv4::ncol::Ertragserwartung},
          Grid{Widget<kv4gui::WorksheetView>(*form_, "p2o5View"), kv4::pcol::Ertragserwartung}}) {
        if (!g.grid->isVisible())
            QTest::mouseClick(Widget<QPushButton>(*form_, "p2o5Button"), Qt::LeftButton);
        QVERIFY(g.grid->isVisible());
        QCOMPARE(g.grid->IndexOf(g.col, 1).data(Qt::ToolTipRole).toString(), wheat);
        QCOMPARE(g.grid->IndexOf(g.col, 2).data(Qt::ToolTipRole).toString(), rape);
        QCOMPARE(g.grid->IndexOf(g.col, 1).data(Qt::BackgroundRole).value<QBrush>().color(), tint);
        // The cell text is the fill's, untouched; the trailing row, the other
        // columns and a row without a hint keep the plain look.
        QCOMPARE(Shown(g.grid, g.col, 1), QStringLiteral("   65"));
        QVERIFY(g.grid->IndexOf(g.col, 3).data(Qt::ToolTipRole).isNull());
        QVERIFY(g.grid->IndexOf(g.col - 1, 1).data(Qt::ToolTipRole).isNull());
        for (const QModelIndex& plain :
             {g.grid->IndexOf(g.col, 2), g.grid->IndexOf(g.col, 3), g.grid->IndexOf(g.col + 1, 1)})
            QVERIFY(plain.data(Qt::BackgroundRole).isNull());

        // The view shows it on a hover.
        const QRect cell = g.grid->CellRect(g.col, 1);
        QHelpEvent hover(QEvent::ToolTip, cell.center(),
                         g.grid->viewport()->mapToGlobal(cell.center()));
        QCoreApplication::sendEvent(g.grid->viewport(), &hover);
        QTRY_COMPARE(QToolTip::text(), wheat);
        QToolTip::hideText();
    }
}

void TestStartup::noFieldsFor2018_data() {
    QTest::addColumn<bool>("otherYears");
    // Without SCHL2018.DAT, with the earlier years still there; and a folder
    // with no farm at all.
    QTest::newRow("2018 missing") << true;
    QTest::newRow("empty folder") << false;
}

void TestStartup::noFieldsFor2018() {
    QFETCH(bool, otherYears);
    QString daten;
    if (otherYears) {
        daten = MakeFarm();
        QVERIFY(QFile::remove(daten + QStringLiteral("/SCHL2018.DAT")));
    } else {
        QVERIFY(QDir(temp_->path()).mkdir(QStringLiteral("Leer")));
        daten = temp_->filePath(QStringLiteral("Leer"));
    }
    PointRegistryAt(daten);
    Start(temp_->path(), 3);
    if (QTest::currentTestFailed()) return;

    const kv4guitest::SeenDialog& message = hook_->Seen()[2];
    QCOMPARE(message.title, QStringLiteral("Fehler"));
    QCOMPARE(message.text, QStringLiteral("Es sind keine Schläge für 2018 vorhanden. Legen Sie "
                                          "gegebnenfalls zunächst das Erntejahr 2018 an."));
    QCOMPARE(message.icon, static_cast<int>(QMessageBox::Critical));
    QCOMPARE(QStringList(message.buttons.begin(), message.buttons.end()),
             QStringList{QStringLiteral("OK")});

    // Headings only, the N worksheet shown.
    QCOMPARE(form_->NSheet().RowCount(), 2);
    QCOMPARE(form_->PSheet().RowCount(), 5);
    QVERIFY(form_->NSheet().Cells(kv4::ncol::Schlag, 1).empty());
    QVERIFY(Widget<kv4gui::WorksheetView>(*form_, "nView")->isVisible());
    QVERIFY(!Widget<kv4gui::WorksheetView>(*form_, "p2o5View")->isVisible());
    QVERIFY(Widget<QFrame>(*form_, "ratesPanel")->isVisible());
    QVERIFY(!kv4guitest::OpenEditor(*form_, "remarkEditor"));
}

void TestStartup::registryErrorStillOpensTheDialog_data() {
    QTest::addColumn<QByteArray>("value");  // "Daten" as written in the file
    QTest::addColumn<QString>("error");     // a quote mark gets no full stop after it

    QTest::newRow("missing folder")
        << QByteArray("\"/kv4-test/gibt es nicht\"") << QStringLiteral("Datei nicht gefunden.");
    QTest::newRow("not a string") << QByteArray("dword:00000001")
                                  << QStringLiteral("Ungültiger Datentyp für 'Daten'");
}

void TestStartup::registryErrorStillOpensTheDialog() {
    QFETCH(QByteArray, value);
    QFETCH(QString, error);
    const QString daten = MakeFarm();
    WriteRegistry(temp_->filePath(QStringLiteral("user.reg")), value);

    // The dialog opens on the start-up folder; the user opens the farm's
    // folder there with a double-click and confirms it.
    QString offered;
    hook_->Accept();                      // the notice
    hook_->Respond([](QDialog& dialog) {  // the error
        return kv4guitest::PressButton(dialog, QStringLiteral("OK"));
    });
    hook_->Respond([&](QDialog& dialog) {
        auto* folderDialog = qobject_cast<kv4gui::DataFolderDialog*>(&dialog);
        if (!folderDialog) return -1;
        offered = Widget<QLineEdit>(*folderDialog, "folderEdit")->text();
        QListWidget* list = Widget<kv4gui::FolderList>(*folderDialog, "folderList");
        const auto items = list->findItems(QStringLiteral("Daten"), Qt::MatchExactly);
        if (items.size() != 1) return -1;
        list->scrollToItem(items.front());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                           list->visualItemRect(items.front()).center());
        QTest::mouseClick(Widget<QPushButton>(*folderDialog, "okButton"), Qt::LeftButton);
        return dialog.result();
    });
    Start(temp_->path(), 3);
    if (QTest::currentTestFailed()) return;

    const auto& seen = hook_->Seen();
    QCOMPARE(seen[0].className, QStringLiteral("kv4gui::NoticeDialog"));
    QCOMPARE(seen[1].title, QStringLiteral("KV_D_Bedarf"));
    QCOMPARE(seen[1].text, error);
    QCOMPARE(seen[1].icon, static_cast<int>(QMessageBox::Critical));
    QCOMPARE(seen[2].className, QStringLiteral("kv4gui::DataFolderDialog"));
    QCOMPARE(offered, Native(temp_->path()));
    // The farm picked in the dialog is loaded as on a normal start.
    QCOMPARE(Q(form_->DataFolder()), Native(daten) + QDir::separator());
    QVERIFY(form_->NSheet().RowCount() > 2);
    QVERIFY(Widget<kv4gui::WorksheetView>(*form_, "nView")->isVisible());
    QVERIFY(!Widget<kv4gui::WorksheetView>(*form_, "p2o5View")->isVisible());
}

// Each read error in its own box as soon as its year is read: the error of
// 2018 comes before 2017 is looked at, the master data's last. No hourglass
// stays over a box or after the start-up.
void TestStartup::readErrorsAreShownAsTheFilesAreRead() {
#ifndef __linux__
    QSKIP("needs /proc/self/mem, a file that opens and then cannot be read");
#else
    const QString daten = MakeFarm();
    PointRegistryAt(daten);
    const fs::path dir = ToFs(daten);
    for (const char* name : {"ARB2018.DAT", "ARB2017.DAT", "DUENGER.DAT"}) fs::remove(dir / name);
    fs::create_symlink("/proc/self/mem", dir / "ARB2018.DAT");
    fs::create_symlink("/proc/self/mem", dir / "DUENGER.DAT");

    QStringList cursors;
    const auto answer = [&cursors](QDialog& dialog) {
        cursors << (QApplication::overrideCursor() ? QStringLiteral("hourglass")
                                                   : QStringLiteral("none"));
        return kv4guitest::PressButton(dialog, QStringLiteral("OK"));
    };
    hook_->Accept().Accept();
    hook_->Respond([&](QDialog& dialog) {
        // 2017 is read after this box is answered: its broken work file shows.
        fs::create_symlink("/proc/self/mem", dir / "ARB2017.DAT");
        return answer(dialog);
    });
    hook_->Respond(answer).Respond(answer);
    Start(temp_->path(), 5);
    if (QTest::currentTestFailed()) return;

    QStringList texts;
    for (std::size_t i = 2; i < hook_->Seen().size(); ++i) {
        QCOMPARE(hook_->Seen()[i].title, QStringLiteral("Fehler"));
        texts << hook_->Seen()[i].text;
    }
    QCOMPARE(texts, (QStringList{QStringLiteral("Fehler beim Lesen der Datei ARB2018.DAT"),
                                 QStringLiteral("Fehler beim Lesen der Datei ARB2017.DAT"),
                                 QStringLiteral("Fehler beim Lesen der Datei DUENGER.DAT")}));
    QCOMPARE(cursors, QStringList(3, QStringLiteral("none")));
    QVERIFY(!QApplication::overrideCursor());
    // The fields were read; the worksheets are filled.
    QVERIFY(form_->NSheet().RowCount() > 2);
#endif
}

QTEST_MAIN(TestStartup)
#include "test_MainWindow_Start.moc"
