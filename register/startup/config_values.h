#pragma once

// Small helpers for reading optional settings: each assignment stands alone,
// and one whose node or attribute is missing, or whose text does not convert,
// leaves its target unchanged. What does not convert is reported through the
// reader.

#include "platform/forms/colours.h"
#include "platform/forms/control.h"
#include "platform/xml/xml_document.h"
#include "register/model/config_reader.h"

#include <QColor>

namespace config {

// Sets a twips property from a number attribute, when it converts.
template <typename Setter>
void applyNumber(const model::ConfigReader &reader, const xml::Node &node, const char *attribute,
                 Setter &&set)
{
    if (const auto value =
            reader.number(node, attribute, QStringLiteral("the control keeps its earlier value")))
        set(*value);
}

// A colour attribute: absent (or no element at all) gives the default colour;
// present but not hexadecimal gives nothing, so the control keeps its colour.
inline std::optional<QColor> colourOrDefault(const model::ConfigReader &reader,
                                             const xml::Node &node, const char *attribute,
                                             const QColor &fallback)
{
    if (!node.attribute(QLatin1String(attribute)))
        return fallback;
    if (const auto colour =
            reader.colour(node, attribute, QStringLiteral("the control keeps its colour")))
        return forms::colourFromBgr(colour->bgr);
    return std::nullopt;
}

inline void applyForeColor(const model::ConfigReader &reader, forms::Control *c,
                           const xml::Node &node, const QColor &fallback,
                           const char *attribute = "forecolor")
{
    if (const auto colour = colourOrDefault(reader, node, attribute, fallback))
        c->setForeColor(*colour);
}

inline void applyBackColor(const model::ConfigReader &reader, forms::Control *c,
                           const xml::Node &node, const QColor &fallback,
                           const char *attribute = "backcolor")
{
    if (const auto colour = colourOrDefault(reader, node, attribute, fallback))
        c->setBackColor(*colour);
}

} // namespace config
