#include "platform/clock/general_date.h"
#include "platform/cmdline/command_line.h"
#include "schedule/relaunch.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

struct StartCall {
    QString program;
    QStringList args;
    QString workingDir;
};

class RelaunchTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_entry = testsupport::writeFile(m_dir.path(),
                                         "cfg/autostart/Deep Sky registration reminder.desktop",
                                         "[Desktop Entry]\n");
    }

    // Runs with the clock at `now` and a starter that records its calls.
    relaunch::Outcome run(const QString &raw, const QDateTime &now, bool startSucceeds = true)
    {
        const testsupport::TestClock clock(now);
        relaunch::Environment env;
        env.programDir = m_dir.filePath("game");
        env.autostartDir = m_dir.filePath("cfg/autostart");
        env.locale = m_locale;
        env.clock = &clock;
        env.start = [&](const QString &program, const QStringList &args, const QString &wd) {
            m_calls.push_back({program, args, wd});
            return startSucceeds;
        };
        return relaunch::relaunchIfDue(raw, env);
    }

    QString due(const QDateTime &moment) const { return dates::generalDateText(moment, m_locale); }
    bool entryKept() const { return QFileInfo::exists(m_entry); }

    QTemporaryDir m_dir;
    QString m_entry;
    QLocale m_locale{QStringLiteral("de_DE")};
    std::vector<StartCall> m_calls;
    const QDateTime m_now{QDate(2024, 3, 5), QTime(14, 5, 27, 500)};
};

const QString settings = QStringLiteral(
    " /game=Deep Sky /language=French /country=Canada /url=http://example.test/nr/register.asp");

TEST_F(RelaunchTest, AMomentStillToComeStartsNothing)
{
    EXPECT_EQ(run(u'/' + due(m_now.addSecs(60)) + settings, m_now), relaunch::Outcome::NotDue);
    EXPECT_TRUE(m_calls.empty());
    EXPECT_TRUE(entryKept());
}

TEST_F(RelaunchTest, AMomentEqualToNowToTheSecondIsNotDue)
{
    EXPECT_EQ(run(u'/' + due(m_now) + settings, m_now), relaunch::Outcome::NotDue);
    EXPECT_TRUE(m_calls.empty());
}

TEST_F(RelaunchTest, APassedMomentStartsRegisterOnceAndRemovesTheEntry)
{
    EXPECT_EQ(run(u'/' + due(m_now.addSecs(-1)) + settings, m_now), relaunch::Outcome::Relaunched);
    ASSERT_EQ(m_calls.size(), 1u);
    EXPECT_EQ(m_calls[0].program, m_dir.filePath("game/register"));
    EXPECT_EQ(m_calls[0].workingDir, m_dir.filePath("game"));
    EXPECT_EQ(m_calls[0].args,
              QStringList({"/default=1", "/game=Deep Sky ", "/language=French ", "/country=Canada ",
                           "/url=http://example.test/nr/register.asp"}));
    EXPECT_FALSE(entryKept());
}

TEST_F(RelaunchTest, AMidnightDueMomentIsReadAsADateAlone)
{
    const QDateTime midnight(QDate(2024, 3, 5), QTime(0, 0));
    EXPECT_EQ(run(u'/' + due(midnight), m_now), relaunch::Outcome::Relaunched);
    EXPECT_EQ(run(u'/' + due(midnight.addDays(1)), m_now), relaunch::Outcome::NotDue);
}

TEST_F(RelaunchTest, WhenRegisterCannotStartTheEntryStays)
{
    EXPECT_EQ(run(u'/' + due(m_now.addDays(-3)) + settings, m_now, false),
              relaunch::Outcome::StartFailed);
    EXPECT_EQ(m_calls.size(), 1u);
    EXPECT_TRUE(entryKept());
}

TEST_F(RelaunchTest, AnUnreadableDueTextCountsAsDue)
{
    EXPECT_EQ(run(QStringLiteral("/someday /game=X"), m_now), relaunch::Outcome::Relaunched);
    ASSERT_EQ(m_calls.size(), 1u);
    EXPECT_EQ(m_calls[0].args, QStringList({"/default=1", "/game=X"}));
}

