#pragma once

// Start-up of the wizard: mode, configuration document, the settings from
// built-in value < configuration < command line, the language list, the
// country list, the language section and the global settings.

#include <QString>
#include <QStringList>

namespace forms {
class Form;
}
struct WizardState;

// A game, language, country or url longer than this is cut where it enters
// (command line or configuration) and reported there. A reminder hands the
// four to schedule inside one process argument, which Linux limits to
// 128 KiB; four settings of this many characters (at most three bytes each in
// UTF-8) always fit, with room to spare.
inline constexpr qsizetype kMaxSettingLength = 4096;

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
