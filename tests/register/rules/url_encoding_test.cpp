#include "register/rules/url_encoding.h"

#include <gtest/gtest.h>

namespace {

struct EncodingCase {
    QString input;
    QString expected;
};

TEST(EncodeValue, EscapesOnlyTheQueryStructure)
{
    const EncodingCase cases[] = {
        {"", ""},
        {"Hello world", "Hello world"},
        {"a.b", "a%2Eb"},
        {".?/:=&", "%2E%3F%2F%3A%3D%26"},
        {"100% + #|`", "100% + #|`"},
        {QString::fromUtf8("Jos\u00e9 \u20ac \u4e2d"),
         QString::fromUtf8("Jos\u00e9 \u20ac \u4e2d")},
        {"1990/5/17", "1990%2F5%2F17"},
    };
    for (const EncodingCase &c : cases)
        EXPECT_EQ(encodeValue(c.input), c.expected) << c.input.toStdString();
}

TEST(EncodeUrl, KeepsAsciiLettersDigitsAndStructureAndEscapesTheRest)
{
    const EncodingCase cases[] = {
        {"", ""},
        {"a%2Eb", "a%252Eb"},
        {"Hello world", "Hello%20world"},
        {"?ans=abc&first=Z9/x:y.z", "?ans=abc&first=Z9/x:y.z"},
        {"%|`-_", "%25%7C%60%2D%5F"},
        {"\t\n", "%09%0A"},
        {"~\x7f", "%7E%7F"},
        // Western code page: one byte each.
        {QString::fromUtf8("\u00e9"), "%E9"},
        {QString::fromUtf8("\u00a0\u00ff"), "%A0%FF"},
        {QString::fromUtf8("\u20ac\u201a\u0192\u2122\u0178"), "%80%82%83%99%9F"},
        {QString::fromUtf8("\u0160\u017d\u0161\u017e"), "%8A%8E%9A%9E"},
        // Not in Windows-1252: the bytes of UTF-8.
        {QString::fromUtf8("\u4e2d"), "%E4%B8%AD"},
        {QString::fromUtf8("\u0141"), "%C5%81"},
        {QString::fromUtf8("\U0001F600"), "%F0%9F%98%80"},
        // The undefined positions of Windows-1252 and the C1 controls.
        {QString(QChar(0x81)), "%C2%81"},
        {QString(QChar(0x9D)), "%C2%9D"},
        {QString(QChar(0x80)), "%C2%80"},
        // Half a surrogate pair is no character.
        {QString(QChar(0xD800)), "%EF%BF%BD"},
    };
    for (const EncodingCase &c : cases)
        EXPECT_EQ(encodeUrl(c.input), c.expected) << c.input.toStdString();
}

TEST(Encoders, AValueCharacterReachesTheServerEscapedTwice)
{
    EXPECT_EQ(encodeUrl(encodeValue(u"Tom & Jerry")), "Tom%20%2526%20Jerry");
    EXPECT_EQ(encodeUrl(QStringLiteral("?ans=") + encodeValue(u"a.b")), "?ans=a%252Eb");
}

} // namespace
