#pragma once

// The look of the chosen language: its pictures and the way its texts write
// line breaks. Startup, pages and dialogs all read the configuration through
// these, so a text or picture means the same wherever it appears.

#include "platform/pictures/pictures.h"

#include <QByteArray>
#include <QPixmap>
#include <QString>

struct WizardState;

// The folder of the publisher's own pictures: "pictures" beside the program.
// Its files stand in for the built-in pictures of the same name, per section
// (pictures/<section id>/<NAME>.png|jpg|gif) or for every section
// (pictures/<NAME>.png|jpg|gif).
QString ownPicturesFolder(const WizardState &state);

// A picture name as the current language finds it: the publisher's own file
// first, then the built-in picture of the language's resource section
// (letter case ignored everywhere).
struct FoundPicture {
    QByteArray bytes; // not decoded; empty when nothing provides the name
    QString ownFile;  // the publisher's file as "pictures/...", empty for a built-in one
};
FoundPicture findLanguagePicture(const WizardState &state, const QString &name);

// The picture, decoded; a null pixmap when there is none or it does not decode.
QPixmap languagePicture(const WizardState &state, const QString &name);
// Its file's bytes, not decoded; empty when there is none.
QByteArray languagePictureBytes(const WizardState &state, const QString &name);

// A found picture to be shown later. Built-in pictures wait to be decoded
// until then; a publisher's file is decoded now, since it may be no picture
// at all. Null when it gives no picture.
pictures::LazyPicture lazyPicture(const FoundPicture &found);

// Why a picture name gives no picture, in the words of a problem line: no
// file and no built-in picture provides it, or the publisher's file does not
// decode.
QString pictureProblem(const WizardState &state, const QString &name, const FoundPicture &found);

// False when neither the program nor the publisher's folder carries any
// picture for the current language; its picture names are then not reported
// one by one (the section is, once).
bool languageHasPictures(const WizardState &state);

// The grave accent stands for a line break (CR LF) in configured texts.
QString graveToLineBreaks(QString text);
