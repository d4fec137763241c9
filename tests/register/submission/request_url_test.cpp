#include "register/submission/request_url.h"

#include "register/pages/page_builder.h"
#include "register/submission/registration_fields.h"
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

// Pages built by the page builder from their markup, as the wizard builds
// them, then answered the way the player's clicks change the controls. The
// items are what the registration reads, in the window's walk order: the
// request sends the answers, the printed form also the question texts.
QStringList itemsOf(const QuestionPages &pages)
{
    QStringList out;
    for (const QuestionItem &item : pages.items)
        out << (item.kind == QuestionItem::Kind::Question ? "Q " : "A ") + item.page + u' ' +
                   item.id + u' ' + item.text;
    return out;
}

TEST(RequestUrl, BuiltPagesAnswerInTheWindowsOrder)
{
    struct Case {
        const char *name;
        QStringList pages; // objects of question pages 1, 2, ...
        // Control name (an answer list as "page_spe_cmb_Answer#k") and the
        // text it is given, or "=1" for an option or box chosen.
        QList<std::pair<QString, QString>> answers;
        QStringList items;
        QString ans;
        QString pname = QStringLiteral("Demo%20Game"); // a product box renames it
        QString personalPage = {};                     // objects of page 0
    };
    const QString text = QStringLiteral(
        R"(<object type="text" id="%1" src="" x="100" y="%2" width="1000" height="300" maxlength="0" password="" patten="" optional="1"/>)");
    const QString label =
        QStringLiteral(R"(<object type="label" id="%1" src="%2" x="100" y="%3"/>)");
    const Case cases[] = {
        {"every kind on one page, labels after their answers, options out of order",
         {text.arg("2").arg(100) + label.arg("2", "Where?").arg(500) +
          R"(<object type="checkbox" id="3" src="A|B|C" x="3000|100|100" y="900|900|1300" width="1000" optional="1"/>)"
          R"(<object type="combo" id="4" src="X|Y" default="Pick" x="100" y="1700" width="2000"/>)"
          R"(<object type="radiobox" id="5" src="No|Yes" x="3000|100" y="2100|2100" width="1500" default="0"/>)"
          R"(<object type="list" id="6" src="P|Q|R" x="100" y="2500" wdith="2000" height="1000" optional="1"/>)"
          R"(<object type="date" id="7" src="d.m.y" text="D.M.Y" x="100" y="3700" patten="" optional="1"/>)" +
          label.arg("3", "Which?").arg(4100) + label.arg("7", "When?").arg(4500)},
         {{"page_1_txt_2", "here"},
          {"page_1_chk_3opt2", "=1"},
          {"page_1_chk_3opt0", "=1"},
          {"page_spe_cmb_Answer#1", "Y"},
          {"page_1_rad_5opt1", "=1"},
          {"page_1_lst_6opt1", "=1"},
          {"page_1_dat_7d", "17"},
          {"page_1_dat_7m", "5"},
          {"page_1_dat_7y", "2024"}},
         {"A 1 2 here", "Q 1 2 Where?", "A 1 3 A", "A 1 3 C", "A 1 4 Y", "A 1 5 Yes", "A 1 6 Q",
          "A 1 7 17", "A 1 7 5", "A 1 7 2024", "Q 1 3 Which?", "Q 1 7 When?"},
         "2%60here%7C3%60A%7C3%60C%7C4%60Y%7C5%60Yes%7C6%60Q%7C7%6017%7C7%605%7C7%602024"},
        {"an id used twice shares its controls: one answer, the last caption",
         {text.arg("2").arg(100) + label.arg("2", "First").arg(500) + text.arg("2").arg(900) +
          label.arg("2", "Second").arg(1300) +
          R"(<object type="checkbox" id="3" src="A|B" x="100|100" y="1700|2100" width="1000" optional="1"/>)"
          R"(<object type="checkbox" id="3" src="C|D|E" x="3000|3000|3000" y="1700|2100|2500" width="1000" optional="1"/>)"},
         {{"page_1_txt_2", "once"}, {"page_1_chk_3opt1", "=1"}, {"page_1_chk_3opt2", "=1"}},
         {"A 1 2 once", "Q 1 2 Second", "A 1 3 D", "A 1 3 E"},
         "2%60once%7C3%60D%7C3%60E"},
        {"ids: a letter at the end is dropped, a leading letter or a \"_\" is never sent",
         {text.arg("4y").arg(100) + text.arg("x4").arg(500) + text.arg("4_b").arg(900) +
          label.arg("4x", "no question").arg(1300) + label.arg("x", "none").arg(1700) +
          label.arg("5_1", "none either").arg(2100)},
         {{"page_1_txt_4y", "a"}, {"page_1_txt_x4", "b"}, {"page_1_txt_4_b", "c"}},
         {"A 1 4 a"},
         "4%60a"},
        {"a date left at its starting texts or not a real day sends nothing; two pages in order",
         {R"(<object type="date" id="1" src="y/m/d" text="Y/M/D" x="100" y="100" patten="" optional="1"/>)"
          R"(<object type="date" id="2" src="y/m/d" text="Y/M/D" x="100" y="500" patten="" optional="1"/>)",
          text.arg("1").arg(100) + label.arg("1", "Product").arg(500)},
         {{"page_1_dat_2y", "2023"},
          {"page_1_dat_2m", "2"},
          {"page_1_dat_2d", "30"},
          {"page_2_txt_1", "Gold"}},
         {"A 2 1 Gold", "Q 2 1 Product"},
         "1%60Gold",
         "Gold"},
        {"the product box and an answer list on the second page",
         {label.arg("9", "Nine").arg(100),
          R"(<object type="combo" id="3" src="X|Y" default="Pick" x="100" y="100" width="2000"/>)" +
              text.arg("1").arg(500)},
         {{"page_2_txt_1", "Ember"}, {"page_spe_cmb_Answer#1", "X"}},
         {"Q 1 9 Nine", "A 2 3 X", "A 2 1 Ember"},
         "3%60X%7C1%60Ember",
         "Ember"},
        // Only the objects whose own container is a question page answer;
        // the options of a group or a list on the personal page have their
        // group or list as container, and so have always been sent.
        {"the personal page's objects send nothing but a chosen option or list entry",
         {text.arg("1").arg(100)},
         {{"page_0_txt_5", "typed"},
          {"page_0_chk_8opt0", "=1"},
          {"page_0_rad_6opt1", "=1"},
          {"page_0_lst_7opt0", "=1"},
          {"page_1_txt_1", "Gold"}},
         {"A 0 6 Yes", "A 0 7 P", "A 1 1 Gold"},
         "6%60Yes%7C7%60P%7C1%60Gold",
         "Gold",
         text.arg("5").arg(100) + label.arg("5", "Five").arg(500) +
             R"(<object type="radiobox" id="6" src="No|Yes" x="100|2000" y="900|900" width="1500" default="0"/>)"
             R"(<object type="list" id="7" src="P|Q" x="100" y="1300" wdith="2000" height="1000" optional="1"/>)"
             R"(<object type="checkbox" id="8" src="A|B" x="100|100" y="2500|2900" width="1000" optional="1"/>)"},
    };
    for (const Case &c : cases) {
        RegistrationFixture f;
        f.personal({});
        f.state.pageCount = std::int16_t(c.pages.size());
        if (!c.personalPage.isEmpty())
            buildPage(f.form(), f.state, 0,
                      model::describePage("<page>" + c.personalPage + "</page>", "personal"),
                      f.page(0), "personal", QDate(2026, 12, 8));
        for (int p = 0; p < c.pages.size(); ++p) {
            const QString title = QStringLiteral("question page %1").arg(p + 1);
            buildPage(f.form(), f.state, p + 1,
                      model::describePage("<page>" + c.pages[p] + "</page>", title), f.page(p + 1),
                      title, QDate(2026, 12, 8));
        }
        for (const auto &[name, answer] : c.answers) {
            const QStringList parts = name.split(u'#');
            forms::Control *control = f.ctl(parts[0], parts.size() > 1 ? parts[1].toInt() : -1);
            ASSERT_NE(control, nullptr) << c.name << ": " << name.toStdString();
            if (answer == QLatin1String("=1"))
                control->setValue(1);
            else
                control->setText(answer);
        }
        EXPECT_EQ(itemsOf(readQuestionPages(f.form(), f.state)), c.items) << c.name;
        EXPECT_EQ(buildRequestUrl(f.form(), f.state),
                  "U?ans=" + c.ans + "&pname=" + c.pname + "&lang=English")
            << c.name;
    }
}
