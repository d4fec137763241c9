// Start-up against small configurations written into a temporary folder.
#include "register/dialogs/dlg_cancel.h"
#include "register/dialogs/dlg_error.h"
#include "register/startup/global_settings.h"
#include "register/startup/language.h"
#include "register/wizard/main_form.h"
#include "tests/register/dialogs/dialog_answers.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

const QString kConfig = QStringLiteral(R"(<register>
  <use_default>%1</use_default>
  <default_language>%2</default_language>
  <default_country>%3</default_country>
  <default_gamename> Deep Sky </default_gamename>
  <default_url>http://config.example/register.asp</default_url>
  <country src="Spain|Mexico | Canada|Germany"/>
  <language id="english" country="else" width="9000" height="6000" title="Deep Sky Registration"
            forecolor="0000FF" backcolor="FFFFFF">
    <selectlanguage>Choose</selectlanguage>
    <errorregion>No region</errorregion>
    <onlineonly>1</onlineonly>
    <dataerror>Wrong`data</dataerror>
    <thanksfax src="Printed`thanks" forecolor="FF0000" x="120.5" y="121.5"/>
    <thanksonline src="Online thanks"/>
    <methodpage><online src="Go`online" x="abc"/></methodpage>
    <cancel src="CANCEL" srcover="CANCEL_OVER"/>
    <next src="NEXT" srcover="NEXT_OVER"/>
    <userinfo>
      <firstname visible="1" src="First" x1="100" y1="200" x2="1500" y2="200" width2="2000" patten=" a " optional="0" maxlength="5"/>
      <lastname visible="0" src="Last"/>
      <address1 visible=" " src="Addr"/>
      <city visible="1" type="combo" src="City" value="A|B|C|" default="B" x2="3000"/>
      <state visible="1" type="text" src="State" patten="u" optional="1"/>
    </userinfo>
    <page><object type="label" id="1" src="q"/></page>
    <page><object type="label" id="1" src="q2"/></page>
  </language>
  <language id="FRENCH " country="else" title="Titre FR"><selectlanguage>Choisir</selectlanguage>
    <userinfo><city visible="1" type="combo" value="X|Y" default="Y"/></userinfo></language>
  <language id="french" country="Canada" title="Titre CA"/>
  <language id="german" country="Else" title="Not listed"/>
</register>)");

class StartupTest : public ::testing::Test {
  protected:
    std::unique_ptr<MainForm> start(const QStringList &args = {}, const QString &useDefault = "0",
                                    const QString &language = "", const QString &country = "")
    {
        testsupport::writeFile(dir.path(), "config.xml",
                               kConfig.arg(useDefault, language, country));
        auto w = std::make_unique<MainForm>(dir.path(), args);
        w->Form_Load();
        return w;
    }
    QStringList languageEntries(MainForm &w)
    {
        QStringList out;
        forms::Control *l = w.ctl("cmbLanguage");
        for (int i = 0; i < l->itemCount(); ++i)
            out << l->item(i);
        return out;
    }
    QTemporaryDir dir;
};

TEST_F(StartupTest, ModeComesFromTheMarkerFile)
{
    auto normal = start();
    EXPECT_TRUE(normal->state().normalMode);
    testsupport::writeFile(dir.path(), "nocheck.txt", "");
    auto test = start();
    EXPECT_FALSE(test->state().normalMode);
}

TEST_F(StartupTest, BuiltInThenConfigurationThenCommandLine)
{
    auto w = start();
    EXPECT_EQ(w->state().gameName, "Deep Sky");
    EXPECT_EQ(w->state().registrationUrl, "http://config.example/register.asp");
    EXPECT_EQ(w->state().currentLanguage, "English");
    EXPECT_EQ(w->state().useDefault, "0");

    auto c = start({"/default=1", "/game=Foo", "/language=french", "/country=Canada",
                    "/url=http://x.example/a/b/register.asp"});
    EXPECT_EQ(c->state().useDefault, "1");
    EXPECT_EQ(c->state().gameName, "Foo");
    EXPECT_EQ(c->state().registrationUrl, "http://x.example/a/b/register.asp");
    EXPECT_EQ(c->state().countryName, " Canada"); // copied from the list entry as written
    // Case is ignored against the list; the Canadian section is chosen.
    EXPECT_EQ(c->form().caption(), "Titre CA");
    EXPECT_EQ(c->ctl("cmbLanguage")->text(), "French");
    EXPECT_EQ(c->ctl("cmbCountry")->text(), " Canada");
    EXPECT_EQ(c->ctl("txtCountry")->text(), " Canada");
}

