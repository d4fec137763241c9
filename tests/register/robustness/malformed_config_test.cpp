// A publisher's config.xml may be wrong in any attribute. Variants of the
// sample configuration, each with one attribute spoiled, removed or one
// element cut off, must neither crash nor hang the wizard: start-up, the
// page build and a walk through every page still run.
#include "platform/forms/picture_button.h"
#include "register/dialogs/dlg_cancel.h"
#include "register/dialogs/dlg_error.h"
#include "register/wizard/main_form.h"
#include "tests/register/dialogs/dialog_answers.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

QString sample()
{
    return testsupport::readFile(testsupport::sourceDir() + "/register/sample/config.xml");
}

struct Walk {
    int screens = 0;       // Next clicks until the wizard stood still
    bool lastPage = false; // it stood on the last question page
    QStringList messages;  // every message shown, in order
};

// Runs start-up, then Next through every page in test mode, answering any
// message dialog at once, and builds both dialogs. `problems` receives the
// problem lines of the run.
Walk walk(const QString &config, QStringList *problems = nullptr)
{
    QTemporaryDir dir;
    testsupport::writeFile(dir.path(), "config.xml", config);
    testsupport::writeFile(dir.path(), "nocheck.txt", "");
    WizardServices services;
    services.endProgram = [] {};
    MainForm w(dir.path(), {"/default=1", "/language=English", "/country=Canada"}, services);
    // A message or the register-later dialog must not block the walk.
    Walk result;
    testsupport::DialogAnswers answers;
    w.Form_Load();
    for (int i = 0; i < 25; ++i) {
        const int before = int(w.state().stage) * 100 + w.state().pageIndex;
        w.cmdNext_Click();
        ++result.screens;
        if (int(w.state().stage) * 100 + w.state().pageIndex == before)
            break;
    }
    result.lastPage = w.state().stage == Stage::Pages && w.state().pageIndex == w.state().pageCount;
    w.cmdPrev_Click();
    result.messages = answers.texts();
    w.cancelDialog().Form_Activate();
    w.errorDialog().Form_Activate();
    if (problems)
        for (const model::ConfigProblem &p : w.state().problems.all())
            problems->append(p.toString());
    return result;
}

TEST(MalformedConfig, TheSampleItselfWalksToTheLastPageWithoutAProblem)
{
    QStringList problems;
    const Walk result = walk(sample(), &problems);
    EXPECT_GE(result.screens, 5);
    EXPECT_TRUE(result.lastPage);
    EXPECT_EQ(problems, QStringList());
}

TEST(MalformedConfig, SpoiledAttributesNeitherCrashNorHang)
{
    const QString config = sample();
    const QRegularExpression attribute(QStringLiteral("\\s([a-z0-9_]+)=\"([^\"]*)\""));
    QList<QRegularExpressionMatch> matches;
    for (auto it = attribute.globalMatch(config); it.hasNext();)
        matches.append(it.next());
    ASSERT_GT(matches.size(), 100);

    const int kVariants = qEnvironmentVariableIntValue("VELMORA_VARIANTS") > 0
                              ? qEnvironmentVariableIntValue("VELMORA_VARIANTS")
                              : 400;
    const QStringList spoilers = {"", "x", "-99999", "1e9", "|||", "`", "FFFFFFFFF", "0"};
    QRandomGenerator random(20261208); // fixed: the same variants every run
    for (int n = 0; n < kVariants; ++n) {
        const QRegularExpressionMatch m = matches[random.bounded(int(matches.size()))];
        QString variant = config;
        if (random.bounded(4) == 0) {
            variant.remove(m.capturedStart(0), m.capturedLength(0));
        } else {
            const QString value = spoilers[random.bounded(int(spoilers.size()))];
            variant.replace(m.capturedStart(2), m.capturedLength(2), value);
        }
        SCOPED_TRACE(QStringLiteral("%1 of line %2")
                         .arg(m.captured(1))
                         .arg(config.left(m.capturedStart(0)).count(u'\n') + 1)
                         .toStdString());
        walk(variant);
    }
}

