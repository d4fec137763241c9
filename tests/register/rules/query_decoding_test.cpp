#include "register/rules/query_decoding.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

namespace {

using namespace registration;

struct TextCase {
    const char *name;
    QByteArray input;
    QString expected;
};

void PrintTo(const TextCase &row, std::ostream *os)
{
    *os << row.name;
}

class UrlLayer : public ::testing::TestWithParam<TextCase> {};

TEST_P(UrlLayer, DecodesEscapesToText)
{
    EXPECT_EQ(bytesToText(percentDecode(GetParam().input)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, UrlLayer,
    ::testing::Values(
        TextCase{"plain", "Hello", QStringLiteral("Hello")},
        TextCase{"blank", "Hello%20world", QStringLiteral("Hello world")},
        TextCase{"plusIsNotBlank", "a+b", QStringLiteral("a+b")},
        TextCase{"lowerCaseHex", "%7c%2e", QStringLiteral("|.")},
        TextCase{"onlyOneLayer", "a%252Eb", QStringLiteral("a%2Eb")},
        TextCase{"windows1252Letter", "Caf%E9", QStringLiteral("Caf\u00e9")},
        TextCase{"windows1252Euro", "%80", QStringLiteral("\u20ac")},
        TextCase{"windows1252Quotes", "%93x%94", QStringLiteral("\u201cx\u201d")},
        TextCase{"windows1252Unassigned", "%81", QString(QChar(0x81))},
        TextCase{"utf8TwoBytes", "Caf%C3%A9", QStringLiteral("Caf\u00e9")},
        TextCase{"utf8ThreeBytes", "%E2%82%AC", QStringLiteral("\u20ac")},
        TextCase{"utf8FourBytes", "%F0%9F%98%80", QStringLiteral("\U0001F600")},
        TextCase{"mixedEncodings", "%E9%C3%A9", QStringLiteral("\u00e9\u00e9")},
        TextCase{"utf8Limits", "%C2%80%DF%BF%E0%A0%80%EF%BF%BF%F0%90%80%80%F4%8F%BF%BF",
                 QStringLiteral("\u0080\u07ff\u0800\uffff\U00010000\U0010FFFF")},
        TextCase{"utf8AfterWindows1252", "%E9%F0%9F%98%80%E9x",
                 QStringLiteral("\u00e9\U0001F600\u00e9x")},
        TextCase{"truncatedUtf8", "%C3", QStringLiteral("\u00c3")},
        TextCase{"overlongUtf8", "%C0%AF", QStringLiteral("\u00c0\u00af")},
        TextCase{"surrogateUtf8", "%ED%A0%80", QStringLiteral("\u00ed\u00a0\u20ac")},
        TextCase{"beyondUnicode", "%F4%90%80%80", QStringLiteral("\u00f4\u0090\u20ac\u20ac")},
        TextCase{"strayPercent", "100%", QStringLiteral("100%")},
        TextCase{"badHexDigit", "%G1%4", QStringLiteral("%G1%4")},
        TextCase{"rawHighByte", "\xe9", QStringLiteral("\u00e9")},
        TextCase{"empty", "", QString()}),
    testsupport::RowName());

TEST(ValueLayer, RestoresExactlyTheSixStructureCharacters)
{
    EXPECT_EQ(decodeValueEscapes(QStringLiteral("%2E%3F%2F%3A%3D%26")), QStringLiteral(".?/:=&"));
    EXPECT_EQ(decodeValueEscapes(QStringLiteral("%2e%3f%2f%3a%3d")), QStringLiteral(".?/:="));
    EXPECT_EQ(decodeValueEscapes(QStringLiteral("100%25 %20 %7C %2")),
              QStringLiteral("100%25 %20 %7C %2"));
    EXPECT_EQ(decodeValueEscapes(QStringLiteral("%%2E")), QStringLiteral("%."));
    EXPECT_EQ(decodeValueEscapes(QString()), QString());
}

TEST(DecodeQuery, SplitsTheStructureBeforeTheValueLayer)
{
    const QList<Field> fields = decodeQuery(
        "ans=2%60a%253Fb&Email=ann%40mail%252Ecom&State=a%2526b%253Dc&&flag&dob=1990/5/17");
    ASSERT_EQ(fields.size(), 5);
    const std::pair<QString, QString> expected[] = {
        {QStringLiteral("ans"), QStringLiteral("2`a?b")},
        {QStringLiteral("Email"), QStringLiteral("ann@mail.com")},
        {QStringLiteral("State"), QStringLiteral("a&b=c")},
        {QStringLiteral("flag"), QString()},
        {QStringLiteral("dob"), QStringLiteral("1990/5/17")}};
    for (qsizetype i = 0; i < fields.size(); ++i) {
        EXPECT_EQ(fields[i].key, expected[i].first) << i;
        EXPECT_EQ(fields[i].value, expected[i].second) << i;
    }
}

TEST(SplitAnswers, SeparatesEntriesAndIds)
{
    const QList<Answer> answers =
        splitAnswers(QStringLiteral("2`Fred's Garage|7`RPG|7`Puzzle|9`a`b|loose|3`|"
                                    "4`LWI-4471 %7C x %60 y|5%7c`%60%7C%7|6`%2560"));
    const std::pair<QString, QString> expected[] = {
        {QStringLiteral("2"), QStringLiteral("Fred's Garage")},
        {QStringLiteral("7"), QStringLiteral("RPG")},
        {QStringLiteral("7"), QStringLiteral("Puzzle")},
        {QStringLiteral("9"), QStringLiteral("a`b")},
        {QString(), QStringLiteral("loose")},
        {QStringLiteral("3"), QString()},
        {QStringLiteral("4"), QStringLiteral("LWI-4471 | x ` y")},
        {QStringLiteral("5|"), QStringLiteral("`|%7")},
        {QStringLiteral("6"), QStringLiteral("%2560")}};
    ASSERT_EQ(answers.size(), std::size(expected));
    for (qsizetype i = 0; i < answers.size(); ++i) {
        EXPECT_EQ(answers[i].id, expected[i].first) << i;
        EXPECT_EQ(answers[i].value, expected[i].second) << i;
    }
    EXPECT_TRUE(splitAnswers(QString()).isEmpty());
}

TEST(DescribeRegistration, PrintsOneLinePerAnswerAndField)
{
    const QByteArray target = "/register.asp?ans=2%60Fred%27s%20Garage%7C5%60Yes&FirstName=Ann"
                              "&Email=ann%40mail%252Ecom&dob=&pname=Demo%20Game&lang=English";
    const QStringList expected{QStringLiteral("--- registration #12"),
                               QStringLiteral("answer 2: Fred's Garage"),
                               QStringLiteral("answer 5: Yes"),
                               QStringLiteral("FirstName: Ann"),
                               QStringLiteral("Email: ann@mail.com"),
                               QStringLiteral("dob: "),
                               QStringLiteral("pname: Demo Game"),
                               QStringLiteral("lang: English"),
                               QStringLiteral("request: ") + QString::fromLatin1(target)};
    EXPECT_EQ(describeRegistration(12, target), expected);
}

TEST(DescribeRegistration, HandlesAnEmptyOrMissingQuery)
{
    EXPECT_EQ(describeRegistration(1, "/register.asp?ans="),
              (QStringList{QStringLiteral("--- registration #1"),
                           QStringLiteral("request: /register.asp?ans=")}));
    EXPECT_EQ(describeRegistration(2, "/register.asp"),
              (QStringList{QStringLiteral("--- registration #2"),
                           QStringLiteral("request: /register.asp")}));
}

// Whatever a client sends, each value stays on its own line.
TEST(DescribeRegistration, KeepsControlCharactersOnOneLine)
{
    const QStringList lines =
        describeRegistration(1, "/register.asp?ans=1%60a%0D%0Ab&City=x%09%7F%C2%85y\xff");
    EXPECT_EQ(lines.value(1), QStringLiteral("answer 1: a\\x0D\\x0Ab"));
    EXPECT_EQ(lines.value(2), QStringLiteral("City: x\\x09\\x7F\\x85y\u00ff"));
    EXPECT_EQ(lines.value(3), QStringLiteral("request: /register.asp?ans=1%60a%0D%0Ab"
                                             "&City=x%09%7F%C2%85y\\xFF"));

    // Separators a terminal breaks lines at, and the marks that reverse the
    // text after them, could forge a line of their own.
    EXPECT_EQ(describeRegistration(1, "/r?ans=1%60a%E2%80%A8--- registration #9%E2%80%A9b"
                                      "&City=%E2%80%AEnA%E2%81%A6x%E2%80%8Fy%C3%A9")
                  .mid(1, 2),
              (QStringList{QStringLiteral("answer 1: a\\u2028--- registration #9\\u2029b"),
                           QStringLiteral("City: \\u202EnA\\u2066x\\u200Fy\u00e9")}));
}

} // namespace
