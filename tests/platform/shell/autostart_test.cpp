#include "platform/shell/autostart.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

using shell::AutostartEntry;

TEST(DesktopEntryText, WritesTheExpectedEntry)
{
    AutostartEntry entry;
    entry.program = QStringLiteral("/opt/velmora game/schedule");
    entry.argumentText = QStringLiteral("/5.3.2024 14:05:27 /game=Deep Sky /url=http://h.test/a");
    entry.workingDir = QStringLiteral("/opt/velmora game");
    entry.tryExec = QStringLiteral("/opt/velmora game/schedule");
    EXPECT_EQ(shell::desktopEntryText(entry),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Registration reminder\n"
              "Comment=Registration reminder\n"
              "Exec=\"/opt/velmora game/schedule\" \"/5.3.2024 14:05:27 /game=Deep Sky "
              "/url=http://h.test/a\"\n"
              "Path=/opt/velmora game\n"
              "TryExec=/opt/velmora game/schedule\n"
              "Terminal=false\n");
}

TEST(DesktopEntryText, AProgramPathThatNeedsEscapesIsNamedFromItsFolder)
{
    const struct {
        const char *folder;
        const char *workingDir; // nullptr: the folder itself
        const char *expectedExec;
    } cases[] = {
        {"/opt/game folder", nullptr, "\"/opt/game folder/schedule\""},
        {"/opt/100% game", nullptr, "/usr/bin/env \"./schedule\""},
        {"/opt/\"q\" game", nullptr, "/usr/bin/env \"./schedule\""},
        {"/opt/a$b", nullptr, "/usr/bin/env \"./schedule\""},
        // Elsewhere than the working folder, only the escaped path can name it.
        {"/opt/100% game", "/tmp", "\"/opt/100%% game/schedule\""},
        {"/opt/100% game", "", "\"/opt/100%% game/schedule\""},
    };
    for (const auto &c : cases) {
        AutostartEntry entry;
        entry.program = QString::fromUtf8(c.folder) + "/schedule";
        entry.workingDir =
            c.workingDir ? QString::fromUtf8(c.workingDir) : QString::fromUtf8(c.folder);
        entry.argumentText = "/x";
        const QString text = shell::desktopEntryText(entry);
        EXPECT_TRUE(text.contains("\nExec=" + QString::fromUtf8(c.expectedExec) + " \"/x\"\n"))
            << c.folder << "\n"
            << text.toStdString();
    }
}

TEST(DesktopEntryText, EscapesEveryLayerOfTheExecLine)
{
    AutostartEntry entry;
    entry.program = QStringLiteral("/p");
    entry.argumentText = QStringLiteral("a\\b\"c`d$e%f\ng\th\ri");
    const QString text = shell::desktopEntryText(entry);
    // Quoting gives a\\b\"c\`d\$e%%f; the file's string escapes then double
    // every backslash and spell out the control characters.
    EXPECT_TRUE(text.contains(
        QStringLiteral("\nExec=\"/p\" \"a\\\\\\\\b\\\\\"c\\\\`d\\\\$e%%f\\ng\\th\\ri\"\n")))
        << text.toStdString();
}

