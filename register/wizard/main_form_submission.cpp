// The method screen's OK: the online submission or the printed form.
#include "register/wizard/main_form.h"

#include "platform/late/late_services.h"
#include "register/core/control_names.h"
#include "register/dialogs/dlg_error.h"
#include "register/rules/messages.h"
#include "register/rules/reply.h"
#include "register/submission/print_form.h"
#include "register/submission/request_url.h"
#include "register/wizard/screens.h"

#include <cstdio>

namespace {

// A reply longer than this is no registration server's answer.
constexpr qint64 kMaxReplyBytes = 1 << 20;
constexpr int kMaxRedirects = 5;

} // namespace

void MainForm::cmdOk_Click()
{
    const bool online = ctl(names::optOnline)->value() != 0;
    const bool print = ctl(names::optPrint)->value() != 0;
    if (!online && !print)
        return;

    // The connecting notice has no button: the wizard takes it down itself.
    m_dlgError->showNotice(m_state.connectToServerText);
    forms::Control *ok = ctl(names::cmdOk);
    ok->setEnabled(false);

    bool printFailed = false;
    if (print && !online) {
        const QList<PrintedEntry> entries = gatherPrintedEntries(m_form, m_state);
        const printing::PrintOutcome outcome = late::printDocument(
            QStringLiteral("Product Registration"), printedFormLines(m_state.gameName, entries),
            m_services.choosePrinter, this);
        if (outcome == printing::PrintOutcome::Cancelled) {
            // Nothing printed, the method screen stays.
            ok->setEnabled(true);
        } else if (outcome == printing::PrintOutcome::Failed) {
            printFailed = true;
            ok->setEnabled(true);
        } else {
            DisplayThanksPrint(m_form, m_state);
        }
    } else {
        m_state.submitResult = SubmitResult::NoUsableReply;
        const QString url = buildRequestUrl(m_form, m_state);
        http::GetOptions options;
        options.timeoutMs = m_services.requestTimeoutMs;
        options.maxRedirects = kMaxRedirects;
        options.maxBodyBytes = kMaxReplyBytes;
        // The transfer runs on a worker thread while the event loop inside
        // the call keeps the windows painting. The window stays disabled
        // meanwhile (the notice disabled it, and cmdOk is off), so no second
        // request can start and no other screen can open.
        const http::GetResult reply = late::httpGet(url, options);
        if (!reply.ok)
            std::fprintf(stderr, "register: the registration request failed: %s\n",
                         reply.error.toLocal8Bit().constData());

        // In test mode the thanks page shows the exact request that was sent.
        forms::Control *shownUrl = ctl(names::Text1);
        shownUrl->setText(url);
        shownUrl->setVisible(!m_state.normalMode);

        m_state.submitResult = SubmitResult(submitResultFromReply(reply.body));
        if (m_state.submitResult == SubmitResult::Accepted)
            DisplayThanksOnline(m_form, m_state);
        else
            DisplayErrorOnline(m_form, m_state);
    }

    m_dlgError->endNotice();

    if (printFailed) {
        // The printer could not take the form (a file that cannot be written,
        // a printer that went away). Saying nothing would leave the player
        // believing the form is on its way; the method screen stays for
        // another try or the online way.
        m_dlgError->ask(messageText(Message::FormNotPrinted, m_state.currentLanguage));
    }
}
