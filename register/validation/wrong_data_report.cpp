#include "register/validation/wrong_data_report.h"

#include "platform/forms/form.h"
#include "register/dialogs/dlg_error.h"
#include "register/layouts/layouts.h"
#include "register/wizard/wizard_state.h"

#include <algorithm>

namespace {

QString withLineBreaks(QString text)
{
    // The configuration writes multi-line messages with the grave accent.
    text.replace(u'`', QLatin1String("\r\n"));
    return text;
}

// The dialog keeps its designed size for every message that fits it. A
// message wider or taller than that would be cut off (or run under the
// buttons), so the dialog grows just enough to show it whole; the buttons are
// laid out from the dialog's size when it is shown.
void fitDialogToMessage(forms::Form &dlg, const forms::Control &label)
{
    constexpr int kMargin = 240;
    const forms::Control *ok = dlg.control(QStringLiteral("cmdQuit"));
    const int buttonHeight = ok ? ok->height() : 0;
    const int neededWidth = label.width() + 2 * kMargin - 2 * forms::Form::kBorderTwips;
    const int neededHeight = label.top() + label.height() + kMargin / 2 + buttonHeight + 500 -
                             2 * forms::Form::kBorderTwips;
    dlg.setWidth(std::max(layouts::kErrorDialogWidth, neededWidth));
    dlg.setHeight(std::max(layouts::kErrorDialogHeight, neededHeight));
}

} // namespace

void DisplayWrongData(forms::Form &mainForm, DlgError &dialog, const WizardState &state,
                      const QString &message, bool modal)
{
    forms::Form &dlg = dialog.form();
    forms::Control *label = dlg.control(QStringLiteral("lblError"));
    label->setAutoSize(true);
    label->setText(withLineBreaks(message.isEmpty() ? state.wrongDataMessage : message));
    fitDialogToMessage(dlg, *label);
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
