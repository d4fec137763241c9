// The schedule program as the autostart entry runs it: a copy of the built
// program beside a stub register that records how it was started, a private
// autostart folder, and real dates far in the past or future.

#include "platform/clock/general_date.h"
#include "platform/shell/autostart.h"
#include "register/dialogs/reminder.h"
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
        ASSERT_TRUE(QFile::copy(QDir(testsupport::binDir()).filePath("schedule"), m_schedule))
            << "build the schedule target first";
        makeExecutable(m_schedule);
        // The stub records its argument count, its arguments joined by blanks
        // and its working folder, and counts its runs.
        m_register =
            testsupport::writeFile(m_gameDir, "register",
                                   "#!/bin/sh\n"
                                   "echo run >> runs.log\n"
                                   "printf '%s\\n%s\\n%s' \"$#\" \"$*\" \"$PWD\" > rec.tmp\n"
                                   "mv rec.tmp recorded.txt\n");
        makeExecutable(m_register);
        m_entry = testsupport::writeFile(m_dir.path(), "cfg/autostart/velmora register.desktop",
                                         "[Desktop Entry]\n");
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
    int run(const QStringList &args)
    {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.setWorkingDirectory(m_dir.path());
        process.start(m_schedule, args);
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

    QString recordedPath() const { return QDir(m_gameDir).filePath("recorded.txt"); }
    // What the stub register recorded, waiting for it to be written.
    QString recorded() const
    {
        if (!QTest::qWaitFor([&] { return QFileInfo::exists(recordedPath()); }, 10000))
            return {};
        return testsupport::readFile(recordedPath());
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
    QString expectedRecord(int count, const QString &joined) const
    {
        return QStringLiteral("%1\n%2\n%3").arg(QString::number(count), joined, m_gameDir);
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
    EXPECT_EQ(run(u'/' + dueText(longAgo)), 0);
    EXPECT_EQ(recorded(), expectedRecord(1, "/default=1"));
    EXPECT_FALSE(entryKept());
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
