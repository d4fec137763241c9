// The register-later dialog over small configurations, with the reminder
// written into a private autostart folder.
#include "platform/clock/general_date.h"
#include "platform/forms/colours.h"
#include "platform/shell/autostart.h"
#include "register/dialogs/dlg_cancel.h"
#include "register/dialogs/dlg_error.h"
#include "register/wizard/main_form.h"
#include "tests/register/dialogs/dialog_answers.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMouseEvent>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kUrl = QStringLiteral("http://example.test/nr/cd_register/register.asp");
const QString kButtons = QStringLiteral(R"(<quit src="QUIT" srcover="QUIT_OVER"/>
    <cancel src="CANCEL" srcover="CANCEL_OVER"/>)");
const QString kCancelPage = QStringLiteral(R"(<cancelpage>
      <text src="Register now,`later or never." x="400" y="300" width="5200" height="700" forecolor="0000FF"/>
      <later src1="Remind me in" days="7" src2="days" x="400" y="1250" width="1800" height="350" %1/>
      <tomorrow src="Tomorrow" x="410" y="1750" width="4800" height="360"/>
      <cancel src="Never" x="420" y="2250" width="4700" height="370" backcolor="00FF00"/>
    </cancelpage>)");

class DlgCancelTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        m_oldConfigHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", m_dir.filePath("cfg").toUtf8());
    }
    void TearDown() override
    {
        if (m_oldConfigHome.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", m_oldConfigHome);
    }

    // The wizard over a language section with these elements, at a fixed moment.
    MainForm &start(const QString &elements, const QString &appPath = {},
                    const QStringList &arguments = {})
    {
        const QString app = appPath.isEmpty() ? m_dir.path() : appPath;
        testsupport::writeFile(app, "config.xml",
                               QStringLiteral(R"(<register>
  <use_default>0</use_default><default_language>English</default_language>
  <default_country>Canada</default_country><default_gamename>Deep Sky</default_gamename>
  <default_url>%1</default_url><country src="Canada"/>
  <language id="English" country="else" width="9000" height="6000" forecolor="FF0000"
            backcolor="FFFFFF">%2</language></register>)")
                                   .arg(kUrl, elements));
        WizardServices services;
        services.clock = m_clock;
        services.endProgram = [this] { ++m_ended; };
        m_wizard = std::make_unique<MainForm>(app, arguments, services);
        m_wizard->Form_Load();
        return *m_wizard;
    }
    DlgCancel &dialog() { return m_wizard->cancelDialog(); }
    forms::Control *ctl(const char *name) { return dialog().form().control(name); }
    QString entryPath(const QString &game = QStringLiteral("Deep Sky")) const
    {
        return m_dir.filePath("cfg/autostart/" + shell::reminderEntryFileName(game));
    }

    // The entry a reminder due `days` after m_now should leave behind.
    QString expectedEntry(int days, const QString &appPath) const
    {
        shell::AutostartEntry entry;
        entry.program = appPath + "/schedule";
        entry.argumentText = "/" + dates::generalDateText(m_now.addDays(days), QLocale::system()) +
                             " /game=Deep Sky /language=English /country=Canada /url=" + kUrl;
        entry.workingDir = appPath;
        entry.tryExec = appPath + "/schedule";
        entry.name = "Deep Sky registration reminder";
        entry.comment = "Asks once more to register Deep Sky";
        return shell::desktopEntryText(entry);
    }

    QTemporaryDir m_dir;
    QByteArray m_oldConfigHome;
    std::shared_ptr<testsupport::TestClock> m_clock =
        std::make_shared<testsupport::TestClock>(QDateTime(QDate(2024, 3, 5), QTime(14, 5, 27)));
    QDateTime &m_now = m_clock->at;
    int m_ended = 0;
    std::unique_ptr<MainForm> m_wizard;
};

QList<int> geometry(const forms::Control *c)
{
    return {c->left(), c->top(), c->width(), c->height()};
}

