#include "register/model/page_objects.h"

#include "platform/forms/conversions.h"
#include "platform/xml/xml_document.h"

#include <QRegularExpression>

namespace model {

namespace {

// Reads the attributes of one object element. Every fault is worded once,
// with the page and the object it belongs to; a fault that leaves nothing
// sensible to build marks the object as failed, a cosmetic one (a colour) only
// reports.
class AttributeReader {
  public:
    AttributeReader(const xml::Node &node, int index, QString where, QList<PageProblem> &problems)
        : m_node(node), m_index(index), m_where(std::move(where)), m_problems(problems)
    {
    }

    bool failed() const { return m_failed; }

    // Required attributes were checked for presence before describing.
    QString text(const char *name) const
    {
        return m_node.attribute(QLatin1String(name)).value_or(QString());
    }

    std::optional<QString> optionalText(const char *name) const
    {
        return m_node.attribute(QLatin1String(name));
    }

    // A position: decimal text in the 16-bit range, rounded half to even.
    int number(const char *name)
    {
        const QString value = text(name);
        if (const auto n = forms::toInt16(value))
            return *n;
        fail(QStringLiteral("\"%1\" is \"%2\", not a number in the 16-bit range")
                 .arg(QLatin1String(name), value));
        return 0;
    }

    // A size or a length: a number that is not negative.
    int size(const char *name)
    {
        const QString value = text(name);
        const auto n = forms::toInt16(value);
        if (n && *n >= 0)
            return *n;
        fail(QStringLiteral("\"%1\" is \"%2\", not a size from 0 to 32767")
                 .arg(QLatin1String(name), value));
        return 0;
    }

    // One position per option, joined by "|".
    QList<int> numbers(const char *name)
    {
        QList<int> out;
        const QString value = text(name);
        for (const QString &part : value.split(u'|')) {
            const auto n = forms::toInt16(part);
            if (!n) {
                fail(QStringLiteral("\"%1\" holds \"%2\", not a number in the 16-bit range")
                         .arg(QLatin1String(name), part));
                return {};
            }
            out.append(*n);
        }
        return out;
    }

    ColourSetting colour(const char *name)
    {
        ColourSetting c;
        const auto text = optionalText(name);
        if (!text)
            return c;
        c.present = true;
        if (const auto bgr = forms::bgrFromHex(*text))
            c.value = Colour{*bgr};
        else
            report(QStringLiteral("\"%1\" is \"%2\", not a hexadecimal colour; the control keeps "
                                  "its own colour")
                       .arg(QLatin1String(name), *text));
        return c;
    }

    void fail(const QString &what)
    {
        m_failed = true;
        report(what + QStringLiteral("; the object is not shown"));
    }

    void report(const QString &what) { m_problems.append({m_index, m_where, what}); }

