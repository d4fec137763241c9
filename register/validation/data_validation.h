#pragma once

// Whether the player may leave the page shown: every answer of that page
// against the pattern and optional holders that travel with its controls.

#include <QDate>

namespace forms {
class Form;
}
struct WizardState;

// On a failure the focus stands on the failing field and wrongDataMessage
// holds the text to show (the field's own error text, the age-limit prompt
// or dataErrorText). In test mode everything passes and nothing changes.
// today: the date minimum ages and "not in the future" are measured against.
bool isDataValid(forms::Form &form, WizardState &state, QDate today = QDate::currentDate());