TEST_F(DlgCancelTest, ActivationPlacesTheChoicesFromTheLanguageSection)
{
    start(kButtons + kCancelPage.arg(""));
    ctl("optLater")->setValue(1);
    ctl("txtDays")->setText("12");
    dialog().Form_Activate();

    EXPECT_EQ(geometry(ctl("lblCancel")).mid(0, 2), QList<int>({400, 300}));
    EXPECT_EQ(ctl("lblCancel")->text(), "Register now,\r\nlater or never.");
    EXPECT_EQ(forms::colourToBgr(*ctl("lblCancel")->foreColor()), 0x0000FFu);
    EXPECT_EQ(geometry(ctl("optLater")), QList<int>({400, 1250, 1800, 350}));
    // The days box and its label follow the option on its line; the count is
    // reset, the player's choice stands.
    forms::Control *days = ctl("txtDays");
    EXPECT_EQ(geometry(days), QList<int>({2400, 1250, days->width(), 350}));
    EXPECT_EQ(days->text(), "7");
    EXPECT_EQ(geometry(ctl("lblLater")).mid(0, 2), QList<int>({2400 + days->width() + 200, 1300}));
    EXPECT_EQ(ctl("lblLater")->text(), "days");
    EXPECT_EQ(ctl("optLater")->value(), 1);
    EXPECT_EQ(ctl("optTomorrow")->text(), "Tomorrow");
    EXPECT_EQ(geometry(ctl("optTomorrow")), QList<int>({410, 1750, 4800, 360}));
    EXPECT_EQ(ctl("optCancel")->text(), "Never");
    EXPECT_EQ(geometry(ctl("optCancel")), QList<int>({420, 2250, 4700, 370}));
}

TEST_F(DlgCancelTest, ColourAttributesOrTheGlobalColours)
{
    const struct {
        const char *name;
        const char *attributes;
        std::uint32_t fore, back;
    } cases[] = {
        {"none", "", 0xFF0000, 0xFFFFFF},
        {"both", R"(forecolor="00FF00" backcolor="0000FF")", 0x00FF00, 0x0000FF},
        {"notHexKeepsTheLayoutColour", R"(forecolor="GG")", 0, 0xFFFFFF},
    };
    for (const auto &c : cases) {
        start(kButtons + kCancelPage.arg(c.attributes));
        dialog().Form_Activate();
        for (const char *name : {"optLater", "txtDays", "lblLater"}) {
            forms::Control *control = ctl(name);
            EXPECT_EQ(control->foreColor() ? forms::colourToBgr(*control->foreColor()) : 0u, c.fore)
                << c.name << " " << name;
            EXPECT_EQ(forms::colourToBgr(control->backColor().value()), c.back)
                << c.name << " " << name;
        }
    }
    EXPECT_EQ(forms::colourToBgr(*ctl("optCancel")->backColor()), 0x00FF00u);
    EXPECT_EQ(forms::colourToBgr(*ctl("optTomorrow")->backColor()), 0xFFFFFFu);
    EXPECT_EQ(forms::colourToBgr(dialog().palette().color(QPalette::Window)), 0xFFFFFFu);
}

