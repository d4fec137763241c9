#include "register/rules/patterns.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

namespace {

const QDate today(2024, 6, 15);

using R = PatternResult;

struct PatternCase {
    const char *name;
    QString pattern;
    QString answer;
    PatternResult expected;
};

void PrintTo(const PatternCase &c, std::ostream *os)
{
    *os << c.name;
}

class CheckPatternTest : public ::testing::TestWithParam<PatternCase> {};

TEST_P(CheckPatternTest, JudgesTheAnswer)
{
    const PatternCase &c = GetParam();
    EXPECT_EQ(checkPattern(c.pattern, c.answer, today), c.expected)
        << "pattern " << c.pattern.toStdString() << ", answer " << c.answer.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Table, CheckPatternTest,
    ::testing::Values(
        // digits
        PatternCase{"n_digits", "n", "0123456789", R::Pass},
        PatternCase{"n_empty", "n", "", R::Pass}, PatternCase{"n_blank", "n", "12 3", R::Fail},
        PatternCase{"n_sign", "n", "-1", R::Fail},
        PatternCase{"n_arabicIndicDigit", "n", QString::fromUtf8("1\u0663"), R::Fail},
        PatternCase{"N_upperCaseIsNoPattern", "N", "abc", R::Pass},
        // letters
        PatternCase{"a_name", "a", "Smith", R::Pass},
        PatternCase{"a_accented", "a", QString::fromUtf8("Jos\u00e9"), R::Pass},
        PatternCase{"a_signsBetweenZanda", "a", "A[]^_`z", R::Pass},
        PatternCase{"a_apostrophe", "a", "O'Brien", R::Fail},
        PatternCase{"a_blank", "a", "Mary Ann", R::Fail},
        PatternCase{"a_digit", "a", "R2", R::Fail}, PatternCase{"a_brace", "a", "ab{", R::Fail},
        // first letter
        PatternCase{"u_letterFirst", "u", "a1 2", R::Pass},
        PatternCase{"u_digitFirst", "u", "1ab", R::Fail}, PatternCase{"u_empty", "u", "", R::Fail},
        PatternCase{"u_accentedFirst", "u", QString::fromUtf8("\u00c9mile"), R::Fail},
        // no check
        PatternCase{"at_anything", "@", "!!", R::Pass},
        PatternCase{"empty_anything", "", "!!", R::Pass},
        PatternCase{"unknown_anything", "x", "!!", R::Pass},
        // mail address
        PatternCase{"m_fiveCharacters", "m", "a@b.c", R::Pass},
        PatternCase{"m_ordinary", "m", "first.last@mail.example.com", R::Pass},
        PatternCase{"m_dotRightAfterAt", "m", "ab@.cd", R::Fail},
        PatternCase{"m_atFirst", "m", "@ab.cd", R::Fail},
        PatternCase{"m_noDotAfterAt", "m", "a.b@cd", R::Fail},
        PatternCase{"m_noAt", "m", "abc.de", R::Fail},
        PatternCase{"m_blank", "m", "a b@c.de", R::Fail},
        PatternCase{"m_fourCharacters", "m", "a@.c", R::Fail},
        PatternCase{"m_fourCharactersShape", "m", "@b.c", R::Fail},
        // telephone
        PatternCase{"p_withSigns", "p", "+1 (555) 123-4567", R::Pass},
        PatternCase{"p_allSigns", "p", "12+()*-/ ", R::Pass},
        PatternCase{"p_fullStop", "p", "555.1234", R::Fail},
        PatternCase{"p_fiveDigits", "p", "12345", R::Fail},
        PatternCase{"p_sixDigits", "p", "123456", R::Pass},
        PatternCase{"p_fortyDigits", "p", QString(40, u'1'), R::Pass},
        PatternCase{"p_fortyOneDigits", "p", QString(41, u'1'), R::Fail},
        // postal code
        PatternCase{"z_withBlank", "z", "K1A 0B1", R::Pass},
        PatternCase{"z_withoutBlank", "z", "K1A0B1", R::Pass},
        PatternCase{"z_hyphen", "z", "K1A-0B1", R::Fail},
        PatternCase{"z_digitFirst", "z", "1KA0B1", R::Fail},
        PatternCase{"z_lowerCase", "z", "k1a0b1", R::Pass},
        PatternCase{"z_tooShort", "z", "K1A0B", R::Fail},
        PatternCase{"z_tooLong", "z", "K1A 0B12", R::Fail},
        PatternCase{"z_sevenWithBlankElsewhere", "z", "K1A0 B1", R::Fail},
        PatternCase{"z_digitWhereLetter", "z", "K1A 011", R::Fail},
        // date
        PatternCase{"d_pastDate", "d", "1990/5/17", R::Pass},
        PatternCase{"d_leadingZeros", "d", "1990/05/17", R::Pass},
        PatternCase{"d_1753", "d", "1753/1/1", R::Pass},
        PatternCase{"d_1752", "d", "1752/12/31", R::Fail},
        PatternCase{"d_today", "d", "2024/6/15", R::Pass},
        PatternCase{"d_tomorrow", "d", "2024/6/16", R::Fail},
        PatternCase{"d_dayFirst", "d", "17/5/1990", R::Fail},
        PatternCase{"d_leapDay", "d", "2020/2/29", R::Pass},
        PatternCase{"d_noLeapDay", "d", "2023/2/29", R::Fail},
        PatternCase{"d_centuryNotLeap", "d", "1900/2/29", R::Fail},
        PatternCase{"d_month13", "d", "1990/13/1", R::Fail},
        PatternCase{"d_hyphens", "d", "1990-05-17", R::Fail},
        PatternCase{"d_empty", "d", "", R::Fail},
        PatternCase{"d_fraction", "d", "1990/5.5/17", R::Fail},
        // minimum age: calendar-year boundaries only
        PatternCase{"age13_birthdayStillToCome", "13", "2011/12/31", R::Pass},
        PatternCase{"age13_firstDayOfYear", "13", "2011/1/1", R::Pass},
        PatternCase{"age13_twelveYears", "13", "2012/1/1", R::TooYoung},
        PatternCase{"age13_invalidDate", "13", "2012/2/30", R::Fail},
        PatternCase{"age13_futureDate", "13", "2030/1/1", R::Fail},
        PatternCase{"age13_before1753", "13", "1700/1/1", R::Fail},
        PatternCase{"age0_bornThisYear", "0", "2024/1/1", R::Pass},
        PatternCase{"age13_blanksAroundPattern", " 13 ", "2012/1/1", R::TooYoung}),
    testsupport::RowName());

TEST(ParseYmdDate, ReadsRealCalendarDatesYearFirst)
{
    EXPECT_EQ(parseYmdDate(u"1990/5/17"), QDate(1990, 5, 17));
    EXPECT_EQ(parseYmdDate(u"1990/05/07"), QDate(1990, 5, 7));
    EXPECT_EQ(parseYmdDate(u" 2000 / 2 / 29 "), QDate(2000, 2, 29));
    EXPECT_EQ(parseYmdDate(u"12/5/3"), QDate(12, 5, 3)); // a date, though far too early
    for (const char16_t *text : {u"2023/2/29", u"17/5/1990", u"1990/5", u"1990/5/17/1", u"//",
                                 u"1990/+5/17", u"0/1/1", u"99999999999/1/1", u"1990/5/17x"})
        EXPECT_FALSE(parseYmdDate(text).has_value()) << QString::fromUtf16(text).toStdString();
}

TEST(AgeInYears, CountsCalendarYearBoundariesOnly)
{
    EXPECT_EQ(ageInYears(QDate(2011, 12, 31), QDate(2024, 1, 1)), 13);
    EXPECT_EQ(ageInYears(QDate(2011, 1, 1), QDate(2024, 12, 31)), 13);
    EXPECT_EQ(ageInYears(QDate(2024, 6, 15), QDate(2024, 6, 15)), 0);
}

struct DateObjectCase {
    const char *name;
    QString year, month, day, pattern, optional;
    PatternResult expected;
};

void PrintTo(const DateObjectCase &c, std::ostream *os)
{
    *os << c.name;
}

class CheckDateAnswerTest : public ::testing::TestWithParam<DateObjectCase> {};

TEST_P(CheckDateAnswerTest, JudgesTheThreeBoxes)
{
    const DateObjectCase &c = GetParam();
    EXPECT_EQ(checkDateAnswer(c.year, c.month, c.day, c.pattern, c.optional, today), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CheckDateAnswerTest,
    ::testing::Values(DateObjectCase{"validNoPattern", "1990", "5", "17", "", "1", R::Pass},
                      DateObjectCase{"year1752", "1752", "5", "17", "", "1", R::Fail},
                      DateObjectCase{"year1753", "1753", "5", "17", "", "1", R::Pass},
                      DateObjectCase{"futureIsNotRejected", "2030", "1", "1", "", "1", R::Pass},
                      DateObjectCase{"oldEnough", "2011", "12", "31", "13", "1", R::Pass},
                      DateObjectCase{"tooYoung", "2012", "1", "1", "13", "1", R::TooYoung},
                      DateObjectCase{"birthDateInTheFuture", "2030", "1", "1", "13", "1", R::Fail},
                      DateObjectCase{"birthDateTomorrow", "2024", "6", "16", " 13 ", "1", R::Fail},
                      DateObjectCase{"birthDateToday", "2024", "6", "15", "0", "1", R::Pass},
                      DateObjectCase{"futureWithPatternD", "2030", "1", "1", "d", "1", R::Pass},
                      DateObjectCase{"emptyOptional", "", "", "", "13", "1", R::Pass},
                      DateObjectCase{"emptyRequired", "", "", "", "13", "0", R::Fail},
                      DateObjectCase{"emptyRequiredBlanks", "", "", "", "", " 0 ", R::Fail},
                      DateObjectCase{"emptyOtherHolder", "", "", "", "", "2", R::Pass},
                      DateObjectCase{"partialRequired", "1990", "5", "", "", "0", R::Fail},
                      DateObjectCase{"partialOptional", "1990", "5", "", "", "", R::Pass},
                      DateObjectCase{"notARealDateRequired", "2023", "2", "29", "", "0", R::Fail},
                      DateObjectCase{"leapDay", "2020", "2", "29", "", "0", R::Pass},
                      DateObjectCase{"blanksInBoxes", " 1990", "5 ", " 17 ", "", "0", R::Pass},
                      DateObjectCase{"nonNumericPatternIsNoAge", "2020", "1", "1", "d", "0",
                                     R::Pass}),
    testsupport::RowName());

} // namespace
