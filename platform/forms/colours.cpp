#include "platform/forms/colours.h"

#include "platform/forms/conversions.h"

namespace forms {

QColor colourFromBgr(std::uint32_t bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

std::optional<QColor> colourFromHex(QStringView text)
{
    if (const auto bgr = bgrFromHex(text))
        return colourFromBgr(*bgr);
    return std::nullopt;
}

std::uint32_t colourToBgr(const QColor &colour)
{
    return std::uint32_t(colour.red()) | (std::uint32_t(colour.green()) << 8) |
           (std::uint32_t(colour.blue()) << 16);
}

} // namespace forms
