#pragma once

// Texts that run long: a caption measured with the font the wizard draws it
// in that runs past its control's box (the end is cut off) or into a
// neighbouring control (it is drawn under it). Found on the screen as the
// walk shows it, so every language's own words and the wizard's own layout
// count; reported as warnings named "overflow", at the configuration element
// whose text it is.

#include "platform/xml/xml_document.h"
#include "register/model/config_problems.h"

#include <QList>

class QWidget;

namespace regconfig {

// The texts of what `window` shows now that run long. section: the language
// section's element of config.xml, where the texts are looked up.
QList<model::ConfigProblem> overflowingTexts(const QWidget *window, const xml::Node &section);

} // namespace regconfig
