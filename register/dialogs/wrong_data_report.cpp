#include "register/dialogs/wrong_data_report.h"

#include "register/core/control_names.h"

#include "platform/forms/form.h"
#include "register/core/skin.h"
#include "register/core/spoken_words.h"
#include "register/core/wizard_state.h"
#include "register/dialogs/dlg_error.h"
#include "register/layouts/layouts.h"

#include <QScreen>
#include <QScrollArea>
#include <QStyle>

#include <algorithm>

namespace {

// Height of a window's title bar, which the form's outer size leaves out.
constexpr int kTitleBarTwips = 480;
constexpr int kMargin = 240; // beside the text, and half of it below
constexpr int kButtonBottomMargin = 500;

// The screen area the dialog must stay inside, in twips (empty: unknown).
QRect availableTwips(const forms::Form &mainForm)
{
    const QScreen *screen = mainForm.window()->screen();
    if (!screen)
        return {};
    const QRect px = screen->availableGeometry();
    return {forms::pixelsToTwips(px.x()), forms::pixelsToTwips(px.y()),
            forms::pixelsToTwips(px.width()), forms::pixelsToTwips(px.height())};
}

// The scroll box that holds the message when it is taller than the screen
// allows; created on first need, a child of the dialog.
QScrollArea *messageScroller(DlgError &dialog)
{
    auto *scroller =
        dialog.findChild<QScrollArea *>(QStringLiteral("scrError"), Qt::FindDirectChildrenOnly);
    if (!scroller) {
        scroller = new QScrollArea(&dialog);
        scroller->setObjectName(QStringLiteral("scrError"));
        scroller->setFrameShape(QFrame::NoFrame);
        scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroller->setWidgetResizable(false);
        scroller->viewport()->setAutoFillBackground(false); // the dialog's colour shows
        scroller->hide();
    }
    return scroller;
}

// Puts the label back on the dialog after a message that scrolled.
void leaveScroller(DlgError &dialog, forms::Control &label)
{
    QScrollArea *scroller =
        dialog.findChild<QScrollArea *>(QStringLiteral("scrError"), Qt::FindDirectChildrenOnly);
    if (!scroller || scroller->widget() != label.widget())
        return;
    QWidget *text = scroller->takeWidget();
    text->setParent(&dialog);
    scroller->hide();
    label.move(label.left(), label.top());
    label.setVisible(label.isVisibleFlag());
}

// The dialog keeps its designed size and layout for every message that fits
// it. A larger message grows the dialog just enough, up to the screen's
// available area: wider text is broken into lines that fit the screen's
// width, and text still taller than the screen scrolls in a box above the
// buttons. Answers the height the text may take (0: all of it).
int fitDialogToMessage(forms::Form &dlg, forms::Control &label, const QRect &area,
                       int scrollBarTwips)
{
    const forms::Control *ok = dlg.control(names::cmdQuit);
    const int buttonHeight = ok ? ok->height() : 0;
    const int border = 2 * forms::Form::kBorderTwips;
    const int besideText = 2 * kMargin - border;
    const int belowText = label.top() + kMargin / 2 + buttonHeight + kButtonBottomMargin - border;
    if (area.isValid())
        label.setWrapWidth(area.width() - border - besideText - scrollBarTwips);
    const int neededWidth = label.width() + besideText;
    int neededHeight = label.height() + belowText;
    int textHeight = 0;
    if (area.isValid() && neededHeight > area.height() - border - kTitleBarTwips) {
        neededHeight = area.height() - border - kTitleBarTwips;
        textHeight = std::max(neededHeight - belowText, 0);
    }
    dlg.setWidth(
        std::max(layouts::kErrorDialogWidth, neededWidth + (textHeight ? scrollBarTwips : 0)));
    dlg.setHeight(std::max(layouts::kErrorDialogHeight, neededHeight));
    return textHeight;
}

} // namespace

void DisplayWrongData(forms::Form &mainForm, DlgError &dialog, const WizardState &state,
                      const QString &message, bool modal)
{
    forms::Form &dlg = dialog.form();
    forms::Control *label = dlg.control(names::lblError);
    leaveScroller(dialog, *label);
    label->setAutoSize(true);
    label->setText(graveToLineBreaks(message.isEmpty() ? state.wrongDataMessage : message));
    // The text is also the dialog's description, which a screen reader reads
    // with the dialog's title when it opens.
    dialog.setAccessibleDescription(words::captionAsName(label->text()));
    const QRect area = availableTwips(mainForm);
    const int scrollBarTwips =
        forms::pixelsToTwips(dialog.style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    const int textHeight = fitDialogToMessage(dlg, *label, area, scrollBarTwips);
    // Centred on the dialog's outer width, the measure its buttons are laid
    // out on, so the text and a lone OK share one centre line.
    const int shownWidth = label->width() + (textHeight ? scrollBarTwips : 0);
    label->setLeft((dlg.outerWidth() - shownWidth) / 2);
    if (textHeight) {
        QScrollArea *scroller = messageScroller(dialog);
        scroller->setGeometry(forms::twipsToPixels(label->left()),
                              forms::twipsToPixels(label->top()), forms::twipsToPixels(shownWidth),
                              forms::twipsToPixels(textHeight));
        scroller->setWidget(label->widget());
        label->widget()->setVisible(label->isVisibleFlag());
        scroller->show();
    }

    // Over the middle of the main window, but never beyond the screen's edge.
    int left = mainForm.left() + (mainForm.outerWidth() - dlg.outerWidth()) / 2;
    int top = mainForm.top() + (mainForm.outerHeight() - dlg.outerHeight()) / 2;
    if (area.isValid()) {
        left = std::max(area.left(), std::min(left, area.left() + area.width() - dlg.outerWidth()));
        top = std::max(area.top(), std::min(top, area.top() + area.height() - dlg.outerHeight() -
                                                     kTitleBarTwips));
    }
    dlg.move(left, top);
    dialog.disableMainWindow();
    if (modal) {
        dialog.waitUntilLeft();
    } else {
        dialog.show();
    }
}
