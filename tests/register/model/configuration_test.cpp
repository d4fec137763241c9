// The configuration model read from config.xml: the sample gives the sections,
// pages and questions a player meets, each in the wizard's order and with
// its place in the file; what a broken file holds is reported once, as the
// wizard reports it.
#include "register/model/configuration.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

using namespace model;

namespace {

Configuration readText(const QString &xml, ConfigProblems &log)
{
    xml::Document doc;
    EXPECT_TRUE(doc.loadXml(xml)) << doc.errorString().toStdString();
    return readConfiguration(doc, log);
}

QStringList problemLines(const ConfigProblems &log)
{
    QStringList out;
    for (const ConfigProblem &p : log.all())
        out << p.toString();
    return out;
}

// One question as "page/id kind: text [options]".
QString summary(int page, const Question &q)
{
    QString s = QStringLiteral("%1/%2 %3: %4").arg(page).arg(q.id, kindName(q.kind), q.text);
    if (!q.options.isEmpty())
        s += QStringLiteral(" [") + q.options.join(u'|') + u']';
    return s;
}

} // namespace

TEST(ConfigurationModel, TheSampleReadsAsThePlayerMeetsIt)
{
    xml::Document doc;
    ASSERT_TRUE(doc.load(testsupport::sourceDir() + QStringLiteral("/register/sample/config.xml")));
    ConfigProblems log;
    const Configuration c = readConfiguration(doc, log);
    EXPECT_EQ(problemLines(log), QStringList());

    EXPECT_EQ(c.defaultGameName.text, "Ember Reach");
    EXPECT_EQ(c.defaultLanguage.text, "English");
    EXPECT_EQ(c.countries.size(), 26);
    EXPECT_EQ(c.countries.first(), "Argentina");
    ASSERT_EQ(c.ages.size(), 5);
    EXPECT_EQ(c.ages[0].country.value_or(""), "Germany");
    EXPECT_TRUE(c.ages[4].isElse);

    struct SectionCase {
        const char *name;
        int line;
        int pages;
        int questions;
    };
    const SectionCase sections[] = {
        {"english", 30, 3, 9}, {"french", 120, 3, 9},  {"french, Canada", 210, 3, 9},
        {"german", 299, 3, 9}, {"italian", 388, 3, 9}, {"spanish", 477, 3, 9},
        {"dutch", 566, 3, 9},
    };
    ASSERT_EQ(c.sections.size(), std::size(sections));
    for (size_t i = 0; i < std::size(sections); ++i) {
        SCOPED_TRACE(sections[i].name);
        const LanguageSection &s = c.sections[qsizetype(i)];
        EXPECT_EQ(s.name, sections[i].name);
        EXPECT_EQ(s.place.line, sections[i].line);
        EXPECT_EQ(s.place.column, 3);
        EXPECT_EQ(s.pages.size(), sections[i].pages);
        int questions = 0;
        for (const QuestionPage &p : s.pages)
            questions += int(p.questions.size());
        EXPECT_EQ(questions, sections[i].questions);
        EXPECT_EQ(s.personalFields.size(), std::size(kPersonalFieldElements));
        EXPECT_EQ(s.buttons.size(), std::size(kButtonElements));
        EXPECT_EQ(s.welcome.objects.size(), 5);
    }

    // The English questions, page by page in the wizard's order.
    const LanguageSection &english = c.sections[0];
    QStringList questions;
    for (const QuestionPage &p : english.pages)
        for (const Question &q : p.questions)
            questions << summary(p.number, q);
    EXPECT_EQ(questions,
              (QStringList{
                  "1/1 text: Product",
                  "1/2 combo: Where did you hear about Ember Reach? [A friend|A magazine|A "
                  "website|A shop|Television|Somewhere else]",
                  "1/3 radiobox: How often do you play games? [Every day|A few times a week|A few "
                  "times a month|Rarely]",
                  "1/4 text: Your favourite game of all time",
                  "2/1 checkbox: Which kinds of games do you enjoy? (tick at least one) "
                  "[Action|Adventure|Role-playing|Strategy|Sports|Puzzle]",
                  "2/2 list: Which devices do you play on?`(click to select, click again to "
                  "clear) [Desktop PC|Laptop|Console|Handheld|Phone|Tablet]",
                  "3/1 date: When did you buy Ember Reach? (day / month / year)",
                  "3/2 radiobox: Would you like to receive news about Velmora games? [Yes, "
                  "please|No, thank you]",
                  "3/3 text: Anything you would like to tell us?",
              }));

    // Each element keeps its place; typed values are converted once.
    const QuestionPage &first = english.pages[0];
    EXPECT_EQ(first.place, (Place{84, 5}));
    EXPECT_EQ(first.questions[0].place, (Place{86, 7}));
    EXPECT_EQ(first.questions[0].geometry.x, 3600);
    EXPECT_EQ(first.questions[0].geometry.width, 4200);
    const Question &kinds = english.pages[1].questions[0];
    EXPECT_EQ(kinds.optional, "0");
    EXPECT_EQ(kinds.errorText.value_or(""), "Please tick at least one kind of game.");
    EXPECT_EQ(english.pages[2].questions[0].pattern, "d");
    EXPECT_EQ(english.width, 9765);
    EXPECT_EQ(english.fore.value.value_or(Colour{}).bgr, 0x4A2D1Fu);
    EXPECT_EQ(english.errorLanguage.text, "Please choose a language.");
    EXPECT_EQ(english.button(QLatin1String("next"))->srcover.value_or(""), "NEXT_OVER");
    const PersonalField *email = english.personalField(QLatin1String("email"));
    ASSERT_NE(email, nullptr);
    EXPECT_EQ(email->pattern, "m");
    EXPECT_EQ(email->input.x, 6550);
    EXPECT_EQ(english.cancelPage.later.src.value_or(""), "Remind me in");
    EXPECT_EQ(english.cancelPage.laterDays.value_or(""), "7");
    // The Canadian section offers its provinces as a list.
    const PersonalField *province = c.section(QStringLiteral(" French"), QStringLiteral("canada"))
                                        ->personalField(QLatin1String("state"));
    EXPECT_EQ(province->type, "combo");
    EXPECT_GT(province->values.size(), 10);
    EXPECT_EQ(c.section(QStringLiteral("french"), QStringLiteral("Belgium"))->name, "french");
    EXPECT_EQ(c.section(QStringLiteral("klingon"), QStringLiteral("else")), nullptr);
}