TEST_F(StartupTest, CommandLineEntriesSplitAtTheirFirstEqualsSign)
{
    const struct {
        const char *name;
        QStringList args;
        QString gameName;
        QString url;
    } cases[] = {
        {"keys are exact and an entry without = is ignored",
         {"/Game=X", "/game", "/URL=http://h/"},
         "Deep Sky",
         "http://config.example/register.asp"},
        {"an empty value is a value", {"/game="}, "", "http://config.example/register.asp"},
        {"a URL with a query keeps every later =",
         {"/url=http://host/register.asp?site=eu&a=b", "/game=a=b"},
         "a=b",
         "http://host/register.asp?site=eu&a=b"},
    };
    for (const auto &c : cases) {
        auto w = start(c.args);
        EXPECT_EQ(w->state().gameName, c.gameName) << c.name;
        EXPECT_EQ(w->state().registrationUrl, c.url) << c.name;
    }
}

TEST_F(StartupTest, ValuesAreTrimmedOfBlanksOnly)
{
    // A tab is an ordinary character: only blanks go from either end, in the
    // configuration's start-up keys as on the command line.
    testsupport::writeFile(dir.path(), "config.xml",
                           "<register><use_default>0</use_default>"
                           "<default_gamename> \tDeep Sky </default_gamename>"
                           "<default_country> Spain\t</default_country>"
                           "<language id='english' country='else'/></register>");
    MainForm fromConfig(dir.path(), {});
    fromConfig.Form_Load();
    EXPECT_EQ(fromConfig.state().gameName, "\tDeep Sky");
    EXPECT_EQ(fromConfig.state().countryName, "Spain\t");

    MainForm fromCommandLine(dir.path(), {"/game=Foo\t", "/language= french\t"});
    fromCommandLine.Form_Load();
    EXPECT_EQ(fromCommandLine.state().gameName, "Foo\t");
    // "french" followed by a tab is no listed language.
    EXPECT_EQ(fromCommandLine.state().currentLanguage, "English");
}

TEST_F(StartupTest, BuiltInEndpointsByMode)
{
    testsupport::writeFile(dir.path(), "config.xml",
                           "<register><language id='english' country='else'/></register>");
    MainForm normal(dir.path(), {});
    normal.Form_Load();
    EXPECT_TRUE(normal.state().registrationUrl.startsWith("http://"));
    EXPECT_TRUE(normal.state().registrationUrl.endsWith("/register.asp"));
    testsupport::writeFile(dir.path(), "nocheck.txt", "");
    MainForm test(dir.path(), {});
    test.Form_Load();
    EXPECT_TRUE(test.state().registrationUrl.endsWith("/nr/cd_register/register.asp"));
}

TEST_F(StartupTest, LanguageListOffersElseSectionsCapitalised)
{
    auto w = start();
    EXPECT_EQ(languageEntries(*w), QStringList({"", "English", "French"}));
    EXPECT_EQ(w->ctl("cmbLanguage")->listIndex(), -1); // nothing preselected without default=1
}

TEST_F(StartupTest, PreselectionNeedsDefaultOneAndAKnownLanguage)
{
    auto w = start({}, "1", "French", "mexico");
    EXPECT_EQ(w->ctl("cmbLanguage")->text(), "French");
    EXPECT_EQ(w->ctl("cmbCountry")->text(), "Mexico ");

    // A leading blank in the configuration does not count as "1".
    auto blank = start({}, " 1", "French", "Mexico");
    EXPECT_EQ(blank->ctl("cmbCountry")->listIndex(), -1);
    // From the command line the value is trimmed.
    auto cmd = start({"/default= 1"}, "0", "French", "Peru");
    EXPECT_EQ(cmd->ctl("cmbCountry")->text(), "Spain"); // unknown country: the first one

    // An unknown language falls back to English and the empty entry.
    auto latin = start({"/default=1", "/language=Latin"});
    EXPECT_EQ(latin->state().currentLanguage, "English");
    EXPECT_EQ(latin->ctl("cmbLanguage")->listIndex(), 0);
}

