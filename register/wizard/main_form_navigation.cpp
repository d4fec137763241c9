// The screen sequence: the click handlers run the check the sequence asks for
// and show the screen it answers (register/core/screen_sequence.h); and the
// hover pictures of the bottom buttons.
#include "register/wizard/main_form.h"

#include "register/core/control_names.h"
#include "register/core/screen_sequence.h"
#include "register/dialogs/dlg_cancel.h"
#include "register/dialogs/dlg_error.h"
#include "register/pages/containers.h"
#include "register/pages/page_builder.h"
#include "register/startup/global_settings.h"
#include "register/startup/language.h"
#include "register/validation/age_limit.h"
#include "register/validation/data_validation.h"
#include "register/wizard/screens.h"

namespace {

// The eight picture buttons of the main window with their picture pairs, in
// the order the background restores them.
struct HoverButton {
    QLatin1String name;
    ButtonPictures WizardState::*pictures;
};

const HoverButton kHoverButtons[] = {
    {names::cmdCancel, &WizardState::cancelPictures},
    {names::cmdNext, &WizardState::nextPictures},
    {names::cmdPrev, &WizardState::prevPictures},
    {names::cmdSubmit, &WizardState::submitPictures},
    {names::cmdOk, &WizardState::okPictures},
    {names::cmdFinish, &WizardState::finishPictures},
    {names::cmdRetry, &WizardState::retryPictures},
    {names::cmdExit, &WizardState::exitPictures},
};

WizardPosition positionOf(const WizardState &state)
{
    return {state.stage, state.pageIndex, state.pageCount, state.onlineOnly, state.normalMode};
}

} // namespace

void MainForm::cmdNext_Click()
{
    go(WizardEvent::Next);
}

void MainForm::cmdPrev_Click()
{
    go(WizardEvent::Previous);
}

void MainForm::cmdSubmit_Click()
{
    go(WizardEvent::Submit);
}

void MainForm::cmdRetry_Click()
{
    // The error screen stays disabled until the next screen is shown.
    ctl(names::frmError)->setEnabled(false);
    go(WizardEvent::Retry);
}

void MainForm::cmdExit_Click()
{
    go(WizardEvent::Exit);
}

void MainForm::cmdFinish_Click()
{
    go(WizardEvent::Finish);
}

void MainForm::cmdCancel_Click()
{
    go(WizardEvent::Cancel);
}

void MainForm::go(WizardEvent event)
{
    const WizardPosition at = positionOf(m_state);
    showStep(stepAfter(event, at, passes(checkBefore(event, at))));
}

bool MainForm::passes(WizardCheck check)
{
    switch (check) {
    case WizardCheck::None:
        return true;
    case WizardCheck::RegionChosen:
        // The country is checked before the language.
        if (ctl(names::cmbCountry)->text().isEmpty()) {
            m_dlgError->ask(m_state.regionErrorText);
            return false;
        }
        if (ctl(names::cmbLanguage)->text().isEmpty()) {
            m_dlgError->ask(m_state.languageErrorText);
            return false;
        }
        return true;
    case WizardCheck::PageValid:
    case WizardCheck::WelcomeValid: {
        const DataVerdict verdict = isDataValid(m_form, m_state, m_services.clock->now().date());
        if (verdict.valid)
            return true;
        // Only the welcome page's age warning may be waved on, and only where
        // the country allows it; every other complaint only informs.
        if (check != WizardCheck::WelcomeValid || !verdict.overridable) {
            m_dlgError->ask(verdict.message);
            return false;
        }
        return m_dlgError->ask(verdict.message, DlgError::Buttons::OkCancel) ==
               DlgError::Answer::Ok;
    }
    }
    return false;
}

void MainForm::showStep(const WizardStep &step)
{
    if (step.screen == WizardScreen::Stay)
        return;
    if (step.prev)
        ctl(names::cmdPrev)->setVisible(*step.prev);
    if (step.next)
        ctl(names::cmdNext)->setVisible(*step.next);
    if (step.submit)
        ctl(names::cmdSubmit)->setVisible(*step.submit);
    const Stage from = m_state.stage;
    m_state.stage = step.stage;
    m_state.pageIndex = std::int16_t(step.pageIndex);

    switch (step.screen) {
    case WizardScreen::Stay:
        return;
    case WizardScreen::Region:
        // Back to the region screen: the pages are discarded with their
        // answers and built again, for the language then chosen, by Next.
        ctl(names::imgWelcomeTitle)->setVisible(false);
        HideAllFrames(m_form, m_state);
        SetContainer(m_form, m_state, nullptr);
        RemoveAllObject(m_form);
        focusRegionScreen(m_form);
        return;
    case WizardScreen::Welcome:
        if (from == Stage::RegionAndLanguage) {
            // Shown only once the region screen is left: a refused Next must
            // not put the title over the region screen.
            ctl(names::imgWelcomeTitle)->setVisible(true);
            // The region screen's own controls lie under the page frames;
            // hidden, they stay out of the keyboard's way (the teardown on the
            // way back shows them again).
            for (QLatin1String name : {names::lblLanguage, names::cmbCountry, names::cmbLanguage})
                ctl(name)->setVisible(false);
            m_state.currentLanguage = ctl(names::cmbLanguage)->text();
            LoadLanguage(m_state);
            LoadGlobalSetting(m_form, m_dlgCancel->form(), m_state);
            LoadPageSetting(m_form, m_state, m_services.clock->now().date());
            LoadAgeLimit(m_form, m_state);
        }
        DisplayWelcomePage(m_form, m_state);
        return;
    case WizardScreen::Page:
        DisplayPage(m_form, m_state);
        return;
    case WizardScreen::Method:
        DisplayMethodChoosePage(m_form, m_state);
        return;
    case WizardScreen::Submission:
        if (m_state.onlineOnly)
            ctl(names::optOnline)->setValue(1);
        cmdOk_Click();
        return;
    case WizardScreen::CancelDialog:
        DisplayCancelPage();
        return;
    case WizardScreen::End:
        m_services.endProgram();
        return;
    }
}

void MainForm::pictureButton_MouseMove(forms::Control *button)
{
    for (const HoverButton &b : kHoverButtons) {
        if (button->name().compare(b.name, Qt::CaseInsensitive) == 0) {
            button->setPicture((m_state.*(b.pictures)).hover);
            return;
        }
    }
}

void MainForm::imgBack_MouseMove()
{
    for (const HoverButton &b : kHoverButtons)
        ctl(b.name)->setPicture((m_state.*(b.pictures)).normal);
}
