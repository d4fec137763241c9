#pragma once

// The look of the chosen language: its pictures and the way its texts write
// line breaks. Startup, pages and dialogs all read the configuration through
// these, so a text or picture means the same wherever it appears.

#include <QPixmap>
#include <QString>

struct WizardState;

// A picture of the current language's resource section, by resource name
// (letter case ignored); a null pixmap when there is none.
QPixmap languagePicture(const WizardState &state, const QString &name);
// Its file's bytes, not decoded; empty when there is none.
QByteArray languagePictureBytes(const WizardState &state, const QString &name);

// False when the program carries no pictures for the current language; its
// picture names are then not reported one by one (the section is, once).
bool languageHasPictures(const WizardState &state);

// The grave accent stands for a line break (CR LF) in configured texts.
QString graveToLineBreaks(QString text);
