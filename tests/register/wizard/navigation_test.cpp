// The screen sequence: every row of the transition table, with the screen
// shown, the navigation state and the bottom buttons (shown or not, and
// their slot) after each walk.
#include "wizard_fixture.h"

#include "register/wizard/screens.h"

using namespace wizardtest;

namespace {

constexpr int kHidden = -1;

struct Row {
    const char *name;
    Setup setup;
    const char *walk; // R region chosen, N next, P previous, S submit, E exit, T retry,
                      // C cancel, F finish, e error screen (not reached), t thanks screen
    int stage;
    int pageIndex;
    const char *screen; // the frame shown, "frmPages/k", or "window"
    // Left of Cancel, Previous, Next, Submit when shown, else kHidden.
    std::array<int, 4> buttons;
    int ended = 0;
};

void run(WizardFixture &f, const char *walk)
{
    MainForm &w = *f.window;
    for (const char *c = walk; *c; ++c) {
        switch (*c) {
        case 'R':
            f.chooseRegion();
            break;
        case 'N':
            w.cmdNext_Click();
            break;
        case 'P':
            w.cmdPrev_Click();
            break;
        case 'S':
            w.cmdSubmit_Click();
            break;
        case 'E':
            w.cmdExit_Click();
            break;
        case 'T':
            w.cmdRetry_Click();
            break;
        case 'C':
            w.cmdCancel_Click();
            break;
        case 'F':
            w.cmdFinish_Click();
            break;
        case 'e':
            f.state().submitResult = 2;
            DisplayErrorOnline(w.form(), f.state());
            break;
        case 't':
            DisplayThanksOnline(w.form(), f.state());
            break;
        default:
            FAIL() << "unknown step " << *c;
        }
    }
}

// The frame on screen, as the player sees it: at most one is shown.
QString shownScreen(WizardFixture &f)
{
    QString shown = QStringLiteral("window");
    for (forms::Control *c : f.window->form().controls()) {
        if (c->kind() != forms::Kind::Frame || !c->isVisibleFlag() || c->container())
            continue;
        shown =
            c->index() >= 0 ? QStringLiteral("%1/%2").arg(c->name()).arg(c->index()) : c->name();
    }
    return shown;
}

bool onScreen(WizardFixture &f, const char *name)
{
    return f.ctl(QLatin1String(name))->widget()->isVisibleTo(f.window.get());
}

class Transition : public ::testing::TestWithParam<Row> {};

} // namespace

TEST_P(Transition, LeavesTheScreenAndButtonsAsTheTableSays)
{
    const Row &row = GetParam();
    WizardFixture f(row.setup);
    run(f, row.walk);

    EXPECT_EQ(f.state().stage, row.stage);
    EXPECT_EQ(f.state().pageIndex, row.pageIndex);
    EXPECT_EQ(shownScreen(f), QLatin1String(row.screen));
    const char *names[] = {"cmdCancel", "cmdPrev", "cmdNext", "cmdSubmit"};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(names[i]);
        if (row.buttons[i] == kHidden) {
            EXPECT_FALSE(onScreen(f, names[i]));
        } else {
            EXPECT_TRUE(onScreen(f, names[i]));
            EXPECT_EQ(f.ctl(QLatin1String(names[i]))->left(), row.buttons[i]);
        }
    }
    EXPECT_EQ(f.ended, row.ended);
}

