#pragma once

// One printed document from start to end: where it goes, then its lines.

#include "platform/printing/line_printer.h"
#include "platform/printing/printer_dialog.h"

class QWidget;

namespace printing {

enum class PrintOutcome {
    Cancelled, // the player cancelled the choice of printer: nothing printed
    Failed,    // the printer took no page (a file that cannot be written, a printer gone)
    Printed,
};

// Asks `choose` where the document goes (the platform's printer dialog when
// `choose` is empty), then prints the lines there at high resolution under
// the document name a print queue shows.
PrintOutcome printDocument(const QString &docName, const QList<Line> &lines,
                           const PrinterChooser &choose, QWidget *parent);

} // namespace printing
