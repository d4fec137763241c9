#pragma once

// Applies the chosen language section to the windows: size, caption,
// background, colours, texts, page markup, personal fields, pictures and the
// bottom button row. Every assignment stands alone: a missing element or
// attribute, or a value that does not convert, leaves its target unchanged.

namespace forms {
class Form;
}
struct WizardState;

void LoadGlobalSetting(forms::Form &mainForm, forms::Form &cancelForm, WizardState &state);
