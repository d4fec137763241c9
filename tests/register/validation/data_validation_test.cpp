// The walk over the page shown: which text boxes take part, in which order,
// and what a failure leaves behind (the focus and wrongDataMessage).
#include "register/validation/data_validation.h"

#include "register/pages/containers.h"
#include "register/pages/page_builder.h"
#include "tests/register/validation/validation_fixture.h"
#include "tests/support/test_support.h"

namespace {

using DataValidation = ValidationFixture;

TEST_F(DataValidation, TestModeAnswersTrueAndTouchesNothing)
{
    showPage(2, 1);
    textObject(1, "1", "", "n", "0", "Required");
    choiceObject(1, "chk", "2", 3, "3", "Tick one");
    forms::Control *other = form.control("txtFirstName");
    other->setFocus();
    state.normalMode = false;
    state.wrongDataMessage = "earlier";
    EXPECT_TRUE(isDataValid(form, state, today));
    EXPECT_EQ(state.wrongDataMessage, "earlier");
    EXPECT_TRUE(hasFocus(other));
}

TEST_F(DataValidation, PersonalFieldFollowsPatternAndOptionalHolders)
{
    const struct {
        const char *name;
        const char *pattern;
        const char *optional;
        const char *answer;
        bool valid;
    } cases[] = {
        {"emptyOptional", "n", "1", "", true},
        {"emptyRequired", "n", "0", "", false},
        {"emptyWithoutOptionalText", "n", "", "", false},
        {"blanksOnlyCountAsEmpty", "n", "0", "   ", false},
        {"patternFails", "n", "1", "12a", false},
        {"patternPassesTrimmed", "n", "0", " 123 ", true},
        {"mailPasses", "m", "0", "a@b.c", true},
        {"mailFails", "m", "1", "a@.bc", false},
        {"noPattern", "", "0", "x", true},
    };
    showPage(2, 0);
    forms::Control *zip = personalField("txtZip", "txtZip", "", "", "");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        zip->setText(c.answer);
        form.control("txtZip_patten")->setText(c.pattern);
        form.control("txtZip_optional")->setText(c.optional);
        state.wrongDataMessage.clear();
        EXPECT_EQ(isDataValid(form, state, today).valid, c.valid);
        EXPECT_EQ(state.wrongDataMessage, state.dataErrorText);
        if (!c.valid) {
            EXPECT_TRUE(hasFocus(zip));
        }
    }
}

TEST_F(DataValidation, PersonalFieldsThatAreHiddenOrNotTextBoxesAreNotChecked)
{
    showPage(2, 0);
    personalField("txtFirstName", "txtFirstname", "", "", "0")->setVisible(false);
    // The city list's holder: a list is not checked.
    state.personalFields.add(holder("cmbCity_optional", "0", frame(0)),
                             state.personalFields.personalField(QLatin1String("cmbCity")),
                             built::Role::OptionalHolder);
    EXPECT_TRUE(isDataValid(form, state, today));
    form.control("txtFirstName")->setVisible(true);
    EXPECT_FALSE(isDataValid(form, state, today));
    // Personal fields count on the personal page only.
    showPage(2, 1);
    EXPECT_TRUE(isDataValid(form, state, today));
    showPage(1, 0);
    EXPECT_TRUE(isDataValid(form, state, today));
}

TEST_F(DataValidation, FirstFailingFieldInCollectionOrderWinsAndHasTheFocus)
{
    showPage(2, 0);
    forms::Control *first = personalField("txtLastName", "txtLastname", "", "", "0");
    forms::Control *second = personalField("txtFirstName", "txtFirstname", "", "", "0");
    EXPECT_FALSE(isDataValid(form, state, today));
    EXPECT_TRUE(hasFocus(first)); // its holders were created first
    first->setText("Doe");
    EXPECT_FALSE(isDataValid(form, state, today));
    EXPECT_TRUE(hasFocus(second));
    second->setText("Jane");
    EXPECT_TRUE(isDataValid(form, state, today));
}

