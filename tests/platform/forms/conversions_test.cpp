#include "platform/forms/colours.h"
#include "platform/forms/conversions.h"

#include <gtest/gtest.h>

namespace {

struct NumberCase {
    const char *text;
    std::optional<int> expected;
};

TEST(Conversions, TrimmingRemovesBlanksOnly)
{
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("  French "), QStringLiteral("French")},
        {QStringLiteral("\tFrench\t"), QStringLiteral("\tFrench\t")},
        {QStringLiteral(" \nFrench\r\n "), QStringLiteral("\nFrench\r\n")},
        {QStringLiteral(" a b "), QStringLiteral("a b")},
        {QStringLiteral("\u00A0x\u00A0"), QStringLiteral("\u00A0x\u00A0")},
        {QStringLiteral("   "), QString()},
        {QString(), QString()},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(forms::trimBlanks(text), expected) << text.toStdString();
}

TEST(Conversions, NumbersRoundHalfToEvenInside16Bits)
{
    const NumberCase cases[] = {
        {"120", 120},
        {"120.5", 120},
        {"121.5", 122},
        {"-0.5", 0},
        {"-1.5", -2},
        {" 42 ", 42},
        {"32767", 32767},
        {"-32768", -32768},
        {"32767.4", 32767},
        {"32767.5", std::nullopt},
        {"40000", std::nullopt},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"  ", std::nullopt},
        {"1e3", std::nullopt},
        {"nan", std::nullopt},
        {"12abc", std::nullopt},
        {"1.2.3", std::nullopt},
        {".5", 0},
    };
    for (const NumberCase &c : cases) {
        const auto v = forms::toInt16(QString::fromLatin1(c.text));
        if (c.expected) {
            ASSERT_TRUE(v.has_value()) << c.text;
            EXPECT_EQ(*v, *c.expected) << c.text;
        } else {
            EXPECT_FALSE(v.has_value()) << c.text;
        }
    }
}

TEST(Conversions, ColoursAreBlueGreenRed)
{
    EXPECT_EQ(forms::colourFromHex(u"FF0000").value(), QColor(0, 0, 255));
    EXPECT_EQ(forms::colourFromHex(u"0000FF").value(), QColor(255, 0, 0));
    EXPECT_EQ(forms::colourFromHex(u"00ff00").value(), QColor(0, 255, 0));
    EXPECT_EQ(forms::colourFromHex(u"4A2D1F").value(), QColor(0x1F, 0x2D, 0x4A));
    EXPECT_EQ(forms::colourToBgr(QColor(0x1F, 0x2D, 0x4A)), 0x4A2D1Fu);
    EXPECT_EQ(forms::colourFromHex(u"F").value(), QColor(15, 0, 0));
    EXPECT_EQ(forms::colourFromHex(u"00FF0000").value(), QColor(0, 0, 255));
    EXPECT_EQ(forms::colourFromHex(u"000000FF").value(), QColor(255, 0, 0));
    for (const char16_t *bad :
         {u"", u"GG0000", u"#FF0000", u"1234567", u"12 34", u"01000000", u"000000000"})
        EXPECT_FALSE(forms::colourFromHex(bad).has_value());
}

} // namespace
