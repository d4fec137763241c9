#include "register/dialogs/dlg_cancel.h"

#include "register/layouts/layouts.h"
#include "register/wizard/wizard_state.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>

DlgCancel::DlgCancel(WizardState &state, const WizardServices &services, forms::Form &mainForm,
                     QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                          | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint),
      m_state(state), m_services(services), m_mainForm(mainForm), m_form(this)
{
    setObjectName(QStringLiteral("dlgCancel"));
    setMouseTracking(true);
    layouts::buildCancelDialog(m_form);
    connect(m_form.control(QStringLiteral("cmdQuit")), &forms::Control::clicked, this,
            &DlgCancel::cmdQuit_Click);
    connect(m_form.control(QStringLiteral("cmdCancel")), &forms::Control::clicked, this,
            &DlgCancel::cmdCancel_Click);
}

void DlgCancel::Form_Activate() {}
void DlgCancel::cmdQuit_Click() {}
void DlgCancel::cmdCancel_Click() { hide(); }
void DlgCancel::cmdQuit_MouseMove() {}
void DlgCancel::cmdCancel_MouseMove() {}
void DlgCancel::Form_MouseMove() {}

void DlgCancel::showEvent(QShowEvent *event)
{
    Form_Activate();
    QDialog::showEvent(event);
}

void DlgCancel::closeEvent(QCloseEvent *event)
{
    m_mainForm.window()->setEnabled(true);
    QDialog::closeEvent(event);
}

void DlgCancel::mouseMoveEvent(QMouseEvent *event)
{
    Form_MouseMove();
    QDialog::mouseMoveEvent(event);
}

void DlgCancel::keyPressEvent(QKeyEvent *event) { QDialog::keyPressEvent(event); }
