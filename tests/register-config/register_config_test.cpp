// The register-config program as a publisher runs it: check a config.xml and
// preview its screens, from the built program in a temporary folder.
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

namespace {

struct Outcome {
    int status = -1;
    QString out;
    QString err;
};

Outcome runProgram(const QString &workDir, const QStringList &args)
{
    QProcess p;
    p.setWorkingDirectory(workDir);
    p.start(QDir(testsupport::binDir()).filePath("register-config"), args);
    Outcome run;
    if (!p.waitForFinished(120000)) {
        p.kill();
        ADD_FAILURE() << "register-config did not end";
        return run;
    }
    run.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}

QString sampleConfig()
{
    return QDir(testsupport::sourceDir()).filePath("register/sample/config.xml");
}

// --- check ------------------------------------------------------------------

struct CheckCase {
    const char *name;
    const char *configText; // written as config.xml; nullptr: none
    QStringList args;       // after "check"
    int status;
    QString out;     // exactly
    QString errPart; // contained in standard error; empty: nothing there
};

// Test names carry the row's name; the row's bytes say nothing.
void PrintTo(const CheckCase &c, std::ostream *os)
{
    *os << c.name;
}

class CheckTable : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckTable, PrintsTheProblemsAndAnswersWithTheStatus)
{
    const CheckCase &c = GetParam();
    QTemporaryDir dir;
    if (c.configText)
        testsupport::writeFile(dir.path(), "config.xml", QString::fromUtf8(c.configText));
    const Outcome run = runProgram(dir.path(), QStringList{"check"} + c.args);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, c.out);
    if (c.errPart.isEmpty())
        EXPECT_EQ(run.err, QString());
    else
        EXPECT_TRUE(run.err.contains(c.errPart)) << run.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    RegisterConfig, CheckTable,
    ::testing::Values(CheckCase{"SampleHasNoProblem", nullptr, {sampleConfig()}, 0, "", ""},
                      CheckCase{
                          "MissingFileCannotBeRead", nullptr, {"absent.xml"}, 2, "", "absent.xml"},
                      // Without an argument the file is config.xml in the current folder.
                      CheckCase{"NotWellFormedCannotBeRead",
                                "<register><language id=\"english\">",
                                {},
                                2,
                                "",
                                "config.xml"},
                      CheckCase{"UnknownOptionIsAUsageError",
                                nullptr,
                                {"--out", "x"},
                                2,
                                "",
                                "unrecognized option '--out'"}),
    [](const auto &info) { return std::string(info.param.name); });

// --- preview ----------------------------------------------------------------

// An English section for every country but Canada, and Canada's own one,
// which registers online only and has two question pages.
const char kTwoSections[] = R"(<register>
  <use_default>0</use_default>
  <default_language>english</default_language>
  <default_country>Canada</default_country>
  <default_gamename>Test Game</default_gamename>
  <default_url>http://127.0.0.1:9/register</default_url>
  <country src="Canada|France"/>
  <age>
    <object country="France" age="15" option="0" prompt="Trop jeune"/>
    <else age="13" option="1" prompt="Too young`Ask a parent"/>
  </age>
  %1
</register>)";

QString section(const char *country, int width, int height, int pages, bool onlineOnly)
{
    QString pageXml;
    for (int i = 1; i <= pages; ++i)
        pageXml +=
            QStringLiteral(R"(<page><object type="label" id="1" src="Question %1" x="800" y="1500"/>
            <object type="text" id="2" src="" x="3600" y="1450" width="3000" height="330" maxlength="0" patten="" password="" optional="1"/></page>)")
                .arg(i);
    return QStringLiteral(
               R"(<language id="english" country="%1" width="%2" height="%3" title="T" forecolor="000000" backcolor="FFFFFF">
    <selectlanguage>Region and language</selectlanguage>
    <onlineonly>%4</onlineonly>
    <dataerror>Wrong data</dataerror>
    <welcomepic src="WELCOMETITLE_1" src2="WELCOMETITLE_2" x="1732" y="250"/>
    <ok src="OK" srcover="OK_OVER"/><cancel src="CANCEL" srcover="CANCEL_OVER"/>
    <prev src="PREVIOUS" srcover="PREVIOUS_OVER"/><next src="NEXT" srcover="NEXT_OVER"/>
    <submit src="SUBMIT" srcover="SUBMIT_OVER"/><finish src="FINISH" srcover="FINISH_OVER"/>
    <retry src="RETRY" srcover="RETRY_OVER"/><exit src="EXIT" srcover="EXIT_OVER"/>
    <quit src="OK" srcover="OK_OVER"/>
    <welcome><object type="label" id="0" src="Welcome" x="800" y="1500"/></welcome>
    %5
  </language>)")
        .arg(QLatin1String(country))
        .arg(width)
        .arg(height)
        .arg(onlineOnly ? 1 : 0)
        .arg(pageXml);
}

