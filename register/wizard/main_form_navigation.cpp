// The screen sequence: what Next, Previous, Submit, Retry, Exit, Finish and
// Cancel do on each screen, and the hover pictures of the bottom buttons.
#include "register/wizard/main_form.h"

#include "register/dialogs/dlg_cancel.h"

void MainForm::cmdNext_Click() {}
void MainForm::cmdPrev_Click() {}
void MainForm::cmdSubmit_Click() {}
void MainForm::cmdRetry_Click() {}
void MainForm::cmdExit_Click() {}
void MainForm::cmdFinish_Click() { m_services.endProgram(); }
void MainForm::cmdCancel_Click()
{
    if (!m_state.normalMode) {
        m_services.endProgram();
        return;
    }
    DisplayCancelPage();
}
void MainForm::pictureButton_MouseMove(forms::Control *) {}
void MainForm::imgBack_MouseMove() {}
