// What outlives a session of the main window: the question before unsaved
// entries are lost, the window's place and each farm's header, kept in the
// user's settings.
#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QPointer>
#include <QSettings>
#include <QUrl>

#include "app/MainWindow.h"
#include "dialogs/ModalDialogs.h"
#include "render/QtText.h"

namespace kv4gui {

namespace {

const QString kPlaceKey = QStringLiteral("Fenster/Platz");
const QString kFarmsGroup = QStringLiteral("Betriebe");
const QString kFarmNameKey = QStringLiteral("Betrieb");
const QString kFarmNumberKey = QStringLiteral("Betriebsnummer");

constexpr const char* kCloseQuestion =
    "Die Eingaben sind nicht gespeichert. Programm trotzdem beenden?";

// One settings group per data folder. Slashes and backslashes separate
// groups in QSettings, so the path is percent-encoded into a single key.
QString FarmGroup(const std::string& dataFolder) {
    return kFarmsGroup + QLatin1Char('/') +
           QString::fromLatin1(QUrl::toPercentEncoding(ToQString(dataFolder)));
}

}  // namespace

void MainWindow::MarkEdited() { edited_ = true; }

void MainWindow::MarkSaved() {
    edited_ = false;
    nRevisionSaved_ = nSheet_.Revision();
    pRevisionSaved_ = pSheet_.Revision();
}

bool MainWindow::HasUnsavedEntries() const {
    return edited_ || nSheet_.Revision() != nRevisionSaved_ ||
           pSheet_.Revision() != pRevisionSaved_;
}

void MainWindow::RestoreWindowPlace() {
    // Nothing stored, or a place from another screen set-up: restoreGeometry
    // keeps the design size, or moves the window onto a screen.
    restoreGeometry(QSettings().value(kPlaceKey).toByteArray());
}

void MainWindow::RememberSession() const {
    QSettings settings;
    settings.setValue(kPlaceKey, saveGeometry());
    if (dataFolder_.empty()) return;
    settings.beginGroup(FarmGroup(dataFolder_));
    settings.setValue(kFarmNameKey, farmNameEdit_->text());
    settings.setValue(kFarmNumberKey, farmNumberEdit_->text());
}

void MainWindow::RecallFarmHeader() {
    if (dataFolder_.empty()) return;
    QSettings settings;
    settings.beginGroup(FarmGroup(dataFolder_));
    // setText, not typing: a recalled header is no new entry.
    if (settings.contains(kFarmNameKey))
        farmNameEdit_->setText(settings.value(kFarmNameKey).toString());
    if (settings.contains(kFarmNumberKey))
        farmNumberEdit_->setText(settings.value(kFarmNumberKey).toString());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Text still in an open cell editor counts: leaving the editor takes it
    // into its worksheet, as a click elsewhere would. An editor may be gone
    // after that.
    const QPointer<QWidget> focused = QApplication::focusWidget();
    if (focused && isAncestorOf(focused)) focused->clearFocus();
    if (HasUnsavedEntries() && !AskConfirmation(this, kCloseQuestion, DefaultAnswer::No)) {
        event->ignore();
        if (focused && focused->isVisible()) focused->setFocus(Qt::OtherFocusReason);
        return;
    }
    RememberSession();
    QWidget::closeEvent(event);
}

}  // namespace kv4gui
