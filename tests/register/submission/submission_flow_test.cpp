// The method screen's OK through the whole wizard: pages built from a small
// configuration, the online branch against the real registration server on
// loopback, and the printed form through the printer seam into a PDF file.
#include "register/dialogs/dlg_error.h"
#include "register/wizard/main_form.h"
#include "tests/platform/http/hostile_replies.h"
#include "tests/register/dialogs/dialog_answers.h"
#include "tests/registrations/service_process.h"
#include "tests/support/test_support.h"
#include "tests/tools/registration-server/server_process.h"

#include <gtest/gtest.h>

#include <optional>

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest/QTest>

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << text.toStdString();
}

namespace {

using testsupport::HostileServer;
using testsupport::RegistrationServerProcess;
using testsupport::ScopedEnv;

// One question page (so the welcome page is page 2) with the worked example's
// questions; every field optional, no age limit.
const QString kConfig = QStringLiteral(R"(<register>
  <use_default>0</use_default>
  <default_language>English</default_language>
  <default_country>France</default_country>
  <default_gamename>Demo Game</default_gamename>
  <default_url>%1</default_url>
  <country src="France|Germany"/>
  <language id="english" country="else" title="Demo Game Registration">
    <connecttoserver>Connecting to the registration server...</connecttoserver>
    <dataerror>Wrong data</dataerror>
    <errorpage><text_not_online src="Not reached"/><text_error src="Refused"/></errorpage>
    <thanksfax src="Printed"/>
    <thanksonline src="Thanks"/>
    <welcome>
      <object type="label" id="0" src="Date of birth" x="100" y="100"/>
      <object type="date" id="0" src="y/m/d" text="Year/Month/Day" x="100" y="500" patten="" optional="1"/>
    </welcome>
    <userinfo>
      <firstname visible="1" src="First name" patten="" optional="1"/>
      <lastname visible="1" src="Last name" patten="" optional="1"/>
      <email visible="1" src="E-mail" patten="" optional="1"/>
      <address1 visible="0"/><address2 visible="0"/><city visible="0" type="text"/>
      <state visible="0" type="text"/><zip visible="0"/><country visible="0"/>
      <phone visible="0"/><login visible="0"/>
    </userinfo>
    <page>
      <object type="label" id="2" src="Where do you play?" x="100" y="100"/>
      <object type="text" id="2" src="" x="100" y="400" width="3000" height="330" maxlength="60" password="" patten="" optional="1"/>
      <object type="label" id="5" src="Do you play online?" x="100" y="900"/>
      <object type="radiobox" id="5" src="No|Yes" x="100|2000" y="1200|1200" width="1500" default="0"/>
      <object type="label" id="7" src="Which genres?" x="100" y="1700"/>
      <object type="checkbox" id="7" src="RPG|Racing" x="100|2000" y="2000|2000" width="1500" optional="1"/>
%2
    </page>
  </language>
</register>)");

const QString kAnswers = QStringLiteral("?ans=2%60Fred%27s%20Garage%7C5%60Yes%7C7%60RPG"
                                        "&FirstName=Ann&LastName=Lee&Email=ann%40example%252Ecom"
                                        "&dob=1990/5/17&pname=Demo%20Game&lang=English");

void selectItem(forms::Control *list, const QString &item)
{
    for (int i = 0; i < list->itemCount(); ++i)
        if (list->item(i) == item)
            list->setListIndex(i);
    ASSERT_EQ(list->text(), item);
}

class SubmissionFlow : public ::testing::Test {
  protected:
    // Builds the wizard from the configuration and walks it to the method
    // screen with the worked example's answers.
    std::unique_ptr<MainForm> toMethodScreen(const QString &url, const QString &extraObjects = {},
                                             WizardServices services = {})
    {
        testsupport::writeFile(dir.path(), "config.xml", kConfig.arg(url, extraObjects));
        services.endProgram = [] {};
        auto w = std::make_unique<MainForm>(dir.path(), QStringList{}, services);
        // No step on the way may stop at a message.
        testsupport::DialogAnswers unexpected;
        w->Form_Load();
        MainForm &m = *w;
        selectItem(m.ctl("cmbCountry"), "France");
        selectItem(m.ctl("cmbLanguage"), "English");
        m.cmdNext_Click();
        EXPECT_EQ(m.state().stage, Stage::Welcome);
        m.ctl("page_2_dat_0y")->setText("1990");
        m.ctl("page_2_dat_0m")->setText("5");
        m.ctl("page_2_dat_0d")->setText("17");
        m.cmdNext_Click();
        EXPECT_EQ(m.state().stage, Stage::Pages);
        m.ctl("txtFirstName")->setText("Ann");
        m.ctl("txtLastName")->setText("Lee");
        m.ctl("txtEmail")->setText("ann@example.com");
        m.cmdNext_Click();
        EXPECT_EQ(m.state().pageIndex, 1);
        m.ctl("page_1_txt_2")->setText("Fred's Garage");
        m.ctl("page_1_rad_5opt1")->setValue(1);
        m.ctl("page_1_chk_7opt0")->setValue(1);
        m.cmdSubmit_Click();
        EXPECT_TRUE(m.ctl("frmMethod")->isVisibleFlag());
        EXPECT_EQ(unexpected.texts(), QStringList{});
        return w;
    }

