#include "register/rules/countries.h"

#include <gtest/gtest.h>

namespace {

struct CountryCase {
    const char *country;
    const char *language;
    bool lock;
};

// One country of each language, the one that locks its language, the
// misspelt entry the table keeps, and names that only look like an entry.
TEST(LanguageForCountry, FollowsTheTable)
{
    const CountryCase cases[] = {
        {"France", "French", false},
        {"France (European Territory)", "French", false},
        {"Italy", "Italian", false},
        {"Spain", "Spanish", false},
        {"Argentina", "Spanish", false},
        {"Nicaraguay", "Spanish", false},
        {"Nicaragua", "Spanish", false},
        {"Germany", "German", true},
        {"Austria", "German", false},
        {"Netherlands", "Dutch", false},
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

TEST(LanguageForCountry, TheEmptyEntrySetsNoLanguage)
{
    EXPECT_FALSE(languageForCountry(QString()).has_value());
}

} // namespace