TEST_F(StartupTest, LanguageSectionFallsBackToTheFirstSection)
{
    auto w = start({"/language=german"});
    // "Else" differs in case: not listed, so the language is English again.
    EXPECT_EQ(w->state().currentLanguage, "English");
    EXPECT_EQ(w->form().caption(), "Deep Sky Registration");
}

TEST_F(StartupTest, GlobalSettingsApply)
{
    auto w = start();
    EXPECT_EQ(w->form().width(), 9000);
    EXPECT_EQ(w->form().height(), 6000);
    EXPECT_EQ(w->cancelDialog().windowTitle(), "Deep Sky Registration");
    EXPECT_EQ(w->errorDialog().windowTitle(), "Attention");
    EXPECT_EQ(w->ctl("lblLanguage")->text(), "Choose");
    EXPECT_EQ(w->state().regionErrorText, "No region");
    EXPECT_TRUE(w->state().onlineOnly);
    EXPECT_EQ(w->state().dataErrorText, "Wrong`data"); // taken whole
    EXPECT_EQ(w->state().defaultForeColor, QColor(255, 0, 0));

    forms::Control *thanks = w->ctl("lblThanksPrint");
    EXPECT_EQ(thanks->text(), "Printed\r\nthanks");
    EXPECT_EQ(thanks->foreColor().value(), QColor(0, 0, 255));
    EXPECT_EQ(thanks->left(), 120);
    EXPECT_EQ(thanks->top(), 122);
    // No forecolor attribute: the default colour.
    EXPECT_EQ(w->ctl("lblThanksOnline")->foreColor().value(), QColor(255, 0, 0));
    forms::Control *online = w->ctl("optOnline");
    EXPECT_EQ(online->text(), "Go`online"); // no line breaks for option captions
    EXPECT_EQ(online->left(), 360);         // "abc" leaves the design position

    EXPECT_EQ(w->state().pageCount, 2);
    // The second <page> is page 2; its one label has no place and is not built.
    ASSERT_EQ(w->state().pages[2].problems.size(), 1);
    EXPECT_TRUE(w->state().pages[2].problems[0].where.startsWith("question page 2, object 1"));
    EXPECT_TRUE(w->state().pages[0].objects.isEmpty());
    EXPECT_TRUE(w->state().pages[0].problems.isEmpty());
    EXPECT_TRUE(w->state().welcomePage.objects.isEmpty());
}

TEST_F(StartupTest, BottomRowFollowsTheWindowAndCancelPicture)
{
    auto w = start();
    const int cancelWidth = w->ctl("cmdCancel")->width();
    EXPECT_EQ(cancelWidth, 1800); // the picture's width
    EXPECT_DOUBLE_EQ(w->state().buttonGap, (9000 - 3 * 1800) / 4.0);
    EXPECT_EQ(w->ctl("cmdCancel")->left(), 900);
    EXPECT_EQ(w->ctl("cmdNext")->left(), 9000 - 900 - 1800);
    EXPECT_EQ(w->ctl("cmdNext")->top(), 5000);
    EXPECT_EQ(w->ctl("cmdFinish")->top(), 5000);
    EXPECT_TRUE(w->ctl("cmdNext")->hasPicture());
    EXPECT_FALSE(w->ctl("cmdPrev")->hasPicture()); // the section names no Previous picture
    EXPECT_EQ(w->ctl("imgBack")->width(), 9000);
    EXPECT_EQ(w->ctl("imgBack")->container(), nullptr);
}