TEST_F(DlgCancelTest, WithoutItsElementsTheLayoutStaysAndTheButtonsShareTheWidth)
{
    // No <quit> and no <cancelpage>: the Quit picture already loaded stays.
    start(R"(<cancel src="CANCEL" srcover="CANCEL_OVER"/>)");
    m_wizard->state().quitPictures.normal = QPixmap(80, 36); // 1200 twips wide
    dialog().form().setWidth(6000 - 2 * forms::Form::kBorderTwips);
    const QList<int> later = geometry(ctl("optLater"));
    dialog().Form_Activate();
    dialog().Form_Activate();
    const auto problemCount = [this](const char *text) {
        int n = 0;
        for (const model::ConfigProblem &p : m_wizard->state().problems.all())
            n += p.toString().contains(QString::fromUtf8(text)) ? 1 : 0;
        return n;
    };
    EXPECT_EQ(geometry(ctl("optLater")), later);
    EXPECT_EQ(ctl("cmdCancel")->left(), 1200);
    EXPECT_EQ(ctl("cmdQuit")->left(), 3600);
    EXPECT_EQ(ctl("cmdQuit")->top(), dialog().form().outerHeight() - 540 - 500);
    EXPECT_EQ(ctl("cmdCancel")->top(), ctl("cmdQuit")->top());
    // Each problem once, however often the dialog opens.
    EXPECT_EQ(problemCount("<quit> in the section \"English\": is missing"), 1);
    EXPECT_EQ(problemCount("<later> in the section \"English\": is missing from <cancelpage>"), 1);
}

TEST_F(DlgCancelTest, CentredOverTheWizardWhichWaitsOnItsPage)
{
    MainForm &w = start(kButtons + kCancelPage.arg(""));
    w.move(300, 200);
    w.winId(); // the window system settles where the window is
    const auto stage = w.state().stage;
    // Every way back: the Cancel button, Escape, the title bar.
    const std::function<void()> ways[] = {
        [this] { dialog().cmdCancel_Click(); },
        [this] { QTest::keyClick(&dialog(), Qt::Key_Escape); },
        [this] { dialog().close(); },
    };
    for (const auto &leave : ways) {
        bool seen = false;
        testsupport::DialogAnswers player;
        player.later = [&](SkinnedDialog &) {
            seen = dialog().isVisible();
            EXPECT_TRUE(dialog().isModal());
            // (9120 - 6150) / 2 = 1485 and (6120 - 4155) / 2 = 982.5 twips.
            EXPECT_EQ(QPoint(dialog().x() - w.x(), dialog().y() - w.y()), QPoint(99, 66));
            EXPECT_FALSE(w.isEnabled());
            EXPECT_TRUE(dialog().isEnabled());
            leave();
        };
        w.DisplayCancelPage();
        EXPECT_TRUE(seen);
        EXPECT_FALSE(dialog().isVisible());
        EXPECT_TRUE(w.isEnabled());
        EXPECT_EQ(w.state().stage, stage);
    }
    EXPECT_EQ(m_ended, 0);
    EXPECT_FALSE(QFile::exists(entryPath()));
}

TEST_F(DlgCancelTest, HoverIsDecidedByWhatThePointerIsOver)
{
    start(kButtons + kCancelPage.arg(""));
    dialog().show();
    const WizardState &s = m_wizard->state();
    const auto moveOver = [](QWidget *target, QPoint at = {2, 2}) {
        QMouseEvent move(QEvent::MouseMove, at, target->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(target, &move);
    };
    forms::Control *quit = ctl("cmdQuit");
    forms::Control *cancel = ctl("cmdCancel");
    moveOver(quit->widget());
    moveOver(cancel->widget());
    EXPECT_EQ(quit->pictureKey(), s.quitPictures.hover.cacheKey());
    EXPECT_EQ(cancel->pictureKey(), s.cancelPictures.hover.cacheKey());
    // A label is no background: the buttons keep their hover pictures.
    moveOver(ctl("lblCancel")->widget());
    EXPECT_EQ(quit->pictureKey(), s.quitPictures.hover.cacheKey());
    moveOver(&dialog(), {1, 1});
    EXPECT_EQ(quit->pictureKey(), s.quitPictures.normal.cacheKey());
    EXPECT_EQ(cancel->pictureKey(), s.cancelPictures.normal.cacheKey());
    dialog().cmdCancel_Click();
}

TEST_F(DlgCancelTest, KeyboardReachesEveryChoiceAndPressesTheFocusedButton)
{
    start(kButtons + kCancelPage.arg(""));
    dialog().show();
    QApplication::setActiveWindow(&dialog());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog()));
    // The options are one Tab stop, at the chosen one (the arrows move the choice).
    QStringList reached;
    for (int i = 0; i < 4; ++i) {
        reached << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(reached.join(' ').toStdString(), "optTomorrow cmdCancel cmdQuit txtDays");
    EXPECT_EQ(ctl("cmdQuit")->widget()->accessibleName(), "OK");
    EXPECT_EQ(ctl("cmdCancel")->widget()->accessibleName(), "Cancel");
    ctl("optCancel")->setValue(1);
    QTest::keyClick(ctl("cmdQuit")->widget(), Qt::Key_Space);
    EXPECT_EQ(m_ended, 1);
    QTest::keyClick(ctl("cmdCancel")->widget(), Qt::Key_Return);
    EXPECT_FALSE(dialog().isVisible());
}

