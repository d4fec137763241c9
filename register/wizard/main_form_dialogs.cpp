// The register-later dialog, opened by Cancel in normal mode.
#include "register/wizard/main_form.h"

#include "register/dialogs/dlg_cancel.h"

void MainForm::DisplayCancelPage() {}
