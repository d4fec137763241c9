#pragma once

// The page objects of the configuration model, named for the wizard: each
// object gets the name of the control it is built as, "page_<page>_<code>_<id>"
// (names::objectName), from its type and its id as written.

#include "register/model/page_objects.h"

namespace pages {

using model::CheckObject;
using model::ColourSetting;
using model::ComboObject;
using model::DateObject;
using model::ImageObject;
using model::LabelObject;
using model::ListObject;
using model::PageDefinition;
using model::PageObject;
using model::PageProblem;
using model::RadioObject;
using model::TextObject;

// The type code a control name carries for the object (names::code).
QLatin1String objectCode(const PageObject &object);

// Names every object of the page for page number pageNumber.
void nameObjects(PageDefinition &page, int pageNumber);

// Reads every "object" element of the page markup, at any depth, and names
// the objects for page number pageNumber; pageTitle names the page in
// problem reports ("question page 2", "welcome page").
PageDefinition describePage(const QString &markup, int pageNumber, const QString &pageTitle);

} // namespace pages