TEST_F(DlgCancelTest, NotRegisteringEndsAndKeepsAnOlderReminder)
{
    start(kButtons + kCancelPage.arg(""));
    testsupport::writeFile(m_dir.path(), "cfg/autostart/Deep Sky registration reminder.desktop",
                           "older");
    ctl("optCancel")->setValue(1);
    dialog().cmdQuit_Click();
    EXPECT_EQ(m_ended, 1);
    EXPECT_EQ(testsupport::readFile(entryPath()), "older");
}

TEST_F(DlgCancelTest, AReminderWritesOneEntryForScheduleInTheProgramFolder)
{
    const struct {
        const char *name;
        const char *option;
        const char *days;
        int expectedDays;
    } cases[] = {
        {"tomorrow", "optTomorrow", "3", 1},
        {"threeDays", "optLater", "3", 3},
        {"notANumber", "optLater", "soon", 1},
    };
    // Started from some other folder: schedule is still looked for beside the wizard.
    QTemporaryDir elsewhere;
    const QString before = QDir::currentPath();
    QDir::setCurrent(elsewhere.path());
    const QString app = m_dir.filePath("game folder");
    for (const auto &c : cases) {
        start(kButtons + kCancelPage.arg(""), app);
        ctl(c.option)->setValue(1);
        ctl("txtDays")->setText(c.days);
        const int ended = m_ended;
        dialog().cmdQuit_Click();
        EXPECT_EQ(m_ended, ended + 1) << c.name;
        // Each reminder replaces the one before: there is only ever one.
        EXPECT_EQ(QDir(m_dir.filePath("cfg/autostart")).entryList(QDir::Files | QDir::Hidden),
                  QStringList{"Deep Sky registration reminder.desktop"});
        EXPECT_EQ(testsupport::readFile(entryPath()), expectedEntry(c.expectedDays, app)) << c.name;
    }
    QDir::setCurrent(before);
}

// An earlier version wrote every game's reminder under one name. The one it
// wrote for this installation (its TryExec is our schedule) is replaced by
// the game's own entry; another game's stays, and so does anything the
// player made under that name.
TEST_F(DlgCancelTest, AReminderReplacesTheOlderVersionsEntryOfThisGameOnly)
{
    const struct {
        const char *name;
        const char *olderTryExec; // nullptr: the file has no TryExec
        bool olderRemoved;
    } cases[] = {
        {"thisInstallation", "game folder/schedule", true},
        {"anotherGame", "other game/schedule", false},
        {"noTryExec", nullptr, false},
    };
    const QString app = m_dir.filePath("game folder");
    testsupport::writeFile(app, "schedule", "");
    testsupport::writeFile(m_dir.path(), "other game/schedule", "");
    const QString older = m_dir.filePath("cfg/autostart/velmora register.desktop");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(m_dir.filePath("cfg")).removeRecursively();
        QString text = "[Desktop Entry]\nExec=x\n";
        if (c.olderTryExec)
            text += "TryExec=" + m_dir.filePath(c.olderTryExec).replace(' ', "\\s") + '\n';
        testsupport::writeFile(m_dir.path(), "cfg/autostart/velmora register.desktop", text);
        start(kButtons + kCancelPage.arg(""), app);
        ctl("optTomorrow")->setValue(1);
        dialog().cmdQuit_Click();
        EXPECT_EQ(testsupport::readFile(entryPath()), expectedEntry(1, app));
        EXPECT_EQ(QFileInfo::exists(older), !c.olderRemoved);
    }
}

