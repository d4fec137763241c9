#include "register/validation/data_validation.h"

#include "register/core/control_names.h"

#include "platform/forms/conversions.h"
#include "platform/forms/form.h"
#include "register/core/wizard_state.h"
#include "register/rules/patterns.h"

#include <QStringList>

using forms::trimBlanks; // blanks only: a tab or non-breaking space is part of the text

namespace {

// One pass over the window's controls. Every check answers true when the
// field fails; the walk then stops. Rules that name a control that does not
// exist, or read a number that does not convert, skip that step and go on:
// a page built from a faulty configuration must not trap the player.
class Walk {
  public:
    Walk(forms::Form &form, WizardState &state, QDate today)
        : m_form(form), m_state(state), m_today(today)
    {
    }

    bool run()
    {
        forms::Control *personalPage = m_form.control(names::frmPages, 0);
        forms::Control *welcomePage = m_form.control(names::frmWelcome);
        const bool onPersonalPage = m_state.pageIndex == 0 && m_state.stage == Stage::Pages;

        // A snapshot: the collection order is the walk order, and the first
        // failing field wins.
        const QList<forms::Control *> controls = m_form.controls();
        for (forms::Control *c : controls) {
            if (c->typeName() != QLatin1String("TextBox"))
                continue;
            const std::optional<names::HolderName> holder = names::parseHolderName(c->name());
            if (!holder)
                continue;
            const bool ofObject = holder->object.has_value();
            bool failed = false;
            if (onPersonalPage && personalPage && c->isInside(personalPage)) {
                if (!ofObject)
                    failed = personalField(c, *holder);
                else
                    // The personal page carries configured objects too (page 0);
                    // they are checked here, where the player can see them.
                    failed = questionObject(c, *holder);
            } else if (m_state.stage == Stage::Welcome && welcomePage && c->isInside(welcomePage)) {
                if (ofObject)
                    failed = welcomeObject(c, *holder);
            } else if (m_state.stage == Stage::Pages && ofObject) {
                // Only while the pages are shown: on the welcome screen the
                // personal page's objects (page 0, pageIndex 0) would otherwise
                // be checked unseen, and a required one would block Next for good.
                failed = questionObject(c, *holder);
            }
            if (failed)
                return false;
        }
        return true;
    }

    // The walk stopped at an answer below the minimum age.
    bool tooYoung() const { return m_tooYoung; }

  private:
    // The holders of a personal field: txtFirstname_patten, txtFirstname_optional.
    bool personalField(forms::Control *holder, const names::HolderName &name)
    {
        const QString &stem = name.field;
        forms::Control *input = m_form.control(stem);
        // Combo boxes of the personal page (city, state lists) are not checked.
        if (!input || !input->isVisibleFlag() || !stem.startsWith(QLatin1String("txt")))
            return false;
        const QString answer = trimBlanks(input->text());
        input->setFocus();
        if (name.holder == names::Holder::Pattern)
            return !answer.isEmpty() && patternFails(holder->text(), answer);
        if (holder->text() != QLatin1String("1") && answer.isEmpty())
            return fieldMissing(holder);
        return false;
    }

    bool welcomeObject(forms::Control *holder, const names::HolderName &name)
    {
        const QString &type = name.object->code;
        // The welcome page's date 0 is the date of birth the registration sends.
        if (type == names::code::date)
            return name.holder == names::Holder::Pattern &&
                   dateFails(holder, name.field,
                             /*dateOfBirth=*/name.object->id == QLatin1String("0"));
        if (type == names::code::text)
            return textFails(holder, name.field, name.holder, /*patternOnEmpty=*/true);
        return false;
    }

    bool questionObject(forms::Control *holder, const names::HolderName &name)
    {
        const std::optional<std::int16_t> page = forms::toInt16(name.object->page);
        if (!page || *page != m_state.pageIndex)
            return false;
        const QString &type = name.object->code;
        if (type == names::code::date)
            return name.holder == names::Holder::Pattern &&
                   dateFails(holder, name.field, /*dateOfBirth=*/false,
                             /*completedMustExist=*/true);
        if (type == names::code::text)
            return textFails(holder, name.field, name.holder, /*patternOnEmpty=*/false);
        if (type == names::code::check || type == names::code::list)
            return noOptionChosen(holder, name.field);
        return false;
    }

