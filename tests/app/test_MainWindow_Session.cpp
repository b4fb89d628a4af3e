// What lies around the farmer's session: the question before unsaved entries
// are lost, the tab chain and the shortcuts, the settings kept between starts
// and the name a print goes by.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

#include "app/MainWindow.h"
#include "app/WorksheetView.h"
#include "data/FileAccess.h"
#include "dialogs/DataFolderDialog.h"
#include "farmwriter/DemoFarm.h"
#include "guisupport/GuiTestSupport.h"
#include "worksheets/Worksheet.h"

using kv4guitest::ScopedModalHook;
using kv4guitest::Widget;

namespace {

const QString kQuestion =
    QStringLiteral("Die Eingaben sind nicht gespeichert. Programm trotzdem beenden?");

}  // namespace

class TestSession : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void closeAsksOnlyAfterEntries_data();
    void closeAsksOnlyAfterEntries();
    void tabWalksInReadingOrder_data();
    void tabWalksInReadingOrder();
    void shortcutsOpenTheirDialogs_data();
    void shortcutsOpenTheirDialogs();
    void farmHeaderAndPlaceKeptPerFolder();

  private:
    // The demo farm in a fresh folder; returns its root.
    QString MakeFarm();
    // A new window started on the farm under `root`, the notice and the
    // folder dialog answered.
    void StartOn(const QString& root);
    // Answers the print dialog with a PDF file; remembers what it proposed.
    void AnswerPrintWithPdf(const QString& file);
    QLineEdit* Box(const char* name) { return Widget<QLineEdit>(*form_, name); }

    QString originalFolder_;
    QString proposedFile_, docName_;
    std::vector<std::unique_ptr<QTemporaryDir>> farms_;
    std::unique_ptr<ScopedModalHook> hook_;
    std::unique_ptr<kv4::Worksheets> sheets_;  // outlives the window
    std::unique_ptr<kv4gui::MainWindow> form_;
};

void TestSession::initTestCase() {
    // Never the user's own settings: the test's environment points them into
    // the build tree.
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    QVERIFY2(!config.isEmpty(), "run through ctest: XDG_CONFIG_HOME is not set");
    QVERIFY(QSettings().fileName().startsWith(config));
    originalFolder_ = QDir::currentPath();
}

void TestSession::init() {
    QSettings().clear();
    hook_ = std::make_unique<ScopedModalHook>();
}

void TestSession::cleanup() {
    form_.reset();
    hook_.reset();
    QDir::setCurrent(originalFolder_);
    farms_.clear();
}

QString TestSession::MakeFarm() {
    farms_.push_back(std::make_unique<QTemporaryDir>());
    kv4farm::WriteDemoFarm(kv4::PathFromUtf8(farms_.back()->path().toStdString()));
    return farms_.back()->path();
}

void TestSession::StartOn(const QString& root) {
    // The class table comes from the folder the program starts in.
    QVERIFY(QDir::setCurrent(root));
    const QString daten = QDir(root).filePath(QStringLiteral("Daten"));
    const std::size_t before = hook_->Seen().size();
    hook_->Accept();  // the notice
    hook_->Respond([daten](QDialog& dialog) {
        auto* folder = qobject_cast<kv4gui::DataFolderDialog*>(&dialog);
        if (!folder) return -1;
        folder->SetFolder(daten);
        folder->accept();
        return dialog.result();
    });
    form_.reset();
    sheets_ = std::make_unique<kv4::Worksheets>();
    form_ = std::make_unique<kv4gui::MainWindow>(*sheets_);
    QVERIFY(kv4guitest::ShowActive(*form_));
    form_->Start();
    QCOMPARE(hook_->Pending(), 0);
    QCOMPARE(hook_->Seen().size(), before + 2);  // no error box
    QVERIFY(form_->NSheet().RowCount() > 2);
    QTRY_VERIFY(form_->isActiveWindow());
}

void TestSession::AnswerPrintWithPdf(const QString& file) {
    hook_->Respond([this, file](QDialog& dialog) {
        auto* print = qobject_cast<QPrintDialog*>(&dialog);
        if (!print) return int(QDialog::Rejected);
        proposedFile_ = print->printer()->outputFileName();
        docName_ = print->printer()->docName();
        print->printer()->setOutputFileName(file);
        return int(QDialog::Accepted);
    });
}

void TestSession::closeAsksOnlyAfterEntries_data() {
    QTest::addColumn<std::function<void(TestSession&)>>("entry");
    QTest::addColumn<bool>("asks");
    using Entry = std::function<void(TestSession&)>;
    QTest::newRow("nothing") << Entry([](TestSession&) {}) << false;
    for (const char* box : {"farmNameEdit", "farmNumberEdit", "dateEdit", "yieldStepEdit",
                            "surchargeEdit", "deductionEdit"})
        QTest::newRow(box) << Entry([box](TestSession& t) {
            QTest::keyClicks(t.Box(box), QStringLiteral("7"));
        }) << true;
    // Still in the cell's editor when the window is closed.
    QTest::newRow("N-Min typed") << Entry([](TestSession& t) {
        kv4guitest::ClickCell(Widget<kv4gui::WorksheetView>(*t.form_, "nView"), kv4::ncol::NMin, 1);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("40"));
    }) << true;
    QTest::newRow("printed after typing") << Entry([](TestSession& t) {
        QTest::keyClicks(t.Box("farmNameEdit"), QStringLiteral("Hof"));
        const QString pdf = t.farms_.back()->filePath(QStringLiteral("n.pdf"));
        t.AnswerPrintWithPdf(pdf);
        QTest::mouseClick(Widget<QPushButton>(*t.form_, "printButton"), Qt::LeftButton);
        QVERIFY(QFile::exists(pdf));
    }) << false;
}

