#include "register/validation/data_validation.h"

#include "register/core/control_names.h"

#include "platform/forms/conversions.h"
#include "platform/forms/form.h"
#include "register/core/wizard_state.h"
#include "register/rules/patterns.h"

#include <QStringList>

using forms::trimBlanks; // blanks only: a tab or non-breaking space is part of the text

namespace {

// One pass over the window's controls, in collection order: the first
// failing field wins. Each hidden holder met on the way stands for the rule
// of its question (the record of what the pages and the personal page built
// says which). Every check answers true when the field fails; the walk then
// stops. Rules whose control was not built, or that read a number that does
// not convert, skip that step and go on: a page built from a faulty
// configuration must not trap the player.
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

        // A snapshot: the collection order is the walk order.
        const QList<forms::Control *> controls = m_form.controls();
        for (forms::Control *c : controls) {
            if (c->typeName() != QLatin1String("TextBox"))
                continue;
            const built::Questions *record = &m_state.personalFields;
            const built::Part *part = record->holderOf(c);
            if (!part) {
                record = &m_state.pageQuestions;
                part = record->holderOf(c);
            }
            if (!part)
                continue;
            const built::Question &question = record->question(*part);
            // A page object's id that holds a "_" gives a holder that never
            // counted as one: such a field is not checked.
            if (!question.isPersonalField() && question.id.contains(u'_'))
                continue;
            const Holder which =
                part->role == built::Role::PatternHolder ? Holder::Pattern : Holder::Optional;
            bool failed = false;
            if (onPersonalPage && personalPage && c->isInside(personalPage)) {
                if (question.isPersonalField())
                    failed = personalField(c, question, which);
                else
                    // The personal page carries configured objects too (page 0);
                    // they are checked here, where the player can see them.
                    failed = questionObject(c, question, which);
            } else if (m_state.stage == Stage::Welcome && welcomePage && c->isInside(welcomePage)) {
                if (!question.isPersonalField())
                    failed = welcomeObject(c, question, which);
            } else if (m_state.stage == Stage::Pages && !question.isPersonalField()) {
                // Only while the pages are shown: on the welcome screen the
                // personal page's objects (page 0, pageIndex 0) would otherwise
                // be checked unseen, and a required one would block Next for good.
                failed = questionObject(c, question, which);
            }
            if (failed)
                return false;
        }
        return true;
    }

    // The walk stopped at an answer below the minimum age.
    bool tooYoung() const { return m_tooYoung; }

  private:
    using Holder = names::Holder;

    // A personal field's holders (txtFirstname_patten, txtFirstname_optional).
    // A field shown as a list (city, state) has no text box to check.
    bool personalField(forms::Control *holder, const built::Question &field, Holder which)
    {
        forms::Control *input = field.input;
        if (!input || !input->isVisibleFlag())
            return false;
        const QString answer = trimBlanks(input->text());
        input->setFocus();
        if (which == Holder::Pattern)
            return !answer.isEmpty() && patternFails(holder->text(), answer);
        if (holder->text() != QLatin1String("1") && answer.isEmpty())
            return fieldMissing(holder);
        return false;
    }

    bool welcomeObject(forms::Control *holder, const built::Question &object, Holder which)
    {
        // The welcome page's date 0 is the date of birth the registration
        // sends. A birth date that does not exist would be sent empty, and
        // would pass by the age limit unjudged.
        if (object.code == names::code::date)
            return which == Holder::Pattern &&
                   dateFails(holder, object, /*dateOfBirth=*/object.id == QLatin1String("0"),
                             /*completedMustExist=*/true);
        if (object.code == names::code::text)
            return textFails(holder, object, which, /*patternOnEmpty=*/true);
        return false;
    }

    bool questionObject(forms::Control *holder, const built::Question &object, Holder which)
    {
        if (object.page != m_state.pageIndex)
            return false;
        if (object.code == names::code::date)
            return which == Holder::Pattern && dateFails(holder, object, /*dateOfBirth=*/false,
                                                         /*completedMustExist=*/true);
        if (object.code == names::code::text)
            return textFails(holder, object, which, /*patternOnEmpty=*/false);
        if (object.code == names::code::check || object.code == names::code::list)
            return noOptionChosen(holder, object);
        return false;
    }

    // A free-text field. A pattern of "@" or "" carries no check and the walk
    // goes on: one comment box must not switch off the rest of its page.
    bool textFails(forms::Control *holder, const built::Question &object, Holder which,
                   bool patternOnEmpty)
    {
        forms::Control *input = object.input;
        if (!input)
            return false;
        const QString answer = trimBlanks(input->text());
        input->setFocus();
        if (which == Holder::Pattern)
            return (patternOnEmpty || !answer.isEmpty()) && patternFails(holder->text(), answer);
        if (holder->text() != QLatin1String("1") && answer.isEmpty())
            return fieldMissing(holder);
        return false;
    }

    // The three lists of a date, checked once, from its pattern holder. With
    // completedMustExist, a date chosen in full that does not exist (31
    // February) is wrong data even when the question is optional: it would
    // otherwise be left out of the registration without a word.
    bool dateFails(forms::Control *patternHolder, const built::Question &date,
                   bool dateOfBirth = false, bool completedMustExist = false)
    {
        if (forms::Control *day = date.dateList(u"d"))
            day->setFocus();
        const QString y = textOf(date.dateList(u"y"));
        const QString m = textOf(date.dateList(u"m"));
        const QString d = textOf(date.dateList(u"d"));
        if (completedMustExist && isImpossibleDate(y, m, d))
            return verdict(PatternResult::Fail);
        const PatternResult result = checkDateAnswer(
            y, m, d, patternHolder->text(), textOf(date.optionalHolder), m_today, dateOfBirth);
        return verdict(result);
    }

    // Check lists and lists: the holder holds the number of options, or "0"
    // when no choice is needed.
    bool noOptionChosen(forms::Control *holder, const built::Question &object)
    {
        if (holder->text() == QLatin1String("0"))
            return false;
        const std::optional<std::int16_t> count = forms::toInt16(holder->text());
        if (!count)
            return false;
        int sum = 0;
        forms::Control *first = nullptr;
        for (int i = 0; i < *count; ++i) {
            forms::Control *option = object.option(i);
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

    static QString textOf(const forms::Control *c) { return c ? c->text() : QString(); }

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