TEST_F(StartupTest, PersonalFieldsAndHolders)
{
    auto w = start();
    forms::Form &f = w->form();
    EXPECT_TRUE(w->ctl("lblFirstName")->isVisibleFlag());
    EXPECT_EQ(w->ctl("lblFirstName")->text(), "First");
    EXPECT_EQ(w->ctl("txtFirstName")->left(), 1500);
    EXPECT_EQ(w->ctl("txtFirstName")->maxLength(), 5);
    EXPECT_FALSE(w->ctl("lblLastName")->isVisibleFlag());
    EXPECT_FALSE(w->ctl("txtLastName")->isVisibleFlag());
    EXPECT_FALSE(w->ctl("txtAddress1")->isVisibleFlag()); // blanks are not "1"
    // A field the section does not mention is hidden with its label: it is
    // neither required nor sent, and gets no holders.
    EXPECT_FALSE(w->ctl("txtZip")->isVisibleFlag());
    EXPECT_FALSE(w->ctl("lblZip")->isVisibleFlag());

    forms::Control *pattern = f.control("txtFirstname_patten");
    ASSERT_NE(pattern, nullptr);
    EXPECT_EQ(pattern->text(), "a");
    EXPECT_FALSE(pattern->isVisibleFlag());
    EXPECT_EQ(pattern->container(), f.control("frmPages", 0));
    EXPECT_EQ(f.control("txtFirstname_optional")->text(), "0");
    EXPECT_EQ(f.control("txtZip_patten"), nullptr);
    EXPECT_EQ(f.control("txtState_patten")->text(), "u");
    EXPECT_EQ(f.control("txtCountry_patten"), nullptr);

    // The city is a list: its entries, the default in the list and the text box.
    forms::Control *city = w->ctl("cmbCity");
    EXPECT_EQ(city->itemCount(), 4);
    EXPECT_EQ(city->item(3), "");
    EXPECT_EQ(city->text(), "B");
    EXPECT_EQ(w->ctl("txtCity")->text(), "B");
    EXPECT_NE(f.control("cmbCity_optional"), nullptr);
    EXPECT_EQ(f.control("txtCity_patten"), nullptr);
    city->setText("C");
    EXPECT_EQ(w->ctl("txtCity")->text(), "C");
}

TEST_F(StartupTest, ReloadingASectionReplacesHolderTextsAndRefillsLists)
{
    auto w = start();
    auto countNamed = [&w](const QString &name) {
        int n = 0;
        for (forms::Control *c : w->form().controls())
            n += c->name().compare(name, Qt::CaseInsensitive) == 0;
        return n;
    };
    w->state().currentLanguage = "French";
    LoadLanguage(w->state());
    LoadGlobalSetting(w->form(), w->cancelDialog().form(), w->state());
    EXPECT_EQ(countNamed("txtFirstname_patten"), 1); // holders are reused, not duplicated
    EXPECT_EQ(countNamed("cmbCity_optional"), 1);
    // A field the new section does not mention is hidden, whatever the
    // earlier section said.
    EXPECT_FALSE(w->ctl("txtFirstName")->isVisibleFlag());
    EXPECT_FALSE(w->ctl("lblFirstName")->isVisibleFlag());
    EXPECT_EQ(w->ctl("cmbCity")->itemCount(), 2);
    EXPECT_EQ(w->ctl("cmbCity")->item(0), "X");
    EXPECT_EQ(w->form().caption(), "Titre FR");
    EXPECT_EQ(w->ctl("lblLanguage")->text(), "Choisir");
}

TEST_F(StartupTest, ATextElementTheSectionLacksLeavesItsControlAlone)
{
    auto w = start();
    forms::Control *thanks = w->ctl("lblThanksPrint");
    // The section has no methodpage/print: the option keeps the colours it
    // had (none set), not the section's default colours.
    forms::Control *print = w->ctl("optPrint");
    EXPECT_FALSE(print->foreColor().has_value());
    EXPECT_FALSE(print->backColor().has_value());
    // The French section names no thanks texts and no method page: caption,
    // position and colours all stay, the colours too (no default colour).
    w->state().currentLanguage = "French";
    LoadLanguage(w->state());
    LoadGlobalSetting(w->form(), w->cancelDialog().form(), w->state());
    EXPECT_EQ(thanks->text(), "Printed\r\nthanks");
    EXPECT_EQ(thanks->left(), 120);
    EXPECT_EQ(thanks->foreColor().value(), QColor(0, 0, 255));
    EXPECT_EQ(w->ctl("optOnline")->text(), "Go`online");
    EXPECT_FALSE(print->foreColor().has_value());
}

