#pragma once

// The registration request: the answers of the question pages, the personal
// fields, the birth date, the product and the language, encoded and appended
// to the registration URL.

#include <QString>

namespace forms {
class Form;
}
struct WizardState;

// May replace gameName with the answer of a text box whose id is "1".
QString buildRequestUrl(forms::Form &form, WizardState &state);
