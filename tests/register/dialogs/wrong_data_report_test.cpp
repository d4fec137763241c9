// Showing a message: the text, its centring, the dialog over the main window,
// and the main window disabled for as long as the message stands.
#include "register/dialogs/dlg_error.h"
#include "register/dialogs/wrong_data_report.h"
#include "register/validation/data_validation.h"
#include "tests/register/dialogs/dialog_answers.h"
#include "tests/register/validation/validation_fixture.h"

#include "register/layouts/layouts.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QTest>

namespace {

class WrongData : public ValidationFixture {
  protected:
    DlgError &dialog = window.errorDialog();
    forms::Form &dlg = dialog.form();
    forms::Control *label() { return dlg.control("lblError"); }
    void TearDown() override { dialog.hide(); }
};

TEST_F(WrongData, GraveAccentsBreakLinesAndTheLabelIsCentred)
{
    DisplayWrongData(form, dialog, state, "One`two`three", false);
    EXPECT_EQ(label()->text(), "One\r\ntwo\r\nthree");
    EXPECT_EQ(label()->left(), (dlg.outerWidth() - label()->width()) / 2);
    EXPECT_EQ(label()->top(), 120); // the design's
    // Three lines are taller than one.
    const int threeLines = label()->height();
    DisplayWrongData(form, dialog, state, "One", false);
    EXPECT_LT(label()->height(), threeLines);
}

TEST_F(WrongData, EmptyArgumentShowsWrongDataMessage)
{
    state.wrongDataMessage = "Collected`message";
    DisplayWrongData(form, dialog, state, "", false);
    EXPECT_EQ(label()->text(), "Collected\r\nmessage");

    state.wrongDataMessage.clear();
    DisplayWrongData(form, dialog, state, "", false);
    EXPECT_EQ(label()->text(), "");
    EXPECT_EQ(label()->left(), (dlg.outerWidth() - label()->width()) / 2);
    EXPECT_FALSE(window.isEnabled());
}

TEST_F(WrongData, AMessageLargerThanTheDialogGrowsItInsteadOfBeingCutOff)
{
    const int designWidth = dlg.width();
    const int designHeight = dlg.height();
    DisplayWrongData(form, dialog, state, "Short", false);
    EXPECT_EQ(dlg.width(), designWidth);
    EXPECT_EQ(dlg.height(), designHeight);
    EXPECT_EQ(label()->left(), (dlg.outerWidth() - label()->width()) / 2);
    dialog.hide();

    DisplayWrongData(form, dialog, state, QString(300, u'W') + "`2`3`4`5`6", false);
    EXPECT_GT(dlg.width(), designWidth);
    EXPECT_GT(dlg.height(), designHeight);
    EXPECT_GT(label()->left(), 0);
    EXPECT_EQ(label()->left(), (dlg.outerWidth() - label()->width()) / 2);
    // The buttons stand below the whole text.
    EXPECT_GT(dlg.control("cmdQuit")->top(), label()->top() + label()->height());
    dialog.hide();

    // The next short message has the designed size again.
    DisplayWrongData(form, dialog, state, "Short", false);
    EXPECT_EQ(dlg.width(), designWidth);
    EXPECT_EQ(dlg.height(), designHeight);
}

TEST_F(WrongData, ALongMessageIsWrappedAndScrolledWithinTheScreen)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(screen.size(), QSize(1280, 1024)); // the test main's screen
    const int designWidth = dlg.width();
    const QString words = QString("Registration server unreachable ").repeated(11).trimmed();
    QStringList manyLines;
    for (int i = 0; i < 200; ++i)
        manyLines << QString("Line %1 of a message far taller than any screen").arg(i);
    const struct {
        const char *name;
        QString message;
        bool scrolls;
    } cases[] = {
        {"longLineOfWords", words, false},
        {"oneLongWord", QString(900, u'W'), false},
        {"tallerThanTheScreen", manyLines.join(u'`'), true},
    };
    form.move(-3000, 12000); // partly off the screen: the dialog must not follow
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        DisplayWrongData(form, dialog, state, c.message, false);
        // The whole window, title bar included, lies on the screen.
        const QRect frame = dialog.frameGeometry();
        EXPECT_TRUE(screen.contains(frame))
            << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
        EXPECT_GT(dlg.width(), designWidth);
        // The caption is the message as given; the lines break on screen only.
        EXPECT_EQ(label()->text(), QString(c.message).replace('`', "\r\n"));
        const auto *scroller = dialog.findChild<QScrollArea *>("scrError");
        const bool scrolled = scroller && scroller->isVisible();
        EXPECT_EQ(scrolled, c.scrolls);
        const QRect shown = scrolled ? scroller->geometry() : label()->widget()->geometry();
        EXPECT_GE(shown.left(), 0);
        EXPECT_LE(shown.right(), dialog.width());
        // The buttons stand below the text, inside the dialog.
        const QRect ok = dlg.control("cmdQuit")->widget()->geometry();
        EXPECT_GT(ok.top(), shown.bottom());
        EXPECT_LE(ok.bottom(), dialog.height());
        if (scrolled) {
            EXPECT_GT(label()->widget()->height(), scroller->height()); // there is more to see
        }
        dialog.hide();
    }
    // A message that fits is shown as designed, on the dialog itself again.
    DisplayWrongData(form, dialog, state, "Short", false);
    EXPECT_EQ(dlg.width(), designWidth);
    EXPECT_EQ(dlg.height(), layouts::kErrorDialogHeight);
    EXPECT_EQ(label()->widget()->parentWidget(), &dialog);
    EXPECT_TRUE(label()->widget()->isVisible());
    EXPECT_EQ(label()->top(), 120);
}

