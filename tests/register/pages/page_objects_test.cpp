// Reading page markup into typed descriptions: names, types, and every kind
// of configuration fault (reported once, with page, id and type; the object
// skipped only when nothing sensible can be built).
#include "register/pages/page_objects.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

using namespace pages;

namespace {

QString page(const QString &objects)
{
    return QStringLiteral("<page>") + objects + QStringLiteral("</page>");
}

QString nameOf(const PageObject &o)
{
    return std::visit([](const auto &x) { return x.name; }, o);
}

} // namespace

TEST(DescribePage, NamesCarryPageNumberCodeAndId)
{
    const PageDefinition d = describePage(page(QStringLiteral(R"(
            <object type="date" id="0" src="d/m/y" text="D/M/Y" x="1" y="2" patten="13" optional="0"/>
            <object type="img" id="5" src="WELCOME" x="1" y="2" width="3" height="4"/>
            <object type=" Label " id="1" src="Hi" x="1" y="2"/>
            <object type="COMBO" id="2" src="a|b" x="1" y="2" width="3" default="a"/>
            <object type="radiobox" id="3" src="a|b" x="1|1" y="2|3" width="3" default="0"/>
            <object type="checkbox" id="4" src="a" x="1" y="2" width="3" optional="0"/>
            <object type="text" id="6" src="" x="1" y="2" width="3" height="4" maxlength="0" patten="" password="" optional="1"/>
            <object type="textfield" id="7" src="" x="1" y="2" width="3" height="4" maxlength="0" patten="" password="" optional="1"/>
            <object type="list" id="8" src="a|b" x="1" y="2" wdith="3" height="4" optional="1"/>
            <object type="button" id="9" src="" x="1" y="2"/>)")),
                                          4, QStringLiteral("welcome page"));

    QStringList names;
    for (const PageObject &o : d.objects)
        names << nameOf(o);
    EXPECT_EQ(names, (QStringList{"page_4_dat_0", "page_4_img_5", "page_4_lbl_1", "page_4_cbo_2",
                                  "page_4_rad_3", "page_4_chk_4", "page_4_txt_6", "page_4_txt_7",
                                  "page_4_lst_8"}));
    // "text" and "textfield" describe the same single-line field.
    EXPECT_TRUE(std::holds_alternative<TextObject>(d.objects[6]));
    EXPECT_TRUE(std::holds_alternative<TextObject>(d.objects[7]));
    // The unknown type is the one problem.
    ASSERT_EQ(d.problems.size(), 1);
    EXPECT_EQ(d.problems[0].toString(),
              QStringLiteral("welcome page, object 10 (type \"button\", id \"9\"): "
                             "the type is not known; the object is skipped"));
}

TEST(DescribePage, TypesAndHolderTextsAreTrimmedOfBlanksOnly)
{
    // "&#9;" is a tab that the attribute keeps; only blanks are trimmed.
    const PageDefinition d = describePage(page(QStringLiteral(R"(
            <object type="&#9;label" id="1" src="Hi" x="1" y="2"/>
            <object type=" text " id="2" src="" x="1" y="2" width="3" height="4" maxlength="0"
                    patten=" &#9;5 " password="" optional=" 1&#9;"/>)")),
                                          1, QStringLiteral("question page 1"));
    ASSERT_EQ(d.objects.size(), 1);
    const auto *text = std::get_if<TextObject>(&d.objects[0]);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->name, "page_1_txt_2");
    EXPECT_EQ(text->patten, "\t5");
    EXPECT_EQ(text->optional, "1\t");
}

struct FaultCase {
    const char *name;
    const char *object;
    bool built;         // the object is still built
    const char *report; // what the one problem line says, after the object's place
};

class ConfigurationFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(ConfigurationFault, IsReportedOnce)
{
    const FaultCase &c = GetParam();
    const QString markup =
        page(QStringLiteral(R"(<object type="label" id="before" src="a" x="1" y="2"/>)") +
             QString::fromUtf8(c.object) +
             QStringLiteral(R"(<object type="label" id="after" src="b" x="1" y="2"/>)"));
    const PageDefinition d = describePage(markup, 3, QStringLiteral("question page 3"));

    ASSERT_EQ(d.problems.size(), 1);
    const QString problem = d.problems[0].toString();
    EXPECT_EQ(d.problems[0].object, 1); // placed at the object's own element
    EXPECT_TRUE(problem.startsWith(QStringLiteral("question page 3, object 2 (type \"")))
        << problem.toStdString();
    EXPECT_TRUE(problem.contains(QString::fromUtf8(c.report))) << problem.toStdString();
    EXPECT_EQ(d.objects.size(), c.built ? 3 : 2);
    EXPECT_EQ(nameOf(d.objects.first()), QStringLiteral("page_3_lbl_before"));
    EXPECT_EQ(nameOf(d.objects.last()), QStringLiteral("page_3_lbl_after"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConfigurationFault,
    ::testing::Values(
        FaultCase{"MissingRequiredAttribute", R"(<object type="label" id="1" src="a" y="2"/>)",
                  false, "id \"1\"): missing required attribute(s) \"x\"; the object is not shown"},
        FaultCase{"MissingId", R"(<object type="label" src="a" x="1" y="2"/>)", false,
                  "id \"(none)\"): missing required attribute(s) \"id\""},
        FaultCase{"NumberThatDoesNotConvert",
                  R"(<object type="label" id="1" src="a" x="abc" y="2"/>)", false,
                  "\"x\" is \"abc\", not a number in the 16-bit range"},
        FaultCase{"NumberBeyond16Bits",
                  R"(<object type="img" id="1" src="a" x="1" y="2" width="40000" height="1"/>)",
                  false, "\"width\" is \"40000\", not a size"},
        FaultCase{"ColourNotHexadecimal",
                  R"(<object type="label" id="1" src="a" x="1" y="2" forecolor="GG0000"/>)", true,
                  "\"forecolor\" is \"GG0000\", not a hexadecimal colour; the control keeps its "
                  "own colour"},
        FaultCase{
            "DateFormatWithoutThreeParts",
            R"(<object type="date" id="0" src="d/m" text="D/M/Y" x="1" y="2" patten="" optional="1"/>)",
            false, "the date format \"d/m\" does not have three parts"},
        FaultCase{
            "DateTextsWithoutThreeParts",
            R"(<object type="date" id="0" src="d/m/y" text="Day/Month" x="1" y="2" patten="" optional="1"/>)",
            false, "\"text\" is \"Day/Month\", not three texts separated by \"/\""},
        FaultCase{
            "FewerXThanCaptions",
            R"(<object type="radiobox" id="3" src="a|b|c" x="1|2" y="1|2|3" width="9" default="0"/>)",
            false, "\"x\" has 2 value(s) for 3 option(s)"},
        FaultCase{
            "RadioDefaultNotWhole",
            R"(<object type="radiobox" id="3" src="a|b" x="1|1" y="1|2" width="9" default="1.5"/>)",
            true, "\"default\" is \"1.5\", not a whole number; no option is selected"},
        FaultCase{"UnknownType", R"(<object type="button" id="1"/>)", false,
                  "the type is not known"}),
    testsupport::RowName());
