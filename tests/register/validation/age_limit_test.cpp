// The country's age limit: which //age entry applies, what it sets, and how
// the welcome page's birth date is judged against it.
#include "register/dialogs/dlg_error.h"
#include "register/validation/age_limit.h"
#include "register/validation/data_validation.h"
#include "tests/register/dialogs/dialog_answers.h"
#include "tests/register/validation/validation_fixture.h"
#include "tests/support/test_support.h"

namespace {

const QString kAges = QStringLiteral(R"(<register>
  <age>
    <object country="Germany" age="16" option="0" prompt="At least 16 in Germany."/>
    <object country="United States" age="13" option="1" prompt="Under 13?`Ask a parent."/>
    <object country="Germany" age="99" option="1" prompt="A later duplicate is never used."/>
    <else age="12" option="1" prompt="Under 12?"/>
  </age>
</register>)");

class AgeLimit : public ValidationFixture {
  protected:
    void load(const QString &markup, const QString &country)
    {
        state.configDoc.loadXml(markup);
        form.control("txtCountry")->setText(country);
        LoadAgeLimit(form, state);
    }
    QString minimumAge() { return form.control("page_3_dat_0_patten")->text(); }

    void SetUp() override
    {
        ValidationFixture::SetUp();
        // The welcome page's birth date (page pageCount + 1, id 0).
        birthDay = dateObject(kPageCount + 1, "0", "", "", "", "13", "0");
    }
    forms::Control *birthDay = nullptr;
};

TEST_F(AgeLimit, CountryEntryOrElse)
{
    const struct {
        const char *country;
        const char *age, *prompt, *option;
    } cases[] = {
        {"Germany", "16", "At least 16 in Germany.", "0"},
        {"United States", "13", "Under 13?`Ask a parent.", "1"},
        {"germany", "12", "Under 12?", "1"}, // compared exactly
        {"Peru", "12", "Under 12?", "1"},
        {"", "12", "Under 12?", "1"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.country);
        load(kAges, c.country);
        EXPECT_EQ(minimumAge(), c.age);
        EXPECT_EQ(state.agePrompt, c.prompt);
        EXPECT_EQ(state.ageOption, c.option);
    }
}

// Read for several countries at once (as the configuration check reads every
// entry), the age list gives each country what it gives that country alone,
// and reports the same problems in the same order.
TEST_F(AgeLimit, SeveralCountriesAtOnceAsEachAlone)
{
    const QString faulty = QStringLiteral(R"(<register>
  <age>
    <object age="13" option="1" prompt="No country"/>
    <object country="Germany" age="x" option="1" prompt="p"/>
    <object country="Peru" age="14" option="1" prompt="Under 14?"/>
    <object age="12"/>
    <object country="Peru" age="99" option="1" prompt="never"/>
    <object country="Chile" age="15" prompt="no option"/>
  </age>
</register>)");
    const struct {
        const QString *markup;
        QStringList countries;
    } cases[] = {
        {&kAges, {"Germany", "United States", "Germany", "Other"}},
        {&kAges, {"Peru"}},
        {&faulty, {"Peru", "Chile", "Germany", "Peru", "Other"}},
        {&faulty, {"Chile", "Germany"}},
        {&faulty, {"Other"}},
        {&faulty, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.countries.join(u',').toStdString());
        state.problems.clear();
        QString age = QStringLiteral("unset"), prompt, option;
        for (const QString &country : c.countries) {
            load(*c.markup, country);
            age = minimumAge();
            prompt = state.agePrompt;
            option = state.ageOption;
        }
        const QList<model::ConfigProblem> aloneProblems = state.problems.all();

        state.problems.clear();
        state.configDoc.loadXml(*c.markup);
        form.control("page_3_dat_0_patten")->setText(QStringLiteral("unset"));
        LoadAgeLimits(form, state, c.countries);
        QStringList problems, expected;
        for (const model::ConfigProblem &p : state.problems.all())
            problems << p.toString();
        for (const model::ConfigProblem &p : aloneProblems)
            expected << p.toString();
        EXPECT_EQ(problems, expected);
        EXPECT_EQ(minimumAge(), age);
        if (!c.countries.isEmpty()) {
            EXPECT_EQ(form.control("txtCountry")->text(), c.countries.last());
            EXPECT_EQ(state.agePrompt, prompt);
            EXPECT_EQ(state.ageOption, option);
        }
    }
}

TEST_F(AgeLimit, WithoutAUsableEntryNoLimitApplies)
{
    const struct {
        const char *name;
        const char *markup;
        const char *age, *prompt, *option;
    } cases[] = {
        {"noAgeElement", "<register/>", "", "", ""},
        {"noMatchNoElse",
         R"(<register><age><object country="Spain" age="18" option="0" prompt="p"/></age></register>)",
         "", "", ""},
        {"entryWithoutAge", R"(<register><age><else option="0" prompt="p"/></age></register>)", "",
         "", ""},
        {"ageNotANumber",
         R"(<register><age><else age="teen" option="0" prompt="p"/></age></register>)", "", "", ""},
        {"entryWithoutPrompt", R"(<register><age><else age="18" option="1"/></age></register>)", "",
         "", ""},
        {"entryWithoutOptionBlocks",
         R"(<register><age><else age="18" prompt="p"/></age></register>)", "18", "p", ""},
        {"objectWithoutCountryIsPassedOver",
         R"(<register><age><object age="18" option="1" prompt="no country"/><else age="14" option="0" prompt="else"/></age></register>)",
         "14", "else", "0"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        load(kAges, "Germany"); // a limit from an earlier pass
        load(QString::fromUtf8(c.markup), "Germany");
        EXPECT_EQ(minimumAge(), c.age);
        EXPECT_EQ(state.agePrompt, c.prompt);
        EXPECT_EQ(state.ageOption, c.option);
    }
}

TEST_F(AgeLimit, WelcomePageWithoutBirthDateStillSetsThePrompt)
{
    state.pageCount = 5; // the holder page_3_... is not the welcome page's now
    load(kAges, "Germany");
    EXPECT_EQ(minimumAge(), "13");
    EXPECT_EQ(state.agePrompt, "At least 16 in Germany.");
}

TEST_F(AgeLimit, BirthDateIsJudgedAgainstTheCountrysAge)
{
    showPage(1, 0);
    const struct {
        const char *country;
        int year;
        bool valid;
        const char *message; // null: the wrong-data message, not the age warning
        const char *month = "12";
        const char *day = "31";
        const char *optional = "0";
    } cases[] = {
        {"Germany", 2008, true, ""}, // 16 by calendar year, birthday still to come
        {"Germany", 2009, false, "At least 16 in Germany."},
        {"United States", 2011, true, ""},
        {"United States", 2012, false, "Under 13?`Ask a parent."},
        // A birth date that does not exist is no way past the age limit,
        // even where the date may be left out.
        {"Germany", 2009, false, nullptr, "2", "31", "1"},
        {"Germany", 2000, false, nullptr, "2", "30", "1"},
        {"Germany", 2000, true, "", "2", "29", "1"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.country);
        load(kAges, c.country);
        form.control("page_3_dat_0_optional")->setText(c.optional);
        form.control("page_3_dat_0y")->setText(QString::number(c.year));
        form.control("page_3_dat_0m")->setText(c.month);
        form.control("page_3_dat_0d")->setText(c.day);
        state.wrongDataMessage.clear();
        EXPECT_EQ(isDataValid(form, state, today).valid, c.valid);
        if (!c.valid) {
            EXPECT_EQ(state.wrongDataMessage, c.message ? c.message : state.dataErrorText);
            // The navigation tells the age warning from other failures so.
            EXPECT_EQ(state.wrongDataMessage == state.agePrompt, c.message != nullptr);
            EXPECT_TRUE(hasFocus(birthDay));
        }
    }
}

} // namespace

// The age warning through the welcome page's Next: confirmable where the
// country's option is "1", blocking otherwise.
namespace {

const QString kWizard = QStringLiteral(R"(<register>
  <use_default>0</use_default><default_language>English</default_language>
  <default_country/><default_gamename>Game</default_gamename><default_url>http://x/</default_url>
  <country src="Germany|United States"/>
  <age>
    <object country="Germany" age="16" option="0" prompt="At least 16 in Germany."/>
    <object country="United States" age="13" option="1" prompt="Under 13?`Ask a parent."/>
    <else age="13" option="1" prompt="Under 13?"/>
  </age>
  <language id="english" country="else">
    <dataerror>Wrong data</dataerror>
    <welcome>
      <object type="date" id="0" src="d/m/y" text="//" x="100" y="100" patten="13" optional="0"/>
    </welcome>
    <page><object type="label" id="1" src="q" x="100" y="100"/></page>
  </language>
</register>)");

class AgeWarning : public ::testing::Test {
  protected:
    void SetUp() override
    {
        testsupport::writeFile(dir.path(), "config.xml", kWizard);
        w.Form_Load();
    }
    void toWelcome(const char *country)
    {
        forms::Control *countries = w.ctl("cmbCountry");
        for (int i = 0; i < countries->itemCount(); ++i)
            if (countries->item(i) == QLatin1String(country))
                countries->setListIndex(i);
        forms::Control *languages = w.ctl("cmbLanguage");
        for (int i = 0; i < languages->itemCount(); ++i)
            if (languages->item(i) == QLatin1String("English"))
                languages->setListIndex(i);
        w.cmdNext_Click();
        ASSERT_EQ(w.state().stage, Stage::Welcome);
    }
    void birthDate(int year)
    {
        w.ctl("page_2_dat_0y")->setText(QString::number(year));
        w.ctl("page_2_dat_0m")->setText("1");
        w.ctl("page_2_dat_0d")->setText("1");
    }
    // Presses Next and answers the message that comes up with OK or Cancel;
    // returns the message shown and whether it offered Cancel.
    std::pair<QString, bool> nextAnswering(bool ok)
    {
        testsupport::DialogAnswers answers({ok ? DlgError::Answer::Ok : DlgError::Answer::Cancel});
        answers.whileShown = [](DlgError &dialog) {
            // What the player sees: the Cancel button, not only the offer.
            EXPECT_EQ(dialog.form().control("cmdCancel")->isVisibleFlag(),
                      dialog.buttons() == DlgError::Buttons::OkCancel);
        };
        w.cmdNext_Click();
        if (answers.asked.empty())
            return {};
        return {answers.asked[0].text, answers.asked[0].buttons == DlgError::Buttons::OkCancel};
    }

