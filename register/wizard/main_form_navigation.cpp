// The screen sequence: what Next, Previous, Submit, Retry, Exit, Finish and
// Cancel do on each screen, and the hover pictures of the bottom buttons.
#include "register/wizard/main_form.h"

#include "register/dialogs/dlg_cancel.h"
#include "register/dialogs/dlg_error.h"
#include "register/dialogs/wrong_data_report.h"
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
    const char *name;
    ButtonPictures WizardState::*pictures;
};

const HoverButton kHoverButtons[] = {
    {"cmdCancel", &WizardState::cancelPictures}, {"cmdNext", &WizardState::nextPictures},
    {"cmdPrev", &WizardState::prevPictures},     {"cmdSubmit", &WizardState::submitPictures},
    {"cmdOk", &WizardState::okPictures},         {"cmdFinish", &WizardState::finishPictures},
    {"cmdRetry", &WizardState::retryPictures},   {"cmdExit", &WizardState::exitPictures},
};

// A plain message: OK only. The age question may have left the dialog asking
// OK or Cancel, and a report that follows it must not offer a Cancel that
// means nothing.
void reportPlain(MainForm &w, const QString &message)
{
    w.errorDialog().okOnly = true;
    DisplayWrongData(w.form(), w.errorDialog(), w.state(), message, true);
}

} // namespace

void MainForm::cmdNext_Click()
{
    switch (m_state.stage) {
    case 0: {
        // The country is checked before the language.
        if (ctl(QStringLiteral("cmbCountry"))->text().isEmpty()) {
            reportPlain(*this, m_state.regionErrorText);
            return;
        }
        if (ctl(QStringLiteral("cmbLanguage"))->text().isEmpty()) {
            reportPlain(*this, m_state.languageErrorText);
            return;
        }
        // Shown only once the region screen is left: a refused Next must not
        // put the title over the region screen.
        ctl(QStringLiteral("imgWelcomeTitle"))->setVisible(true);
        // The region screen's own controls lie under the page frames; hidden,
        // they stay out of the keyboard's way (the teardown on the way back
        // shows them again).
        for (const char *name : {"lblLanguage", "cmbCountry", "cmbLanguage"})
            ctl(QLatin1String(name))->setVisible(false);
        m_state.stage = 1;
        m_state.currentLanguage = ctl(QStringLiteral("cmbLanguage"))->text();
        LoadLanguage(m_state);
        LoadGlobalSetting(m_form, m_dlgCancel->form(), m_state);
        LoadPageSetting(m_form, m_state, m_services.now().date());
        LoadAgeLimit(m_form, m_state);
        DisplayWelcomePage(m_form, m_state);
        return;
    }
    case 1: {
        auto toPersonalPage = [this] {
            m_state.stage = 2;
            ctl(QStringLiteral("cmdPrev"))->setVisible(true);
            m_state.pageIndex = 0;
            // Without question pages the personal-information page is the
            // last one: it offers Submit, never a Next into an empty frame.
            if (m_state.pageCount <= 0) {
                ctl(QStringLiteral("cmdNext"))->setVisible(false);
                ctl(QStringLiteral("cmdSubmit"))->setVisible(true);
            }
            DisplayPage(m_form, m_state);
        };
        if (isDataValid(m_form, m_state, m_services.now().date())) {
            toPersonalPage();
            return;
        }
        // The age warning alone may be overridden, when the country allows
        // it; every other complaint only informs. An empty age prompt never
        // stands for the age warning, or any empty message could be waved on.
        const bool ageWarning = !m_state.agePrompt.isEmpty() &&
                                m_state.wrongDataMessage == m_state.agePrompt &&
                                m_state.ageOption == QLatin1String("1");
        m_dlgError->okOnly = !ageWarning;
        m_dlgError->isCanceled = true;
        DisplayWrongData(m_form, *m_dlgError, m_state, QString(), true);
        if (ageWarning && !m_dlgError->isCanceled)
            toPersonalPage();
        return;
    }
    case 2:
        // The last page offers Submit only; Next never leads past it.
        if (m_state.pageIndex >= m_state.pageCount)
            return;
        if (!isDataValid(m_form, m_state, m_services.now().date())) {
            reportPlain(*this, QString());
            return;
        }
        ++m_state.pageIndex;
        ctl(QStringLiteral("cmdPrev"))->setVisible(true);
        if (m_state.pageIndex < m_state.pageCount) {
            ctl(QStringLiteral("cmdSubmit"))->setVisible(false);
        } else {
            ctl(QStringLiteral("cmdNext"))->setVisible(false);
            ctl(QStringLiteral("cmdSubmit"))->setVisible(true);
        }
        DisplayPage(m_form, m_state);
        return;
    default:
        return;
    }
}

void MainForm::cmdPrev_Click()
{
    switch (m_state.stage) {
    case 2:
        if (--m_state.pageIndex < 0) {
            m_state.pageIndex = 0;
            DisplayWelcomePage(m_form, m_state);
            m_state.stage = 1;
            return;
        }
        ctl(QStringLiteral("cmdNext"))->setVisible(true);
        ctl(QStringLiteral("cmdSubmit"))->setVisible(false);
        DisplayPage(m_form, m_state);
        return;
    case 1:
        // Back to the region screen: the pages are discarded with their
        // answers and built again, for the language then chosen, by Next.
        ctl(QStringLiteral("imgWelcomeTitle"))->setVisible(false);
        ctl(QStringLiteral("cmdPrev"))->setVisible(false);
        HideAllFrames(m_form);
        SetContainer(m_form, m_state, nullptr);
        RemoveAllObject(m_form);
        m_state.stage = 0;
        focusRegionScreen(m_form);
        return;
    default:
        return;
    }
}

void MainForm::cmdSubmit_Click()
{
    if (!isDataValid(m_form, m_state, m_services.now().date())) {
        reportPlain(*this, QString());
        return;
    }
    ctl(QStringLiteral("cmdSubmit"))->setVisible(false);
    if (m_state.onlineOnly) {
        ctl(QStringLiteral("optOnline"))->setValue(1);
        cmdOk_Click();
        return;
    }
    DisplayMethodChoosePage(m_form, m_state);
}

void MainForm::cmdRetry_Click()
{
    // The error screen stays disabled until the next screen is shown.
    ctl(QStringLiteral("frmError"))->setEnabled(false);
    cmdOk_Click();
}

void MainForm::cmdExit_Click()
{
    if (m_state.onlineOnly) {
        m_state.pageIndex = m_state.pageCount;
        ctl(QStringLiteral("cmdSubmit"))->setVisible(true);
        DisplayPage(m_form, m_state);
        return;
    }
    DisplayMethodChoosePage(m_form, m_state);
}

void MainForm::cmdFinish_Click()
{
    m_services.endProgram();
}

void MainForm::cmdCancel_Click()
{
    if (!m_state.normalMode) {
        m_services.endProgram();
        return;
    }
    DisplayCancelPage();
}

void MainForm::pictureButton_MouseMove(forms::Control *button)
{
    for (const HoverButton &b : kHoverButtons) {
        if (button->name().compare(QLatin1String(b.name), Qt::CaseInsensitive) == 0) {
            button->setPicture((m_state.*(b.pictures)).hover);
            return;
        }
    }
}

void MainForm::imgBack_MouseMove()
{
    for (const HoverButton &b : kHoverButtons)
        ctl(QLatin1String(b.name))->setPicture((m_state.*(b.pictures)).normal);
}
