#include "register/dialogs/dlg_error.h"

#include "register/core/control_names.h"

#include "register/core/wizard_state.h"
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
    // visibility of cmdQuit is the caller's (the connecting notice hides it).
    const int w = form().outerWidth();
    const int h = form().outerHeight();
    const int wq = quit->width();
    const int hq = quit->height();
    double gap = 0;
    if (okOnly) {
        gap = (w - wq) / 2.0;
        cancel->setVisible(false);
    } else {
        gap = (w - 2.0 * wq) / 3.0;
        cancel->setVisible(true);
    }
    quit->move(int(std::lround(w - wq - gap)), h - hq - kButtonBottomMargin);
    cancel->move(int(std::lround(gap)), quit->top());

    // OK takes the keyboard first: Enter confirms, as in any message box.
    if (quit->isVisibleFlag())
        quit->setFocus();
}

void DlgError::cmdQuit_Click()
{
    okOnly = true;
    isCanceled = false;
    enableMainWindow();
    hide();
}

void DlgError::cmdCancel_Click()
{
    isCanceled = true;
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
    if (!ctl(names::cmdQuit)->isVisibleFlag() && !ctl(names::cmdCancel)->isVisibleFlag()) {
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
        if (ctl(names::cmdCancel)->isVisibleFlag())
            cmdCancel_Click();
        else if (ctl(names::cmdQuit)->isVisibleFlag())
            cmdQuit_Click();
        return;
    }
    QDialog::keyPressEvent(event);
}
