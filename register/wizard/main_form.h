#pragma once

// The wizard's main window. It holds the wiring: the fixed layout, the
// wizard-wide state and the event handlers, each a few lines that call the
// subsystems (startup, pages, validation, submission, dialogs).

#include "platform/forms/form.h"
#include "register/core/wizard_state.h"

#include <QStringList>
#include <QWidget>

class DlgCancel;
class DlgError;
enum class WizardEvent;
enum class WizardCheck;
struct WizardStep;

class MainForm : public QWidget {
    Q_OBJECT
  public:
    // appPath: the folder of the program (config.xml and nocheck.txt lie
    // there); processArguments: the arguments after the program's name.
    MainForm(const QString &appPath, const QStringList &processArguments,
             WizardServices services = {}, QWidget *parent = nullptr);
    ~MainForm() override;

    forms::Form &form() { return m_form; }
    WizardState &state() { return m_state; }
    WizardServices &services() { return m_services; }
    DlgError &errorDialog() { return *m_dlgError; }
    DlgCancel &cancelDialog() { return *m_dlgCancel; }
    forms::Control *ctl(const QString &name, int index = -1) const
    {
        return m_form.control(name, index);
    }

    // Start-up: mode, configuration, defaults, lists, language section, global
    // settings. Runs once, before the window is first shown.
    void Form_Load();

    // Navigation: each runs the check the screen sequence asks for, then
    // shows the screen it answers.
    void cmdNext_Click();
    void cmdPrev_Click();
    void cmdSubmit_Click();
    void cmdRetry_Click();
    void cmdExit_Click();
    void cmdFinish_Click();
    void cmdCancel_Click();
    void DisplayCancelPage();

    // The method screen's OK: online submission or printed form.
    void cmdOk_Click();

    // Region and personal lists.
    void cmbCountry_Click();
    void cmbCity_Change();
    void cmbState_Change();

    // Hover: a button shows its hover picture; the background restores all.
    void pictureButton_MouseMove(forms::Control *button);
    void imgBack_MouseMove();

  protected:
    void keyPressEvent(QKeyEvent *event) override;

  private:
    void wire();
    void go(WizardEvent event);
    // Runs the check and reports a failure; true when the step may go on.
    bool passes(WizardCheck check);
    void showStep(const WizardStep &step);

    forms::Form m_form;
    WizardState m_state;
    WizardServices m_services;
    QStringList m_processArguments;
    DlgError *m_dlgError = nullptr;
    DlgCancel *m_dlgCancel = nullptr;
};
