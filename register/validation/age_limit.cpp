#include "register/validation/age_limit.h"

#include "platform/forms/form.h"
#include "register/wizard/wizard_state.h"

void LoadAgeLimit(forms::Form &, WizardState &) {}
