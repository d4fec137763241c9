#include "platform/printing/print_job.h"

#include <QPrinter>

namespace printing {

PrintOutcome printDocument(const QString &docName, const QList<Line> &lines,
                           const PrinterChooser &choose, QWidget *parent)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(docName);
    const bool chosen = choose ? choose(printer, parent) : choosePrinter(printer, parent);
    if (!chosen)
        return PrintOutcome::Cancelled;
    return printLines(printer, lines) == 0 ? PrintOutcome::Failed : PrintOutcome::Printed;
}

} // namespace printing
