#pragma once
// Every modal dialog and message box of the program runs through ExecModal,
// so a test can answer it instead of a user.
#include <QString>
#include <functional>
#include <string>

class QDialog;
class QWidget;

namespace kv4gui {

using ModalHook = std::function<int(QDialog&)>;

// Runs dialog.exec(), or, while a hook is installed, shows the dialog
// without a modal loop, lets the hook answer it and closes it. Returns the
// dialog's result.
int ExecModal(QDialog& dialog);

// Installs a hook (an empty function removes it); returns the previous one.
ModalHook SetModalHook(ModalHook hook);

// Caption of the standard error box: the application title.
inline const QString kApplicationTitle = QStringLiteral("KV_D_Bedarf");

// The standard error box for an error that ended a handler: stop icon, the
// text with the full-stop rule, one button "OK".
// A cell's error names the cell below the text (`place`).
void ShowStandardError(QWidget* parent, const std::string& text, const std::string& place = {});

// A message box of type error: caption "Fehler", one button "OK".
void ShowErrorMessage(QWidget* parent, const std::string& text);

// The button that Return presses in a confirmation.
enum class DefaultAnswer { Yes, No };

// A confirmation: caption "Bestätigung", buttons "&Ja" and "&Nein". True
// when "&Ja" was chosen.
bool AskConfirmation(QWidget* parent, const std::string& text,
                     DefaultAnswer defaultAnswer = DefaultAnswer::Yes);

}  // namespace kv4gui
