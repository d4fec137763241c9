#pragma once

// Whether the player may leave the page shown: every answer of that page
// against the pattern and optional holders that travel with its controls.

#include <QDate>
#include <QString>

namespace forms {
class Form;
}
struct WizardState;

struct DataVerdict {
    bool valid = true;
    // The text to show on a failure: the field's own error text, the
    // age-limit prompt or dataErrorText. Also left in wrongDataMessage.
    QString message;
    // The failure is the age warning of a country that lets the player go
    // on anyway (its age entry's option is "1").
    bool overridable = false;

    explicit operator bool() const { return valid; }
};

// On a failure the focus stands on the failing field. In test mode
// everything passes and nothing changes. today: the date minimum ages and
// "not in the future" are measured against.
DataVerdict isDataValid(forms::Form &form, WizardState &state, QDate today = QDate::currentDate());