TEST_F(DlgCancelTest, AReminderThatCannotBeWrittenIsReportedAndTheOlderOneStays)
{
    const struct {
        const char *name;
        bool olderEntry;   // an older reminder stands before
        bool fileIsFolder; // a file where the autostart folder should be
        bool diskFull;     // every write fails as on a full disk
        const char *reason;
    } cases[] = {
        {"folderIsAFile", false, true, false, "\r\n(cannot create the folder)."},
        {"diskFull", true, false, true, "File too large)."},
        {"diskFullNoOlderEntry", false, false, true, "File too large)."},
    };
    // The opening words follow the language in use.
    const char *const openings[] = {"Your reminder could not be saved in\r\n",
                                    "Ihre Erinnerung konnte nicht gespeichert werden in\r\n",
                                    "Uw herinnering kon niet worden opgeslagen in\r\n"};
    const char *const languages[] = {"English", "german", "Dutch"};
    int row = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(m_dir.filePath("cfg")).removeRecursively();
        MainForm &w = start(kButtons + kCancelPage.arg(""));
        const int language = row++ % 3;
        w.state().currentLanguage = languages[language];
        if (c.fileIsFolder)
            testsupport::writeFile(m_dir.path(), "cfg/autostart", "a file where the folder is");
        const QString older = QStringLiteral("[Desktop Entry]\nExec=older\n");
        if (c.olderEntry)
            testsupport::writeFile(m_dir.path(),
                                   "cfg/autostart/Deep Sky registration reminder.desktop", older);
        testsupport::DialogAnswers player;
        player.later = [&](SkinnedDialog &) {
            std::optional<testsupport::FileSizeLimit> full;
            if (c.diskFull)
                full.emplace(0);
            dialog().cmdQuit_Click();
        };
        w.DisplayCancelPage();
        ASSERT_EQ(player.asked.size(), 1u);
        EXPECT_EQ(player.asked[0].buttons, DlgError::Buttons::Ok);
        const QString message = player.asked[0].text;
        EXPECT_EQ(m_ended, 0);
        EXPECT_FALSE(dialog().isVisible());
        EXPECT_TRUE(w.isEnabled());
        EXPECT_TRUE(message.startsWith(QString::fromUtf8(openings[language])))
            << message.toStdString();
        EXPECT_TRUE(message.endsWith(c.reason)) << message.toStdString();
        EXPECT_TRUE(QString(message).remove("\r\n").contains(m_dir.filePath("cfg/autostart")));
        // Nothing lost and nothing half-written left behind.
        if (!c.fileIsFolder) {
            EXPECT_EQ(QDir(m_dir.filePath("cfg/autostart")).entryList(QDir::Files | QDir::Hidden),
                      c.olderEntry ? QStringList{"Deep Sky registration reminder.desktop"}
                                   : QStringList{});
        }
        if (c.olderEntry) {
            EXPECT_EQ(testsupport::readFile(entryPath()), older);
        }
    }
}

