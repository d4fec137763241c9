#pragma once

// Small helpers for reading optional settings: each assignment stands alone,
// and one whose node or attribute is missing, or whose text does not convert,
// leaves its target unchanged.

#include "platform/forms/control.h"
#include "platform/forms/conversions.h"
#include "platform/xml/xml_document.h"

#include <QColor>

namespace config {

// Sets a twips property from a number attribute, when it converts.
template <typename Setter>
void applyNumber(const xml::Node &node, const char *attribute, Setter &&set)
{
    if (const auto text = node.attribute(QLatin1String(attribute)))
        if (const auto value = forms::toInt16(*text))
            set(int(*value));
}

// A colour attribute: absent (or no element at all) gives the default colour;
// present but not hexadecimal gives nothing, so the control keeps its colour.
inline std::optional<QColor> colourOrDefault(const xml::Node &node, const char *attribute,
                                             const QColor &fallback)
{
    const auto text = node.attribute(QLatin1String(attribute));
    if (!text)
        return fallback;
    return forms::colourFromHex(*text);
}

inline void applyForeColor(forms::Control *c, const xml::Node &node, const QColor &fallback,
                           const char *attribute = "forecolor")
{
    if (const auto colour = colourOrDefault(node, attribute, fallback))
        c->setForeColor(*colour);
}

inline void applyBackColor(forms::Control *c, const xml::Node &node, const QColor &fallback,
                           const char *attribute = "backcolor")
{
    if (const auto colour = colourOrDefault(node, attribute, fallback))
        c->setBackColor(*colour);
}

} // namespace config
