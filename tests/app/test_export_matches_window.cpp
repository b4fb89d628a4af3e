// The export tool against the main window: both load the same farm, and the
// CSV files hold, cell for cell, what the window's grids show, hidden columns
// included; once right after the start and once after standard crops were
// picked in the window and named in a crops file for the tool.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>
#include <vector>

#include "app/MainWindow.h"
#include "app/WorksheetView.h"
#include "data/FileAccess.h"
#include "data/Records.h"
#include "farmwriter/DemoFarm.h"
#include "guisupport/GuiTestSupport.h"
#include "worksheets/Worksheet.h"

using kv4guitest::ScopedModalHook;
using kv4guitest::Widget;
namespace ncol = kv4::ncol;

namespace {

using Table = std::vector<QStringList>;

const QString kQuestion =
    QStringLiteral("Soll diese Einstellung auf alle gleichnamigen Früchte übernommen werden?");
const QString kJa = QStringLiteral("&Ja");

// The farm crops picked in the window, with their standard crops.
struct Pick {
    QString farmCrop;
    QString standardCrop;
};
const Pick kPicks[] = {
    {QStringLiteral("Winterweizen"), QStringLiteral("Winterweizen C")},
    {QStringLiteral("Zuckerrüben"), QStringLiteral("Zuckerrüben")},
};

// Every cell of a grid as it displays it, row by row.
Table GridTexts(kv4gui::WorksheetView* grid) {
    const QAbstractItemModel* model = grid->model();
    Table rows;
    QStringList headings;
    for (int c = 0; c < model->columnCount(); ++c)
        headings << model->headerData(c, Qt::Horizontal).toString();
    rows.push_back(headings);
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < model->columnCount(); ++c)
            row << model->index(r, c).data(Qt::DisplayRole).toString();
        rows.push_back(row);
    }
    return rows;
}

// RFC 4180 with ';' between fields and CRLF after every record; empty when
// the text breaks the rules.
Table ParseCsv(const QByteArray& bytes) {
    const QString text = QString::fromUtf8(bytes);
    Table rows;
    QStringList row;
    QString field;
    qsizetype i = 0;
    while (i < text.size()) {
        if (text[i] == u'"') {
            for (++i;; ++i) {
                if (i >= text.size()) return {};
                if (text[i] == u'"') {
                    if (i + 1 < text.size() && text[i + 1] == u'"') {
                        field += u'"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text[i];
            }
        }
        while (i < text.size() && text[i] != u';' && text[i] != u'\r') {
            if (text[i] == u'"' || text[i] == u'\n') return {};
            field += text[i++];
        }
        if (i >= text.size()) return {};
        row << field;
        field.clear();
        if (text[i] == u';') {
            ++i;
            continue;
        }
        if (text.mid(i, 2) != QStringLiteral("\r\n")) return {};
        i += 2;
        rows.push_back(row);
        row.clear();
    }
    return rows;
}

// The cells in which the tool's table differs from the window's, at most a
// dozen of them, or the difference in shape.
QStringList Differences(const char* sheet, const Table& window, const Table& tool) {
    QStringList out;
    const QString name = QString::fromLatin1(sheet);
    if (window.size() != tool.size())
        return {QStringLiteral("%1: %2 rows in the window, %3 in the CSV")
                    .arg(name)
                    .arg(window.size())
                    .arg(tool.size())};
    for (std::size_t r = 0; r < window.size(); ++r) {
        if (window[r].size() != tool[r].size()) {
            out << QStringLiteral("%1 row %2: %3 columns in the window, %4 in the CSV")
                       .arg(name)
                       .arg(r)
                       .arg(window[r].size())
                       .arg(tool[r].size());
            continue;
        }
        for (qsizetype c = 0; c < window[r].size(); ++c)
            if (window[r][c] != tool[r][c] && out.size() < 12)
                out << QStringLiteral("%1 row %2 col %3: window '%4', CSV '%5'")
                           .arg(name)
                           .arg(r)
                           .arg(c)
                           .arg(window[r][c], tool[r][c]);
    }
    return out;
}

}  // namespace

class TestExportMatchesWindow : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startUpGridsEqualTheCsv();
    void pickedCropsEqualTheCropsFile();

  private:
    QString Root() const { return temp_->path(); }
    QString Daten() const { return temp_->filePath(QStringLiteral("Daten")); }
    // Starts the main window in the farm's root folder as a user does: the
    // notice and the folder dialog are confirmed.
    void StartWindow();
    // Runs the tool on the farm, with a crops file when `crops` is not
    // empty, and reads both CSV files.
    void RunExport(const QByteArray& crops, Table& n, Table& p);
    // Picks `standardCrop` for the first row growing `farmCrop` with clicks
    // on its "V" cell and the crop list, and carries it over with "&Ja".
    void PickCrop(const Pick& pick);
    void CompareWithWindow(const Table& n, const Table& p);

    QString originalFolder_;
    std::unique_ptr<QTemporaryDir> temp_;
    std::unique_ptr<QTemporaryDir> out_;
    std::unique_ptr<ScopedModalHook> hook_;
    std::unique_ptr<kv4::Worksheets> sheets_;  // outlives the window
    std::unique_ptr<kv4gui::MainWindow> form_;
};

