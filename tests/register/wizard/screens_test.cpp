// What each screen looks like beyond the buttons' slots: where OK, Finish,
// Exit and Retry stand, which title and error text show, what lies behind
// what; the hover rule and the pointers; keyboard order and focus.
#include "wizard_fixture.h"

#include "register/wizard/screens.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>

using namespace wizardtest;

namespace {

// The widgets of a frame from back to front.
QList<QWidget *> stacking(const forms::Control *frame)
{
    QList<QWidget *> out;
    for (QObject *o : frame->widget()->children())
        if (auto *w = qobject_cast<QWidget *>(o))
            out.append(w);
    return out;
}

bool isBehindEverything(const forms::Control *c, const forms::Control *frame)
{
    return c->container() == frame && stacking(frame).first() == c->widget();
}

class Screens : public ::testing::Test {
protected:
    Screens() { f.chooseRegion(); }

    // Walks the wizard to the last page and submits.
    void toMethodScreen()
    {
        for (int i = 0; i < 4; ++i)
            f.window->cmdNext_Click();
        f.window->cmdSubmit_Click();
    }

    MainForm &w() { return *f.window; }
    forms::Control *ctl(const char *name, int index = -1) { return f.ctl(QLatin1String(name), index); }

    WizardFixture f;
};

} // namespace

TEST_F(Screens, MethodScreenPlacesOkAndKeepsCancel)
{
    toMethodScreen();
    forms::Control *frame = ctl("frmMethod");
    forms::Control *ok = ctl("cmdOk");
    EXPECT_TRUE(ok->isVisibleFlag());
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(ok->left(), kWindowWidth - kButtonWidth - 300);
    EXPECT_EQ(ok->top(), kWindowHeight - kButtonHeight - 700);
    EXPECT_EQ(ctl("cmdCancel")->container(), frame);
    EXPECT_EQ(ctl("cmdCancel")->top(), kWindowHeight - 1000);
    EXPECT_TRUE(isBehindEverything(ctl("imgBack"), frame));
    EXPECT_EQ(ctl("imgWelcomeTitle")->container(), frame);
    EXPECT_EQ(ctl("imgWelcomeTitle")->pictureKey(), f.state().pageTitlePicture.cacheKey());
    // The frame is stretched over the window.
    EXPECT_EQ(frame->width(), kWindowWidth);
    EXPECT_EQ(frame->height(), kWindowHeight);
}

struct ThanksCase {
    const char *name;
    void (*display)(forms::Form &, WizardState &);
    const char *frame;
};

class ThanksScreen : public Screens, public ::testing::WithParamInterface<ThanksCase> {};

TEST_P(ThanksScreen, ShowsFinishInTheCornerAndNoCancel)
{
    toMethodScreen();
    GetParam().display(w().form(), f.state());
    forms::Control *frame = ctl(GetParam().frame);
    forms::Control *finish = ctl("cmdFinish");
    EXPECT_TRUE(frame->isVisibleFlag());
    EXPECT_EQ(finish->container(), frame);
    EXPECT_EQ(finish->left(), kWindowWidth - kButtonWidth - 300);
    EXPECT_EQ(finish->top(), kWindowHeight - kButtonHeight - 700);
    EXPECT_TRUE(isBehindEverything(ctl("imgBack"), frame));
    EXPECT_EQ(stacking(frame).last(), finish->widget());
    EXPECT_FALSE(ctl("cmdCancel")->widget()->isVisibleTo(&w()));
    EXPECT_FALSE(ctl("frmMethod")->isVisibleFlag());
}

INSTANTIATE_TEST_SUITE_P(Both, ThanksScreen,
                         ::testing::Values(ThanksCase{"Print", DisplayThanksPrint, "frmThanksPrint"},
                                           ThanksCase{"Online", DisplayThanksOnline, "frmThanksOnline"}),
                         [](const auto &info) { return std::string(info.param.name); });

struct ErrorCase {
    int submitResult;
    int shown;
    int hidden;
};

