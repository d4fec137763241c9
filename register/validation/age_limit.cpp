#include "register/validation/age_limit.h"

#include "platform/forms/conversions.h"
#include "platform/forms/form.h"
#include "register/wizard/wizard_state.h"

#include <cstdio>

namespace {

void report(const QString &problem)
{
    std::fprintf(stderr, "config.xml: %s\n", problem.toLocal8Bit().constData());
}

// What an //age entry sets. All empty: no minimum age, no message.
struct AgeLimit {
    QString age;
    QString prompt;
    QString option;
};

// The entry for the country: the first <object> whose country attribute
// equals it exactly, else the <else> element; a null node when neither.
xml::Node entryFor(const xml::Node &ages, const QString &country)
{
    for (const xml::Node &object : ages.children(QStringLiteral("object"))) {
        const std::optional<QString> name = object.attribute(QStringLiteral("country"));
        if (!name) {
            report(QStringLiteral("line %1: an <object> of <age> has no country attribute; it "
                                  "is passed over")
                       .arg(object.line()));
            continue;
        }
        if (*name == country)
            return object;
    }
    const xml::Node fallback = ages.firstChild(QStringLiteral("else"));
    if (!fallback) {
        report(QStringLiteral("line %1: <age> has no <object> for the country \"%2\" and no "
                              "<else>; no age limit applies")
                   .arg(ages.line())
                   .arg(country));
    }
    return fallback;
}

// A minimum age needs its message: without one the player would be stopped by
// an empty dialog, so an entry that lacks either sets no limit at all.
AgeLimit limitOf(const xml::Node &entry)
{
    const auto where = [&entry] {
        return QStringLiteral("line %1: <%2> of <age>").arg(entry.line()).arg(entry.name());
    };
    const std::optional<QString> age = entry.attribute(QStringLiteral("age"));
    const std::optional<QString> prompt = entry.attribute(QStringLiteral("prompt"));
    const std::optional<QString> option = entry.attribute(QStringLiteral("option"));
    if (!age) {
        report(where() + QStringLiteral(" has no age attribute; no age limit applies"));
        return {};
    }
    if (!age->trimmed().isEmpty() && !forms::isNumeric(*age)) {
        report(where() + QStringLiteral(" has the age \"%1\", which is not a number; no age "
                                        "limit applies")
                             .arg(*age));
        return {};
    }
    if (!prompt) {
        report(where() + QStringLiteral(" has no prompt attribute; no age limit applies"));
        return {};
    }
    if (!option) {
        report(where() + QStringLiteral(" has no option attribute; a younger player must "
                                        "correct the date"));
    }
    return {*age, *prompt, option.value_or(QString())};
}

} // namespace

void LoadAgeLimit(forms::Form &form, WizardState &state)
{
    const forms::Control *countryField = form.control(QStringLiteral("txtCountry"));
    const QString country = countryField ? countryField->text() : QString();

    AgeLimit limit;
    const xml::Node ages = state.configDoc.selectSingleNode(QStringLiteral("//age"));
    if (!ages) {
        report(QStringLiteral("the element <age> is missing; no age limit applies"));
    } else if (const xml::Node entry = entryFor(ages, country)) {
        limit = limitOf(entry);
    }

    // The welcome page's birth date: its pattern holder carries the minimum
    // age the date check applies. A welcome page without that date has none.
    const QString holderName = QStringLiteral("page_%1_dat_0_patten").arg(int(state.pageCount) + 1);
    if (forms::Control *holder = form.control(holderName))
        holder->setText(limit.age);
    // Reset too when no entry applies: a country chosen on an earlier pass
    // must not leave its message behind.
    state.agePrompt = limit.prompt;
    state.ageOption = limit.option;
}