  private:
    const xml::Node &m_node;
    int m_index;
    QString m_where;
    QList<PageProblem> &m_problems;
    bool m_failed = false;
};

// Option captions joined by "|"; an empty text holds no option at all.
QStringList splitValues(const QString &text)
{
    return text.isEmpty() ? QStringList() : text.split(u'|');
}

void requireOnePositionPerOption(AttributeReader &r, const QStringList &captions,
                                 const QList<int> &xs, const QList<int> &ys)
{
    if (r.failed())
        return;
    for (const auto &[name, values] : {std::pair{"x", &xs}, std::pair{"y", &ys}}) {
        if (values->size() < captions.size())
            r.fail(QStringLiteral("\"%1\" has %2 value(s) for %3 option(s)")
                       .arg(QLatin1String(name))
                       .arg(values->size())
                       .arg(captions.size()));
    }
}

PageObject describeImage(AttributeReader &r, const QString &id)
{
    ImageObject o;
    o.id = id;
    o.src = r.text("src");
    o.x = r.number("x");
    o.y = r.number("y");
    o.width = r.size("width");
    o.height = r.size("height");
    return o;
}

PageObject describeLabel(AttributeReader &r, const QString &id)
{
    LabelObject o;
    o.id = id;
    o.src = r.text("src");
    o.fore = r.colour("forecolor");
    o.x = r.number("x");
    o.y = r.number("y");
    return o;
}

PageObject describeText(AttributeReader &r, const QString &id)
{
    TextObject o;
    o.id = id;
    o.src = r.text("src");
    o.fore = r.colour("forecolor");
    o.back = r.colour("backcolor");
    o.x = r.number("x");
    o.y = r.number("y");
    o.width = r.size("width");
    o.height = r.size("height");
    o.maxLength = r.size("maxlength");
    o.patten = forms::trimBlanks(r.text("patten"));
    o.password = r.text("password");
    o.optional = forms::trimBlanks(r.text("optional"));
    return o;
}

PageObject describeDate(AttributeReader &r, const QString &id)
{
    DateObject o;
    o.id = id;
    // The format is three letters joined by one separator, its second character.
    const QString format = r.text("src");
    if (format.size() < 2) {
        r.fail(QStringLiteral("the date format \"%1\" has no separator").arg(format));
    } else {
        o.separator = format.at(1);
        const QStringList parts = format.split(o.separator);
        const QStringList texts = r.text("text").split(o.separator);
        if (parts.size() != 3)
            r.fail(QStringLiteral("the date format \"%1\" does not have three parts").arg(format));
        if (texts.size() != 3)
            r.fail(QStringLiteral("\"text\" is \"%1\", not three texts separated by \"%2\"")
                       .arg(r.text("text"), QString(o.separator)));
        for (int k = 0; k < 3 && parts.size() == 3 && texts.size() == 3; ++k) {
            o.parts[k] = parts[k];
            o.texts[k] = texts[k];
        }
    }
    o.fore = r.colour("forecolor");
    o.back = r.colour("backcolor");
    o.x = r.number("x");
    o.y = r.number("y");
    o.patten = forms::trimBlanks(r.text("patten"));
    o.optional = forms::trimBlanks(r.text("optional"));
    return o;
}

PageObject describeCombo(AttributeReader &r, const QString &id)
{
    ComboObject o;
    o.id = id;
    o.values = splitValues(r.text("src"));
    o.fore = r.colour("forecolor");
    o.back = r.colour("backcolor");
    o.x = r.number("x");
    o.y = r.number("y");
    o.width = r.size("width");
    o.defaultText = r.text("default");
    return o;
}

PageObject describeList(AttributeReader &r, const QString &id)
{
    ListObject o;
    o.id = id;
    o.values = splitValues(r.text("src"));
    o.fore = r.colour("forecolor");
    o.back = r.colour("backcolor");
    o.x = r.number("x");
    o.y = r.number("y");
    o.width = r.size("wdith"); // the configuration's own spelling
    o.height = r.size("height");
    o.optional = forms::trimBlanks(r.text("optional"));
    return o;
}

PageObject describeCheck(AttributeReader &r, const QString &id)
{
    CheckObject o;
    o.id = id;
    const QString src = r.text("src");
    if (src.isEmpty()) {
        // One box without a caption, at x and y taken whole.
        o.captions = QStringList{QString()};
        o.xs = {r.number("x")};
        o.ys = {r.number("y")};
    } else {
        o.captions = src.split(u'|');
        o.xs = r.numbers("x");
        o.ys = r.numbers("y");
        requireOnePositionPerOption(r, o.captions, o.xs, o.ys);
    }
    o.fore = r.colour("forecolor");
    o.back = r.colour("backcolor");
    o.width = r.size("width");
    o.optional = r.text("optional");
    o.error = r.optionalText("error");
    return o;
}

PageObject describeRadio(AttributeReader &r, const QString &id)
{
    RadioObject o;
    o.id = id;
    o.captions = splitValues(r.text("src"));
    if (o.captions.isEmpty())
        r.fail(QStringLiteral("\"src\" names no option"));
    o.xs = r.numbers("x");
    o.ys = r.numbers("y");
    requireOnePositionPerOption(r, o.captions, o.xs, o.ys);
    o.fore = r.colour("forecolor");
    o.back = r.colour("backcolor");
    o.width = r.size("width");
    // The option whose position equals the default starts selected; "-1" (or
    // any index beyond the options) selects none.
    static const QRegularExpression whole(QStringLiteral("^[+-]?[0-9]+$"));
    const QString def = forms::trimBlanks(r.text("default"));
    if (whole.match(def).hasMatch()) {
        bool ok = false;
        const int index = def.toInt(&ok);
        if (ok)
            o.defaultIndex = index;
    } else {
        r.report(QStringLiteral("\"default\" is \"%1\", not a whole number; no option is selected")
                     .arg(r.text("default")));
    }
    return o;
}

// The object types: the type as compared (trimmed, lower case), the
// attributes that must be present, and how the attributes become a
// description. Colour attributes and "error" may be
// absent; the describe functions read them as optional.
struct ObjectType {
    const char *type;
    std::array<const char *, 10> required; // unused entries are null
    PageObject (*describe)(AttributeReader &, const QString &);
};

const ObjectType kObjectTypes[] = {
    {"date", {"id", "src", "text", "x", "y", "patten", "optional"}, describeDate},
    {"img", {"id", "src", "x", "y", "width", "height"}, describeImage},
    {"label", {"id", "src", "x", "y"}, describeLabel},
    {"combo", {"id", "src", "x", "y", "width", "default"}, describeCombo},
    {"radiobox", {"id", "src", "x", "y", "width", "default"}, describeRadio},
    {"checkbox", {"id", "src", "x", "y", "width", "optional"}, describeCheck},
    {"text",
     {"id", "src", "x", "y", "width", "height", "maxlength", "patten", "password", "optional"},
     describeText},
    {"textfield",
     {"id", "src", "x", "y", "width", "height", "maxlength", "patten", "password", "optional"},
     describeText},
    {"list", {"id", "src", "x", "y", "wdith", "height", "optional"}, describeList},
};

const ObjectType *findType(const QString &type)
{
    for (const ObjectType &t : kObjectTypes)
        if (type == QLatin1String(t.type))
            return &t;
    return nullptr;
}

} // namespace

PageDefinition describePage(const QString &markup, const QString &pageTitle)
{
    xml::Document doc;
    if (!doc.loadXml(markup)) {
        PageDefinition page;
        page.problems.append({-1, pageTitle,
                              QStringLiteral("the page markup does not parse (") +
                                  doc.errorString() + QStringLiteral("); the page stays empty")});
        return page;
    }
    PageDefinition page = describeObjects(doc.selectNodes(QStringLiteral("//object")), pageTitle);
    // Lines of markup read on its own are no lines of config.xml.
    for (Place &place : page.places)
        place = {};
    return page;
}

PageDefinition describeObjects(const QList<xml::Node> &nodes, const QString &pageTitle)
{
    PageDefinition page;
    for (int i = 0; i < nodes.size(); ++i) {
        const xml::Node &node = nodes[i];
        const std::optional<QString> rawType = node.attribute(QStringLiteral("type"));
        const QString type = forms::trimBlanks(rawType.value_or(QString())).toLower();
        const std::optional<QString> id = node.attribute(QStringLiteral("id"));
        const QString where =
            QStringLiteral("%1, object %2 (type \"%3\", id \"%4\")")
                .arg(pageTitle)
                .arg(i + 1)
                .arg(rawType.value_or(QString()), id.value_or(QStringLiteral("(none)")));
        AttributeReader reader(node, i, where, page.problems);

        const ObjectType *kind = findType(type);
        if (!kind) {
            reader.report(rawType ? QStringLiteral("the type is not known; the object is skipped")
                                  : QStringLiteral("the object has no type; it is skipped"));
            continue;
        }
        QStringList missing;
        for (const char *attribute : kind->required)
            if (attribute && !node.attribute(QLatin1String(attribute)))
                missing.append(QLatin1Char('"') + QLatin1String(attribute) + QLatin1Char('"'));
        if (!missing.isEmpty()) {
            reader.fail(QStringLiteral("missing required attribute(s) %1")
                            .arg(missing.join(QStringLiteral(", "))));
            continue;
        }
        PageObject object = kind->describe(reader, *id);
        if (!reader.failed()) {
            page.objects.append(std::move(object));
            page.sources.append(i);
            page.places.append({node.line(), node.column()});
        }
    }
    return page;
}

} // namespace model
