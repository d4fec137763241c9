// The table of what config.xml may hold: it knows every element and attribute
// the sample uses (the sample uses them all), the reference for authors is
// generated from it, and misspelt names find their nearest known one.
#include "register/model/config_schema.h"
#include "register/model/page_objects.h"

#include "platform/xml/xml_document.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

namespace {

using namespace model;

const char kBegin[] = "<!-- BEGIN GENERATED from register/model/config_schema.cpp -->\n";
const char kEnd[] = "<!-- END GENERATED -->\n";

QString reference()
{
    return testsupport::readFile(testsupport::sourceDir() + "/docs/config-reference.md");
}

// The reference's tables are the table's own: a change to one without the
// other fails here, and the regenerated reference is left beside the tests
// to be copied over.
TEST(ConfigSchema, TheReferenceHoldsTheGeneratedTables)
{
    const QString doc = reference();
    const qsizetype begin = doc.indexOf(QLatin1String(kBegin));
    const qsizetype end = doc.indexOf(QLatin1String(kEnd));
    ASSERT_GE(begin, 0) << "docs/config-reference.md has no generated part";
    ASSERT_GT(end, begin);
    const QString written =
        doc.mid(begin + qsizetype(strlen(kBegin)), end - begin - qsizetype(strlen(kBegin)));
    const QString generated = schema::referenceTables();
    if (written != generated) {
        const QString path = QDir(testsupport::binDir()).filePath("config-reference.md");
        testsupport::writeFile(testsupport::binDir(), "config-reference.md",
                               doc.left(begin + qsizetype(strlen(kBegin))) + generated +
                                   doc.mid(end));
        ADD_FAILURE() << "docs/config-reference.md differs from the table; the regenerated "
                         "reference is "
                      << path.toStdString();
    }
}

// Every element (in its place) and attribute of the sample is in the table,
// and every element of the table is named in the reference.
TEST(ConfigSchema, KnowsEveryElementAndAttributeTheSampleUses)
{
    xml::Document doc;
    ASSERT_TRUE(doc.load(testsupport::sourceDir() + "/register/sample/config.xml"));
    QList<xml::Node> todo{doc.documentElement()};
    int elements = 0;
    while (!todo.isEmpty()) {
        const xml::Node node = todo.takeLast();
        todo += node.elements();
        ++elements;
        const QString parent = node.parent() ? node.parent().name() : QString();
        const bool pageObject = node.name() == "object" && parent != "age";
        if (pageObject) {
            const QString type = node.attribute("type").value_or("");
            EXPECT_NE(schema::findObjectKind(type), nullptr) << type.toStdString();
        } else {
            EXPECT_NE(schema::findElement(node.name(), parent), nullptr)
                << node.name().toStdString() << " in " << parent.toStdString();
        }
        const QStringList known =
            schema::knownAttributes(node.name(), pageObject ? QStringLiteral("page") : parent,
                                    node.attribute("type").value_or(""));
        for (const auto &[name, value] : node.attributes())
            EXPECT_TRUE(known.contains(name))
                << name.toStdString() << " of " << node.name().toStdString() << " line "
                << node.line();
    }
    EXPECT_GT(elements, 500);

    const QString doc2 = reference();
    for (const schema::Element &e : schema::elements())
        EXPECT_TRUE(doc2.contains(QStringLiteral("`<%1>`").arg(QLatin1String(e.name)))) << e.name;
    for (const schema::ObjectKind &k : schema::objectKinds())
        EXPECT_TRUE(doc2.contains(QStringLiteral("type=\"%1\"").arg(QLatin1String(k.type))))
            << k.type;
}

// The object kinds of the table are the kinds the page reader builds, and
// an attribute the table calls required is one without which the object is
// not shown.
TEST(ConfigSchema, ObjectKindsAreThoseThePageReaderBuilds)
{
    const auto objectOf = [](const schema::ObjectKind &k, const char *without) {
        QString object = QStringLiteral("<object");
        for (const schema::Attribute &a : k.attributes) {
            const QLatin1String name(a.name);
            if (qstrcmp(a.name, without) == 0)
                continue;
            const QLatin1String value = name == QLatin1String("type")   ? QLatin1String(k.type)
                                        : name == QLatin1String("src")  ? QLatin1String("d/m/y")
                                        : name == QLatin1String("text") ? QLatin1String("D/M/Y")
                                                                        : QLatin1String("1");
            object += QStringLiteral(" %1=\"%2\"").arg(name, value);
        }
        return describePage(QStringLiteral("<page>%1/></page>").arg(object), "page 1");
    };
    for (const schema::ObjectKind &k : schema::objectKinds()) {
        EXPECT_EQ(objectOf(k, "").objects.size(), 1) << k.type;
        for (const schema::Attribute &a : k.attributes) {
            if (qstrcmp(a.name, "type") == 0)
                continue;
            const bool required = qstrcmp(a.byDefault, "(required)") == 0;
            EXPECT_EQ(objectOf(k, a.name).objects.size(), required ? 0 : 1)
                << k.type << " without " << a.name;
        }
    }
    const PageDefinition unknown =
        describePage(QStringLiteral("<page><object type=\"slider\" id=\"1\"/></page>"), "p");
    EXPECT_TRUE(unknown.objects.isEmpty());
    EXPECT_EQ(schema::findObjectKind("slider"), nullptr);
}

TEST(ConfigSchema, NearestKnownName)
{
    struct Case {
        const char *written;
        const char *element, *parent, *type;
        const char *nearest; // "" for none
    };
    const Case cases[] = {
        {"maxlenght", "object", "page", "text", "maxlength"},
        {"optinal", "object", "page", "text", "optional"},
        {"patern", "object", "page", "text", "patten"},
        {"wdith", "object", "page", "text", "width"},
        {"width", "object", "page", "list", "wdith"},
        {"MaxLength", "firstname", "userinfo", "", "maxlength"},
        {"srcovr", "next", "language", "", "srcover"},
        {"colour", "language", "register", "", ""},
        {"position", "object", "page", "label", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(
            schema::nearestName(c.written, schema::knownAttributes(c.element, c.parent, c.type)),
            QString::fromUtf8(c.nearest))
            << c.written;
}

TEST(ConfigSchema, PatternCodes)
{
    for (const char *known : {"", " ", "@", "n", "a", "u", "m", "p", "z", "d", "13", " 16 "})
        EXPECT_TRUE(schema::isKnownPattern(known)) << known;
    for (const char *unknown : {"N", "x", "email", "d/m/y", "13 years"})
        EXPECT_FALSE(schema::isKnownPattern(unknown)) << unknown;
}

} // namespace
