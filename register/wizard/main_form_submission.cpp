// The method screen's OK: the online submission or the printed form.
#include "register/wizard/main_form.h"

#include "register/core/control_names.h"
#include "register/dialogs/dlg_error.h"
#include "register/rules/messages.h"
#include "register/submission/submission.h"
#include "register/wizard/screens.h"

namespace {

// The screen that follows a submission, shown while the connecting notice
// still stands over the window.
void showAfterSubmission(forms::Form &form, WizardState &state, const Submission &done)
{
    switch (done.next) {
    case AfterSubmission::ThanksOnline:
    case AfterSubmission::ErrorOnline: {
        // In test mode the thanks page shows the exact request that was sent.
        forms::Control *shownUrl = form.control(names::Text1);
        shownUrl->setText(done.requestUrl);
        shownUrl->setVisible(!state.normalMode);
        if (done.next == AfterSubmission::ThanksOnline)
            DisplayThanksOnline(form, state);
        else
            DisplayErrorOnline(form, state);
        return;
    }
    case AfterSubmission::ThanksPrint:
        DisplayThanksPrint(form, state);
        return;
    case AfterSubmission::PrintCancelled:
    case AfterSubmission::PrintFailed:
        // The method screen stays for another try or the other way.
        form.control(names::cmdOk)->setEnabled(true);
        return;
    }
}

} // namespace

void MainForm::cmdOk_Click()
{
    const std::optional<SubmissionWay> way = chosenWay(m_form);
    if (!way)
        return;
    // The connecting notice disables the window, and OK goes off, so no
    // second request can start and no other screen can open meanwhile.
    m_dlgError->showNotice(m_state.connectToServerText);
    ctl(names::cmdOk)->setEnabled(false);
    const Submission done = submitRegistration(*way, m_form, m_state, m_services, this);
    showAfterSubmission(m_form, m_state, done);
    m_dlgError->endNotice();
    if (done.next == AfterSubmission::PrintFailed)
        m_dlgError->ask(messageText(Message::FormNotPrinted, m_state.currentLanguage));
}