TEST_F(DataValidation, QuestionPageTakesTheFieldMessageOfTheFirstFailure)
{
    showPage(2, 1);
    textObject(1, "1", "fine", "", "0", "First message");
    forms::Control *second = textObject(1, "2", "", "", "0", "Second message");
    textObject(1, "3", "", "", "0", "Third message");
    state.wrongDataMessage = "earlier";
    EXPECT_FALSE(isDataValid(form, state, today));
    EXPECT_EQ(state.wrongDataMessage, "Second message");
    EXPECT_TRUE(hasFocus(second));
}

TEST_F(DataValidation, FreeTextFieldDoesNotEndTheWalk)
{
    // A filled comment box ("@" or no pattern) before a required field: the
    // required field is still checked.
    showPage(2, 2);
    textObject(2, "1", "A comment", "@", "1");
    textObject(2, "2", "Another", "", "1");
    forms::Control *required = textObject(2, "3", "", "n", "0", "Please answer");
    EXPECT_FALSE(isDataValid(form, state, today));
    EXPECT_EQ(state.wrongDataMessage, "Please answer");
    EXPECT_TRUE(hasFocus(required));
    required->setText("42");
    EXPECT_TRUE(isDataValid(form, state, today));
}

TEST_F(DataValidation, OnlyTheShownQuestionPageIsChecked)
{
    textObject(1, "1", "", "", "0");
    textObject(2, "1", "", "", "0");
    showPage(2, 1);
    EXPECT_FALSE(isDataValid(form, state, today));
    form.control("page_1_txt_1")->setText("x");
    EXPECT_TRUE(isDataValid(form, state, today));
    showPage(2, 2);
    EXPECT_FALSE(isDataValid(form, state, today));
}

TEST_F(DataValidation, WelcomePageAppliesATextPatternEvenWhenEmpty)
{
    const int welcome = kPageCount + 1;
    forms::Control *mail = textObject(welcome, "1", "", "m", "1");
    showPage(1, 0);
    EXPECT_FALSE(isDataValid(form, state, today));
    EXPECT_TRUE(hasFocus(mail));

    // The same field on a question page is optional and left empty: it passes.
    textObject(1, "1", "", "m", "1");
    showPage(2, 1);
    EXPECT_TRUE(isDataValid(form, state, today));
}

TEST_F(DataValidation, ADateOfBirthAfterTodayIsWrongData)
{
    const int welcome = kPageCount + 1;
    const struct {
        const char *name;
        const char *id;
        const char *year, *month, *day;
        const char *pattern; // the age limit of the country, or none
        bool valid;
    } cases[] = {
        {"tomorrowNoAgeLimit", "0", "2024", "6", "16", "", false},
        {"futureWithAgeLimit", "0", "2031", "7", "4", "13", false},
        {"todayNoAgeLimit", "0", "2024", "6", "15", "", true},
        // Another date of the welcome page may lie ahead.
        {"otherDateTomorrow", "1", "2024", "6", "16", "", true},
    };
    showPage(1, 0);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString n = objectName(welcome, "dat", c.id);
        if (!form.control(n + "d"))
            dateObject(welcome, c.id, "", "", "", "", "1");
        form.control(n + "y")->setText(c.year);
        form.control(n + "m")->setText(c.month);
        form.control(n + "d")->setText(c.day);
        form.control(n + "_patten")->setText(c.pattern);
        forms::Control *day = form.control(n + "d");
        state.wrongDataMessage.clear();
        EXPECT_EQ(isDataValid(form, state, today).valid, c.valid);
        if (!c.valid) {
            EXPECT_TRUE(hasFocus(day));
            EXPECT_EQ(state.wrongDataMessage, state.dataErrorText); // no age question
        }
        form.control(n + "y")->setText(""); // an empty optional date passes
    }
}

TEST_F(DataValidation, PersonalPageObjectsAreCheckedThereNotOnTheWelcomePage)
{
    // Configured objects of the personal page (page 0) lie in its frame.
    forms::Control *nick = textObject(0, "1", "", "", "0", "Your nickname, please");
    showPage(1, 0);
    EXPECT_TRUE(isDataValid(form, state, today));
    showPage(2, 0);
    EXPECT_FALSE(isDataValid(form, state, today));
    EXPECT_EQ(state.wrongDataMessage, "Your nickname, please");
    EXPECT_TRUE(hasFocus(nick));
}

