#include "register-config/authoring.h"

#include "register/model/config_reader.h"
#include "register/model/config_schema.h"

#include "platform/forms/conversions.h"

#include <QHash>
#include <QUrl>

#include <vector>

namespace regconfig {

namespace {

namespace schema = model::schema;

class Finder {
  public:
    explicit Finder(QList<model::ConfigProblem> &out) : m_out(out) {}

    void report(const xml::Node &node, std::initializer_list<const char *> attributes,
                const QString &section, const QString &what, const QString &instead,
                const QString &warning = QString())
    {
        model::ConfigProblem p;
        p.line = node.line();
        p.column = node.column();
        p.element = model::elementAsWritten(node, attributes);
        p.section = section;
        p.what = what;
        p.instead = instead;
        if (!warning.isEmpty()) {
            p.severity = model::Severity::Warning;
            p.name = warning;
        }
        m_out.append(p);
    }

  private:
    QList<model::ConfigProblem> &m_out;
};

QString typeOf(const xml::Node &node)
{
    return forms::trimBlanks(node.attribute(QStringLiteral("type")).value_or(QString())).toLower();
}

bool isRequired(const QString &type, const QString &attribute)
{
    if (const schema::ObjectKind *kind = schema::findObjectKind(type))
        for (const schema::Attribute &a : kind->attributes)
            if (attribute == QLatin1String(a.name))
                return QLatin1String(a.byDefault) == QLatin1String("(required)");
    return false;
}

void unknownAttributes(Finder &f, const xml::Node &node, const QString &section, bool pageObject)
{
    const QString parent = node.parent() ? node.parent().name() : QString();
    QStringList known;
    if (pageObject) {
        known =
            schema::knownAttributes(QStringLiteral("object"), QStringLiteral("page"), typeOf(node));
    } else if (schema::findElement(node.name(), parent)) {
        known = schema::knownAttributes(node.name(), parent);
    } else {
        return; // an element the readers do not know is reported where it is read
    }
    for (const auto &[name, value] : node.attributes()) {
        if (known.contains(name))
            continue;
        const QString near = schema::nearestName(name, known);
        // A misspelt attribute an object cannot do without is already
        // reported, as missing, where the page is read.
        if (pageObject && !near.isEmpty() && !node.attribute(near) &&
            isRequired(typeOf(node), near))
            continue;
        const QByteArray attr = name.toUtf8();
        f.report(node, {"type", "id", attr.constData()}, section,
                 near.isEmpty()
                     ? QStringLiteral("the attribute \"%1\" is not known here").arg(name)
                     : QStringLiteral("the attribute \"%1\" is not known here (did you mean `%2`?)")
                           .arg(name, near),
                 QStringLiteral("it is ignored"));
    }
}

// A text that is there but empty shows nothing. A text box's src is its
// starting text, which is rightly empty.
void emptyTexts(Finder &f, const xml::Node &node, const QString &section, bool pageObject)
{
    const std::optional<QString> src = node.attribute(QStringLiteral("src"));
    if (!src || !forms::trimBlanks(*src).isEmpty())
        return;
    if (pageObject) {
        const QString type = typeOf(node);
        // A text box's src is its starting text, rightly empty; an object of
        // unknown kind is reported as such.
        if (type == QLatin1String("text") || type == QLatin1String("textfield") ||
            !schema::findObjectKind(type))
            return;
        f.report(node, {"type", "id", "src"}, section, QStringLiteral("the text is empty"),
                 type == QLatin1String("label") ? QStringLiteral("the label shows nothing")
                 : type == QLatin1String("img")
                     ? QStringLiteral("no picture is shown")
                     : QStringLiteral("the object offers nothing to choose"));
        return;
    }
    const QString parent = node.parent() ? node.parent().name() : QString();
    if (!schema::findElement(node.name(), parent) || node.name() == QLatin1String("country"))
        return;
    // A personal field that is hidden shows no caption anyway.
    if (parent == QLatin1String("userinfo") &&
        node.attribute(QStringLiteral("visible")).value_or(QStringLiteral("1")) !=
            QLatin1String("1"))
        return;
    f.report(node, {"src"}, section, QStringLiteral("the text is empty"),
             QStringLiteral("nothing is shown there"));
}

void unknownPatterns(Finder &f, const xml::Node &node, const QString &section)
{
    const std::optional<QString> patten = node.attribute(QStringLiteral("patten"));
    if (!patten || schema::isKnownPattern(*patten))
        return;
    f.report(node, {"type", "id", "patten"}, section,
             QStringLiteral("\"%1\" is no pattern (n, a, u, m, p, z, d, a number, @ or empty)")
                 .arg(*patten),
             QStringLiteral("the answer is not checked"));
}

// The wizard sends a question's answers only under an id that begins with a
// digit and holds no "_" (and checks the question only when its id holds no
// "_"); any other id loses the player's answers without a word. A warning:
// the wizard's behaviour is what receivers have always seen.
void unsentId(Finder &f, const xml::Node &object, const QString &section, int page,
              const QString &id)
{
    const bool digitFirst = !id.isEmpty() && id[0] >= u'0' && id[0] <= u'9';
    if (digitFirst && !id.contains(u'_'))
        return;
    f.report(object, {"type", "id"}, section,
             digitFirst
                 ? QStringLiteral("question page %1: the id \"%2\" holds a \"_\"").arg(page).arg(id)
                 : QStringLiteral("question page %1: the id \"%2\" does not begin with a "
                                  "digit")
                       .arg(page)
                       .arg(id),
             digitFirst ? QStringLiteral("the wizard neither checks nor sends its answers")
                        : QStringLiteral("the wizard never sends its answers"),
             QStringLiteral("id-not-sent"));
}

// Question ids: the request carries each answer under its id alone, so two
// questions of one id in a section, on one page or on two, cannot be told
// apart by whoever receives it.
void duplicateIds(Finder &f, const xml::Node &section)
{
    const QString name = model::sectionName(section);
    struct Seen {
        int page;
        int line;
    };
    QHash<QString, Seen> seen;
    const QList<xml::Node> pages = section.descendants(QStringLiteral("page"));
    for (int p = 0; p < pages.size(); ++p) {
        // A page's label and its question share an id on purpose; only
        // questions are counted, and the several boxes of one question once.
        for (const xml::Node &object : pages[p].descendants(QStringLiteral("object"))) {
            const QString type = typeOf(object);
            if (type.isEmpty() || type == QLatin1String("label") || type == QLatin1String("img") ||
                !schema::findObjectKind(type))
                continue;
            const std::optional<QString> id = object.attribute(QStringLiteral("id"));
            if (!id)
                continue;
            unsentId(f, object, name, p + 1, *id);
            const auto earlier = seen.constFind(*id);
            if (earlier == seen.constEnd()) {
                seen.insert(*id, Seen{p + 1, object.line()});
                continue;
            }
            const QString what =
                earlier->page == p + 1
                    ? QStringLiteral("question page %1: the id \"%2\" is used by the question at "
                                     "line %3 too")
                          .arg(p + 1)
                          .arg(*id)
                          .arg(earlier->line)
                    : QStringLiteral("question page %1: the id \"%2\" is used on question page %3 "
                                     "too (line %4), and the request does not say which page an "
                                     "answer comes from")
                          .arg(p + 1)
                          .arg(*id)
                          .arg(earlier->page)
                          .arg(earlier->line);
            // On one page the two answers are indistinguishable; across
            // pages a receiver that follows the page order can still tell
            // them apart, so that is a warning.
            f.report(object, {"type", "id"}, name, what,
                     QStringLiteral("the server cannot tell the two answers apart"),
                     earlier->page == p + 1 ? QString() : QStringLiteral("id-across-pages"));
        }
    }
}

void registrationUrl(Finder &f, const xml::Document &config)
{
    const xml::Node node = config.selectSingleNode(QStringLiteral("//default_url"));
    if (!node)
        return; // the built-in address applies
    const QString text = forms::trimBlanks(node.text());
    if (text.isEmpty()) {
        f.report(node, {}, QString(), QStringLiteral("the registration URL is empty"),
                 QStringLiteral("a registration cannot be sent"));
        return;
    }
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        url.host().isEmpty()) {
        f.report(node, {}, QString(),
                 QStringLiteral("\"%1\" is not an http:// or https:// address").arg(text),
                 QStringLiteral("a registration cannot be sent"));
    }
}

} // namespace

