// The names of the controls the pages build. The names are observable (tests,
// register-config's output, screen readers), so each composed form is pinned.
#include "register/core/control_names.h"

#include <gtest/gtest.h>

namespace {

struct ObjectRow {
    int page;
    QLatin1String code;
    const char *id;
    const char *name;
};

TEST(ControlNames, ObjectNames)
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
    }
}

struct HolderRow {
    const char *field;
    names::Holder holder;
    const char *name;
};

TEST(ControlNames, HolderNames)
{
    const HolderRow rows[] = {
        {"txtFirstname", names::Holder::Pattern, "txtFirstname_patten"},
        {"cmbCity", names::Holder::Optional, "cmbCity_optional"},
        {"page_1_txt_2", names::Holder::Pattern, "page_1_txt_2_patten"},
        {"page_4_dat_0", names::Holder::Optional, "page_4_dat_0_optional"},
    };
    for (const HolderRow &row : rows) {
        SCOPED_TRACE(row.name);
        const QString name = names::holderName(QLatin1String(row.field), row.holder);
        EXPECT_EQ(name, QLatin1String(row.name));
    }
}

TEST(ControlNames, OptionsDatesAndGroupsNameTheirObject)
{
    const QString object = names::objectName(2, names::code::check, QStringLiteral("3"));
    EXPECT_EQ(names::optionName(object, 1), QLatin1String("page_2_chk_3opt1"));
    EXPECT_EQ(names::idBeforeOption(QStringLiteral("3opt1")), QLatin1String("3"));
    EXPECT_EQ(names::idBeforeOption(QStringLiteral("3")), QLatin1String("3"));
    EXPECT_EQ(names::datePartName(object, u"y"), QLatin1String("page_2_chk_3y"));
    EXPECT_EQ(names::dateSeparatorName(object, u"m"), QLatin1String("page_2_chk_3lblm"));

    const QString radio = names::objectName(1, names::code::radio, QStringLiteral("3"));
    EXPECT_EQ(names::groupFrameName(radio), QLatin1String("frm_page_1_rad_3"));
}

} // namespace