TEST_F(WrongData, DialogIsCentredOverTheMainWindow)
{
    form.move(3000, 1500);
    DisplayWrongData(form, dialog, state, "Centred", false);
    const int tolerance = forms::kTwipsPerPixel; // positions land on whole pixels
    EXPECT_NEAR(dlg.left(), 3000 + (form.outerWidth() - dlg.outerWidth()) / 2, tolerance);
    EXPECT_NEAR(dlg.top(), 1500 + (form.outerHeight() - dlg.outerHeight()) / 2, tolerance);
}

TEST_F(WrongData, ModelessDialogWorksWhileTheMainWindowIsDisabled)
{
    DisplayWrongData(form, dialog, state, "Check this", false);
    ASSERT_TRUE(dialog.isVisible());
    EXPECT_FALSE(window.isEnabled());
    EXPECT_TRUE(dialog.isEnabled());
    forms::Control *ok = dlg.control("cmdQuit");
    ASSERT_TRUE(ok->widget()->isEnabled());
    QTest::mouseClick(ok->widget(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(window.isEnabled());
}

TEST_F(WrongData, AskingReturnsWhenTheQuestionIsAnswered)
{
    // The click on OK answers; the stand-in's own answer would be Cancel.
    testsupport::DialogAnswers answers({DlgError::Answer::Cancel});
    answers.whileShown = [this](DlgError &) {
        EXPECT_TRUE(dlg.control("cmdCancel")->isVisibleFlag());
        EXPECT_TRUE(dialog.isModal());
        QTest::mouseClick(dlg.control("cmdQuit")->widget(), Qt::LeftButton, {}, QPoint(5, 5));
    };
    EXPECT_EQ(dialog.ask("Go on?", DlgError::Buttons::OkCancel), DlgError::Answer::Ok);
    ASSERT_EQ(answers.asked.size(), 1u);
    EXPECT_EQ(answers.asked[0].text, "Go on?");
    EXPECT_FALSE(answers.asked[0].mainWindowEnabled);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(window.isEnabled());
}

TEST_F(WrongData, FailingFieldHasTheFocusAgainAfterTheMessage)
{
    showPage(2, 1);
    textObject(1, "1", "ok", "", "1");
    forms::Control *missing = textObject(1, "2", "", "", "0", "Fill me in");
    ASSERT_FALSE(isDataValid(form, state, today));
    ASSERT_TRUE(hasFocus(missing));
    DisplayWrongData(form, dialog, state, "", false);
    EXPECT_EQ(label()->text(), "Fill me in");
    dialog.cmdQuit_Click();
    EXPECT_TRUE(hasFocus(missing));
}

} // namespace
