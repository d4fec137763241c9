#pragma once

// The register-later dialog: remind me in N days, remind me tomorrow, or do
// not register. Confirming a reminder writes the autostart entry that runs
// schedule at each logon, then ends the wizard.

#include "register/dialogs/skinned_dialog.h"

#include <QString>

struct WizardServices;
class DlgError;

class DlgCancel : public SkinnedDialog {
    Q_OBJECT
  public:
    DlgCancel(WizardState &state, const WizardServices &services, forms::Form &mainForm,
              QWidget *parent);

    // The message window that reports a reminder that could not be written.
    // Without one the failure goes to standard error only.
    void setMessageDialog(DlgError *dialog) { m_messageDialog = dialog; }

    // Texts, colours, positions and pictures from the language section; runs
    // each time the dialog is shown. The option selection is left as it is.
    void Form_Activate();

    void cmdQuit_Click() override;
    void cmdCancel_Click() override;

  protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

  private:
    void reminderNotWritten(const QString &entryPath, const QString &reason);

    const WizardServices &m_services;
    DlgError *m_messageDialog = nullptr; // owned by the main window, as this dialog is
};