// --- the publisher's own pictures -------------------------------------------

// English has built-in pictures; Portuguese has none but what the
// publisher's folder gives it; Klingon has none at all.
const QString kOwnPicturesConfig = QStringLiteral(R"(<register>
  <use_default>1</use_default><default_language>%1</default_language>
  <default_country>Spain</default_country><country src="Spain"/>
  <language id="english" country="else" width="9000" height="6000" title="T">
    <welcomepic src="WELCOMETITLE_1" src2="WELCOMETITLE_2" x="100" y="100"/>
    <cancel src="CANCEL" srcover="CANCEL_OVER"/>
    <next src="%2" srcover="NEXT_OVER"/>
  </language>
  <language id="portuguese" country="else" width="9000" height="6000" title="T">
    <welcomepic src="WELCOMETITLE_1" src2="WELCOMETITLE_2" x="100" y="100"/>
    <cancel src="CANCEL" srcover="CANCEL_OVER"/>
    <next src="%2" srcover="NEXT_OVER"/>
  </language>
  <language id="klingon" country="else" width="9000" height="6000" title="T">
    <cancel src="CANCEL" srcover="CANCEL_OVER"/>
    <next src="NEXT" srcover="NEXT_OVER"/>
  </language>
</register>)");

// A picture file under pictures/: a plain colour of a size, or (no colour)
// bytes that are no picture.
struct PictureFile {
    const char *path;
    QColor colour;
    QSize size;
};

void writePictures(const QString &appPath, const QList<PictureFile> &files)
{
    for (const PictureFile &f : files) {
        const QString path = QDir(appPath).filePath(QStringLiteral("pictures/") + f.path);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!f.colour.isValid()) {
            testsupport::writeFile(QFileInfo(path).absolutePath(), QFileInfo(path).fileName(),
                                   "no picture at all");
            continue;
        }
        QImage image(f.size, QImage::Format_RGB32);
        image.fill(f.colour);
        ASSERT_TRUE(image.save(path)) << path.toStdString();
    }
}

bool near(QColor a, QColor b)
{
    // JPEG moves a plain colour by a few steps.
    return std::abs(a.red() - b.red()) < 8 && std::abs(a.green() - b.green()) < 8 &&
           std::abs(a.blue() - b.blue()) < 8;
}

