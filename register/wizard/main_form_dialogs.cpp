// The register-later dialog, opened by Cancel in normal mode.
#include "register/wizard/main_form.h"

#include "register/dialogs/dlg_cancel.h"

#include <cmath>

void MainForm::DisplayCancelPage()
{
    // Centred over the window on the outer sizes, in floating point, rounded
    // once at the end.
    forms::Form &dialog = m_dlgCancel->form();
    const double top = m_form.top() + (m_form.outerHeight() - dialog.outerHeight()) / 2.0;
    const double left = m_form.left() + (m_form.outerWidth() - dialog.outerWidth()) / 2.0;
    dialog.move(int(std::lround(left)), int(std::lround(top)));

    m_dlgCancel->setMessageDialog(m_dlgError);
    // The wizard waits here, on the page it showed, until the dialog is left
    // with Cancel or closed; both confirmations end the program instead.
    m_dlgCancel->disableMainWindow();
    m_dlgCancel->waitUntilLeft();
    m_dlgCancel->enableMainWindow();
}
