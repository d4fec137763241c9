// The schedule program as the autostart entry runs it: a copy of the built
// program beside a stub register that records how it was started, a private
// autostart folder, and real dates far in the past or future.

#include "platform/clock/general_date.h"
#include "platform/shell/autostart.h"
#include "register/dialogs/reminder_entry.h"
#include "register/rules/reminder.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QDateTime longAgo(QDate(2001, 4, 2), QTime(9, 30, 15));
const QDateTime farAhead(QDate(2999, 4, 2), QTime(16, 45, 5));
const QString url = QStringLiteral("http://example.test/nr/cd_register/register.asp");

class ScheduleProgramTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_gameDir = m_dir.filePath("game folder");
        ASSERT_TRUE(QDir().mkpath(m_gameDir));
        m_schedule = QDir(m_gameDir).filePath("schedule");
        m_register = installGame(m_gameDir);
        m_entry = testsupport::writeFile(m_dir.path(),
                                         "cfg/autostart/Deep Sky registration reminder.desktop",
                                         "[Desktop Entry]\n");
    }

    // schedule and a stub register in gameDir; answers the stub's path. The
    // stub records its argument count, its arguments joined by blanks and its
    // working folder, and counts its runs.
    static QString installGame(const QString &gameDir)
    {
        EXPECT_TRUE(QDir().mkpath(gameDir));
        const QString schedule = QDir(gameDir).filePath("schedule");
        EXPECT_TRUE(QFile::copy(QDir(testsupport::binDir()).filePath("schedule"), schedule))
            << "build the schedule target first";
        makeExecutable(schedule);
        const QString stub =
            testsupport::writeFile(gameDir, "register",
                                   "#!/bin/sh\n"
                                   "echo run >> runs.log\n"
                                   "printf '%s\\n%s\\n%s' \"$#\" \"$*\" \"$PWD\" > rec.tmp\n"
                                   "mv rec.tmp recorded.txt\n");
        makeExecutable(stub);
        return stub;
    }

    static void makeExecutable(const QString &path)
    {
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env;
        env.insert("PATH", "/usr/bin:/bin");
        env.insert("HOME", m_dir.filePath("home"));
        env.insert("XDG_CONFIG_HOME", m_dir.filePath("cfg"));
        env.insert("LC_ALL", m_localeName + ".UTF-8");
        return env;
    }

    // Runs schedule with the argument text as the one argument the autostart
    // entry passes; returns the exit status.
    int run(const QStringList &args, const QString &program = {})
    {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.setWorkingDirectory(m_dir.path());
        process.start(program.isEmpty() ? m_schedule : program, args);
        if (!process.waitForFinished(20000)) {
            ADD_FAILURE() << "schedule did not end";
            return -1;
        }
        m_stderr = QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    int run(const QString &argumentText) { return run(QStringList{argumentText}); }

    QString dueText(const QDateTime &moment) const
    {
        return dates::generalDateText(moment, QLocale(m_localeName));
    }
    QString reminder(const QDateTime &moment) const
    {
        return reminderArgumentText(dueText(moment), "Deep Sky", "French", "Canada", url);
    }

    QString recordedPath(const QString &gameDir = {}) const
    {
        return QDir(gameDir.isEmpty() ? m_gameDir : gameDir).filePath("recorded.txt");
    }
    // What the stub register recorded, waiting for it to be written.
    QString recorded(const QString &gameDir = {}) const
    {
        if (!QTest::qWaitFor([&] { return QFileInfo::exists(recordedPath(gameDir)); }, 10000))
            return {};
        return testsupport::readFile(recordedPath(gameDir));
    }
    // schedule starts register before it ends, so a stub that was started
    // shows up within moments.
    bool registerStarted() const
    {
        return QTest::qWaitFor([&] { return QFileInfo::exists(recordedPath()); }, 500);
    }
    int runs() const
    {
        return int(testsupport::readFile(QDir(m_gameDir).filePath("runs.log"))
                       .count(QStringLiteral("run")));
    }
    bool entryKept() const { return QFileInfo::exists(m_entry); }
    QString expectedRecord(int count, const QString &joined, const QString &gameDir = {}) const
    {
        return QStringLiteral("%1\n%2\n%3")
            .arg(QString::number(count), joined, gameDir.isEmpty() ? m_gameDir : gameDir);
    }
    QStringList entries() const
    {
        return QDir(m_dir.filePath("cfg/autostart")).entryList(QDir::Files | QDir::Hidden);
    }

    QTemporaryDir m_dir;
    QString m_gameDir;
    QString m_schedule;
    QString m_register;
    QString m_entry;
    QString m_stderr;
    QString m_localeName = QStringLiteral("en_US");
};

