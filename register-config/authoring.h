#pragma once

// Mistakes the wizard passes over without a word, because each one still
// draws a screen: a misspelt optional attribute (its setting is lost), a
// question id used twice (the server cannot tell the answers apart), an empty
// text, a pattern code that means nothing, a registration URL that cannot be
// sent to. Found on config.xml itself, in the same located form as the
// wizard's own problems.

#include "platform/xml/xml_document.h"
#include "register/model/config_problems.h"

#include <QList>

namespace regconfig {

QList<model::ConfigProblem> authoringProblems(const xml::Document &config);

} // namespace regconfig
