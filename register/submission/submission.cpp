#include "register/submission/submission.h"

#include "platform/forms/form.h"
#include "platform/late/late_services.h"
#include "register/core/control_names.h"
#include "register/core/wizard_state.h"
#include "register/rules/reply.h"
#include "register/submission/print_form.h"
#include "register/submission/request_url.h"

#include <cstdio>

namespace {

// A reply longer than this is no registration server's answer.
constexpr qint64 kMaxReplyBytes = 1 << 20;
constexpr int kMaxRedirects = 5;

Submission printForm(const forms::Form &form, WizardState &state, const WizardServices &services,
                     QWidget *dialogParent)
{
    const QList<PrintedEntry> entries = gatherPrintedEntries(form, state);
    switch (late::printDocument(QStringLiteral("Product Registration"),
                                printedFormLines(state.gameName, entries), services.choosePrinter,
                                dialogParent)) {
    case printing::PrintOutcome::Cancelled:
        return {AfterSubmission::PrintCancelled, {}};
    case printing::PrintOutcome::Failed:
        return {AfterSubmission::PrintFailed, {}};
    case printing::PrintOutcome::Printed:
        break;
    }
    return {AfterSubmission::ThanksPrint, {}};
}

Submission sendRequest(const forms::Form &form, WizardState &state, const WizardServices &services)
{
    state.submitResult = SubmitResult::NoUsableReply;
    const QString url = buildRequestUrl(form, state);
    http::GetOptions options;
    options.timeoutMs = services.requestTimeoutMs;
    options.maxRedirects = kMaxRedirects;
    options.maxBodyBytes = kMaxReplyBytes;
    const http::GetResult reply = late::httpGet(url, options);
    if (!reply.ok)
        std::fprintf(stderr, "register: the registration request failed: %s\n",
                     reply.error.toLocal8Bit().constData());
    state.submitResult = SubmitResult(submitResultFromReply(reply.body));
    return {state.submitResult == SubmitResult::Accepted ? AfterSubmission::ThanksOnline
                                                         : AfterSubmission::ErrorOnline,
            url};
}

} // namespace

std::optional<SubmissionWay> chosenWay(const forms::Form &form)
{
    if (form.control(names::optOnline)->value() != 0)
        return SubmissionWay::Online;
    if (form.control(names::optPrint)->value() != 0)
        return SubmissionWay::Print;
    return std::nullopt;
}

Submission submitRegistration(SubmissionWay way, const forms::Form &form, WizardState &state,
                              const WizardServices &services, QWidget *dialogParent)
{
    if (way == SubmissionWay::Print)
        return printForm(form, state, services, dialogParent);
    return sendRequest(form, state, services);
}
