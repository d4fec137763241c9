// The controls each question type produces: names, holders, geometry,
// colours, containers.
#include "register/pages/renderers.h"

#include "page_fixture.h"

#include <QAbstractButton>
#include <QLineEdit>

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

} // namespace

struct DateCase {
    const char *format;
    const char *text;
    std::array<const char *, 3> order; // parts left to right
};

class DateLayout : public Renderers, public ::testing::WithParamInterface<DateCase> {};

TEST_P(DateLayout, ListsAtStepsOf1200WithSeparatorsInTheGaps)
{
    const DateCase &c = GetParam();
    const auto date = describe<DateObject>(
        QStringLiteral(R"(<object type="date" id="0" src="%1" text="%2" x="1000" y="500" patten=" 13 " optional="0"/>)")
            .arg(QLatin1String(c.format), QLatin1String(c.text)));
    Render_Date(form, state, date, frame, 2030);

    const QString n = QStringLiteral("page_1_dat_0");
    for (int k = 0; k < 3; ++k) {
        forms::Control *list = ctl(n + QLatin1String(c.order[k]));
        ASSERT_TRUE(list) << c.order[k];
        EXPECT_EQ(list->kind(), Kind::ComboBox);
        EXPECT_EQ(list->left(), 1000 + 1200 * k);
        EXPECT_EQ(list->top(), 500);
        EXPECT_EQ(list->width(), 1000);
        EXPECT_EQ(list->container(), frame);
        EXPECT_EQ(list->foreColor(), state.defaultForeColor);
        if (k < 2) {
            forms::Control *separator = ctl(n + QStringLiteral("lbl") + QLatin1String(c.order[k]));
            ASSERT_TRUE(separator);
            EXPECT_EQ(separator->left(), 1000 + 1200 * k + 1100);
            EXPECT_EQ(separator->top(), 500);
            EXPECT_EQ(separator->text(), QString(QLatin1Char(c.format[1])));
        }
    }
    EXPECT_FALSE(ctl(n + QStringLiteral("lbl") + QLatin1String(c.order[2])));

    const QStringList years = entries(ctl(n + QStringLiteral("y")));
    ASSERT_EQ(years.size(), 101);
    EXPECT_EQ(years.first(), QStringLiteral("2030"));
    EXPECT_EQ(years.last(), QStringLiteral("1930"));
    EXPECT_EQ(entries(ctl(n + QStringLiteral("m"))).size(), 12);
    EXPECT_EQ(entries(ctl(n + QStringLiteral("d"))).last(), QStringLiteral("31"));
    // Each list starts with its text, nothing selected.
    EXPECT_EQ(ctl(n + QLatin1String(c.order[0]))->listIndex(), -1);

    forms::Control *patten = ctl(n + QStringLiteral("_patten"));
    forms::Control *optional = ctl(n + QStringLiteral("_optional"));
    ASSERT_TRUE(patten && optional);
    EXPECT_EQ(patten->text(), QStringLiteral("13"));
    EXPECT_EQ(optional->text(), QStringLiteral("0"));
    EXPECT_FALSE(patten->isVisibleFlag());
    EXPECT_EQ(patten->container(), frame);
}

INSTANTIATE_TEST_SUITE_P(Formats, DateLayout,
                         ::testing::Values(DateCase{"d/m/y", "Day/Month/Year", {"d", "m", "y"}},
                                           DateCase{"y-m-d", "Y-M-D", {"y", "m", "d"}},
                                           DateCase{"m.d.y", "M.D.Y", {"m", "d", "y"}}));

TEST_F(Renderers, DateListsStartWithTheirTexts)
{
    const auto date = describe<DateObject>(QStringLiteral(
        R"(<object type="date" id="0" src="d/m/y" text="Day/Month/Year" x="0" y="0" patten="" optional="1"/>)"));
    Render_Date(form, state, date, frame, 2024);
    EXPECT_EQ(ctl(QStringLiteral("page_1_dat_0d"))->text(), QStringLiteral("Day"));
    EXPECT_EQ(ctl(QStringLiteral("page_1_dat_0y"))->text(), QStringLiteral("Year"));
}

