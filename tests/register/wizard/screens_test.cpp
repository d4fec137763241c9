// What the screens after the pages look like (where OK, Finish, Exit and
// Retry stand, what lies behind what, where the focus goes), the hover rule,
// and the keyboard order of a page.
#include "wizard_fixture.h"

#include "register/wizard/screens.h"

#include <QMouseEvent>
#include <QTest>

using namespace wizardtest;

namespace {

class Screens : public ::testing::Test {
  protected:
    Screens() { f.chooseRegion(); }
    forms::Control *ctl(const char *name, int index = -1)
    {
        return f.ctl(QLatin1String(name), index);
    }
    MainForm &w() { return *f.window; }
    WizardFixture f;
};

// The background lies behind every other control of the frame.
bool backgroundBehind(forms::Control *back, forms::Control *frame)
{
    for (QObject *o : frame->widget()->children())
        if (auto *widget = qobject_cast<QWidget *>(o))
            return back->container() == frame && widget == back->widget();
    return false;
}

void moveOver(forms::Control *c)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(c->widget(), &move);
}

struct ScreenCase {
    const char *name;
    void (*display)(forms::Form &, WizardState &);
    const char *frame;
    const char *corner; // the button placed in the bottom-right corner, or null
    const char *focus;  // where the focus lands
    int submitResult;
};

class Screen : public Screens, public ::testing::WithParamInterface<ScreenCase> {};

} // namespace

TEST_P(Screen, PlacesItsButtonsOverTheBackground)
{
    const ScreenCase &c = GetParam();
    w().show();
    for (int i = 0; i < 4; ++i)
        w().cmdNext_Click();
    f.state().submitResult = SubmitResult(c.submitResult);
    c.display(w().form(), f.state());

    forms::Control *frame = ctl(c.frame);
    EXPECT_TRUE(frame->isVisibleFlag());
    EXPECT_EQ(frame->widget()->size(), w().size());
    EXPECT_TRUE(backgroundBehind(ctl("imgBack"), frame));
    EXPECT_EQ(ctl("imgWelcomeTitle")->container(), frame);
    EXPECT_EQ(ctl("imgWelcomeTitle")->pictureKey(), f.state().pageTitlePicture.cacheKey());
    if (c.corner) {
        EXPECT_EQ(ctl(c.corner)->left(), kWindowWidth - kButtonWidth - 300);
        EXPECT_EQ(ctl(c.corner)->top(), kWindowHeight - kButtonHeight - 700);
        EXPECT_EQ(ctl(c.corner)->container(), frame);
    }
    EXPECT_EQ(w().focusWidget(), ctl(c.focus)->widget());
    w().close();
}

INSTANTIATE_TEST_SUITE_P(
    AfterThePages, Screen,
    ::testing::Values(
        ScreenCase{"Method", DisplayMethodChoosePage, "frmMethod", "cmdOk", "optOnline", 0},
        ScreenCase{"ThanksPrint", DisplayThanksPrint, "frmThanksPrint", "cmdFinish", "cmdFinish",
                   0},
        ScreenCase{"ThanksOnline", DisplayThanksOnline, "frmThanksOnline", "cmdFinish", "cmdFinish",
                   0},
        ScreenCase{"ErrorNotReached", DisplayErrorOnline, "frmError", nullptr, "cmdRetry", 2}),
    testsupport::RowName());

TEST_F(Screens, ErrorScreenShowsTheTextOfTheResultBesideCancelExitRetry)
{
    for (int result : {1, 2}) {
        f.state().submitResult = SubmitResult(result);
        DisplayErrorOnline(w().form(), f.state());
        EXPECT_TRUE(ctl("lblError", 3 - result)->isVisibleFlag()) << result;
        EXPECT_FALSE(ctl("lblError", result)->isVisibleFlag()) << result;
    }
    EXPECT_EQ(ctl("cmdCancel")->container(), ctl("frmError"));
    EXPECT_EQ(ctl("cmdCancel")->left(), kSlot1);
    EXPECT_EQ(ctl("cmdExit")->left(), kSlot2);
    EXPECT_EQ(ctl("cmdRetry")->left(), kSlot3);
    EXPECT_EQ(ctl("cmdRetry")->top(), ctl("cmdCancel")->top());
}

TEST_F(Screens, HoverShowsTheHoverPictureUntilTheMouseCrossesTheBackground)
{
    w().cmdNext_Click();
    w().cmdNext_Click();
    const WizardState &s = f.state();
    forms::Control *next = ctl("cmdNext");
    ASSERT_FALSE(s.nextPictures.hover.isNull());

    moveOver(next);
    EXPECT_EQ(next->pictureKey(), s.nextPictures.hover.cacheKey());
    moveOver(ctl("cmdCancel"));
    EXPECT_EQ(ctl("cmdCancel")->pictureKey(), s.cancelPictures.hover.cacheKey());
    // Nothing restores on the way through a text box: Next keeps its hover.
    moveOver(ctl("txtFirstName"));
    EXPECT_EQ(next->pictureKey(), s.nextPictures.hover.cacheKey());

    // Over the background every button shows its normal picture again, even
    // one on a screen that is not shown.
    ctl("cmdFinish")->setPicture(s.finishPictures.hover);
    moveOver(ctl("imgBack"));
    EXPECT_EQ(next->pictureKey(), s.nextPictures.normal.cacheKey());
    EXPECT_EQ(ctl("cmdCancel")->pictureKey(), s.cancelPictures.normal.cacheKey());
    EXPECT_EQ(ctl("cmdFinish")->pictureKey(), s.finishPictures.normal.cacheKey());

    // The custom pointer over buttons, the ordinary one over the pictures.
    EXPECT_TRUE(next->widget()->testAttribute(Qt::WA_SetCursor));
    EXPECT_FALSE(ctl("imgBack")->widget()->testAttribute(Qt::WA_SetCursor));
    EXPECT_FALSE(ctl("imgWelcomeTitle")->widget()->testAttribute(Qt::WA_SetCursor));
}

TEST_F(Screens, TabWalksThePageThenCancelPreviousNext)
{
    w().show();
    for (int i = 0; i < 3; ++i)
        w().cmdNext_Click();
    ASSERT_EQ(f.state().pageIndex, 1);

    // The focus lands in the page's first field; Tab goes round the page's
    // inputs, then the buttons from left to right.
    QList<QWidget *> round{w().focusWidget()};
    for (QWidget *x = round[0]->nextInFocusChain(); x != round[0]; x = x->nextInFocusChain())
        if (x->isVisible() && x->isEnabled() && (x->focusPolicy() & Qt::TabFocus) &&
            !x->focusProxy())
            round.append(x);
    EXPECT_EQ(round,
              (QList<QWidget *>{ctl("page_1_txt_2")->widget(), ctl("page_1_chk_3opt0")->widget(),
                                ctl("page_1_chk_3opt1")->widget(), ctl("cmdCancel")->widget(),
                                ctl("cmdPrev")->widget(), ctl("cmdNext")->widget()}));

    // Enter on a focused picture button presses it.
    ctl("cmdNext")->setFocus();
    QTest::keyClick(ctl("cmdNext")->widget(), Qt::Key_Return);
    EXPECT_EQ(f.state().pageIndex, 2);
    w().close();
}
