#include "register/submission/request_url.h"

#include "tests/register/submission/registration_fixture.h"

#include <gtest/gtest.h>

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << text.toStdString();
}

namespace {

// The personal piece of a registration with only the names shown.
const QString names = QStringLiteral("&FirstName=Ann&LastName=Lee");
const QString tail = QStringLiteral("&pname=Demo%20Game&lang=English");

TEST(RequestUrl, WorkedExample)
{
    RegistrationFixture f;
    f.text(1, "2", "Fred's Garage");
    f.options(1, "5", {"No", "Yes"}, 1);
    f.checks(1, "7", {"RPG", "Racing"}, {0});
    f.personal({{"FirstName", "Ann"}, {"LastName", "Lee"}, {"Email", "ann@example.com"}});
    f.birth("1990", "5", "17");

    EXPECT_EQ(buildRequestUrl(f.form(), f.state),
              "U?ans=2%60Fred%27s%20Garage%7C5%60Yes%7C7%60RPG"
              "&FirstName=Ann&LastName=Lee&Email=ann%40example%252Ecom"
              "&dob=1990/5/17&pname=Demo%20Game&lang=English");
}

TEST(RequestUrl, PersonalPieceFollowsLabelVisibility)
{
    struct Case {
        const char *name;
        std::function<void(RegistrationFixture &)> arrange;
        QString expected;
    };
    const Case cases[] = {
        {"no question answers: the answer piece is bare",
         [](RegistrationFixture &f) {
             f.personal({{"FirstName", "Ann"}, {"LastName", "Lee"}});
         },
         "U?ans=" + names + tail},
        {"a hidden label drops key and value; a shown empty field keeps its key",
         [](RegistrationFixture &f) {
             f.personal({{"FirstName", "Ann"}, {"Zip", ""}, {"Login", "ann_1"}});
         },
         "U?ans=&FirstName=Ann&Zip=&Login=ann%5F1" + tail},
        {"every field in its fixed order",
         [](RegistrationFixture &f) {
             f.personal({{"Login", "l"},
                         {"Email", "e"},
                         {"Phone", "p"},
                         {"Country", "c"},
                         {"Zip", "z"},
                         {"State", "s"},
                         {"City", "ci"},
                         {"Address2", "a2"},
                         {"Address1", "a1"},
                         {"LastName", "ln"},
                         {"FirstName", "fn"}});
         },
         "U?ans=&FirstName=fn&LastName=ln&Address1=a1&Address2=a2&City=ci&State=s&Zip=z"
         "&Country=c&Phone=p&Email=e&Login=l" +
             tail},
        {"an incomplete birth date is sent empty",
         [](RegistrationFixture &f) {
             f.personal({{"FirstName", "Ann"}, {"LastName", "Lee"}});
             f.birth("1990", "", "17");
         },
         "U?ans=" + names + "&dob=" + tail},
        {"no real date (30 February) is sent empty",
         [](RegistrationFixture &f) {
             f.personal({{"FirstName", "Ann"}, {"LastName", "Lee"}});
             f.birth("1990", "2", "30");
         },
         "U?ans=" + names + "&dob=" + tail},
        {"the composed date is trimmed at its ends only",
         [](RegistrationFixture &f) {
             f.personal({{"FirstName", "Ann"}, {"LastName", "Lee"}});
             f.birth(" 1990 ", "05", " 7 ");
         },
         "U?ans=" + names + "&dob=1990%20/05/%207" + tail},
        {"a hidden birth label sends no date at all",
         [](RegistrationFixture &f) {
             f.personal({{"FirstName", "Ann"}, {"LastName", "Lee"}});
             f.birth("1990", "5", "17", false);
         },
         "U?ans=" + names + tail},
        {"characters beyond ASCII: Western code page, else UTF-8",
         [](RegistrationFixture &f) {
             f.personal({{"FirstName", "Ren\u00e9e"}, {"LastName", "\u0150z \u20ac"}});
         },
         "U?ans=&FirstName=Ren%E9e&LastName=%C5%90z%20%80" + tail},
    };
    for (const Case &c : cases) {
        RegistrationFixture f;
        c.arrange(f);
        EXPECT_EQ(buildRequestUrl(f.form(), f.state), c.expected) << c.name;
    }
}

TEST(RequestUrl, QuestionPageAnswers)
{
    struct Case {
        const char *name;
        std::function<void(RegistrationFixture &)> arrange;
        QString expectedAnswers;
    };
    const Case cases[] = {
        {"text boxes send also when empty, untrimmed",
         [](RegistrationFixture &f) {
             f.text(1, "2", " a ");
             f.text(1, "3", "");
         },
         "2%60%20a%20%7C3%60"},
        {"the boxes of a date share the id without its letter",
         [](RegistrationFixture &f) {
             f.text(2, "4y", "2020");
             f.text(2, "4m", "1");
         },
         "4%602020%7C4%601"},
        {"the lists of a date send one entry each under the question's id",
         [](RegistrationFixture &f) {
             f.date(3, "1", {{'d', "17"}, {'m', "5"}, {'y', "2024"}});
         },
         "1%6017%7C1%605%7C1%602024"},
        {"a date still showing its starting texts, or partly chosen, sends nothing",
         [](RegistrationFixture &f) {
             f.date(3, "1", {{'d', "Day"}, {'m', "Month"}, {'y', "Year"}});
             f.date(3, "2", {{'d', "17"}, {'m', ""}, {'y', "2024"}});
         },
         ""},
        {"repeated check-box ids send one entry per ticked box",
         [](RegistrationFixture &f) {
             f.checks(1, "1", {"Action", "Puzzle", "Sports"}, {0, 2});
         },
         "1%60Action%7C1%60Sports"},
        {"no option selected sends nothing",
         [](RegistrationFixture &f) {
             f.options(1, "3", {"Yes", "No"}, -1);
         },
         ""},
        {"selected list options are sent like ticked boxes",
         [](RegistrationFixture &f) {
             f.list(2, "2", {"Desktop PC", "Laptop", "Console"}, {0, 2});
         },
         "2%60Desktop%20PC%7C2%60Console"},
        {"answer combos are sent with the id of their Tag; the template is not",
         [](RegistrationFixture &f) {
             f.ctl("page_spe_cmb_Answer", 0)->setText("template");
             f.combo(1, "2", "A friend");
             f.text(1, "3", "x");
             f.combo(2, "6", "Weekly");
         },
         "2%60A%20friend%7C3%60x%7C6%60Weekly"},
        {"labels, holders, non-numeric ids and the welcome and personal pages send nothing",
         [](RegistrationFixture &f) {
             f.label(1, "1", "Question");
             f.form()
                 .create(forms::Kind::TextBox, "page_1_txt_1_patten", -1, f.page(1))
                 ->setText("n");
             f.form().create(forms::Kind::TextBox, "page_1_txt_x", -1, f.page(1))->setText("x");
             f.text(0, "1", "personal page object");
             f.form()
                 .create(forms::Kind::TextBox, "page_2_txt_3", -1, f.ctl("frmWelcome"))
                 ->setText("welcome page object");
         },
         ""},
        {"values are value-encoded, then URL-encoded",
         [](RegistrationFixture &f) { f.text(1, "2", "a.b&c=d"); }, "2%60a%252Eb%2526c%253Dd"},
        // The entry and id separators typed by the player go out escaped, so
        // the answer stays one entry; a "%" stays as it is.
        {"a bar and a grave accent in a value are escaped before the join",
         [](RegistrationFixture &f) {
             f.text(1, "2", "LWI-4471 | x ` y");
             f.text(1, "3", "%7C|");
         },
         "2%60LWI%2D4471%20%257C%20x%20%2560%20y%7C3%60%257C%257C"},
        {"selected texts of lists and boxes too",
         [](RegistrationFixture &f) {
             f.list(2, "2", {"A|B", "C`D"}, {0, 1});
         },
         "2%60A%257CB%7C2%60C%2560D"},
    };
    for (const Case &c : cases) {
        RegistrationFixture f;
        f.personal({});
        c.arrange(f);
        EXPECT_EQ(buildRequestUrl(f.form(), f.state), "U?ans=" + c.expectedAnswers + tail)
            << c.name;
    }
}

TEST(RequestUrl, ProductNamedOnAQuestionPageReplacesTheGameName)
{
    RegistrationFixture f;
    f.personal({});
    f.text(1, "1", "Ember Reach Gold");
    EXPECT_EQ(buildRequestUrl(f.form(), f.state),
              "U?ans=1%60Ember%20Reach%20Gold&pname=Ember%20Reach%20Gold&lang=English");
    EXPECT_EQ(f.state.gameName, "Ember Reach Gold");

    // Left blank, the product box keeps the configured name.
    RegistrationFixture blank;
    blank.personal({});
    blank.text(1, "1", "  ");
    EXPECT_EQ(buildRequestUrl(blank.form(), blank.state),
              "U?ans=1%60%20%20&pname=Demo%20Game&lang=English");
}

} // namespace