TEST(EscapeExecArgument, QuotesAndEscapes)
{
    const struct {
        const char *argument;
        const char *expected;
    } cases[] = {
        {"", "\"\""},
        {"plain", "\"plain\""},
        {"with blank", "\"with blank\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"back\\slash", "\"back\\\\slash\""},
        {"$HOME `id`", "\"\\$HOME \\`id\\`\""},
        {"100% %u %f", "\"100%% %%u %%f\""},
        {"it's & ; | < >", "\"it's & ; | < >\""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(shell::escapeExecArgument(QString::fromUtf8(c.argument)),
                  QString::fromUtf8(c.expected))
            << c.argument;
    EXPECT_EQ(shell::escapeExecArgument(QStringLiteral("a") + QChar(0) + QStringLiteral("b")),
              "\"ab\"");
}

// Keys of the entry in file order; a value can never start a line of its own.
QStringList keysOf(const QString &text)
{
    QStringList keys;
    const QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    for (const QString &line : lines.mid(1))
        keys.append(line.section(u'=', 0, 0));
    EXPECT_EQ(lines.value(0), "[Desktop Entry]");
    return keys;
}

// Values a player or a configuration could put into the reminder.
const QString hostileValues[] = {
    QStringLiteral("/31.12.2023 14:05:27 /game=Deep Sky /language=French /country=Canada "
                   "/url=http://example.test/nr/cd_register/register.asp"),
    QStringLiteral("/d /game=Say \"hi\" 'there' /language=x"),
    QStringLiteral("/d /game=C:\\Games\\ \\\\server\\share\\ trailing\\"),
    QStringLiteral("/d /game=$HOME $(touch pwned) ${PATH} `touch pwned`"),
    QStringLiteral("/d /game=100% %u %U %f %F %i %c %k %%"),
    QStringLiteral("/d /game=a & b ; c | d > e < f * ? ~ # ( ) [ ] { }"),
    QStringLiteral("/d /game=two\nlines\nExec=/bin/false\n[Desktop Entry]\nHidden=true"),
    QStringLiteral("/d /game=cr\rlf\r\ntab\there"),
    QString::fromUtf8("/d /game=Caf\u00e9 \u00dcber \u65e5\u672c \U0001F600 /country=Espa\u00f1a"),
    QStringLiteral("  leading and trailing blanks  "),
    QStringLiteral("/d /game=\\s\\n\\t\\\\ literal escapes"),
    QString(),
};

TEST(DesktopEntryText, HostileValuesNeverAddAKeyOrALine)
{
    const QStringList expectedKeys{"Type", "Name",    "Comment", "Exec",
                                   "Path", "TryExec", "Terminal"};
    for (const QString &value : hostileValues) {
        AutostartEntry entry;
        entry.name = value;
        entry.comment = value;
        entry.program = QStringLiteral("/opt/") + value;
        entry.argumentText = value;
        entry.workingDir = QStringLiteral("/opt/") + value;
        entry.tryExec = QStringLiteral("/opt/x") + value;
        EXPECT_EQ(keysOf(shell::desktopEntryText(entry)), expectedKeys) << value.toStdString();
    }
}

class AutostartFilesTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_oldConfigHome = qgetenv("XDG_CONFIG_HOME");
        m_oldHome = qgetenv("HOME");
    }
    void TearDown() override
    {
        restore("XDG_CONFIG_HOME", m_oldConfigHome);
        restore("HOME", m_oldHome);
    }
    static void restore(const char *name, const QByteArray &value)
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    QByteArray m_oldConfigHome;
    QByteArray m_oldHome;
};

TEST_F(AutostartFilesTest, AutostartDirFollowsXdgConfigHome)
{
    qputenv("HOME", path("home").toUtf8());
    qputenv("XDG_CONFIG_HOME", path("cfg").toUtf8());
    EXPECT_EQ(shell::autostartDir(), path("cfg/autostart"));
    EXPECT_EQ(shell::autostartEntryPath("Deep Sky"),
              path("cfg/autostart/Deep Sky registration reminder.desktop"));
    EXPECT_EQ(shell::legacyAutostartEntryPath(), path("cfg/autostart/velmora register.desktop"));
    qputenv("XDG_CONFIG_HOME", "");
    EXPECT_EQ(shell::autostartDir(), path("home/.config/autostart"));
    qputenv("XDG_CONFIG_HOME", "relative/cfg");
    EXPECT_EQ(shell::autostartDir(), path("home/.config/autostart"));
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(shell::autostartDir(), path("home/.config/autostart"));
}