TEST_F(ScheduleProgramTest, AFutureMomentStartsNothingAndKeepsTheEntry)
{
    EXPECT_EQ(run(reminder(farAhead)), 0);
    EXPECT_FALSE(registerStarted());
    EXPECT_TRUE(entryKept());
}

TEST_F(ScheduleProgramTest, APastMomentStartsRegisterOnceWithTheSettings)
{
    EXPECT_EQ(run(reminder(longAgo)), 0) << m_stderr.toStdString();
    EXPECT_EQ(recorded(),
              expectedRecord(5, "/default=1 /game=Deep Sky  /language=French  /country=Canada  "
                                "/url=" +
                                    url));
    EXPECT_EQ(runs(), 1);
    EXPECT_FALSE(entryKept());
}

TEST_F(ScheduleProgramTest, TheLocaleOfTheSessionReadsTheMoment)
{
    m_localeName = QStringLiteral("de_DE");
    EXPECT_EQ(run(reminder(farAhead)), 0);
    EXPECT_FALSE(registerStarted());
    EXPECT_EQ(run(reminder(longAgo)), 0);
    EXPECT_EQ(recorded(), expectedRecord(5, "/default=1 /game=Deep Sky  /language=French  "
                                            "/country=Canada  /url=" +
                                                url));
}

TEST_F(ScheduleProgramTest, OnlyTheDueMomentGivesDefaultAlone)
{
    const QString unnamed = testsupport::writeFile(
        m_dir.path(), "cfg/autostart/registration reminder.desktop", "[Desktop Entry]\n");
    EXPECT_EQ(run(u'/' + dueText(longAgo)), 0);
    EXPECT_EQ(recorded(), expectedRecord(1, "/default=1"));
    // The entry of a game without a name goes; a named game's stays.
    EXPECT_FALSE(QFileInfo::exists(unnamed));
    EXPECT_TRUE(entryKept());
}

TEST_F(ScheduleProgramTest, ASixthArgumentIsDropped)
{
    EXPECT_EQ(run(reminder(longAgo) + QStringLiteral(" /extra=1")), 0);
    EXPECT_EQ(recorded(), expectedRecord(5, "/default=1 /game=Deep Sky  /language=French  "
                                            "/country=Canada  /url=" +
                                                url + " "));
}

TEST_F(ScheduleProgramTest, ArgumentsSplitAtBlanksJoinToTheSameText)
{
    EXPECT_EQ(run(reminder(longAgo).split(u' ')), 0);
    EXPECT_EQ(recorded(), expectedRecord(5, "/default=1 /game=Deep Sky  /language=French  "
                                            "/country=Canada  /url=" +
                                                url));
}

TEST_F(ScheduleProgramTest, AMissingEntryStillRelaunches)
{
    QFile::remove(m_entry);
    EXPECT_EQ(run(reminder(longAgo)), 0);
    EXPECT_FALSE(recorded().isEmpty());
    EXPECT_EQ(runs(), 1);
    EXPECT_TRUE(m_stderr.isEmpty()) << m_stderr.toStdString();
}

TEST_F(ScheduleProgramTest, AMissingRegisterKeepsTheEntryAndFails)
{
    QFile::remove(m_register);
    EXPECT_NE(run(reminder(longAgo)), 0);
    EXPECT_TRUE(entryKept());
    EXPECT_TRUE(m_stderr.contains(QStringLiteral("register"))) << m_stderr.toStdString();
}

TEST_F(ScheduleProgramTest, NoArgumentsPrintsUsageAndTouchesNothing)
{
    EXPECT_EQ(run(QStringList{}), 2);
    EXPECT_TRUE(m_stderr.startsWith(QStringLiteral("usage:"))) << m_stderr.toStdString();
    EXPECT_FALSE(registerStarted());
    EXPECT_TRUE(entryKept());
}

