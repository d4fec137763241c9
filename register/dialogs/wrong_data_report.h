#pragma once

#include <QString>

namespace forms {
class Form;
}
struct WizardState;
class DlgError;

// Shows message (or, when empty, wrongDataMessage) in the message dialog,
// centred over the main window, with the main window disabled until the
// dialog is left; modal waits until then, otherwise the call returns at once.
// The caller sets the dialog's okOnly and isCanceled first.
void DisplayWrongData(forms::Form &mainForm, DlgError &dialog, const WizardState &state,
                      const QString &message, bool modal);
