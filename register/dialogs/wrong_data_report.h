#pragma once

#include <QString>

namespace forms {
class Form;
}
struct WizardState;
class DlgError;

// Lays message (or, when empty, wrongDataMessage) out in the message dialog
// and shows it centred over the main window, with the main window disabled
// until the dialog is left; modal waits until then, otherwise the call
// returns at once. The wizard asks through DlgError::ask, which decides the
// buttons; this is its layout.
void DisplayWrongData(forms::Form &mainForm, DlgError &dialog, const WizardState &state,
                      const QString &message, bool modal);
