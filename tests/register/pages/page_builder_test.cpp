// Building every page from the language's markup, reporting what cannot be
// built, and tearing the pages down for the next pass.
#include "register/pages/page_builder.h"

#include "page_fixture.h"
#include "register/pages/containers.h"

using forms::Kind;

namespace {

const QDate kToday(2030, 6, 15);

// A page's markup as the configuration model reads it.
model::PageDefinition page(const QString &markup)
{
    return model::describePage(markup, QStringLiteral("page"));
}

class PageBuilder : public PageFixture {
  protected:
    PageBuilder()
    {
        state.pageCount = 3;
        state.pages[0] =
            page(R"(<page><object type="label" id="1" src="About you" x="600" y="1250"/></page>)");
        state.pages[1] = page(R"(<page>
            <object type="text" id="1" src="" x="1" y="2" width="3" height="4" maxlength="0" patten="" password="" optional="1"/>
            <object type="combo" id="2" src="a|b" x="1" y="2" width="3" default="?"/>
            <object type="radiobox" id="3" src="a|b" x="1|1" y="10|400" width="3" default="0"/></page>)");
        state.pages[2] = page(R"(<page>
            <object type="checkbox" id="1" src="a|b" x="1|1" y="1|2" width="3" optional="0"/>
            <object type="list" id="2" src="a|b|c" x="1" y="2" wdith="3000" height="900" optional="1"/>
            <object type="combo" id="3" src="x|y" x="1" y="2" width="3" default="?"/></page>)");
        state.pages[3] = page(
            R"(<page><section><object type="date" id="1" src="d/m/y" text="D/M/Y" x="800" y="1850" patten="d" optional="1"/></section></page>)");
        state.welcomePage =
            page(QStringLiteral("<page>\r\n") +
                 QStringLiteral(R"(<object type="label" id="0" src="Birth date" x="3800" y="2800"/>
                              <object type="date" id="0" src="d/m/y" text="Day/Month/Year" x="3800" y="3150" patten="13" optional="0"/>)") +
                 QStringLiteral("</page>"));
    }

    int runTimeCount() const
    {
        int n = 0;
        for (const forms::Control *c : form.controls())
            n += c->isDesignTime() ? 0 : 1;
        return n;
    }
};

} // namespace

TEST_F(PageBuilder, EveryPageIsBuiltIntoItsFrameUnderItsPageNumber)
{
    testing::internal::CaptureStderr();
    LoadPageSetting(form, state, kToday);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    EXPECT_EQ(ctl(QStringLiteral("page_0_lbl_1"))->container(),
              form.control(QStringLiteral("frmPages"), 0));
    EXPECT_EQ(ctl(QStringLiteral("page_1_txt_1"))->container(),
              form.control(QStringLiteral("frmPages"), 1));
    EXPECT_EQ(ctl(QStringLiteral("page_2_lst_2opt2"))->container(),
              ctl(QStringLiteral("page_2_lst_2")));
    // An object nested deeper inside its page is found too.
    EXPECT_EQ(ctl(QStringLiteral("page_3_dat_1y"))->container(),
              form.control(QStringLiteral("frmPages"), 3));
    // The welcome page carries page number pageCount + 1.
    forms::Control *welcome = form.control(QStringLiteral("frmWelcome"));
    EXPECT_EQ(ctl(QStringLiteral("page_4_lbl_0"))->container(), welcome);
    EXPECT_EQ(ctl(QStringLiteral("page_4_dat_0_patten"))->text(), QStringLiteral("13"));
    EXPECT_EQ(ctl(QStringLiteral("page_4_dat_0y"))->item(0), QStringLiteral("2030"));

    // Frames are stretched over the window and stay hidden until shown.
    EXPECT_EQ(welcome->widget()->size(), window.size());
    EXPECT_FALSE(welcome->isVisibleFlag());
}

