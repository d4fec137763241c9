#pragma once

// Start-up of the wizard: mode, configuration document, the settings from
// built-in value < configuration < command line, the language list, the
// country list, the language section and the global settings.

#include "register/rules/reminder.h"

#include <QString>
#include <QStringList>

namespace forms {
class Form;
}
struct WizardState;

struct StartupResult {
    bool configLoaded = false;
    // When config.xml is missing or not well-formed: a message for the player
    // (its path and the parser's reason), also printed on standard error.
    QString error;
};

// mainForm: the main window's controls; cancelForm: the register-later
// dialog's (its caption follows the configured title).
StartupResult runStartup(forms::Form &mainForm, forms::Form &cancelForm, WizardState &state,
                         const QStringList &processArguments);

// The built-in registration endpoints, used unless the configuration or the
// command line gives one.
QString builtInRegistrationUrl(bool normalMode);
