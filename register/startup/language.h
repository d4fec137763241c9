#pragma once

// The language section of config.xml and the per-language pictures.

#include "register/core/config_reader.h"

#include <QPixmap>
#include <QString>

struct WizardState;

// Chooses the language section for currentLanguage and countryName (a
// country-specific section first, then the language's "else" section, then
// the first section, whose id then becomes currentLanguage) and parses it on
// its own as languageDoc.
void LoadLanguage(WizardState &state);

// Readers of the chosen language section and of config.xml as a whole; both
// report to the run's problem log.
core::ConfigReader sectionReader(WizardState &state);
core::ConfigReader rootReader(WizardState &state);

// Reports what is wrong with the chosen section as a whole: an id for which
// the program carries no pictures, and elements the wizard does not know.
void checkLanguageSection(WizardState &state);

// A picture of the current language's resource section, by resource name
// (letter case ignored); a null pixmap when there is none.
QPixmap languagePicture(const WizardState &state, const QString &name);
