#pragma once

// The screens of the main window. Every screen but the region-and-language
// screen is a frame stretched over the window; the background, the title
// picture and the bottom buttons are shared and move into the frame shown.
// Each operation also sets the keyboard order of its screen (the page's
// inputs, then the buttons from left to right) and puts the focus on the
// first input, or on the screen's main button when it has no input.

namespace forms {
class Form;
}
struct WizardState;

// Hides every frame of the window except the option-group frames of the
// question pages (as the page build recorded them), which go with their page
// frame.
void HideAllFrames(forms::Form &form, const WizardState &state);

// The welcome screen, with Previous and Next.
void DisplayWelcomePage(forms::Form &form, WizardState &state);
// The page frame pageIndex (0: personal information). The callers decide
// which bottom buttons are visible; this one lays them out.
void DisplayPage(forms::Form &form, WizardState &state);
// Online or printed registration, with OK and Cancel; there is no way back.
void DisplayMethodChoosePage(forms::Form &form, WizardState &state);
void DisplayThanksPrint(forms::Form &form, WizardState &state);
void DisplayThanksOnline(forms::Form &form, WizardState &state);
// The text for submitResult (not reached, or refused), Cancel, Exit, Retry.
void DisplayErrorOnline(forms::Form &form, WizardState &state);

// Keyboard order and focus of the region-and-language screen: country,
// language, Cancel, Next.
void focusRegionScreen(forms::Form &form);
