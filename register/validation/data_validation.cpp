#include "register/validation/data_validation.h"

#include "platform/forms/form.h"
#include "register/wizard/wizard_state.h"

bool isDataValid(forms::Form &, WizardState &) { return true; }