    // What must hold after any submission: the window usable, the notice
    // gone, its button back, and every answer still in place for Retry.
    static void expectCommonEnding(MainForm &m)
    {
        EXPECT_TRUE(m.isEnabled());
        EXPECT_FALSE(m.errorDialog().isVisible());
        EXPECT_TRUE(m.errorDialog().form().control("cmdQuit")->isVisibleFlag());
        EXPECT_EQ(m.ctl("txtFirstName")->text(), "Ann");
        EXPECT_EQ(m.ctl("txtEmail")->text(), "ann@example.com");
        EXPECT_EQ(m.ctl("page_1_txt_2")->text(), "Fred's Garage");
        EXPECT_EQ(m.ctl("page_1_rad_5opt1")->value(), 1);
        EXPECT_EQ(m.ctl("page_1_chk_7opt0")->value(), 1);
        EXPECT_EQ(m.ctl("page_2_dat_0y")->text(), "1990");
    }

    static QString refusedUrl()
    {
        // A port that was free a moment ago: nothing listens there now.
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        const quint16 port = probe.serverPort();
        probe.close();
        return QStringLiteral("http://127.0.0.1:%1/register.asp").arg(port);
    }

    QTemporaryDir dir;
};

struct OnlineCase {
    const char *name;
    QStringList serverArguments; // empty name: nothing listening
    bool serverRuns;
    int requestTimeoutMs;
    int expectedResult;
    // No reply to read (the HTTP request itself failed): one line on stderr.
    bool requestFails = false;
    // Instead of the registration server: a server with these answers, and
    // whether it stands as the proxy that http_proxy names.
    QList<testsupport::Script> hostileAnswers = {};
    bool viaProxy = false;
};

void PrintTo(const OnlineCase &c, std::ostream *os)
{
    *os << c.name;
}

class OnlineSubmission : public SubmissionFlow, public ::testing::WithParamInterface<OnlineCase> {};

TEST_P(OnlineSubmission, ShowsThePageOfTheReply)
{
    const OnlineCase &c = GetParam();
    std::optional<RegistrationServerProcess> server;
    std::optional<HostileServer> hostile;
    QString url = refusedUrl();
    if (!c.hostileAnswers.isEmpty()) {
        hostile.emplace(c.hostileAnswers);
        ASSERT_NE(hostile->port(), 0);
        url = c.viaProxy ? QStringLiteral("http://registration.example/site/register.asp")
                         : hostile->url("/site/register.asp");
    } else if (c.serverRuns) {
        server.emplace(c.serverArguments);
        ASSERT_NE(server->port(), 0) << server->firstLine().toStdString();
        url = server->url("/register.asp");
    }
    const ScopedEnv proxy("http_proxy",
                          c.viaProxy ? "http://127.0.0.1:" + QByteArray::number(hostile->port())
                                     : QByteArray());
    const ScopedEnv noProxy("no_proxy", {});
    WizardServices services;
    services.requestTimeoutMs = c.requestTimeoutMs;
    auto w = toMethodScreen(url, {}, services);
    MainForm &m = *w;
    ASSERT_EQ(m.ctl("optOnline")->value(), 1);

    testsupport::DialogAnswers seen;
    testing::internal::CaptureStderr();
    m.cmdOk_Click();
    const QString diagnosis = QString::fromStdString(testing::internal::GetCapturedStderr());
    // The connecting notice and nothing else: the reply's page says the rest.
    EXPECT_EQ(seen.texts(), QStringList{m.state().connectToServerText});

    EXPECT_EQ(int(m.state().submitResult), c.expectedResult);
    const bool accepted = c.expectedResult == 0;
    EXPECT_EQ(m.ctl("frmThanksOnline")->isVisibleFlag(), accepted);
    EXPECT_EQ(m.ctl("frmError")->isVisibleFlag(), !accepted);
    if (!accepted) {
        // Result 2 shows the not-reached text (element 1), result 1 the refusal.
        EXPECT_EQ(m.ctl("lblError", 1)->isVisibleFlag(), c.expectedResult == 2);
        EXPECT_EQ(m.ctl("lblError", 2)->isVisibleFlag(), c.expectedResult == 1);
    }
    EXPECT_FALSE(m.ctl("cmdOk")->isEnabled());
    // Normal mode: the request is on the thanks page, but hidden.
    EXPECT_EQ(m.ctl("Text1")->text(), url + kAnswers);
    EXPECT_FALSE(m.ctl("Text1")->isVisibleFlag());
    expectCommonEnding(m);

    // A request that failed leaves one line with the host and the reason,
    // never the player's answers.
    const QStringList failures =
        diagnosis.split('\n').filter("register: the registration request failed: ");
    EXPECT_EQ(failures.size(), c.requestFails ? 1 : 0) << diagnosis.toStdString();
    EXPECT_FALSE(diagnosis.contains("Ann")) << diagnosis.toStdString();

    if (hostile) {
        // The request reached the server (or the proxy) exactly as built.
        const QString origin =
            c.viaProxy ? QStringLiteral("http://registration.example") : QString();
        EXPECT_EQ(hostile->requestLines().value(0),
                  ("GET " + origin + "/site/register.asp" + kAnswers + " HTTP/1.1").toLatin1());
    } else if (c.serverRuns && c.expectedResult != 2) {
        // The server decoded exactly what the player typed.
        const QString log = server->log();
        for (const char *line :
             {"answer 2: Fred's Garage", "answer 5: Yes", "answer 7: RPG", "FirstName: Ann",
              "Email: ann@example.com", "dob: 1990/5/17", "pname: Demo Game", "lang: English"})
            EXPECT_TRUE(log.contains(QLatin1String(line))) << line << "\n" << log.toStdString();
    }
}

// The registration server's own replies, then every reply of the hostile
// table: each ends on the thanks page or the error page as its verdict says.
std::vector<OnlineCase> onlineCases(std::vector<OnlineCase> cases)
{
    for (const testsupport::HostileReply &row : testsupport::hostileReplies())
        cases.push_back(OnlineCase{
            row.name, {}, true, row.timeoutMs, row.ok ? 0 : 2, !row.ok, row.answers, row.viaProxy});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(
    Replies, OnlineSubmission,
    ::testing::ValuesIn(
        onlineCases({OnlineCase{"accepted", {}, true, 10000, 0},
                     OnlineCase{"errorReply", {"--reply", "error"}, true, 10000, 2},
                     OnlineCase{"wrongForm", {"--reply", "wrong-form"}, true, 10000, 1},
                     OnlineCase{"emptyBody", {"--reply", "empty"}, true, 10000, 2},
                     OnlineCase{"status500", {"--reply", "status500"}, true, 10000, 2, true},
                     OnlineCase{"bodyOver1MiB", {"--large-body", "1048577"}, true, 10000, 2, true},
                     OnlineCase{"connectionRefused", {}, false, 10000, 2, true},
                     OnlineCase{"timeOut", {"--delay-ms", "20000"}, true, 300, 2, true}})),
    testsupport::RowName());

TEST_F(SubmissionFlow, TestModeShowsTheExactRequest)
{
    RegistrationServerProcess server;
    ASSERT_NE(server.port(), 0);
    testsupport::writeFile(dir.path(), "nocheck.txt", "");
    auto w = toMethodScreen(server.url("/register.asp"));
    ASSERT_FALSE(w->state().normalMode);
    w->cmdOk_Click();
    EXPECT_EQ(w->state().submitResult, SubmitResult::Accepted);
    EXPECT_EQ(w->ctl("Text1")->text(), server.url("/register.asp") + kAnswers);
    EXPECT_TRUE(w->ctl("Text1")->isVisibleFlag());
}

TEST_F(SubmissionFlow, RetryAfterAnErrorSendsTheSameAnswersAgain)
{
    std::optional<RegistrationServerProcess> refusing(std::in_place,
                                                      QStringList{"--reply", "error"});
    const quint16 port = refusing->port();
    ASSERT_NE(port, 0);
    auto w = toMethodScreen(refusing->url("/register.asp"));
    MainForm &m = *w;
    m.cmdOk_Click();
    ASSERT_EQ(m.state().submitResult, SubmitResult::NoUsableReply);
    ASSERT_TRUE(m.ctl("frmError")->isVisibleFlag());

    // The server recovers on the same address; Retry builds the request again
    // from the answers as they are.
    refusing.reset();
    RegistrationServerProcess accepting({"--port", QString::number(port)});
    ASSERT_EQ(accepting.port(), port) << accepting.firstLine().toStdString();
    m.cmdRetry_Click();

    EXPECT_EQ(m.state().submitResult, SubmitResult::Accepted);
    EXPECT_TRUE(m.ctl("frmThanksOnline")->isVisibleFlag());
    EXPECT_FALSE(m.ctl("frmError")->isVisibleFlag());
    EXPECT_EQ(m.ctl("Text1")->text(), accepting.url("/register.asp") + kAnswers);
    EXPECT_TRUE(accepting.log().contains("answer 2: Fred's Garage"));
    expectCommonEnding(m);
}

// Counts the paint events of a widget.
class PaintCounter : public QObject {
  public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// While the request runs, the window repaints; the connecting notice stands
// (neither its close button nor Escape takes it down) and is application-
// modal, so the main window, disabled, refuses its own close button too. The
// reply then shows its page as usual.
TEST_F(SubmissionFlow, ConnectingNoticeStandsWhileTheRequestRuns)
{
    // The accepting reply in four pieces, a quarter of a second apart.
    HostileServer server({testsupport::drip("HTTP/1.1 200 OK\r\nContent-Length: 15\r\n\r\n",
                                            testsupport::kAccepted, 4, 250)});
    ASSERT_NE(server.port(), 0);
    auto w = toMethodScreen(server.url("/register.asp"));
    MainForm &m = *w;
    m.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m));
    PaintCounter counter;
    m.installEventFilter(&counter);
    bool closed = true;
    bool noticeShown = false;
    bool mainEnabled = true;
    QWidget *modal = nullptr;
    testsupport::DialogAnswers seen;
    // The notice stands from before the request goes out until the reply is
    // in; the repaint asked for here can only happen while the request runs.
    seen.whileShown = [&](DlgError &notice) {
        m.update();
        closed = notice.close();
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&notice, &escape);
        noticeShown = notice.isVisible();
        mainEnabled = m.isEnabled();
        modal = QApplication::activeModalWidget();
        counter.paints = 0;
    };
    m.cmdOk_Click();

