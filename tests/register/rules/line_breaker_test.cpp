#include "register/rules/line_breaker.h"

#include <gtest/gtest.h>

namespace {

QString run(char c, int n)
{
    return QString(n, QChar::fromLatin1(c));
}

TEST(BreakLines, BreaksAfterEveryFullRunOf120)
{
    const struct {
        const char *name;
        QString input;
        QString expected;
    } cases[] = {
        {"empty", {}, {}},
        {"short", "abc", "abc"},
        {"exactly120", run('a', 120), run('a', 120)},
        {"121", run('a', 120) + "b", run('a', 120) + "\nb"},
        {"240NoTrailingFeed", run('a', 120) + run('b', 120), run('a', 120) + "\n" + run('b', 120)},
        {"250", run('a', 120) + run('b', 120) + run('c', 10),
         run('a', 120) + "\n" + run('b', 120) + "\n" + run('c', 10)},
        // Existing line breaks are characters like any other.
        {"existingBreaksCount", "\t\r\n" + run('a', 118), "\t\r\n" + run('a', 117) + "\na"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(breakLines(c.input), c.expected) << c.name;
}

TEST(BreakLines, NeverCutsACharacterInTwo)
{
    const QString face = QString::fromUtf8("\U0001F600");
    const QString input = run('a', 119) + face + face;
    EXPECT_EQ(breakLines(input), run('a', 119) + face + "\n" + face);
}

} // namespace
