#include "register/dialogs/dlg_error.h"

#include "register/layouts/layouts.h"
#include "register/wizard/wizard_state.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>

DlgError::DlgError(WizardState &state, forms::Form &mainForm, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                          | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint),
      m_state(state), m_mainForm(mainForm), m_form(this)
{
    setObjectName(QStringLiteral("dlgError"));
    setMouseTracking(true);
    layouts::buildErrorDialog(m_form);
    connect(m_form.control(QStringLiteral("cmdQuit")), &forms::Control::clicked, this,
            &DlgError::cmdQuit_Click);
    connect(m_form.control(QStringLiteral("cmdCancel")), &forms::Control::clicked, this,
            &DlgError::cmdCancel_Click);
    connect(m_form.control(QStringLiteral("cmdQuit")), &forms::Control::mouseMoved, this,
            &DlgError::cmdQuit_MouseMove);
    connect(m_form.control(QStringLiteral("cmdCancel")), &forms::Control::mouseMoved, this,
            &DlgError::cmdCancel_MouseMove);
}

void DlgError::Form_Activate() {}

void DlgError::cmdQuit_Click()
{
    okOnly = true;
    isCanceled = false;
    m_mainForm.window()->setEnabled(true);
    hide();
}

void DlgError::cmdCancel_Click()
{
    isCanceled = true;
    m_mainForm.window()->setEnabled(true);
    hide();
}

void DlgError::cmdQuit_MouseMove() {}
void DlgError::cmdCancel_MouseMove() {}
void DlgError::Form_MouseMove() {}

void DlgError::showEvent(QShowEvent *event)
{
    Form_Activate();
    QDialog::showEvent(event);
}

void DlgError::closeEvent(QCloseEvent *event)
{
    // Closed from the title bar: the flags keep their values.
    m_mainForm.window()->setEnabled(true);
    QDialog::closeEvent(event);
}

void DlgError::mouseMoveEvent(QMouseEvent *event)
{
    Form_MouseMove();
    QDialog::mouseMoveEvent(event);
}

void DlgError::keyPressEvent(QKeyEvent *event)
{
    QDialog::keyPressEvent(event);
}
