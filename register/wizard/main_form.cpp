#include "register/wizard/main_form.h"

#include "register/core/control_names.h"

#include "register/dialogs/dlg_cancel.h"
#include "register/dialogs/dlg_error.h"
#include "register/layouts/layouts.h"
#include "register/startup/startup.h"
#include "register/validation/country_list.h"

#include <QApplication>
#include <QKeyEvent>

MainForm::MainForm(const QString &appPath, const QStringList &processArguments,
                   WizardServices services, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint),
      m_form(this), m_services(std::move(services)), m_processArguments(processArguments)
{
    setObjectName(QStringLiteral("MainForm"));
    m_state.appPath = appPath;
    m_state.problems.setEcho(true);
    if (!m_services.endProgram) {
        m_services.endProgram = [] {
            QApplication::closeAllWindows();
            QCoreApplication::exit(0);
        };
    }
    layouts::buildMainForm(m_form);
    // Configuration checks that need the window on screen run once it is.
    connect(&m_form, &forms::Form::settled, this, [this] { m_state.problems.runWaitingChecks(); });
    m_dlgError = new DlgError(m_state, m_form, this);
    m_dlgCancel = new DlgCancel(m_state, m_services, m_form, this);
    wire();
}

MainForm::~MainForm() = default;

void MainForm::wire()
{
    auto onClick = [this](QLatin1String name, void (MainForm::*handler)()) {
        connect(ctl(name), &forms::Control::clicked, this, handler);
    };
    onClick(names::cmdNext, &MainForm::cmdNext_Click);
    onClick(names::cmdPrev, &MainForm::cmdPrev_Click);
    onClick(names::cmdSubmit, &MainForm::cmdSubmit_Click);
    onClick(names::cmdRetry, &MainForm::cmdRetry_Click);
    onClick(names::cmdExit, &MainForm::cmdExit_Click);
    onClick(names::cmdFinish, &MainForm::cmdFinish_Click);
    onClick(names::cmdCancel, &MainForm::cmdCancel_Click);
    onClick(names::cmdOk, &MainForm::cmdOk_Click);
    onClick(names::cmbCountry, &MainForm::cmbCountry_Click);
    connect(ctl(names::cmbCity), &forms::Control::changed, this, &MainForm::cmbCity_Change);
    connect(ctl(names::cmbState), &forms::Control::changed, this, &MainForm::cmbState_Change);

    for (QLatin1String name : {names::cmdCancel, names::cmdNext, names::cmdPrev, names::cmdSubmit,
                               names::cmdOk, names::cmdFinish, names::cmdRetry, names::cmdExit}) {
        forms::Control *button = ctl(name);
        connect(button, &forms::Control::mouseMoved, this,
                [this, button] { pictureButton_MouseMove(button); });
    }
    connect(ctl(names::imgBack), &forms::Control::mouseMoved, this, &MainForm::imgBack_MouseMove);
}

void MainForm::Form_Load()
{
    const StartupResult result =
        runStartup(m_form, m_dlgCancel->form(), m_state, m_processArguments);
    if (!result.configLoaded)
        m_dlgError->ask(result.error);
}

void MainForm::cmbCountry_Click()
{
    ::cmbCountry_Click(m_form, m_state);
}
void MainForm::cmbCity_Change()
{
    ::cmbCity_Change(m_form);
}
void MainForm::cmbState_Change()
{
    ::cmbState_Change(m_form);
}

void MainForm::keyPressEvent(QKeyEvent *event)
{
    // Escape acts as Cancel wherever Cancel is shown.
    if (event->key() == Qt::Key_Escape) {
        forms::Control *cancel = ctl(names::cmdCancel);
        if (cancel && cancel->isVisibleFlag() && cancel->widget()->isVisible() &&
            cancel->isEnabled()) {
            cmdCancel_Click();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}
