// The click handlers show what the screen sequence answers (its table is
// tested on its own, without windows): the frame on screen and the bottom
// buttons with their slots after each click of a walk there and back.
#include "wizard_fixture.h"

#include "register/wizard/screens.h"

using namespace wizardtest;

namespace {

constexpr int kHidden = -1;

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

struct Stop {
    void (MainForm::*click)();
    const char *screen; // the frame shown, "frmPages/k", or "window"
    // Left of Cancel, Previous, Next, Submit when shown, else kHidden.
    std::array<int, 4> buttons;
};

void expectStop(WizardFixture &f, const Stop &stop)
{
    EXPECT_EQ(shownScreen(f), QLatin1String(stop.screen));
    const char *names[] = {"cmdCancel", "cmdPrev", "cmdNext", "cmdSubmit"};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(names[i]);
        if (stop.buttons[i] == kHidden) {
            EXPECT_FALSE(onScreen(f, names[i]));
        } else {
            EXPECT_TRUE(onScreen(f, names[i]));
            EXPECT_EQ(f.ctl(QLatin1String(names[i]))->left(), stop.buttons[i]);
        }
    }
}

} // namespace

// Slots: 900, 3600, 6300. On the region screen Next is placed by the direct
// formula 3 x gap + 2 x width, which is the same slot.
TEST(Navigation, EachClickShowsTheScreenAndButtonsOfItsStep)
{
    WizardFixture f;
    const Stop stops[] = {
        {&MainForm::cmdNext_Click, "frmWelcome", {kSlot1, kSlot2, kSlot3, kHidden}},
        {&MainForm::cmdNext_Click, "frmPages/0", {kSlot1, kSlot2, kSlot3, kHidden}},
        {&MainForm::cmdNext_Click, "frmPages/1", {kSlot1, kSlot2, kSlot3, kHidden}},
        {&MainForm::cmdNext_Click, "frmPages/2", {kSlot1, kSlot2, kHidden, kSlot3}},
        {&MainForm::cmdNext_Click, "frmPages/2", {kSlot1, kSlot2, kHidden, kSlot3}},
        {&MainForm::cmdPrev_Click, "frmPages/1", {kSlot1, kSlot2, kSlot3, kHidden}},
        {&MainForm::cmdPrev_Click, "frmPages/0", {kSlot1, kSlot2, kSlot3, kHidden}},
        {&MainForm::cmdPrev_Click, "frmWelcome", {kSlot1, kSlot2, kSlot3, kHidden}},
        {&MainForm::cmdPrev_Click, "window", {kSlot1, kHidden, kSlot3, kHidden}},
        {&MainForm::cmdPrev_Click, "window", {kSlot1, kHidden, kSlot3, kHidden}},
    };
    expectStop(f, {nullptr, "window", {kSlot1, kHidden, kSlot3, kHidden}});
    f.chooseRegion();
    int n = 0;
    for (const Stop &stop : stops) {
        SCOPED_TRACE(++n);
        (f.window.get()->*stop.click)();
        expectStop(f, stop);
    }
    EXPECT_EQ(f.ended, 0);
}

TEST(Navigation, AfterThePagesTheMethodScreenOrTheRequestAndTheEnd)
{
    {
        WizardFixture f;
        f.chooseRegion();
        for (int i = 0; i < 4; ++i)
            f.window->cmdNext_Click();
        f.window->cmdSubmit_Click();
        expectStop(f, {nullptr, "frmMethod", {kSlot1, kHidden, kHidden, kHidden}});
        f.window->cmdCancel_Click(); // test mode: ends at once
        EXPECT_EQ(f.ended, 1);
    }
    {
        WizardFixture f({.onlineOnly = true});
        f.chooseRegion();
        for (int i = 0; i < 4; ++i)
            f.window->cmdNext_Click();
        f.window->cmdSubmit_Click(); // straight to the request, which finds no server
        expectStop(f, {nullptr, "frmError", {kSlot1, kHidden, kHidden, kHidden}});
        f.window->cmdExit_Click();
        expectStop(f, {nullptr, "frmPages/2", {kSlot1, kSlot2, kHidden, kSlot3}});
        DisplayThanksOnline(f.window->form(), f.state());
        f.window->cmdFinish_Click();
        EXPECT_EQ(f.ended, 1);
    }
}

TEST(Navigation, RegionNextNeedsACountryThenALanguage)
{
    WizardFixture f;
    MainForm &w = *f.window;
    const ModalAnswer noCountry = f.answering(true, [&] { w.cmdNext_Click(); });
    EXPECT_TRUE(noCountry.seen);
    EXPECT_EQ(noCountry.buttons, DlgError::Buttons::Ok);
    EXPECT_EQ(noCountry.text, QStringLiteral("Choose a region"));
    EXPECT_EQ(f.state().stage, Stage::RegionAndLanguage);
    // A refused Next leaves the region screen as it was.
    EXPECT_FALSE(f.ctl(QStringLiteral("imgWelcomeTitle"))->isVisibleFlag());

    f.chooseRegion();
    f.ctl(QStringLiteral("cmbLanguage"))->setListIndex(0);
    const ModalAnswer noLanguage = f.answering(true, [&] { w.cmdNext_Click(); });
    EXPECT_EQ(noLanguage.text, QStringLiteral("Choose a language"));
    EXPECT_EQ(f.state().stage, Stage::RegionAndLanguage);
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
    EXPECT_EQ(f.state().stage, Stage::Welcome);
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
    f.answering(
        false, [&] { w.errorDialog().ask(QStringLiteral("Go on?"), DlgError::Buttons::OkCancel); });
    const ModalAnswer answer = f.answering(true, [&] { w.cmdNext_Click(); });
    EXPECT_TRUE(answer.seen);
    EXPECT_EQ(answer.buttons, DlgError::Buttons::Ok);
    EXPECT_EQ(answer.text, QStringLiteral("Wrong data"));
    EXPECT_EQ(f.state().stage, Stage::Pages);
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
    Stage stage;      // where the player ends
};

class AgeWarning : public ::testing::TestWithParam<AgeRow> {};

TEST_P(AgeWarning, MayBeOverriddenWhereAllowed)
{
    const AgeRow &row = GetParam();
    WizardFixture f({.testMode = false, .birthDate = true});
    MainForm &w = *f.window;
    f.chooseRegion(QLatin1String(row.country));
    w.cmdNext_Click();
    ASSERT_EQ(f.state().stage, Stage::Welcome);
    const int year = QDate::currentDate().year() - 5;
    f.ctl(QStringLiteral("page_3_dat_0d"))->setText(QStringLiteral("1"));
    f.ctl(QStringLiteral("page_3_dat_0m"))->setText(QStringLiteral("1"));
    f.ctl(QStringLiteral("page_3_dat_0y"))->setText(QString::number(year));

    const ModalAnswer answer = f.answering(row.pressOk, [&] { w.cmdNext_Click(); });
    EXPECT_TRUE(answer.seen);
    EXPECT_EQ(answer.buttons,
              row.confirmable ? DlgError::Buttons::OkCancel : DlgError::Buttons::Ok);
    EXPECT_EQ(f.state().stage, row.stage);
}

INSTANTIATE_TEST_SUITE_P(
    Countries, AgeWarning,
    ::testing::Values(AgeRow{"ConfirmedWhereAllowed", "United States", true, true, Stage::Pages},
                      AgeRow{"CancelledWhereAllowed", "United States", false, true, Stage::Welcome},
                      AgeRow{"OnlyInformsElsewhere", "Canada", true, false, Stage::Welcome}),
    testsupport::RowName());
