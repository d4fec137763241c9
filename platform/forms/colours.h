#pragma once

// Configuration colours (0xBBGGRR numbers, red in the low byte) as the
// windows paint them.

#include <QColor>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace forms {

// The colour of a 0xBBGGRR number.
QColor colourFromBgr(std::uint32_t bgr);

// The colour of hexadecimal BBGGRR text (see bgrFromHex); nothing when the
// text is no colour.
std::optional<QColor> colourFromHex(QStringView text);

// The 0xBBGGRR number of a colour (for tests and diagnostics).
std::uint32_t colourToBgr(const QColor &colour);

} // namespace forms
