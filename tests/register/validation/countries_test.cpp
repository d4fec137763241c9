#include "register/validation/countries.h"

#include <gtest/gtest.h>

namespace {

struct CountryCase {
    const char *country;
    const char *language;
    bool lock;
};

TEST(LanguageForCountry, followsTheTable)
{
    const CountryCase cases[] = {
        {"France", "French", false},
        {"France (European Territory)", "French", false},
        {"French Guyana", "French", false},
        {"French Southern Territories", "French", false},
        {"Italy", "Italian", false},
        {"Spain", "Spanish", false},
        {"Argentina", "Spanish", false},
        {"Venezuela", "Spanish", false},
        {"Bolivia", "Spanish", false},
        {"Colombia", "Spanish", false},
        {"Costa Rica", "Spanish", false},
        {"Cuba", "Spanish", false},
        {"Ecuador", "Spanish", false},
        {"El Salvador", "Spanish", false},
        {"Guatemala", "Spanish", false},
        {"Nicaraguay", "Spanish", false},
        {"Nicaragua", "Spanish", false},
        {"Paraguay", "Spanish", false},
        {"Mexico", "Spanish", false},
        {"Puerto Rico", "Spanish", false},
        {"Uruguay", "Spanish", false},
        {"Germany", "German", true},
        {"Austria", "German", false},
        {"Netherlands", "Dutch", false},
        {"Netherlands Antilles", "Dutch", false},
        // Everything else, the comparison being exact.
        {"Other", "English", false},
        {"Canada", "English", false},
        {"germany", "English", false},
        {"Germany ", "English", false},
        {"Spian", "English", false},
        {" ", "English", false},
    };
    for (const CountryCase &c : cases) {
        const std::optional<CountryLanguage> got = languageForCountry(QString::fromUtf8(c.country));
        ASSERT_TRUE(got.has_value()) << c.country;
        EXPECT_EQ(got->language, QString::fromUtf8(c.language)) << c.country;
        EXPECT_EQ(got->lockLanguage, c.lock) << c.country;
    }
}

TEST(LanguageForCountry, theEmptyEntrySetsNoLanguage)
{
    EXPECT_FALSE(languageForCountry(QString()).has_value());
}

} // namespace
