#pragma once

// Text printed line by line, top to bottom, with page breaks: the printer's
// side of a printed form.

#include <QList>
#include <QString>

class QPrinter;

namespace printing {

enum class LineStyle {
    Title,    // the document's heading
    Subtitle, // what the document is about
    Strong,   // a question or caption
    Plain,    // everything else
};

struct Line {
    // A line feed (or CR LF) inside the text starts a new printed line; one at
    // the very end only ends the line. A tab advances to the next tab stop.
    // An empty text prints an empty line.
    QString text;
    LineStyle style = LineStyle::Plain;
    // Printed on the same page as the line after it (a question with the
    // empty line and the answer that follow it).
    bool keepWithNext = false;
};

// Prints the lines on the printer's paper inside margins of 18 mm. A line
// that no longer fits on the page starts the next page, together with the
// lines kept with it; an empty line never opens a page. The body text is
// 10.5 pt and shrinks (down to 60 %) so that the widest line fits across the
// page; a line still too wide continues on the next line, at its indent.
// Returns the number of pages printed; 0 when the printer could not start,
// or failed before the end (the device reports an error, or the output file
// is no complete PDF file): the form cannot be counted as printed then.
int printLines(QPrinter &printer, const QList<Line> &lines);

} // namespace printing
