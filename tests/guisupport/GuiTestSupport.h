#pragma once
// Helpers of the window tests: answering modal dialogs through the seam, and
// real mouse clicks on grid cells.
#include <QObject>
#include <QString>
#include <QtGlobal>
#include <deque>
#include <functional>
#include <vector>

#include "dialogs/ModalDialogs.h"

class QDialog;
class QWidget;

namespace kv4gui {
class WorksheetView;
}

namespace kv4guitest {

// A widget of `window` by its object name, as a user finds it by its look.
// The test stops with a message when there is none of that type.
template <class T = QWidget>
T* Widget(const QObject& window, const char* objectName) {
    T* found = window.findChild<T*>(QString::fromLatin1(objectName));
    if (found == nullptr)
        qFatal("%s has no %s named %s", qPrintable(window.objectName()),
               T::staticMetaObject.className(), objectName);
    return found;
}

// The open cell editor of that name, or none: the worksheets' editors live
// only while they are open.
template <class T = QWidget>
T* OpenEditor(const QObject& window, const char* objectName) {
    for (T* editor : window.findChildren<T*>(QString::fromLatin1(objectName)))
        if (editor->isVisible()) return editor;
    return nullptr;
}

// A dialog as the hook saw it.
struct SeenDialog {
    QString className;
    QString title;
    QString text;                  // the text of a message box
    QString detail;                // its informative text
    QString preset;                // text of its default button
    int icon = 0;                  // QMessageBox::Icon of a message box
    std::vector<QString> buttons;  // button texts of a message box
    QString answer;                // text of the button pressed, if any
};

// Answers every modal dialog while it lives and records what it saw. Each
// dialog takes the next queued answer; without one, a message box gets its
// default button and any other dialog is accepted.
class ScopedModalHook {
  public:
    using Responder = std::function<int(QDialog&)>;

    ScopedModalHook();
    ~ScopedModalHook();
    ScopedModalHook(const ScopedModalHook&) = delete;
    ScopedModalHook& operator=(const ScopedModalHook&) = delete;

    // Presses the button with this text (as written, "&Ja").
    ScopedModalHook& AnswerButton(const QString& text);
    ScopedModalHook& Accept();
    ScopedModalHook& Reject();
    // Anything else: the responder gets the shown dialog and returns its result.
    ScopedModalHook& Respond(Responder responder);

    const std::vector<SeenDialog>& Seen() const { return seen_; }
    int Pending() const { return static_cast<int>(answers_.size()); }

  private:
    int Answer(QDialog& dialog);

    std::deque<Responder> answers_;
    std::vector<SeenDialog> seen_;
    kv4gui::ModalHook previous_;
};

// Presses the button of a dialog whose text is `text`; returns the dialog's
// result, or -1 when there is no such button.
int PressButton(QDialog& dialog, const QString& text);

// Shows the window at its size and waits until it is active, so clicks move
// the focus as they do for a user.
bool ShowActive(QWidget& window);

// A left click at the centre of a cell, scrolled into view first.
void ClickCell(kv4gui::WorksheetView* grid, int col, int row);

}  // namespace kv4guitest
