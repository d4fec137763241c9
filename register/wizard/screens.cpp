#include "register/wizard/screens.h"

#include "register/core/control_names.h"

#include "platform/forms/form.h"
#include "register/core/wizard_state.h"
#include "register/pages/containers.h"

#include <QPixmap>

#include <cmath>
#include <initializer_list>

using forms::Control;
using forms::Kind;

namespace {

// The OK and Finish buttons stand this far from the frame's right edge and,
// above their own height, from its bottom edge.
constexpr int kCornerRight = 300;
constexpr int kCornerBottom = 700;

Control *ctl(forms::Form &form, QLatin1String name, int index = -1)
{
    return form.control(name, index);
}

int roundTwips(double v)
{
    return int(std::nearbyint(v));
}

void fillWindow(forms::Form &form, Control *frame)
{
    frame->move(0, 0);
    frame->resize(form.width(), form.height());
}

// The background goes into the frame at its top-left corner, behind the
// frame's own controls. (A widget moved into a new parent lands on top of its
// siblings, so it is sent back each time it moves.)
void backgroundInto(forms::Form &form, Control *frame)
{
    Control *back = ctl(form, names::imgBack);
    back->setContainer(frame);
    back->move(0, 0);
    back->sendToBack();
}

// The title picture takes the size of the picture it shows, as an image
// control without stretching does.
void titleInto(forms::Form &form, const QPixmap &picture, Control *frame)
{
    Control *title = ctl(form, names::imgWelcomeTitle);
    title->setPicture(picture);
    if (!picture.isNull())
        title->resize(forms::pixelsToTwips(picture.width()),
                      forms::pixelsToTwips(picture.height()));
    title->setContainer(frame);
    title->bringToFront();
}

bool takesInput(const Control *c)
{
    switch (c->kind()) {
    case Kind::TextBox:
    case Kind::ComboBox:
    case Kind::OptionButton:
    case Kind::CheckBox:
        return true;
    default:
        return false;
    }
}

// The inputs of a screen in collection order: the fixed fields in their
// layout order, then the page's objects as the configuration lists them.
// Hidden holders and fields the language does not show are left out.
QList<Control *> inputsOf(forms::Form &form, const Control *screen)
{
    QList<Control *> inputs;
    for (Control *c : form.controls())
        if (takesInput(c) && c->isVisibleFlag() && c->isInside(screen))
            inputs.append(c);
    return inputs;
}

// Tab walks the inputs, then the buttons from left to right. The focus goes
// to the first input that takes it, or else to the rightmost button shown
// (Finish, Retry): the one the player most likely wants.
void arrangeKeyboard(forms::Form &form, const QList<Control *> &inputs,
                     std::initializer_list<QLatin1String> buttons)
{
    QList<Control *> chain = inputs;
    for (QLatin1String name : buttons)
        chain.append(ctl(form, name));
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1]->widget(), chain[i]->widget());

    for (Control *c : inputs)
        if (c->setFocus())
            return;
    for (auto it = std::rbegin(buttons); it != std::rend(buttons); ++it) {
        Control *button = ctl(form, *it);
        if (button->isVisibleFlag() && button->setFocus())
            return;
    }
}

void arrangePageKeyboard(forms::Form &form, Control *frame)
{
    arrangeKeyboard(form, inputsOf(form, frame),
                    {names::cmdCancel, names::cmdPrev, names::cmdNext, names::cmdSubmit});
}

} // namespace

void HideAllFrames(forms::Form &form, const WizardState &state)
{
    for (Control *c : form.controls()) {
        if (c->kind() != Kind::Frame)
            continue;
        // An option group's frame goes with its page frame.
        const built::Part *part = state.pageQuestions.partOf(c);
        if (!part || part->role != built::Role::Group)
            c->setVisible(false);
    }
}

void DisplayWelcomePage(forms::Form &form, WizardState &state)
{
    HideAllFrames(form, state);
    Control *frame = ctl(form, names::frmWelcome);
    fillWindow(form, frame);
    ctl(form, names::cmdPrev)->setVisible(true);
    // The welcome screen always leads on to the personal-information page:
    // offering Submit here would let a player skip that page and every
    // required question.
    ctl(form, names::cmdNext)->setVisible(true);
    ctl(form, names::cmdSubmit)->setVisible(false);
    SetContainer(form, state, frame);
    ctl(form, names::imgBack)->move(0, 0);
    titleInto(form, state.welcomeTitlePicture, frame);
    frame->setVisible(true);
    arrangePageKeyboard(form, frame);
}

