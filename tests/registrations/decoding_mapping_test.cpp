// What the wizard sends, through both of its encoders, decoded by the service
// and mapped to the questions of the configuration it was built from.
#include "register/rules/url_encoding.h"
#include "registrations/export/export.h"
#include "registrations/mapping/questionnaire.h"
#include "registrations/receive/decode_registration.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace {

using registrations::mapping::Questionnaire;
using registrations::storage::Answer;
using registrations::storage::Field;
using registrations::storage::Registration;

// Three question pages; ids restart on every page, so "2" is a text box on
// page 1 and on page 3. The french section has one question fewer. The
// first text box takes 20 characters in english and 24 in french, the
// second french one 6; the others have no limit. Of the personal boxes,
// first name (10 or 12) and city (5 or 7) have a limit in both sections; the
// e-mail box has none in french, the state is a list there, and the postal
// code is never shown.
const QString kConfig = QStringLiteral(R"(<register>
  <default_url>http://register.example/site/register.asp</default_url>
  <language id="english" country="else">
    <userinfo>
      <firstname visible="1" src="First name" maxlength="10"/>
      <email visible="1" src="E-mail" maxlength="40"/>
      <city visible="1" type="text" src="City" maxlength="5"/>
      <state visible="1" type="text" src="State" maxlength="5"/>
      <zip visible="0" maxlength="3"/>
    </userinfo>
    <page>
      <object type="label" id="2" src="Where do you`play?" x="1" y="1"/>
      <object type="text" id="2" src="" x="1" y="1" width="9" height="9" maxlength="20" patten="" password="" optional="1"/>
      <object type="label" id="5" src="Online?" x="1" y="1"/>
      <object type="radiobox" id="5" src="No|Yes" x="1|2" y="1|2" width="9" default="0"/>
      <object type="label" id="7" src="Genres" x="1" y="1"/>
      <object type="checkbox" id="7" src="RPG|Racing|Puzzle" x="1|2|3" y="1|2|3" width="9" optional="1"/>
    </page>
    <page>
      <object type="label" id="1" src="Bought on" x="1" y="1"/>
      <object type="date" id="1" src="d/m/y" text="Day/Month/Year" x="1" y="1" patten="" optional="1"/>
      <object type="label" id="3" src="Heard of it" x="1" y="1"/>
      <object type="combo" id="3" src="Friend|Shop" default="Choose" x="1" y="1" width="9"/>
      <object type="label" id="4" src="Devices" x="1" y="1"/>
      <object type="list" id="4" src="PC|Console" x="1" y="1" wdith="9" height="9" optional="1"/>
    </page>
    <page>
      <object type="label" id="2" src="Anything else?" x="1" y="1"/>
      <object type="text" id="2" src="" x="1" y="1" width="9" height="9" maxlength="0" patten="" password="" optional="1"/>
      <object type="label" id="7" src="Play again?" x="1" y="1"/>
      <object type="radiobox" id="7" src="Soon|Never" x="1|2" y="1|2" width="9" default="0"/>
    </page>
  </language>
  <language id="french" country="else">
    <userinfo>
      <firstname visible="1" src="Pr&#233;nom" maxlength="12"/>
      <email visible="1" src="Courriel"/>
      <city visible="1" type="text" src="Ville" maxlength="7"/>
      <state visible="1" type="combo" src="R&#233;gion" value="A|B" maxlength="5"/>
    </userinfo>
    <page>
      <object type="label" id="2" src="O&#249; jouez-vous ?" x="1" y="1"/>
      <object type="text" id="2" src="" x="1" y="1" width="9" height="9" maxlength="24" patten="" password="" optional="1"/>
    </page>
    <page>
      <object type="label" id="2" src="Autre chose ?" x="1" y="1"/>
      <object type="text" id="2" src="" x="1" y="1" width="9" height="9" maxlength="6" patten="" password="" optional="1"/>
    </page>
  </language>
</register>)");