    ASSERT_EQ(seen.asked.size(), 1u);
    EXPECT_EQ(seen.asked[0].buttons, DlgError::Buttons::None);
    EXPECT_EQ(seen.asked[0].text, m.state().connectToServerText);
    EXPECT_FALSE(closed);
    EXPECT_TRUE(noticeShown);
    EXPECT_FALSE(mainEnabled);
    EXPECT_EQ(modal, &m.errorDialog());
    EXPECT_GT(counter.paints, 0);
    EXPECT_EQ(server.requestLines().size(), 1);
    EXPECT_EQ(m.state().submitResult, SubmitResult::Accepted);
    EXPECT_TRUE(m.ctl("frmThanksOnline")->isVisibleFlag());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    expectCommonEnding(m);
    m.close();
}

// --- The printed form ---

QStringList pdfLines(const QString &path)
{
    QProcess p;
    p.start("pdftotext", {"-layout", path, "-"});
    EXPECT_TRUE(p.waitForFinished(30000));
    QStringList out;
    for (const QString &line : QString::fromUtf8(p.readAllStandardOutput()).split('\n'))
        if (!line.simplified().isEmpty())
            out << line.simplified();
    return out;
}

int pdfPages(const QString &path)
{
    QProcess p;
    p.start("pdfinfo", {path});
    EXPECT_TRUE(p.waitForFinished(30000));
    const QString info = QString::fromUtf8(p.readAllStandardOutput());
    const qsizetype at = info.indexOf("Pages:");
    return at < 0 ? -1 : info.mid(at + 6).section('\n', 0, 0).trimmed().toInt();
}

