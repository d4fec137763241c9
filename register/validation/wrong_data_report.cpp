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
    label->setText(withLineBreaks(message.isEmpty() ? state.wrongDataMessage : message));
    label->setLeft((dlg.width() - label->width()) / 2);

    dlg.move(mainForm.left() + (mainForm.outerWidth() - dlg.outerWidth()) / 2,
             mainForm.top() + (mainForm.outerHeight() - dlg.outerHeight()) / 2);
    mainForm.window()->setEnabled(false);
    if (modal) {
        dialog.exec();
    } else {
        dialog.show();
    }
}