class ErrorScreen : public Screens, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(ErrorScreen, ShowsTheTextOfTheResultWithCancelExitRetry)
{
    toMethodScreen();
    f.state().submitResult = std::int16_t(GetParam().submitResult);
    DisplayErrorOnline(w().form(), f.state());
    forms::Control *frame = ctl("frmError");
    EXPECT_TRUE(frame->isVisibleFlag());
    EXPECT_TRUE(ctl("lblError", GetParam().shown)->isVisibleFlag());
    EXPECT_FALSE(ctl("lblError", GetParam().hidden)->isVisibleFlag());
    EXPECT_EQ(ctl("cmdCancel")->container(), frame);
    EXPECT_EQ(ctl("cmdCancel")->left(), kSlot1);
    EXPECT_EQ(ctl("cmdExit")->left(), kSlot2);
    EXPECT_EQ(ctl("cmdRetry")->left(), kSlot3);
    for (const char *name : {"cmdExit", "cmdRetry"})
        EXPECT_EQ(ctl(name)->top(), ctl("cmdCancel")->top()) << name;
    EXPECT_TRUE(isBehindEverything(ctl("imgBack"), frame));
}

INSTANTIATE_TEST_SUITE_P(Results, ErrorScreen,
                         ::testing::Values(ErrorCase{2, 1, 2}, ErrorCase{1, 2, 1}));

TEST_F(Screens, WelcomeShowsTheWelcomeTitleAndPagesThePageTitle)
{
    w().cmdNext_Click();
    forms::Control *title = ctl("imgWelcomeTitle");
    EXPECT_TRUE(title->isVisibleFlag());
    EXPECT_EQ(title->container(), ctl("frmWelcome"));
    EXPECT_EQ(title->pictureKey(), f.state().welcomeTitlePicture.cacheKey());
    EXPECT_EQ(stacking(ctl("frmWelcome")).last(), title->widget());
    EXPECT_TRUE(isBehindEverything(ctl("imgBack"), ctl("frmWelcome")));
    // The background covers the whole frame.
    EXPECT_EQ(ctl("imgBack")->widget()->geometry(), ctl("frmWelcome")->widget()->rect());

    w().cmdNext_Click();
    EXPECT_EQ(title->container(), ctl("frmPages", 0));
    EXPECT_EQ(title->pictureKey(), f.state().pageTitlePicture.cacheKey());
    EXPECT_TRUE(isBehindEverything(ctl("imgBack"), ctl("frmPages", 0)));
}

TEST_F(Screens, HideAllFramesSparesTheOptionGroups)
{
    w().cmdNext_Click();
    w().form().create(forms::Kind::Frame, QStringLiteral("frm_page_1_rad_1"), -1, ctl("frmPages", 1));
    HideAllFrames(w().form());
    for (forms::Control *c : w().form().controls())
        if (c->kind() == forms::Kind::Frame)
            EXPECT_EQ(c->isVisibleFlag(), c->name().startsWith(QLatin1String("frm_page"))) << c->name().toStdString();
}

namespace {

void moveOver(forms::Control *c)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(c->widget(), &move);
}

} // namespace

TEST_F(Screens, HoverShowsTheHoverPictureUntilTheMouseCrossesTheBackground)
{
    w().cmdNext_Click();
    w().cmdNext_Click();
    const WizardState &s = f.state();
    forms::Control *next = ctl("cmdNext");
    forms::Control *cancel = ctl("cmdCancel");
    ASSERT_FALSE(s.nextPictures.hover.isNull());

    moveOver(next);
    EXPECT_EQ(next->pictureKey(), s.nextPictures.hover.cacheKey());
    moveOver(cancel);
    EXPECT_EQ(cancel->pictureKey(), s.cancelPictures.hover.cacheKey());
    // Nothing restores on the way through a text box: Next keeps its hover.
    moveOver(ctl("txtFirstName"));
    EXPECT_EQ(next->pictureKey(), s.nextPictures.hover.cacheKey());

    // Over the background every button shows its normal picture, even one on
    // a screen that is not shown.
    ctl("cmdFinish")->setPicture(s.finishPictures.hover);
    moveOver(ctl("imgBack"));
    EXPECT_EQ(next->pictureKey(), s.nextPictures.normal.cacheKey());
    EXPECT_EQ(cancel->pictureKey(), s.cancelPictures.normal.cacheKey());
    EXPECT_EQ(ctl("cmdFinish")->pictureKey(), s.finishPictures.normal.cacheKey());
}

TEST_F(Screens, AnEmptyHoverPictureShowsNothing)
{
    f.state().okPictures.hover = QPixmap();
    moveOver(ctl("cmdOk"));
    EXPECT_FALSE(ctl("cmdOk")->hasPicture());
}

