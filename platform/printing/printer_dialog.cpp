#include "platform/printing/printer_dialog.h"

#include <QPrintDialog>
#include <QPrinter>

namespace printing {

bool choosePrinter(QPrinter &printer, QWidget *parent)
{
    QPrintDialog dialog(&printer, parent);
    // The document is laid out as a whole: there is no selection to print,
    // and a page range would cut an entry in two.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize |
                      QAbstractPrintDialog::PrintCollateCopies);
    // A child window inherits the disabled state of its owner, and callers
    // disable their window while a notice stands; the dialog must still
    // answer the keyboard and mouse.
    dialog.setEnabled(true);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace printing
