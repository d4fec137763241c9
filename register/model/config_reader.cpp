#include "register/model/config_reader.h"

#include "platform/forms/conversions.h"

namespace model {

namespace {

QString quoted(const QString &value)
{
    QString v = value;
    v.replace(u'"', QLatin1String("&quot;"));
    return QLatin1Char('"') + v + QLatin1Char('"');
}

// Why a colour text is not understood, in the words a publisher would look for.
QString colourHint(const QString &text)
{
    const QString t = forms::trimBlanks(text);
    if (t.startsWith(u'#'))
        return QStringLiteral(" (a leading \"#\" is not understood)");
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        return QStringLiteral(" (a leading \"0x\" is not understood)");
    bool letters = !t.isEmpty();
    for (QChar c : t)
        letters = letters && c.isLetter();
    if (letters)
        return QStringLiteral(" (a colour name is not understood)");
    return {};
}

} // namespace

QString sectionName(const xml::Node &section)
{
    if (!section)
        return {};
    const QString id = section.attribute(QStringLiteral("id")).value_or(QString());
    const QString country = section.attribute(QStringLiteral("country")).value_or(QString());
    if (forms::trimBlanks(country).toLower() == QLatin1String("else") || country.isEmpty())
        return id;
    return QStringLiteral("%1, %2").arg(id, country);
}

QString elementAsWritten(const xml::Node &node, std::initializer_list<const char *> attributes)
{
    QString out = QLatin1Char('<') + node.name();
    for (const char *name : attributes)
        if (const auto value = node.attribute(QLatin1String(name)))
            out += u' ' + QLatin1String(name) + u'=' + quoted(*value);
    return out + QLatin1Char('>');
}

ConfigReader::ConfigReader(const xml::Document &doc, ConfigProblems &log, xml::Node source)
    : m_doc(doc), m_log(log), m_source(source)
{
    if (m_source && m_source.name() == QLatin1String("language"))
        m_section = sectionName(m_source);
    else if (doc.documentElement().name() == QLatin1String("language"))
        m_section = sectionName(doc.documentElement());
}

xml::Node ConfigReader::sourceOf(const xml::Node &node) const
{
    if (!m_source || !node || !node.belongsTo(m_doc))
        return node;
    if (m_sourcesGeneration != m_doc.generation()) {
        m_sources.clear();
        m_sourcesGeneration = m_doc.generation();
    }
    // The copy has the same elements in the same order: the element at the
    // same position among its siblings as in config.xml. Up from the node to
    // the nearest element whose place is known (the copy's root stands for
    // the section itself), then down again, matching up each level's children.
    QList<xml::Node> below;
    xml::Node at = node;
    xml::Node source;
    for (;;) {
        if (const auto known = m_sources.constFind(at); known != m_sources.cend()) {
            source = *known;
            break;
        }
        const xml::Node parent = at.parent();
        if (!parent) {
            source = m_source;
            break;
        }
        below.append(at);
        at = parent;
    }
    while (!below.isEmpty()) {
        if (!source)
            return {};
        const QList<xml::Node> copies = at.elements();
        const QList<xml::Node> sources = source.elements();
        for (qsizetype i = 0; i < copies.size(); ++i)
            m_sources.insert(copies[i], sources.value(i));
        at = below.takeLast();
        source = m_sources.value(at);
    }
    return source;
}

bool ConfigReader::misplaced(const xml::Node &node) const
{
    const xml::Node root = m_doc.documentElement();
    if (!node || node == root || node.parent() == root)
        return false;
    return bool(root.firstChild(node.name()));
}

xml::Node ConfigReader::select(const QString &path) const
{
    const xml::Node found = m_doc.selectSingleNode(path);
    if (!found || path.indexOf(u'/', 2) >= 0 || !misplaced(found))
        return found;
    const xml::Node direct = m_doc.documentElement().firstChild(found.name());
    report(found, {"src", "srcover"},
           QStringLiteral("inside <%1>, this is the first <%2> of the %3 and is taken instead of "
                          "%4 at %5")
               .arg(found.parent().name(), found.name(),
                    m_section.isEmpty() ? QStringLiteral("document") : QStringLiteral("section"),
                    elementAsWritten(direct, {"src", "srcover"}), lineOf(direct)),
           QStringLiteral("its attributes apply (write <%1> after that <%2>)")
               .arg(found.parent().name(), found.name()));
    return found;
}

xml::Node ConfigReader::require(const QString &path, const QString &instead) const
{
    const xml::Node found = select(path);
    if (found)
        return found;
    const QStringList parts = path.mid(2).split(u'/');
    // Placed at the parent when there is one, else at the section itself.
    xml::Node at =
        parts.size() == 2 ? m_doc.selectSingleNode(QStringLiteral("//") + parts[0]) : xml::Node();
    const QString element = QLatin1Char('<') + parts.last() + QLatin1Char('>');
    reportAt(at, element,
             parts.size() == 2 ? QStringLiteral("is missing from <%1>").arg(parts[0])
                               : QStringLiteral("is missing"),
             instead);
    return {};
}

std::optional<int> ConfigReader::number(const xml::Node &node, const char *attribute,
                                        const QString &instead) const
{
    const auto text = node.attribute(QLatin1String(attribute));
    if (!text)
        return std::nullopt;
    if (const auto value = forms::toInt16(*text))
        return int(*value);
    report(node, {attribute},
           forms::isNumeric(*text)
               ? QStringLiteral("%1 does not fit the range -32768 to 32767").arg(quoted(*text))
               : QStringLiteral("%1 is not a number").arg(quoted(*text)),
           instead);
    return std::nullopt;
}

std::optional<Colour> ConfigReader::colour(const xml::Node &node, const char *attribute,
                                           const QString &instead) const
{
    const auto text = node.attribute(QLatin1String(attribute));
    if (!text)
        return std::nullopt;
    if (const auto value = forms::bgrFromHex(*text))
        return Colour{*value};
    report(node, {attribute},
           QStringLiteral("%1 is not a colour of hexadecimal digits BBGGRR%2")
               .arg(quoted(*text), colourHint(*text)),
           instead);
    return std::nullopt;
}

std::optional<QString> ConfigReader::required(const xml::Node &node, const char *attribute,
                                              const QString &instead) const
{
    const auto value = node.attribute(QLatin1String(attribute));
    if (!value)
        report(node, {}, QStringLiteral("has no %1 attribute").arg(QLatin1String(attribute)),
               instead);
    return value;
}

void ConfigReader::report(const xml::Node &node, std::initializer_list<const char *> attributes,
                          const QString &what, const QString &instead) const
{
    reportAt(node, node ? elementAsWritten(node, attributes) : QString(), what, instead);
}

void ConfigReader::warn(const xml::Node &node, std::initializer_list<const char *> attributes,
                        const QString &name, const QString &what, const QString &instead) const
{
    reportAt(node, node ? elementAsWritten(node, attributes) : QString(), what, instead, name);
}

void ConfigReader::reportAt(const xml::Node &at, const QString &element, const QString &what,
                            const QString &instead, const QString &warningName) const
{
    ConfigProblem p;
    if (!warningName.isEmpty()) {
        p.severity = Severity::Warning;
        p.name = warningName;
    }
    const xml::Node place = sourceOf(at ? at : m_doc.documentElement());
    const xml::Node where = place ? place : (m_source ? m_source : xml::Node());
    p.line = where.line();
    p.column = where.column();
    p.element = element;
    p.what = what;
    p.instead = instead;
    p.section = m_section;
    m_log.report(std::move(p));
}

QString ConfigReader::lineOf(const xml::Node &node) const
{
    return QStringLiteral("line %1").arg(sourceOf(node).line());
}

void Placement::add(const xml::Node &node, std::initializer_list<const char *> attributes,
                    const QRect &rect, bool input)
{
    // A control of no size still stands somewhere: check its corner.
    m_entries.append({node, elementAsWritten(node, attributes),
                      QRect(rect.topLeft(), rect.size().expandedTo(QSize(1, 1))), input});
}

void Placement::check() const
{
    // A window made too small pushes several controls over its edge at once:
    // that is one mistake, reported once at the first of them.
    const QRect area(QPoint(0, 0), m_area);
    QList<const Entry *> outside;
    for (const Entry &e : m_entries)
        if (!area.contains(e.rect))
            outside.append(&e);
    if (!outside.isEmpty()) {
        const Entry &first = *outside.first();
        const bool wholly = !area.intersects(first.rect);
        QString what =
            QStringLiteral("lies %1 outside the %2 (%3 x %4 twips)")
                .arg(wholly ? QStringLiteral("wholly") : QStringLiteral("partly"), m_areaName)
                .arg(m_area.width())
                .arg(m_area.height());
        QString instead = wholly ? QStringLiteral("it cannot be seen")
                                 : QStringLiteral("it is cut off at the edge");
        if (outside.size() > 1) {
            QStringList lines;
            for (qsizetype i = 1; i < outside.size(); ++i)
                lines.append(QString::number(m_reader.sourceOf(outside[i]->node).line()));
            what += (lines.size() == 1 ? QStringLiteral(", and so does the element at line ")
                                       : QStringLiteral(", and so do the elements at lines ")) +
                    lines.join(QStringLiteral(", "));
            instead = QStringLiteral("they are cut off at the edge or cannot be seen");
        }
        m_reader.reportAt(first.node, first.element, what, instead);
    }
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        for (qsizetype j = i + 1; j < m_entries.size(); ++j) {
            const Entry &a = m_entries[i];
            const Entry &b = m_entries[j];
            if (!a.input || !b.input || !a.rect.intersects(b.rect))
                continue;
            m_reader.reportAt(b.node, b.element,
                              QStringLiteral("overlaps %1 at %2 on the %3")
                                  .arg(a.element, m_reader.lineOf(a.node), m_areaName),
                              QStringLiteral("the later one covers part of the earlier"));
        }
    }
}

} // namespace model