TEST_F(Screens, ButtonsShowTheCustomPointerAndTheBackgroundTheOrdinaryOne)
{
    for (const char *name : {"cmdCancel", "cmdNext", "cmdPrev", "cmdSubmit", "cmdOk", "cmdFinish", "cmdRetry", "cmdExit"}) {
        QWidget *button = ctl(name)->widget();
        EXPECT_TRUE(button->testAttribute(Qt::WA_SetCursor)) << name;
        EXPECT_NE(button->cursor().shape(), Qt::ArrowCursor) << name;
        EXPECT_FALSE(button->accessibleName().isEmpty()) << name;
    }
    for (const char *name : {"imgBack", "imgWelcomeTitle"})
        EXPECT_FALSE(ctl(name)->widget()->testAttribute(Qt::WA_SetCursor)) << name;
}

namespace {

// The widgets Tab reaches from the focus, in order, once round.
QList<QWidget *> tabRound(QWidget *window)
{
    QList<QWidget *> out;
    QWidget *start = window->focusWidget();
    if (!start)
        return out;
    out.append(start);
    for (QWidget *w = start->nextInFocusChain(); w && w != start; w = w->nextInFocusChain())
        if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy())
            out.append(w);
    return out;
}

} // namespace

TEST_F(Screens, TabWalksThePageThenCancelPreviousNext)
{
    w().show();
    w().cmdNext_Click();
    w().cmdNext_Click();
    w().cmdNext_Click();
    ASSERT_EQ(f.state().pageIndex, 1);

    // The focus lands in the page's first field.
    EXPECT_EQ(w().focusWidget(), ctl("page_1_txt_2")->widget());
    EXPECT_EQ(tabRound(&w()),
              (QList<QWidget *>{ctl("page_1_txt_2")->widget(), ctl("page_1_chk_3opt0")->widget(),
                                ctl("page_1_chk_3opt1")->widget(), ctl("cmdCancel")->widget(),
                                ctl("cmdPrev")->widget(), ctl("cmdNext")->widget()}));

    // Enter on a focused picture button presses it.
    ctl("cmdNext")->setFocus();
    QTest::keyClick(ctl("cmdNext")->widget(), Qt::Key_Return);
    EXPECT_EQ(f.state().pageIndex, 2);
    EXPECT_EQ(tabRound(&w()).last(), ctl("cmdSubmit")->widget());
    w().close();
}

TEST_F(Screens, FocusOnScreensWithoutFields)
{
    w().show();
    toMethodScreen();
    EXPECT_EQ(w().focusWidget(), ctl("optOnline")->widget());
    EXPECT_EQ(tabRound(&w()).mid(2),
              (QList<QWidget *>{ctl("cmdCancel")->widget(), ctl("cmdOk")->widget()}));
    DisplayThanksOnline(w().form(), f.state());
    EXPECT_EQ(w().focusWidget(), ctl("cmdFinish")->widget());
    f.state().submitResult = 2;
    DisplayErrorOnline(w().form(), f.state());
    EXPECT_EQ(w().focusWidget(), ctl("cmdRetry")->widget());
    w().close();
}

TEST_F(Screens, BackOnTheRegionScreenTheFocusIsOnTheCountry)
{
    w().show();
    w().cmdNext_Click();
    w().cmdPrev_Click();
    EXPECT_EQ(w().focusWidget(), ctl("cmbCountry")->widget());
    EXPECT_EQ(tabRound(&w()),
              (QList<QWidget *>{ctl("cmbCountry")->widget(), ctl("cmbLanguage")->widget(),
                                ctl("cmdCancel")->widget(), ctl("cmdNext")->widget()}));
    w().close();
}

TEST_F(Screens, EscapeActsAsCancelWhereCancelIsShown)
{
    w().show();
    w().cmdNext_Click();
    QTest::keyClick(&w(), Qt::Key_Escape);
    EXPECT_EQ(f.ended, 1); // test mode: Cancel ends the program

    toMethodScreen();
    DisplayThanksOnline(w().form(), f.state());
    QTest::keyClick(&w(), Qt::Key_Escape);
    EXPECT_EQ(f.ended, 1); // no Cancel on the thanks screen
    w().close();
}