// Two games on one computer, the first updated from a version that wrote
// its reminder under one shared name: the wizard's reminders stand side by
// side, the older entry gives way to the first game's own, and each schedule
// starts its own game and removes only its own entry.
TEST_F(ScheduleProgramTest, TwoGamesKeepTwoRemindersAndEachStartsItsOwn)
{
    QFile::remove(m_entry);
    const QString secondDir = m_dir.filePath("second game");
    installGame(secondDir);
    testsupport::writeFile(m_dir.path(), "cfg/autostart/velmora register.desktop",
                           "[Desktop Entry]\nTryExec=" +
                               QString(m_schedule).replace(u' ', QStringLiteral("\\s")) + '\n');
    const QByteArray oldConfigHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", m_dir.filePath("cfg").toUtf8());
    const QString first = reminder(longAgo);
    const QString second =
        reminderArgumentText(dueText(longAgo), "Star Harbour", "German", "Austria", url);
    QString path;
    QString error;
    EXPECT_TRUE(writeReminder(m_gameDir, "Deep Sky", first, &path, &error)) << qPrintable(error);
    EXPECT_TRUE(writeReminder(secondDir, "Star Harbour", second, &path, &error))
        << qPrintable(error);
    qputenv("XDG_CONFIG_HOME", oldConfigHome);
    EXPECT_EQ(entries(), QStringList({"Deep Sky registration reminder.desktop",
                                      "Star Harbour registration reminder.desktop"}));

    EXPECT_EQ(run(QStringList{first}), 0) << m_stderr.toStdString();
    EXPECT_EQ(recorded(), expectedRecord(5, "/default=1 /game=Deep Sky  /language=French  "
                                            "/country=Canada  /url=" +
                                                url));
    EXPECT_EQ(entries(), QStringList{"Star Harbour registration reminder.desktop"});
    EXPECT_FALSE(QFileInfo::exists(recordedPath(secondDir)));

    EXPECT_EQ(run(QStringList{second}, QDir(secondDir).filePath("schedule")), 0);
    EXPECT_EQ(recorded(secondDir), expectedRecord(5,
                                                  "/default=1 /game=Star Harbour  "
                                                  "/language=German  /country=Austria  /url=" +
                                                      url,
                                                  secondDir));
    EXPECT_EQ(entries(), QStringList{});
}

TEST_F(ScheduleProgramTest, HelpPrintsAndTouchesNothing)
{
    for (const char *argument : {"--help", "-h"}) {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(m_schedule, {QLatin1String(argument)});
        ASSERT_TRUE(process.waitForFinished(20000));
        EXPECT_EQ(process.exitCode(), 0) << argument;
        EXPECT_TRUE(process.readAllStandardOutput().startsWith("Usage: schedule")) << argument;
    }
    EXPECT_FALSE(registerStarted());
    EXPECT_TRUE(entryKept());
}

// The whole road: the reminder as register writes it, started by a real
// Desktop Entry launcher, relaunches register with the settings.
TEST_F(ScheduleProgramTest, TheWrittenAutostartEntryRelaunchesRegister)
{
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty())
        GTEST_SKIP() << "gio (libglib2.0-bin) is not installed";
    shell::AutostartEntry entry;
    entry.program = m_schedule;
    entry.argumentText =
        reminderArgumentText(dueText(longAgo), "Tom & \"Jerry\" 100%", "French", "Canada", url);
    entry.workingDir = m_gameDir;
    entry.tryExec = m_schedule;
    m_entry =
        m_dir.filePath("cfg/autostart/" + shell::reminderEntryFileName("Tom & \"Jerry\" 100%"));
    QString error;
    ASSERT_TRUE(shell::writeAutostartEntry(m_entry, entry, &error)) << error.toStdString();

    QProcess launcher;
    launcher.setProcessEnvironment(environment());
    launcher.start(gio, {QStringLiteral("launch"), m_entry});
    ASSERT_TRUE(launcher.waitForFinished(20000));
    EXPECT_EQ(recorded(), expectedRecord(5, "/default=1 /game=Tom & \"Jerry\" 100%  "
                                            "/language=French  /country=Canada  /url=" +
                                                url));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !entryKept(); }, 10000));
}

} // namespace
