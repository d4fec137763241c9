#pragma once

// The wizard's one message window, captioned "Attention": a message with OK,
// a question with OK and Cancel, or a notice without buttons while the wizard
// connects to the registration server.

#include "platform/forms/form.h"

#include <QDialog>
#include <QPointer>

struct WizardState;

class DlgError : public QDialog {
    Q_OBJECT
  public:
    // mainForm is re-enabled when the dialog closes or hides itself.
    DlgError(WizardState &state, forms::Form &mainForm, QWidget *parent);

    forms::Form &form() { return m_form; }

    // true: only OK, centred; false: OK and Cancel. OK sets it back to true.
    bool okOnly = true;
    // true when the dialog was left with Cancel (or closed after a question).
    bool isCanceled = false;

    // The main window is disabled while a message stands. Its focused field
    // (the one validation complained about) gets the focus back afterwards.
    void disableMainWindow();
    void enableMainWindow();

    // Colours, pictures and button layout; runs each time the dialog is shown.
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

    WizardState &m_state;
    forms::Form &m_mainForm;
    forms::Form m_form;
    QPointer<QWidget> m_mainFocus;
};
