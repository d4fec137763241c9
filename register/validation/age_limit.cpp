#include "register/validation/age_limit.h"

#include "register/core/control_names.h"

#include "platform/forms/conversions.h"
#include "platform/forms/form.h"
#include "register/core/wizard_state.h"
#include "register/model/config_reader.h"

#include <QSet>

namespace {

// What an //age entry sets. All empty: no minimum age, no message.
struct AgeLimit {
    QString age;
    QString prompt;
    QString option;
};

// The entry for the country: the first <object> whose country attribute
// equals it exactly, else the <else> element; a null node when neither.
xml::Node entryFor(const model::ConfigReader &reader, const xml::Node &ages, const QString &country)
{
    for (const xml::Node &object : ages.children(QStringLiteral("object"))) {
        const std::optional<QString> name =
            reader.required(object, "country", QStringLiteral("the entry is passed over"));
        if (name && *name == country)
            return object;
    }
    const xml::Node fallback = ages.firstChild(QStringLiteral("else"));
    if (!fallback) {
        reader.report(
            ages, {},
            QStringLiteral("has no <object> for the country \"%1\" and no <else>").arg(country),
            QStringLiteral("no age limit applies"));
    }
    return fallback;
}

// An entry for a country the country list does not offer can only apply to a
// player who types that very name under "Other": most likely a misspelling.
void checkCountries(const model::ConfigReader &reader, const xml::Node &ages)
{
    const xml::Node list = reader.document().selectSingleNode(QStringLiteral("//country"));
    const auto src = list.attribute(QStringLiteral("src"));
    if (!src)
        return;
    QSet<QString> offered;
    for (const QString &name : src->split(u'|'))
        offered.insert(forms::trimBlanks(name));
    for (const xml::Node &object : ages.children(QStringLiteral("object"))) {
        const auto country = object.attribute(QStringLiteral("country"));
        if (country && !offered.contains(forms::trimBlanks(*country)))
            reader.report(object, {"country"},
                          QStringLiteral("names a country that is not in the country list at %1")
                              .arg(reader.lineOf(list)),
                          QStringLiteral("it applies only to a player who types that name "
                                         "under \"Other\""));
    }
}

// A minimum age needs its message: without one the player would be stopped by
// an empty dialog, so an entry that lacks either sets no limit at all.
AgeLimit limitOf(const model::ConfigReader &reader, const xml::Node &entry)
{
    const QString none = QStringLiteral("no age limit applies");
    const std::optional<QString> age = reader.required(entry, "age", none);
    if (!age)
        return {};
    if (!age->trimmed().isEmpty() && !forms::isNumeric(*age)) {
        reader.report(entry, {"age"}, QStringLiteral("the age is not a number"), none);
        return {};
    }
    const std::optional<QString> prompt = reader.required(entry, "prompt", none);
    if (!prompt)
        return {};
    const std::optional<QString> option =
        reader.required(entry, "option", QStringLiteral("a younger player must correct the date"));
    return {*age, *prompt, option.value_or(QString())};
}

} // namespace

void LoadAgeLimit(forms::Form &form, WizardState &state)
{
    const forms::Control *countryField = form.control(names::txtCountry);
    const QString country = countryField ? countryField->text() : QString();

    AgeLimit limit;
    const model::ConfigReader reader(state.configDoc, state.problems);
    const xml::Node ages =
        reader.require(QStringLiteral("//age"), QStringLiteral("no age limit applies"));
    if (ages) {
        checkCountries(reader, ages);
        if (const xml::Node entry = entryFor(reader, ages, country))
            limit = limitOf(reader, entry);
    }

    // The welcome page's birth date: its pattern holder carries the minimum
    // age the date check applies. A welcome page without that date has none.
    if (const built::Question *date = state.pageQuestions.find(
            int(state.pageCount) + 1, names::code::date, QStringLiteral("0")))
        if (forms::Control *holder = date->patternHolder)
            holder->setText(limit.age);
    // Reset too when no entry applies: a country chosen on an earlier pass
    // must not leave its message behind.
    state.agePrompt = limit.prompt;
    state.ageOption = limit.option;
}
