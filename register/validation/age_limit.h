#pragma once

// The minimum age and its message for the country the player chose.

namespace forms {
class Form;
}
struct WizardState;

void LoadAgeLimit(forms::Form &form, WizardState &state);
