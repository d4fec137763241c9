#include "register/core/screen_sequence.h"

namespace {

WizardStep stay(const WizardPosition &at)
{
    return {WizardScreen::Stay, at.stage, at.pageIndex, {}, {}, {}};
}

// A question page, or the personal-information page (0). The last page offers
// Submit in Next's place.
WizardStep pageAfterNext(const WizardPosition &at, int pageIndex)
{
    WizardStep step{WizardScreen::Page, Stage::Pages, pageIndex, true, {}, {}};
    if (pageIndex < at.pageCount) {
        step.submit = false;
    } else {
        step.next = false;
        step.submit = true;
    }
    return step;
}

WizardStep next(const WizardPosition &at)
{
    switch (at.stage) {
    case Stage::RegionAndLanguage:
        return {WizardScreen::Welcome, Stage::Welcome, at.pageIndex, {}, {}, {}};
    case Stage::Welcome: {
        // Without question pages the personal-information page is the last
        // one: it offers Submit, never a Next into an empty frame.
        WizardStep step{WizardScreen::Page, Stage::Pages, 0, true, {}, {}};
        if (at.pageCount <= 0) {
            step.next = false;
            step.submit = true;
        }
        return step;
    }
    case Stage::Pages:
        return pageAfterNext(at, at.pageIndex + 1);
    }
    return stay(at);
}

WizardStep previous(const WizardPosition &at)
{
    switch (at.stage) {
    case Stage::Pages:
        if (at.pageIndex - 1 < 0)
            return {WizardScreen::Welcome, Stage::Welcome, 0, {}, {}, {}};
        return {WizardScreen::Page, Stage::Pages, at.pageIndex - 1, {}, true, false};
    case Stage::Welcome:
        return {WizardScreen::Region, Stage::RegionAndLanguage, at.pageIndex, false, {}, {}};
    case Stage::RegionAndLanguage:
        break;
    }
    return stay(at);
}

} // namespace

WizardCheck checkBefore(WizardEvent event, const WizardPosition &at)
{
    switch (event) {
    case WizardEvent::Next:
        if (at.stage == Stage::RegionAndLanguage)
            return WizardCheck::RegionChosen;
        if (at.stage == Stage::Welcome)
            return WizardCheck::WelcomeValid;
        // The last page offers Submit only; Next never leads past it.
        if (at.stage == Stage::Pages && at.pageIndex >= at.pageCount)
            return WizardCheck::None;
        return WizardCheck::PageValid;
    case WizardEvent::Submit:
        return WizardCheck::PageValid;
    case WizardEvent::Previous:
    case WizardEvent::Exit:
    case WizardEvent::Retry:
    case WizardEvent::Finish:
    case WizardEvent::Cancel:
        break;
    }
    return WizardCheck::None;
}

WizardStep stepAfter(WizardEvent event, const WizardPosition &at, bool checkPassed)
{
    if (!checkPassed)
        return stay(at);
    switch (event) {
    case WizardEvent::Next:
        if (at.stage == Stage::Pages && at.pageIndex >= at.pageCount)
            return stay(at);
        return next(at);
    case WizardEvent::Previous:
        return previous(at);
    case WizardEvent::Submit: {
        WizardStep step = stay(at);
        step.screen = at.onlineOnly ? WizardScreen::Submission : WizardScreen::Method;
        step.submit = false;
        return step;
    }
    case WizardEvent::Exit: {
        // Online only, the way back leads to the last page and its Submit.
        WizardStep step = stay(at);
        if (!at.onlineOnly) {
            step.screen = WizardScreen::Method;
            return step;
        }
        step.screen = WizardScreen::Page;
        step.pageIndex = at.pageCount;
        step.submit = true;
        return step;
    }
    case WizardEvent::Retry: {
        WizardStep step = stay(at);
        step.screen = WizardScreen::Submission;
        return step;
    }
    case WizardEvent::Finish: {
        WizardStep step = stay(at);
        step.screen = WizardScreen::End;
        return step;
    }
    case WizardEvent::Cancel: {
        // In test mode Cancel ends the wizard at once.
        WizardStep step = stay(at);
        step.screen = at.normalMode ? WizardScreen::CancelDialog : WizardScreen::End;
        return step;
    }
    }
    return stay(at);
}