TEST_F(DataValidation, ChoiceListsNeedOneOptionUnlessOptional)
{
    const struct {
        const char *name;
        const char *type;
        int options;
        const char *holderText;
        int ticked; // -1: none
        bool valid;
    } cases[] = {
        {"checkListNoneTicked", "chk", 3, "3", -1, false},
        {"checkListOneTicked", "chk", 3, "3", 2, true},
        {"checkListOptional", "chk", 3, "0", -1, true},
        {"listNoneSelected", "lst", 6, "6", -1, false},
        {"listOneSelected", "lst", 6, "6", 5, true},
        {"listOptional", "lst", 6, "0", -1, true},
        {"missingOptionsAddNothing", "chk", 2, "5", -1, false},
        {"countBeyondTheOptions", "chk", 2, "5", 1, true},
        {"tickBeyondTheCountIsNotCounted", "chk", 3, "2", 2, false},
        {"countNotANumberSkipsTheCheck", "chk", 3, "three", -1, true},
    };
    int id = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const int page = 1 + (id % 2); // keep earlier cases off the page checked
        showPage(2, page);
        const QString objectId = QString::number(++id);
        const QList<forms::Control *> boxes =
            choiceObject(page, c.type, objectId, c.options, c.holderText, "Choose one");
        if (c.ticked >= 0)
            boxes[c.ticked]->setValue(1);
        state.wrongDataMessage.clear();
        EXPECT_EQ(isDataValid(form, state, today).valid, c.valid);
        if (!c.valid) {
            EXPECT_EQ(state.wrongDataMessage, "Choose one");
            EXPECT_TRUE(hasFocus(boxes[0]));
        }
        // Take the case off the page so the next one is judged alone.
        for (forms::Control *b : boxes)
            b->setValue(1);
        form.control(objectName(page, c.type, objectId) + "_optional")->setText("0");
    }
}

TEST_F(DataValidation, DateObjectFollowsItsHolders)
{
    const struct {
        const char *name;
        const char *year, *month, *day;
        const char *pattern, *optional;
        bool valid;
        bool ageMessage;
        bool welcome = false; // on the welcome page, else on a question page
    } cases[] = {
        {"emptyOptional", "", "", "", "d", "1", true, false},
        {"emptyRequired", "", "", "", "d", "0", false, false},
        {"partialRequired", "1990", "5", "", "", " 0 ", false, false},
        {"partialOptional", "1990", "5", "", "", "1", true, false},
        // Completed, a date that does not exist is wrong data, optional or not.
        {"notACalendarDate", "2023", "2", "29", "", "1", false, false},
        {"notACalendarDateRequired", "2023", "2", "29", "", "0", false, false},
        {"thirtyFirstOfFebruaryOptional", "2019", "2", "31", "", "1", false, false},
        {"startingTextsOptional", "Year", "Month", "Day", "", "1", true, false},
        {"partlyChosenOptional", "2019", "Month", "31", "", "1", true, false},
        {"year1752", "1752", "12", "31", "", "1", false, false},
        {"year1753", "1753", "1", "1", "", "1", true, false},
        {"futureIsNotRejected", "2030", "1", "1", "", "0", true, false},
        {"oldEnough", "2011", "12", "31", "13", "0", true, false},
        {"tooYoung", "2012", "1", "1", "13", "0", false, true},
        // A date of birth after today is wrong data, not a question of age.
        {"birthDateInTheFuture", "2031", "7", "4", "13", "0", false, false},
        {"welcomeThirtyFirstOfFebruaryOptional", "2019", "2", "31", "", "1", false, false, true},
        {"welcomePartlyChosenOptional", "2019", "Month", "31", "", "1", true, false, true},
        {"welcomeEmptyOptional", "", "", "", "", "1", true, false, true},
    };
    int id = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const int page = c.welcome ? kPageCount + 1 : 1 + (id % 2);
        if (c.welcome)
            showPage(1, 0);
        else
            showPage(2, page);
        const QString objectId = QString::number(++id);
        forms::Control *day =
            dateObject(page, objectId, c.year, c.month, c.day, c.pattern, c.optional);
        state.wrongDataMessage.clear();
        EXPECT_EQ(isDataValid(form, state, today).valid, c.valid);
        if (!c.valid) {
            EXPECT_TRUE(hasFocus(day));
            EXPECT_EQ(state.wrongDataMessage, c.ageMessage ? state.agePrompt : state.dataErrorText);
        }
        // Make the case pass so that it does not decide the next one.
        form.control(objectName(page, "dat", objectId) + "_patten")->setText("");
        form.control(objectName(page, "dat", objectId) + "_optional")->setText("1");
        form.control(objectName(page, "dat", objectId) + "y")->setText("");
    }
}

