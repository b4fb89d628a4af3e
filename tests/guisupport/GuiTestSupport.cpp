#include "guisupport/GuiTestSupport.h"

#include <QAbstractButton>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <utility>

#include "app/WorksheetView.h"

namespace kv4guitest {

ScopedModalHook::ScopedModalHook() {
    previous_ = kv4gui::SetModalHook([this](QDialog& dialog) { return Answer(dialog); });
}

ScopedModalHook::~ScopedModalHook() { kv4gui::SetModalHook(std::move(previous_)); }

ScopedModalHook& ScopedModalHook::AnswerButton(const QString& text) {
    return Respond([text](QDialog& dialog) { return PressButton(dialog, text); });
}

ScopedModalHook& ScopedModalHook::Accept() {
    return Respond([](QDialog& dialog) {
        dialog.accept();
        return dialog.result();
    });
}

ScopedModalHook& ScopedModalHook::Reject() {
    return Respond([](QDialog& dialog) {
        dialog.reject();
        return dialog.result();
    });
}

ScopedModalHook& ScopedModalHook::Respond(Responder responder) {
    answers_.push_back(std::move(responder));
    return *this;
}

int ScopedModalHook::Answer(QDialog& dialog) {
    SeenDialog seen;
    seen.className = QString::fromLatin1(dialog.metaObject()->className());
    seen.title = dialog.windowTitle();
    auto* box = qobject_cast<QMessageBox*>(&dialog);
    if (box) {
        seen.text = box->text();
        seen.detail = box->informativeText();
        if (box->defaultButton()) seen.preset = box->defaultButton()->text();
        seen.icon = box->icon();
        for (QAbstractButton* button : box->buttons()) seen.buttons.push_back(button->text());
    }
    seen_.push_back(seen);
    const std::size_t index = seen_.size() - 1;

    int result = 0;
    if (!answers_.empty()) {
        Responder responder = std::move(answers_.front());
        answers_.pop_front();
        result = responder(dialog);
    } else if (box) {
        QAbstractButton* button = box->defaultButton();
        if (!button && !box->buttons().isEmpty()) button = box->buttons().front();
        result = button ? PressButton(dialog, button->text()) : 0;
    } else {
        dialog.accept();
        result = dialog.result();
    }
    if (box && box->clickedButton()) seen_[index].answer = box->clickedButton()->text();
    return result;
}

int PressButton(QDialog& dialog, const QString& text) {
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
        if (button->text() == text && button->isVisible() && button->isEnabled()) {
            button->click();
            return dialog.result();
        }
    }
    return -1;
}

bool ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

void ClickCell(kv4gui::WorksheetView* grid, int col, int row) {
    grid->ScrollToCell(col, row);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                      grid->CellRect(col, row).center());
}

}  // namespace kv4guitest
