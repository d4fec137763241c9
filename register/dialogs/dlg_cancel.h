#pragma once

// The register-later dialog: remind me in N days, remind me tomorrow, or do
// not register. Confirming a reminder writes the autostart entry that runs
// schedule at each logon, then ends the wizard.

#include "platform/forms/form.h"

#include <QDialog>
#include <QPointer>
#include <QString>

struct WizardState;
struct WizardServices;
class DlgError;

class DlgCancel : public QDialog {
    Q_OBJECT
  public:
    DlgCancel(WizardState &state, const WizardServices &services, forms::Form &mainForm,
              QWidget *parent);

    forms::Form &form() { return m_form; }

    // The message window that reports a reminder that could not be written.
    // Without one the failure goes to standard error only.
    void setMessageDialog(DlgError *dialog) { m_messageDialog = dialog; }

    // The main window is disabled while the dialog stands, and enabled again
    // on every way back to the wizard. Its focused field gets the focus back.
    void disableMainWindow();
    void enableMainWindow();

    // Texts, colours, positions and pictures from the language section; runs
    // each time the dialog is shown. The option selection is left as it is.
    void Form_Activate();

    void cmdQuit_Click();
    void cmdCancel_Click();
    void cmdQuit_MouseMove();
    void cmdCancel_MouseMove();
    void Form_MouseMove();

  protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

  private:
    forms::Control *ctl(const char *name) const;
    void reminderNotWritten(const QString &entryPath, const QString &reason);

    WizardState &m_state;
    const WizardServices &m_services;
    forms::Form &m_mainForm;
    forms::Form m_form;
    DlgError *m_messageDialog = nullptr; // owned by the main window, as this dialog is
    QPointer<QWidget> m_mainFocus;
};
