#include "register/model/config_problems.h"

#include <gtest/gtest.h>

namespace {

struct LineCase {
    const char *name;
    model::ConfigProblem problem;
    const char *expected;
};

TEST(ConfigProblemLine, ReadsLikeACompilerMessage)
{
    const LineCase cases[] = {
        {"placed, in a section",
         {12, 5, R"(<next src="NEXTT">)",
          "the picture \"NEXTT\" is not among the pictures of english", "the button shows its name",
          "english"},
         R"(config.xml:12:5: <next src="NEXTT"> in the section "english": the picture "NEXTT" is not among the pictures of english; the button shows its name)"},
        {"root element, no section",
         {3, 1, "<use_default>", "is missing", "nothing is preselected", {}},
         "config.xml:3:1: <use_default>: is missing; nothing is preselected"},
        {"line without column",
         {7, 0, "<age>", "has no <else>", {}, {}},
         "config.xml:7: <age>: has no <else>"},
        // A problem without a place (the file itself) must not point at line 0.
        {"no place at all",
         {0, 0, {}, "config.xml is missing", "the built-in values apply", {}},
         "config.xml: config.xml is missing; the built-in values apply"},
    };
    for (const LineCase &c : cases)
        EXPECT_EQ(c.problem.toString(), QString::fromUtf8(c.expected)) << c.name;
}

TEST(ConfigProblemLog, DropsRepeatsAndFiltersBySection)
{
    model::ConfigProblems log;
    log.setFileName("game/config.xml");
    const model::ConfigProblem a{4, 3, "<login>", "is missing", "the field is hidden", "french"};
    model::ConfigProblem b = a;
    b.section = "german";
    EXPECT_TRUE(log.report(a));
    EXPECT_FALSE(log.report(a)); // a reader that runs again adds nothing
    EXPECT_TRUE(log.report(b));  // the same mistake in another section is its own problem
    ASSERT_EQ(log.all().size(), 2);
    ASSERT_EQ(log.forSection("german").size(), 1);
    EXPECT_EQ(
        log.forSection("german").front().toString(log.fileName()),
        R"(game/config.xml:4:3: <login> in the section "german": is missing; the field is hidden)");
    log.clear();
    EXPECT_TRUE(log.all().isEmpty());
    EXPECT_TRUE(log.report(a)); // a cleared log reports again
}

// A check that waits for the window still takes its place in the log: it
// runs before any later problem and before the log is read, once.
TEST(ConfigProblemLog, AWaitingCheckKeepsItsPlace)
{
    model::ConfigProblems log;
    auto problem = [](int line, const char *element) {
        return model::ConfigProblem{line, 5, element, "lies outside the window", {}, "english"};
    };
    int runs = 0;
    log.report(problem(4, "<login>"));
    log.addWaitingCheck([&] {
        ++runs;
        log.report(problem(50, "<text>"));
    });
    log.report(problem(90, "<object>"));
    log.addWaitingCheck([&] {
        ++runs;
        log.report(problem(60, "<thanksfax>"));
    });
    QStringList order;
    for (const model::ConfigProblem &p : log.forSection("english"))
        order << p.element;
    EXPECT_EQ(order, QStringList({"<login>", "<text>", "<object>", "<thanksfax>"}));
    log.runWaitingChecks();
    EXPECT_EQ(log.all().size(), 4);
    EXPECT_EQ(runs, 2);
}

} // namespace
