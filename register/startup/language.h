#pragma once

// The language section of config.xml and the per-language pictures.

#include "register/model/config_reader.h"

#include <QPixmap>
#include <QString>

struct WizardState;
struct ButtonPictures;
namespace forms {
class Control;
}

// The size of the shipped button pictures, in twips: a button whose picture
// was never found stands there as a plain button of this size, so the row
// keeps the place the pictures would have had.
inline constexpr int kPlainButtonWidth = 1800;
inline constexpr int kPlainButtonHeight = 300;

// Chooses the language section for currentLanguage and countryName (a
// country-specific section first, then the language's "else" section, then
// the first section, whose id then becomes currentLanguage) and parses it on
// its own as languageDoc.
void LoadLanguage(WizardState &state);

// Readers of the chosen language section and of config.xml as a whole; both
// report to the run's problem log.
model::ConfigReader sectionReader(WizardState &state);
model::ConfigReader rootReader(WizardState &state);

// Reports what is wrong with the chosen section as a whole: an id for which
// the program carries no pictures, and elements the wizard does not know.
void checkLanguageSection(WizardState &state);

// Drops the pictures a section read before left in the state (title
// pictures, every picture button's), so that what a section shows never
// depends on the section shown before it.
void forgetLanguagePictures(WizardState &state);

// Both pictures of a picture button from the section's element (src, srcover),
// for the main window and both dialogs alike. A missing element, attribute or
// picture keeps the picture that was there, and is reported; a button left
// without a hover picture keeps its normal one under the mouse. The word is
// the one the normal picture shows in the current language (the button's
// own word when the picture has none or was not found; English for a
// language without pictures).
void loadButtonPictures(WizardState &state, const QString &element, ButtonPictures &pictures);
// Shows the normal picture in the button and names it by the word; without a
// picture, the button shows the word at the size of a shipped picture.
void showButtonPicture(forms::Control *button, const ButtonPictures &pictures);
