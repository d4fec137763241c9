#pragma once

// The minimum age and its message for the country the player chose.

#include <QStringList>

namespace forms {
class Form;
}
struct WizardState;

// Takes the //age entry for the text of txtCountry (else the <else> entry)
// and sets the welcome page's date pattern holder (the minimum age),
// agePrompt and ageOption. Without a usable entry no age limit applies; the
// configuration problem is reported on standard error.
void LoadAgeLimit(forms::Form &form, WizardState &state);

// LoadAgeLimit for each country in turn, typed into txtCountry, reporting
// the problems of each entry taken; the age list is read once for all of
// them. The field, the holder and the message are left as for the last.
void LoadAgeLimits(forms::Form &form, WizardState &state, const QStringList &countries);
