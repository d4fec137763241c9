#include "register/pages/containers.h"

#include "register/core/control_names.h"

#include "platform/forms/form.h"
#include "register/core/wizard_state.h"

#include <QPointer>

#include <cmath>

namespace {

int roundTwips(double v)
{
    return int(std::nearbyint(v));
}

} // namespace

void SetContainer(forms::Form &form, const WizardState &state, forms::Control *container)
{
    auto ctl = [&form](QLatin1String name) { return form.control(name); };
    forms::Control *back = ctl(names::imgBack);
    back->setContainer(container);
    back->sendToBack();

    forms::Control *prev = ctl(names::cmdPrev);
    forms::Control *next = ctl(names::cmdNext);
    forms::Control *submit = ctl(names::cmdSubmit);
    forms::Control *cancel = ctl(names::cmdCancel);
    for (forms::Control *b : {prev, next, submit, cancel}) {
        b->setContainer(container);
        b->bringToFront();
    }

    // Three slots: Cancel, then Previous, then Next or Submit. Every bottom
    // button counts as wide as Cancel.
    const double gap = state.buttonGap;
    const int w = cancel->width();
    if (!prev->isVisibleFlag()) {
        cancel->setLeft(roundTwips(gap));
        next->setLeft(roundTwips(3 * gap + 2 * w));
    } else if (!next->isVisibleFlag()) {
        cancel->setLeft(roundTwips(gap));
        prev->setLeft(roundTwips(cancel->left() + w + gap));
        submit->setLeft(roundTwips(prev->left() + w + gap));
    } else if (!submit->isVisibleFlag()) {
        cancel->setLeft(roundTwips(gap));
        prev->setLeft(roundTwips(cancel->left() + w + gap));
        next->setLeft(roundTwips(prev->left() + w + gap));
    }
}

forms::Control *setHolder(forms::Form &form, const QString &name, const QString &text,
                          forms::Control *container)
{
    forms::Control *holder = form.control(name);
    if (!holder)
        holder = form.createHidden(forms::Kind::TextBox, name, -1, container);
    holder->setVisible(false);
    holder->setText(text);
    holder->setContainer(container);
    return holder;
}

void RemoveAllObject(forms::Form &form)
{
    // Every control the page build created goes, with the answers typed into
    // it; the answer-list family keeps its first element. The window's own
    // controls cannot be removed and keep their state, so the screens that
    // carry them (the personal page, method, thanks and error pages) work on
    // the next pass exactly as on the first.
    //
    // Removing a frame or a list removes what it holds (the option buttons of
    // a group, the options of a list), so the walk keeps guarded pointers and
    // passes over the controls that went with their container.
    QList<QPointer<forms::Control>> all;
    for (forms::Control *c : form.controls())
        all.append(c);
    for (const QPointer<forms::Control> &c : all)
        if (c && !c->isDesignTime())
            form.remove(c);

    // The region-and-language screen stands as after start-up.
    for (QLatin1String name : {names::lblLanguage, names::cmbCountry, names::cmbLanguage,
                               names::imgBack, names::cmdNext, names::cmdCancel})
        form.control(name)->setVisible(true);
}
