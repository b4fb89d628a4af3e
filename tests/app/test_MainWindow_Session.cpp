// Around the farmer's session: the question before unsaved entries are lost,
// the tab chain, the shortcuts, what is kept between starts, the print's name.
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

using kv4guitest::Widget;
using Entry = std::function<void()>;

class TestSession : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        // Never the user's own settings: ctest points them into the build tree.
        const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
        QVERIFY2(!config.isEmpty() && QSettings().fileName().startsWith(config),
                 "run through ctest");
        start_ = QDir::currentPath();
    }
    void init() {
        QSettings().clear();
        hook_ = std::make_unique<kv4guitest::ScopedModalHook>();
    }
    void cleanup() {
        form_.reset();
        hook_.reset();
        QDir::setCurrent(start_);
        farms_.clear();
    }
    void closeAsksOnlyAfterEntries_data();
    void closeAsksOnlyAfterEntries();
    void tabWalksInReadingOrder_data();
    void tabWalksInReadingOrder();
    void shortcutsOpenTheirDialogs();
    void farmHeaderAndPlaceKeptPerFolder();

  private:
    QString MakeFarm() {
        farms_.push_back(std::make_unique<QTemporaryDir>());
        kv4farm::WriteDemoFarm(kv4::PathFromUtf8(farms_.back()->path().toStdString()));
        return farms_.back()->path();
    }
    // A new window started on the farm under `root`.
    void StartOn(const QString& root) {
        QVERIFY(QDir::setCurrent(root));  // the class table's folder
        hook_->Accept().Respond([root](QDialog& dialog) {
            auto* folder = qobject_cast<kv4gui::DataFolderDialog*>(&dialog);
            if (folder) folder->SetFolder(QDir(root).filePath(QStringLiteral("Daten")));
            dialog.accept();
            return dialog.result();
        });
        form_.reset();
        sheets_ = kv4::Worksheets{};
        form_ = std::make_unique<kv4gui::MainWindow>(sheets_);
        QVERIFY(kv4guitest::ShowActive(*form_));
        form_->Start();
        QVERIFY(form_->NSheet().RowCount() > 2);
        QTRY_VERIFY(form_->isActiveWindow());
    }
    // Prints to a PDF in the farm's temporary folder.
    void Print() {
        hook_->Respond([this](QDialog& dialog) {
            QPrinter* printer = static_cast<QPrintDialog&>(dialog).printer();
            proposed_ = printer->outputFileName();
            docName_ = printer->docName();
            printer->setOutputFileName(farms_.back()->filePath(QStringLiteral("out.pdf")));
            return int(QDialog::Accepted);
        });
        QTest::mouseClick(Widget<QPushButton>(*form_, "printButton"), Qt::LeftButton);
        QVERIFY(QFile::exists(farms_.back()->filePath(QStringLiteral("out.pdf"))));
    }
    QLineEdit* Box(const char* name) { return Widget<QLineEdit>(*form_, name); }

    QString start_, proposed_, docName_;
    std::vector<std::unique_ptr<QTemporaryDir>> farms_;
    std::unique_ptr<kv4guitest::ScopedModalHook> hook_;
    kv4::Worksheets sheets_;  // outlives the window
    std::unique_ptr<kv4gui::MainWindow> form_;
};

void TestSession::closeAsksOnlyAfterEntries_data() {
    QTest::addColumn<Entry>("entry");
    QTest::addColumn<bool>("asks");
    QTest::newRow("nothing") << Entry([] {}) << false;
    for (const char* box : {"farmNameEdit", "farmNumberEdit", "dateEdit", "yieldStepEdit",
                            "surchargeEdit", "deductionEdit"})
        QTest::newRow(box) << Entry([=, this] { QTest::keyClicks(Box(box), "7"); }) << true;
    // Still in the cell's editor when the window is closed.
    QTest::newRow("N-Min typed") << Entry([this] {
        kv4guitest::ClickCell(Widget<kv4gui::WorksheetView>(*form_, "nView"), kv4::ncol::NMin, 1);
        QTest::keyClicks(QApplication::focusWidget(), "40");
    }) << true;
    QTest::newRow("printed after typing") << Entry([this] {
        QTest::keyClicks(Box("farmNameEdit"), "Hof");
        Print();
    }) << false;
}

void TestSession::closeAsksOnlyAfterEntries() {
    QFETCH(Entry, entry);
    QFETCH(bool, asks);
    StartOn(MakeFarm());
    entry();
    const std::size_t seen = hook_->Seen().size();
    // Unanswered, the question takes its default: "Nein" keeps the window.
    QCOMPARE(form_->close(), !asks);
    QCOMPARE(hook_->Seen().size(), seen + (asks ? 1 : 0));
    if (!asks) return;
    QCOMPARE(hook_->Seen().back().text,
             QStringLiteral("Die Eingaben sind nicht gespeichert. Programm trotzdem beenden?"));
    QCOMPARE(hook_->Seen().back().answer, QStringLiteral("&Nein"));
    QVERIFY(form_->isVisible());
    hook_->AnswerButton(QStringLiteral("&Ja"));
    QVERIFY(form_->close());
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
    QTest::mouseClick(Box("farmNameEdit"), Qt::LeftButton);
    QStringList walked;
    for (qsizetype i = 0; i < chain.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walked << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(walked, chain);
}

void TestSession::shortcutsOpenTheirDialogs() {
    StartOn(MakeFarm());
    QTest::keyClicks(Box("farmNameEdit"), "Gut Aue");
    hook_->Reject().Reject();
    QTest::keyClick(Box("farmNameEdit"), Qt::Key_P, Qt::ControlModifier);
    QTest::keyClick(Box("farmNameEdit"), Qt::Key_F1);
    QCOMPARE(hook_->Seen().size(), std::size_t(4));
    QCOMPARE(hook_->Seen()[2].className, QStringLiteral("QPrintDialog"));
    QCOMPARE(hook_->Seen()[3].className, QStringLiteral("kv4gui::NoticeDialog"));
    QVERIFY(!form_->close());  // a cancelled print keeps the entries unsaved
}

void TestSession::farmHeaderAndPlaceKeptPerFolder() {
    const QString farmA = MakeFarm();
    const QString farmB = MakeFarm();
    StartOn(farmA);
    QTest::keyClicks(Box("farmNameEdit"), "Hof: Sonnen/wiese");
    QTest::keyClicks(Box("farmNumberEdit"), "276 05 123");
    Print();
    QCOMPARE(docName_, QStringLiteral("N-Bedarf 2018 Hof_ Sonnen_wiese"));
    // In the documents folder where there is one, else in the home folder.
    const QDir documents(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    QCOMPARE(proposed_, QDir(documents.exists() ? documents.path() : QDir::homePath())
                            .filePath(docName_ + QStringLiteral(".pdf")));
    form_->resize(900, 600);
    QVERIFY(form_->close());  // printed: no question

    StartOn(farmA);
    QCOMPARE(Box("farmNameEdit")->text(), QStringLiteral("Hof: Sonnen/wiese"));
    QCOMPARE(Box("farmNumberEdit")->text(), QStringLiteral("276 05 123"));
    QCOMPARE(form_->size(), QSize(900, 600));
    QVERIFY(form_->close());  // a recalled header is no entry
    StartOn(farmB);
    QCOMPARE(Box("farmNameEdit")->text(), QString());
}

QTEST_MAIN(TestSession)
#include "test_MainWindow_Session.moc"
