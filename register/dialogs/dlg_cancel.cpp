#include "register/dialogs/dlg_cancel.h"

#include "register/core/control_names.h"

#include "platform/clock/general_date.h"
#include "platform/forms/colours.h"
#include "platform/forms/conversions.h"
#include "platform/shell/autostart.h"
#include "register/core/skin.h"
#include "register/core/wizard_state.h"
#include "register/dialogs/dlg_error.h"
#include "register/dialogs/reminder_entry.h"
#include "register/layouts/layouts.h"
#include "register/rules/reminder.h"
#include "register/startup/language.h"

#include <QKeyEvent>
#include <QLocale>

#include <cmath>
#include <cstdio>
#include <optional>

namespace {

// Distances of the dialog's design, in twips.
constexpr int kBesideGap = 200;          // between the later option, the days box and its label
constexpr int kTrailingLabelDrop = 50;   // the label's text sits level with the box's text
constexpr int kButtonBottomMargin = 500; // below the buttons

// One element of the language section, read for activation. Each assignment
// stands alone: a missing attribute, a position that is no 16-bit number or a
// colour that is not hexadecimal skips its own assignment and is reported, and
// the rest of the element still applies. A missing element skips everything
// it would have set.
class Setting {
  public:
    Setting(const model::ConfigReader &reader, const char *path)
        : m_reader(reader),
          m_node(reader.require(QLatin1String(path),
                                QStringLiteral("the dialog keeps its design text and place")))
    {
    }

    std::optional<QString> text(const char *attribute)
    {
        if (!m_node)
            return std::nullopt;
        return m_reader.required(m_node, attribute,
                                 QStringLiteral("the control keeps its earlier value"));
    }

    template <typename Setter> void number(const char *attribute, Setter &&set)
    {
        if (!text(attribute))
            return;
        if (const auto twips = m_reader.number(
                m_node, attribute, QStringLiteral("the control keeps its earlier value")))
            set(*twips);
    }

    // An optional colour attribute: when absent, the fallback (which may be
    // nothing, and then the controls keep their colours).
    std::optional<QColor> colour(const char *attribute, const std::optional<QColor> &fallback)
    {
        if (!m_node || !m_node.attribute(QLatin1String(attribute)))
            return fallback;
        if (const auto colour =
                m_reader.colour(m_node, attribute, QStringLiteral("the control keeps its colour")))
            return forms::colourFromBgr(colour->bgr);
        return std::nullopt;
    }

  private:
    const model::ConfigReader &m_reader;
    xml::Node m_node;
};

void applyGeometry(Setting &setting, forms::Control *c)
{
    setting.number("y", [c](int v) { c->setTop(v); });
    setting.number("x", [c](int v) { c->setLeft(v); });
    setting.number("height", [c](int v) { c->setHeight(v); });
    setting.number("width", [c](int v) { c->setWidth(v); });
}

// The colours of the controls that have none of their own. Equal global
// colours come from a language section that never set them (both start
// black): text in them could not be read, so the dialog and those controls
// then keep the desktop's.
struct DialogColours {
    std::optional<QColor> fore, back;
};

DialogColours dialogColours(const WizardState &state)
{
    if (state.defaultForeColor == state.defaultBackColor)
        return {};
    return {state.defaultForeColor, state.defaultBackColor};
}

// The explanation, the one text here that may run over several lines.
void applyExplanation(const model::ConfigReader &reader, forms::Form &dialog,
                      const DialogColours &colours)
{
    forms::Control *lblCancel = dialog.control(names::lblCancel);
    Setting text(reader, "//cancelpage/text");
    applyGeometry(text, lblCancel);
    if (const auto c = text.colour("forecolor", colours.fore))
        lblCancel->setForeColor(*c);
    if (const auto caption = text.text("src"))
        lblCancel->setText(graveToLineBreaks(*caption));
}

// "Remind me in [7] days": the option, the box of days and its trailing label.
void applyLater(const model::ConfigReader &reader, forms::Form &dialog,
                const DialogColours &colours)
{
    forms::Control *optLater = dialog.control(names::optLater);
    forms::Control *txtDays = dialog.control(names::txtDays);
    forms::Control *lblLater = dialog.control(names::lblLater);
    Setting later(reader, "//cancelpage/later");
    if (const auto caption = later.text("src1"))
        optLater->setText(*caption);
    if (const auto c = later.colour("forecolor", colours.fore))
        for (forms::Control *control : {optLater, lblLater, txtDays})
            control->setForeColor(*c);
    if (const auto c = later.colour("backcolor", colours.back))
        for (forms::Control *control : {optLater, txtDays, lblLater})
            control->setBackColor(*c);
    applyGeometry(later, optLater);

    // It reads as one line: the box and its trailing label follow the option
    // wherever the configuration puts it.
    txtDays->setTop(optLater->top());
    txtDays->setLeft(optLater->left() + optLater->width() + kBesideGap);
    txtDays->setHeight(optLater->height());
    // Whatever the player typed last time gives way to the configured count.
    if (const auto days = later.text("days"))
        txtDays->setText(*days);

    lblLater->setTop(optLater->top() + kTrailingLabelDrop);
    lblLater->setLeft(txtDays->left() + txtDays->width() + kBesideGap);
    if (const auto caption = later.text("src2"))
        lblLater->setText(*caption);
}

// The two other choices: not registering at all, and tomorrow.
void applyChoices(const model::ConfigReader &reader, forms::Form &dialog,
                  const DialogColours &colours)
{
    for (const auto &[path, name] : {std::pair{"//cancelpage/cancel", names::optCancel},
                                     std::pair{"//cancelpage/tomorrow", names::optTomorrow}}) {
        forms::Control *option = dialog.control(name);
        Setting setting(reader, path);
        if (const auto caption = setting.text("src"))
            option->setText(*caption);
        applyGeometry(setting, option);
        if (const auto c = setting.colour("forecolor", colours.fore))
            option->setForeColor(*c);
        if (const auto c = setting.colour("backcolor", colours.back))
            option->setBackColor(*c);
    }
}

// The buttons sit on the outer size, as the dialog's design measures it:
// equal gaps left of Cancel, between the two and right of OK.
void placeButtons(forms::Form &dialog, WizardState &state)
{
    forms::Control *quit = dialog.control(names::cmdQuit);
    forms::Control *cancel = dialog.control(names::cmdCancel);
    loadButtonPictures(state, QStringLiteral("quit"), state.quitPictures);
    showButtonPicture(quit, state.quitPictures);
    const int w = dialog.outerWidth();
    const int h = dialog.outerHeight();
    const double gap = (w - 2.0 * quit->width()) / 3.0;
    quit->move(int(std::lround(w - quit->width() - gap)), h - quit->height() - kButtonBottomMargin);
    loadButtonPictures(state, QStringLiteral("cancel"), state.cancelPictures);
    showButtonPicture(cancel, state.cancelPictures);
    cancel->move(int(std::lround(gap)), quit->top());
}

} // namespace

