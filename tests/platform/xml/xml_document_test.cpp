#include "platform/xml/encoding_check.h"
#include "platform/xml/xml_document.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

const char *kConfig = R"(<?xml version="1.0"?>
<register>
  <use_default> 1</use_default>
  <country src="Spain|Mexico"/>
  <language id="english" country="else">
    <userinfo><firstname visible="1" src="First"/><country src="In section"/></userinfo>
    <page><object type="label" id="1"/><group><object type="text" id="2"/></group></page>
    <page><object type="img" id="3"/></page>
    <text>a<b>b</b>c</text>
  </language>
</register>)";

class XmlDocumentTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = testsupport::writeFile(dir.path(), "config.xml", QString::fromUtf8(kConfig));
        ASSERT_TRUE(doc.load(path)) << doc.errorString().toStdString();
    }
    QTemporaryDir dir;
    QString path;
    xml::Document doc;
};

TEST_F(XmlDocumentTest, SelectsFirstMatchInDocumentOrderAtAnyDepth)
{
    EXPECT_EQ(doc.selectSingleNode("//country").attribute("src").value(), "Spain|Mexico");
    EXPECT_EQ(doc.selectSingleNode("//userinfo/country").attribute("src").value(), "In section");
    EXPECT_EQ(doc.selectSingleNode("//use_default").text(), " 1"); // text is taken whole
}

TEST_F(XmlDocumentTest, SelectsAllMatchesIncludingNested)
{
    const QList<xml::Node> objects = doc.selectNodes("//object");
    ASSERT_EQ(objects.size(), 3);
    EXPECT_EQ(objects[0].attribute("id").value(), "1");
    EXPECT_EQ(objects[1].attribute("id").value(), "2");
    EXPECT_EQ(objects[2].attribute("id").value(), "3");
    EXPECT_EQ(doc.selectNodes("//page").size(), 2);
    EXPECT_EQ(doc.selectNodes("//group/object").size(), 1);
}

TEST_F(XmlDocumentTest, MissingPathsGiveNothingNeverAnError)
{
    EXPECT_TRUE(doc.selectSingleNode("//nothing").isNull());
    EXPECT_TRUE(doc.selectNodes("//nothing").isEmpty());
    EXPECT_TRUE(doc.selectSingleNode("//userinfo/nothing").isNull());
    EXPECT_FALSE(doc.selectSingleNode("//country").attribute("nothing").has_value());
    // Paths outside the two supported forms match nothing.
    EXPECT_TRUE(doc.selectSingleNode("country").isNull());
    EXPECT_TRUE(doc.selectSingleNode("//a/b/c").isNull());
    EXPECT_TRUE(doc.selectSingleNode("//").isNull());
    EXPECT_TRUE(doc.selectSingleNode("//[").isNull());
    // A null node answers quietly too.
    const xml::Node none;
    EXPECT_EQ(none.text(), "");
    EXPECT_EQ(none.xml(), "");
    EXPECT_FALSE(none.attribute("x").has_value());
}

TEST_F(XmlDocumentTest, TextConcatenatesDescendantsAndMarkupReparses)
{
    const xml::Node text = doc.selectSingleNode("//text");
    EXPECT_EQ(text.text(), "abc");
    const xml::Node section = doc.selectSingleNode("//language");
    xml::Document again;
    ASSERT_TRUE(again.loadXml(section.xml()));
    EXPECT_EQ(again.documentElement().name(), "language");
    EXPECT_EQ(again.selectNodes("//page").size(), 2);
    EXPECT_EQ(again.selectSingleNode("//firstname").attribute("src").value(), "First");
}

TEST(XmlDocumentErrors, MissingOrBrokenFilesFailWithAReason)
{
    QTemporaryDir dir;
    xml::Document doc;
    EXPECT_FALSE(doc.load(dir.filePath("config.xml")));
    EXPECT_TRUE(doc.errorString().contains("config.xml"));

    const QString broken = testsupport::writeFile(dir.path(), "broken.xml", "<a>\n<b>\n</a>");
    EXPECT_FALSE(doc.load(broken));
    EXPECT_EQ(doc.errorString(), broken + ":2:1: <b>: no </b> closes it before </a> on line 3");
    EXPECT_TRUE(doc.isEmpty());
    EXPECT_TRUE(doc.selectSingleNode("//a").isNull());

    EXPECT_FALSE(doc.loadXml("<page><object"));
    EXPECT_TRUE(doc.selectNodes("//object").isEmpty());
}