// Slots: 900, 3600, 6300. On the region screen Next is placed by the direct
// formula 3 x gap + 2 x width, which is the same slot.
INSTANTIATE_TEST_SUITE_P(
    Table, Transition,
    ::testing::Values(
        Row{"RegionAtStart", {}, "", 0, 0, "window", {kSlot1, kHidden, kSlot3, kHidden}},
        Row{"RegionNextToWelcome", {}, "RN", 1, 0, "frmWelcome", {kSlot1, kSlot2, kSlot3, kHidden}},
        Row{"WelcomeOffersNextWithOneQuestionPage",
            {.pageCount = 1},
            "RN",
            1,
            0,
            "frmWelcome",
            {kSlot1, kSlot2, kSlot3, kHidden}},
        Row{"WelcomeNextToPersonal",
            {},
            "RNN",
            2,
            0,
            "frmPages/0",
            {kSlot1, kSlot2, kSlot3, kHidden}},
        Row{"PersonalIsLastWithoutQuestionPages",
            {.pageCount = 0},
            "RNN",
            2,
            0,
            "frmPages/0",
            {kSlot1, kSlot2, kHidden, kSlot3}},
        Row{"NextNeverLeadsPastTheLastPage",
            {.pageCount = 0},
            "RNNN",
            2,
            0,
            "frmPages/0",
            {kSlot1, kSlot2, kHidden, kSlot3}},
        Row{"PersonalNextToQuestion",
            {},
            "RNNN",
            2,
            1,
            "frmPages/1",
            {kSlot1, kSlot2, kSlot3, kHidden}},
        Row{"NextToLastPageOffersSubmit",
            {},
            "RNNNN",
            2,
            2,
            "frmPages/2",
            {kSlot1, kSlot2, kHidden, kSlot3}},
        Row{"OnePageIsAlsoTheLast",
            {.pageCount = 1},
            "RNNN",
            2,
            1,
            "frmPages/1",
            {kSlot1, kSlot2, kHidden, kSlot3}},
        Row{"PrevFromLastPage",
            {},
            "RNNNNP",
            2,
            1,
            "frmPages/1",
            {kSlot1, kSlot2, kSlot3, kHidden}},
        Row{"PrevFromPersonalToWelcome",
            {},
            "RNNP",
            1,
            0,
            "frmWelcome",
            {kSlot1, kSlot2, kSlot3, kHidden}},
        Row{"PrevFromWelcomeToRegion",
            {},
            "RNP",
            0,
            0,
            "window",
            {kSlot1, kHidden, kSlot3, kHidden}},
        Row{"AllTheWayBack", {}, "RNNNNPPPP", 0, 0, "window", {kSlot1, kHidden, kSlot3, kHidden}},
        Row{"BackAndForwardAgain",
            {},
            "RNPRNNN",
            2,
            1,
            "frmPages/1",
            {kSlot1, kSlot2, kSlot3, kHidden}},
        Row{"SubmitToMethod", {}, "RNNNNS", 2, 2, "frmMethod", {kSlot1, kHidden, kHidden, kHidden}},
        Row{"SubmitOnlineOnlySendsAtOnce",
            {.onlineOnly = true},
            "RNNNNS",
            2,
            2,
            "frmError",
            {kSlot1, kHidden, kHidden, kHidden}},
        Row{"ExitToMethod",
            {},
            "RNNNNSe"
            "E",
            2,
            2,
            "frmMethod",
            {kSlot1, kHidden, kHidden, kHidden}},
        Row{"ExitOnlineOnlyToLastPage",
            {.onlineOnly = true},
            "RNNNNSE",
            2,
            2,
            "frmPages/2",
            {kSlot1, kSlot2, kHidden, kSlot3}},
        Row{"ExitOnlineOnlyWithoutQuestionPages",
            {.pageCount = 0, .onlineOnly = true},
            "RNNSE",
            2,
            0,
            "frmPages/0",
            {kSlot1, kSlot2, kHidden, kSlot3}},
        Row{"RetryShowsTheErrorAgain",
            {.onlineOnly = true},
            "RNNNNST",
            2,
            2,
            "frmError",
            {kSlot1, kHidden, kHidden, kHidden}},
        Row{"FinishEnds",
            {},
            "RNNNNSt"
            "F",
            2,
            2,
            "frmThanksOnline",
            {kHidden, kHidden, kHidden, kHidden},
            1},
        Row{"CancelOnRegionInTestModeEnds",
            {},
            "C",
            0,
            0,
            "window",
            {kSlot1, kHidden, kSlot3, kHidden},
            1},
        Row{"CancelOnPageInTestModeEnds",
            {},
            "RNNC",
            2,
            0,
            "frmPages/0",
            {kSlot1, kSlot2, kSlot3, kHidden},
            1},
        Row{"CancelOnMethodInTestModeEnds",
            {},
            "RNNNNSC",
            2,
            2,
            "frmMethod",
            {kSlot1, kHidden, kHidden, kHidden},
            1}),
    [](const ::testing::TestParamInfo<Row> &info) { return std::string(info.param.name); });

TEST(Navigation, RegionNextNeedsACountryThenALanguage)
{
    WizardFixture f;
    MainForm &w = *f.window;
    const ModalAnswer noCountry = f.answering(true, [&] { w.cmdNext_Click(); });
    EXPECT_TRUE(noCountry.seen);
    EXPECT_TRUE(noCountry.okOnly);
    EXPECT_EQ(noCountry.text, QStringLiteral("Choose a region"));
    EXPECT_EQ(f.state().stage, 0);
    // A refused Next leaves the region screen as it was.
    EXPECT_FALSE(f.ctl(QStringLiteral("imgWelcomeTitle"))->isVisibleFlag());

    f.chooseRegion();
    f.ctl(QStringLiteral("cmbLanguage"))->setListIndex(0);
    const ModalAnswer noLanguage = f.answering(true, [&] { w.cmdNext_Click(); });
    EXPECT_EQ(noLanguage.text, QStringLiteral("Choose a language"));
    EXPECT_EQ(f.state().stage, 0);
}

