// The register-config program as a publisher runs it: check a config.xml and
// preview its screens, from the built program in a temporary folder.
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <sys/stat.h>

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

// A whole language section: every element a section has, one per line.
QString section(const char *country, int width, int height, int pages, bool onlineOnly)
{
    QString pageXml;
    for (int i = 1; i <= pages; ++i)
        pageXml += QStringLiteral(R"(
    <page>
      <object type="label" id="%1" src="Question %1" x="800" y="1500"/>
      <object type="text" id="%1" src="" x="3600" y="1450" width="3000" height="330" maxlength="0" patten="" password="" optional="1"/>
    </page>)")
                       .arg(i);
    QString fields;
    for (const char *field : {"firstname", "lastname", "address1", "address2", "zip", "phone",
                              "login", "email", "city", "state"})
        fields += QStringLiteral(R"(
      <%1 visible="0" src="%1" x1="600" y1="1760" width1="1600" height1="300" x2="2250" y2="1700" width2="2500" height2="330" maxlength="40" patten="" optional="1"/>)")
                      .arg(QLatin1String(field));
    // The country field takes no length, pattern or optional flag.
    fields += QStringLiteral(R"(
      <country visible="0" src="country" x1="600" y1="1760" width1="1600" height1="300" x2="2250" y2="1700" width2="2500" height2="330"/>)");
    return QStringLiteral(R"(
  <language id="english" country="%1" width="%2" height="%3" title="T" forecolor="000000" backcolor="FFFFFF">
    <selectlanguage>Region and language</selectlanguage>
    <errorlanguage>Choose a language</errorlanguage>
    <errorregion>Choose a region</errorregion>
    <onlineonly>%4</onlineonly>
    <connecttoserver>Connecting</connecttoserver>
    <dataerror>Wrong data</dataerror>
    <welcomepic src="WELCOMETITLE_1" src2="WELCOMETITLE_2" x="1732" y="250"/>
    <ok src="OK" srcover="OK_OVER"/>
    <cancel src="CANCEL" srcover="CANCEL_OVER"/>
    <prev src="PREVIOUS" srcover="PREVIOUS_OVER"/>
    <next src="NEXT" srcover="NEXT_OVER"/>
    <submit src="SUBMIT" srcover="SUBMIT_OVER"/>
    <finish src="FINISH" srcover="FINISH_OVER"/>
    <retry src="RETRY" srcover="RETRY_OVER"/>
    <exit src="EXIT" srcover="EXIT_OVER"/>
    <quit src="QUIT" srcover="QUIT_OVER"/>
    <methodpage>
      <text src="How?" x="1500" y="1600"/>
      <online src="Online" x="1800" y="2700" width="3000" height="400"/>
      <print src="Print" x="1800" y="3300" width="3000" height="400"/>
    </methodpage>
    <errorpage>
      <text_not_online src="Not reached" x="1500" y="1800"/>
      <text_error src="Refused" x="1500" y="1800"/>
    </errorpage>
    <thanksfax src="Thanks, printed" x="1500" y="1800"/>
    <thanksonline src="Thanks, online" x="1500" y="1800"/>
    <welcome>
      <object type="label" id="1" src="Welcome" x="3700" y="1400"/>
    </welcome>
    <userinfo>%5
    </userinfo>%6
    <cancelpage>
      <text src="Later?" x="400" y="300" width="5200" height="700"/>
      <later src1="Remind me in" days="7" src2="days" x="400" y="1250" width="1800" height="350"/>
      <tomorrow src="Tomorrow" x="400" y="1750" width="4800" height="350"/>
      <cancel src="Never" x="400" y="2250" width="4800" height="350"/>
    </cancelpage>
  </language>)")
        .arg(QLatin1String(country))
        .arg(width)
        .arg(height)
        .arg(onlineOnly ? 1 : 0)
        .arg(fields, pageXml);
}

QString twoSections()
{
    return QString::fromLatin1(kTwoSections)
        .arg(section("else", 9765, 6885, 1, false) + section("Canada", 9000, 6000, 2, true));
}

const QString noPictures =
    "the program carries no pictures for \"portuguese\" (it has dutch, english, french, german, "
    "italian and spanish); the window has no background and every picture button shows its "
    "name [no-pictures]\n";

// Both sections in a language the program has no pictures for.
QString withoutPictures()
{
    return twoSections().replace(R"(id="english")", R"(id="portuguese")");
}