TEST(XmlDocumentErrors, OnlyARegularFileOfAConfigurationsSizeIsRead)
{
    QTemporaryDir dir;
    const QString zero = dir.filePath("zero.xml");
    ASSERT_TRUE(QFile::link("/dev/zero", zero));
    const QString fifo = dir.filePath("fifo.xml");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    // Sparse: the size is there without the bytes.
    const auto sized = [&](const char *name, qint64 bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.resize(bytes));
        return f.fileName();
    };
    const QString tooLarge = sized("large.xml", xml::Document::kMaxFileBytes + 1);
    const QString justFits = testsupport::writeFile(
        dir.path(), "fits.xml",
        "<a>" + QString(int(xml::Document::kMaxFileBytes) - 7, u' ') + "</a>");
    const struct {
        const char *name;
        QString path;
        const char *reason; // empty: the file loads
    } cases[] = {
        {"a link to /dev/zero", zero, "is not a regular file"},
        {"a FIFO nobody writes to", fifo, "is not a regular file"},
        {"a folder", dir.path(), "is a folder"},
        {"one byte over the limit", tooLarge, "is 16777217 bytes long, more than the 16777216"},
        {"exactly at the limit", justFits, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        xml::Document doc;
        const bool loaded = doc.load(c.path);
        EXPECT_EQ(loaded, *c.reason == 0) << doc.errorString().toStdString();
        if (*c.reason) {
            EXPECT_TRUE(doc.errorString().startsWith(c.path + ": " + c.reason))
                << doc.errorString().toStdString();
            EXPECT_TRUE(doc.isEmpty());
        }
    }
}