// The request target the wizard builds for these answers: each value's "|"
// and grave accent escaped, the entries joined, the answers and every field
// through the value encoder, the whole query through the URL encoder.
QByteArray wizardTarget(const QList<Answer> &answers, const QString &language,
                        const QString &email = QStringLiteral("ann@example.org"),
                        const QList<Field> &moreFields = {})
{
    const auto escape = [](QString text) {
        return text.replace(u'|', QLatin1String("%7C")).replace(u'`', QLatin1String("%60"));
    };
    QStringList entries;
    for (const Answer &a : answers)
        entries.append(escape(a.id) + u'`' + escape(a.value));
    QString query = QStringLiteral("?ans=") + encodeValue(entries.join(u'|')) +
                    QStringLiteral("&Email=") + encodeValue(email) +
                    QStringLiteral("&dob=1990/5/17&pname=") + encodeValue(u"Demo Game") +
                    QStringLiteral("&lang=") + encodeValue(language);
    for (const Field &field : moreFields)
        query += u'&' + field.key + u'=' + encodeValue(field.value);
    return "/site/register.asp" + encodeUrl(query).toLatin1();
}

struct MappingCase {
    const char *name;
    QString language;
    QList<Answer> sent; // what the player answered (page unset)
    QList<int> pages;   // the page each entry maps to, in order
    // Personal fields sent besides the e-mail address and the birth date.
    QList<Field> fields = {};
    // Whether a value is longer than the configuration lets the wizard send.
    bool overLimit = false;
};

void PrintTo(const MappingCase &row, std::ostream *os)
{
    *os << row.name;
}

Answer entry(const char *id, const QString &value)
{
    return {QString::fromLatin1(id), value, 0};
}

