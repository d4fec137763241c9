#pragma once

// The eleven personal-information fields: shown or hidden, captions,
// positions, colours, lengths, and the hidden pattern and optional holders
// that validation reads.

namespace forms {
class Form;
}
struct WizardState;

void LoadPersonalFields(forms::Form &mainForm, WizardState &state);
