// The method screen's OK: the online submission or the printed form.
#include "register/wizard/main_form.h"

void MainForm::cmdOk_Click() {}
