#pragma once

// The command-line splitter shared by register and schedule. Both programs
// read their settings as "/key=value" pieces out of one raw argument text, so
// the splitting rules below are the contract between them.

#include <QString>
#include <QStringList>
#include <QStringView>

// Splits the raw argument text into at most maxArgs arguments.
// Entry 0 is always empty; entries 1..n are the arguments in order.
//
// - The first character always opens argument 1 and is dropped, whatever it is
//   ("abc /game=X" gives "bc " and "game=X").
// - Later, a "/" opens a new argument only when it follows a blank; any other
//   "/" (a URL's path, the slashes of a date) stays inside the argument.
// - Blanks and tabs are ordinary characters: an argument followed by another
//   keeps the blank before the next "/", which is why callers trim values.
// - When maxArgs arguments are open and another would open, scanning stops;
//   the rest of the text is not read at all.
QStringList GetCommandLine(QStringView rawText, int maxArgs = 10);

// The raw argument text of a process: its arguments after the program name,
// joined with single blanks. schedule hands register argument lists whose
// joined text is exactly the command text it means (see schedule/relaunch.h).
QString rawArgumentText(const QStringList &processArgs);