TEST(ConfigurationModel, FaultsAreReportedOnceWithTheirPlace)
{
    struct FaultCase {
        const char *name;
        const char *section; // the inside of <language id="english" country="else">
        const char *report;  // the one problem line, or "" for none
        int pages;
        int questions;
    };
    const FaultCase cases[] = {
        {"UnknownTypeIsSkipped",
         R"(<page><object type="button" id="9" src="" x="1" y="2"/></page>)",
         "config.xml:3:7: <object type=\"button\" id=\"9\"> in the section \"english\": question "
         "page 1: the type is not known; the object is skipped",
         1, 0},
        {"AQuestionWithoutItsLabelHasNoText",
         R"(<page><object type="text" id="2" src="" x="1" y="2" width="3" height="4" maxlength="0" patten="" password="" optional="1"/></page>)",
         "", 1, 1},
        {"PagesBeyondTheLimitAreLeftOut",
         "<page/><page/><page/><page/><page/><page/><page/><page/><page/><page/><page/>"
         "<page/><page/><page/><page/><page/><page/><page/><page/><page/><page/>",
         "config.xml:3:141: <page> in the section \"english\": is page 21 of 21; a section holds "
         "at most 20 pages; this page and every later one are left out",
         20, 0},
        // Placed by the element's position among its siblings in the section
        // as written: a later page, after other objects, inside a group.
        {"AFaultDeepInALaterPageKeepsItsPlace",
         R"(<page/><page><object type="label" id="1" src="" x="1" y="2"/><b><object type="button" id="9" src="" x="1" y="2"/></b></page>)",
         "config.xml:3:65: <object type=\"button\" id=\"9\"> in the section \"english\": question "
         "page 2: the type is not known; the object is skipped",
         2, 0},
        {"AColourThatIsNoNumber", R"(<thanksonline src="Thanks" x="1" y="2" forecolor="#FF0000"/>)",
         "config.xml:3:1: <thanksonline forecolor=\"#FF0000\"> in the section \"english\": "
         "\"#FF0000\" is not a colour of hexadecimal digits BBGGRR (a leading \"#\" is not "
         "understood); the control keeps its colour",
         0, 0},
    };
    // Everything else a section needs, so that only the case's fault is left.
    const QString complete = QStringLiteral(
        "<selectlanguage/><errorlanguage/><errorregion/><connecttoserver/><dataerror/>"
        "<welcomepic/><methodpage><text/><online/><print/></methodpage>"
        "<errorpage><text_not_online/><text_error/></errorpage><thanksfax/>"
        "<userinfo><firstname/><lastname/><address1/><address2/><city/><state/><zip/>"
        "<country/><phone/><email/><login/></userinfo>"
        "<cancelpage><text/><later/><tomorrow/><cancel/></cancelpage>");
    for (const FaultCase &c : cases) {
        SCOPED_TRACE(c.name);
        const bool thanks = QString::fromUtf8(c.section).contains(QLatin1String("thanksonline"));
        const QString xml =
            QStringLiteral("<register>\n<language id=\"english\" country=\"else\">\n") +
            QString::fromUtf8(c.section) + complete +
            (thanks ? QString() : QStringLiteral("<thanksonline/>")) +
            QStringLiteral("</language></register>");
        ConfigProblems log;
        const Configuration config = readText(xml, log);
        const QStringList lines = problemLines(log);
        EXPECT_EQ(lines, *c.report ? QStringList{QString::fromUtf8(c.report)} : QStringList());
        ASSERT_EQ(config.sections.size(), 1);
        const LanguageSection &s = config.sections[0];
        EXPECT_EQ(s.pages.size(), c.pages);
        int questions = 0;
        for (const QuestionPage &p : s.pages)
            questions += int(p.questions.size());
        EXPECT_EQ(questions, c.questions);
    }
}