DlgCancel::DlgCancel(WizardState &state, const WizardServices &services, forms::Form &mainForm,
                     QWidget *parent)
    : SkinnedDialog("dlgCancel", layouts::buildCancelDialog, state, mainForm,
                    /*returnKeyboard=*/false, parent),
      m_services(services)
{
}

void DlgCancel::Form_Activate()
{
    const model::ConfigReader reader = sectionReader(m_state);
    const DialogColours colours = dialogColours(m_state);
    if (colours.back) {
        QPalette pal = palette();
        pal.setColor(QPalette::Window, *colours.back);
        setPalette(pal);
        setAutoFillBackground(true);
    }
    applyExplanation(reader, form(), colours);
    applyLater(reader, form(), colours);
    applyChoices(reader, form(), colours);
    placeButtons(form(), m_state);
}

void DlgCancel::cmdQuit_Click()
{
    // Not registering at all ends the wizard and leaves an older reminder
    // where it is.
    if (ctl(names::optCancel)->value() == 1) {
        m_services.endProgram();
        return;
    }

    const QDateTime due = dueMoment(m_services.clock->now(), ctl(names::optLater)->value() == 1,
                                    ctl(names::txtDays)->text());
    // schedule reads the moment back in the locale of the session it runs in,
    // which is the one the wizard runs in now.
    const QString argumentText =
        reminderArgumentText(dates::generalDateText(due, QLocale::system()), m_state.gameName,
                             m_state.currentLanguage, m_state.countryName, m_state.registrationUrl);
    QString entryPath;
    QString error;
    if (!writeReminder(m_state.appPath, carriedSetting(m_state.gameName).value_or(QString()),
                       argumentText, &entryPath, &error)) {
        reminderNotWritten(entryPath, error);
        return;
    }
    m_services.endProgram();
}

void DlgCancel::reminderNotWritten(const QString &entryPath, const QString &reason)
{
    // Ending now would lose the reminder without a word. The player is told,
    // and the wizard stays open on its page: registering now, cancelling
    // again to retry, or not registering remain open.
    std::fprintf(stderr, "register: the reminder was not written: %s\n",
                 reason.toLocal8Bit().constData());
    enableMainWindow();
    hide();
    if (m_messageDialog)
        m_messageDialog->ask(reminderFailureMessage(entryPath, reason, m_state.currentLanguage));
}

void DlgCancel::cmdCancel_Click()
{
    enableMainWindow();
    hide();
}

void DlgCancel::showEvent(QShowEvent *event)
{
    Form_Activate();
    // The keyboard starts on the chosen option: the option group is one Tab
    // stop at the focused option, and the arrow keys move the choice.
    for (QLatin1String name : {names::optLater, names::optTomorrow, names::optCancel})
        if (ctl(name)->value() == 1)
            ctl(name)->setFocus();
    QDialog::showEvent(event);
}

void DlgCancel::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdCancel_Click();
        return;
    }
    QDialog::keyPressEvent(event);
}
