// The controls each question type produces: names, holders, geometry,
// containers.
#include "register/pages/renderers.h"
#include "tests/support/test_support.h"

#include "page_fixture.h"

#include <QAbstractButton>

using forms::Kind;
using namespace pages;

namespace {

class Renderers : public PageFixture {};

QStringList entries(const forms::Control *c)
{
    QStringList out;
    for (int i = 0; i < c->itemCount(); ++i)
        out << c->item(i);
    return out;
}

void click(forms::Control *c)
{
    static_cast<QAbstractButton *>(c->widget())->click();
}

} // namespace

TEST_F(Renderers, DateListsAtStepsOf1200WithSeparatorsInTheGaps)
{
    const auto date = describe<DateObject>(QStringLiteral(
        R"(<object type="date" id="0" src="d/m/y" text="Day/Month/Year" x="1000" y="500" patten=" 13 " optional="0"/>)"));
    Render_Date(form, state, date, frame, 2030);

    const char *parts[] = {"d", "m", "y"};
    for (int k = 0; k < 3; ++k) {
        forms::Control *list = ctl(QStringLiteral("page_1_dat_0") + QLatin1String(parts[k]));
        ASSERT_TRUE(list) << parts[k];
        EXPECT_EQ(list->kind(), Kind::ComboBox);
        EXPECT_EQ(list->left(), 1000 + 1200 * k);
        EXPECT_EQ(list->top(), 500);
        EXPECT_EQ(list->width(), 1000);
        EXPECT_EQ(list->container(), frame);
    }
    EXPECT_EQ(ctl(QStringLiteral("page_1_dat_0lbld"))->left(), 2100);
    EXPECT_EQ(ctl(QStringLiteral("page_1_dat_0lblm"))->left(), 3300);
    EXPECT_EQ(ctl(QStringLiteral("page_1_dat_0lblm"))->top(), 500);
    EXPECT_FALSE(ctl(QStringLiteral("page_1_dat_0lbly")));

    forms::Control *years = ctl(QStringLiteral("page_1_dat_0y"));
    EXPECT_EQ(years->itemCount(), 101);
    EXPECT_EQ(years->item(0), QStringLiteral("2030"));
    EXPECT_EQ(years->item(100), QStringLiteral("1930"));
    EXPECT_EQ(years->text(), QStringLiteral("Year")); // its starting text, nothing selected
    EXPECT_EQ(years->listIndex(), -1);
    EXPECT_EQ(ctl(QStringLiteral("page_1_dat_0d"))->itemCount(), 31);

    forms::Control *patten = ctl(QStringLiteral("page_1_dat_0_patten"));
    EXPECT_EQ(patten->text(), QStringLiteral("13"));
    EXPECT_FALSE(patten->isVisibleFlag());
    EXPECT_EQ(patten->container(), frame);
    EXPECT_EQ(ctl(QStringLiteral("page_1_dat_0_optional"))->text(), QStringLiteral("0"));
}

TEST_F(Renderers, ComboUsesTheAnswerFamilyAndListsTheDefaultOnce)
{
    Render_Combo(
        form, state,
        describe<ComboObject>(QStringLiteral(
            R"(<object type="combo" id="2" src="A friend|Choose|A shop" x="5400" y="2000" width="3000" default="Choose"/>)")),
        frame);
    Render_Combo(
        form, state,
        describe<ComboObject>(QStringLiteral(
            R"(<object type="combo" id="3" src="Yes|No" x="10" y="20" width="900" default="?"/>)")),
        frame);

    const QList<forms::Control *> family = form.family(QStringLiteral("page_spe_cmb_Answer"));
    ASSERT_EQ(family.size(), 3);
    EXPECT_TRUE(family[0]->tag().isEmpty()); // the design element is never used
    EXPECT_EQ(family[1]->tag(), QStringLiteral("page_1_cbo_2"));
    EXPECT_EQ(entries(family[1]), (QStringList{"Choose", "A friend", "A shop"}));
    EXPECT_EQ(family[1]->listIndex(), -1);
    EXPECT_EQ(family[1]->container(), frame);
    EXPECT_EQ(family[2]->index(), 2);
}

struct RadioCase {
    const char *name;
    const char *defaultText;
    std::array<int, 3> values;
};

class RadioDefault : public Renderers, public ::testing::WithParamInterface<RadioCase> {};

TEST_P(RadioDefault, SelectsTheOptionAtThatPosition)
{
    Render_RadioBox(
        form, state,
        describe<RadioObject>(
            QStringLiteral(
                R"(<object type="radiobox" id="3" src="a|b|c" x="5400|5400|6400" y="100|400|700" width="3000" default="%1"/>)")
                .arg(QLatin1String(GetParam().defaultText))),
        frame);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(ctl(QStringLiteral("page_1_rad_3opt%1").arg(k))->value(), GetParam().values[k])
            << k;

    // The group frame spans the options; the options lie inside it.
    forms::Control *group = ctl(QStringLiteral("frm_page_1_rad_3"));
    EXPECT_EQ(group->container(), frame);
    EXPECT_EQ(group->height(), 900);
    EXPECT_EQ(group->width(), 4000);
    forms::Control *third = ctl(QStringLiteral("page_1_rad_3opt2"));
    EXPECT_EQ(third->container(), group);
    EXPECT_EQ(third->left(), 1000);
    EXPECT_EQ(third->top(), 600);
    // Creation order is the stacking order: the options stand front-most in
    // the group, first to last, without being raised one by one.
    const QList<QWidget *> stacked =
        group->widget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(stacked.size(), 3);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(stacked[k], ctl(QStringLiteral("page_1_rad_3opt%1").arg(k))->widget()) << k;
}