TEST_F(PageBuilder, AFaultyObjectIsReportedOnceAndTheRestOfThePageIsBuilt)
{
    state.currentLanguage = QStringLiteral("english");
    const QString markup = QStringLiteral(R"(<page>
        <object type="label" id="1" src="Which kinds?" x="800" y="1500"/>
        <object type="radiobox" id="2" src="a|b|c" x="1|1" y="1|2|3" width="3" default="0"/>
        <object type="label" id="3" src="Anything else?" x="800" y="3550" forecolor="XYZ"/>
        <object type="text" id="4" src="" x="800" y="3900" width="8000" height="330" maxlength="200" patten="@" password="" optional="1"/></page>)");
    // The section the pages came from, so that problems name its lines.
    ASSERT_TRUE(state.languageDoc.loadXml(QStringLiteral("<language id=\"english\" "
                                                         "country=\"else\"><page/>") +
                                          markup + QStringLiteral("</language>")));
    state.pages[2] = page(markup);
    LoadPageSetting(form, state, kToday);

    QStringList lines;
    for (const model::ConfigProblem &p : state.problems.all())
        lines.append(p.toString());
    EXPECT_EQ(
        lines,
        QStringList(
            {R"(config.xml:3:9: <object type="radiobox" id="2"> in the section "english": question page 2: "x" has 2 value(s) for 3 option(s); the object is not shown)",
             R"(config.xml:4:9: <object type="label" id="3"> in the section "english": question page 2: "forecolor" is "XYZ", not a hexadecimal colour; the control keeps its own colour)"}))
        << lines.join('\n').toStdString();
    EXPECT_FALSE(ctl(QStringLiteral("frm_page_2_rad_2")));
    EXPECT_FALSE(ctl(QStringLiteral("page_2_rad_2opt0")));
    EXPECT_TRUE(ctl(QStringLiteral("page_2_lbl_1")));
    EXPECT_TRUE(ctl(QStringLiteral("page_2_lbl_3")));
    EXPECT_TRUE(ctl(QStringLiteral("page_2_txt_4")));
    // Later pages are built as usual.
    EXPECT_TRUE(ctl(QStringLiteral("page_3_dat_1d")));
}

TEST_F(PageBuilder, TeardownRemovesEveryPageControlAndARebuildStartsEmpty)
{
    const int designCount = form.count();
    LoadPageSetting(form, state, kToday);
    ASSERT_GT(runTimeCount(), 30);
    ASSERT_EQ(form.family(QStringLiteral("page_spe_cmb_Answer")).size(), 3);
    ctl(QStringLiteral("page_1_txt_1"))->setText(QStringLiteral("typed before"));
    ctl(QStringLiteral("page_2_chk_1opt1"))->setValue(1);

    // Region controls hidden by an earlier screen come back.
    ctl(QStringLiteral("cmbCountry"))->setVisible(false);
    RemoveAllObject(form);

    EXPECT_EQ(runTimeCount(), 0);
    EXPECT_EQ(form.count(), designCount);
    const QList<forms::Control *> family = form.family(QStringLiteral("page_spe_cmb_Answer"));
    ASSERT_EQ(family.size(), 1);
    EXPECT_EQ(family[0]->index(), 0);
    for (const char *name :
         {"lblLanguage", "cmbCountry", "cmbLanguage", "imgBack", "cmdNext", "cmdCancel"})
        EXPECT_TRUE(ctl(QLatin1String(name))->isVisibleFlag()) << name;

    LoadPageSetting(form, state, kToday);
    EXPECT_EQ(ctl(QStringLiteral("page_1_txt_1"))->text(), QString());
    EXPECT_EQ(ctl(QStringLiteral("page_2_chk_1opt1"))->value(), 0);
    // The family grows again from element 1.
    const QList<forms::Control *> rebuilt = form.family(QStringLiteral("page_spe_cmb_Answer"));
    ASSERT_EQ(rebuilt.size(), 3);
    EXPECT_EQ(rebuilt[1]->index(), 1);
    EXPECT_EQ(rebuilt[1]->tag(), QStringLiteral("page_1_cbo_2"));
}