TEST(Navigation, BackToRegionLeavesAUsableRegionScreen)
{
    WizardFixture f({.french = true});
    MainForm &w = *f.window;
    w.show();
    f.chooseRegion();
    w.cmdNext_Click();
    f.ctl(QStringLiteral("page_3_txt_0"))->setText(QStringLiteral("typed"));
    w.cmdPrev_Click();

    for (const char *name : {"cmdPrev", "cmdSubmit", "imgWelcomeTitle"})
        EXPECT_FALSE(f.ctl(QLatin1String(name))->isVisibleFlag()) << name;
    for (const char *name :
         {"lblLanguage", "cmbCountry", "cmbLanguage", "imgBack", "cmdNext", "cmdCancel"}) {
        EXPECT_TRUE(onScreen(f, name)) << name;
        EXPECT_EQ(f.ctl(QLatin1String(name))->container(), nullptr) << name;
    }
    for (forms::Control *c : w.form().controls())
        EXPECT_TRUE(c->isDesignTime()) << c->name().toStdString();
    EXPECT_EQ(w.form().family(QStringLiteral("page_spe_cmb_Answer")).size(), 1);
    EXPECT_EQ(w.focusWidget(), f.ctl(QStringLiteral("cmbCountry"))->widget());

    // The next Next builds every page again, empty, in the language now chosen.
    f.chooseRegion(QStringLiteral("Canada"), QStringLiteral("French"));
    w.cmdNext_Click();
    EXPECT_EQ(f.state().stage, 1);
    EXPECT_EQ(f.state().currentLanguage.toLower(), QStringLiteral("french"));
    EXPECT_EQ(f.ctl(QStringLiteral("page_3_txt_0"))->text(), QString());
    EXPECT_EQ(f.ctl(QStringLiteral("page_2_lbl_1"))->text(),
              QStringLiteral("Question française 2"));
    w.close();
}

TEST(Navigation, AnInvalidPageIsReportedAndStays)
{
    WizardFixture f({.testMode = false, .requiredFirstName = true});
    MainForm &w = *f.window;
    f.chooseRegion();
    w.cmdNext_Click();
    w.cmdNext_Click();
    ASSERT_EQ(f.state().pageIndex, 0);
    // A question the player declined earlier must not leave Cancel on a plain report.
    w.errorDialog().okOnly = false;
    const ModalAnswer answer = f.answering(true, [&] { w.cmdNext_Click(); });
    EXPECT_TRUE(answer.seen);
    EXPECT_TRUE(answer.okOnly);
    EXPECT_EQ(answer.text, QStringLiteral("Wrong data"));
    EXPECT_EQ(f.state().stage, 2);
    EXPECT_EQ(f.state().pageIndex, 0);

    f.ctl(QStringLiteral("txtFirstName"))->setText(QStringLiteral("Ann"));
    w.cmdNext_Click();
    EXPECT_EQ(f.state().pageIndex, 1);
}

struct AgeRow {
    const char *name;
    const char *country;
    bool pressOk;
    bool confirmable; // OK and Cancel offered
    int stage;        // where the player ends
};

class AgeWarning : public ::testing::TestWithParam<AgeRow> {};

TEST_P(AgeWarning, MayBeOverriddenOnlyWhereTheCountryAllows)
{
    const AgeRow &row = GetParam();
    WizardFixture f({.testMode = false, .birthDate = true});
    MainForm &w = *f.window;
    f.chooseRegion(QLatin1String(row.country));
    w.cmdNext_Click();
    ASSERT_EQ(f.state().stage, 1);
    const int year = QDate::currentDate().year() - 5;
    f.ctl(QStringLiteral("page_3_dat_0d"))->setText(QStringLiteral("1"));
    f.ctl(QStringLiteral("page_3_dat_0m"))->setText(QStringLiteral("1"));
    f.ctl(QStringLiteral("page_3_dat_0y"))->setText(QString::number(year));

    const ModalAnswer answer = f.answering(row.pressOk, [&] { w.cmdNext_Click(); });
    EXPECT_TRUE(answer.seen);
    EXPECT_EQ(answer.okOnly, !row.confirmable);
    EXPECT_EQ(f.state().stage, row.stage);
}

INSTANTIATE_TEST_SUITE_P(
    Countries, AgeWarning,
    ::testing::Values(AgeRow{"ConfirmedWhereAllowed", "United States", true, true, 2},
                      AgeRow{"CancelledWhereAllowed", "United States", false, true, 1},
                      AgeRow{"OnlyInformsElsewhere", "Canada", true, false, 1}),
    [](const auto &info) { return std::string(info.param.name); });
