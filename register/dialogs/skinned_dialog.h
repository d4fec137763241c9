#pragma once

// What the wizard's two dialogs share: a fixed layout with an OK (cmdQuit)
// and a Cancel picture button, the main window disabled while the dialog
// stands and its focused field given back afterwards, the hover pictures of
// the two buttons, and the way the dialog keeps itself enabled although it
// is a child of the window it disables.

#include "platform/forms/form.h"

#include <QDialog>
#include <QPixmap>
#include <QPointer>

struct WizardState;

class SkinnedDialog : public QDialog {
    Q_OBJECT
  public:
    forms::Form &form() { return m_form; }

    // The main window is disabled while the dialog stands. Its focused field
    // gets the focus back afterwards. A second call while the window is
    // already disabled keeps the field of the first.
    void disableMainWindow();
    void enableMainWindow();

    virtual void cmdQuit_Click() = 0;
    virtual void cmdCancel_Click() = 0;
    void cmdQuit_MouseMove();
    void cmdCancel_MouseMove();
    void Form_MouseMove();

  protected:
    using BuildLayout = void (*)(forms::Form &);
    // returnKeyboard: enabling the main window also hands it the keyboard
    // when this dialog has it (without a window manager nothing else would).
    SkinnedDialog(const char *objectName, BuildLayout build, WizardState &state,
                  forms::Form &mainForm, bool returnKeyboard, QWidget *parent);

    forms::Control *ctl(QLatin1String name) const;

    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

    WizardState &m_state;
    forms::Form &m_mainForm;

  private:
    forms::Form m_form;
    QPointer<QWidget> m_mainFocus;
    bool m_returnKeyboard;
};
