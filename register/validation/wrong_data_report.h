#pragma once

#include <QString>

namespace forms {
class Form;
}
struct WizardState;
class DlgError;

// Shows message (or, when empty, wrongDataMessage) in the message dialog,
// centred over the main window, with the main window disabled; modal waits
// until the dialog is closed.
void DisplayWrongData(forms::Form &mainForm, DlgError &dialog, const WizardState &state,
                      const QString &message, bool modal);
