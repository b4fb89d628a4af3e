// The two start-up dialogs: the information notice and the data folder dialog.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <cerrno>
#include <memory>
#include <stdexcept>

#include "dialogs/DataFolderDialog.h"
#include "dialogs/NoticeDialog.h"
#include "guisupport/GuiTestSupport.h"

using kv4gui::DataFolderDialog;
using kv4gui::NoticeDialog;
using kv4guitest::Widget;

namespace {

QStringList MemoLines(const QPlainTextEdit* memo) {
    QStringList lines;
    for (QTextBlock block = memo->document()->begin(); block.isValid(); block = block.next()) {
        lines << block.text();
    }
    return lines;
}

// Runs dialog.exec() while `answer` acts on the shown dialog; returns exec's
// result. The answer comes in any case, so a failure cannot leave exec hanging.
template <class F>
int ExecAnswered(QDialog& dialog, F answer, bool& exposed) {
    QTimer::singleShot(0, &dialog, [&dialog, answer, &exposed] {
        exposed = QTest::qWaitForWindowExposed(&dialog);
        answer();
    });
    return dialog.exec();
}

QListWidgetItem* ItemFor(QListWidget* list, const QString& path) {
    for (int i = 0; i < list->count(); ++i) {
        if (kv4gui::FolderList::ItemPath(list->item(i)) == path) return list->item(i);
    }
    return nullptr;
}

void DoubleClick(QListWidget* list, QListWidgetItem* item) {
    list->scrollToItem(item);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                       list->visualItemRect(item).center());
}

}  // namespace

class TestDialogs : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void infoNoticeLines();
    void infoShownFromTheTop();
    void infoCannotBeEdited();
    void infoClosesWithOkOrCloseBox_data();
    void infoClosesWithOkOrCloseBox();

    void setFolderOpensIt_data();
    void setFolderOpensIt();
    void emptyFolderKeepsTheStartFolder();
    void listShowsPathAndSubfolders();
    void doubleClickOpensFolder();
    void doubleClickOnVanishedFolderShowsError();
    void unopenableFolderThrows_data();
    void unopenableFolderThrows();
    void folderErrorTexts_data();
    void folderErrorTexts();
    void everyCloseAccepts_data();
    void everyCloseAccepts();
    void driveListHoldsRootAndSelectsVolume();
    void otherDriveSwitchesList();
    void folderExtendingADrivesNameIsNotOnIt();

  private:
    // A tree: <root>/Äcker Daten/Unter, beta, Gamma, alpha, .versteckt, datei.txt
    void MakeTree();

    QString savedCurrent_;
    std::unique_ptr<QTemporaryDir> tree_;
    QString root_;  // canonical path of the tree
};

void TestDialogs::init() { savedCurrent_ = QDir::currentPath(); }

void TestDialogs::cleanup() {
    QVERIFY(QDir::setCurrent(savedCurrent_));
    tree_.reset();
}

