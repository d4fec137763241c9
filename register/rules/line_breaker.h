#pragma once

// Line breaking for the printed registration form, whose printer output does
// not wrap long lines by itself.

#include <QString>

// Inserts a line feed after every full run of 120 characters, counted from
// the start; a line feed that would end the result is dropped. Text of 120
// characters or fewer comes back unchanged. A character outside the Basic
// Multilingual Plane counts as one and is never cut in two.
QString breakLines(const QString &text);
