// The forms-layer behaviour the page build leans on: name lookups that stay
// exact through thousands of creations and removals, frames that take every
// size given, list entries added in bulk.
#include "platform/forms/form.h"

#include <gtest/gtest.h>

#include <QWidget>

using forms::Kind;

namespace {

class FormLookup : public ::testing::Test {
protected:
    QWidget window;
    forms::Form form{&window};
};

QStringList names(const QList<forms::Control *> &controls)
{
    QStringList out;
    for (const forms::Control *c : controls)
        out << (c->index() >= 0 ? QStringLiteral("%1(%2)").arg(c->name()).arg(c->index()) : c->name());
    return out;
}

} // namespace

TEST_F(FormLookup, NamesIgnoreCaseAndIndexesSelectElements)
{
    forms::Control *first = form.create(Kind::TextBox, QStringLiteral("txtFirstName"));
    forms::Control *a0 = form.create(Kind::ComboBox, QStringLiteral("page_spe_cmb_Answer"), 0);
    forms::Control *a2 = form.create(Kind::ComboBox, QStringLiteral("page_spe_cmb_Answer"), 2);
    forms::Control *a1 = form.create(Kind::ComboBox, QStringLiteral("page_spe_cmb_Answer"), 1);

    EXPECT_EQ(form.control(QStringLiteral("TXTFIRSTNAME")), first);
    EXPECT_EQ(form.control(QStringLiteral("txtFirstname")), first);
    EXPECT_EQ(form.control(QStringLiteral("page_spe_cmb_answer")), a0); // first of the array
    EXPECT_EQ(form.control(QStringLiteral("page_spe_cmb_Answer"), 2), a2);
    EXPECT_EQ(form.control(QStringLiteral("page_spe_cmb_Answer"), 3), nullptr);
    EXPECT_EQ(form.control(QStringLiteral("nothing")), nullptr);
    EXPECT_EQ(form.family(QStringLiteral("PAGE_SPE_CMB_ANSWER")), (QList<forms::Control *>{a0, a1, a2}));
}

TEST_F(FormLookup, RemovalsKeepLookupsAndOrderExact)
{
    forms::Control *design = form.createDesign(Kind::Label, QStringLiteral("lblKept"));
    QList<forms::Control *> made;
    for (int i = 0; i < 300; ++i)
        made << form.create(Kind::TextBox, QStringLiteral("box%1").arg(i));
    forms::Control *frame = form.create(Kind::Frame, QStringLiteral("frm_group"));
    forms::Control *inner = form.create(Kind::OptionButton, QStringLiteral("groupopt0"), -1, frame);
    Q_UNUSED(inner);

    // Remove every other box (enough to make the form drop its dead entries
    // on the way), and the frame with what it holds.
    for (int i = 0; i < 300; i += 2)
        EXPECT_TRUE(form.remove(made[i]));
    EXPECT_TRUE(form.remove(frame));
    EXPECT_FALSE(form.remove(design)); // the window's own controls stay

    EXPECT_EQ(form.control(QStringLiteral("box0")), nullptr);
    EXPECT_EQ(form.control(QStringLiteral("groupopt0")), nullptr);
    EXPECT_EQ(form.control(QStringLiteral("box1")), made[1]);
    EXPECT_EQ(form.control(QStringLiteral("BOX299")), made[299]);
    EXPECT_EQ(form.count(), 1 + 150);
    EXPECT_EQ(names(form.controls()).mid(0, 3), (QStringList{"lblKept", "box1", "box3"}));

    // A control made again under a removed name is found, at the end of the collection.
    forms::Control *again = form.create(Kind::TextBox, QStringLiteral("box0"));
    EXPECT_EQ(form.control(QStringLiteral("box0")), again);
    EXPECT_EQ(form.controls().last(), again);
}

TEST_F(FormLookup, FramesTakeEverySizeGiven)
{
    forms::Control *frame = form.create(Kind::Frame, QStringLiteral("frmPage"));
    frame->resize(1500, 450);
    frame->resize(9000, 6000);
    EXPECT_EQ(frame->widget()->size(), QSize(600, 400));
    frame->resize(300, 150);
    EXPECT_EQ(frame->widget()->size(), QSize(20, 10));
}

TEST_F(FormLookup, EntriesAddedTogetherSelectNothing)
{
    forms::Control *list = form.create(Kind::ComboBox, QStringLiteral("cmbDay"));
    list->setText(QStringLiteral("Day"));
    int changes = 0;
    QObject::connect(list, &forms::Control::changed, [&changes] { ++changes; });
    list->addItems({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});
    EXPECT_EQ(list->itemCount(), 3);
    EXPECT_EQ(list->listIndex(), -1);
    EXPECT_EQ(list->text(), QStringLiteral("Day"));
    EXPECT_EQ(changes, 0);
}

TEST_F(FormLookup, ListBoxContentGrowsWithItsOptions)
{
    forms::Control *list = form.create(Kind::ListBox, QStringLiteral("lst"));
    list->resize(3000, 900);
    forms::Control *option = form.create(Kind::CheckBox, QStringLiteral("lstopt0"), -1, list);
    option->move(0, 1500);
    option->resize(2000, 300);
    EXPECT_GE(list->contentWidget()->height(), 120);
    EXPECT_EQ(option->container(), list);
}