const MappingCase kCases[] = {
    {"workedExample",
     QStringLiteral("English"),
     {entry("2", QStringLiteral("Fred's Garage")), entry("5", QStringLiteral("Yes")),
      entry("7", QStringLiteral("RPG"))},
     {1, 1, 1}},
    {"structureCharacters",
     QStringLiteral("english"),
     {entry("2", QStringLiteral("a.b?c/d:e=f&g"))},
     {1}},
    {"percentSigns",
     QStringLiteral("english"),
     {entry("2", QStringLiteral("100% %41 %2 %%"))},
     {1}},
    {"barAndGraveAccent",
     QStringLiteral("english"),
     {entry("2", QStringLiteral("LWI-4471 | x ` y")), entry("5", QStringLiteral("Yes"))},
     {1, 1}},
    {"blanks", QStringLiteral("english"), {entry("2", QStringLiteral("  two  blanks \t"))}, {1}},
    {"oneByteLetter",
     QStringLiteral("english"),
     {entry("2", QStringLiteral("caf\u00e9 \u20ac"))},
     {1}},
    {"letterOutsideTheCodePage",
     QStringLiteral("english"),
     {entry("2", QStringLiteral("\u4e2d\u6587 \U0001F600"))},
     {1}},
    {"emptyTextBox", QStringLiteral("english"), {entry("2", QString())}, {1}},
    {"checkBoxesRepeatTheirId",
     QStringLiteral("english"),
     {entry("2", QStringLiteral("x")), entry("7", QStringLiteral("RPG")),
      entry("7", QStringLiteral("Puzzle"))},
     {1, 1, 1}},
    {"dateComboAndList",
     QStringLiteral("english"),
     {entry("2", QString()), entry("1", QStringLiteral("17")), entry("1", QStringLiteral("5")),
      entry("1", QStringLiteral("2019")), entry("3", QStringLiteral("Shop")),
      entry("4", QStringLiteral("PC")), entry("4", QStringLiteral("Console"))},
     {1, 2, 2, 2, 2, 2, 2}},
    {"idRepeatedOnALaterPage",
     QStringLiteral("english"),
     {entry("2", QStringLiteral("first page")), entry("3", QStringLiteral("Choose")),
      entry("2", QStringLiteral("third page"))},
     {1, 2, 3}},
    {"tickedBoxThenALaterPagesOptionOfTheSameId",
     QStringLiteral("english"),
     {entry("7", QStringLiteral("RPG")), entry("7", QStringLiteral("Never"))},
     {1, 3}},
    {"otherSectionOtherQuestions",
     QStringLiteral("French"),
     {entry("2", QStringLiteral("ici")), entry("2", QStringLiteral("rien"))},
     {1, 2}},
    {"noSectionForTheLanguage",
     QStringLiteral("german"),
     {entry("2", QStringLiteral("hier")), entry("5", QStringLiteral("Ja"))},
     {0, 0}},
    {"entryNoQuestionTakes",
     QStringLiteral("english"),
     {entry("2", QStringLiteral("a")), entry("9", QStringLiteral("?")),
      entry("5", QStringLiteral("No"))},
     {1, 0, 1}},
    {"noAnswers", QStringLiteral("english"), {}, {}},
    // Lengths are counted as the text box counts them, in UTF-16 units, and a
    // box's limit is the largest any section gives it: a player may have
    // switched language with the text already typed.
    {"textAtTheEnglishLimit", QStringLiteral("english"), {entry("2", QString(20, u'x'))}, {1}},
    {"textOverTheEnglishLimitWithinTheFrench",
     QStringLiteral("english"),
     {entry("2", QString(24, u'x'))},
     {1}},
    {"textOverEverySectionsLimit",
     QStringLiteral("english"),
     {entry("2", QString(25, u'x'))},
     {1},
     {},
     true},
    {"lettersOutsideTheBasicPlaneCountTwice",
     QStringLiteral("french"),
     {entry("2", QStringLiteral("\U0001F600").repeated(12) + u'x')},
     {1},
     {},
     true},
    {"escapesCountAsTheLetterTheyStandFor",
     QStringLiteral("french"),
     {entry("2", QStringLiteral("a|b`c%d&e=f?g/h.i:j|k`l"))},
     {1}},
    {"secondFrenchBoxOverItsLimit",
     QStringLiteral("french"),
     {entry("2", QStringLiteral("ici")), entry("2", QStringLiteral("encore"))},
     {1, 2}},
    {"secondFrenchBoxOverItsLimitByOne",
     QStringLiteral("french"),
     {entry("2", QStringLiteral("ici")), entry("2", QStringLiteral("encore!"))},
     {1, 2},
     {},
     true},
    // A box without a limit, a list's text, a date and the boxes' captions
    // have none but the service's own; several long answers together may be
    // longer than one of them may be.
    {"longAnswersWithoutLimits",
     QStringLiteral("english"),
     {entry("2", QStringLiteral("x")), entry("3", QString(20000, u'c')),
      entry("2", QString(20000, u't'))},
     {1, 2, 3}},
    {"unmappedEntryIsNotMeasured", QStringLiteral("german"), {entry("2", QString(100, u'x'))}, {0}},
    {"personalFieldsWithinTheirLimits",
     QStringLiteral("english"),
     {},
     {},
     {Field{QStringLiteral("FirstName"), QString(12, u'f')},
      Field{QStringLiteral("City"), QString(7, u'c')},
      Field{QStringLiteral("State"), QString(300, u's')},
      Field{QStringLiteral("Zip"), QString(300, u'z')}}},
    {"firstNameOverEverySectionsLimit",
     QStringLiteral("english"),
     {},
     {},
     {Field{QStringLiteral("FirstName"), QString(13, u'f')}},
     true},
    {"cityOverEverySectionsLimit",
     QStringLiteral("french"),
     {},
     {},
     {Field{QStringLiteral("City"), QString(8, u'c')}},
     true},
};

class DecodingAndMapping : public ::testing::TestWithParam<MappingCase> {
  protected:
    static void SetUpTestSuite()
    {
        QTemporaryDir dir;
        QString error;
        const auto read = registrations::mapping::readQuestionnaire(
            testsupport::writeFile(dir.path(), QStringLiteral("config.xml"), kConfig), &error);
        ASSERT_TRUE(read) << error.toStdString();
        s_questionnaire = *read;
    }
    static inline Questionnaire s_questionnaire;
};

