#include "register/rules/countries.h"

#include <array>

namespace {

struct Row {
    QStringView country;
    QStringView language;
    bool lock;
};

// "Nicaraguay" is kept because shipped configurations may list the country
// under that spelling; "Nicaragua" is listed too so the correct spelling does
// not fall through to English.
constexpr std::array table{
    Row{u"France", u"French", false},
    Row{u"France (European Territory)", u"French", false},
    Row{u"French Guyana", u"French", false},
    Row{u"French Southern Territories", u"French", false},
    Row{u"Italy", u"Italian", false},
    Row{u"Spain", u"Spanish", false},
    Row{u"Argentina", u"Spanish", false},
    Row{u"Venezuela", u"Spanish", false},
    Row{u"Bolivia", u"Spanish", false},
    Row{u"Colombia", u"Spanish", false},
    Row{u"Costa Rica", u"Spanish", false},
    Row{u"Cuba", u"Spanish", false},
    Row{u"Ecuador", u"Spanish", false},
    Row{u"El Salvador", u"Spanish", false},
    Row{u"Guatemala", u"Spanish", false},
    Row{u"Nicaraguay", u"Spanish", false},
    Row{u"Nicaragua", u"Spanish", false},
    Row{u"Paraguay", u"Spanish", false},
    Row{u"Mexico", u"Spanish", false},
    Row{u"Puerto Rico", u"Spanish", false},
    Row{u"Uruguay", u"Spanish", false},
    // German-speaking Germany fixes the language; Austria only suggests it.
    Row{u"Germany", u"German", true},
    Row{u"Austria", u"German", false},
    Row{u"Netherlands", u"Dutch", false},
    Row{u"Netherlands Antilles", u"Dutch", false},
};

} // namespace

std::optional<CountryLanguage> languageForCountry(const QString &country)
{
    if (country.isEmpty())
        return std::nullopt;
    for (const Row &row : table) {
        if (country == row.country)
            return CountryLanguage{row.language.toString(), row.lock};
    }
    return CountryLanguage{QStringLiteral("English"), false};
}