INSTANTIATE_TEST_SUITE_P(Defaults, RadioDefault,
                         ::testing::Values(RadioCase{"Second", "1", {0, 1, 0}},
                                           RadioCase{"None", "-1", {0, 0, 0}},
                                           RadioCase{"BeyondTheOptions", "7", {0, 0, 0}}),
                         testsupport::RowName());

struct CheckCase {
    const char *name;
    const char *src;
    const char *positions;
    const char *optional;
    const char *holder;
};

class CheckHolder : public Renderers, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(CheckHolder, CountsTheBoxesUnlessOptional)
{
    const CheckCase &c = GetParam();
    Render_CheckBox(
        form, state,
        describe<CheckObject>(
            QStringLiteral(
                R"(<object type="checkbox" id="1" src="%1" x="%2" y="%2" width="3000" optional="%3" error="Tick one"/>)")
                .arg(QLatin1String(c.src), QLatin1String(c.positions), QLatin1String(c.optional))),
        frame);
    forms::Control *holder = ctl(QStringLiteral("page_1_chk_1_optional"));
    EXPECT_EQ(holder->text(), QLatin1String(c.holder));
    EXPECT_EQ(holder->tag(), QStringLiteral("Tick one"));
    EXPECT_FALSE(holder->isVisibleFlag());
    EXPECT_EQ(ctl(QStringLiteral("page_1_chk_1opt0"))->container(), frame);
}

INSTANTIATE_TEST_SUITE_P(
    Holders, CheckHolder,
    ::testing::Values(CheckCase{"ThreeRequired", "a|b|c", "10|20|30", "0", "3"},
                      CheckCase{"ThreeOptional", "a|b|c", "10|20|30", "1", "0"},
                      CheckCase{"OneBoxWithoutCaption", "", "10", "0", "1"}),
    testsupport::RowName());

struct TextCase {
    const char *name;
    const char *id;
    const char *gameName;
    const char *text;
    bool enabled;
};

class TextProductName : public Renderers, public ::testing::WithParamInterface<TextCase> {};

TEST_P(TextProductName, IdOneCarriesTheProductName)
{
    const TextCase &c = GetParam();
    state.gameName = QString::fromUtf8(c.gameName);
    Render_TextBox(
        form, state,
        describe<TextObject>(
            QStringLiteral(
                R"(<object type="text" id="%1" src="typed" x="1" y="2" width="3" height="4" maxlength="60" patten=" n " password="" optional=" 1 "/>)")
                .arg(QLatin1String(c.id))),
        frame);
    forms::Control *box = ctl(QStringLiteral("page_1_txt_") + QLatin1String(c.id));
    EXPECT_EQ(box->text(), QString::fromUtf8(c.text));
    EXPECT_EQ(box->isEnabled(), c.enabled);
    EXPECT_EQ(ctl(box->name() + QStringLiteral("_patten"))->text(), QStringLiteral("n"));
    EXPECT_EQ(ctl(box->name() + QStringLiteral("_optional"))->text(), QStringLiteral("1"));
}

INSTANTIATE_TEST_SUITE_P(
    Ids, TextProductName,
    ::testing::Values(TextCase{"KnownName", "1", "Ember Reach", "Ember Reach", false},
                      TextCase{"UnknownName", "1", "", "", true},
                      TextCase{"IdOneWithSuffix", "1_b", "Ember Reach", "Ember Reach", false},
                      TextCase{"IdTwelve", "12", "Ember Reach", "typed", true}),
    testsupport::RowName());

TEST_F(Renderers, ListHoldsItsOptionsAsCheckBoxesInside)
{
    Render_ListBox(
        form, state,
        describe<ListObject>(QStringLiteral(
            R"(<object type="list" id="2" src="PC|Laptop|Console|Handheld|Phone|Tablet" x="5400" y="3150" wdith="3200" height="1400" optional="0"/>)")),
        frame);
    forms::Control *box = ctl(QStringLiteral("page_1_lst_2"));
    EXPECT_EQ(box->kind(), Kind::ListBox);
    EXPECT_EQ(box->width(), 3200);
    EXPECT_EQ(box->container(), frame);

    forms::Control *last = ctl(QStringLiteral("page_1_lst_2opt5"));
    EXPECT_EQ(last->text(), QStringLiteral("Tablet"));
    EXPECT_EQ(last->container(), box);
    // Six rows do not fit in 1400 twips: the list scrolls to the last one.
    EXPECT_GE(box->contentWidget()->height(), last->widget()->geometry().bottom());

    // A click toggles one option and leaves the others.
    forms::Control *second = ctl(QStringLiteral("page_1_lst_2opt1"));
    click(second);
    click(last);
    click(second);
    EXPECT_EQ(second->value(), 0);
    EXPECT_EQ(last->value(), 1);
    EXPECT_EQ(ctl(QStringLiteral("page_1_lst_2_optional"))->text(), QStringLiteral("6"));
}