QString twoSections()
{
    return QString::fromLatin1(kTwoSections)
        .arg(section("else", 9765, 6885, 1, false) + section("Canada", 9000, 6000, 2, true));
}

const QStringList kEverySection = {"region",         "welcome",          "message-age",
                                   "register-later", "personal",         "message-data-error",
                                   "page-01",        "method",           "thanks-online",
                                   "thanks-print",   "error-not-online", "error-refused"};
const QStringList kOnlineOnlyTwoPages = {
    "region",  "welcome", "message-age",   "register-later",   "personal",     "message-data-error",
    "page-01", "page-02", "thanks-online", "error-not-online", "error-refused"};

QStringList filesOf(const QString &slug, const QStringList &screens)
{
    QStringList files;
    for (const QString &s : screens)
        files << slug + '-' + s + ".png";
    return files;
}

bool blank(const QImage &image)
{
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != first)
                return false;
    return true;
}

struct PreviewCase {
    const char *name;
    QStringList options;
    QStringList english;  // screens of the "else" section
    QStringList canadian; // screens of Canada's section
};

void PrintTo(const PreviewCase &c, std::ostream *os)
{
    *os << c.name;
}

class PreviewTable : public ::testing::TestWithParam<PreviewCase> {};

TEST_P(PreviewTable, DrawsEveryScreenAtTheWindowsSizeAndListsItOnTheSheet)
{
    const PreviewCase &c = GetParam();
    QTemporaryDir dir;
    testsupport::writeFile(dir.path(), "game.xml", twoSections());
    const Outcome run =
        runProgram(dir.path(), QStringList{"preview", "game.xml", "--out", "sheet"} + c.options);
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QString());

    const QStringList english = filesOf("english", c.english);
    const QStringList canadian = filesOf("english-canada", c.canadian);
    const QDir out(dir.filePath("sheet"));
    const QStringList written = out.entryList(QDir::Files);
    EXPECT_EQ(QSet<QString>(written.begin(), written.end()),
              QSet<QString>(english.begin(), english.end()) +
                  QSet<QString>(canadian.begin(), canadian.end()) + QSet<QString>{"index.html"});

    const QString sheet = testsupport::readFile(out.filePath("index.html"));
    const auto expectScreens = [&](const QStringList &files, QSize size) {
        qsizetype previous = -1;
        for (const QString &file : files) {
            const QImage image(out.filePath(file));
            EXPECT_EQ(image.size(), size) << file.toStdString();
            EXPECT_FALSE(blank(image)) << file.toStdString();
            // Named on the sheet, in the order the player meets the screens.
            const qsizetype at = sheet.indexOf("src=\"" + file + "\"");
            EXPECT_GT(at, previous) << file.toStdString();
            previous = at;
        }
    };
    expectScreens(english, QSize(651, 459));
    expectScreens(canadian, QSize(600, 400));
}

INSTANTIATE_TEST_SUITE_P(
    RegisterConfig, PreviewTable,
    ::testing::Values(PreviewCase{"EverySection", {}, kEverySection, kOnlineOnlyTwoPages},
                      // A player from Canada gets Canada's section only.
                      PreviewCase{"OneCountry", {"--country", "Canada"}, {}, kOnlineOnlyTwoPages},
                      // France has no English section of its own: the one for
                      // every other country, with France's age limit.
                      PreviewCase{"OneLanguageOneCountry",
                                  {"--language=ENGLISH", "--country", "France"},
                                  kEverySection,
                                  {}}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
