// The screen sequence as a table: for each event and position, the check it
// asks for and the step it answers, with no window at all.
#include "register/core/screen_sequence.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

namespace {

using S = WizardScreen;
using C = WizardCheck;
using E = WizardEvent;

constexpr bool kRefused = false;
const std::optional<bool> kLeft; // the button is left as it was

WizardPosition region()
{
    return {Stage::RegionAndLanguage, 0, 2, false, true};
}
WizardPosition welcome(int pageCount = 2)
{
    return {Stage::Welcome, 0, pageCount, false, true};
}
WizardPosition page(int index, int pageCount = 2, bool onlineOnly = false)
{
    return {Stage::Pages, index, pageCount, onlineOnly, true};
}
WizardPosition testMode(WizardPosition at)
{
    at.normalMode = false;
    return at;
}

struct Row {
    const char *name;
    WizardEvent event;
    WizardPosition at;
    bool checkPassed;
    WizardCheck check;
    WizardScreen screen;
    Stage stage;
    int pageIndex;
    std::optional<bool> prev, next, submit;
};

class Sequence : public ::testing::TestWithParam<Row> {};

TEST_P(Sequence, AnswersTheTablesStep)
{
    const Row &row = GetParam();
    EXPECT_EQ(checkBefore(row.event, row.at), row.check);
    const WizardStep step = stepAfter(row.event, row.at, row.checkPassed);
    EXPECT_EQ(step.screen, row.screen);
    EXPECT_EQ(step.stage, row.stage);
    EXPECT_EQ(step.pageIndex, row.pageIndex);
    EXPECT_EQ(step.prev, row.prev);
    EXPECT_EQ(step.next, row.next);
    EXPECT_EQ(step.submit, row.submit);
}

const Stage kRegion = Stage::RegionAndLanguage;
const Stage kWelcome = Stage::Welcome;
const Stage kPages = Stage::Pages;

INSTANTIATE_TEST_SUITE_P(Table, Sequence,
                         ::testing::Values(
                             // Next.
                             Row{"RegionNextToWelcome", E::Next, region(), true, C::RegionChosen,
                                 S::Welcome, kWelcome, 0, kLeft, kLeft, kLeft},
                             Row{"RegionWithoutChoiceStays", E::Next, region(), kRefused,
                                 C::RegionChosen, S::Stay, kRegion, 0, kLeft, kLeft, kLeft},
                             Row{"WelcomeNextToPersonal", E::Next, welcome(), true, C::WelcomeValid,
                                 S::Page, kPages, 0, true, kLeft, kLeft},
                             Row{"PersonalIsLastWithoutQuestionPages", E::Next, welcome(0), true,
                                 C::WelcomeValid, S::Page, kPages, 0, true, false, true},
                             Row{"RefusedWelcomeStays", E::Next, welcome(), kRefused,
                                 C::WelcomeValid, S::Stay, kWelcome, 0, kLeft, kLeft, kLeft},
                             Row{"PersonalNextToQuestion", E::Next, page(0), true, C::PageValid,
                                 S::Page, kPages, 1, true, kLeft, false},
                             Row{"NextToLastPageOffersSubmit", E::Next, page(1), true, C::PageValid,
                                 S::Page, kPages, 2, true, false, true},
                             Row{"OnePageIsAlsoTheLast", E::Next, page(0, 1), true, C::PageValid,
                                 S::Page, kPages, 1, true, false, true},
                             Row{"InvalidPageStays", E::Next, page(1), kRefused, C::PageValid,
                                 S::Stay, kPages, 1, kLeft, kLeft, kLeft},
                             Row{"NextNeverLeadsPastTheLastPage", E::Next, page(2), true, C::None,
                                 S::Stay, kPages, 2, kLeft, kLeft, kLeft},
                             Row{"NoNextPastAPersonalPageThatIsLast", E::Next, page(0, 0), true,
                                 C::None, S::Stay, kPages, 0, kLeft, kLeft, kLeft},
                             // Previous.
                             Row{"PrevFromLastPage", E::Previous, page(2), true, C::None, S::Page,
                                 kPages, 1, kLeft, true, false},
                             Row{"PrevFromPersonalToWelcome", E::Previous, page(0), true, C::None,
                                 S::Welcome, kWelcome, 0, kLeft, kLeft, kLeft},
                             Row{"PrevFromWelcomeToRegion", E::Previous, welcome(), true, C::None,
                                 S::Region, kRegion, 0, false, kLeft, kLeft},
                             Row{"PrevOnRegionStays", E::Previous, region(), true, C::None, S::Stay,
                                 kRegion, 0, kLeft, kLeft, kLeft},
                             // Submit, Exit, Retry.
                             Row{"SubmitToMethod", E::Submit, page(2), true, C::PageValid,
                                 S::Method, kPages, 2, kLeft, kLeft, false},
                             Row{"SubmitOnlineOnlySendsAtOnce", E::Submit, page(2, 2, true), true,
                                 C::PageValid, S::Submission, kPages, 2, kLeft, kLeft, false},
                             Row{"InvalidSubmitStays", E::Submit, page(2), kRefused, C::PageValid,
                                 S::Stay, kPages, 2, kLeft, kLeft, kLeft},
                             Row{"ExitToMethod", E::Exit, page(2), true, C::None, S::Method, kPages,
                                 2, kLeft, kLeft, kLeft},
                             Row{"ExitOnlineOnlyToLastPage", E::Exit, page(1, 2, true), true,
                                 C::None, S::Page, kPages, 2, kLeft, kLeft, true},
                             Row{"ExitOnlineOnlyWithoutQuestionPages", E::Exit, page(0, 0, true),
                                 true, C::None, S::Page, kPages, 0, kLeft, kLeft, true},
                             Row{"RetrySendsAgain", E::Retry, page(2, 2, true), true, C::None,
                                 S::Submission, kPages, 2, kLeft, kLeft, kLeft},
                             // Finish and Cancel.
                             Row{"FinishEnds", E::Finish, page(2), true, C::None, S::End, kPages, 2,
                                 kLeft, kLeft, kLeft},
                             Row{"CancelOffersToRegisterLater", E::Cancel, welcome(), true, C::None,
                                 S::CancelDialog, kWelcome, 0, kLeft, kLeft, kLeft},
                             Row{"CancelInTestModeEnds", E::Cancel, testMode(page(1)), true,
                                 C::None, S::End, kPages, 1, kLeft, kLeft, kLeft}),
                         testsupport::RowName());

} // namespace
