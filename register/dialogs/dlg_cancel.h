#pragma once

// The register-later dialog: remind me in N days, remind me tomorrow, or do
// not register. Confirming a reminder writes the autostart entry that runs
// schedule at each logon, then ends the wizard.

#include "platform/forms/form.h"

#include <QDialog>

struct WizardState;
struct WizardServices;

class DlgCancel : public QDialog {
    Q_OBJECT
public:
    DlgCancel(WizardState &state, const WizardServices &services, forms::Form &mainForm,
              QWidget *parent);

    forms::Form &form() { return m_form; }

    // Texts, colours, positions and pictures from the language section; runs
    // each time the dialog is shown.
    void Form_Activate();

    void cmdQuit_Click();
    void cmdCancel_Click();
    void cmdQuit_MouseMove();
    void cmdCancel_MouseMove();
    void Form_MouseMove();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    WizardState &m_state;
    const WizardServices &m_services;
    forms::Form &m_mainForm;
    forms::Form m_form;
};