QList<model::ConfigProblem> authoringProblems(const xml::Document &config)
{
    QList<model::ConfigProblem> problems;
    Finder f(problems);
    const xml::Node root = config.documentElement();
    if (!root)
        return problems;
    registrationUrl(f, config);
    // Every element in document order, each with its section and whether it
    // stands inside a page, the welcome page or the personal page; a stack,
    // not recursion, so that any depth is walked.
    struct Step {
        xml::Node node;
        QString section;
        bool inPage;
    };
    std::vector<Step> stack{{root, QString(), false}};
    while (!stack.empty()) {
        const Step step = stack.back();
        stack.pop_back();
        const xml::Node &node = step.node;
        const bool pageObject = step.inPage && node.name() == QLatin1String("object");
        unknownAttributes(f, node, step.section, pageObject);
        emptyTexts(f, node, step.section, pageObject);
        unknownPatterns(f, node, step.section);
        QString section = step.section;
        if (node.name() == QLatin1String("language")) {
            section = model::sectionName(node);
            duplicateIds(f, node);
        }
        const bool inPage = step.inPage || node.name() == QLatin1String("page") ||
                            node.name() == QLatin1String("welcome") ||
                            node.name() == QLatin1String("userinfo");
        const QList<xml::Node> children = node.elements();
        for (qsizetype i = children.size() - 1; i >= 0; --i)
            stack.push_back({children[i], section, inPage});
    }
    return problems;
}

} // namespace regconfig
