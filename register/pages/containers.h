#pragma once

// Moving the shared background and bottom buttons into the screen about to be
// shown, and discarding the run-time page controls.

#include <QString>

namespace forms {
class Form;
class Control;
} // namespace forms
struct WizardState;

// container: a frame, or nullptr for the window itself. Cancel goes to the
// first slot, Previous to the second, Next or Submit to the third.
void SetContainer(forms::Form &form, const WizardState &state, forms::Control *container);

// A hidden text box that carries a field's rule to validation (its pattern,
// or whether it may stay empty; see names::holderName): the one of that name,
// or a new one, inside container, with the text given.
forms::Control *setHolder(forms::Form &form, const QString &name, const QString &text,
                          forms::Control *container);

// Removes every control created at run time (the page controls, their
// holders, the answer-list elements beyond the first) and leaves the
// region-and-language screen usable.
void RemoveAllObject(forms::Form &form);