TEST(MalformedConfig, CutOffDocumentsShowAMessageAndStop)
{
    const QString config = sample();
    for (int cut : {10, 200, 1000, int(config.size() / 2), int(config.size()) - 20}) {
        SCOPED_TRACE(cut);
        const Walk result = walk(config.left(cut));
        ASSERT_FALSE(result.messages.isEmpty());
        EXPECT_TRUE(result.messages.first().startsWith(
            QStringLiteral("The registration wizard cannot read its configuration.")))
            << result.messages.first().toStdString();
        // Without a configuration there is no region to choose: the first
        // Next is refused and the wizard stays on the region screen.
        EXPECT_EQ(result.screens, 1);
        EXPECT_FALSE(result.lastPage);
    }
}

TEST(MalformedConfig, ElementsRemovedWholeStillWalk)
{
    const QString config = sample();
    for (const char *element :
         {"userinfo", "welcome", "cancelpage", "methodpage", "age", "welcomepic", "errorpage"}) {
        QString variant = config;
        // An element starts its line (the same word inside a comment is no
        // element) and is either empty ("<x ... />") or closed by its end tag.
        const QRegularExpression whole(
            QStringLiteral("^\\s*<%1\\b(?:[^>]*/>|.*?</%1>)").arg(element),
            QRegularExpression::DotMatchesEverythingOption | QRegularExpression::MultilineOption);
        variant.replace(whole, QString());
        ASSERT_NE(variant, config) << element;
        SCOPED_TRACE(element);
        const Walk result = walk(variant);
        EXPECT_TRUE(result.lastPage);
        EXPECT_TRUE(result.messages.isEmpty()) << result.messages.join(u'|').toStdString();
    }
}

} // namespace

namespace {

// The mistakes a publisher makes in config.xml, each made in the sample: the
// exact problem lines they give, and what the player then sees.
struct Mistake {
    const char *name;
    QList<std::pair<QString, QString>> edits; // first occurrence of .first becomes .second
    QStringList arguments;                    // the command line
    QStringList lines;                        // the problem lines, in order
    std::function<void(MainForm &)> outcome;  // on the region screen after start-up
};

// A picture button that lost its picture: a plain button with its role's
// name, of a shipped picture's size, shown and pressable.
void expectPlainButton(forms::Control *button, const char *name)
{
    SCOPED_TRACE(name);
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(button->hasPicture());
    EXPECT_TRUE(button->isVisibleFlag());
    auto *widget = qobject_cast<forms::PictureButton *>(button->widget());
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->plainCaption(), QLatin1String(name));
    EXPECT_EQ(button->width(), 1800);
    EXPECT_EQ(button->height(), 300);
}

void chooseAndGo(MainForm &w, const QString &country, const QString &language)
{
    w.ctl("cmbCountry")->setText(country);
    w.ctl("cmbLanguage")->setText(language);
    w.cmdNext_Click();
}

QString sampleSection(const QString &id)
{
    const QString config = sample();
    const qsizetype from = config.indexOf(QStringLiteral("<language id=\"%1\"").arg(id));
    const qsizetype to = config.indexOf(QStringLiteral("</language>"), from);
    return config.mid(from, to - from + 11);
}

QString extraPages(int count)
{
    QString pages;
    for (int i = 0; i < count; ++i)
        pages += QStringLiteral("    <page><object type=\"label\" id=\"1\" src=\"More\" x=\"800\" "
                                "y=\"1500\"/></page>\n");
    return pages;
}

const QString kCancelPage = QStringLiteral(R"(    <cancelpage>
      <text src="You can register now, later, or not at all.`What would you like to do?" x="400" y="300" width="5200" height="700"/>
      <later src1="Remind me in" days="7" src2="days" x="400" y="1250" width="1800" height="350"/>
      <tomorrow src="Remind me tomorrow" x="400" y="1750" width="4800" height="350"/>
      <cancel src="Do not register" x="400" y="2250" width="4800" height="350"/>
    </cancelpage>
)");