void DisplayPage(forms::Form &form, WizardState &state)
{
    HideAllFrames(form, state);
    Control *frame = ctl(form, names::frmPages, state.pageIndex);
    if (!frame)
        return;
    SetContainer(form, state, frame);
    ctl(form, names::imgBack)->move(0, 0);
    titleInto(form, state.pageTitlePicture, frame);
    frame->setVisible(true);
    arrangePageKeyboard(form, frame);
}

void DisplayMethodChoosePage(forms::Form &form, WizardState &state)
{
    HideAllFrames(form, state);
    Control *ok = ctl(form, names::cmdOk);
    ok->setVisible(true);
    ok->setEnabled(true);
    Control *frame = ctl(form, names::frmMethod);
    fillWindow(form, frame);
    backgroundInto(form, frame);
    titleInto(form, state.pageTitlePicture, frame);
    ok->move(frame->width() - ok->width() - kCornerRight,
             frame->height() - ok->height() - kCornerBottom);
    frame->setVisible(true);
    Control *cancel = ctl(form, names::cmdCancel);
    cancel->setContainer(frame);
    cancel->bringToFront();
    arrangeKeyboard(form, inputsOf(form, frame), {names::cmdCancel, names::cmdOk});
}

namespace {

void displayThanks(forms::Form &form, WizardState &state, QLatin1String frameName, bool backToBack)
{
    HideAllFrames(form, state);
    Control *frame = ctl(form, frameName);
    fillWindow(form, frame);
    backgroundInto(form, frame);
    if (backToBack)
        ctl(form, names::imgBack)->sendToBack();
    Control *finish = ctl(form, names::cmdFinish);
    finish->move(frame->width() - finish->width() - kCornerRight,
                 frame->height() - finish->height() - kCornerBottom);
    finish->setContainer(frame);
    titleInto(form, state.pageTitlePicture, frame);
    finish->bringToFront();
    frame->setVisible(true);
    arrangeKeyboard(form, {}, {names::cmdFinish});
}

} // namespace

void DisplayThanksPrint(forms::Form &form, WizardState &state)
{
    displayThanks(form, state, names::frmThanksPrint, false);
}

void DisplayThanksOnline(forms::Form &form, WizardState &state)
{
    displayThanks(form, state, names::frmThanksOnline, true);
}

void DisplayErrorOnline(forms::Form &form, WizardState &state)
{
    Control *frame = ctl(form, names::frmError);
    frame->setEnabled(true);
    HideAllFrames(form, state);
    frame->setVisible(true);
    fillWindow(form, frame);
    backgroundInto(form, frame);
    titleInto(form, state.pageTitlePicture, frame);
    // No usable reply shows the not-online text, element 1; a refusal the
    // error text, element 2.
    if (state.submitResult != SubmitResult::Accepted) {
        const bool refused = state.submitResult == SubmitResult::WrongForm;
        ctl(form, names::lblError, refused ? 2 : 1)->setVisible(true);
        ctl(form, names::lblError, refused ? 1 : 2)->setVisible(false);
    }
    Control *cancel = ctl(form, names::cmdCancel);
    cancel->setContainer(frame);
    cancel->bringToFront();
    Control *exit = ctl(form, names::cmdExit);
    exit->setTop(cancel->top());
    exit->setLeft(roundTwips(cancel->left() + cancel->width() + state.buttonGap));
    exit->setContainer(frame);
    exit->bringToFront();
    Control *retry = ctl(form, names::cmdRetry);
    retry->setTop(exit->top());
    retry->setLeft(roundTwips(exit->left() + exit->width() + state.buttonGap));
    retry->setContainer(frame);
    retry->bringToFront();
    arrangeKeyboard(form, {}, {names::cmdCancel, names::cmdExit, names::cmdRetry});
}

void focusRegionScreen(forms::Form &form)
{
    arrangeKeyboard(form, {ctl(form, names::cmbCountry), ctl(form, names::cmbLanguage)},
                    {names::cmdCancel, names::cmdNext});
}