// The whole road: the entry the dialog wrote, started by a Desktop Entry
// launcher, runs the real schedule, which starts register with the settings,
// from program folders whose names launchers treat differently and with a
// setting far longer than one process argument may hold.
TEST_F(DlgCancelTest, TheWrittenReminderRelaunchesTheWizardWhenDue)
{
    const QString gio = QStandardPaths::findExecutable("gio");
    if (gio.isEmpty())
        GTEST_SKIP() << "gio (libglib2.0-bin) is not installed";
    const QString dex = QStandardPaths::findExecutable("dex");
    const QString longGame(200000, u'x');
    const struct {
        const char *name;
        QString folder;
        QStringList arguments;
        QString game; // as register receives it; empty: no /game= at all
        bool dexStarts;
        QString gameInUse = {}; // the wizard's game name when the player cancels
    } cases[] = {
        {"blank", "game folder", {}, "Deep Sky", true},
        {"percent", "100% game", {}, "Deep Sky", true},
        {"quote", "\"q\" game", {}, "Deep Sky", true},
        {"percentBlankQuote", "a%b \"c\"", {}, "Deep Sky", true},
        // dex reads a backslash in Path as an escape of its own.
        {"backslash", "a\\b", {}, "Deep Sky", false},
        {"overlongGame", "game folder", {"/game=" + longGame}, longGame.left(4096), true},
        // Left out whole, the name cannot take the country and URL with it.
        {"gameWithBlankSlash", "game folder", {}, "", true, "Ember Reach /Gold /Edition"},
    };
    for (const QString &launcherProgram : {gio, dex}) {
        if (launcherProgram.isEmpty())
            continue;
        for (const auto &c : cases) {
            const bool isDex = launcherProgram == dex;
            if (isDex && !c.dexStarts)
                continue;
            SCOPED_TRACE(std::string(c.name) + (isDex ? " (dex)" : " (gio)"));
            const QString app = m_dir.filePath(c.folder);
            QDir().mkpath(app);
            QFile::remove(app + "/schedule");
            ASSERT_TRUE(QFile::copy(testsupport::binDir() + "/schedule", app + "/schedule"));
            testsupport::writeFile(
                app, "register",
                "#!/bin/sh\nprintf '%s\\n%s' \"$#\" \"$*\" > rec.tmp\nmv rec.tmp rec.txt\n");
            for (const char *program : {"/schedule", "/register"})
                QFile::setPermissions(app + program,
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QFile::remove(app + "/rec.txt");

            testing::internal::CaptureStderr();
            start(kButtons + kCancelPage.arg(""), app, c.arguments);
            if (!c.gameInUse.isEmpty())
                m_wizard->state().gameName = c.gameInUse;
            const QString errors = QString::fromStdString(testing::internal::GetCapturedStderr());
            // A setting cut where it entered is reported there.
            EXPECT_EQ(errors.contains("/game= value is 200000 characters long"),
                      c.game.size() == 4096)
                << errors.toStdString();
            m_now = QDateTime::currentDateTime().addSecs(-3600);
            ctl("optLater")->setValue(1);
            ctl("txtDays")->setText("0");
            dialog().cmdQuit_Click();
            ASSERT_TRUE(QFile::exists(entryPath(c.game)));

            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("XDG_CONFIG_HOME", m_dir.filePath("cfg"));
            QProcess launcher;
            launcher.setProcessEnvironment(env);
            launcher.setWorkingDirectory(m_dir.path());
            launcher.start(launcherProgram, isDex ? QStringList{entryPath(c.game)}
                                                  : QStringList{"launch", entryPath(c.game)});
            ASSERT_TRUE(launcher.waitForFinished(20000));
            ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(app + "/rec.txt"); }, 10000))
                << launcher.readAllStandardError().toStdString();
            const QString game = c.game.isEmpty() ? QString() : "/game=" + c.game + "  ";
            EXPECT_EQ(testsupport::readFile(app + "/rec.txt"),
                      QString(c.game.isEmpty() ? "4" : "5") + "\n/default=1 " + game +
                          "/language=English  /country=Canada  /url=" + kUrl);
            // schedule finds the entry by the game it hands on, so the entry
            // is named after that one: no name at all when it was left out.
            EXPECT_TRUE(QTest::qWaitFor([&] { return !QFile::exists(entryPath(c.game)); }, 10000));
        }
    }
}

} // namespace
