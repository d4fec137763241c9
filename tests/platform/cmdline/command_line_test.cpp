#include "platform/cmdline/command_line.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
    const char *name;
    QString text;
    int maxArgs;
    QStringList expected; // entry 0 included
};

void PrintTo(const SplitCase &c, std::ostream *os)
{
    *os << c.name;
}

class CommandLine : public ::testing::TestWithParam<SplitCase> {};

TEST_P(CommandLine, Splits)
{
    const SplitCase &c = GetParam();
    EXPECT_EQ(GetCommandLine(c.text, c.maxArgs), c.expected);
}

const QString reminderText =
    QStringLiteral("/2024-03-05 14:05:00 /game=Deep Sky /language=French /country=Canada "
                   "/url=http://example.test/a/register.asp");

INSTANTIATE_TEST_SUITE_P(
    Table, CommandLine,
    ::testing::Values(
        SplitCase{"empty", {}, 10, {QString()}},
        SplitCase{"fourSettings",
                  "/default=1 /game=Foo /language=french /country=Canada",
                  5,
                  {"", "default=1 ", "game=Foo ", "language=french ", "country=Canada"}},
        SplitCase{"urlKeepsItsSlashes",
                  "/game=X /url=http://host.test/nr/cd_register/register.asp",
                  10,
                  {"", "game=X ", "url=http://host.test/nr/cd_register/register.asp"}},
        SplitCase{"sixthArgumentIsNotRead",
                  "/a=1 /b=2 /c=3 /d=4 /e=5 /game=X",
                  5,
                  {"", "a=1 ", "b=2 ", "c=3 ", "d=4 ", "e=5 "}},
        SplitCase{"defaultMaximumIsTen",
                  "/1 /2 /3 /4 /5 /6 /7 /8 /9 /10 /11",
                  10,
                  {"", "1 ", "2 ", "3 ", "4 ", "5 ", "6 ", "7 ", "8 ", "9 ", "10 "}},
        SplitCase{"firstCharacterIsDroppedWhateverItIs", "abc /game=X", 10, {"", "bc ", "game=X"}},
        SplitCase{"valueWithBlanks",
                  "/game=Deep Sky /language=French",
                  10,
                  {"", "game=Deep Sky ", "language=French"}},
        SplitCase{"slashAfterTabDoesNotOpen", "/game=a\t/b", 10, {"", "game=a\t/b"}},
        SplitCase{"doubleBlanksAreKept",
                  "/default=1 /game=X  /language=Y",
                  10,
                  {"", "default=1 ", "game=X  ", "language=Y"}},
        SplitCase{"slashAfterBlankOpensAnEmptyArgument", "/a / /b", 10, {"", "a ", " ", "b"}},
        SplitCase{"onlyASlash", "/", 10, {"", ""}},
        SplitCase{"leadingBlankOpensArgumentOne", " /game=X", 10, {"", "", "game=X"}},
        SplitCase{"zeroMaximumReadsNothing", "/game=X", 0, {QString()}},
        SplitCase{"reminderTextAsScheduleSeesIt",
                  reminderText,
                  5,
                  {"", "2024-03-05 14:05:00 ", "game=Deep Sky ", "language=French ",
                   "country=Canada ", "url=http://example.test/a/register.asp"}}),
    testsupport::RowName());

TEST(RawArgumentText, JoinsTheArgumentsAfterTheProgramNameWithSingleBlanks)
{
    EXPECT_EQ(rawArgumentText({"register"}), QString());
    EXPECT_EQ(rawArgumentText({}), QString());
    EXPECT_EQ(rawArgumentText({"register", "/default=1", "/game=X ", "/url=u"}),
              "/default=1 /game=X  /url=u");
    EXPECT_EQ(rawArgumentText({"schedule", "", "a"}), " a");
}

} // namespace
