#pragma once

// Whether the player may leave the page shown: every answer of that page
// against the pattern and optional holders that travel with its controls.

namespace forms {
class Form;
}
struct WizardState;

// On a failure the focus stands on the failing field and wrongDataMessage
// holds the text to show. In test mode everything passes and nothing changes.
bool isDataValid(forms::Form &form, WizardState &state);
