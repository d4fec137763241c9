#include "register/submission/print_form.h"

#include "tests/register/submission/registration_fixture.h"

#include <gtest/gtest.h>

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << text.toStdString();
}

namespace {

using printing::LineStyle;

QStringList texts(const QList<printing::Line> &lines)
{
    QStringList out;
    for (const printing::Line &line : lines)
        out << line.text;
    return out;
}

QStringList entriesOf(RegistrationFixture &f)
{
    QStringList out;
    for (const PrintedEntry &e : gatherPrintedEntries(f.form(), f.state))
        out << e.question + " = " + e.answer;
    return out;
}

TEST(PrintedForm, OnlyTheNamesShown)
{
    RegistrationFixture f;
    f.personal({{"FirstName", "Ann"}, {"LastName", "Lee"}});
    const QList<printing::Line> lines =
        printedFormLines(f.state.gameName, gatherPrintedEntries(f.form(), f.state));
    EXPECT_EQ(texts(lines),
              QStringList({"Product Registration", "", "Demo Game", "", "", "1.\tYour FirstName",
                           "", "\tAnn", "", "2.\tYour LastName", "", "\tLee", ""}));
    // A question stays on the page of its answer.
    EXPECT_TRUE(lines[5].keepWithNext && lines[6].keepWithNext && !lines[7].keepWithNext);
    EXPECT_EQ(lines[0].style, LineStyle::Title);
    EXPECT_EQ(lines[5].style, LineStyle::Strong);
}

TEST(PrintedForm, Gathering)
{
    struct Case {
        const char *name;
        std::function<void(RegistrationFixture &)> arrange;
        QStringList expected;
    };
    const Case cases[] = {
        {"the birth date follows the names; no real date prints N/A",
         [](RegistrationFixture &f) {
             f.personal({{"Email", "a@b.c"}, {"LastName", "Lee"}, {"FirstName", "Ann"}});
             f.birth("1990", "2", "30");
         },
         {"Your FirstName = Ann", "Your LastName = Lee", "Date of birth = N/A",
          "Your Email = a@b.c"}},
        {"a real birth date prints as typed; without names it comes first",
         [](RegistrationFixture &f) {
             f.personal({{"City", "Lyon"}});
             f.birth("1990", "05", "17");
         },
         {"Date of birth = 1990/05/17", "Your City = Lyon"}},
        {"a hidden birth label leaves the date out",
         [](RegistrationFixture &f) {
             f.personal({});
             f.birth("1990", "5", "17", false);
         },
         {}},
        {"questions in walk order with their answers merged",
         [](RegistrationFixture &f) {
             f.personal({});
             f.label(1, "1", "Product");
             f.text(1, "1", "Ember Reach");
             f.label(1, "2", "Heard from");
             f.combo(1, "2", "A friend");
             f.label(1, "3", "How often");
             f.options(1, "3", {"Daily", "Weekly"}, 1);
             f.label(2, "1", "Kinds");
             f.checks(2, "1", {"Action", "Puzzle", "Sports"}, {0, 2});
             f.label(2, "2", "Devices");
             f.list(2, "2", {"PC", "Console"}, {1});
             f.label(3, "1", "Bought on");
             f.text(3, "1y", "2024");
             f.text(3, "1m", " ");
             f.text(3, "1d", " 3 ");
             f.label(3, "2", "Unanswered");
             f.label(3, "3", "Played since");
             f.date(3, "3", {{'d', "17"}, {'m', "5"}, {'y', "2024"}});
         },
         {"Product = Ember Reach", "Heard from = A friend", "How often = Weekly",
          "Kinds = Action, Sports", "Devices = Console", "Bought on = 2024, 3",
          "Unanswered = ", "Played since = 17, 5, 2024"}},
        {"labels that are no question, and objects of the welcome and personal pages",
         [](RegistrationFixture &f) {
             f.personal({});
             f.label(1, "1a", "Not a question");
             f.label(1, "x1", "Not a question either");
             f.label(0, "1", "Personal page text");
             f.form()
                 .create(forms::Kind::Label, "page_2_lbl_1", -1, f.ctl("frmWelcome"))
                 ->setText("Welcome text");
         },
         {}},
    };
    for (const Case &c : cases) {
        RegistrationFixture f;
        c.arrange(f);
        EXPECT_EQ(entriesOf(f), c.expected) << c.name;
    }
}

TEST(PrintedForm, LongQuestionsAndAnswersBreakAfter120Characters)
{
    const QString question = QString("abcdefghij").repeated(25);
    const QString answer = QString("0123456789").repeated(13);
    const QStringList lines = texts(printedFormLines("Game", {{question, answer}}));
    const QString numbered = "1.\t" + question;
    // The breaks start the next line at its left edge: 120, 120 and 13
    // characters; nothing is added to the continuations.
    EXPECT_EQ(lines[5],
              numbered.left(120) + "\n" + numbered.mid(120, 120) + "\n" + numbered.mid(240));
    EXPECT_EQ(lines[7], "\t" + answer.left(119) + "\n" + answer.mid(119));
}

} // namespace