TEST(XmlDocumentEncodings, TheDeclaredCodePageIsRead)
{
    QTemporaryDir dir;
    auto write = [&dir](const char *name, const QByteArray &bytes) {
        QFile f(dir.filePath(QLatin1String(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    };
    // windows-1252: 0x80 is the euro sign, 0xE9 an e with acute accent.
    const QString cp1252 = write("cp1252.xml", "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n"
                                               "<r a=\"\x80\"><t>caf\xe9</t>\n<u/></r>");
    const QString latin1 =
        write("latin1.xml", "<?xml version='1.0' encoding='ISO-8859-1'?><r a='\xe9'/>");
    const QString utf8 =
        write("utf8.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><r a=\"\xc3\xa9\"/>");
    xml::Document doc;
    ASSERT_TRUE(doc.load(cp1252)) << doc.errorString().toStdString();
    EXPECT_EQ(doc.documentElement().attribute("a"), QString(QChar(0x20AC)));
    EXPECT_EQ(doc.selectSingleNode("//t").text(), QStringLiteral("caf\u00e9"));
    EXPECT_EQ(doc.selectSingleNode("//u").line(), 3);
    EXPECT_EQ(doc.selectSingleNode("//t").column(), 10); // the euro sign counts as one
    ASSERT_TRUE(doc.load(latin1));
    EXPECT_EQ(doc.documentElement().attribute("a"), QStringLiteral("\u00e9"));
    ASSERT_TRUE(doc.load(utf8));
    EXPECT_EQ(doc.documentElement().attribute("a"), QStringLiteral("\u00e9"));
}

TEST(XmlDocumentErrors, DeepNestingDoesNotExhaustTheStack)
{
    // A million levels inside a start-up key: every walk over the document
    // (selection, text, markup) must be iterative.
    constexpr int kDepth = 1000000;
    QByteArray markup = "<register><use_default>";
    markup.reserve(8 * kDepth + 100);
    for (int i = 0; i < kDepth; ++i)
        markup += "<n>";
    markup += "1<object/>";
    for (int i = 0; i < kDepth; ++i)
        markup += "</n>";
    markup += "</use_default><default_country>Spain</default_country></register>";
    QTemporaryDir dir;
    QFile file(dir.filePath("config.xml"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(markup), markup.size());
    file.close();

    xml::Document doc;
    ASSERT_TRUE(doc.load(file.fileName())) << doc.errorString().toStdString();
    EXPECT_EQ(doc.selectSingleNode("//use_default").text(), "1");
    EXPECT_EQ(doc.selectNodes("//object").size(), 1);
    EXPECT_EQ(doc.selectSingleNode("//default_country").text(), "Spain");
    xml::Document again;
    ASSERT_TRUE(again.loadXml(doc.selectSingleNode("//use_default").xml()));
    EXPECT_EQ(again.documentElement().text(), "1");
}

TEST(XmlDocumentErrors, ReportsTheLineAndColumnOfAnElement)
{
    struct Case {
        const char *name;
        QString markup;
        int line, column; // of the first <b>
    };
    const Case cases[] = {
        {"own line", "<a>\n\n<b/></a>", 3, 1},
        {"indented", "<a>\n    <b x='1'/></a>", 2, 5},
        {"after a sibling on the line", "<a><c/><b/></a>", 1, 8},
        // Columns count characters: an accented letter is two bytes in UTF-8.
        {"after accented text", QStringLiteral("<a>\n<c>\u00e9\u00e9</c><b/></a>"), 2, 10},
        {"carriage returns", "<a>\r\n\r\n\t<b/></a>", 3, 2},
    };
    for (const Case &c : cases) {
        xml::Document doc;
        ASSERT_TRUE(doc.loadXml(c.markup)) << c.name;
        const xml::Node b = doc.selectSingleNode("//b");
        EXPECT_EQ(b.line(), c.line) << c.name;
        EXPECT_EQ(b.column(), c.column) << c.name;
    }
    EXPECT_EQ(xml::Node().column(), 0);
}

// A text that is not well-formed is reported where the author has to mend
// it: a forgotten end tag at the element it belongs to, not at the end tag
// far below where the parser noticed.
TEST(XmlDocumentErrors, MalformedTextIsLocatedWhereItIsMended)
{
    struct Case {
        const char *name;
        QString markup;
        xml::ParseError expected;
    };
    const Case cases[] = {
        {"page left open inside its section",
         "<register>\n <language id=\"x\">\n  <page>\n   <object/>\n  <page>\n  </page>\n"
         " </language>\n</register>",
         {3, 3, "<page>", "no </page> closes it before </language> on line 7"}},
        {"object written without its slash",
         "<page>\n  <object type=\"label\" src=\"a > b\">\n</page>",
         {2, 3, "<object>", "no </object> closes it before </page> on line 3"}},
        {"end of the file",
         "<register>\n<!-- <a> -->\n <language id='x'><![CDATA[<b>]]>",
         {3, 2, "<language>", "no </language> closes it before the end of the file"}},
        {"misspelt end tag",
         "<register>\n <language>\n </langauge>\n</register>",
         {3, 2, "</langauge>",
          "this end tag closes nothing: the element open here is <language> from line 2"}},
        {"attribute without quotes",
         "<page>\n  <object id=1/>\n</page>",
         {2, 14, "<object>",
          "an attribute is not well-formed: write name=\"value\" with the value in quotes (a "
          "quote inside is &quot;, a < is &lt;, an & is &amp;)"}},
        {"less-than sign in a text",
         QStringLiteral("<a>\n  \u00e9 x < y</a>"),
         {2, 7, "", "a \"<\" that starts no tag (write &lt; for a less-than sign in a text)"}},
        {"no element at all",
         "  ",
         {1, 1, "",
          "there is no element: the configuration is one <register> element holding "
          "all the others"}},
    };
    for (const Case &c : cases) {
        xml::Document doc;
        ASSERT_FALSE(doc.loadXml(c.markup)) << c.name;
        const xml::ParseError &e = doc.parseError();
        EXPECT_EQ(std::tuple(e.line, e.column, e.element.toStdString(), e.what.toStdString()),
                  std::tuple(c.expected.line, c.expected.column, c.expected.element.toStdString(),
                             c.expected.what.toStdString()))
            << c.name;
    }
}

// The bytes against the declaration: text the wizard would show garbled is
// found at its first word; agreeing bytes give nothing.
TEST(XmlEncodingCheck, FindsTextTheDeclarationGarbles)
{
    struct Case {
        const char *name;
        QByteArray bytes;
        bool found;
        int line = 0, column = 0;
        QString what = {};
        QString shown = {};
    };
    const Case cases[] = {
        {"UTF-8 under ISO-8859-1",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<r>\n  <t>Wir m\xc3\xb6gen</t></r>",
         true, 3, 11,
         QStringLiteral("the text is UTF-8 (\"m\u00f6gen\") but the declaration says ISO-8859-1"),
         QStringLiteral("m\u00c3\u00b6gen")},
        {"Windows-1252 without a declaration", "<r>\n<t a='1'>R\xe4tsel</t></r>", true, 2, 11,
         QStringLiteral(
             "the bytes are not UTF-8 (\"R\u00e4tsel\" if they are Windows-1252), and no "
             "encoding is declared"),
         QStringLiteral("R\ufffdtsel")},
        {"Windows-1252 declared as UTF-8", "<?xml version='1.0' encoding='utf-8'?><r>\xe9</r>",
         true, 1, 42,
         QStringLiteral("the bytes are not UTF-8 (\"\u00e9\" if they are Windows-1252), and the "
                        "declaration says utf-8"),
         QStringLiteral("\ufffd")},
        {"UTF-8 without a declaration", "<r>m\xc3\xb6gen</r>", false},
        {"Windows-1252 declared", "<?xml version='1.0' encoding='windows-1252'?><r>\xe4</r>",
         false},
        {"ASCII under ISO-8859-1", "<?xml version='1.0' encoding='ISO-8859-1'?><r>a</r>", false},
        {"byte-order mark",
         "\xef\xbb\xbf<?xml version='1.0' encoding='ISO-8859-1'?><r>\xc3\xb6</r>", false},
    };
    for (const Case &c : cases) {
        const std::optional<xml::EncodingMismatch> m = xml::findEncodingMismatch(c.bytes);
        ASSERT_EQ(m.has_value(), c.found) << c.name;
        if (!m)
            continue;
        EXPECT_EQ(m->line, c.line) << c.name;
        EXPECT_EQ(m->column, c.column) << c.name;
        EXPECT_EQ(m->what.toStdString(), c.what.toStdString()) << c.name;
        EXPECT_EQ(m->shown.toStdString(), c.shown.toStdString()) << c.name;
    }
}

} // namespace
