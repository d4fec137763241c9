#pragma once

// What a screen reader says for controls whose text the player sees only
// drawn in a picture, or not at all. The words come from the same table the
// pictures are drawn from (tools/make-pictures/words.json, compiled in), so a
// button is named by the very word its picture shows.

#include <QString>

namespace words {

// The word drawn on the picture of that resource name in the language's
// picture set ("next" in french: "Suivant"). Names and languages ignore
// letter case and surrounding blanks. A language the program carries no
// pictures for gets the English word; a picture with no word (a background, a
// name of the publisher's own) gets nothing.
QString pictureWord(const QString &language, const QString &picture);

// A word that tells apart controls sharing one caption: "country",
// "language", "year", "month", "day"; English for a language without pictures.
QString spokenWord(const QString &language, const QString &key);

// A label's caption as a control's name: its lines joined by blanks.
QString captionAsName(const QString &caption);

// A caption with the word that tells one of several controls apart:
// "Date of birth: Year". A caption ending in a colon keeps one colon; an
// empty caption leaves the word alone.
QString captionWithWord(const QString &caption, const QString &word);

} // namespace words