QString withMistakes()
{
    QString text = twoSections();
    text.replace(R"(age="15")", R"(age="fifteen")");
    const qsizetype canada = text.indexOf(R"(country="Canada" width)");
    text.replace(text.indexOf(R"(src="NEXT")", canada), 10, R"(src="NEXTT")");
    text.replace(text.lastIndexOf(R"(type="text")"), 11, R"(type="slider")");
    return text;
}

const QStringList kEverySection = {"region",         "welcome",      "message-age",
                                   "register-later", "personal",     "message-data-error",
                                   "page-01",        "method",       "thanks-online",
                                   "thanks-print",   "printed-form", "error-not-online",
                                   "error-refused"};
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

TEST_P(PreviewTable, DrawsEveryScreen)
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
            // The printed form is a page of paper, upright; the rest are the window.
            if (file.endsWith("-printed-form.png"))
                EXPECT_GT(image.height(), image.width()) << file.toStdString();
            else
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
    testsupport::RowName());

// Reads the program's standard output line by line until a line starts with
// `opening`; bounded, so that a watch that never redraws fails the test.
QString waitForLine(QProcess &p, const QString &opening)
{
    for (int tries = 0; tries < 600; ++tries) {
        while (p.canReadLine()) {
            const QString line = QString::fromUtf8(p.readLine()).trimmed();
            if (line.startsWith(opening))
                return line;
        }
        if (p.state() != QProcess::Running)
            break;
        p.waitForReadyRead(200);
    }
    ADD_FAILURE() << "no line starting with " << opening.toStdString()
                  << "; stderr: " << p.readAllStandardError().toStdString();
    return {};
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A saved edit of one section draws that section again, and only that one;
// the sheet's version moves on so that an open sheet reloads itself.
TEST(PreviewWatch, RedrawsTheEditedSectionOnly)
{
    QTemporaryDir dir;
    const QString config = testsupport::writeFile(dir.path(), "game.xml", twoSections());
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(QDir(testsupport::binDir()).filePath("register-config"),
            {"preview", "game.xml", "--out", "sheet", "--watch"});
    ASSERT_TRUE(p.waitForStarted());
    EXPECT_EQ(waitForLine(p, "drawn:"), "drawn: english, english (Canada)");
    ASSERT_FALSE(waitForLine(p, "watching").isEmpty());

    const QDir out(dir.filePath("sheet"));
    const QByteArray englishBefore = bytesOf(out.filePath("english-page-01.png"));
    const QByteArray canadaBefore = bytesOf(out.filePath("english-canada-page-01.png"));
    const QDateTime canadaWritten =
        QFileInfo(out.filePath("english-canada-page-01.png")).lastModified();
    EXPECT_EQ(bytesOf(out.filePath("sheet-version.js")), "sheetVersion(1);\n");
    EXPECT_TRUE(testsupport::readFile(out.filePath("index.html")).contains("sheet-version.js"));

    // The first section is the one for every other country.
    QString text = twoSections();
    text.replace(text.indexOf("Question 1"), 10, "A much longer first question");
    QFile edit(config);
    ASSERT_TRUE(edit.open(QIODevice::WriteOnly | QIODevice::Truncate));
    edit.write(text.toUtf8());
    edit.close();

    EXPECT_EQ(waitForLine(p, "redrawn:"), "redrawn: english");
    EXPECT_NE(bytesOf(out.filePath("english-page-01.png")), englishBefore);
    EXPECT_EQ(bytesOf(out.filePath("english-canada-page-01.png")), canadaBefore);
    EXPECT_EQ(QFileInfo(out.filePath("english-canada-page-01.png")).lastModified(), canadaWritten);
    EXPECT_EQ(bytesOf(out.filePath("sheet-version.js")), "sheetVersion(2);\n");
    const QString sheet = testsupport::readFile(out.filePath("index.html"));
    EXPECT_TRUE(sheet.contains("english-page-01.png?v=2")) << sheet.toStdString();
    EXPECT_TRUE(sheet.contains("english-canada-page-01.png?v=1")) << sheet.toStdString();

    p.terminate();
    if (!p.waitForFinished(10000))
        p.kill();
}

// twoSections() with one change: `from` (its first occurrence at or after
// `after`) becomes `to`.
QString changed(const QString &from, const QString &to, const QString &after = QString())
{
    QString text = twoSections();
    const qsizetype at = text.indexOf(from, after.isEmpty() ? 0 : text.indexOf(after));
    return text.replace(at, from.size(), to);
}

const QString kAcceptNoPictures = "<!-- register-config: accept no-pictures -->\n";

// Three languages, the third without built-in pictures.
QString threeLanguages()
{
    return QString::fromLatin1(kTwoSections)
        .arg(
            section("else", 9765, 6885, 1, false) +
            section("else", 9765, 6885, 1, false).replace(R"(id="english")", R"(id="french")") +
            section("else", 9765, 6885, 1, false).replace(R"(id="english")", R"(id="portuguese")"));
}

const QString kPlainHttpLine =
    "config.xml:6:3: <default_url>http://register.example/register</default_url>: the "
    "registration address is plain http://, so the player's personal data travels "
    "unencrypted; the wizard sends it so; an https:// address protects it [plain-http]\n";

// --- check ------------------------------------------------------------------

struct CheckCase {
    const char *name;
    QString configText; // written as config.xml; empty: none
    QStringList args;   // after "check"
    int status;
    QString out;     // exactly
    QString errPart; // contained in standard error; empty: nothing there
    // Files written under pictures/ beside the configuration: a 100 x 20
    // picture each, or, for a path after "!", bytes that are no picture.
    QStringList pictures = {};
    bool configIsFifo = false; // config.xml is a FIFO nobody writes to
    // The file's bytes are its text in Latin-1 (as Windows-1252 writes
    // accented letters), not UTF-8.
    bool latin1 = false;
};

void writePictures(const QString &folder, const QStringList &pictures)
{
    for (const QString &spec : pictures) {
        const bool broken = spec.startsWith(u'!');
        const QString path = QDir(folder).filePath("pictures/" + spec.mid(broken ? 1 : 0));
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (broken) {
            testsupport::writeFile(QFileInfo(path).absolutePath(), QFileInfo(path).fileName(),
                                   "GIF89a and then nothing");
            continue;
        }
        QImage image(100, 20, QImage::Format_RGB32);
        image.fill(Qt::darkRed);
        ASSERT_TRUE(image.save(path));
    }
}

// Test names carry the row's name; the row's bytes say nothing.
void PrintTo(const CheckCase &c, std::ostream *os)
{
    *os << c.name;
}

class CheckTable : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckTable, Prints)
{
    const CheckCase &c = GetParam();
    QTemporaryDir dir;
    if (c.latin1) {
        QFile file(dir.filePath("config.xml"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(c.configText.toLatin1()), c.configText.size());
    } else if (!c.configText.isEmpty()) {
        testsupport::writeFile(dir.path(), "config.xml", c.configText);
    }
    writePictures(dir.path(), c.pictures);
    if (c.configIsFifo) {
        ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("config.xml")).constData(), 0600), 0);
    }
    const Outcome run = runProgram(dir.path(), QStringList{"check"} + c.args);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out.toStdString(), c.out.toStdString());
    if (c.errPart.isEmpty())
        EXPECT_EQ(run.err, QString());
    else
        EXPECT_TRUE(run.err.contains(c.errPart)) << run.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    RegisterConfig, CheckTable,
    ::testing::Values(
        CheckCase{"SampleHasNoProblem", {}, {sampleConfig()}, 0, "", ""},
        CheckCase{"TwoSectionsHaveNoProblem", twoSections(), {}, 0, "", ""},
        // Plain HTTP to another machine is said once, for the whole file; the
        // loopback address above and HTTPS are not.
        CheckCase{"PlainHttpAddressSaidOnce",
                  twoSections().replace("http://127.0.0.1:9/register",
                                        "http://register.example/register"),
                  {},
                  0,
                  kPlainHttpLine,
                  ""},
        CheckCase{"HttpsAddressHasNoProblem",
                  twoSections().replace("http://127.0.0.1:9/register",
                                        "https://register.example/register"),
                  {},
                  0,
                  "",
                  ""},
        // France's age entry belongs to neither section's country: it is read
        // all the same. The Canadian section's mistakes name that section.
        CheckCase{"KnownMistakes",
                  withMistakes(),
                  {},
                  1,
                  "config.xml:9:5: <object age=\"fifteen\">: the age is not a number; no age "
                  "limit applies\n"
                  "config.xml:79:5: <next src=\"NEXTT\"> in the section \"english, Canada\": "
                  "\"NEXTT\" is not among the pictures of english; the button shows its name\n"
                  "config.xml:118:7: <object type=\"slider\" id=\"2\"> in the section "
                  "\"english, Canada\": question page 2: the type is not known; the object is "
                  "skipped\n",
                  ""},
        // Reported once per section, in the section's own spelling, though the
        // walk meets the language under its listed name too.
        CheckCase{"LanguageWithoutPicturesOncePerSection",
                  withoutPictures(),
                  {},
                  0,
                  "config.xml:13:3: <language id=\"portuguese\"> in the section \"portuguese\": " +
                      noPictures +
                      "config.xml:68:3: <language id=\"portuguese\"> in the section "
                      "\"portuguese, Canada\": " +
                      noPictures,
                  ""},
        // The publisher's pictures beside the configuration, for one section
        // or for all; names are matched whatever their letter case.
        CheckCase{"OwnPicturesHaveNoProblem",
                  withoutPictures(),
                  {},
                  0,
                  "",
                  "",
                  {"portuguese/next.png",
                   "Portuguese/NEXT_OVER.PNG",
                   "back.png",
                   "OK.png",
                   "OK_OVER.png",
                   "CANCEL.png",
                   "CANCEL_OVER.png",
                   "PREVIOUS.png",
                   "PREVIOUS_OVER.png",
                   "SUBMIT.png",
                   "SUBMIT_OVER.png",
                   "FINISH.png",
                   "FINISH_OVER.png",
                   "RETRY.png",
                   "RETRY_OVER.png",
                   "EXIT.png",
                   "EXIT_OVER.png",
                   "QUIT.png",
                   "QUIT_OVER.png",
                   "WELCOMETITLE_1.jpg",
                   "WELCOMETITLE_2.jpg"}},
        CheckCase{"OwnPictureThatDoesNotDecode",
                  twoSections(),
                  {},
                  1,
                  "config.xml:24:5: <next srcover=\"NEXT_OVER\"> in the section \"english\": "
                  "\"NEXT_OVER\" is the file pictures/english/NEXT_OVER.gif, which does not "
                  "decode as a PNG, JPEG or GIF picture; the button keeps its normal picture "
                  "under the mouse\n"
                  "config.xml:79:5: <next srcover=\"NEXT_OVER\"> in the section \"english, "
                  "Canada\": \"NEXT_OVER\" is the file pictures/english/NEXT_OVER.gif, which "
                  "does not decode as a PNG, JPEG or GIF picture; the button keeps its normal "
                  "picture under the mouse\n",
                  "",
                  {"!english/NEXT_OVER.gif"}},
        // An own picture for Portuguese makes its names count one by one.
        CheckCase{
            "OwnPictureNameNobodyProvides",
            withoutPictures().replace(R"(<exit src="EXIT")", R"(<exit src="LEAVE")"),
            {},
            1,
            "config.xml:28:5: <exit src=\"LEAVE\"> in the section \"portuguese\": "
            "\"LEAVE\" is not among the pictures of portuguese; the button shows its "
            "name\n"
            "config.xml:83:5: <exit src=\"LEAVE\"> in the section \"portuguese, "
            "Canada\": \"LEAVE\" is not among the pictures of portuguese; the button "
            "shows its name\n",
            "",
            {"back.png",          "OK.png",        "OK_OVER.png",        "CANCEL.png",
             "CANCEL_OVER.png",   "NEXT.png",      "NEXT_OVER.png",      "PREVIOUS.png",
             "PREVIOUS_OVER.png", "SUBMIT.png",    "SUBMIT_OVER.png",    "FINISH.png",
             "FINISH_OVER.png",   "RETRY.png",     "RETRY_OVER.png",     "EXIT_OVER.png",
             "QUIT.png",          "QUIT_OVER.png", "WELCOMETITLE_1.jpg", "WELCOMETITLE_2.jpg"}},
        // A reminder could not hand the name back on its command line.
        CheckCase{"GameNameWithBlankAndSlash",
                  twoSections().replace("Test Game", "Ember Reach /Gold /Edition"),
                  {},
                  1,
                  "config.xml:5:3: <default_gamename>: holds \" /\", which no command line can "
                  "carry; a reminder leaves the name out and the relaunched wizard reads it here "
                  "again\n",
                  ""},
        // Nor could it hand back a country of the list that holds " /".
        CheckCase{"CountryWithBlankAndSlash",
                  twoSections().replace("Canada|France", "Canada|Bosnia /Herzegovina|France"),
                  {},
                  1,
                  "config.xml:7:3: <country>: the country \"Bosnia /Herzegovina\" holds \" /\", "
                  "which no command line can carry; a reminder leaves the country out and the "
                  "relaunched wizard takes <default_country> instead\n",
                  ""},
        // Mistakes the wizard passes over silently, each one located line.
        CheckCase{"MisspeltOptionalAttributes",
                  changed(R"(maxlength="40" patten="" optional="1")",
                          R"(maxlenght="40" patten="" optinal="1")"),
                  {},
                  1,
                  "config.xml:45:7: <firstname maxlenght=\"40\"> in the section "
                  "\"english\": the attribute \"maxlenght\" is not known here (did you mean "
                  "`maxlength`?); it is ignored\n"
                  "config.xml:45:7: <firstname optinal=\"1\"> in the section "
                  "\"english\": the attribute \"optinal\" is not known here (did you mean "
                  "`optional`?); it is ignored\n",
                  ""},
        CheckCase{
            "SameIdTwiceOnAPage",
            changed(
                "    </page>",
                R"(      <object type="combo" id="1" src="A|B" x="800" y="2500" width="2000" default=""/>
    </page>)"),
            {},
            1,
            "config.xml:60:7: <object type=\"combo\" id=\"1\"> in the section \"english\": "
            "question page 1: the id \"1\" is used by the question at line 59 too; the "
            "server cannot tell the two answers apart\n",
            ""},
        CheckCase{"SameIdOnTwoPages",
                  changed(R"(type="text" id="2")", R"(type="text" id="1")", R"(country="Canada")"),
                  {},
                  0,
                  "config.xml:118:7: <object type=\"text\" id=\"1\"> in the section \"english, "
                  "Canada\": question page 2: the id \"1\" is used on question page 1 too (line "
                  "114), and the request does not say which page an answer comes from; the server "
                  "cannot tell the two answers apart [id-across-pages]\n",
                  ""},
        // Answers the wizard would never send (and, with a "_", never check).
        CheckCase{"IdNeverSent",
                  changed(R"(type="text" id="2")", R"(type="text" id="x2")", R"(country="Canada")"),
                  {},
                  0,
                  "config.xml:118:7: <object type=\"text\" id=\"x2\"> in the section \"english, "
                  "Canada\": question page 2: the id \"x2\" does not begin with a digit; the "
                  "wizard never sends its answers [id-not-sent]\n",
                  ""},
        CheckCase{
            "IdHoldingAnUnderscore",
            changed(R"(type="text" id="2")", R"(type="text" id="2_b")", R"(country="Canada")"),
            {},
            0,
            "config.xml:118:7: <object type=\"text\" id=\"2_b\"> in the section \"english, "
            "Canada\": question page 2: the id \"2_b\" holds a \"_\"; the wizard neither "
            "checks nor sends its answers [id-not-sent]\n",
            ""},
        CheckCase{"EmptyText",
                  changed(R"(src="Question 1")", R"(src="")"),
                  {},
                  1,
                  "config.xml:58:7: <object type=\"label\" id=\"1\" src=\"\"> in the section "
                  "\"english\": the text is empty; the label shows nothing\n",
                  ""},
        CheckCase{"UnknownPatternCode",
                  changed(R"(patten="" password)", R"(patten="x" password)"),
                  {},
                  1,
                  "config.xml:59:7: <object type=\"text\" id=\"1\" patten=\"x\"> in the section "
                  "\"english\": \"x\" is no pattern (n, a, u, m, p, z, d, a number, @ or empty); "
                  "the answer is not checked\n",
                  ""},
        CheckCase{"EmptyRegistrationUrl",
                  changed("http://127.0.0.1:9/register", ""),
                  {},
                  1,
                  "config.xml:6:3: <default_url>: the registration URL is empty; a registration "
                  "cannot be sent\n",
                  ""},
        CheckCase{"RegistrationUrlNotHttp",
                  changed("http://127.0.0.1:9/register", "ftp://127.0.0.1/register"),
                  {},
                  1,
                  "config.xml:6:3: <default_url>: \"ftp://127.0.0.1/register\" is not an http:// "
                  "or https:// address; a registration cannot be sent\n",
                  ""},
        // Measured with the wizard's font on the drawn page: the label runs
        // under the text box beside it.
        CheckCase{"LabelRunsIntoItsNeighbour",
                  changed("Question 1", "Which of our many games did you buy last, and where"),
                  {},
                  0,
                  "config.xml:58:7: <object type=\"label\" id=\"1\"> in the section \"english\": "
                  "\"Which of our many games did you buy l...\" runs into the control beside it; "
                  "check it on the preview [overflow]\n",
                  ""},
        // A warning is printed, and fails the check only when asked to.
        CheckCase{"PlainHttpIsAWarning",
                  changed("http://127.0.0.1:9/register", "http://register.example/register"),
                  {},
                  0,
                  kPlainHttpLine,
                  ""},
        CheckCase{"StrictFailsOnAWarning",
                  changed("http://127.0.0.1:9/register", "http://register.example/register"),
                  {"--strict"},
                  1,
                  kPlainHttpLine,
                  ""},
        // Accepted on the line before one section: that section's warning
        // goes, the other's stays.
        CheckCase{"AcceptCommentSilencesItsElementOnly",
                  withoutPictures().replace(R"(  <language id="portuguese" country="else")",
                                            kAcceptNoPictures +
                                                R"(  <language id="portuguese" country="else")"),
                  {"--strict"},
                  1,
                  "config.xml:69:3: <language id=\"portuguese\"> in the section "
                  "\"portuguese, Canada\": " +
                      noPictures,
                  ""},
        // Another warning's name accepts nothing.
        CheckCase{"AcceptCommentOfAnotherWarning",
                  kAcceptNoPictures +
                      changed("http://127.0.0.1:9/register", "http://register.example/register"),
                  {},
                  0,
                  QString(kPlainHttpLine).replace("config.xml:6:", "config.xml:7:"),
                  ""},
        // Before the root element: accepted for every element.
        CheckCase{"AcceptCommentAtTheTopSilencesEveryElement",
                  QString(kAcceptNoPictures).replace("no-pictures", "plain-http") +
                      changed("http://127.0.0.1:9/register", "http://register.example/register"),
                  {"--strict"},
                  0,
                  "",
                  ""},
        CheckCase{"ThreeLanguagesOneWithoutPicturesAccepted",
                  kAcceptNoPictures + threeLanguages(),
                  {"--strict"},
                  0,
                  "",
                  ""},
        CheckCase{"MissingFileCannotBeRead", {}, {"absent.xml"}, 2, "", "absent.xml"},
        // Without an argument the file is config.xml in the current folder.
        CheckCase{"NotWellFormedCannotBeRead",
                  "<register><language id=\"english\">",
                  {},
                  2,
                  "config.xml:1:11: <language>: no </language> closes it before the end of the "
                  "file\n",
                  ""},
        // The parser notices the missing </page> only at </language>, a
        // screenful below: the line names the page.
        CheckCase{"PageLeftOpenIsNamed",
                  twoSections().replace(twoSections().indexOf("</page>"), 7, ""),
                  {},
                  2,
                  "config.xml:57:5: <page>: no </page> closes it before </language> on line 67\n",
                  ""},
        CheckCase{"Utf8UnderLatin1Declaration",
                  "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n" +
                      twoSections().replace("Question 1", QStringLiteral("Wir m\u00f6gen")),
                  {},
                  1,
                  QStringLiteral("config.xml:59:45: the text is UTF-8 (\"m\u00f6gen\") but the "
                                 "declaration says ISO-8859-1; the wizard shows "
                                 "\"m\u00c3\u00b6gen\"; declare encoding=\"UTF-8\"\n"),
                  ""},
        CheckCase{"Windows1252WithoutDeclaration",
                  twoSections().replace("Question 1", QStringLiteral("R\u00e4tsel")),
                  {},
                  1,
                  QStringLiteral("config.xml:58:41: the bytes are not UTF-8 (\"R\u00e4tsel\" if "
                                 "they are Windows-1252), and no encoding is declared; the wizard "
                                 "shows \"R\ufffdtsel\"; declare <?xml version=\"1.0\" "
                                 "encoding=\"windows-1252\"?> in the first line, or save the "
                                 "file as UTF-8\n"),
                  "",
                  {},
                  false,
                  true},
        // Neither is read at all: one never ends, the other never starts.
        CheckCase{
            "DevZeroCannotBeRead", {}, {"/dev/zero"}, 2, "", "/dev/zero: is not a regular file"},
        CheckCase{"FifoCannotBeRead", {}, {}, 2, "", "config.xml: is not a regular file", {}, true},
        CheckCase{"UnknownOptionIsAUsageError",
                  {},
                  {"--out", "x"},
                  2,
                  "",
                  "unrecognized option '--out'"}),
    testsupport::RowName());

} // namespace
