#include "platform/clock/general_date.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

// A zone with a real abbreviation ("CET"), so a written zone name would show.
class GeneralDateTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite()
    {
        s_oldTz = qgetenv("TZ");
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }
    static void TearDownTestSuite()
    {
        if (s_oldTz.isEmpty())
            qunsetenv("TZ");
        else
            qputenv("TZ", s_oldTz);
        tzset();
    }
    static inline QByteArray s_oldTz;
};

const char *const commonLocales[] = {"C", "en_US", "en_GB", "de_DE", "fr_FR", "nl_NL"};

// Locales whose formats bring their own traps: a time-zone field in brackets
// or after a comma, the day period before the time, two-digit short years,
// other digits, quoted literals, and day-period words Qt cannot read back.
const char *const trickyLocales[] = {"ja_JP", "ko_KR", "zh_CN", "zh_HK", "ar_EG", "fa_IR", "hi_IN",
                                     "bg_BG", "fr_CA", "sq_AL", "eu_ES", "be_BY", "my_MM", "th_TH",
                                     "ru_RU", "en_AU", "es_US", "as_IN", "ee_GH", "nn_NO"};

const QDateTime moments[] = {
    QDateTime(QDate(2024, 1, 1), QTime(0, 0)),         // midnight, first of a year
    QDateTime(QDate(2024, 1, 1), QTime(0, 0, 1)),      // just after midnight
    QDateTime(QDate(2024, 2, 29), QTime(0, 30, 0)),    // 12:30 AM on a leap day
    QDateTime(QDate(1999, 7, 4), QTime(12, 0, 0)),     // noon, a year Qt reads as 19xx
    QDateTime(QDate(2024, 3, 5), QTime(14, 5, 27)),    // afternoon
    QDateTime(QDate(2023, 12, 31), QTime(23, 59, 59)), // end of a year
    QDateTime(QDate(2031, 10, 26), QTime(9, 7, 3)),    // a future reminder
};

void expectRoundTrip(const char *name)
{
    const QLocale locale(QString::fromLatin1(name));
    for (const QDateTime &moment : moments) {
        const QString text = dates::generalDateText(moment, locale);
        const std::optional<QDateTime> back = dates::parseGeneralDateText(text, locale);
        ASSERT_TRUE(back.has_value()) << name << ": " << text.toStdString();
        EXPECT_EQ(*back, moment) << name << ": " << text.toStdString();
        const std::optional<QDateTime> padded =
            dates::parseGeneralDateText(QStringLiteral("  ") + text + u' ', locale);
        EXPECT_EQ(padded, back) << name << ": blanks around";
        EXPECT_FALSE(text.contains(moment.timeZoneAbbreviation()))
            << name << ": " << text.toStdString();
    }
}

TEST_F(GeneralDateTest, RoundTripsInCommonLocales)
{
    ASSERT_EQ(QDateTime(QDate(2024, 1, 1), QTime(12, 0)).offsetFromUtc(), 3600) << "zone not set";
    for (const char *name : commonLocales)
        expectRoundTrip(name);
}

TEST_F(GeneralDateTest, RoundTripsInLocalesWithTrickyFormats)
{
    for (const char *name : trickyLocales)
        expectRoundTrip(name);
}

TEST_F(GeneralDateTest, MillisecondsAreNotWritten)
{
    const QDateTime moment(QDate(2024, 3, 5), QTime(14, 5, 27, 640));
    const QLocale locale("de_DE");
    EXPECT_EQ(dates::parseGeneralDateText(dates::generalDateText(moment, locale), locale),
              QDateTime(moment.date(), QTime(14, 5, 27)));
}

TEST_F(GeneralDateTest, MidnightIsWrittenAsTheDateAlone)
{
    for (const char *name : commonLocales) {
        const QLocale locale(QString::fromLatin1(name));
        const QDate day(2024, 3, 5);
        const QString midnight = dates::generalDateText(QDateTime(day, QTime(0, 0)), locale);
        const QString later = dates::generalDateText(QDateTime(day, QTime(0, 0, 1)), locale);
        EXPECT_TRUE(later.startsWith(midnight + u' ')) << name;
        EXPECT_EQ(midnight, locale.toString(day, dates::generalDateFormat(locale))) << name;
    }
}

TEST_F(GeneralDateTest, YearsAreWrittenWithFourDigits)
{
    for (const char *name : {"C", "en_US", "de_DE", "en_AU", "ko_KR"}) {
        const QLocale locale(QString::fromLatin1(name));
        const QString text =
            dates::generalDateText(QDateTime(QDate(1999, 7, 4), QTime(12, 0)), locale);
        EXPECT_TRUE(text.contains(u"1999")) << name << ": " << text.toStdString();
    }
}

