#include "register/dialogs/dlg_error.h"

#include "register/core/control_names.h"

#include "register/core/wizard_state.h"
#include "register/dialogs/wrong_data_report.h"
#include "register/layouts/layouts.h"
#include "register/startup/language.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>

#include <cmath>

namespace {

// Space between the bottom of the buttons and the bottom edge of the dialog.
constexpr int kButtonBottomMargin = 500;

// To assistive technology the message dialog is an alert: a screen reader
// reads an alert's text out as it opens, so the player hears why the wizard
// did not move on without first searching the dialog for it.
QAccessibleInterface *alertFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String(DlgError::staticMetaObject.className()) &&
        object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::AlertMessage);
    return nullptr;
}

} // namespace

DlgError::DlgError(WizardState &state, forms::Form &mainForm, QWidget *parent)
    : SkinnedDialog("dlgError", layouts::buildErrorDialog, state, mainForm,
                    /*returnKeyboard=*/true, parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(alertFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
}

void DlgError::Form_Activate()
{
    // Equal colours come from a configuration that was never read (both
    // start black): the message, often the very report of that failure, must
    // stay readable, so the dialog then keeps the desktop's colours.
    if (m_state.defaultBackColor != m_state.defaultForeColor) {
        QPalette pal = palette();
        pal.setColor(QPalette::Window, m_state.defaultBackColor);
        setPalette(pal);
        setAutoFillBackground(true);
        ctl(names::lblError)->setForeColor(m_state.defaultForeColor);
    }

    forms::Control *quit = ctl(names::cmdQuit);
    forms::Control *cancel = ctl(names::cmdCancel);
    // Without a language section (the configuration could not be read) there
    // is nothing to load: the buttons then show their names.
    if (!m_state.languageDoc.isEmpty()) {
        loadButtonPictures(m_state, QStringLiteral("ok"), m_state.quitPictures);
        loadButtonPictures(m_state, QStringLiteral("cancel"), m_state.cancelPictures);
    }
    showButtonPicture(quit, m_state.quitPictures);
    showButtonPicture(cancel, m_state.cancelPictures);

    // Measured on the outer size, as the dialog's design measures it. The
    // buttons follow what this showing offers, never what an earlier one did.
    const int w = form().outerWidth();
    const int h = form().outerHeight();
    const int wq = quit->width();
    const int hq = quit->height();
    quit->setVisible(m_buttons != Buttons::None);
    cancel->setVisible(m_buttons == Buttons::OkCancel);
    const double gap = m_buttons == Buttons::OkCancel ? (w - 2.0 * wq) / 3.0 : (w - wq) / 2.0;
    quit->move(int(std::lround(w - wq - gap)), h - hq - kButtonBottomMargin);
    cancel->move(int(std::lround(gap)), quit->top());

    // OK takes the keyboard first: Enter confirms, as in any message box.
    if (quit->isVisibleFlag())
        quit->setFocus();
}

DlgError::Answer DlgError::ask(const QString &message, Buttons buttons)
{
    const bool question = buttons == Buttons::OkCancel;
    m_buttons = question ? Buttons::OkCancel : Buttons::Ok;
    // Until OK is pressed: closing a question is not agreeing to it.
    m_answer = Answer::Cancel;
    DisplayWrongData(m_mainForm, *this, m_state, message, /*modal=*/true);
    return question ? m_answer : Answer::Ok;
}

void DlgError::showNotice(const QString &message)
{
    m_buttons = Buttons::None;
    // Application-modal while it stands: the window manager's close button of
    // the main window is refused too, not only its input.
    m_modalityBeforeNotice = windowModality();
    setWindowModality(Qt::ApplicationModal);
    DisplayWrongData(m_mainForm, *this, m_state, message, /*modal=*/false);
    showToStandIn();
}

void DlgError::endNotice()
{
    m_mainForm.window()->setEnabled(true);
    m_buttons = Buttons::Ok;
    ctl(names::cmdQuit)->setVisible(true);
    hide();
    setWindowModality(m_modalityBeforeNotice);
}

QString DlgError::text() const
{
    return ctl(names::lblError)->text();
}

void DlgError::answer(Answer answer)
{
    if (answer == Answer::Ok)
        cmdQuit_Click();
    else
        cmdCancel_Click();
}

void DlgError::cmdQuit_Click()
{
    m_answer = Answer::Ok;
    enableMainWindow();
    hide();
}

void DlgError::cmdCancel_Click()
{
    m_answer = Answer::Cancel;
    enableMainWindow();
    hide();
}

void DlgError::showEvent(QShowEvent *event)
{
    Form_Activate();
    QDialog::showEvent(event);
}

void DlgError::closeEvent(QCloseEvent *event)
{
    // The connecting notice has no button: it stands until the request ends,
    // or the main window would come back while the request still runs.
    if (m_buttons == Buttons::None) {
        event->ignore();
        return;
    }
    SkinnedDialog::closeEvent(event);
}

void DlgError::keyPressEvent(QKeyEvent *event)
{
    // Escape answers Cancel when the question offers it, otherwise OK. The
    // connecting notice has no button and cannot be dismissed.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (m_buttons == Buttons::OkCancel)
            cmdCancel_Click();
        else if (m_buttons == Buttons::Ok)
            cmdQuit_Click();
        return;
    }
    QDialog::keyPressEvent(event);
}