    // A free-text field. A pattern of "@" or "" carries no check and the walk
    // goes on: one comment box must not switch off the rest of its page.
    bool textFails(forms::Control *holder, const QString &object, names::Holder which,
                   bool patternOnEmpty)
    {
        forms::Control *input = m_form.control(object);
        if (!input)
            return false;
        const QString answer = trimBlanks(input->text());
        input->setFocus();
        if (which == names::Holder::Pattern)
            return (patternOnEmpty || !answer.isEmpty()) && patternFails(holder->text(), answer);
        if (holder->text() != QLatin1String("1") && answer.isEmpty())
            return fieldMissing(holder);
        return false;
    }

    // The three lists of a date, checked once, from its pattern holder. With
    // completedMustExist, a date chosen in full that does not exist (31
    // February) is wrong data even when the question is optional: it would
    // otherwise be left out of the registration without a word.
    bool dateFails(forms::Control *patternHolder, const QString &object, bool dateOfBirth = false,
                   bool completedMustExist = false)
    {
        forms::Control *day = m_form.control(names::datePartName(object, u"d"));
        if (day)
            day->setFocus();
        const QString y = textOf(names::datePartName(object, u"y"));
        const QString m = textOf(names::datePartName(object, u"m"));
        const QString d = textOf(names::datePartName(object, u"d"));
        if (completedMustExist && isImpossibleDate(y, m, d))
            return verdict(PatternResult::Fail);
        const PatternResult result = checkDateAnswer(
            y, m, d, patternHolder->text(),
            textOf(names::holderName(object, names::Holder::Optional)), m_today, dateOfBirth);
        return verdict(result);
    }

    // Check lists and lists: the holder holds the number of options, or "0"
    // when no choice is needed.
    bool noOptionChosen(forms::Control *holder, const QString &object)
    {
        if (holder->text() == QLatin1String("0"))
            return false;
        const std::optional<std::int16_t> count = forms::toInt16(holder->text());
        if (!count)
            return false;
        int sum = 0;
        forms::Control *first = nullptr;
        for (int i = 0; i < *count; ++i) {
            forms::Control *option = m_form.control(names::optionName(object, i));
            if (!option)
                continue; // adds nothing
            if (!first)
                first = option;
            sum += option->value();
        }
        // The player is taken to the list, at its first option.
        if (first)
            first->setFocus();
        return sum == 0 && fieldMissing(holder);
    }

    bool patternFails(const QString &pattern, const QString &answer)
    {
        return verdict(checkPattern(pattern, answer, m_today));
    }

    bool verdict(PatternResult result)
    {
        switch (result) {
        case PatternResult::Pass:
            return false;
        case PatternResult::Fail:
            return true; // dataErrorText stays
        case PatternResult::TooYoung:
            m_state.wrongDataMessage = m_state.agePrompt;
            m_tooYoung = true;
            return true;
        }
        return false;
    }

    // A required answer is missing: the field's own text when it has one.
    bool fieldMissing(const forms::Control *optionalHolder)
    {
        if (!optionalHolder->tag().isEmpty())
            m_state.wrongDataMessage = optionalHolder->tag();
        return true;
    }

    QString textOf(const QString &name) const
    {
        const forms::Control *c = m_form.control(name);
        return c ? c->text() : QString();
    }

    forms::Form &m_form;
    WizardState &m_state;
    QDate m_today;
    bool m_tooYoung = false;
};

} // namespace

DataVerdict isDataValid(forms::Form &form, WizardState &state, QDate today)
{
    if (!state.normalMode)
        return {};
    state.wrongDataMessage = state.dataErrorText;
    Walk walk(form, state, today);
    if (walk.run())
        return {};
    // An empty age prompt never stands for the age warning, or any empty
    // message could be waved on.
    const bool overridable =
        walk.tooYoung() && !state.agePrompt.isEmpty() && state.ageOption == QLatin1String("1");
    return {false, state.wrongDataMessage, overridable};
}
