#include "register/dialogs/dlg_error.h"

#include "register/core/wizard_state.h"
#include "register/layouts/layouts.h"
#include "register/startup/language.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

#include <cmath>

namespace {

// Space between the bottom of the buttons and the bottom edge of the dialog.
constexpr int kButtonBottomMargin = 500;

} // namespace

DlgError::DlgError(WizardState &state, forms::Form &mainForm, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint),
      m_state(state), m_mainForm(mainForm), m_form(this)
{
    setObjectName(QStringLiteral("dlgError"));
    setMouseTracking(true);
    layouts::buildErrorDialog(m_form);
    forms::Control *quit = ctl("cmdQuit");
    forms::Control *cancel = ctl("cmdCancel");
    quit->widget()->setAccessibleName(QStringLiteral("OK"));
    cancel->widget()->setAccessibleName(QStringLiteral("Cancel"));
    connect(quit, &forms::Control::clicked, this, &DlgError::cmdQuit_Click);
    connect(cancel, &forms::Control::clicked, this, &DlgError::cmdCancel_Click);
    connect(quit, &forms::Control::mouseMoved, this, &DlgError::cmdQuit_MouseMove);
    connect(cancel, &forms::Control::mouseMoved, this, &DlgError::cmdCancel_MouseMove);
}

forms::Control *DlgError::ctl(const char *name) const
{
    return m_form.control(QLatin1String(name));
}

void DlgError::disableMainWindow()
{
    QWidget *main = m_mainForm.window();
    // Qt drops the focus of a widget that is disabled; remember it first. A
    // second message while the window is already disabled keeps the first.
    if (main->isEnabled())
        m_mainFocus = main->focusWidget();
    main->setEnabled(false);
}

void DlgError::enableMainWindow()
{
    QWidget *main = m_mainForm.window();
    main->setEnabled(true);
    if (m_mainFocus)
        m_mainFocus->setFocus(Qt::OtherFocusReason);
    m_mainFocus = nullptr;
    // Hand the keyboard back so the player can correct the field at once;
    // without a window manager nothing else would.
    if (isActiveWindow())
        main->activateWindow();
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
        ctl("lblError")->setForeColor(m_state.defaultForeColor);
    }

    forms::Control *quit = ctl("cmdQuit");
    forms::Control *cancel = ctl("cmdCancel");
    // Without a language section (the configuration could not be read) there
    // is nothing to load: the buttons then show their names.
    if (!m_state.languageDoc.isEmpty()) {
        loadButtonPictures(m_state, QStringLiteral("ok"), m_state.quitPictures);
        loadButtonPictures(m_state, QStringLiteral("cancel"), m_state.cancelPictures);
    }
    showButtonPicture(quit, m_state.quitPictures.normal);
    showButtonPicture(cancel, m_state.cancelPictures.normal);

    // Measured on the outer size, as the dialog's design measures it. The
    // visibility of cmdQuit is the caller's (the connecting notice hides it).
    const int w = m_form.outerWidth();
    const int h = m_form.outerHeight();
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

void DlgError::cmdQuit_MouseMove()
{
    ctl("cmdQuit")->setPicture(m_state.quitPictures.hover);
}

void DlgError::cmdCancel_MouseMove()
{
    ctl("cmdCancel")->setPicture(m_state.cancelPictures.hover);
}

void DlgError::Form_MouseMove()
{
    ctl("cmdCancel")->setPicture(m_state.cancelPictures.normal);
    ctl("cmdQuit")->setPicture(m_state.quitPictures.normal);
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
    if (!ctl("cmdQuit")->isVisibleFlag() && !ctl("cmdCancel")->isVisibleFlag()) {
        event->ignore();
        return;
    }
    // Closed from the title bar: the flags keep their values, so a question
    // closed this way counts as Cancel (its caller set isCanceled).
    enableMainWindow();
    QDialog::closeEvent(event);
}

void DlgError::changeEvent(QEvent *event)
{
    // The dialog is a child window of the main window, and Qt hands a
    // parent's disabled state down to child windows too. The main window is
    // disabled precisely while this dialog stands, so the dialog undoes that;
    // only an explicit setEnabled(false) on the dialog itself keeps it off.
    if (event->type() == QEvent::EnabledChange && !isEnabled() &&
        !testAttribute(Qt::WA_ForceDisabled))
        setEnabled(true);
    QDialog::changeEvent(event);
}

void DlgError::mouseMoveEvent(QMouseEvent *event)
{
    // A move over a button that the button leaves unhandled travels on to the
    // dialog; only a move over the dialog's own background restores the
    // normal pictures.
    if (!childAt(event->position().toPoint()))
        Form_MouseMove();
    QDialog::mouseMoveEvent(event);
}

void DlgError::keyPressEvent(QKeyEvent *event)
{
    // Escape answers Cancel when the question offers it, otherwise OK. The
    // connecting notice has no button and cannot be dismissed.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (ctl("cmdCancel")->isVisibleFlag())
            cmdCancel_Click();
        else if (ctl("cmdQuit")->isVisibleFlag())
            cmdQuit_Click();
        return;
    }
    QDialog::keyPressEvent(event);
}
