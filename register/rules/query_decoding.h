#pragma once

// Decoding of the registration query as the wizard builds it: every value is
// first passed through a value encoder (escapes ". ? / : = &" so the query's
// structure survives) and the whole query then through a URL encoder (escapes
// everything but ASCII letters, digits and those six characters). Decoding
// undoes the two layers in the opposite order.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

namespace registration {

struct Field {
    QString key;
    QString value;
};

struct Answer {
    QString id;
    QString value;
};

// URL layer, bytes: each "%" with two hexadecimal digits becomes that byte; a
// "%" without them is kept as it is. "+" is not a blank in this query.
QByteArray percentDecode(QByteArrayView text);

// URL layer, text: a byte sequence that is well-formed UTF-8 is read as UTF-8,
// any other byte from 0x80 up as Windows-1252. The wizard sends letters outside
// ASCII as single code-page bytes, other clients may send UTF-8.
QString bytesToText(QByteArrayView bytes);

// Value layer: the six escapes %2E %3F %2F %3A %3D %26 (hex digits in either
// case) back to ". ? / : = &"; every other "%" stays. A "%26" that the user
// typed cannot be told apart from an encoded "&": the protocol is ambiguous.
QString decodeValueEscapes(const QString &text);
QString decodeValueEscapes(QStringView text);

// Both layers over a raw query (the part after "?"): the URL layer over the
// whole query, then the structure split at "&" and at the first "=" of each
// piece, then the value layer over each value. Empty pieces are skipped; a
// piece without "=" is a key with an empty value.
QList<Field> decodeQuery(QByteArrayView rawQuery);

// The question answers: entries separated by "|", each "id", grave accent,
// value. An entry without a grave accent has an empty id. An empty text has
// no entries. Inside an id or value the wizard writes a "|" as %7C and a
// grave accent as %60 (hex digits in either case), so a player's text cannot
// split the list; those two escapes are undone after the split. (A wizard
// older than that escape sent them bare and split its own list; a player who
// types "%7C" itself is read as "|", as with the value layer's escapes.)
QList<Answer> splitAnswers(const QString &answers);

// The two answer escapes alone: %7C to "|" and %60 to a grave accent.
QString decodeAnswerEscapes(const QString &text);
QString decodeAnswerEscapes(QStringView text);

// Control characters as \xNN (\uNNNN above 0xFF), and so the line and
// paragraph separators and the marks that change the direction of text, so
// that one value always stays on one printed line and reads as it is.
QString printable(const QString &text);

// Raw request bytes for printing: printable ASCII as it is, every other byte
// as \xNN.
QString printableBytes(QByteArrayView bytes);

// The readable report of one registration from its request target (path and
// query): the line "--- registration #<number>", one line per answer
// ("answer <id>: <value>", for every "ans" field) and one line per other
// field ("<key>: <value>") in query order, then "request: <target>" with the
// bytes as they arrived.
QStringList describeRegistration(int number, QByteArrayView requestTarget);

} // namespace registration
