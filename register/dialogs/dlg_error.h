#pragma once

// The wizard's one message window, captioned "Attention": a message with OK,
// a question with OK and Cancel, or a notice without buttons while the wizard
// connects to the registration server.

#include "register/dialogs/skinned_dialog.h"

class DlgError : public SkinnedDialog {
    Q_OBJECT
  public:
    // mainForm is re-enabled when the dialog closes or hides itself, and
    // gets the keyboard back.
    DlgError(WizardState &state, forms::Form &mainForm, QWidget *parent);

    // true: only OK, centred; false: OK and Cancel. OK sets it back to true.
    bool okOnly = true;
    // true when the dialog was left with Cancel (or closed after a question).
    bool isCanceled = false;

    // Colours, pictures and button layout; runs each time the dialog is shown.
    void Form_Activate();

    void cmdQuit_Click() override;
    void cmdCancel_Click() override;

  protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
