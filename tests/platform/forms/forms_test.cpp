#include "platform/forms/form.h"
#include "platform/forms/picture_button.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

using forms::Control;
using forms::Form;
using forms::Kind;

namespace {

class FormsTest : public ::testing::Test {
  protected:
    QWidget window;
    Form form{&window};

    QStringList names() const
    {
        QStringList out;
        for (Control *c : form.controls())
            out << (c->index() >= 0 ? QStringLiteral("%1(%2)").arg(c->name()).arg(c->index())
                                    : c->name());
        return out;
    }
};

TEST_F(FormsTest, CollectionKeepsCreationOrderAcrossZOrderChangesAndRemoval)
{
    Control *frame = form.createDesign(Kind::Frame, "frmPages", 0);
    form.createDesign(Kind::TextBox, "txtFirstName", -1, frame);
    Control *a = form.create(Kind::Label, "page_1_lbl_1", -1, frame);
    Control *b = form.create(Kind::TextBox, "page_1_txt_2", -1, frame);
    form.create(Kind::CheckBox, "page_1_chk_3opt0", -1, frame);
    b->sendToBack();
    a->bringToFront();
    EXPECT_EQ(names(), QStringList({"frmPages(0)", "txtFirstName", "page_1_lbl_1", "page_1_txt_2",
                                    "page_1_chk_3opt0"}));
    EXPECT_TRUE(form.remove(b));
    EXPECT_EQ(names(),
              QStringList({"frmPages(0)", "txtFirstName", "page_1_lbl_1", "page_1_chk_3opt0"}));
    // The window's own controls cannot be removed.
    EXPECT_FALSE(form.remove(form.control("txtFirstName")));
    EXPECT_EQ(form.count(), 4);
}

TEST_F(FormsTest, RemovingAContainerRemovesWhatItHolds)
{
    Control *group = form.create(Kind::Frame, "frm_page_1_rad_1");
    form.create(Kind::OptionButton, "page_1_rad_1opt0", -1, group);
    form.create(Kind::OptionButton, "page_1_rad_1opt1", -1, group);
    Control *list = form.create(Kind::ListBox, "page_1_lst_2");
    form.create(Kind::CheckBox, "page_1_lst_2opt0", -1, list);
    EXPECT_EQ(form.count(), 5);
    form.remove(group);
    form.remove(list);
    EXPECT_EQ(form.count(), 0);
}

TEST_F(FormsTest, EachControlKnowsTheControlItStandsIn)
{
    Control *frame = form.createDesign(Kind::Frame, "frmPages", 1);
    Control *list = form.create(Kind::ListBox, "page_1_lst_1", -1, frame);
    Control *option = form.create(Kind::CheckBox, "page_1_lst_1opt0", -1, list);
    Control *group = form.create(Kind::Frame, "frm_page_1_rad_2", -1, frame);
    Control *radio = form.create(Kind::OptionButton, "page_1_rad_2opt0", -1, group);
    Control *text = form.createHidden(Kind::TextBox, "page_1_txt_3", -1, frame);
    Control *onWindow = form.create(Kind::Label, "lblTitle");
    // A control made where a removed one stood does not inherit its place.
    Control *gone = form.create(Kind::Frame, "frmGone");
    form.create(Kind::Label, "lblGone", -1, gone);
    form.remove(gone);
    Control *after = form.create(Kind::Frame, "frmAfter");
    Control *inAfter = form.create(Kind::Label, "lblAfter", -1, after);
    const struct {
        Control *control;
        Control *container;
        Control *inside; // an outer container, or null
    } cases[] = {
        {list, frame, nullptr},    {option, list, frame},     {group, frame, nullptr},
        {radio, group, frame},     {text, frame, nullptr},    {onWindow, nullptr, nullptr},
        {frame, nullptr, nullptr}, {inAfter, after, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.control->name().toStdString());
        EXPECT_EQ(c.control->container(), c.container);
        if (c.inside) {
            EXPECT_TRUE(c.control->isInside(c.inside));
        }
        // Built or waiting, the answer is the same.
        c.control->widget();
        EXPECT_EQ(c.control->container(), c.container);
    }
    // Moved into the window's other frame, the option follows.
    option->setContainer(group);
    EXPECT_EQ(option->container(), group);
    EXPECT_FALSE(option->isInside(list));
}

// However many options a list holds, each stands where it is placed in the
// list's scrolled content, and the content holds them all.
TEST_F(FormsTest, ListOptionsStandWhereTheyArePlaced)
{
    Control *list = form.create(Kind::ListBox, "page_1_lst_1");
    list->move(300, 300);
    list->resize(3000, 1500);
    const int rowTwips = 300; // 20 pixels
    const int rows[] = {0, 1, 24, 25, 26, 800, 819, 820, 20000};
    QList<Control *> options;
    for (int row : rows) {
        Control *option =
            form.create(Kind::CheckBox, QStringLiteral("page_1_lst_1opt%1").arg(row), -1, list);
        option->move(45, 45 + row * rowTwips);
        option->resize(2700, rowTwips);
        options.append(option);
    }
    window.show();
    QWidget *content = list->contentWidget();
    for (qsizetype i = 0; i < options.size(); ++i) {
        Control *option = options[i];
        SCOPED_TRACE(rows[i]);
        EXPECT_EQ(option->container(), list);
        EXPECT_EQ(option->top(), 45 + rows[i] * rowTwips);
        EXPECT_EQ(option->widget()->mapTo(content, QPoint(0, 0)), QPoint(3, 3 + rows[i] * 20));
        EXPECT_TRUE(option->widget()->isVisible());
        EXPECT_GE(content->height(), 3 + rows[i] * 20 + 20);
    }
    // Moved far up, hidden and shown again, an option follows.
    Control *last = options.last();
    last->move(45, 45 + 3 * rowTwips);
    EXPECT_EQ(last->widget()->mapTo(content, QPoint(0, 0)), QPoint(3, 63));
    EXPECT_TRUE(last->widget()->isVisible());
    last->setVisible(false);
    last->move(45, 45 + 900 * rowTwips);
    EXPECT_FALSE(last->widget()->isVisible());
    last->setVisible(true);
    EXPECT_EQ(last->widget()->mapTo(content, QPoint(0, 0)), QPoint(3, 3 + 900 * 20));
    EXPECT_TRUE(last->widget()->isVisible());
    EXPECT_EQ(last->container(), list);
    window.close();
}

TEST_F(FormsTest, LookupIgnoresLetterCaseAndKnowsArrays)
{
    form.createDesign(Kind::TextBox, "txtFirstName");
    form.createDesign(Kind::ComboBox, "page_spe_cmb_Answer", 0);
    form.create(Kind::ComboBox, "page_spe_cmb_Answer", 2);
    form.create(Kind::ComboBox, "page_spe_cmb_Answer", 1);
    EXPECT_NE(form.control("txtFirstname"), nullptr);
    EXPECT_EQ(form.control("TXTFIRSTNAME"), form.control("txtFirstName"));
    EXPECT_EQ(form.control("nothing"), nullptr);
    EXPECT_EQ(form.control("page_spe_cmb_answer", 1)->index(), 1);
    EXPECT_EQ(form.control("page_spe_cmb_Answer", 5), nullptr);
    const QList<Control *> family = form.family("page_spe_cmb_Answer");
    ASSERT_EQ(family.size(), 3);
    EXPECT_EQ(family[0]->index(), 0);
    EXPECT_EQ(family[2]->index(), 2);
}

TEST_F(FormsTest, VisibilityIsTheControlsOwnFlagAndSurvivesContainerMoves)
{
    Control *frameA = form.createDesign(Kind::Frame, "frmA");
    Control *frameB = form.createDesign(Kind::Frame, "frmB");
    Control *shown = form.createDesign(Kind::PictureButton, "cmdNext", -1, frameA);
    Control *hidden = form.createDesign(Kind::PictureButton, "cmdPrev", -1, frameA);
    hidden->setVisible(false);
    frameA->setVisible(false);
    window.show();
    // Inside a hidden frame the control is not on screen, but its flag holds.
    EXPECT_TRUE(shown->isVisibleFlag());
    EXPECT_FALSE(shown->widget()->isVisible());

    shown->setContainer(frameB);
    hidden->setContainer(frameB);
    EXPECT_EQ(shown->container(), frameB);
    EXPECT_TRUE(shown->isVisibleFlag());
    EXPECT_TRUE(shown->widget()->isVisible());
    EXPECT_FALSE(hidden->isVisibleFlag());
    EXPECT_FALSE(hidden->widget()->isVisible());

    shown->setContainer(nullptr);
    EXPECT_EQ(shown->container(), nullptr);
    EXPECT_EQ(shown->widget()->parentWidget(), &window);
    EXPECT_TRUE(shown->widget()->isVisible());
    EXPECT_TRUE(shown->isInside(frameB) == false);
    window.close();
}

TEST_F(FormsTest, ZOrderFollowsFrontAndBack)
{
    Control *back = form.createDesign(Kind::Image, "imgBack");
    Control *button = form.createDesign(Kind::PictureButton, "cmdNext");
    back->bringToFront();
    EXPECT_EQ(window.children().indexOf(back->widget()), window.children().size() - 1);
    back->sendToBack();
    EXPECT_LT(window.children().indexOf(back->widget()),
              window.children().indexOf(button->widget()));
}

TEST_F(FormsTest, GeometryIsTwipsReadBackExactly)
{
    Control *c = form.createDesign(Kind::TextBox, "txt");
    c->move(1321, 127);
    c->resize(2007, 373);
    EXPECT_EQ(c->left(), 1321);
    EXPECT_EQ(c->top(), 127);
    EXPECT_EQ(c->width(), 2007);
    EXPECT_EQ(c->height(), 373);
    EXPECT_EQ(c->widget()->geometry(), QRect(88, 8, 134, 25));
    form.setWidth(9765);
    form.setHeight(6885);
    EXPECT_EQ(form.width(), 9765);
    EXPECT_EQ(window.size(), QSize(651, 459));
    EXPECT_EQ(form.outerWidth(), 9885);
}

TEST_F(FormsTest, LabelsSizeToCaptionAndKeepLineBreaks)
{
    Control *l = form.createDesign(Kind::Label, "lblError");
    l->setAutoSize(true);
    l->setText("short");
    const int oneLine = l->height();
    const int shortWidth = l->width();
    l->setText("a much longer caption\r\nwith a second line");
    EXPECT_EQ(l->text(), "a much longer caption\r\nwith a second line");
    EXPECT_GT(l->width(), shortWidth);
    EXPECT_GT(l->height(), oneLine);
}

TEST_F(FormsTest, PictureButtonsTakeTheirPicturesSize)
{
    Control *b = form.createDesign(Kind::PictureButton, "cmdOk");
    QPixmap pm(120, 36);
    pm.fill(Qt::blue);
    b->setPicture(pm);
    EXPECT_EQ(b->width(), 1800);
    EXPECT_EQ(b->height(), 540);
    EXPECT_TRUE(b->hasPicture());
    // An empty picture empties the button but keeps its size.
    b->setPicture(QPixmap());
    EXPECT_FALSE(b->hasPicture());
    EXPECT_EQ(b->width(), 1800);
    EXPECT_EQ(b->typeName(), "Image");
    // Without a picture it is drawn as a plain button with its role's name,
    // so it does not vanish: the painted face is not one flat colour.
    auto *widget = qobject_cast<forms::PictureButton *>(b->widget());
    ASSERT_NE(widget, nullptr);
    widget->setAccessibleName("OK");
    EXPECT_EQ(widget->plainCaption(), "OK");
    const QImage face = widget->grab().toImage();
    bool drawn = false;
    for (int x = 0; x < face.width() && !drawn; ++x)
        for (int y = 0; y < face.height() && !drawn; ++y)
            drawn = face.pixel(x, y) != face.pixel(0, face.height() / 2);
    EXPECT_TRUE(drawn);
}

TEST_F(FormsTest, PictureButtonsClickFromMouseAndKeyboard)
{
    Control *b = form.createDesign(Kind::PictureButton, "cmdNext");
    QPixmap pm(120, 36);
    pm.fill(Qt::blue);
    b->setPicture(pm);
    QSignalSpy clicks(b, &Control::clicked);
    QTest::mouseClick(b->widget(), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::keyClick(b->widget(), Qt::Key_Return);
    QTest::keyClick(b->widget(), Qt::Key_Space);
    EXPECT_EQ(clicks.size(), 3);
    EXPECT_NE(b->widget()->focusPolicy(), Qt::NoFocus);
    const QCursor pointer = b->widget()->cursor();
    EXPECT_EQ(pointer.hotSpot(), QPoint(12, 1));
}

TEST_F(FormsTest, ListsSelectOnlyWhenAskedAndTellClicksLikeThePlayer)
{
    Control *list = form.createDesign(Kind::ComboBox, "cmbCountry");
    qobject_cast<QComboBox *>(list->widget())->setEditable(false);
    QSignalSpy clicks(list, &Control::clicked);
    list->addItem("");
    list->addItem("Spain");
    list->addItem("Other");
    EXPECT_EQ(list->listIndex(), -1);
    EXPECT_EQ(clicks.size(), 0);
    list->setListIndex(1);
    EXPECT_EQ(list->text(), "Spain");
    EXPECT_EQ(clicks.size(), 1);
    list->setText("other"); // a list without an edit field matches its entries
    EXPECT_EQ(list->text(), "Other");
    list->setText("Atlantis");
    EXPECT_EQ(list->text(), "Other");
    list->clearItems();
    EXPECT_EQ(list->itemCount(), 0);

    Control *editable = form.createDesign(Kind::ComboBox, "cmbCity");
    editable->addItem("A");
    editable->addItem("B");
    editable->setText("B");
    EXPECT_EQ(editable->text(), "B");
    editable->setText("typed");
    EXPECT_EQ(editable->text(), "typed");

    // The edit field and the popup list (built when first asked for) are the
    // ones Qt's own editable list has.
    QComboBox reference;
    reference.setEditable(true);
    auto *combo = qobject_cast<QComboBox *>(editable->widget());
    ASSERT_NE(combo->lineEdit(), nullptr);
    EXPECT_TRUE(combo->isEditable());
    EXPECT_EQ(combo->lineEdit()->palette(), reference.lineEdit()->palette());
    EXPECT_EQ(combo->completer() != nullptr, reference.completer() != nullptr);
    EXPECT_EQ(combo->view()->verticalScrollBarPolicy(),
              reference.view()->verticalScrollBarPolicy());
    EXPECT_EQ(combo->view()->model()->rowCount(), 2);
}

TEST_F(FormsTest, ValuesTextsAndLengths)
{
    Control *check = form.createDesign(Kind::CheckBox, "chk");
    check->setText("RPG");
    EXPECT_EQ(check->value(), 0);
    check->setValue(1);
    EXPECT_EQ(check->value(), 1);
    EXPECT_EQ(check->text(), "RPG");

    Control *text = form.createDesign(Kind::TextBox, "txt");
    text->setMaxLength(3);
    text->setText("abcdef");
    EXPECT_EQ(text->text(), "abc");
    text->setMaxLength(0);
    EXPECT_EQ(text->maxLength(), 0);
    text->setText("abcdef");
    EXPECT_EQ(text->text(), "abcdef");

    // A password box shows every character as the mask character given.
    Control *secret = form.createDesign(Kind::TextBox, "pwd");
    secret->setBackColor(QColor(0, 0, 255));
    secret->setPasswordChar("#");
    secret->setText("abc");
    auto *edit = static_cast<QLineEdit *>(secret->widget());
    EXPECT_EQ(edit->displayText(), "###");
    EXPECT_EQ(secret->text(), "abc");
    EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(0, 0, 255));
    secret->setForeColor(QColor(255, 0, 0));
    EXPECT_EQ(edit->palette().color(QPalette::Text), QColor(255, 0, 0));
    secret->setPasswordChar("");
    EXPECT_EQ(edit->displayText(), "abc");

    Control *label = form.createDesign(Kind::Label, "lbl");
    label->setForeColor(QColor(255, 0, 0));
    EXPECT_EQ(label->foreColor().value(), QColor(255, 0, 0));
    EXPECT_EQ(label->widget()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

// A fixed layout's text boxes and lists, and hidden text boxes, wait for
// their widget; what is set on them in the meantime reads back the same and
// reaches the widget once it is built.
TEST_F(FormsTest, WaitingControlsKeepWhatIsSetAndHandItToTheirWidget)
{
    Control *frame = form.createDesign(Kind::Frame, "frmPages", 0);
    Control *text = form.createDesign(Kind::TextBox, "txtZip", -1, frame);
    Control *holder = form.createHidden(Kind::TextBox, "txtZip_patten");
    Control *list = form.createDesign(Kind::ComboBox, "cmbCountry");
    QSignalSpy changes(text, &Control::changed);
    text->move(1500, 300);
    text->resize(975, 375);
    text->setMaxLength(5);
    text->setText("K1A 0B1");
    text->setText("K1A 0"); // the same five characters: no change
    text->setForeColor(QColor(255, 0, 0));
    text->setBackColor(QColor(0, 0, 255));
    text->setEnabled(false);
    text->setAccessibleName("Postal code");
    holder->setText("z");
    holder->setContainer(frame);
    list->setEditable(false);

    EXPECT_EQ(text->text(), "K1A 0");
    EXPECT_EQ(text->maxLength(), 5);
    EXPECT_FALSE(text->isEnabled());
    EXPECT_EQ(text->container(), frame);
    EXPECT_EQ(holder->container(), frame);
    EXPECT_FALSE(holder->isVisibleFlag());
    EXPECT_EQ(holder->text(), "z");
    EXPECT_EQ(changes.size(), 1);
    EXPECT_EQ(names(), QStringList({"frmPages(0)", "txtZip", "txtZip_patten", "cmbCountry"}));
    EXPECT_TRUE(window.findChildren<QLineEdit *>().isEmpty());
    EXPECT_TRUE(window.findChildren<QComboBox *>().isEmpty());

    auto *edit = qobject_cast<QLineEdit *>(text->widget());
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(changes.size(), 1); // building it tells nothing new
    EXPECT_EQ(edit->objectName(), "txtZip");
    EXPECT_EQ(edit->parentWidget(), frame->widget());
    EXPECT_EQ(edit->geometry(), QRect(100, 20, 65, 25));
    EXPECT_EQ(edit->text(), "K1A 0");
    EXPECT_EQ(edit->maxLength(), 5);
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_EQ(edit->accessibleName(), "Postal code");
    EXPECT_EQ(edit->palette().color(QPalette::Text), QColor(255, 0, 0));
    EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(0, 0, 255));
    EXPECT_EQ(holder->widget()->parentWidget(), frame->widget());
    EXPECT_TRUE(holder->widget()->isHidden());
    // A list that only offers its entries never gets an edit field.
    auto *combo = qobject_cast<QComboBox *>(list->widget());
    ASSERT_NE(combo, nullptr);
    EXPECT_FALSE(combo->isEditable());
    EXPECT_EQ(combo->lineEdit(), nullptr);

    // Removing a waiting run-time control takes it out of the collection.
    Control *other = form.createHidden(Kind::TextBox, "txtCity_optional");
    EXPECT_TRUE(form.remove(other));
    EXPECT_EQ(form.control("txtCity_optional"), nullptr);
}

// A widget built late stands among its siblings and in the keyboard order
// exactly where it would have stood if built at creation.
TEST_F(FormsTest, WaitingWidgetsTakeTheirPlaceInStackingAndKeyboardOrder)
{
    Control *first = form.createDesign(Kind::TextBox, "txtFirstName");
    Control *option = form.createDesign(Kind::OptionButton, "optOnline");
    Control *last = form.createDesign(Kind::TextBox, "txtLastName");
    Control *raised = form.createDesign(Kind::TextBox, "txtEmail");
    Control *label = form.createDesign(Kind::Label, "lblEmail");
    Control *back = form.createDesign(Kind::Image, "imgBack");
    raised->bringToFront();
    back->sendToBack();
    form.setTabOrder({first, option, last, raised});

    struct Build {
        const char *name;
        Control *control;
    };
    // Built in an order of their own, as screens ask for them.
    for (const Build &b : {Build{"last", last}, Build{"raised", raised}, Build{"first", first}}) {
        SCOPED_TRACE(b.name);
        ASSERT_NE(b.control->widget(), nullptr);
    }
    const QObjectList stack = window.children();
    auto at = [&stack](Control *c) { return stack.indexOf(c->widget()); };
    EXPECT_LT(at(back), at(first));
    EXPECT_LT(at(first), at(option));
    EXPECT_LT(at(option), at(last));
    EXPECT_LT(at(last), at(label));
    EXPECT_LT(at(label), at(raised));

    QStringList walk;
    QWidget *w = first->widget();
    for (int i = 0; i < 4; ++i, w = w->nextInFocusChain()) {
        while (w->focusPolicy() == Qt::NoFocus)
            w = w->nextInFocusChain();
        walk << w->objectName();
    }
    EXPECT_EQ(walk, QStringList({"txtFirstName", "optOnline", "txtLastName", "txtEmail"}));
}

// What a screen shows is built when it comes on screen: a frame at once, the
// window right after it is mapped. Hidden controls go on waiting.
TEST_F(FormsTest, WaitingWidgetsAreBuiltWhenTheirScreenIsShown)
{
    Control *page = form.createDesign(Kind::Frame, "frmPages", 0);
    page->setVisible(false);
    Control *onPage = form.createDesign(Kind::TextBox, "txtCity", -1, page);
    Control *list = form.createDesign(Kind::ComboBox, "cmbLanguage");
    list->setEditable(false);
    Control *holder = form.createHidden(Kind::TextBox, "txtCity_patten", -1, page);
    Control *caption = form.createDesign(Kind::Label, "lblLanguage");
    caption->setAutoSize(true);
    caption->setText("Please choose your region and language");

    window.show();
    EXPECT_TRUE(window.findChildren<QComboBox *>().isEmpty());
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(window.findChildren<QComboBox *>().size(), 1);
    EXPECT_TRUE(window.findChildren<QLineEdit *>().isEmpty());
    // The caption was laid out before the window was drawn: as wide as Qt's
    // own label makes that text.
    QLabel reference("Please choose your region and language");
    reference.setFont(caption->widget()->font());
    EXPECT_EQ(caption->widget()->size(), reference.sizeHint());

    page->setVisible(true);
    const QList<QLineEdit *> edits = window.findChildren<QLineEdit *>();
    ASSERT_EQ(edits.size(), 1);
    EXPECT_EQ(edits.first()->objectName(), onPage->name());
    EXPECT_TRUE(edits.first()->isVisible());
    EXPECT_EQ(list->itemCount(), 0);
    EXPECT_FALSE(holder->isVisibleFlag());
    window.close();
}

} // namespace