// The printer seam: print into a PDF file instead of asking a person.
WizardServices printInto(const QString &pdf, int *asked)
{
    WizardServices services;
    services.choosePrinter = [pdf, asked](QPrinter &printer, QWidget *) {
        ++*asked;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        return true;
    };
    return services;
}

// The player cannot clear both choices, nor set both; code that sets the
// options directly can. Neither does nothing; both register online.
TEST_F(SubmissionFlow, NeitherMethodChosenDoesNothingAndBothRegisterOnline)
{
    const struct {
        const char *name;
        bool online;
        bool print;
        const char *screen; // shown afterwards
        int notices;
    } rows[] = {
        {"neither", false, false, "frmMethod", 0},
        {"both", true, true, "frmError", 1},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        int printerAsked = 0;
        auto w =
            toMethodScreen(refusedUrl(), {}, printInto(dir.filePath("form.pdf"), &printerAsked));
        MainForm &m = *w;
        for (const char *name : {"optOnline", "optPrint"})
            qobject_cast<QRadioButton *>(m.ctl(name)->widget())->setAutoExclusive(false);
        m.ctl("optOnline")->setValue(r.online ? 1 : 0);
        m.ctl("optPrint")->setValue(r.print ? 1 : 0);
        testsupport::DialogAnswers seen;
        testing::internal::CaptureStderr();
        m.cmdOk_Click();
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(int(seen.asked.size()), r.notices);
        EXPECT_EQ(printerAsked, 0);
        EXPECT_TRUE(m.ctl(r.screen)->isVisibleFlag());
        EXPECT_EQ(m.ctl("cmdOk")->isEnabled(), !r.online);
        EXPECT_FALSE(m.errorDialog().isVisible());
    }
}

