#pragma once

// The two encoders that prepare the registration for the request URL. Every
// escape is "%" and two upper-case hexadecimal digits.

#include <QString>
#include <QStringView>

// Protects the query's structure inside one value: only the six characters
// of ".?/:=&" are escaped; everything else, letters beyond ASCII included,
// is copied unchanged. (The URL encoder escapes it all again afterwards, so
// an "&" typed by the player reaches the server as %2526.)
QString encodeValue(QStringView text);

// Makes the whole query safe for the request line. ASCII letters, digits and
// ".?/:=&" stay; every other character is escaped by its Windows-1252 byte
// (the Western code page the server expects, e.g. "é" -> %E9). A character
// Windows-1252 cannot hold is sent as the escapes of its UTF-8 bytes.
QString encodeUrl(QStringView text);