TEST_P(DecodingAndMapping, GivesEachEntryItsValueAndPage)
{
    const MappingCase &c = GetParam();
    const QByteArray target =
        wizardTarget(c.sent, c.language, QStringLiteral("ann@example.org"), c.fields);
    auto decoded =
        registrations::receive::decodeRegistration(target, QDateTime::currentDateTimeUtc());
    ASSERT_TRUE(std::holds_alternative<Registration>(decoded))
        << std::get<registrations::receive::Refusal>(decoded).reason.toStdString();
    Registration r = std::get<Registration>(decoded);
    EXPECT_EQ(r.target, target);
    EXPECT_EQ(r.language, c.language);
    EXPECT_EQ(r.game, QStringLiteral("Demo Game"));
    EXPECT_EQ(r.email, QStringLiteral("ann@example.org"));
    EXPECT_EQ(r.fields.value(0),
              (Field{QStringLiteral("Email"), QStringLiteral("ann@example.org")}));
    EXPECT_EQ(r.fields.value(1), (Field{QStringLiteral("dob"), QStringLiteral("1990/5/17")}));

    s_questionnaire.map(r);
    ASSERT_EQ(r.answers.size(), c.sent.size());
    ASSERT_EQ(c.pages.size(), c.sent.size());
    for (qsizetype i = 0; i < r.answers.size(); ++i) {
        EXPECT_EQ(r.answers[i].id, c.sent[i].id) << i;
        EXPECT_EQ(r.answers[i].value, c.sent[i].value) << i;
        EXPECT_EQ(r.answers[i].page, c.pages[i]) << i;
    }
    const std::optional<QString> refusal = s_questionnaire.overLimit(r);
    EXPECT_EQ(refusal.has_value(), c.overLimit) << refusal.value_or(QString()).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Rows, DecodingAndMapping, ::testing::ValuesIn(kCases),
                         testsupport::RowName());

TEST(Questionnaire, NamesTheColumnsByTheFirstSectionsLabelsAndTakesTheAddressPath)
{
    QTemporaryDir dir;
    QString error;
    const auto q = registrations::mapping::readQuestionnaire(
        testsupport::writeFile(dir.path(), QStringLiteral("config.xml"), kConfig), &error);
    ASSERT_TRUE(q) << error.toStdString();
    EXPECT_EQ(q->path, "/site/register.asp");
    QStringList titles;
    for (const auto &column : q->columns)
        titles.append(QStringLiteral("%1/%2 %3").arg(column.page).arg(column.id, column.title));
    EXPECT_EQ(
        titles,
        (QStringList{QStringLiteral("1/2 Where do you play?"), QStringLiteral("1/5 Online?"),
                     QStringLiteral("1/7 Genres"), QStringLiteral("2/1 Bought on"),
                     QStringLiteral("2/3 Heard of it"), QStringLiteral("2/4 Devices"),
                     QStringLiteral("3/2 Anything else?"), QStringLiteral("3/7 Play again?")}));
    EXPECT_FALSE(registrations::mapping::readQuestionnaire(dir.filePath("missing.xml"), &error));
}

TEST(CsvCell, QuotesWhatRfc4180NeedsAndDisarmsFormulas)
{
    const std::pair<QString, QByteArray> rows[] = {
        {QStringLiteral("plain"), "plain"},
        {QStringLiteral("a,b"), "\"a,b\""},
        {QStringLiteral("say \"hi\""), "\"say \"\"hi\"\"\""},
        {QStringLiteral("two\nlines"), "\"two\nlines\""},
        {QStringLiteral("=HYPERLINK(\"x\")"), "\"'=HYPERLINK(\"\"x\"\")\""},
        {QStringLiteral("@SUM(A1)"), "'@SUM(A1)"},
        {QStringLiteral("+44 20 7946 0000"), "+44 20 7946 0000"},
        {QStringLiteral("-cmd|' /C calc'!A0"), "'-cmd|' /C calc'!A0"},
        {QStringLiteral("caf\u00e9"), "caf\xc3\xa9"},
        {QString(), ""},
    };
    for (const auto &[text, cell] : rows)
        EXPECT_EQ(registrations::exporting::csvCell(text), cell) << text.toStdString();
}

} // namespace
