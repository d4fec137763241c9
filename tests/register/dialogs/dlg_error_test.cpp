// The message dialog: its button layout and pictures on activation, the
// flags each way of leaving it sets, the keyboard, and the hover pictures.
#include "platform/forms/picture_button.h"
#include "register/dialogs/dlg_error.h"
#include "register/wizard/main_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

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

    // Buttons of a known width: the language section names no pictures, so
    // activation keeps the ones already there.
    void useButtonsOf(int widthPx)
    {
        state.quitPictures = {filled(widthPx, 36, Qt::green), filled(widthPx, 36, Qt::yellow), {}};
        state.cancelPictures = {filled(widthPx, 36, Qt::red), filled(widthPx, 36, Qt::blue), {}};
    }

    void showQuestion()
    {
        dialog.okOnly = false;
        dialog.isCanceled = true;
        window.setEnabled(false);
        dialog.show();
    }

    QTemporaryDir dir;
    MainForm window{dir.path(), {}};
    WizardState &state = window.state();
    DlgError &dialog = window.errorDialog();
};

TEST_F(MessageDialog, ButtonLayoutForMessageAndQuestion)
{
    useButtonsOf(73); // 1095 twips
    ASSERT_EQ(dialog.form().outerWidth(), 4995);
    const int top = dialog.form().outerHeight() - 540 - 500;

    dialog.okOnly = true;
    dialog.show();
    EXPECT_EQ(quit()->width(), 1095);
    EXPECT_EQ(quit()->left(), 1950);
    EXPECT_EQ(quit()->top(), top);
    EXPECT_FALSE(cancel()->isVisibleFlag());
    dialog.hide();

    dialog.okOnly = false;
    dialog.show();
    EXPECT_EQ(cancel()->left(), 935);
    EXPECT_EQ(quit()->left(), 2965);
    EXPECT_EQ(cancel()->top(), top);
    EXPECT_EQ(quit()->top(), top);
    EXPECT_TRUE(cancel()->isVisibleFlag());
}

TEST_F(MessageDialog, ActivationNeverChangesTheVisibilityOfOk)
{
    quit()->setVisible(false); // the connecting notice
    dialog.show();
    EXPECT_FALSE(quit()->isVisibleFlag());
    dialog.hide();
    quit()->setVisible(true);
    dialog.show();
    EXPECT_TRUE(quit()->isVisibleFlag());
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

TEST_F(MessageDialog, WaysOfLeavingAQuestion)
{
    const struct {
        const char *name;
        void (*leave)(MessageDialog &);
        bool isCanceled;
        bool okOnly;
    } cases[] = {
        {"ok", [](MessageDialog &t) { t.dialog.cmdQuit_Click(); }, false, true},
        {"cancel", [](MessageDialog &t) { t.dialog.cmdCancel_Click(); }, true, false},
        {"titleBarClose", [](MessageDialog &t) { t.dialog.close(); }, true, false},
        {"escape", [](MessageDialog &t) { QTest::keyClick(t.quit()->widget(), Qt::Key_Escape); },
         true, false},
        {"enterOnOk", [](MessageDialog &t) { QTest::keyClick(t.quit()->widget(), Qt::Key_Return); },
         false, true},
        {"spaceOnCancel",
         [](MessageDialog &t) { QTest::keyClick(t.cancel()->widget(), Qt::Key_Space); }, true,
         false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        showQuestion();
        ASSERT_TRUE(dialog.isVisible());
        c.leave(*this);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_TRUE(window.isEnabled());
        EXPECT_EQ(dialog.isCanceled, c.isCanceled);
        EXPECT_EQ(dialog.okOnly, c.okOnly);
    }
}

TEST_F(MessageDialog, EscapeOnAPlainMessageIsOk)
{
    dialog.okOnly = true;
    dialog.isCanceled = true;
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.isCanceled);
}

TEST_F(MessageDialog, PlainMessageAfterACancelledQuestionShowsBothButtons)
{
    showQuestion();
    dialog.cmdCancel_Click();
    dialog.show(); // a caller that only informs leaves okOnly alone
    EXPECT_TRUE(cancel()->isVisibleFlag());
    dialog.cmdQuit_Click();
    dialog.show();
    EXPECT_FALSE(cancel()->isVisibleFlag());
}

TEST_F(MessageDialog, OkIsFocusedAndNamedForTheKeyboard)
{
    showQuestion();
    EXPECT_EQ(dialog.focusWidget(), quit()->widget());
    EXPECT_EQ(quit()->widget()->accessibleName(), "OK");
    EXPECT_EQ(cancel()->widget()->accessibleName(), "Cancel");
}

TEST_F(MessageDialog, HoverPicturesFollowEveryMove)
{
    useButtonsOf(80);
    showQuestion();
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
    showQuestion();
    auto caption = [](forms::Control *c) {
        return qobject_cast<forms::PictureButton *>(c->widget())->plainCaption();
    };
    EXPECT_EQ(caption(quit()), "OK");
    EXPECT_EQ(caption(cancel()), "Cancel");
    moveOver(quit()->widget()); // an empty hover picture keeps the name too
    EXPECT_EQ(caption(quit()), "OK");
}

} // namespace