TEST_F(GeneralDateTest, AfternoonTimesCarryTheLocalesDayPeriod)
{
    for (const char *name : {"en_US", "en_AU", "hi_IN", "ko_KR"}) {
        const QLocale locale(QString::fromLatin1(name));
        const QString text =
            dates::generalDateText(QDateTime(QDate(2024, 3, 5), QTime(14, 5, 27)), locale);
        EXPECT_TRUE(text.contains(locale.pmText(), Qt::CaseInsensitive))
            << name << ": " << text.toStdString();
    }
}

// Day-period words of different lengths make Qt's parser read past its
// buffer: such a locale's text is never parsed, and moments go in ISO form.
TEST_F(GeneralDateTest, DayPeriodWordsOfDifferentLengthsAreWrittenInIsoForm)
{
    const QLocale ewe("ee_GH");
    ASSERT_NE(ewe.amText().size(), ewe.pmText().size()) << "the locale data changed";
    const QDateTime moment(QDate(2024, 3, 5), QTime(14, 5, 27));
    EXPECT_EQ(dates::generalDateText(moment, ewe), u"2024-03-05 14:05:27"_qs);
    const QString own =
        ewe.toString(moment, dates::generalDateFormat(ewe) + u' ' + dates::generalTimeFormat(ewe));
    EXPECT_FALSE(dates::parseGeneralDateText(own, ewe).has_value()) << own.toStdString();
}

TEST_F(GeneralDateTest, UnreadableTextsGiveNoValue)
{
    const QLocale locale("de_DE");
    const QString valid =
        dates::generalDateText(QDateTime(QDate(2024, 3, 5), QTime(14, 5, 27)), locale);
    for (const QString &text :
         {QString(), QStringLiteral("   "), QStringLiteral("tomorrow"),
          valid + QStringLiteral(" x"), valid.left(valid.size() - 3), QStringLiteral("2023-02-30"),
          locale.toString(QDate(2024, 3, 5), dates::generalDateFormat(locale)) +
              QStringLiteral(" 25:00:00")})
        EXPECT_FALSE(dates::parseGeneralDateText(text, locale).has_value()) << text.toStdString();
}

TEST_F(GeneralDateTest, TheIsoFormIsReadInAnyLocale)
{
    for (const char *name : commonLocales) {
        const QLocale locale(QString::fromLatin1(name));
        EXPECT_EQ(dates::parseGeneralDateText(u"2024-03-05 14:05:27"_qs, locale),
                  QDateTime(QDate(2024, 3, 5), QTime(14, 5, 27)))
            << name;
        EXPECT_EQ(dates::parseGeneralDateText(u"2024-03-05"_qs, locale),
                  QDateTime(QDate(2024, 3, 5), QTime(0, 0)))
            << name;
    }
}

TEST(FormatRewrites, WidenYearsOutsideQuotes)
{
    const struct {
        const char *format;
        const char *expected;
    } cases[] = {
        {"M/d/yy", "M/d/yyyy"},
        {"dd.MM.yyyy", "dd.MM.yyyy"},
        {"y-M-d", "yyyy-M-d"},
        {"d 'yy' yy", "d 'yy' yyyy"},
        {"d.MM.yy 'г'.", "d.MM.yyyy 'г'."},
        {"'it''s' yy", "'it''s' yyyy"},
        {"yy. M. d.", "yyyy. M. d."},
    };
    for (const auto &c : cases)
        EXPECT_EQ(dates::widenYears(QString::fromUtf8(c.format)), QString::fromUtf8(c.expected))
            << c.format;
}

TEST(FormatRewrites, DropTheTimeZoneAndWhatSetItApart)
{
    const struct {
        const char *format;
        const char *expected;
    } cases[] = {
        {"HH:mm:ss t", "HH:mm:ss"},
        {"h:mm:ss AP t", "h:mm:ss AP"},
        {"t HH:mm:ss", "HH:mm:ss"},
        {"H:mm:ss (t)", "H:mm:ss"},
        {"APh:mm:ss [t]", "APh:mm:ss"},
        {"h:mm:ss AP, t", "h:mm:ss AP"},
        {"HH 'h' mm 'min' ss 's' t", "HH 'h' mm 'min' ss 's'"},
        {"'at' HH:mm t", "'at' HH:mm"},
        {"HH:mm t ss", "HH:mm ss"},
        {"HH:mm:ss", "HH:mm:ss"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(dates::dropTimeZone(QString::fromUtf8(c.format)), QString::fromUtf8(c.expected))
            << c.format;
}

} // namespace
