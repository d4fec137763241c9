// The real program under a real X server: it opens a window with the
// configured caption. Skipped where no X server can be started.
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

TEST(RegisterSmoke, OpensTheRegionScreenWithTheConfiguredCaption)
{
    if (QStandardPaths::findExecutable("xvfb-run").isEmpty() ||
        QStandardPaths::findExecutable("xdotool").isEmpty())
        GTEST_SKIP() << "xvfb-run or xdotool missing";
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(testsupport::binDir() + "/register", dir.filePath("register")));
    testsupport::writeFile(dir.path(), "config.xml", R"(<register><use_default>0</use_default>
        <country src="Spain"/>
        <language id="english" country="else" title="Smoke Caption 42"/></register>)");
    const QString script = QStringLiteral(
        "./register & pid=$!; "
        "for i in $(seq 1 100); do "
        "  id=$(xdotool search --onlyvisible --name 'Smoke Caption 42' 2>/dev/null | head -1); "
        "  if [ -n \"$id\" ]; then xdotool getwindowname $id; kill $pid; exit 0; fi; "
        "  sleep 0.1; "
        "done; kill $pid; exit 1");
    QProcess p;
    p.setWorkingDirectory(dir.path());
    // The test itself runs offscreen; the program must talk to the X server.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    p.setProcessEnvironment(env);
    // -noreset: the server would otherwise reset each time its last client
    // leaves, and an xdotool that came and went before register connected
    // would have register turned away during that reset.
    p.start("xvfb-run", {"-a", "-s", "-screen 0 800x600x24 -noreset", "bash", "-c", script});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_TRUE(p.readAllStandardOutput().contains("Smoke Caption 42"));
}

// A section without pictures: the live window shows what the preview draws
// for it (plain buttons with their words on the section's colour), whatever
// section the wizard read before. The live grab and the preview's picture
// are compared pixel by pixel; text may be smoothed a little differently on
// the X server, so a small share of differing pixels is allowed, far below
// what one picture button or the background would change.
TEST(RegisterSmoke, ASectionWithoutPicturesLooksAsItsPreview)
{
    if (QStandardPaths::findExecutable("xvfb-run").isEmpty() ||
        QStandardPaths::findExecutable("xdotool").isEmpty() ||
        QStandardPaths::findExecutable("import").isEmpty())
        GTEST_SKIP() << "xvfb-run, xdotool or import (imagemagick) missing";
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(testsupport::binDir() + "/register", dir.filePath("register")));
    const QString section = QStringLiteral(R"(
  <language id="%1" country="else" width="9000" height="6000" title="%2" backcolor="E0F0F0">
    <selectlanguage>%3</selectlanguage>
    <cancel src="CANCEL" srcover="CANCEL_OVER"/>
    <next src="NEXT" srcover="NEXT_OVER"/>
  </language>)");
    testsupport::writeFile(
        dir.path(), "config.xml",
        "<register><use_default>1</use_default><default_language>portuguese</default_language>"
        "<default_country>Spain</default_country><country src=\"Spain\"/>" +
            section.arg("english", "Live English", "Region") +
            section.arg("portuguese", "Live Portuguese", "Regiao") + "</register>");
    const QString script = QStringLiteral(
        "./register & pid=$!; "
        "for i in $(seq 1 100); do "
        "  id=$(xdotool search --onlyvisible --name 'Live Portuguese' 2>/dev/null | head -1); "
        "  [ -n \"$id\" ] && break; sleep 0.1; "
        "done; "
        "[ -n \"$id\" ] || { kill $pid; exit 1; }; "
        // The window settles what it shows right after it is mapped: it is
        // grabbed until two grabs in a row agree.
        "import -window $id live.ppm; "
        "for i in $(seq 1 50); do "
        "  import -window $id again.ppm || break; "
        "  cmp -s live.ppm again.ppm && { kill $pid; exit 0; }; "
        "  mv again.ppm live.ppm; sleep 0.1; "
        "done; kill $pid; exit 1");
    QProcess x;
    x.setWorkingDirectory(dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    x.setProcessEnvironment(env);
    x.start("xvfb-run", {"-a", "-s", "-screen 0 800x600x24 -noreset", "bash", "-c", script});
    ASSERT_TRUE(x.waitForFinished(60000));
    ASSERT_EQ(x.exitCode(), 0) << x.readAllStandardError().toStdString();

    QProcess preview;
    preview.setWorkingDirectory(dir.path());
    preview.start(testsupport::binDir() + "/register-config",
                  {"preview", "config.xml", "--language", "portuguese", "--out", "sheet"});
    ASSERT_TRUE(preview.waitForFinished(60000));
    ASSERT_EQ(preview.exitCode(), 0) << preview.readAllStandardError().toStdString();

    const QImage live = QImage(dir.filePath("live.ppm")).convertToFormat(QImage::Format_RGB32);
    const QImage drawn =
        QImage(dir.filePath("sheet/portuguese-region.png")).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(live.isNull());
    ASSERT_EQ(live.size(), drawn.size());
    qsizetype differing = 0;
    for (int y = 0; y < live.height(); ++y)
        for (int x = 0; x < live.width(); ++x)
            differing += live.pixel(x, y) != drawn.pixel(x, y);
    EXPECT_LT(differing, live.width() * live.height() / 200)
        << differing << " of " << live.width() * live.height() << " pixels differ";
}