    QTemporaryDir dir;
    static WizardServices fixedClock()
    {
        WizardServices s;
        s.clock =
            std::make_shared<testsupport::TestClock>(QDateTime(QDate(2024, 6, 15), QTime(12, 0)));
        s.endProgram = [] {};
        return s;
    }
    MainForm w{dir.path(), {}, fixedClock()};
};

TEST_F(AgeWarning, ConfirmableWarningLetsAParentAgree)
{
    toWelcome("United States");
    birthDate(2012);
    auto [message, offeredCancel] = nextAnswering(/*ok=*/false);
    EXPECT_EQ(message, "Under 13?\r\nAsk a parent.");
    EXPECT_TRUE(offeredCancel);
    EXPECT_EQ(w.state().stage, Stage::Welcome); // Cancel: correct the date

    std::tie(message, offeredCancel) = nextAnswering(/*ok=*/true);
    EXPECT_TRUE(offeredCancel);
    EXPECT_EQ(w.state().stage, Stage::Pages);
    EXPECT_EQ(w.state().pageIndex, 0);
}

TEST_F(AgeWarning, BlockingWarningOnlyInforms)
{
    toWelcome("Germany");
    birthDate(2009);
    auto [message, offeredCancel] = nextAnswering(/*ok=*/true);
    EXPECT_EQ(message, "At least 16 in Germany.");
    EXPECT_FALSE(offeredCancel);
    EXPECT_EQ(w.state().stage, Stage::Welcome);

    birthDate(2008);
    w.cmdNext_Click(); // valid: no message
    EXPECT_EQ(w.state().stage, Stage::Pages);
}

} // namespace