TEST_F(SubmissionFlow, PrintsTheFormAndThanks)
{
    // A long question and enough questions for a second page.
    const QString longQuestion =
        QString("Tell us more about the way you play. ").repeated(7).left(250);
    QString extra = QStringLiteral(R"(<object type="label" id="8" src="%1" x="100" y="2500"/>)")
                        .arg(longQuestion);
    for (int id = 10; id < 40; ++id)
        extra += QStringLiteral(R"(<object type="label" id="%1" src="Question %1" x="100" y="3000"/>
<object type="text" id="%1" src="Answer %1" x="3000" y="3000" width="1000" height="300" maxlength="60" password="" patten="" optional="1"/>)")
                     .arg(id);

    const QString pdf = dir.filePath("form.pdf");
    int asked = 0;
    auto w = toMethodScreen(refusedUrl(), extra, printInto(pdf, &asked));
    MainForm &m = *w;
    m.ctl("optPrint")->setValue(1);
    testsupport::DialogAnswers seen;
    m.cmdOk_Click();

    EXPECT_EQ(asked, 1);
    EXPECT_EQ(seen.texts(), QStringList{m.state().connectToServerText});
    EXPECT_TRUE(m.ctl("frmThanksPrint")->isVisibleFlag());
    EXPECT_FALSE(m.ctl("cmdOk")->isEnabled());
    expectCommonEnding(m);

    ASSERT_TRUE(QFile::exists(pdf));
    EXPECT_GE(pdfPages(pdf), 2);
    QStringList expected{"Product Registration",
                         "Demo Game",
                         "1. First name",
                         "Ann",
                         "2. Last name",
                         "Lee",
                         "3. Date of birth",
                         "1990/5/17",
                         "4. E-mail",
                         "ann@example.com",
                         "5. Where do you play?",
                         "Fred's Garage",
                         "6. Do you play online?",
                         "Yes",
                         "7. Which genres?",
                         "RPG"};
    // The line breaker counts the number, the full stop and the tab.
    const QString numbered = "8.\t" + longQuestion;
    // The long question has no answer: its answer line is blank.
    expected << numbered.left(120).simplified() << numbered.mid(120, 120).simplified()
             << numbered.mid(240).simplified();
    for (int id = 10, n = 9; id < 40; ++id, ++n)
        expected << QStringLiteral("%1. Question %2").arg(n).arg(id)
                 << QStringLiteral("Answer %1").arg(id);
    EXPECT_EQ(pdfLines(pdf), expected);
}

