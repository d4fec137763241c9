// The game folder as a publisher gets it: `cmake --install` into a temporary
// prefix, then every program run from there, with the current folder
// elsewhere, so that whatever still points into the build tree shows.
#include "platform/clock/general_date.h"
#include "platform/shell/autostart.h"
#include "platform/xml/xml_document.h"
#include "register/rules/reminder.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

const QStringList kFolder = {"README.txt",    "config-reference.md",   "config.xml",
                             "register",      "register-config",       "register-services.so",
                             "registrations", "registrations.service", "schedule"};
const QStringList kPrograms = {"register", "register-config", "registrations", "schedule"};

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
};

class InstalledFolder : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_prefix = m_dir.filePath("game/register");
        m_elsewhere = m_dir.filePath("elsewhere");
        ASSERT_TRUE(QDir().mkpath(m_elsewhere));
        const Outcome install =
            run(VELMORA_CMAKE_COMMAND, {"--install", VELMORA_BUILD_DIR, "--prefix", m_prefix});
        ASSERT_EQ(install.exitCode, 0) << install.err.toStdString();
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", m_dir.filePath("home"));
        env.insert("XDG_CONFIG_HOME", m_dir.filePath("cfg"));
        return env;
    }

    Outcome run(const QString &program, const QStringList &args,
                const QProcessEnvironment &env) const
    {
        QProcess process;
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(m_elsewhere);
        process.start(program, args);
        Outcome result;
        if (!process.waitForFinished(90000)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << program.toStdString() << " did not end";
        } else if (process.exitStatus() == QProcess::NormalExit) {
            result.exitCode = process.exitCode();
        }
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }
    Outcome run(const QString &program, const QStringList &args) const
    {
        return run(program, args, environment());
    }

    // Starts the installed register under a fresh X server and waits for its
    // window, named as the sample's start section; then runs the script in
    // bash with the program's process in $pid and its window in $id.
    Outcome runRegisterUnderX(const QString &script) const
    {
        QProcessEnvironment env = environment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("PREFIX", m_prefix);
        env.insert("TITLE", sampleTitle());
        const QString start = QStringLiteral(
            "\"$PREFIX/register\" & pid=$!\n"
            "for i in $(seq 1 200); do\n"
            "  id=$(xdotool search --onlyvisible --name \"$TITLE\" 2>/dev/null | head -1)\n"
            "  [ -n \"$id\" ] && break\n"
            "  kill -0 $pid 2>/dev/null || exit 1\n"
            "  sleep 0.1\n"
            "done\n"
            "[ -n \"$id\" ] || { kill $pid; exit 1; }\n");
        // -noreset: by default the server resets when its last client leaves,
        // and an xdotool that came and went before register connected would
        // have register turned away in the middle of that reset.
        return run("xvfb-run",
                   {"-a", "-s", "-screen 0 1024x768x24 -noreset", "bash", "-c", start + script},
                   env);
    }

    QString installed(const QString &name) const { return QDir(m_prefix).filePath(name); }

    // The caption of the sample's start section: the section of the default
    // language for every other country.
    QString sampleTitle() const
    {
        xml::Document doc;
        if (!doc.load(installed("config.xml")))
            return {};
        const QString language =
            doc.documentElement().firstChild("default_language").text().toLower();
        for (const xml::Node &section : doc.documentElement().children("language")) {
            if (section.attribute("id") == language && section.attribute("country") == "else")
                return section.attribute("title").value_or(QString());
        }
        return {};
    }

    QTemporaryDir m_dir;
    QString m_prefix;
    QString m_elsewhere;
};

bool canRunUnderX()
{
    return !QStandardPaths::findExecutable("xvfb-run").isEmpty() &&
           !QStandardPaths::findExecutable("xdotool").isEmpty();
}