QColor centre(const QPixmap &picture)
{
    const QImage image = picture.toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

QStringList problemLines(const WizardState &state)
{
    QStringList lines;
    for (const model::ConfigProblem &p : state.problems.all())
        lines << p.element + QStringLiteral(": ") + p.what + QStringLiteral("; ") + p.instead;
    return lines;
}

struct OwnPicturesCase {
    const char *name;
    const char *language;
    const char *nextSrc;
    QList<PictureFile> files;
    QSize nextSize;     // twips; the plain button's size when it has no picture
    QColor nextColour;  // invalid: no picture (plain button)
    QColor hoverColour; // invalid: the normal picture stays under the mouse; transparent: the
                        // built-in hover picture
    QString problem;    // the one line about <next>; empty: none
};

void PrintTo(const OwnPicturesCase &c, std::ostream *os)
{
    *os << c.name;
}

class OwnPicturesTable : public ::testing::TestWithParam<OwnPicturesCase> {};

const QColor kRed(200, 0, 0);
const QColor kBlue(0, 0, 200);
const QColor kGreen(0, 160, 0);

TEST_P(OwnPicturesTable, StandInForTheBuiltInOnes)
{
    const OwnPicturesCase &c = GetParam();
    QTemporaryDir dir;
    testsupport::writeFile(
        dir.path(), "config.xml",
        kOwnPicturesConfig.arg(QLatin1String(c.language), QLatin1String(c.nextSrc)));
    writePictures(dir.path(), c.files);
    MainForm w(dir.path(), {});
    w.Form_Load();
    const WizardState &state = w.state();
    forms::Control *next = w.ctl("cmdNext");
    EXPECT_EQ(QSize(next->width(), next->height()), c.nextSize);
    EXPECT_EQ(next->hasPicture(), c.nextColour.isValid());
    if (c.nextColour.isValid()) {
        EXPECT_TRUE(near(centre(state.nextPictures.normal), c.nextColour));
    }
    if (!c.hoverColour.isValid()) {
        EXPECT_EQ(state.nextPictures.hover.cacheKey(), state.nextPictures.normal.cacheKey());
    } else if (c.hoverColour.alpha() == 0) {
        EXPECT_EQ(state.nextPictures.hover.pixmap().size(), QSize(120, 20));
    } else {
        EXPECT_TRUE(near(centre(state.nextPictures.hover), c.hoverColour));
    }
    QStringList aboutNext;
    for (const QString &line : problemLines(state))
        if (line.startsWith(QStringLiteral("<next ")))
            aboutNext << line;
    EXPECT_EQ(aboutNext.join(u'\n').toStdString(), c.problem.toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Startup, OwnPicturesTable,
    ::testing::Values(
        OwnPicturesCase{"SectionsOwn",
                        "english",
                        "NEXT",
                        {{"english/NEXT.png", kRed, {160, 30}}},
                        {2400, 450},
                        kRed,
                        QColor(Qt::transparent),
                        {}},
        OwnPicturesCase{"ForAllSections",
                        "english",
                        "NEXT",
                        {{"NEXT.jpg", kBlue, {100, 24}}, {"NEXT_OVER.png", kGreen, {100, 24}}},
                        {1500, 360},
                        kBlue,
                        kGreen,
                        {}},
        OwnPicturesCase{"TheSectionsOwnWins",
                        "english",
                        "NEXT",
                        {{"english/NEXT.png", kRed, {160, 30}}, {"NEXT.png", kBlue, {100, 24}}},
                        {2400, 450},
                        kRed,
                        QColor(Qt::transparent),
                        {}},
        OwnPicturesCase{"LetterCaseIgnored",
                        "english",
                        "next",
                        {{"ENGLISH/Next.PNG", kGreen, {90, 30}}},
                        {1350, 450},
                        kGreen,
                        QColor(Qt::transparent),
                        {}},
        // Portuguese has no built-in hover picture to fall back on.
        OwnPicturesCase{"MissingHoverPicture",
                        "portuguese",
                        "NEXT",
                        {{"portuguese/NEXT.png", kRed, {160, 30}}},
                        {2400, 450},
                        kRed,
                        {},
                        "<next srcover=\"NEXT_OVER\">: \"NEXT_OVER\" is not among "
                        "the pictures of portuguese; the button keeps its normal picture under "
                        "the mouse"},
        OwnPicturesCase{"UndecodableFile",
                        "english",
                        "NEXT",
                        {{"english/NEXT.png", {}, {}}},
                        {1800, 300},
                        {},
                        QColor(Qt::transparent),
                        "<next src=\"NEXT\">: \"NEXT\" is the file "
                        "pictures/english/NEXT.png, which does not decode as a PNG, JPEG or GIF "
                        "picture; the button shows its name"},
        OwnPicturesCase{"NameNobodyProvides",
                        "portuguese",
                        "NEXTT",
                        {{"CANCEL.png", kRed, {120, 20}}, {"NEXT_OVER.png", kGreen, {120, 20}}},
                        {1800, 300},
                        {},
                        kGreen,
                        "<next src=\"NEXTT\">: \"NEXTT\" is not among the "
                        "pictures of portuguese; the button shows its name"}),
    testsupport::RowName());

TEST_F(StartupTest, OwnBackgroundAndTitlePictures)
{
    testsupport::writeFile(dir.path(), "config.xml",
                           kOwnPicturesConfig.arg(QStringLiteral("portuguese"), "NEXT"));
    writePictures(dir.path(), {{"portuguese/back.jpg", kBlue, {600, 400}},
                               {"WELCOMETITLE_1.png", kRed, {300, 50}},
                               {"WELCOMETITLE_2.png", kGreen, {300, 50}}});
    MainForm w(dir.path(), {});
    w.Form_Load();
    EXPECT_TRUE(w.ctl("imgBack")->hasPicture());
    forms::Control *title = w.ctl("imgWelcomeTitle");
    EXPECT_EQ(QSize(title->width(), title->height()), QSize(4500, 750));
    EXPECT_TRUE(near(centre(w.state().welcomeTitlePicture), kRed));
    EXPECT_TRUE(near(centre(w.state().pageTitlePicture), kGreen));
}

// A section without pictures shows what it shows when it is the first one
// read: nothing of the section chosen before stays.
TEST_F(StartupTest, ASectionWithoutPicturesKeepsNoneOfTheSectionBefore)
{
    testsupport::writeFile(dir.path(), "config.xml",
                           kOwnPicturesConfig.arg(QStringLiteral("english"), "NEXT"));
    MainForm w(dir.path(), {});
    w.Form_Load();
    ASSERT_TRUE(w.ctl("cmdNext")->hasPicture());
    ASSERT_TRUE(w.ctl("imgBack")->hasPicture());
    w.state().currentLanguage = "klingon";
    LoadLanguage(w.state());
    LoadGlobalSetting(w.form(), w.cancelDialog().form(), w.state());
    for (const char *name : {"cmdNext", "cmdCancel", "imgBack", "imgWelcomeTitle"})
        EXPECT_FALSE(w.ctl(name)->hasPicture()) << name;
    EXPECT_EQ(w.ctl("cmdNext")->width(), 1800);
    EXPECT_TRUE(w.state().welcomeTitlePicture.isNull());
    EXPECT_TRUE(w.state().pageTitlePicture.isNull());
}

TEST_F(StartupTest, MissingConfigurationShowsAClearMessage)
{
    MainForm w(dir.path(), {});
    QString shown;
    {
        testsupport::DialogAnswers answers;
        w.Form_Load();
        ASSERT_EQ(answers.asked.size(), 1u);
        shown = answers.asked[0].text;
    }
    EXPECT_TRUE(shown.startsWith("The registration wizard cannot read its configuration."));
    EXPECT_TRUE(shown.contains("config.xml")) << shown.toStdString();
    EXPECT_EQ(w.ctl("cmbCountry")->itemCount(), 0);
    EXPECT_TRUE(w.isEnabled());

    // The language of the command line (a reminder's relaunch) gives the words.
    for (const auto &[argument, opening] :
         {std::pair{"/language=french", "L'assistant d'enregistrement ne peut pas lire"},
          std::pair{"/language=German", "Der Registrierungsassistent kann"},
          std::pair{"/language=klingon", "The registration wizard cannot read"}}) {
        MainForm again(dir.path(), {argument});
        testsupport::DialogAnswers answers;
        again.Form_Load();
        shown = answers.texts().join(u'|');
        EXPECT_TRUE(shown.startsWith(QString::fromUtf8(opening))) << shown.toStdString();
    }
}

TEST_F(StartupTest, BrokenConfigurationNamesLineAndColumn)
{
    testsupport::writeFile(dir.path(), "config.xml", "<register>\n<language id='x'>\n</register>");
    MainForm w(dir.path(), {});
    testsupport::DialogAnswers answers;
    w.Form_Load();
    const QString shown = answers.texts().join(u'|');
    EXPECT_TRUE(shown.contains("line 3")) << shown.toStdString();
}

TEST_F(StartupTest, MissingStartupNodesDoNotCrash)
{
    testsupport::writeFile(dir.path(), "config.xml",
                           "<register><language/><language country='else'/></register>");
    MainForm w(dir.path(), {"/default=1"});
    w.Form_Load();
    // The first section is used and its (missing) id becomes the language.
    EXPECT_EQ(w.state().currentLanguage, "");
    EXPECT_EQ(w.ctl("cmbCountry")->itemCount(), 2); // empty entry and "Other"
}

} // namespace
