#pragma once

// Conversions of configuration text into the numbers the windows use.
// QtCore only: shared with schedule, the configuration model and the pure
// rule units. The colours as the windows paint them are in colours.h.

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace forms {

// Decimal text (blanks around it allowed) rounded to the nearest whole number,
// ties to even, and accepted only inside the 16-bit signed range:
// "121.5" -> 122, "120.5" -> 120, "abc" -> nothing, "40000" -> nothing.
std::optional<std::int16_t> toInt16(QStringView text);

// True when the text (blanks around it allowed) is a decimal number.
bool isNumeric(QStringView text);

// Hexadecimal digits without prefix, read as the number 0xBBGGRR (red in
// the low byte): "FF0000" is blue, "0000FF" is red, "00FF0000" blue again
// (leading zeros). Anything that is not 1 to 8 hex digits denoting at most
// 0xFFFFFF gives nothing, so the caller leaves its target unchanged.
std::optional<std::uint32_t> bgrFromHex(QStringView text);

// Removes blanks (U+0020) at either end and nothing else: configuration
// values and command-line values are trimmed this way, so a tab, a line break
// or a non-breaking space at either end stays part of the value.
QString trimBlanks(const QString &text);

} // namespace forms