// The name index of the forms layer, through thousands of creations and the
// removal of frames with what they hold.
TEST_F(PageBuilder, LookupsStayExactThroughRemovals)
{
    QList<forms::Control *> made;
    for (int i = 0; i < 300; ++i)
        made << form.create(Kind::TextBox, QStringLiteral("box%1").arg(i), -1, frame);
    forms::Control *group = form.create(Kind::Frame, QStringLiteral("frm_group"), -1, frame);
    form.create(Kind::OptionButton, QStringLiteral("groupOpt0"), -1, group);
    for (int i = 0; i < 300; i += 2)
        EXPECT_TRUE(form.remove(made[i]));
    EXPECT_TRUE(form.remove(group));

    EXPECT_EQ(form.control(QStringLiteral("box0")), nullptr);
    EXPECT_EQ(form.control(QStringLiteral("GROUPOPT0")), nullptr);
    EXPECT_EQ(form.control(QStringLiteral("BOX299")), made[299]);
    EXPECT_EQ(runTimeCount(), 150);
    forms::Control *again = form.create(Kind::TextBox, QStringLiteral("Box0"));
    EXPECT_EQ(form.control(QStringLiteral("box0")), again);
    EXPECT_EQ(form.controls().last(), again);
}

// What a screen reader is told of each answer of a built page: its question
// is the page's label with the same id, wherever that label stands, and an id
// used twice names the controls the two objects share once.
TEST_F(PageBuilder, EveryAnswerIsToldTheLabelOfItsId)
{
    state.currentLanguage = QStringLiteral("English");
    state.pageCount = 1;
    state.pages[0] = {};
    state.pages[1] = page(R"(<page>
        <object type="text" id="1" src="" x="1" y="2" width="3" height="4" maxlength="0" patten="" password="" optional="1"/>
        <object type="date" id="2" src="m-d-q" text="M-D-Q" x="1" y="500" patten="" optional="1"/>
        <object type="combo" id="3" src="a|b" x="1" y="900" width="3" default="?"/>
        <object type="list" id="4" src="a|b" x="1" y="1300" wdith="3000" height="900" optional="1"/>
        <object type="checkbox" id="5" src="a|b" x="1|1" y="2300|2600" width="3" optional="1"/>
        <object type="radiobox" id="6" src="a|b" x="1|1" y="2900|3200" width="3" default="0"/>
        <object type="checkbox" id="5" src="c|d|e" x="2000|2000|2000" y="2300|2600|2900" width="3" optional="1"/>
        <object type="text" id="7" src="" x="1" y="3600" width="3" height="4" maxlength="0" patten="" password="" optional="1"/>
        <object type="label" id="1" src="Name" x="4000" y="2"/>
        <object type="label" id="2" src="Born" x="4000" y="500"/>
        <object type="label" id="3" src="Heard" x="4000" y="900"/>
        <object type="label" id="4" src="Plays on" x="4000" y="1300"/>
        <object type="label" id="5" src="Likes" x="4000" y="2300"/>
        <object type="label" id="6" src="Online" x="4000" y="2900"/></page>)");
    state.welcomePage = {};
    LoadPageSetting(form, state, kToday);

    const struct {
        const char *control;
        int index; // an element of a family, or -1
        const char *name;
        const char *description;
    } rows[] = {
        {"page_1_txt_1", -1, "Name", ""},
        {"page_1_dat_2m", -1, "Born: Month", ""},
        {"page_1_dat_2d", -1, "Born: Day", ""},
        {"page_1_dat_2q", -1, "Born: Q", ""}, // no date part: the text it starts with
        {"page_spe_cmb_Answer", 1, "Heard", ""},
        {"page_1_lst_4", -1, "Plays on", ""},
        {"page_1_lst_4opt1", -1, "", ""},
        {"page_1_chk_5opt0", -1, "", "Likes"},
        {"page_1_chk_5opt2", -1, "", "Likes"},
        {"frm_page_1_rad_6", -1, "", "Online"},
        {"page_1_rad_6opt1", -1, "", "Online"},
        {"page_1_txt_7", -1, "", ""}, // no label of its id
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.control);
        const forms::Control *c = form.control(QLatin1String(row.control), row.index);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->widget()->accessibleName(), QLatin1String(row.name));
        EXPECT_EQ(c->widget()->accessibleDescription(), QLatin1String(row.description));
    }
}