TEST_F(InstalledFolder, HoldsTheGameFolderAndNothingElse)
{
    QStringList found;
    QDirIterator it(m_prefix, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << QDir(m_prefix).relativeFilePath(it.next());
    found.sort();
    EXPECT_EQ(found, kFolder);
    EXPECT_EQ(testsupport::readFile(installed("config.xml")),
              testsupport::readFile(testsupport::sourceDir() + "/register/sample/config.xml"));
    for (const QString &program : kPrograms)
        EXPECT_TRUE(QFileInfo(installed(program)).isExecutable()) << program.toStdString();
}

TEST_F(InstalledFolder, NoBinarySearchesTheBuildTree)
{
    if (QStandardPaths::findExecutable("readelf").isEmpty())
        GTEST_SKIP() << "readelf (binutils) missing";
    for (const QString &binary : kPrograms + QStringList{"register-services.so"}) {
        SCOPED_TRACE(binary.toStdString());
        const Outcome dynamic = run("readelf", {"-d", installed(binary)});
        ASSERT_EQ(dynamic.exitCode, 0) << dynamic.err.toStdString();
        // A search path may only be relative to the binary itself.
        for (const QString &line : dynamic.out.split(u'\n')) {
            if (!line.contains("(RPATH)") && !line.contains("(RUNPATH)"))
                continue;
            const QString paths = line.section(u'[', 1).chopped(1);
            for (const QString &path : paths.split(u':'))
                EXPECT_TRUE(path.startsWith("$ORIGIN")) << line.toStdString();
        }
    }
}

TEST_F(InstalledFolder, RegisterConfigChecksTheSample)
{
    const Outcome check = run(installed("register-config"), {"check", installed("config.xml")});
    EXPECT_EQ(check.exitCode, 0) << check.out.toStdString() << check.err.toStdString();
    EXPECT_EQ(check.err, "");
}

TEST_F(InstalledFolder, ScheduleWithAFutureMomentWaits)
{
    const QString entry = testsupport::writeFile(
        m_dir.filePath("cfg"), "autostart/Ember Reach registration reminder.desktop", "older");
    const QDateTime tomorrow = QDateTime::currentDateTime().addDays(1);
    const QString argumentText =
        reminderArgumentText(dates::generalDateText(tomorrow, QLocale("en_US")), "Ember Reach",
                             "English", "Canada", "http://register.velmora.example/register.asp");
    // schedule reads the moment in the locale of the session.
    QProcessEnvironment env = environment();
    env.insert("LC_ALL", "en_US.UTF-8");
    const Outcome schedule = run(installed("schedule"), {argumentText}, env);
    EXPECT_EQ(schedule.exitCode, 0);
    EXPECT_EQ(schedule.err, "");
    EXPECT_EQ(testsupport::readFile(entry), "older");
}

TEST_F(InstalledFolder, RegisterOpensWithTheSampleTitle)
{
    if (!canRunUnderX())
        GTEST_SKIP() << "xvfb-run or xdotool missing";
    const QString title = sampleTitle();
    ASSERT_FALSE(title.isEmpty());
    const Outcome x = runRegisterUnderX("xdotool getwindowname \"$id\"; kill $pid\n");
    EXPECT_EQ(x.exitCode, 0) << x.err.toStdString();
    EXPECT_EQ(x.out.trimmed(), title);
}

// Escape on the first screen opens the register-later dialog with "tomorrow"
// chosen; two Tabs reach its OK button.
TEST_F(InstalledFolder, AReminderPointsAtTheInstalledSchedule)
{
    if (!canRunUnderX())
        GTEST_SKIP() << "xvfb-run or xdotool missing";
    const Outcome x = runRegisterUnderX(
        "xdotool windowfocus --sync \"$id\" key Escape\n"
        "for i in $(seq 1 100); do\n"
        "  dialog=$(xdotool search --onlyvisible --pid $pid 2>/dev/null | grep -vx \"$id\" | head "
        "-1)\n"
        "  [ -n \"$dialog\" ] && break; sleep 0.1\n"
        "done\n"
        "[ -n \"$dialog\" ] || { kill $pid; exit 2; }\n"
        "xdotool windowfocus --sync \"$dialog\" key Tab Tab space\n"
        "wait $pid\n");
    ASSERT_EQ(x.exitCode, 0) << x.err.toStdString();

    const QString entry = testsupport::readFile(
        m_dir.filePath("cfg/autostart/Ember Reach registration reminder.desktop"));
    const QStringList lines = entry.split(u'\n');
    const QString schedule = installed("schedule");
    EXPECT_TRUE(lines.contains("TryExec=" + schedule)) << entry.toStdString();
    EXPECT_TRUE(lines.contains("Path=" + m_prefix)) << entry.toStdString();
    EXPECT_TRUE(entry.contains("\nExec=" + shell::escapeExecArgument(schedule) + " "))
        << entry.toStdString();
}

} // namespace
