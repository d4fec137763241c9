#include "register/validation/wrong_data_report.h"

#include "platform/forms/form.h"
#include "register/dialogs/dlg_error.h"
#include "register/wizard/wizard_state.h"

namespace {

QString withLineBreaks(QString text)
{
    // The configuration writes multi-line messages with the grave accent.
    text.replace(u'`', QLatin1String("\r\n"));
    return text;
}

} // namespace

void DisplayWrongData(forms::Form &mainForm, DlgError &dialog, const WizardState &state,
                      const QString &message, bool modal)
{
    forms::Form &dlg = dialog.form();
    forms::Control *label = dlg.control(QStringLiteral("lblError"));
    label->setAutoSize(true);
    label->setText(withLineBreaks(message.isEmpty() ? state.wrongDataMessage : message));
    // Centred on the dialog's outer width, the measure its buttons are laid
    // out on, so the text and a lone OK share one centre line. A text wider
    // than the dialog gets a negative left and is not wrapped.
    label->setLeft((dlg.outerWidth() - label->width()) / 2);

    dlg.move(mainForm.left() + (mainForm.outerWidth() - dlg.outerWidth()) / 2,
             mainForm.top() + (mainForm.outerHeight() - dlg.outerHeight()) / 2);
    dialog.disableMainWindow();
    if (modal) {
        dialog.exec();
    } else {
        dialog.show();
    }
}
