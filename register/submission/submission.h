#pragma once

// The method screen's choice carried out: the registration request sent and
// its reply read, or the printed form handed to the printer. What the player
// sees meanwhile and afterwards is the caller's; this says which screen
// comes next.

#include <QString>

#include <optional>

class QWidget;
namespace forms {
class Form;
}
struct WizardState;
struct WizardServices;

enum class SubmissionWay { Online, Print };

// The way the method screen's options choose; online when both are set,
// none when neither is (the player cannot clear both, code can).
std::optional<SubmissionWay> chosenWay(const forms::Form &form);

enum class AfterSubmission {
    ThanksOnline,   // the registration was accepted
    ErrorOnline,    // no usable reply, or refused (submitResult says which): the error page
    ThanksPrint,    // the form went to the printer
    PrintCancelled, // the player left the printer dialog: nothing printed, the method screen stays
    PrintFailed,    // the printer could not take the form: the method screen stays, and the
                    // player is told, or they would believe the form is on its way
};

struct Submission {
    AfterSubmission next;
    // The request as it was sent (online only); test mode shows it.
    QString requestUrl;
};

// Sends the registration or prints the form. The request waits for its reply
// on a worker thread while the event loop inside the call keeps the windows
// painting; a request that fails leaves one line on standard error, with the
// reason and never the answers. Online, it sets state.submitResult. Either
// way it may replace gameName with the product named on a question page.
// The printer is chosen through services.choosePrinter, over dialogParent.
Submission submitRegistration(SubmissionWay way, const forms::Form &form, WizardState &state,
                              const WizardServices &services, QWidget *dialogParent);
