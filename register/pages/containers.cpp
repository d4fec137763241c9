#include "register/pages/containers.h"

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
    auto ctl = [&form](const char *name) { return form.control(QLatin1String(name)); };
    forms::Control *back = ctl("imgBack");
    back->setContainer(container);
    back->sendToBack();

    forms::Control *prev = ctl("cmdPrev");
    forms::Control *next = ctl("cmdNext");
    forms::Control *submit = ctl("cmdSubmit");
    forms::Control *cancel = ctl("cmdCancel");
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
    for (const char *name :
         {"lblLanguage", "cmbCountry", "cmbLanguage", "imgBack", "cmdNext", "cmdCancel"})
        form.control(QLatin1String(name))->setVisible(true);
}
