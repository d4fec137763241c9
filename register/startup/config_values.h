#pragma once

// Small helpers for reading optional settings: each assignment stands alone,
// and one whose node or attribute is missing, or whose text does not convert,
// leaves its target unchanged. What does not convert is reported through the
// reader.

#include "platform/forms/control.h"
#include "platform/forms/conversions.h"
#include "platform/xml/xml_document.h"
#include "register/core/config_reader.h"

#include <QColor>

namespace config {

// Sets a twips property from a number attribute, when it converts.
template <typename Setter>
void applyNumber(const core::ConfigReader &reader, const xml::Node &node, const char *attribute,
                 Setter &&set)
{
    if (const auto value =
            reader.number(node, attribute, QStringLiteral("the control keeps its earlier value")))
        set(*value);
}

// A colour attribute: absent (or no element at all) gives the default colour;
// present but not hexadecimal gives nothing, so the control keeps its colour.
inline void applyForeColor(const core::ConfigReader &reader, forms::Control *c,
                           const xml::Node &node, const QColor &fallback,
                           const char *attribute = "forecolor")
{
    if (const auto colour = reader.colourOrDefault(node, attribute, fallback))
        c->setForeColor(*colour);
}

inline void applyBackColor(const core::ConfigReader &reader, forms::Control *c,
                           const xml::Node &node, const QColor &fallback,
                           const char *attribute = "backcolor")
{
    if (const auto colour = reader.colourOrDefault(node, attribute, fallback))
        c->setBackColor(*colour);
}

} // namespace config