TEST_F(Renderers, ComboUsesTheAnswerFamilyAndListsTheDefaultOnce)
{
    const auto first = describe<ComboObject>(QStringLiteral(
        R"(<object type="combo" id="2" src="A friend|Choose|A shop" x="5400" y="2000" width="3000" default="Choose"/>)"));
    const auto second = describe<ComboObject>(QStringLiteral(
        R"(<object type="combo" id="3" src="Yes|No" x="10" y="20" width="900" default="?"/>)"));
    Render_Combo(form, state, first, frame);
    Render_Combo(form, state, second, frame);

    const QList<forms::Control *> family = form.family(QStringLiteral("page_spe_cmb_Answer"));
    ASSERT_EQ(family.size(), 3);
    EXPECT_TRUE(family[0]->tag().isEmpty()); // the design element is never used
    EXPECT_EQ(family[0]->itemCount(), 0);
    EXPECT_FALSE(family[0]->isVisibleFlag());

    forms::Control *combo = family[1];
    EXPECT_EQ(combo->index(), 1);
    EXPECT_EQ(combo->tag(), QStringLiteral("page_1_cbo_2"));
    EXPECT_EQ(entries(combo), (QStringList{"Choose", "A friend", "A shop"}));
    EXPECT_EQ(combo->listIndex(), -1);
    EXPECT_EQ(combo->left(), 5400);
    EXPECT_EQ(combo->top(), 2000);
    EXPECT_EQ(combo->width(), 3000);
    EXPECT_EQ(combo->container(), frame);
    EXPECT_TRUE(combo->isVisibleFlag());
    EXPECT_EQ(family[2]->index(), 2);
    EXPECT_EQ(family[2]->tag(), QStringLiteral("page_1_cbo_3"));

    // The same name again reuses its element with fresh entries.
    auto again = first;
    again.values = {QStringLiteral("Other")};
    Render_Combo(form, state, again, frame);
    EXPECT_EQ(form.family(QStringLiteral("page_spe_cmb_Answer")).size(), 3);
    EXPECT_EQ(entries(combo), (QStringList{"Choose", "Other"}));
}

struct RadioCase {
    const char *name;
    const char *defaultText;
    std::array<int, 3> values;
};

class RadioDefault : public Renderers, public ::testing::WithParamInterface<RadioCase> {};

TEST_P(RadioDefault, SelectsTheOptionAtThatPosition)
{
    const auto radio = describe<RadioObject>(
        QStringLiteral(R"(<object type="radiobox" id="3" src="a|b|c" x="5400|5400|5400" y="100|400|700" width="3400" default="%1"/>)")
            .arg(QLatin1String(GetParam().defaultText)));
    Render_RadioBox(form, state, radio, frame);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(ctl(QStringLiteral("page_1_rad_3opt%1").arg(k))->value(), GetParam().values[k]) << k;
}

