// The names of the controls the pages build: every name the builders compose
// is taken apart by the readers into the parts it was made of.
#include "register/core/control_names.h"

#include <gtest/gtest.h>

namespace {

struct ObjectRow {
    int page;
    QLatin1String code;
    const char *id;
    const char *name;
};

TEST(ControlNames, ObjectNamesRoundTrip)
{
    const ObjectRow rows[] = {
        {1, names::code::text, "2", "page_1_txt_2"},   {0, names::code::label, "1", "page_0_lbl_1"},
        {21, names::code::date, "0", "page_21_dat_0"}, {3, names::code::radio, "x", "page_3_rad_x"},
        {2, names::code::check, "", "page_2_chk_"},
    };
    for (const ObjectRow &row : rows) {
        SCOPED_TRACE(row.name);
        const QString name = names::objectName(row.page, row.code, QLatin1String(row.id));
        EXPECT_EQ(name, QLatin1String(row.name));
        const std::optional<names::ObjectName> parts = names::parseObjectName(name);
        ASSERT_TRUE(parts);
        EXPECT_EQ(parts->page, QString::number(row.page));
        EXPECT_EQ(parts->code, row.code);
        EXPECT_EQ(parts->id, QLatin1String(row.id));
    }
}

struct HolderRow {
    const char *field;
    names::Holder holder;
    const char *name;
    bool ofObject;
};

TEST(ControlNames, HolderNamesRoundTrip)
{
    const HolderRow rows[] = {
        {"txtFirstname", names::Holder::Pattern, "txtFirstname_patten", false},
        {"cmbCity", names::Holder::Optional, "cmbCity_optional", false},
        {"page_1_txt_2", names::Holder::Pattern, "page_1_txt_2_patten", true},
        {"page_4_dat_0", names::Holder::Optional, "page_4_dat_0_optional", true},
    };
    for (const HolderRow &row : rows) {
        SCOPED_TRACE(row.name);
        const QString name = names::holderName(QLatin1String(row.field), row.holder);
        EXPECT_EQ(name, QLatin1String(row.name));
        const std::optional<names::HolderName> parts = names::parseHolderName(name);
        ASSERT_TRUE(parts);
        EXPECT_EQ(parts->field, QLatin1String(row.field));
        EXPECT_EQ(parts->holder, row.holder);
        EXPECT_EQ(parts->object.has_value(), row.ofObject);
    }
}

TEST(ControlNames, OtherNamesAreNeitherObjectsNorHolders)
{
    for (const char *name :
         {"frmPages", "txtFirstName", "page_spe_cmb", "page_1_txt_2_3", "frm_page_1_rad_3",
          "page_1_txt_a_b_patten", "txtZip_other", "_patten", "page_1_txt_2_opt0"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(names::parseObjectName(QLatin1String(name)));
        EXPECT_FALSE(names::parseHolderName(QLatin1String(name)));
    }
}

TEST(ControlNames, OptionsDatesAndGroupsNameTheirObject)
{
    const QString object = names::objectName(2, names::code::check, QStringLiteral("3"));
    EXPECT_EQ(names::optionName(object, 1), QLatin1String("page_2_chk_3opt1"));
    EXPECT_EQ(names::idBeforeOption(QStringLiteral("3opt1")), QLatin1String("3"));
    EXPECT_EQ(names::idBeforeOption(QStringLiteral("3")), QLatin1String("3"));
    // The id field stops at a "_" the id holds, as the product-name box is found.
    EXPECT_EQ(names::objectIdField(QStringLiteral("page_2_txt_1_b")), QLatin1String("1"));
    EXPECT_EQ(names::objectIdField(names::frmPages), QString());
    EXPECT_EQ(names::datePartName(object, u"y"), QLatin1String("page_2_chk_3y"));
    EXPECT_EQ(names::dateSeparatorName(object, u"m"), QLatin1String("page_2_chk_3lblm"));

    const QString radio = names::objectName(1, names::code::radio, QStringLiteral("3"));
    EXPECT_TRUE(names::isGroupFrame(names::groupFrameName(radio)));
    EXPECT_FALSE(names::isGroupFrame(names::frmPages));
    EXPECT_FALSE(names::isGroupFrame(QStringLiteral("frmError")));
}

} // namespace