// Each game's reminder lies in a file of its own, named after the game. What
// a file name cannot hold is replaced, and a name so changed carries a
// digest of the whole name, so two games never share a file.
TEST(ReminderEntryFileName, CarriesTheGameMadeSafe)
{
    const QString digestOfSlash =
        QStringLiteral(" ") +
        QString::fromLatin1(
            QCryptographicHash::hash("Rock/Roll", QCryptographicHash::Sha256).toHex().left(8));
    const struct {
        const char *name;
        QString game;
        QString fileName;
    } cases[] = {
        {"plain", "Deep Sky", "Deep Sky registration reminder.desktop"},
        {"letters", QStringLiteral("Île Noire 東京"),
         QStringLiteral("Île Noire 東京 registration reminder.desktop")},
        {"noGame", "", "registration reminder.desktop"},
        {"slash", "Rock/Roll", "Rock_Roll" + digestOfSlash + " registration reminder.desktop"},
        {"quotesStay", "Tom & \"Jerry\" 100%",
         "Tom & \"Jerry\" 100% registration reminder.desktop"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(shell::reminderEntryFileName(c.game), c.fileName) << c.name;

    // Names that differ only in what was changed or cut keep two files.
    const QString longName(300, u'x');
    const QStringList distinct{
        "Rock/Roll", "Rock_Roll", "Rock\nRoll",    ".hidden",
        "_hidden",   longName,    longName + u'y', QStringLiteral("\U0001F3AE").repeated(60)};
    QStringList names;
    for (const QString &game : distinct) {
        const QString name = shell::reminderEntryFileName(game);
        names.append(name);
        EXPECT_FALSE(name.contains(u'/')) << qPrintable(game);
        EXPECT_FALSE(name.startsWith(u'.')) << qPrintable(game);
        EXPECT_FALSE(name.contains(u'\n')) << qPrintable(game);
        EXPECT_LE(name.toUtf8().size(), 255) << qPrintable(game);
        EXPECT_TRUE(name.isValidUtf16()) << qPrintable(game);
    }
    names.removeDuplicates();
    EXPECT_EQ(names.size(), distinct.size());
}

TEST_F(AutostartFilesTest, AnEntryBelongsToTheProgramItsTryExecNames)
{
    const QString program = testsupport::writeFile(m_dir.path(), "game folder/schedule", "");
    testsupport::writeFile(m_dir.path(), "other/schedule", "");
    QFile::link(path("game folder"), path("link"));
    const struct {
        const char *name;
        QString text;
        bool belongs;
    } cases[] = {
        {"same", "TryExec=" + QString(program).replace(u' ', QStringLiteral("\\s")) + '\n', true},
        {"throughALink", "[Desktop Entry]\nTryExec=" + path("link/schedule") + '\n', true},
        {"otherProgram", "TryExec=" + path("other/schedule") + '\n', false},
        {"none", "[Desktop Entry]\nExec=" + path("game folder/schedule") + '\n', false},
        {"missingProgram", "TryExec=" + path("gone/schedule") + '\n', false},
    };
    for (const auto &c : cases) {
        const QString entry = testsupport::writeFile(m_dir.path(), "e.desktop", c.text);
        EXPECT_EQ(shell::entryBelongsTo(entry, path("game folder/schedule")), c.belongs) << c.name;
    }
    EXPECT_FALSE(shell::entryBelongsTo(path("no such.desktop"), path("game folder/schedule")));
    // What the writer escapes, the reader takes back.
    AutostartEntry written;
    written.tryExec = " a\\b\tc\n ";
    const QString entry =
        testsupport::writeFile(m_dir.path(), "w.desktop", shell::desktopEntryText(written));
    EXPECT_EQ(shell::entryTryExec(entry), written.tryExec);
}

TEST_F(AutostartFilesTest, WriteCreatesTheFolderAndReplacesAnOlderEntry)
{
    const QString file = path("a/b/autostart/velmora register.desktop");
    AutostartEntry first;
    first.program = QStringLiteral("/first");
    AutostartEntry second;
    second.program = QStringLiteral("/second");
    QString error;
    ASSERT_TRUE(shell::writeAutostartEntry(file, first, &error)) << error.toStdString();
    ASSERT_TRUE(shell::writeAutostartEntry(file, second, &error)) << error.toStdString();
    EXPECT_EQ(testsupport::readFile(file), shell::desktopEntryText(second));
    // Written through a temporary file and a rename: nothing else is left behind.
    EXPECT_EQ(QDir(path("a/b/autostart")).entryList(QDir::Files | QDir::Hidden),
              QStringList{"velmora register.desktop"});
}

TEST_F(AutostartFilesTest, WriteRemovesWhatAKilledWriteOfTheSameEntryLeft)
{
    const QString folder = path("autostart");
    const QString file = folder + "/velmora register.desktop";
    const QDateTime longAgo = QDateTime::currentDateTime().addSecs(-3600);
    const struct {
        const char *name;
        const char *leftover;
        bool old;
        bool removed;
    } cases[] = {
        {"a temporary file of this entry", "velmora register.desktop.aZ09xY", true, true},
        {"one a write may still be making", "velmora register.desktop.Qw3rt7", false, false},
        {"another entry's", "other game.desktop.aZ09xY", true, false},
        {"a name of another pattern", "velmora register.desktop.aZ09x", true, false},
        {"a suffix with other characters", "velmora register.desktop.aZ-9xY", true, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QFile leftover(testsupport::writeFile(folder, c.leftover, "[Desktop Entry]\nExec="));
        if (c.old) {
            ASSERT_TRUE(leftover.open(QIODevice::ReadWrite));
            ASSERT_TRUE(leftover.setFileTime(longAgo, QFileDevice::FileModificationTime));
            leftover.close();
        }
        QString error;
        ASSERT_TRUE(shell::writeAutostartEntry(file, {}, &error)) << error.toStdString();
        EXPECT_EQ(QFileInfo::exists(leftover.fileName()), !c.removed);
        EXPECT_TRUE(QFileInfo::exists(file));
        QFile::remove(leftover.fileName());
    }
}

TEST_F(AutostartFilesTest, WriteReportsWhyItFailed)
{
    testsupport::writeFile(m_dir.path(), "blocker", "a file where a folder should be");
    QString error;
    EXPECT_FALSE(shell::writeAutostartEntry(path("blocker/autostart/e.desktop"), {}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(shell::writeAutostartEntry(path("blocker/autostart/e.desktop"), {}));
}

TEST_F(AutostartFilesTest, RemoveDeletesTheEntryAndSaysWhenThereWasNone)
{
    const QString file = testsupport::writeFile(m_dir.path(), "e.desktop", "x");
    EXPECT_TRUE(shell::removeAutostartEntry(file));
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_FALSE(shell::removeAutostartEntry(file));
}

// A real Desktop Entry launcher reads what we wrote and starts the program:
// the arguments the program receives must be exactly the text we meant.
class DesktopLauncherTest : public AutostartFilesTest {
  protected:
    void SetUp() override
    {
        AutostartFilesTest::SetUp();
        m_gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
        if (m_gio.isEmpty())
            GTEST_SKIP() << "gio (libglib2.0-bin) is not installed";
        // A program folder whose name needs quoting and escaping itself.
        m_appDir = path(QString::fromUtf8("app folder $x \"q\" \u00e9"));
        ASSERT_TRUE(QDir().mkpath(m_appDir));
        m_stub = testsupport::writeFile(m_appDir, "stub",
                                        "#!/bin/sh\n"
                                        "# Records the argument count and the arguments\n"
                                        "# joined by blanks in the working folder.\n"
                                        "printf '%s\\n%s' \"$#\" \"$*\" > recorded.tmp\n"
                                        "mv recorded.tmp recorded.txt\n");
        QFile::setPermissions(m_stub, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Launches the entry and returns "count\narguments", empty on time-out.
    QString launch(const QString &argumentText)
    {
        const QString recorded = QDir(m_appDir).filePath("recorded.txt");
        QFile::remove(recorded);
        AutostartEntry entry;
        entry.program = m_stub;
        entry.argumentText = argumentText;
        entry.workingDir = m_appDir;
        entry.tryExec = m_stub;
        const QString file = path("cfg/autostart/velmora register.desktop");
        QString error;
        if (!shell::writeAutostartEntry(file, entry, &error)) {
            ADD_FAILURE() << error.toStdString();
            return {};
        }
        QProcessEnvironment env;
        env.insert("PATH", "/usr/bin:/bin");
        env.insert("HOME", path("home"));
        env.insert("XDG_CONFIG_HOME", path("cfg"));
        env.insert("XDG_DATA_HOME", path("data"));
        env.insert("XDG_RUNTIME_DIR", m_dir.path());
        env.insert("LANG", "C.UTF-8");
        QProcess gio;
        gio.setProcessEnvironment(env);
        gio.start(m_gio, {QStringLiteral("launch"), file});
        if (!gio.waitForFinished(20000) || gio.exitCode() != 0) {
            ADD_FAILURE() << "gio launch failed: " << gio.readAllStandardError().toStdString();
            return {};
        }
        if (!QTest::qWaitFor([&] { return QFileInfo::exists(recorded); }, 10000))
            return {};
        return testsupport::readFile(recorded);
    }

    QString m_gio;
    QString m_appDir;
    QString m_stub;
};

TEST_F(DesktopLauncherTest, TheProgramReceivesExactlyTheArgumentText)
{
    for (const QString &value : hostileValues) {
        EXPECT_EQ(launch(value), QStringLiteral("1\n") + value) << value.toStdString();
    }
    // Nothing the values tried to run has run.
    EXPECT_FALSE(QFileInfo::exists(QDir(m_appDir).filePath("pwned")));
}

} // namespace