// After the start, the game's own entry goes. So does the entry an earlier
// version wrote under its one shared name, when it runs this very schedule:
// that is the entry that started us. Every other game's entry stays.
TEST_F(RelaunchTest, RemovesOnlyTheEntriesOfItsOwnGame)
{
    const struct {
        const char *name;
        const char *olderTryExec; // nullptr: none
        bool olderRemoved;
    } cases[] = {
        {"olderOfThisInstallation", "game/schedule", true},
        {"olderThroughALink", "link/schedule", true},
        {"olderOfAnotherGame", "other game/schedule", false},
        {"olderWithoutTryExec", nullptr, false},
    };
    testsupport::writeFile(m_dir.path(), "game/schedule", "");
    testsupport::writeFile(m_dir.path(), "other game/schedule", "");
    QFile::link(m_dir.filePath("game"), m_dir.filePath("link"));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::writeFile(m_dir.path(), "cfg/autostart/Deep Sky registration reminder.desktop",
                               "[Desktop Entry]\n");
        const QString other = testsupport::writeFile(
            m_dir.path(), "cfg/autostart/Star Harbour registration reminder.desktop", "x");
        QString text = "[Desktop Entry]\n";
        if (c.olderTryExec)
            text += "TryExec=" + m_dir.filePath(c.olderTryExec).replace(' ', "\\s") + '\n';
        const QString older =
            testsupport::writeFile(m_dir.path(), "cfg/autostart/velmora register.desktop", text);
        EXPECT_EQ(run(u'/' + due(m_now.addDays(-1)) + settings, m_now),
                  relaunch::Outcome::Relaunched);
        EXPECT_FALSE(entryKept());
        EXPECT_TRUE(QFileInfo::exists(other));
        EXPECT_EQ(QFileInfo::exists(older), !c.olderRemoved);
    }
}

TEST(GameArgument, IsReadAsRegisterReadsIt)
{
    const struct {
        const char *text;
        const char *game;
    } cases[] = {
        {"/d /game=Deep Sky /language=French", "Deep Sky"},
        {"/d /game=  Padded  ", "Padded"},
        {"/d /game=a=b /url=x", "a=b"},
        {"/d /language=French", ""},
        {"/d /gamename=X", ""},
        {"/d /game=First /game=Last", "Last"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(relaunch::gameArgument(GetCommandLine(QString::fromUtf8(c.text), 5)),
                  QString::fromUtf8(c.game))
            << c.text;
}

TEST(RegisterArguments, JoinedTheyGiveTheRelaunchCommandText)
{
    const struct {
        const char *name;
        QString scheduleText;
        QString registerText; // what register's own joining reads
    } cases[] = {
        {"fourSettings",
         "/1.2.2024 /game=Deep Sky /language=French /country=Canada /url=http://h.test/a/b.asp",
         "/default=1 /game=Deep Sky  /language=French  /country=Canada  "
         "/url=http://h.test/a/b.asp"},
        {"onlyTheDueMoment", "/1.2.2024 10:00:00", "/default=1"},
        {"sixthArgumentDropped", "/d /game=X /language=Y /country=Z /url=U /extra=1",
         "/default=1 /game=X  /language=Y  /country=Z  /url=U "},
        {"emptySettings",
         "/d /game= /language= /country= /url=", "/default=1 /game=  /language=  /country=  /url="},
    };
    for (const auto &c : cases) {
        const QStringList args = relaunch::registerArguments(GetCommandLine(c.scheduleText, 5));
        EXPECT_EQ(rawArgumentText(QStringList{"register"} + args), c.registerText) << c.name;
        // register reads back the settings schedule was given; the extra
        // blank before each "/" is what its trimming of values is for.
        const QStringList sent = GetCommandLine(c.scheduleText, 5).mid(2);
        const QStringList read =
            GetCommandLine(rawArgumentText(QStringList{"register"} + args), 5).mid(2);
        ASSERT_EQ(read.size(), sent.size()) << c.name;
        for (qsizetype i = 0; i < sent.size(); ++i)
            EXPECT_EQ(read[i].trimmed(), sent[i].trimmed()) << c.name;
    }
}

} // namespace
