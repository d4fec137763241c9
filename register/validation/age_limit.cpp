#include "register/validation/age_limit.h"

#include "register/core/control_names.h"

#include "platform/forms/conversions.h"
#include "platform/forms/form.h"
#include "register/core/wizard_state.h"
#include "register/model/config_reader.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <optional>

namespace {

// What an //age entry sets. All empty: no minimum age, no message.
struct AgeLimit {
    QString age;
    QString prompt;
    QString option;
};

// The age list read once: its entries, and for each country named the first
// entry that names it exactly. Looking an entry up reports what a pass from
// the top down to it meets (entries without a country), as reading the list
// in order does, but each entry is passed over once however many countries
// are looked up.
class AgeEntries {
  public:
    AgeEntries(const model::ConfigReader &reader, const xml::Node &ages)
        : m_reader(reader), m_ages(ages), m_objects(ages.children(QStringLiteral("object")))
    {
        m_names.reserve(m_objects.size());
        for (qsizetype i = 0; i < m_objects.size(); ++i) {
            const std::optional<QString> name = m_objects[i].attribute(QStringLiteral("country"));
            m_names.append(name);
            if (name && !m_first.contains(*name))
                m_first.insert(*name, i);
        }
    }

    // The entry for the country: the first <object> whose country attribute
    // equals it exactly, else the <else> element; a null node when neither.
    xml::Node entryFor(const QString &country)
    {
        const qsizetype match = m_first.value(country, -1);
        const qsizetype end = match >= 0 ? match : m_objects.size();
        for (; m_passed < end; ++m_passed)
            if (!m_names[m_passed])
                m_reader.required(m_objects[m_passed], "country",
                                  QStringLiteral("the entry is passed over"));
        if (match >= 0)
            return m_objects[match];
        const xml::Node fallback = m_ages.firstChild(QStringLiteral("else"));
        if (!fallback) {
            m_reader.report(
                m_ages, {},
                QStringLiteral("has no <object> for the country \"%1\" and no <else>").arg(country),
                QStringLiteral("no age limit applies"));
        }
        return fallback;
    }

  private:
    const model::ConfigReader &m_reader;
    xml::Node m_ages;
    QList<xml::Node> m_objects;
    QList<std::optional<QString>> m_names;
    QHash<QString, qsizetype> m_first;
    qsizetype m_passed = 0; // entries before this one were passed over already
};

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
    LoadAgeLimits(form, state, {countryField ? countryField->text() : QString()});
}

void LoadAgeLimits(forms::Form &form, WizardState &state, const QStringList &countries)
{
    forms::Control *countryField = form.control(names::txtCountry);
    const model::ConfigReader reader(state.configDoc, state.problems);
    const xml::Node ages =
        reader.require(QStringLiteral("//age"), QStringLiteral("no age limit applies"));
    std::optional<AgeEntries> entries;
    if (ages) {
        checkCountries(reader, ages);
        entries.emplace(reader, ages);
    }
    for (const QString &typed : countries) {
        // The country as the field holds it, which is what the player's
        // entry is compared with.
        QString country = typed;
        if (countryField) {
            if (countryField->text() != typed)
                countryField->setText(typed);
            country = countryField->text();
        }
        AgeLimit limit;
        if (entries)
            if (const xml::Node entry = entries->entryFor(country))
                limit = limitOf(reader, entry);

        // The welcome page's birth date: its pattern holder carries the
        // minimum age the date check applies. A welcome page without that
        // date has none.
        if (const built::Question *date = state.pageQuestions.find(
                int(state.pageCount) + 1, names::code::date, QStringLiteral("0")))
            if (forms::Control *holder = date->patternHolder)
                holder->setText(limit.age);
        // Reset too when no entry applies: a country chosen on an earlier
        // pass must not leave its message behind.
        state.agePrompt = limit.prompt;
        state.ageOption = limit.option;
    }
}
