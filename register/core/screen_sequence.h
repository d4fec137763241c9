#pragma once

// The screen sequence as a pure function: which screen an event leads to,
// where the wizard then stands and which bottom buttons change. The main
// window's click handlers run the checks this asks for, then show what it
// answers; the table can be read and tested without any window.

#include "register/core/wizard_state.h"

#include <optional>

// The bottom buttons' clicks (and Escape, which stands for Cancel).
enum class WizardEvent { Next, Previous, Submit, Exit, Retry, Finish, Cancel };

// Where the wizard stands when the event arrives.
struct WizardPosition {
    Stage stage = Stage::RegionAndLanguage;
    int pageIndex = 0;
    int pageCount = 0;
    bool onlineOnly = false;
    bool normalMode = true;
};

// What must hold before the event may move on. The handler reports a failure
// and stays; the age warning may be waved on where the country allows it.
enum class WizardCheck {
    None,
    RegionChosen, // a country, then a language
    PageValid,    // the answers of the page shown
    WelcomeValid, // the welcome page's answers; its age warning may be waved on
};

enum class WizardScreen {
    Stay,         // nothing changes
    Region,       // back to the region screen; the pages are discarded
    Welcome,      // from the region screen: the chosen language is loaded first
    Page,         // frmPages(pageIndex)
    Method,       // online or printed registration
    Submission,   // the method screen's OK at once: online only, or Retry
    CancelDialog, // register later
    End,          // the program ends
};

struct WizardStep {
    WizardScreen screen = WizardScreen::Stay;
    Stage stage = Stage::RegionAndLanguage;
    int pageIndex = 0;
    // Shown or hidden by this step; nothing: left as the screen had it.
    std::optional<bool> prev, next, submit;
};

WizardCheck checkBefore(WizardEvent event, const WizardPosition &at);

// The step for the event, given whether the check it needed passed (or was
// waved on). A failed check always stays.
WizardStep stepAfter(WizardEvent event, const WizardPosition &at, bool checkPassed = true);