void TestExportMatchesWindow::initTestCase() { originalFolder_ = QDir::currentPath(); }

void TestExportMatchesWindow::init() {
    temp_ = std::make_unique<QTemporaryDir>();
    out_ = std::make_unique<QTemporaryDir>();
    QVERIFY(temp_->isValid() && out_->isValid());
    kv4farm::WriteDemoFarm(kv4::PathFromUtf8(Root().toStdString()));

    // A registry file as regedit writes it, naming the farm's data folder.
    const QString registry = out_->filePath(QStringLiteral("user.reg"));
    QByteArray folder = QDir::toNativeSeparators(Daten()).toUtf8();
    folder.replace("\\", "\\\\").replace("\"", "\\\"");
    QFile reg(registry);
    QVERIFY(reg.open(QIODevice::WriteOnly));
    reg.write(
        "REGEDIT4\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Agrar\\Kornavis.INI\\Setup]\r\n"
        "\"Daten\"=\"" +
        folder + "\"\r\n\r\n");
    reg.close();
    qputenv("KV4_REGISTRY", QFile::encodeName(registry));
    hook_ = std::make_unique<ScopedModalHook>();
}

void TestExportMatchesWindow::cleanup() {
    form_.reset();
    hook_.reset();
    QDir::setCurrent(originalFolder_);  // the folder dialog entered the farm
    temp_.reset();
    out_.reset();
}

void TestExportMatchesWindow::StartWindow() {
    // NKlassen.dat is read from the folder the program starts in.
    QVERIFY(QDir::setCurrent(Root()));
    sheets_ = std::make_unique<kv4::Worksheets>();
    form_ = std::make_unique<kv4gui::MainWindow>(*sheets_);
    form_->resize(1091, 657);
    QVERIFY(kv4guitest::ShowActive(*form_));
    // As the program starts it: from the event loop.
    QMetaObject::invokeMethod(form_.get(), &kv4gui::MainWindow::Start, Qt::QueuedConnection);
    QTRY_COMPARE(static_cast<int>(hook_->Seen().size()), 2);
    QCOMPARE(hook_->Seen()[0].className, QStringLiteral("kv4gui::NoticeDialog"));
    QCOMPARE(hook_->Seen()[1].className, QStringLiteral("kv4gui::DataFolderDialog"));
    QCOMPARE(QDir::currentPath(), QDir(Daten()).canonicalPath());
    QVERIFY(form_->NSheet().RowCount() > 2);
}

void TestExportMatchesWindow::RunExport(const QByteArray& crops, Table& n, Table& p) {
    const QString nCsv = out_->filePath(QStringLiteral("n.csv"));
    const QString pCsv = out_->filePath(QStringLiteral("p.csv"));
    QStringList args{QStringLiteral("--data"),     Daten(),
                     QStringLiteral("--nklassen"), temp_->filePath(QStringLiteral("NKlassen.dat")),
                     QStringLiteral("--n-csv"),    nCsv,
                     QStringLiteral("--p-csv"),    pCsv};
    if (!crops.isEmpty()) {
        const QString file = out_->filePath(QStringLiteral("crops.txt"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(crops);
        f.close();
        args << QStringLiteral("--crops") << file;
    }

    // The regional settings the window reads in this process.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("LC_NUMERIC"));
    const QString locale = QLocale::system().name() + QStringLiteral(".UTF-8");
    env.insert(QStringLiteral("LC_ALL"), locale);
    env.insert(QStringLiteral("LANG"), locale);
    QProcess tool;
    tool.setProcessEnvironment(env);
    tool.setWorkingDirectory(out_->path());
    tool.start(QStringLiteral(KV4_EXPORT_PROGRAM), args);
    QVERIFY(tool.waitForFinished(120000));
    QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
    const QByteArray err = tool.readAllStandardError();
    QVERIFY2(tool.exitCode() == 0, err.constData());
    QVERIFY2(err.isEmpty(), err.constData());

    for (auto [file, table] : {std::pair{nCsv, &n}, std::pair{pCsv, &p}}) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        *table = ParseCsv(f.readAll());
        QVERIFY2(!table->empty(), qPrintable(file));
    }
}

void TestExportMatchesWindow::PickCrop(const Pick& pick) {
    const kv4::Worksheet& n = form_->NSheet();
    int row = -1;
    for (int r = 1; r < n.RowCount() - 1 && row < 0; ++r)
        if (QString::fromStdString(n.Cells(ncol::Frucht, r)) == pick.farmCrop) row = r;
    QVERIFY2(row > 0, qPrintable(pick.farmCrop));

    // The headless platform leaves a closed dialog or list as the focus
    // window; a list dropped down then closes at once. Activate the window
    // as a user's click on it would.
    form_->activateWindow();
    QTRY_COMPARE(QGuiApplication::focusWindow(), form_->windowHandle());
    const std::size_t asked = hook_->Seen().size();
    hook_->AnswerButton(kJa);
    kv4guitest::ClickCell(Widget<kv4gui::WorksheetView>(*form_, "nView"), ncol::V, row);
    QComboBox* list = kv4guitest::OpenEditor<QComboBox>(*form_, "cropChooser");
    QVERIFY(list != nullptr);
    const int index = list->findText(pick.standardCrop, Qt::MatchExactly);
    QVERIFY2(index >= 0, qPrintable(pick.standardCrop));
    QTRY_VERIFY(list->hasFocus());
    // Drop down with a click on the arrow, then click the entry.
    QTest::mouseClick(list, Qt::LeftButton, Qt::NoModifier,
                      QPoint(list->width() - 6, list->height() / 2));
    QAbstractItemView* view = list->view();
    QTRY_VERIFY(view->isVisible());
    // The list ignores a release that follows its opening too closely.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    // The list shows ten entries; a later one is scrolled into view first.
    view->scrollTo(list->model()->index(index, 0));
    const QRect item = view->visualRect(list->model()->index(index, 0));
    QVERIFY(view->viewport()->rect().contains(item.center()));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, item.center());
    QTRY_VERIFY2(!kv4guitest::OpenEditor(*form_, "cropChooser"), qPrintable(pick.standardCrop));

    QCOMPARE(hook_->Seen().size(), asked + 1);
    QCOMPARE(hook_->Seen().back().text, kQuestion);
    QCOMPARE(hook_->Seen().back().answer, kJa);
    QTRY_VERIFY(form_->isActiveWindow());
}