void TestDialogs::MakeTree() {
    tree_ = std::make_unique<QTemporaryDir>();
    QVERIFY(tree_->isValid());
    root_ = QFileInfo(tree_->path()).canonicalFilePath();
    QDir dir(root_);
    for (const char* sub : {"Äcker Daten/Unter", "beta", "Gamma", "alpha", ".versteckt"}) {
        QVERIFY(dir.mkpath(QString::fromUtf8(sub)));
    }
    QFile file(dir.filePath(QStringLiteral("datei.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
}

// ---- NoticeDialog -------------------------------------------------------------

void TestDialogs::infoNoticeLines() {
    NoticeDialog info;
    QCOMPARE(info.windowTitle(), QStringLiteral("Informationen"));
    QCOMPARE(Widget<QPushButton>(info, "okButton")->text(), QStringLiteral("ok"));

    const QStringList lines = MemoLines(Widget<QPlainTextEdit>(info, "noticeText"));
    QCOMPARE(lines.size(), 42);

    // Opening lines and the closing notes exactly as they stand, line-end blanks included.
    const QStringList head = {
        QStringLiteral("Sehr geehrter Nutzer,"),
        QString(),
        QStringLiteral("bitte beachten Sie, dass dieses Programm keine automatische "
                       "Düngebedarfermittlung durchführt. "),
        QStringLiteral("Es ist nur eine Übergangslösung für das Jahr 2018 da der Kornavis 5 auf "
                       "Grund der ganzen "),
    };
    const QStringList tail = {
        QString(),
        QStringLiteral("Beachten Sie bitte:"),
        QString(),
        QStringLiteral("a: Es können keine Daten gespeichert werden! Die Kornavisdaten werden "
                       "nicht verändert!"),
        QStringLiteral("    Somit sind alle Daten die Sie hier eingeben wie z.B. N-min, nach dem "
                       "Beenden des Programms "),
        QStringLiteral("    verloren."),
        QString(),
        QStringLiteral("b: Stellen Sie sicher das Ihre Daten plausibel sind, denn eine "
                       "Fehleranalyse der bestehenden Daten "),
        QStringLiteral("    erfolgt nicht. (Wurde z.B. Eine Ernte ohne Ertragsmenge eingegeben, "
                       "so veringert das automatisch "),
        QStringLiteral("    den Durchschnittsertrag)"),
        QString(),
        QStringLiteral("Viel Erfolg im Kampf mit den Akten"),
    };
    QCOMPARE(lines.mid(0, head.size()), head);
    QCOMPARE(lines.mid(lines.size() - tail.size()), tail);

    // Salutation, four paragraphs and the notes, each pair parted by one empty line.
    QCOMPARE(lines.count(QString()), 8);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QVERIFY2(!(lines[i].isEmpty() && lines[i - 1].isEmpty()), qPrintable(QString::number(i)));
    }
    const auto paragraphStarting = [&lines](const QString& start) {
        for (qsizetype i = 1; i < lines.size(); ++i) {
            if (lines[i - 1].isEmpty() && lines[i].startsWith(start)) return true;
        }
        return false;
    };
    QVERIFY(paragraphStarting(QStringLiteral("Stickstoff")));
    QVERIFY(paragraphStarting(QStringLiteral("Abzüge für die Vorfrucht")));
    QVERIFY(paragraphStarting(QStringLiteral("Phosphat")));
}

void TestDialogs::infoShownFromTheTop() {
    NoticeDialog info;
    QVERIFY(kv4guitest::ShowActive(info));
    QScrollBar* bar = Widget<QPlainTextEdit>(info, "noticeText")->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);  // the notice is longer than the box
    QCOMPARE(bar->value(), 0);
    QCOMPARE(
        Widget<QPlainTextEdit>(info, "noticeText")->cursorForPosition(QPoint(4, 4)).block().text(),
        QStringLiteral("Sehr geehrter Nutzer,"));

    // Shown again after scrolling down, it starts at the top again.
    bar->setValue(bar->maximum());
    info.hide();
    QVERIFY(kv4guitest::ShowActive(info));
    QCOMPARE(bar->value(), 0);
    QCOMPARE(Widget<QPlainTextEdit>(info, "noticeText")
                 ->cursorForPosition(QPoint(4, 4))
                 .block()
                 .blockNumber(),
             0);
}

void TestDialogs::infoCannotBeEdited() {
    NoticeDialog info;
    QVERIFY(kv4guitest::ShowActive(info));
    const QString before = Widget<QPlainTextEdit>(info, "noticeText")->toPlainText();
    Widget<QPlainTextEdit>(info, "noticeText")->setFocus();
    QTest::keyClicks(Widget<QPlainTextEdit>(info, "noticeText"), QStringLiteral("xyz"));
    QTest::keyClick(Widget<QPlainTextEdit>(info, "noticeText"), Qt::Key_Return);
    QTest::keyClick(Widget<QPlainTextEdit>(info, "noticeText"), Qt::Key_Delete);
    QTest::keyClick(Widget<QPlainTextEdit>(info, "noticeText"), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(Widget<QPlainTextEdit>(info, "noticeText"), Qt::Key_Backspace);
    QTest::keyClick(Widget<QPlainTextEdit>(info, "noticeText"), Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(Widget<QPlainTextEdit>(info, "noticeText")->toPlainText(), before);
    QVERIFY(Widget<QPlainTextEdit>(info, "noticeText")->isReadOnly());
}

void TestDialogs::infoClosesWithOkOrCloseBox_data() {
    QTest::addColumn<bool>("viaOk");
    QTest::newRow("ok") << true;
    QTest::newRow("close box") << false;
}

void TestDialogs::infoClosesWithOkOrCloseBox() {
    QFETCH(bool, viaOk);
    NoticeDialog info;
    bool exposed = false;
    const int result = ExecAnswered(
        info,
        [&info, viaOk] {
            if (viaOk) {
                QTest::mouseClick(Widget<QPushButton>(info, "okButton"), Qt::LeftButton);
            } else {
                info.close();
            }
        },
        exposed);
    QVERIFY(exposed);
    QVERIFY(!info.isVisible());
    if (viaOk) QCOMPARE(result, int(QDialog::Accepted));
}

// ---- DataFolderDialog ---------------------------------------------------------------

void TestDialogs::setFolderOpensIt_data() {
    QTest::addColumn<QString>("given");     // below the tree; "/" prefix: absolute
    QTest::addColumn<QString>("expected");  // below the tree
    QTest::newRow("umlauts and blank") << "Äcker Daten"
                                       << "Äcker Daten";
    QTest::newRow("deeper") << "Äcker Daten/Unter"
                            << "Äcker Daten/Unter";
    QTest::newRow("trailing separator") << "Äcker Daten/"
                                        << "Äcker Daten";
    QTest::newRow("dot-dot") << "beta/../Gamma"
                             << "Gamma";
    QTest::newRow("root") << "/"
                          << "/";
}

void TestDialogs::setFolderOpensIt() {
    QFETCH(QString, given);
    QFETCH(QString, expected);
    MakeTree();
    const auto inTree = [this](const QString& rel) {
        return rel.startsWith(u'/') ? rel : root_ + u'/' + rel;
    };
    DataFolderDialog dialog;
    dialog.SetFolder(inTree(given));
    const QString folder = QDir::toNativeSeparators(inTree(expected));
    QCOMPARE(dialog.Folder(), folder);
    QCOMPARE(Widget<QLineEdit>(dialog, "folderEdit")->text(), folder);
    QCOMPARE(QDir::currentPath(), inTree(expected));
    QCOMPARE(kv4gui::FolderList::ItemPath(
                 Widget<kv4gui::FolderList>(dialog, "folderList")->currentItem()),
             inTree(expected));
}

void TestDialogs::emptyFolderKeepsTheStartFolder() {
    MakeTree();
    QVERIFY(QDir::setCurrent(root_ + QStringLiteral("/Gamma")));
    DataFolderDialog dialog;
    QVERIFY(QDir::setCurrent(root_));  // later changes elsewhere do not move the list
    dialog.SetFolder(QString());
    QCOMPARE(dialog.Folder(), QDir::toNativeSeparators(root_ + QStringLiteral("/Gamma")));
    QCOMPARE(Widget<QLineEdit>(dialog, "folderEdit")->text(), dialog.Folder());
}

void TestDialogs::listShowsPathAndSubfolders() {
    MakeTree();
    DataFolderDialog dialog;
    dialog.SetFolder(root_);
    QListWidget* list = Widget<kv4gui::FolderList>(dialog, "folderList");

    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    const QStringList components = root_.split(u'/', Qt::SkipEmptyParts);
    QStringList expected{QStringLiteral("/")};
    expected << components;
    const int current = static_cast<int>(components.size());
    QCOMPARE(list->currentRow(), current);
    QCOMPARE(texts.mid(0, current + 1), expected);
    // Subfolders after the path, by name regardless of case; hidden ones and files left out.
    QStringList subfolders = texts.mid(current + 1);
    QVERIFY(subfolders.removeOne(QStringLiteral("Äcker Daten")));
    QCOMPARE(subfolders, (QStringList{"alpha", "beta", "Gamma"}));
}

void TestDialogs::doubleClickOpensFolder() {
    MakeTree();
    DataFolderDialog dialog;
    dialog.SetFolder(root_);
    QVERIFY(kv4guitest::ShowActive(dialog));
    const QString acker = root_ + QStringLiteral("/Äcker Daten");

    QListWidgetItem* item = ItemFor(Widget<kv4gui::FolderList>(dialog, "folderList"), acker);
    QVERIFY(item);
    DoubleClick(Widget<kv4gui::FolderList>(dialog, "folderList"), item);
    QCOMPARE(dialog.Folder(), QDir::toNativeSeparators(acker));
    QCOMPARE(QDir::currentPath(), acker);
    // folderEdit_ shows the folder that was current before the double-click.
    QCOMPARE(Widget<QLineEdit>(dialog, "folderEdit")->text(), QDir::toNativeSeparators(root_));

    // Up again through the path part of the list.
    item = ItemFor(Widget<kv4gui::FolderList>(dialog, "folderList"), root_);
    QVERIFY(item);
    DoubleClick(Widget<kv4gui::FolderList>(dialog, "folderList"), item);
    QCOMPARE(dialog.Folder(), QDir::toNativeSeparators(root_));
    QCOMPARE(QDir::currentPath(), root_);
    QCOMPARE(Widget<QLineEdit>(dialog, "folderEdit")->text(), QDir::toNativeSeparators(acker));

    // OK after the double-clicks: the folder opened last is the result.
    QTest::mouseClick(Widget<QPushButton>(dialog, "okButton"), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.Folder(), QDir::toNativeSeparators(root_));
}

void TestDialogs::doubleClickOnVanishedFolderShowsError() {
    MakeTree();
    DataFolderDialog dialog;
    dialog.SetFolder(root_);
    QVERIFY(kv4guitest::ShowActive(dialog));
    const QString beta = root_ + QStringLiteral("/beta");
    QListWidgetItem* item = ItemFor(Widget<kv4gui::FolderList>(dialog, "folderList"), beta);
    QVERIFY(item);
    QVERIFY(QDir(beta).removeRecursively());

    kv4guitest::ScopedModalHook hook;
    DoubleClick(Widget<kv4gui::FolderList>(dialog, "folderList"), item);
    QCOMPARE(hook.Seen().size(), std::size_t{1});
    QCOMPARE(hook.Seen()[0].title, QStringLiteral("KV_D_Bedarf"));
    QCOMPARE(hook.Seen()[0].text, QStringLiteral("Datei nicht gefunden."));
    QCOMPARE(dialog.Folder(), QDir::toNativeSeparators(root_));
    QCOMPARE(QDir::currentPath(), root_);
}

void TestDialogs::unopenableFolderThrows_data() {
    QTest::addColumn<QString>("given");  // below the tree
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << "fehlt"
                             << "Datei nicht gefunden";
    QTest::newRow("missing below missing") << "fehlt/auch"
                                           << "Datei nicht gefunden";
    QTest::newRow("a file") << "datei.txt"
                            << "Ungültiger Dateiname";
    QTest::newRow("below a file") << "datei.txt/x"
                                  << "Ungültiger Dateiname";
}

void TestDialogs::unopenableFolderThrows() {
    QFETCH(QString, given);
    QFETCH(QString, message);
    MakeTree();
    DataFolderDialog dialog;
    dialog.SetFolder(root_ + QStringLiteral("/Gamma"));
    try {
        dialog.SetFolder(root_ + u'/' + given);
        QFAIL("no error");
    } catch (const std::runtime_error& e) {
        QCOMPARE(QString::fromUtf8(e.what()), message);
    }
    // Nothing moved.
    QCOMPARE(dialog.Folder(), QDir::toNativeSeparators(root_ + QStringLiteral("/Gamma")));
    QCOMPARE(QDir::currentPath(), root_ + QStringLiteral("/Gamma"));
}

void TestDialogs::folderErrorTexts_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("ENOENT") << ENOENT << "Datei nicht gefunden";
    QTest::newRow("EACCES") << EACCES << "Zugriff verweigert";
    QTest::newRow("EPERM") << EPERM << "Zugriff verweigert";
    QTest::newRow("ENOTDIR") << ENOTDIR << "Ungültiger Dateiname";
    QTest::newRow("ENAMETOOLONG") << ENAMETOOLONG << "Ungültiger Dateiname";
    QTest::newRow("EMFILE") << EMFILE << "Zu viele geöffnete Dateien";
    QTest::newRow("EIO") << EIO << QStringLiteral("E/A-Fehler %1").arg(EIO);
}

void TestDialogs::folderErrorTexts() {
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(
                 kv4gui::FolderErrorText(std::error_code(code, std::generic_category()))),
             text);
}

void TestDialogs::everyCloseAccepts_data() {
    QTest::addColumn<int>("way");
    QTest::newRow("OK button") << 0;
    QTest::newRow("close box") << 1;
    QTest::newRow("Escape") << 2;
}

void TestDialogs::everyCloseAccepts() {
    QFETCH(int, way);
    MakeTree();
    DataFolderDialog dialog;
    dialog.SetFolder(root_);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Kornavis Daten"));
    QCOMPARE(Widget<QPushButton>(dialog, "okButton")->text(), QStringLiteral("OK"));
    bool exposed = false;
    const int result = ExecAnswered(
        dialog,
        [&dialog, way] {
            switch (way) {
                case 0:
                    QTest::mouseClick(Widget<QPushButton>(dialog, "okButton"), Qt::LeftButton);
                    break;
                case 1:
                    dialog.close();
                    break;
                default:
                    QTest::keyClick(&dialog, Qt::Key_Escape);
                    break;
            }
        },
        exposed);
    QVERIFY(exposed);
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.Folder(), QDir::toNativeSeparators(root_));
}

