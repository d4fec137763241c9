#include "register/rules/reminder.h"

#include <gtest/gtest.h>

namespace {

const QDateTime confirmed(QDate(2024, 3, 5), QTime(14, 5, 27));

TEST(DueMoment, FollowsTheChosenOptionAndDayCount)
{
    const struct {
        const char *name;
        bool later;
        QString days;
        int expectedDays;
    } cases[] = {
        {"threeDays", true, "3", 3},
        {"empty", true, "", 1},
        {"nonNumeric", true, "soon", 1},
        {"zero", true, "0", 0},
        {"negative", true, "-2", -2},
        {"halfRoundsToEvenDown", true, "2.5", 2},
        {"halfRoundsToEvenUp", true, "3.5", 4},
        {"blanksAround", true, " 7 ", 7},
        {"largest16Bit", true, "32767", 32767},
        {"beyond16BitFallsBackToTomorrow", true, "99999", 1},
        {"tomorrowIgnoresTheBox", false, "3", 1},
        {"tomorrowWithEmptyBox", false, "", 1},
    };
    for (const auto &c : cases) {
        const QDateTime due = dueMoment(confirmed, c.later, c.days);
        EXPECT_EQ(due, confirmed.addDays(c.expectedDays)) << c.name;
        EXPECT_EQ(due.time(), confirmed.time()) << c.name;
    }
}

TEST(ReminderArgumentText, ListsTheDueMomentAndTheFourSettingsInOrder)
{
    EXPECT_EQ(reminderArgumentText("2024-03-08 14:05:27", "Deep Sky", "French", "Canada",
                                   "http://example.test/a/register.asp"),
              "/2024-03-08 14:05:27 /game=Deep Sky /language=French /country=Canada "
              "/url=http://example.test/a/register.asp");
    EXPECT_EQ(reminderArgumentText("d", "", "", "", ""), "/d /game= /language= /country= /url=");
    // Settings go in as they stand, placeholders included.
    EXPECT_EQ(reminderArgumentText("%2", "%1", "%3", "%4", "%5"),
              "/%2 /game=%1 /language=%3 /country=%4 /url=%5");
    // However long a setting came in, the whole text fits one process argument.
    const QString huge(200000, u'x');
    const QString text = reminderArgumentText("d", huge, huge, huge, huge);
    EXPECT_EQ(text, "/d /game=" + huge.left(4096) + " /language=" + huge.left(4096) +
                        " /country=" + huge.left(4096) + " /url=" + huge.left(4096));
    // A character outside the basic plane is kept whole or left out whole.
    const QString pairs = QString(4095, u'x') + QString::fromUtf16(u"\U0001F3AE");
    EXPECT_EQ(reminderArgumentText("d", pairs, "", "", ""),
              "/d /game=" + QString(4095, u'x') + " /language= /country= /url=");
}

TEST(ReminderArgumentText, ASettingTheCommandLineWouldSplitIsLeftOut)
{
    const struct {
        const char *name;
        QString game;
        QString country;
        QString expected;
        const char *reported; // contained in standard error; empty: nothing there
    } cases[] = {
        {"a game name with blank and slash", "Ember Reach /Gold /Edition", "Canada",
         "/d /language=French /country=Canada /url=u", "leaves out the game name"},
        {"a country with blank and slash", "Deep Sky", "Bosnia /Herzegovina",
         "/d /game=Deep Sky /language=French /url=u", "leaves out the country"},
        {"a slash after a tab or none at all", "Ember\t/Gold/Edition", "Canada",
         "/d /game=Ember\t/Gold/Edition /language=French /country=Canada /url=u", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        testing::internal::CaptureStderr();
        EXPECT_EQ(reminderArgumentText("d", c.game, "French", c.country, "u"), c.expected);
        const std::string errors = testing::internal::GetCapturedStderr();
        if (*c.reported)
            EXPECT_NE(errors.find(c.reported), std::string::npos) << errors;
        else
            EXPECT_EQ(errors, "");
    }
}

} // namespace
