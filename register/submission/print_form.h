#pragma once

// The printed registration form: what it lists, and its lines.

#include "platform/printing/line_printer.h"

#include <QList>
#include <QString>

namespace forms {
class Form;
}
struct WizardState;

// One numbered entry of the form: a question and its answer.
struct PrintedEntry {
    QString question;
    QString answer;
};

// The entries in printing order: first the personal fields whose labels are
// visible (first name, last name, birth date, address 1, ...), the birth date
// as year/month/day or "N/A" when it is no real date; then every question of
// the question pages, in walk order, with its answer. May replace gameName
// with the product named on a question page.
//
// A question is keyed by its page and id, so the questions of different pages
// that share an id keep their own answers. The answers of one question are
// merged in walk order: each is trimmed, empty ones are left out, the rest are
// joined by ", " (the boxes of a date give "1990, 5, 17"; several ticked boxes
// give "Action, Puzzle"). A question without an answer prints an empty one.
QList<PrintedEntry> gatherPrintedEntries(const forms::Form &form, WizardState &state);

// The form's lines: "Product Registration", an empty line, the game name, two
// empty lines, then per entry "<n>." TAB question, an empty line, TAB answer,
// an empty line. Questions and answers go through the line breaker (a line
// feed after every 120 characters); a continuation line starts at the left
// edge, as the breaker leaves it.
QList<printing::Line> printedFormLines(const QString &gameName, const QList<PrintedEntry> &entries);
