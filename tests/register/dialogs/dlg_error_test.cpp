// The message dialog: its button layout and pictures on activation, the
// answer each way of leaving it gives, the keyboard, and the hover pictures.
#include "platform/forms/picture_button.h"
#include "register/dialogs/dlg_error.h"
#include "register/wizard/main_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <optional>

namespace {

QPixmap filled(int widthPx, int heightPx, Qt::GlobalColor colour)
{
    QPixmap p(widthPx, heightPx);
    p.fill(colour);
    return p;
}

// A mouse move without buttons, as the window system delivers it to the
// widget under the pointer.
void moveOver(QWidget *widget)
{
    const QPointF at(2, 2);
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

class MessageDialog : public ::testing::Test {
  public: // the table of ways to leave the dialog reaches in from lambdas
    void TearDown() override { dialog.hide(); }

    forms::Control *quit() { return dialog.form().control("cmdQuit"); }
    forms::Control *cancel() { return dialog.form().control("cmdCancel"); }
    void hoverOverBoth();

    // Buttons of a known width: the language section names no pictures, so
    // activation keeps the ones already there.
    void useButtonsOf(int widthPx)
    {
        state.quitPictures = {filled(widthPx, 36, Qt::green), filled(widthPx, 36, Qt::yellow), {}};
        state.cancelPictures = {filled(widthPx, 36, Qt::red), filled(widthPx, 36, Qt::blue), {}};
    }

    // Asks with buttons and runs look while the dialog stands, in place of
    // the player; a dialog look leaves standing is closed after it.
    DlgError::Answer asking(DlgError::Buttons buttons, const std::function<void()> &look)
    {
        const SkinnedDialog::StandIn player([&](SkinnedDialog &) { look(); });
        return dialog.ask(QStringLiteral("Go on?"), buttons);
    }

    QTemporaryDir dir;
    MainForm window{dir.path(), {}};
    WizardState &state = window.state();
    DlgError &dialog = window.errorDialog();
};

TEST_F(MessageDialog, ButtonsFollowWhatEachShowingOffers)
{
    useButtonsOf(73); // 1095 twips
    ASSERT_EQ(dialog.form().outerWidth(), 4995);
    const int top = dialog.form().outerHeight() - 540 - 500;
    using B = DlgError::Buttons;
    // Each row follows the row before it on the same dialog: nothing an
    // earlier showing offered may stay on the next one.
    const struct {
        const char *name;
        std::optional<B> asked; // none: the connecting notice
        bool quitShown;
        int quitLeft;
        bool cancelShown;
        int cancelLeft;
    } rows[] = {
        {"message", B::Ok, true, 1950, false, 0},
        {"question", B::OkCancel, true, 2965, true, 935},
        {"messageAfterQuestion", B::Ok, true, 1950, false, 0},
        {"noticeAfterQuestion", std::nullopt, false, 0, false, 0},
        {"messageAfterNotice", B::Ok, true, 1950, false, 0},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        const auto look = [&] {
            EXPECT_EQ(quit()->isVisibleFlag(), r.quitShown);
            EXPECT_EQ(cancel()->isVisibleFlag(), r.cancelShown);
            if (r.quitShown) {
                EXPECT_EQ(quit()->width(), 1095);
                EXPECT_EQ(quit()->left(), r.quitLeft);
                EXPECT_EQ(quit()->top(), top);
            }
            if (r.cancelShown) {
                EXPECT_EQ(cancel()->left(), r.cancelLeft);
                EXPECT_EQ(cancel()->top(), top);
            }
        };
        if (r.asked) {
            asking(*r.asked, look); // left standing: a question is cancelled
        } else {
            dialog.showNotice(QStringLiteral("Connecting"));
            look();
            dialog.endNotice();
        }
    }
}

TEST_F(MessageDialog, PicturesComeFromOkAndCancelOfTheLanguageSection)
{
    state.currentLanguage = "English";
    state.languageDoc.loadXml(R"(<language><ok src="OK" srcover="OK_OVER"/>
      <cancel src="CANCEL" srcover="CANCEL_OVER"/></language>)");
    dialog.show();
    ASSERT_FALSE(state.quitPictures.normal.isNull());
    ASSERT_FALSE(state.cancelPictures.hover.isNull());
    EXPECT_EQ(quit()->pictureKey(), state.quitPictures.normal.cacheKey());
    EXPECT_EQ(cancel()->pictureKey(), state.cancelPictures.normal.cacheKey());
    // The main window's OK button keeps its own pictures.
    EXPECT_TRUE(state.okPictures.normal.isNull());
    EXPECT_EQ(quit()->width(), forms::pixelsToTwips(state.quitPictures.normal.width()));
}

TEST_F(MessageDialog, MissingNodesAttributesOrResourcesKeepThePictures)
{
    const char *sections[] = {
        "<language/>",
        R"(<language><ok/><cancel/></language>)",
        R"(<language><ok src="NO_SUCH" srcover=""/><cancel src="NO_SUCH"/></language>)",
    };
    for (const char *markup : sections) {
        SCOPED_TRACE(markup);
        useButtonsOf(81); // 1215 twips
        const ButtonPictures quitBefore = state.quitPictures;
        const ButtonPictures cancelBefore = state.cancelPictures;
        state.languageDoc.loadXml(markup);
        dialog.show();
        EXPECT_EQ(state.quitPictures.normal.cacheKey(), quitBefore.normal.cacheKey());
        EXPECT_EQ(state.quitPictures.hover.cacheKey(), quitBefore.hover.cacheKey());
        EXPECT_EQ(state.cancelPictures.normal.cacheKey(), cancelBefore.normal.cacheKey());
        EXPECT_EQ(quit()->pictureKey(), quitBefore.normal.cacheKey());
        EXPECT_EQ(quit()->left(), (4995 - 1215) / 2); // the layout still runs
        dialog.hide();
    }
}

TEST_F(MessageDialog, EachWayOfLeavingGivesItsAnswer)
{
    using A = DlgError::Answer;
    using B = DlgError::Buttons;
    const struct {
        const char *name;
        B buttons;
        void (*leave)(MessageDialog &);
        A answer;
    } cases[] = {
        {"ok", B::OkCancel, [](MessageDialog &t) { t.dialog.cmdQuit_Click(); }, A::Ok},
        {"cancel", B::OkCancel, [](MessageDialog &t) { t.dialog.cmdCancel_Click(); }, A::Cancel},
        {"titleBarClose", B::OkCancel, [](MessageDialog &t) { t.dialog.close(); }, A::Cancel},
        {"escape", B::OkCancel,
         [](MessageDialog &t) { QTest::keyClick(t.quit()->widget(), Qt::Key_Escape); }, A::Cancel},
        {"enterOnOk", B::OkCancel,
         [](MessageDialog &t) { QTest::keyClick(t.quit()->widget(), Qt::Key_Return); }, A::Ok},
        {"spaceOnCancel", B::OkCancel,
         [](MessageDialog &t) { QTest::keyClick(t.cancel()->widget(), Qt::Key_Space); }, A::Cancel},
        {"leftStanding", B::OkCancel, [](MessageDialog &) {}, A::Cancel},
        // A message with OK alone has no other answer, however it is left.
        {"messageOk", B::Ok, [](MessageDialog &t) { t.dialog.cmdQuit_Click(); }, A::Ok},
        {"messageEscape", B::Ok,
         [](MessageDialog &t) { QTest::keyClick(&t.dialog, Qt::Key_Escape); }, A::Ok},
        {"messageTitleBarClose", B::Ok, [](MessageDialog &t) { t.dialog.close(); }, A::Ok},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        bool shown = false;
        bool mainEnabled = true;
        const A answer = asking(c.buttons, [&] {
            shown = dialog.isVisible();
            mainEnabled = window.isEnabled();
            c.leave(*this);
        });
        EXPECT_TRUE(shown);
        EXPECT_FALSE(mainEnabled);
        EXPECT_EQ(answer, c.answer);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_TRUE(window.isEnabled());
    }
}

// The latest stand-in answers until it goes; the one before it then
// answers again (a test's answers inside a fixture's, the walk's per dialog).
TEST_F(MessageDialog, TheLatestStandInAnswersUntilItGoes)
{
    using A = DlgError::Answer;
    QStringList order;
    const SkinnedDialog::StandIn outer([&](SkinnedDialog &) {
        order << "outer";
        dialog.answer(A::Ok);
    });
    {
        const SkinnedDialog::StandIn inner([&](SkinnedDialog &) {
            order << "inner";
            dialog.answer(A::Cancel);
        });
        EXPECT_EQ(dialog.ask("first", DlgError::Buttons::OkCancel), A::Cancel);
    }
    EXPECT_EQ(dialog.ask("second", DlgError::Buttons::OkCancel), A::Ok);
    EXPECT_EQ(order, (QStringList{"inner", "outer"}));
}

TEST_F(MessageDialog, OkIsFocusedAndNamedForTheKeyboard)
{
    asking(DlgError::Buttons::OkCancel, [this] {
        EXPECT_EQ(dialog.focusWidget(), quit()->widget());
        EXPECT_EQ(quit()->widget()->accessibleName(), "OK");
        EXPECT_EQ(cancel()->widget()->accessibleName(), "Cancel");
    });
}

TEST_F(MessageDialog, HoverPicturesFollowEveryMove)
{
    useButtonsOf(80);
    asking(DlgError::Buttons::OkCancel, [this] { hoverOverBoth(); });
}

void MessageDialog::hoverOverBoth()
{
    const qint64 quitNormal = state.quitPictures.normal.cacheKey();
    const qint64 quitHover = state.quitPictures.hover.cacheKey();
    const qint64 cancelNormal = state.cancelPictures.normal.cacheKey();
    const qint64 cancelHover = state.cancelPictures.hover.cacheKey();

    moveOver(quit()->widget());
    EXPECT_EQ(quit()->pictureKey(), quitHover);
    moveOver(cancel()->widget());
    EXPECT_EQ(cancel()->pictureKey(), cancelHover);
    EXPECT_EQ(quit()->pictureKey(), quitHover); // nothing restores it but the background
    moveOver(&dialog);
    EXPECT_EQ(quit()->pictureKey(), quitNormal);
    EXPECT_EQ(cancel()->pictureKey(), cancelNormal);
}

TEST_F(MessageDialog, StaysUsableWhileTheMainWindowIsDisabled)
{
    dialog.show();
    window.setEnabled(false);
    EXPECT_TRUE(dialog.isEnabled());
    EXPECT_TRUE(quit()->widget()->isEnabled());
    window.setEnabled(true);
    dialog.setEnabled(false); // an explicit choice on the dialog itself holds
    window.setEnabled(false);
    EXPECT_FALSE(dialog.isEnabled());
}

TEST_F(MessageDialog, ColoursComeFromTheGlobalSettings)
{
    state.defaultBackColor = QColor(255, 255, 255);
    state.defaultForeColor = QColor(0x1F, 0x2D, 0x4A);
    dialog.show();
    EXPECT_EQ(dialog.palette().color(QPalette::Window), state.defaultBackColor);
    EXPECT_EQ(dialog.form().control("lblError")->foreColor(), state.defaultForeColor);
}

} // namespace

namespace {

TEST_F(MessageDialog, ButtonsWithoutAnyPictureShowTheirNames)
{
    // Nothing was read: the configuration could not be loaded.
    asking(DlgError::Buttons::OkCancel, [this] {
        auto caption = [](forms::Control *c) {
            return qobject_cast<forms::PictureButton *>(c->widget())->plainCaption();
        };
        EXPECT_EQ(caption(quit()), "OK");
        EXPECT_EQ(caption(cancel()), "Cancel");
        moveOver(quit()->widget()); // an empty hover picture keeps the name too
        EXPECT_EQ(caption(quit()), "OK");
    });
}

} // namespace