void TestExportMatchesWindow::CompareWithWindow(const Table& n, const Table& p) {
    const Table shownN = GridTexts(Widget<kv4gui::WorksheetView>(*form_, "nView"));
    const Table shownP = GridTexts(Widget<kv4gui::WorksheetView>(*form_, "p2o5View"));
    // Every column of the worksheets, the hidden ones too.
    QCOMPARE(static_cast<int>(shownN.front().size()), kv4::ncol::Count);
    QCOMPARE(static_cast<int>(shownP.front().size()), kv4::pcol::Count);
    const QStringList differences = Differences("N", shownN, n) + Differences("P2O5", shownP, p);
    QVERIFY2(differences.isEmpty(), qPrintable(differences.join(QLatin1Char('\n'))));
}

void TestExportMatchesWindow::startUpGridsEqualTheCsv() {
    Table n, p;
    RunExport({}, n, p);
    if (QTest::currentTestFailed()) return;
    StartWindow();
    if (QTest::currentTestFailed()) return;

    // The areas carry the window's decimal separator, so the tool ran with
    // the same regional settings.
    const QString area = GridTexts(Widget<kv4gui::WorksheetView>(*form_, "nView"))[1][ncol::Ha];
    QVERIFY2(area.contains(QLatin1Char(form_->DecimalSeparator())), qPrintable(area));
    CompareWithWindow(n, p);
}

void TestExportMatchesWindow::pickedCropsEqualTheCropsFile() {
    StartWindow();
    if (QTest::currentTestFailed()) return;
    const Table before = GridTexts(Widget<kv4gui::WorksheetView>(*form_, "nView"));
    QByteArray crops("# Betriebsfrucht;Standardfrucht\n");
    for (const Pick& pick : kPicks) {
        PickCrop(pick);
        if (QTest::currentTestFailed()) return;
        crops +=
            (pick.farmCrop + QLatin1Char(';') + pick.standardCrop + QLatin1Char('\n')).toUtf8();
    }

    // The picks reached several rows of each crop and were recalculated.
    const Table after = GridTexts(Widget<kv4gui::WorksheetView>(*form_, "nView"));
    for (const Pick& pick : kPicks) {
        int carried = 0;
        for (std::size_t r = 1; r + 1 < after.size(); ++r)
            if (after[r][ncol::Frucht] == pick.farmCrop && !after[r][ncol::BasisErtrag].isEmpty() &&
                after[r][ncol::BasisErtrag] != before[r][ncol::BasisErtrag] &&
                !after[r][ncol::NBedarf].isEmpty())
                ++carried;
        QVERIFY2(carried >= 2, qPrintable(pick.farmCrop));
    }

    Table n, p;
    RunExport(crops, n, p);
    if (QTest::currentTestFailed()) return;
    CompareWithWindow(n, p);
}

QTEST_MAIN(TestExportMatchesWindow)
#include "test_export_matches_window.moc"