TEST_F(SubmissionFlow, CancellingThePrinterDialogPrintsNothingAndStays)
{
    WizardServices services;
    services.choosePrinter = [](QPrinter &, QWidget *) { return false; };
    auto w = toMethodScreen(refusedUrl(), {}, services);
    MainForm &m = *w;
    m.ctl("optPrint")->setValue(1);
    testsupport::DialogAnswers seen;
    m.cmdOk_Click();
    // Cancelling is the player's own choice: no message follows the notice.
    EXPECT_EQ(seen.texts(), QStringList{m.state().connectToServerText});
    EXPECT_TRUE(m.ctl("frmMethod")->isVisibleFlag());
    EXPECT_FALSE(m.ctl("frmThanksPrint")->isVisibleFlag());
    EXPECT_TRUE(m.ctl("cmdOk")->isEnabled());
    expectCommonEnding(m);
}

TEST_F(SubmissionFlow, APrintThatFailsIsReportedAndTheMethodScreenStays)
{
    const struct {
        const char *name;
        QString output;       // relative to the test folder, or absolute
        rlim_t fileSizeLimit; // 0: none
        const char *language; // the language in use
        const char *message;  // what the message says
    } cases[] = {
        {"noSuchFolder", "no/such/folder/form.pdf", 0, "English", "could not be printed"},
        {"fullDevice", "/dev/full", 0, "English", "could not be printed"},
        {"fileSizeLimit", "form.pdf", 2048, "English", "could not be printed"},
        {"fileSizeLimitInFrench", "form.pdf", 2048, "French", "n'a pas pu être imprimé"},
        {"fileSizeLimitInDutch", "form.pdf", 2048, "dutch", "kon niet worden afgedrukt"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString pdf = QDir(dir.path()).filePath(c.output);
        QFile::remove(dir.filePath("form.pdf"));
        int asked = 0;
        auto w = toMethodScreen(refusedUrl(), {}, printInto(pdf, &asked));
        MainForm &m = *w;
        m.state().currentLanguage = QString::fromUtf8(c.language);
        m.ctl("optPrint")->setValue(1);
        testsupport::DialogAnswers player;
        {
            std::optional<testsupport::FileSizeLimit> limit;
            if (c.fileSizeLimit)
                limit.emplace(c.fileSizeLimit);
            m.cmdOk_Click();
        }
        EXPECT_EQ(asked, 1);
        // The connecting notice, then the message with OK alone.
        ASSERT_EQ(player.asked.size(), 2u);
        EXPECT_EQ(player.asked[0].buttons, DlgError::Buttons::None);
        EXPECT_EQ(player.asked[1].buttons, DlgError::Buttons::Ok);
        const QString shown = player.asked[1].text;
        EXPECT_TRUE(shown.contains(QString::fromUtf8(c.message))) << shown.toStdString();
        EXPECT_TRUE(m.ctl("frmMethod")->isVisibleFlag());
        EXPECT_FALSE(m.ctl("frmThanksPrint")->isVisibleFlag());
        EXPECT_TRUE(m.ctl("cmdOk")->isEnabled());
        expectCommonEnding(m);
    }
}

// The wizard registering through the registrations service: over HTTP, and
// over HTTPS with a certificate of a private authority, which the wizard
// trusts only when SSL_CERT_FILE names it.
struct ServiceCase {
    const char *name;
    bool tls;
    bool trusted;
    int expectedResult;
};

void PrintTo(const ServiceCase &c, std::ostream *os)
{
    *os << c.name;
}

class ThroughTheService : public SubmissionFlow,
                          public ::testing::WithParamInterface<ServiceCase> {};

TEST_P(ThroughTheService, StoresWhatTheWizardSentAndExportsIt)
{
    const ServiceCase &c = GetParam();
    QTemporaryDir serviceDir;
    const QString db = serviceDir.filePath(QStringLiteral("registrations.db"));
    // The service reads the same configuration; only the path of its address counts.
    const QString config = testsupport::writeFile(
        serviceDir.path(), QStringLiteral("config.xml"),
        kConfig.arg(QStringLiteral("http://register.example/register.asp"), QString()));
    QStringList arguments{QStringLiteral("--config"), config};
    if (c.tls) {
        ASSERT_TRUE(testsupport::makeTestCertificates(serviceDir.path()));
        arguments << QStringLiteral("--tls-cert")
                  << serviceDir.filePath(QStringLiteral("server.pem"))
                  << QStringLiteral("--tls-key")
                  << serviceDir.filePath(QStringLiteral("server.key"));
    }
    testsupport::ServiceProcess service(db, arguments);
    ASSERT_NE(service.port(), 0) << service.errors().toStdString();
    const QString url = QStringLiteral("%1://127.0.0.1:%2/register.asp")
                            .arg(c.tls ? QStringLiteral("https") : QStringLiteral("http"))
                            .arg(service.port());
    const ScopedEnv noBundle("CURL_CA_BUNDLE", {});
    const ScopedEnv certFile(
        "SSL_CERT_FILE",
        c.trusted && c.tls ? serviceDir.filePath(QStringLiteral("ca.pem")).toUtf8() : QByteArray());
    const ScopedEnv noProxy("no_proxy", "*");
    auto w = toMethodScreen(url);
    MainForm &m = *w;
    testsupport::DialogAnswers seen;
    testing::internal::CaptureStderr();
    m.cmdOk_Click();
    const QString diagnosis = QString::fromStdString(testing::internal::GetCapturedStderr());
    // The connecting notice and nothing else: the reply's page says the rest.
    EXPECT_EQ(seen.texts(), QStringList{m.state().connectToServerText});
    EXPECT_EQ(int(m.state().submitResult), c.expectedResult);
    EXPECT_EQ(m.ctl("frmThanksOnline")->isVisibleFlag(), c.expectedResult == 0);
    if (c.expectedResult != 0) {
        EXPECT_TRUE(diagnosis.contains(QStringLiteral("certificate"))) << diagnosis.toStdString();
    }
    EXPECT_EQ(service.stop(), 0);

    const auto exported = testsupport::runRegistrations(
        {QStringLiteral("export"), QStringLiteral("--db"), db, QStringLiteral("--config"), config});
    ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    const QList<QByteArray> lines = exported.out.split('\n');
    EXPECT_EQ(lines.value(0), "FirstName,LastName,dob,Email,Where do you play?,"
                              "Do you play online?,Which genres?,received,game,language,number\r");
    if (c.expectedResult == 0) {
        ASSERT_EQ(lines.size(), 3) << exported.out.toStdString();
        EXPECT_TRUE(lines[1].startsWith("Ann,Lee,1990/5/17,ann@example.com,Fred's Garage,Yes,RPG,"))
            << lines[1].toStdString();
        EXPECT_TRUE(lines[1].endsWith(",Demo Game,English,1\r")) << lines[1].toStdString();
    } else {
        EXPECT_EQ(lines.size(), 2) << exported.out.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, ThroughTheService,
                         ::testing::Values(ServiceCase{"plainHttp", false, false, 0},
                                           ServiceCase{"tlsWithTheAuthorityNamed", true, true, 0},
                                           ServiceCase{"tlsWithAnUnknownAuthority", true, false,
                                                       2}),
                         testsupport::RowName());

} // namespace
