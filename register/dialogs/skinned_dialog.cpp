#include "register/dialogs/skinned_dialog.h"

#include "register/core/control_names.h"
#include "register/core/spoken_words.h"
#include "register/core/wizard_state.h"

#include <QCloseEvent>
#include <QMouseEvent>

#include <utility>

namespace {

SkinnedDialog::StandIn::Player &standIn()
{
    static SkinnedDialog::StandIn::Player player;
    return player;
}

} // namespace

SkinnedDialog::StandIn::StandIn(Player player) : m_previous(std::exchange(standIn(), player)) {}

SkinnedDialog::StandIn::~StandIn()
{
    standIn() = std::move(m_previous);
}

void SkinnedDialog::waitUntilLeft()
{
    // A copy: the stand-in may make a stand-in of its own meanwhile.
    const StandIn::Player player = standIn();
    if (!player) {
        exec();
        return;
    }
    // As exec() shows it: modal to the whole application.
    const bool wasModal = testAttribute(Qt::WA_ShowModal);
    setAttribute(Qt::WA_ShowModal, true);
    show();
    player(*this);
    if (isVisible())
        close();
    setAttribute(Qt::WA_ShowModal, wasModal);
}

void SkinnedDialog::showToStandIn()
{
    const StandIn::Player player = standIn();
    if (player)
        player(*this);
}

SkinnedDialog::SkinnedDialog(const char *objectName, BuildLayout build, WizardState &state,
                             forms::Form &mainForm, bool returnKeyboard, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint),
      m_state(state), m_mainForm(mainForm), m_form(this), m_returnKeyboard(returnKeyboard)
{
    setObjectName(QLatin1String(objectName));
    setMouseTracking(true);
    build(m_form);
    forms::Control *quit = ctl(names::cmdQuit);
    forms::Control *cancel = ctl(names::cmdCancel);
    // English until a language section names them (the message dialog may
    // have to report that no configuration could be read).
    quit->setAccessibleName(words::pictureWord(QStringLiteral("english"), QStringLiteral("QUIT")));
    cancel->setAccessibleName(
        words::pictureWord(QStringLiteral("english"), QStringLiteral("CANCEL")));
    connect(quit, &forms::Control::clicked, this, &SkinnedDialog::cmdQuit_Click);
    connect(cancel, &forms::Control::clicked, this, &SkinnedDialog::cmdCancel_Click);
    connect(quit, &forms::Control::mouseMoved, this, &SkinnedDialog::cmdQuit_MouseMove);
    connect(cancel, &forms::Control::mouseMoved, this, &SkinnedDialog::cmdCancel_MouseMove);
}

forms::Control *SkinnedDialog::ctl(QLatin1String name) const
{
    return m_form.control(name);
}

void SkinnedDialog::disableMainWindow()
{
    QWidget *main = m_mainForm.window();
    // Qt drops the focus of a widget that is disabled; remember it first.
    if (main->isEnabled())
        m_mainFocus = main->focusWidget();
    main->setEnabled(false);
}

void SkinnedDialog::enableMainWindow()
{
    QWidget *main = m_mainForm.window();
    main->setEnabled(true);
    if (m_mainFocus)
        m_mainFocus->setFocus(Qt::OtherFocusReason);
    m_mainFocus = nullptr;
    if (m_returnKeyboard && isActiveWindow())
        main->activateWindow();
}

void SkinnedDialog::cmdQuit_MouseMove()
{
    ctl(names::cmdQuit)->setPicture(m_state.quitPictures.hover);
}

void SkinnedDialog::cmdCancel_MouseMove()
{
    ctl(names::cmdCancel)->setPicture(m_state.cancelPictures.hover);
}

void SkinnedDialog::Form_MouseMove()
{
    ctl(names::cmdCancel)->setPicture(m_state.cancelPictures.normal);
    ctl(names::cmdQuit)->setPicture(m_state.quitPictures.normal);
}

void SkinnedDialog::closeEvent(QCloseEvent *event)
{
    // Closed from the title bar: back to the wizard, as with Cancel; a
    // question left this way was not agreed to.
    enableMainWindow();
    QDialog::closeEvent(event);
}

void SkinnedDialog::changeEvent(QEvent *event)
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

void SkinnedDialog::mouseMoveEvent(QMouseEvent *event)
{
    // Moves over a child that does not want them (a label, a picture button)
    // are handed on to the dialog; only the dialog's own background restores
    // the normal pictures, or a button would lose its hover picture at once.
    if (!childAt(event->position().toPoint()))
        Form_MouseMove();
    QDialog::mouseMoveEvent(event);
}
