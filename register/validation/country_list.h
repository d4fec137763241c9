#pragma once

// The country list of the region screen and what a country choice sets.

namespace forms {
class Form;
}
struct WizardState;

// Fills cmbCountry: an empty entry, the configured countries, "Other"; with
// useDefault "1" it selects the current country (or the first one).
void LoadCountry(forms::Form &form, WizardState &state);

// A country was chosen: the language that goes with it, the country field.
void cmbCountry_Click(forms::Form &form, WizardState &state);

// The personal city and state lists copy their text into the text boxes.
void cmbCity_Change(forms::Form &form);
void cmbState_Change(forms::Form &form);
