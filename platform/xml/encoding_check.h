#pragma once

// Whether the bytes of a configuration are in the encoding it declares. The
// parser takes the bytes at their word: UTF-8 text under an ISO-8859-1
// declaration shows "mÃ¶gen" for "mögen", and Windows-1252 bytes without a
// declaration show "R�tsel" for "Rätsel". Both still parse, so only a look at
// the bytes finds them.

#include <QByteArray>
#include <QString>

#include <optional>

namespace xml {

struct EncodingMismatch {
    // NotUtf8: read as UTF-8 (declared so, or nothing declared) but is not;
    // Utf8UnderOtherName: UTF-8 text under a one-byte-per-character declaration.
    enum Kind { NotUtf8, Utf8UnderOtherName } kind = NotUtf8;
    int line = 0;     // 1-based, of the first character shown wrongly
    int column = 0;   // 1-based, in characters
    QString declared; // the declaration as written ("ISO-8859-1"), empty when none
    QString what;     // what is wrong, with the word as written and as meant
    QString shown;    // the word as the wizard shows it
};

// The first place where the text is not what its declaration says; nothing
// when the bytes and the declaration agree (or a byte-order mark settles it).
std::optional<EncodingMismatch> findEncodingMismatch(const QByteArray &bytes);

} // namespace xml