void TestSession::closeAsksOnlyAfterEntries() {
    QFETCH(std::function<void(TestSession&)>, entry);
    QFETCH(bool, asks);
    StartOn(MakeFarm());
    entry(*this);
    if (QTest::currentTestFailed()) return;
    const std::size_t seen = hook_->Seen().size();
    if (!asks) {
        QVERIFY(form_->close());
        QCOMPARE(hook_->Seen().size(), seen);
        return;
    }
    // Unanswered, the box takes its default: "Nein" keeps the window.
    QVERIFY(!form_->close());
    QVERIFY(form_->isVisible());
    QCOMPARE(hook_->Seen().size(), seen + 1);
    QCOMPARE(hook_->Seen().back().text, kQuestion);
    QCOMPARE(hook_->Seen().back().answer, QStringLiteral("&Nein"));
    hook_->AnswerButton(QStringLiteral("&Ja"));
    QVERIFY(form_->close());
    QVERIFY(!form_->isVisible());
}

void TestSession::tabWalksInReadingOrder_data() {
    QTest::addColumn<bool>("p2o5");
    QTest::addColumn<QStringList>("chain");
    QTest::newRow("N") << false << QStringList{"farmNumberEdit",  "dateEdit",      "nView",
                                               "nButton",         "p2o5Button",    "printButton",
                                               "yieldStepEdit",   "surchargeEdit", "deductionEdit",
                                               "applyRatesButton"};
    // No rate boxes under the P2O5 worksheet.
    QTest::newRow("P2O5") << true
                          << QStringList{"farmNumberEdit", "dateEdit",    "p2o5View",    "nButton",
                                         "p2o5Button",     "printButton", "farmNameEdit"};
}

void TestSession::tabWalksInReadingOrder() {
    QFETCH(bool, p2o5);
    QFETCH(QStringList, chain);
    StartOn(MakeFarm());
    if (p2o5) QTest::mouseClick(Widget<QPushButton>(*form_, "p2o5Button"), Qt::LeftButton);
    // A click still focuses a header box.
    QTest::mouseClick(Box("farmNameEdit"), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), Box("farmNameEdit"));
    QStringList walked;
    for (int i = 0; i < chain.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walked << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(walked, chain);
}

void TestSession::shortcutsOpenTheirDialogs_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("dialog");
    QTest::newRow("Ctrl+P") << int(Qt::Key_P) << int(Qt::ControlModifier) << "QPrintDialog";
    QTest::newRow("F1") << int(Qt::Key_F1) << int(Qt::NoModifier) << "kv4gui::NoticeDialog";
}

void TestSession::shortcutsOpenTheirDialogs() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, dialog);
    StartOn(MakeFarm());
    QTest::keyClicks(Box("farmNameEdit"), QStringLiteral("Gut Aue"));
    const std::size_t seen = hook_->Seen().size();
    hook_->Reject();
    QTest::keyClick(Box("farmNameEdit"), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(hook_->Seen().size(), seen + 1);
    QCOMPARE(hook_->Seen().back().className, dialog);
    // A cancelled print keeps the entries unsaved.
    hook_->AnswerButton(QStringLiteral("&Nein"));
    QVERIFY(!form_->close());
}

void TestSession::farmHeaderAndPlaceKeptPerFolder() {
    const QString farmA = MakeFarm();
    const QString farmB = MakeFarm();
    StartOn(farmA);
    QTest::keyClicks(Box("farmNameEdit"), QStringLiteral("Hof: Sonnen/wiese"));
    QTest::keyClicks(Box("farmNumberEdit"), QStringLiteral("276 05 123"));
    // The print job and the proposed PDF are named after the report.
    AnswerPrintWithPdf(QDir(farmA).filePath(QStringLiteral("n.pdf")));
    QTest::mouseClick(Widget<QPushButton>(*form_, "printButton"), Qt::LeftButton);
    QCOMPARE(docName_, QStringLiteral("N-Bedarf 2018 Hof_ Sonnen_wiese"));
    QCOMPARE(proposedFile_,
             QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                 .filePath(QStringLiteral("N-Bedarf 2018 Hof_ Sonnen_wiese.pdf")));
    form_->resize(900, 600);
    QVERIFY(form_->close());  // printed: no question

    StartOn(farmA);
    QCOMPARE(Box("farmNameEdit")->text(), QStringLiteral("Hof: Sonnen/wiese"));
    QCOMPARE(Box("farmNumberEdit")->text(), QStringLiteral("276 05 123"));
    QCOMPARE(form_->size(), QSize(900, 600));
    QVERIFY(form_->close());  // a recalled header is no entry

    StartOn(farmB);
    QCOMPARE(Box("farmNameEdit")->text(), QString());
    QCOMPARE(Box("farmNumberEdit")->text(), QString());
}

QTEST_MAIN(TestSession)
#include "test_MainWindow_Session.moc"