void TestDialogs::driveListHoldsRootAndSelectsVolume() {
    MakeTree();
    DataFolderDialog dialog;
    QComboBox* drives = Widget<QComboBox>(dialog, "driveCombo");
    QVERIFY(drives->count() >= 1);
    QCOMPARE(drives->itemText(0), QStringLiteral("/"));

    dialog.SetFolder(root_);
    const QString volume = drives->currentText();
    QVERIFY(root_ == volume ||
            root_.startsWith(volume == QStringLiteral("/") ? volume : volume + '/'));
    // No other listed volume holds the folder more closely.
    for (int i = 0; i < drives->count(); ++i) {
        const QString other = drives->itemText(i);
        if (other.size() > volume.size())
            QVERIFY2(!root_.startsWith(other + '/'), qPrintable(other));
    }

    dialog.SetFolder(QStringLiteral("/"));
    QCOMPARE(drives->currentIndex(), 0);
    QCOMPARE(dialog.Folder(), QStringLiteral("/"));
}

void TestDialogs::otherDriveSwitchesList() {
    MakeTree();
    DataFolderDialog dialog;
    QComboBox* drives = Widget<QComboBox>(dialog, "driveCombo");
    // A volume mounted at <tree>/Gamma, so the test opens no folder outside its tree.
    const QString gamma = root_ + QStringLiteral("/Gamma");
    drives->addItem(QDir::toNativeSeparators(gamma), gamma);
    const int gammaDrive = drives->count() - 1;
    const QString acker = root_ + QStringLiteral("/Äcker Daten");
    dialog.SetFolder(acker);
    const int treeDrive = drives->currentIndex();
    QVERIFY(treeDrive != gammaDrive);

    // Choosing the drive the list is on changes nothing.
    drives->setCurrentIndex(treeDrive);
    QCOMPARE(dialog.Folder(), QDir::toNativeSeparators(acker));

    drives->setCurrentIndex(gammaDrive);
    QCOMPARE(dialog.Folder(), QDir::toNativeSeparators(gamma));
    QCOMPARE(QDir::currentPath(), gamma);
    QCOMPARE(Widget<QLineEdit>(dialog, "folderEdit")->text(),
             QDir::toNativeSeparators(acker));  // a drive change leaves it

    // Leaving the volume through the list shows the drive the list is on now.
    QVERIFY(kv4guitest::ShowActive(dialog));
    QListWidgetItem* up = ItemFor(Widget<kv4gui::FolderList>(dialog, "folderList"), root_);
    QVERIFY(up);
    DoubleClick(Widget<kv4gui::FolderList>(dialog, "folderList"), up);
    QCOMPARE(dialog.Folder(), QDir::toNativeSeparators(root_));
    QCOMPARE(drives->currentIndex(), treeDrive);
    QListWidgetItem* down = ItemFor(Widget<kv4gui::FolderList>(dialog, "folderList"), gamma);
    QVERIFY(down);
    DoubleClick(Widget<kv4gui::FolderList>(dialog, "folderList"), down);
    QCOMPARE(drives->currentIndex(), gammaDrive);
}

// A volume mounted at <tree>/Gam does not hold <tree>/Gamma.
void TestDialogs::folderExtendingADrivesNameIsNotOnIt() {
    MakeTree();
    DataFolderDialog dialog;
    QComboBox* drives = Widget<QComboBox>(dialog, "driveCombo");
    const QString gamma = root_ + QStringLiteral("/Gamma");
    dialog.SetFolder(gamma);
    const int treeDrive = drives->currentIndex();
    const QString gam = root_ + QStringLiteral("/Gam");
    drives->addItem(QDir::toNativeSeparators(gam), gam);
    dialog.SetFolder(root_);
    dialog.SetFolder(gamma);
    QCOMPARE(drives->currentIndex(), treeDrive);
    QCOMPARE(dialog.Folder(), QDir::toNativeSeparators(gamma));
}

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
