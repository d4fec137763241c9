#pragma once

// Choosing where a document is printed.

#include <functional>

class QPrinter;
class QWidget;

namespace printing {

// Asks where the document goes and sets up printer accordingly; false when
// the user cancels. The wizard's services hold one of these so that tests can
// answer in place of a person (for example by directing the printer to a PDF
// file).
using PrinterChooser = std::function<bool(QPrinter &printer, QWidget *parent)>;

// The platform's printer dialog. On a machine without printers it still
// offers printing into a PDF file.
bool choosePrinter(QPrinter &printer, QWidget *parent);

} // namespace printing
