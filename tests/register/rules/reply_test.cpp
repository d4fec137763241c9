#include "register/rules/reply.h"

#include <gtest/gtest.h>

namespace {

TEST(SubmitResultFromReply, ReadsTheServerReply)
{
    const struct {
        const char *reply;
        int expected;
    } cases[] = {
        {"", 2},
        {"ok`|`thanks", 0},
        {"ok`|`", 0},
        {"ok", 1},
        {"error`|`no such game", 2},
        {"OK`|`x", 2},
        {" ok`|`x", 2},
        {"ok `|`x", 2},
        {"ok`|`a`|`b", 1},
        {"`|``|`", 1},
        {"`|`", 2},
        {"ok|x", 1},
        {"<html>500</html>", 1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(submitResultFromReply(QString::fromUtf8(c.reply)), c.expected) << c.reply;
}

TEST(SubmitResultFromReply, SeparatorIsGraveBarGrave)
{
    EXPECT_EQ(replySeparator, QStringView(u"`|`"));
}

} // namespace