// Under a file-size limit the reminder cannot be written: the program goes
// on and says so (the register-later dialog's failure message), rather than
// being ended by the signal the limit sends.
TEST(RegisterSmoke, AFileSizeLimitFailsTheReminderWithoutEndingTheWizard)
{
    if (QStandardPaths::findExecutable("xvfb-run").isEmpty() ||
        QStandardPaths::findExecutable("xdotool").isEmpty() ||
        QStandardPaths::findExecutable("prlimit").isEmpty())
        GTEST_SKIP() << "xvfb-run, xdotool or prlimit missing";
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(testsupport::binDir() + "/register", dir.filePath("register")));
    testsupport::writeFile(dir.path(), "config.xml", R"(<register><use_default>0</use_default>
        <default_gamename>Deep Sky</default_gamename><country src="Spain"/>
        <language id="english" country="else" title="Limit Caption 7"/></register>)");
    // Escape opens the register-later dialog with "tomorrow" chosen; two
    // Tabs reach its OK button. The message window is a third window.
    const QString script = QStringLiteral(
        "prlimit --fsize=300 ./register & pid=$!\n"
        "for i in $(seq 1 100); do\n"
        "  id=$(xdotool search --onlyvisible --name 'Limit Caption 7' 2>/dev/null | head -1)\n"
        "  [ -n \"$id\" ] && break; sleep 0.1\n"
        "done\n"
        "[ -n \"$id\" ] || { kill $pid; exit 1; }\n"
        "xdotool windowfocus --sync \"$id\" key Escape\n"
        "for i in $(seq 1 100); do\n"
        "  dialog=$(xdotool search --onlyvisible --pid $pid 2>/dev/null | grep -vx \"$id\" | "
        "head -1)\n"
        "  [ -n \"$dialog\" ] && break; sleep 0.1\n"
        "done\n"
        "[ -n \"$dialog\" ] || { kill $pid; exit 2; }\n"
        "xdotool windowfocus --sync \"$dialog\" key Tab Tab space\n"
        "for i in $(seq 1 100); do\n"
        "  kill -0 $pid 2>/dev/null || { wait $pid; echo \"ended with $?\"; exit 3; }\n"
        "  message=$(xdotool search --onlyvisible --pid $pid 2>/dev/null | "
        "grep -vx -e \"$id\" -e \"$dialog\" | head -1)\n"
        "  [ -n \"$message\" ] && { kill $pid; exit 0; }\n"
        "  sleep 0.1\n"
        "done\n"
        "kill $pid; exit 4\n");
    QProcess p;
    p.setWorkingDirectory(dir.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("XDG_CONFIG_HOME", dir.filePath("cfg"));
    p.setProcessEnvironment(env);
    p.start("xvfb-run", {"-a", "-s", "-screen 0 800x600x24 -noreset", "bash", "-c", script});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString errors = QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardOutput().toStdString() << errors.toStdString();
    EXPECT_TRUE(errors.contains("the reminder was not written")) << errors.toStdString();
    EXPECT_TRUE(errors.contains("File too large")) << errors.toStdString();
    // Nothing half-written is left where a session would run it.
    EXPECT_TRUE(
        QDir(dir.filePath("cfg/autostart")).entryList({"*.desktop"}, QDir::Files).isEmpty());
}

// Help and the version come without a window: no display is set and the X
// platform is asked for, so a program that built its application object
// would end in failure instead of printing.
struct InformationCase {
    const char *program;
    const char *argument;
    const char *printedStart;
};

class InformationTable : public ::testing::TestWithParam<InformationCase> {};

TEST_P(InformationTable, PrintsAndEndsWithoutAWindow)
{
    const InformationCase &c = GetParam();
    QTemporaryDir dir;
    QProcess p;
    p.setWorkingDirectory(dir.path());
    QProcessEnvironment env;
    env.insert("PATH", "/usr/bin:/bin");
    env.insert("HOME", dir.path());
    env.insert("XDG_CONFIG_HOME", dir.filePath("cfg"));
    env.insert("QT_QPA_PLATFORM", "xcb");
    p.setProcessEnvironment(env);
    p.start(testsupport::binDir() + u'/' + QLatin1String(c.program), {QLatin1String(c.argument)});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QString printed = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(printed.startsWith(QLatin1String(c.printedStart))) << printed.toStdString();
    // Nothing was started or written: no reminder folder appeared.
    EXPECT_FALSE(QDir(dir.filePath("cfg")).exists());
}

INSTANTIATE_TEST_SUITE_P(
    Programs, InformationTable,
    ::testing::Values(InformationCase{"register", "--help", "Usage: register "},
                      InformationCase{"register", "-h", "Usage: register "},
                      InformationCase{"register", "--version", "register " PROJECT_VERSION "\n"},
                      InformationCase{"schedule", "--help", "Usage: schedule "},
                      InformationCase{"schedule", "--version", "schedule " PROJECT_VERSION "\n"},
                      InformationCase{"register-config", "--help", "Usage: register-config "},
                      InformationCase{"register-config", "--version",
                                      "register-config " PROJECT_VERSION "\n"}));

} // namespace