TEST_F(DataValidation, MissingControlsSkipTheirStep)
{
    showPage(2, 1);
    // Holders whose field is gone, a date without lists or optional holder,
    // a holder nothing recorded.
    auto recorded = [this](built::Questions &record, built::Question &q, built::Role role,
                           const char *name, const char *text,
                           forms::Control *in) { record.add(holder(name, text, in), q, role); };
    built::Questions &objects = state.pageQuestions;
    recorded(objects, question(1, "txt", "7"), built::Role::OptionalHolder, "page_1_txt_7_optional",
             "0", frame(1));
    recorded(objects, question(1, "txt", "8"), built::Role::PatternHolder, "page_1_txt_8_patten",
             "n", frame(1));
    recorded(objects, question(1, "dat", "9"), built::Role::PatternHolder, "page_1_dat_9_patten",
             "13", frame(1));
    recorded(state.personalFields, state.personalFields.personalField(QLatin1String("txtNothing")),
             built::Role::OptionalHolder, "txtNothing_optional", "0", frame(0));
    holder("page_x_txt_1_optional", "0", frame(1));
    EXPECT_TRUE(isDataValid(form, state, today));
}

// Question pages built by the page builder from their markup. The first
// failing field in the window's walk order wins: its message stands and the
// focus is on it.
TEST_F(DataValidation, BuiltPagesFailAtTheFirstFieldInTheWindowsOrder)
{
    const QString text = QStringLiteral(
        R"(<object type="text" id="%1" src="" x="100" y="%2" width="1000" height="300" maxlength="0" password="" patten="%3" optional="%4"/>)");
    const QString checks = QStringLiteral(
        R"(<object type="checkbox" id="3" src="A|B" x="3000|100" y="900|900" width="1000" optional="0" error="Tick one"/>)");
    const struct {
        const char *name;
        QStringList pages;                          // question pages 1, 2
        QList<std::pair<QString, QString>> answers; // "=1": chosen
        int pageShown;
        bool valid;
        QString message; // empty: the general wrong-data text
        QString focus;   // the control with the focus after a failure
    } cases[] = {
        {"required text empty",
         {text.arg("2").arg(100).arg("", "0")},
         {},
         1,
         false,
         {},
         "page_1_txt_2"},
        {"the first failing field wins, in build order",
         {text.arg("2").arg(100).arg("", "0") + checks},
         {},
         1,
         false,
         {},
         "page_1_txt_2"},
        {"then the box's own message, the focus on its first option",
         {text.arg("2").arg(100).arg("", "0") + checks},
         {{"page_1_txt_2", "x"}},
         1,
         false,
         "Tick one",
         "page_1_chk_3opt0"},
        {"a ticked box passes", {checks}, {{"page_1_chk_3opt1", "=1"}}, 1, true, {}, {}},
        {"a pattern checks a typed answer",
         {text.arg("2").arg(100).arg("n", "1")},
         {{"page_1_txt_2", "12a"}},
         1,
         false,
         {},
         "page_1_txt_2"},
        {"an id used twice keeps the rules written last",
         {text.arg("2").arg(100).arg("", "0") + text.arg("2").arg(500).arg("", "1")},
         {},
         1,
         true,
         {},
         {}},
        {"only the page shown is checked",
         {text.arg("2").arg(100).arg("", "1"), text.arg("2").arg(100).arg("", "0")},
         {},
         1,
         true,
         {},
         {}},
        {"the second page when it is shown",
         {text.arg("2").arg(100).arg("", "1"), text.arg("2").arg(100).arg("", "0")},
         {},
         2,
         false,
         {},
         "page_2_txt_2"},
        {"an id holding a \"_\" is not checked",
         {text.arg("4_b").arg(100).arg("", "0")},
         {},
         1,
         true,
         {},
         {}},
        {"a list needs one option unless optional",
         {R"(<object type="list" id="6" src="P|Q" x="100" y="100" wdith="2000" height="1000" optional="0"/>)"},
         {},
         1,
         false,
         {},
         "page_1_lst_6opt0"},
        {"a completed date that does not exist fails even when optional",
         {R"(<object type="date" id="7" src="d.m.y" text="D.M.Y" x="100" y="100" patten="" optional="1"/>)"},
         {{"page_1_dat_7d", "31"}, {"page_1_dat_7m", "2"}, {"page_1_dat_7y", "2023"}},
         1,
         false,
         {},
         "page_1_dat_7d"},
        {"a date left at its starting texts passes when optional",
         {R"(<object type="date" id="7" src="d.m.y" text="D.M.Y" x="100" y="100" patten="" optional="1"/>)"},
         {},
         1,
         true,
         {},
         {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        // As the wizard does between two builds.
        RemoveAllObject(form);
        state.pageQuestions.clear();
        state.pageCount = std::int16_t(c.pages.size());
        for (int p = 0; p < c.pages.size(); ++p) {
            const QString title = QStringLiteral("question page %1").arg(p + 1);
            buildPage(form, state, p + 1,
                      model::describePage("<page>" + c.pages[p] + "</page>", title), frame(p + 1),
                      title, today);
        }
        for (const auto &[name, answer] : c.answers) {
            forms::Control *control = form.control(name);
            ASSERT_NE(control, nullptr) << name.toStdString();
            if (answer == QLatin1String("=1"))
                control->setValue(1);
            else
                control->setText(answer);
        }
        showPage(2, c.pageShown);
        const DataVerdict verdict = isDataValid(form, state, today);
        EXPECT_EQ(verdict.valid, c.valid);
        if (!c.valid) {
            EXPECT_EQ(verdict.message, c.message.isEmpty() ? state.dataErrorText : c.message);
            ASSERT_NE(form.control(c.focus), nullptr);
            EXPECT_TRUE(hasFocus(form.control(c.focus)));
        }
    }
}

// The personal page as start-up builds it from the configuration.
TEST(DataValidationFromConfiguration, PersonalPageBuiltByStartup)
{
    QTemporaryDir dir;
    testsupport::writeFile(dir.path(), "config.xml", R"(<register>
  <use_default>0</use_default><default_language>English</default_language>
  <default_country/><default_gamename>Game</default_gamename><default_url>http://x/</default_url>
  <country src="Canada"/>
  <language id="english" country="else">
    <dataerror>Please check`your data.</dataerror>
    <userinfo>
      <firstname visible="1" patten="" optional="0"/>
      <lastname visible="0"/><address1 visible="0"/><address2 visible="0"/>
      <zip visible="1" patten="z" optional="1"/>
      <phone visible="1" patten="p" optional="1"/>
      <login visible="0"/>
      <email visible="1" patten="m" optional="0"/>
      <city visible="1" type="combo" value="A|B" optional="0"/>
      <state visible="0"/>
    </userinfo>
  </language>
</register>)");
    MainForm w(dir.path(), {});
    w.Form_Load();
    WizardState &s = w.state();
    s.stage = Stage::Pages;
    s.pageIndex = 0;
    const QDate today(2024, 6, 15);
    auto set = [&w](const char *name, const char *text) { w.ctl(name)->setText(text); };

    EXPECT_FALSE(isDataValid(w.form(), s, today));
    EXPECT_EQ(s.wrongDataMessage, "Please check`your data.");
    EXPECT_EQ(w.focusWidget(), w.ctl("txtFirstName")->widget());

    set("txtFirstName", "Ann");
    set("txtEmail", "ann@example.org");
    EXPECT_TRUE(isDataValid(w.form(), s, today)); // zip and phone are optional

    set("txtZip", "K1A-0B1");
    EXPECT_FALSE(isDataValid(w.form(), s, today));
    EXPECT_EQ(w.focusWidget(), w.ctl("txtZip")->widget());
    set("txtZip", "K1A 0B1");
    set("txtPhone", "+1 (613) 555-0100");
    EXPECT_TRUE(isDataValid(w.form(), s, today));
}

} // namespace