INSTANTIATE_TEST_SUITE_P(Defaults, RadioDefault,
                         ::testing::Values(RadioCase{"First", "0", {1, 0, 0}},
                                           RadioCase{"Second", "1", {0, 1, 0}},
                                           RadioCase{"None", "-1", {0, 0, 0}},
                                           RadioCase{"BeyondTheOptions", "7", {0, 0, 0}}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(Renderers, RadioGroupFrameSpansItsOptions)
{
    const auto radio = describe<RadioObject>(QStringLiteral(
        R"(<object type="radiobox" id="3" src="Every day|Weekly|Rarely" x="5400|5400|6400" y="100|400|700" width="3000" default="0"/>)"));
    Render_RadioBox(form, state, radio, frame);

    forms::Control *group = ctl(QStringLiteral("frm_page_1_rad_3"));
    ASSERT_TRUE(group);
    EXPECT_EQ(group->kind(), Kind::Frame);
    EXPECT_EQ(group->left(), 5400);
    EXPECT_EQ(group->top(), 100);
    EXPECT_EQ(group->height(), 900);
    EXPECT_EQ(group->width(), 4000);
    EXPECT_EQ(group->container(), frame);
    EXPECT_EQ(group->backColor(), state.defaultBackColor);

    forms::Control *third = ctl(QStringLiteral("page_1_rad_3opt2"));
    ASSERT_TRUE(third);
    EXPECT_EQ(third->kind(), Kind::OptionButton);
    EXPECT_EQ(third->container(), group);
    EXPECT_EQ(third->left(), 1000);
    EXPECT_EQ(third->top(), 600);
    EXPECT_EQ(third->height(), 300);
    EXPECT_EQ(third->width(), 3000);
    EXPECT_EQ(third->text(), QStringLiteral("Rarely"));

    // One exclusive group: choosing another option clears the first.
    static_cast<QAbstractButton *>(third->widget())->click();
    EXPECT_EQ(ctl(QStringLiteral("page_1_rad_3opt0"))->value(), 0);
    EXPECT_EQ(third->value(), 1);
}

TEST_F(Renderers, RadioGroupKeepsOptionsInsideWhenPositionsDescend)
{
    const auto radio = describe<RadioObject>(QStringLiteral(
        R"(<object type="radiobox" id="3" src="a|b" x="100|100" y="700|100" width="1000" default="0"/>)"));
    Render_RadioBox(form, state, radio, frame);
    forms::Control *group = ctl(QStringLiteral("frm_page_1_rad_3"));
    EXPECT_EQ(group->top(), 100);
    EXPECT_EQ(group->height(), 900);
    EXPECT_EQ(ctl(QStringLiteral("page_1_rad_3opt0"))->top(), 600);
    EXPECT_EQ(ctl(QStringLiteral("page_1_rad_3opt1"))->top(), 0);
}

struct CheckCase {
    const char *name;
    const char *src;
    const char *optional;
    const char *holder;
};

class CheckHolder : public Renderers, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(CheckHolder, CountsTheBoxesUnlessOptional)
{
    const CheckCase &c = GetParam();
    const auto check = describe<CheckObject>(
        QStringLiteral(R"(<object type="checkbox" id="1" src="%1" x="%2" y="%2" width="3000" optional="%3" error="Tick one"/>)")
            .arg(QLatin1String(c.src),
                 QString::fromLatin1(c.src).isEmpty() ? QStringLiteral("10") : QStringLiteral("10|10|10"),
                 QLatin1String(c.optional)));
    Render_CheckBox(form, state, check, frame);
    forms::Control *holder = ctl(QStringLiteral("page_1_chk_1_optional"));
    ASSERT_TRUE(holder);
    EXPECT_EQ(holder->text(), QLatin1String(c.holder));
    EXPECT_EQ(holder->tag(), QStringLiteral("Tick one"));
    EXPECT_FALSE(holder->isVisibleFlag());
    EXPECT_EQ(holder->container(), frame);
}

INSTANTIATE_TEST_SUITE_P(Holders, CheckHolder,
                         ::testing::Values(CheckCase{"ThreeRequired", "a|b|c", "0", "3"},
                                           CheckCase{"ThreeOptional", "a|b|c", "1", "0"},
                                           CheckCase{"OptionalIsExact", "a|b|c", " 1", "3"},
                                           CheckCase{"OneBoxWithoutCaption", "", "0", "1"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(Renderers, CheckBoxesStandAtTheirOwnPositions)
{
    const auto check = describe<CheckObject>(QStringLiteral(
        R"(<object type="checkbox" id="1" src="Action|Puzzle" x="1000|4600" y="1950|2300" width="3000" optional="0"/>)"));
    Render_CheckBox(form, state, check, frame);
    forms::Control *puzzle = ctl(QStringLiteral("page_1_chk_1opt1"));
    ASSERT_TRUE(puzzle);
    EXPECT_EQ(puzzle->kind(), Kind::CheckBox);
    EXPECT_EQ(puzzle->left(), 4600);
    EXPECT_EQ(puzzle->top(), 2300);
    EXPECT_EQ(puzzle->width(), 3000);
    EXPECT_EQ(puzzle->text(), QStringLiteral("Puzzle"));
    EXPECT_EQ(puzzle->container(), frame);
    EXPECT_FALSE(ctl(QStringLiteral("page_1_chk_1opt2")));
}

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
    const auto text = describe<TextObject>(
        QStringLiteral(R"(<object type="text" id="%1" src="typed" x="3600" y="1450" width="4200" height="330" maxlength="60" patten=" n " password="" optional=" 1 "/>)")
            .arg(QLatin1String(c.id)));
    Render_TextBox(form, state, text, frame);
    forms::Control *box = ctl(QStringLiteral("page_1_txt_") + QLatin1String(c.id));
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text(), QString::fromUtf8(c.text));
    EXPECT_EQ(box->isEnabled(), c.enabled);
}

INSTANTIATE_TEST_SUITE_P(
    Ids, TextProductName,
    ::testing::Values(TextCase{"KnownName", "1", "Ember Reach", "Ember Reach", false},
                      TextCase{"UnknownName", "1", "", "", true},
                      TextCase{"IdOneWithSuffix", "1_b", "Ember Reach", "Ember Reach", false},
                      TextCase{"OtherId", "2", "Ember Reach", "typed", true},
                      TextCase{"IdTwelve", "12", "Ember Reach", "typed", true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Renderers, TextBoxGeometryLimitsAndHolders)
{
    const auto text = describe<TextObject>(QStringLiteral(
        R"(<object type="textfield" id="4" src="" x="5400" y="4250" width="3400" height="330" maxlength="60" patten=" m " password="*" optional="0" backcolor="0000FF"/>)"));
    Render_TextBox(form, state, text, frame);
    forms::Control *box = ctl(QStringLiteral("page_1_txt_4"));
    ASSERT_TRUE(box);
    EXPECT_EQ(box->left(), 5400);
    EXPECT_EQ(box->top(), 4250);
    EXPECT_EQ(box->width(), 3400);
    EXPECT_EQ(box->height(), 330);
    EXPECT_EQ(box->maxLength(), 60);
    EXPECT_EQ(static_cast<QLineEdit *>(box->widget())->echoMode(), QLineEdit::Password);
    EXPECT_EQ(box->backColor(), QColor(255, 0, 0));
    EXPECT_EQ(box->foreColor(), state.defaultForeColor);
    EXPECT_EQ(ctl(QStringLiteral("page_1_txt_4_patten"))->text(), QStringLiteral("m"));
    EXPECT_EQ(ctl(QStringLiteral("page_1_txt_4_optional"))->text(), QStringLiteral("0"));
    EXPECT_FALSE(ctl(QStringLiteral("page_1_txt_4_optional"))->isVisibleFlag());
}

TEST_F(Renderers, LabelBreaksLinesAtGraveAccentsAndSizesToItsCaption)
{
    const auto label = describe<LabelObject>(QStringLiteral(
        R"(<object type="label" id="1" src="Welcome`friend" x="3700" y="1400"/>)"));
    Render_Label(form, state, label, frame);
    forms::Control *l = ctl(QStringLiteral("page_1_lbl_1"));
    ASSERT_TRUE(l);
    EXPECT_EQ(l->text(), QStringLiteral("Welcome\r\nfriend"));
    EXPECT_TRUE(l->autoSize());
    EXPECT_GT(l->height(), forms::pixelsToTwips(l->widget()->fontMetrics().height()));
    EXPECT_EQ(l->left(), 3700);
    EXPECT_EQ(l->foreColor(), state.defaultForeColor);
}

TEST_F(Renderers, ImageShowsThePictureOfTheLanguage)
{
    state.currentLanguage = QStringLiteral("English");
    const auto image = describe<ImageObject>(QStringLiteral(
        R"(<object type="img" id="5" src="welcome" x="600" y="1350" width="2700" height="2700"/>)"));
    EXPECT_TRUE(Render_Image(form, state, image, frame));
    forms::Control *picture = ctl(QStringLiteral("page_1_img_5"));
    ASSERT_TRUE(picture);
    EXPECT_TRUE(picture->hasPicture());
    EXPECT_EQ(picture->width(), 2700);
    EXPECT_EQ(picture->top(), 1350);

    auto missing = image;
    missing.name = QStringLiteral("page_1_img_6");
    missing.src = QStringLiteral("NO_SUCH_PICTURE");
    EXPECT_FALSE(Render_Image(form, state, missing, frame));
    EXPECT_TRUE(ctl(QStringLiteral("page_1_img_6")));
}

TEST_F(Renderers, ListHoldsItsOptionsAsCheckBoxesInside)
{
    const auto list = describe<ListObject>(QStringLiteral(
        R"(<object type="list" id="2" src="PC|Laptop|Console|Handheld|Phone|Tablet" x="5400" y="3150" wdith="3200" height="1400" optional="0"/>)"));
    Render_ListBox(form, state, list, frame);

    forms::Control *box = ctl(QStringLiteral("page_1_lst_2"));
    ASSERT_TRUE(box);
    EXPECT_EQ(box->kind(), Kind::ListBox);
    EXPECT_EQ(box->left(), 5400);
    EXPECT_EQ(box->width(), 3200);
    EXPECT_EQ(box->height(), 1400);
    EXPECT_EQ(box->container(), frame);

    forms::Control *last = ctl(QStringLiteral("page_1_lst_2opt5"));
    ASSERT_TRUE(last);
    EXPECT_EQ(last->kind(), Kind::CheckBox);
    EXPECT_EQ(last->text(), QStringLiteral("Tablet"));
    EXPECT_EQ(last->container(), box);
    EXPECT_TRUE(last->isInside(frame));
    // Six rows do not fit in 1400 twips: the content reaches the last row,
    // so the list scrolls to it.
    EXPECT_GE(box->contentWidget()->height(), last->widget()->geometry().bottom());

    // A click toggles one option, leaving the others.
    forms::Control *second = ctl(QStringLiteral("page_1_lst_2opt1"));
    static_cast<QAbstractButton *>(second->widget())->click();
    static_cast<QAbstractButton *>(last->widget())->click();
    EXPECT_EQ(second->value(), 1);
    EXPECT_EQ(last->value(), 1);
    static_cast<QAbstractButton *>(second->widget())->click();
    EXPECT_EQ(second->value(), 0);

    forms::Control *holder = ctl(QStringLiteral("page_1_lst_2_optional"));
    ASSERT_TRUE(holder);
    EXPECT_EQ(holder->text(), QStringLiteral("6"));
    EXPECT_EQ(holder->container(), frame);
}

TEST_F(Renderers, OptionalListHolderIsZero)
{
    const auto list = describe<ListObject>(QStringLiteral(
        R"(<object type="list" id="2" src="a|b" x="0" y="0" wdith="3200" height="1400" optional="1"/>)"));
    Render_ListBox(form, state, list, frame);
    EXPECT_EQ(ctl(QStringLiteral("page_1_lst_2_optional"))->text(), QStringLiteral("0"));
}