const Mistake
    kMistakes[] =
        {
            {"the register-later options before the Cancel button",
             {{kCancelPage, QString()}, {"    <ok src=", kCancelPage + "    <ok src="}},
             {},
             {R"(config.xml:43:7: <cancel src="Do not register"> in the section "english": inside <cancelpage>, this is the first <cancel> of the section and is taken instead of <cancel src="CANCEL" srcover="CANCEL_OVER"> at line 46; its attributes apply (write <cancelpage> after that <cancel>))"},
             [](MainForm &w) {
                 expectPlainButton(w.ctl("cmdCancel"), "Cancel");
                 // The row keeps its place: Next ends where the window's right gap begins.
                 EXPECT_EQ(w.ctl("cmdNext")->top(), w.ctl("cmdCancel")->top());
                 EXPECT_EQ(w.ctl("cmdNext")->left() + 1800 + w.ctl("cmdCancel")->left(),
                           w.form().width());
                 w.cancelDialog().Form_Activate();
                 expectPlainButton(w.cancelDialog().form().control("cmdCancel"), "Cancel");
             }},
            {"a misspelt button picture",
             {{R"(<next src="NEXT")", R"(<next src="NEXTT")"}},
             {},
             {R"(config.xml:42:5: <next src="NEXTT"> in the section "english": "NEXTT" is not among the pictures of english; the button shows its name)"},
             [](MainForm &w) {
                 expectPlainButton(w.ctl("cmdNext"), "Next");
                 chooseAndGo(w, "Canada", "English");
                 EXPECT_EQ(w.state().stage, Stage::Welcome); // and it still clicks
             }},
            {"a misspelt hover picture",
             {{R"(srcover="NEXT_OVER")", R"(srcover="NEXT_HOVER")"}},
             {},
             {R"(config.xml:42:5: <next srcover="NEXT_HOVER"> in the section "english": "NEXT_HOVER" is not among the pictures of english; the button keeps its normal picture under the mouse)"},
             [](MainForm &w) {
                 w.pictureButton_MouseMove(w.ctl("cmdNext"));
                 EXPECT_TRUE(w.ctl("cmdNext")->hasPicture());
                 EXPECT_EQ(w.ctl("cmdNext")->pictureKey(),
                           w.state().nextPictures.normal.cacheKey());
             }},
            {"a language without pictures",
             {{R"(<language id="english")", R"(<language id="portuguese")"}},
             {},
             {R"(config.xml:30:3: <language id="portuguese"> in the section "portuguese": the program carries no pictures for "portuguese" (it has dutch, english, french, german, italian and spanish); the window has no background and every picture button shows its name [no-pictures])"},
             [](MainForm &w) {
                 expectPlainButton(w.ctl("cmdNext"), "Next");
                 expectPlainButton(w.ctl("cmdCancel"), "Cancel");
             }},
            {"a personal field left out",
             {{R"(      <login visible="1" src="Player name" x1="5000" y1="3560" width1="1500" height1="300" x2="6550" y2="3500" width2="2600" height2="330" maxlength="20" patten="" optional="1" backcolor="FFFFFF"/>
)",
               QString()}},
             {},
             {R"(config.xml:69:5: <login> in the section "english": is missing from <userinfo>; the field and its label are hidden; it is neither required nor sent)"},
             [](MainForm &w) {
                 EXPECT_FALSE(w.ctl("lblLogin")->isVisibleFlag());
                 EXPECT_FALSE(w.ctl("txtLogin")->isVisibleFlag());
             }},
            {"a second language without its state field",
             {{QStringLiteral(
                   R"(      <state visible="1" type="text" src="Région / État" x1="600" y1="4010" width1="1600" height1="300" x2="2250" y2="3950" width2="2500" height2="330" maxlength="40" patten="" optional="1" backcolor="FFFFFF"/>
)"),
               QString()}},
             {"/default=1", "/language=French", "/country=France"},
             {R"(config.xml:159:5: <state> in the section "french": is missing from <userinfo>; the field and its label are hidden; it is neither required nor sent)"},
             [](MainForm &w) {
                 for (const char *name : {"lblState", "txtState", "cmbState"})
                     EXPECT_FALSE(w.ctl(name)->isVisibleFlag()) << name;
             }},
            {"a colour name",
             {{R"(forecolor="4A2D1F")", R"(forecolor="red")"}},
             {},
             {R"(config.xml:30:3: <language forecolor="red"> in the section "english": "red" is not a colour of hexadecimal digits BBGGRR (a colour name is not understood); the default text colour stays)"},
             [](MainForm &w) { EXPECT_EQ(w.state().defaultForeColor, QColor(0, 0, 0)); }},
            // The section's own settings and its prompts: each fault is told in
            // the order the window takes them, and what converts still applies.
            {"window colours, prompts and messages that cannot be used",
             {{R"(forecolor="4A2D1F" backcolor="F9F2EC"> <!--)",
               R"(forecolor="4A2D1F" backcolor="zz"> <!--)"},
              {"    <selectlanguage>Please choose your region and language</selectlanguage>\n",
               QString()},
              {"    <errorregion>Please choose your region.</errorregion>\n", QString()},
              {"<onlineonly>0</onlineonly>", "<onlineonly>1</onlineonly>"},
              {"    <dataerror>Some information is missing or not valid.`Please check the "
               "highlighted field.</dataerror>\n",
               QString()}},
             {},
             {R"(config.xml:30:3: <language backcolor="zz"> in the section "english": "zz" is not a colour of hexadecimal digits BBGGRR (a colour name is not understood); the default background colour stays)",
              R"(config.xml:30:3: <selectlanguage> in the section "english": is missing; the earlier text stays)",
              R"(config.xml:30:3: <errorregion> in the section "english": is missing; the earlier text stays)",
              R"(config.xml:30:3: <dataerror> in the section "english": is missing; the earlier text stays)"},
             [](MainForm &w) {
                 EXPECT_EQ(w.state().defaultForeColor, QColor(0x1F, 0x2D, 0x4A));
                 EXPECT_EQ(w.state().defaultBackColor, QColor(0, 0, 0));
                 EXPECT_EQ(w.state().languageErrorText, QLatin1String("Please choose a language."));
                 EXPECT_EQ(w.state().regionErrorText, QString());
                 EXPECT_TRUE(w.state().onlineOnly);
                 EXPECT_EQ(w.state().dataErrorText, QString());
             }},
            {"a colour with a leading #",
             {{R"(patten="" optional="0" backcolor="FFFFFF"/>)",
               R"(patten="" optional="0" backcolor="#FFFFFF"/>)"}},
             {},
             {R"(config.xml:71:7: <firstname backcolor="#FFFFFF"> in the section "english": "#FFFFFF" is not a colour of hexadecimal digits BBGGRR (a leading "#" is not understood); the control keeps its colour)"},
             [](MainForm &w) { EXPECT_TRUE(w.ctl("txtFirstName")->isVisibleFlag()); }},
            {"a position that is no number",
             {{R"(registration has been received." x="1500")",
               R"(registration has been received." x="abc")"}},
             {},
             {R"(config.xml:59:5: <thanksonline x="abc"> in the section "english": "abc" is not a number; the control keeps its earlier value)"},
             [](MainForm &w) {
                 EXPECT_TRUE(w.ctl("lblThanksOnline")->text().startsWith("Thank you"));
             }},
            {"a title outside the window",
             {{R"(x="1732" y="250")", R"(x="12000" y="250")"}},
             {},
             {R"(config.xml:38:5: <welcomepic x="12000" y="250"> in the section "english": lies wholly outside the window (9765 x 6885 twips); it cannot be seen)"},
             [](MainForm &w) { EXPECT_EQ(w.ctl("imgWelcomeTitle")->left(), 12000); }},
            {"a position beyond 16 bits",
             {{R"(x1="600" y1="1760")", R"(x1="60000" y1="1760")"}},
             {},
             {R"(config.xml:71:7: <firstname x1="60000"> in the section "english": "60000" does not fit the range -32768 to 32767; the control keeps its earlier value)"},
             [](MainForm &w) { EXPECT_TRUE(w.ctl("lblFirstName")->isVisibleFlag()); }},
            {"a window too small for its controls",
             {{R"(width="9765" height="6885")", R"(width="7000" height="6885")"}},
             {},
             {R"(config.xml:75:7: <zip x2="6550" y2="1700"> in the section "english": lies partly outside the window (7000 x 6885 twips), and so do the elements at lines 76, 77, 78, 81; they are cut off at the edge or cannot be seen)", R"(config.xml:50:7: <text x="1500" y="1600"> in the section "english": lies partly outside the window (7000 x 6885 twips), and so does the element at line 38; they are cut off at the edge or cannot be seen)"},
             [](MainForm &w) { EXPECT_EQ(w.form().width(), 7000); }},
            {"two input fields on one spot",
             {{R"(x2="2250" y2="2150")", R"(x2="2250" y2="1700")"}},
             {},
             {R"(config.xml:72:7: <lastname x2="2250" y2="1700"> in the section "english": overlaps <firstname x2="2250" y2="1700"> at line 71 on the window; the later one covers part of the earlier)"},
             [](MainForm &w) { EXPECT_EQ(w.ctl("txtLastName")->top(), 1700); }},
            {"a duplicated language section",
             {{"</register>", "  " + sampleSection("french") + "\n</register>"}},
             {},
             {R"(config.xml:654:3: <language id="french" country="else">: repeats the section at line 120; this section is never used; choosing either entry of the language list loads the first)"},
             [](MainForm &w) {
                 // Listed twice, as the language list lists every "else" section.
                 EXPECT_EQ(w.ctl("cmbLanguage")->itemCount(), 8);
             }},
            {"an age limit for a country the list lacks",
             {{R"(<object country="Germany")", R"(<object country="Germeny")"}},
             {},
             {R"(config.xml:23:5: <object country="Germeny">: names a country that is not in the country list at line 20; it applies only to a player who types that name under "Other")"},
             [](MainForm &w) {
                 chooseAndGo(w, "Canada", "English");
                 EXPECT_EQ(w.state().stage, Stage::Welcome);
             }},
            {"more than twenty pages",
             {{"    <cancelpage>", extraPages(18) + "    <cancelpage>"}},
             {},
             {R"(config.xml:128:5: <page> in the section "english": is page 21 of 21; a section holds at most 20 pages; this page and every later one are left out)"},
             [](MainForm &w) { EXPECT_EQ(w.state().pageCount, 20); }},
            {"a misspelt element name",
             {{"    <welcome>", "    <welcomepage>"}, {"    </welcome>", "    </welcomepage>"}},
             {},
             {R"(config.xml:61:5: <welcomepage> in the section "english": is not an element of a language section; it is ignored)"},
             [](MainForm &w) {
                 chooseAndGo(w, "Canada", "English");
                 EXPECT_EQ(w.state().stage, Stage::Welcome);
                 EXPECT_FALSE(w.ctl("page_4_dat_0d")); // the welcome page has no birth date
             }},
};

class ConfigMistake : public ::testing::TestWithParam<Mistake> {};

TEST_P(ConfigMistake, Lines)
{
    const Mistake &m = GetParam();
    QString config = sample();
    for (const auto &[from, to] : m.edits) {
        const qsizetype at = config.indexOf(from);
        ASSERT_GE(at, 0) << from.toStdString();
        config.replace(at, from.size(), to);
    }
    QTemporaryDir dir;
    testsupport::writeFile(dir.path(), "config.xml", config);
    WizardServices services;
    services.endProgram = [] {};
    MainForm w(dir.path(), m.arguments, services);
    w.Form_Load();
    m.outcome(w);
    QStringList lines;
    for (const model::ConfigProblem &p : w.state().problems.all())
        lines.append(p.toString());
    EXPECT_EQ(lines, m.lines);
}

INSTANTIATE_TEST_SUITE_P(Sample, ConfigMistake, ::testing::ValuesIn(kMistakes),
                         testsupport::RowName());

} // namespace
