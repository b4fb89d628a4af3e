#include "dialogs/ModalDialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <utility>

#include "render/QtText.h"
#include "worksheets/NumberFormat.h"

namespace kv4gui {

namespace {

ModalHook& InstalledHook() {
    static ModalHook hook;
    return hook;
}

void ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                 const std::string& text, const std::string& detail = {}) {
    QMessageBox box(icon, caption, ToQString(text), QMessageBox::NoButton, parent);
    // File names and user input end up in these texts: never read them as markup.
    box.setTextFormat(Qt::PlainText);
    if (!detail.empty()) box.setInformativeText(ToQString(detail));
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    ExecModal(box);
}

}  // namespace

int ExecModal(QDialog& dialog) {
    if (!InstalledHook()) return dialog.exec();
    // A copy: the hook may replace itself while it runs.
    const ModalHook hook = InstalledHook();
    const QPointer<QWidget> active = QApplication::activeWindow();
    dialog.show();
    const int result = hook(dialog);
    if (dialog.isVisible()) dialog.done(result);
    // Closing a modal dialog hands the activation back; so does this.
    if (active && active->isVisible()) active->activateWindow();
    return result;
}

ModalHook SetModalHook(ModalHook hook) { return std::exchange(InstalledHook(), std::move(hook)); }

void ShowStandardError(QWidget* parent, const std::string& text, const std::string& place) {
    ShowMessage(parent, QMessageBox::Critical, kApplicationTitle, kv4::WithFullStop(text), place);
}

void ShowErrorMessage(QWidget* parent, const std::string& text) {
    ShowMessage(parent, QMessageBox::Critical, QStringLiteral("Fehler"), text);
}

bool AskConfirmation(QWidget* parent, const std::string& text, DefaultAnswer defaultAnswer) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Bestätigung"), ToQString(text),
                    QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    QPushButton* yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
    box.setDefaultButton(defaultAnswer == DefaultAnswer::Yes ? yes : no);
    box.setEscapeButton(no);
    ExecModal(box);
    return box.clickedButton() == yes;
}

}  // namespace kv4gui
