#include "register/submission/request_url.h"

#include "platform/forms/form.h"
#include "register/wizard/wizard_state.h"

QString buildRequestUrl(forms::Form &, WizardState &state) { return state.registrationUrl; }
