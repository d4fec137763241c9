#include "platform/xml/xml_document.h"

#include <QFile>
#include <QScopeGuard>
#include <QStringDecoder>

#include <pugixml.hpp>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace xml {

namespace {

// Whitespace-only text belongs to the element's text, and offsets let problems
// be reported with a line.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_ws_pcdata;

QString toQ(const pugi::char_t *s)
{
    return QString::fromUtf8(s);
}

// Visits every node below root in document order; stops when visit returns
// false. Iterative, so a configuration nested a million levels deep cannot
// exhaust the stack.
template <typename F> void walkNodes(pugi::xml_node root, F &&visit)
{
    pugi::xml_node n = root.first_child();
    while (n) {
        if (!visit(n))
            return;
        if (n.first_child()) {
            n = n.first_child();
            continue;
        }
        while (n != root && !n.next_sibling())
            n = n.parent();
        if (n == root)
            return;
        n = n.next_sibling();
    }
}

// The elements below root in document order, as walkNodes.
template <typename F> void walk(pugi::xml_node root, F &&visit)
{
    walkNodes(root, [&](pugi::xml_node n) { return n.type() != pugi::node_element || visit(n); });
}

// The character data below root in document order.
void appendText(pugi::xml_node root, std::string &out)
{
    walkNodes(root, [&](pugi::xml_node n) {
        if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata)
            out += n.value();
        return true;
    });
}

// Parsed form of the two supported paths.
struct Path {
    std::string parent; // empty for "//name"
    std::string name;
    bool valid = false;
};

Path parsePath(const QString &path)
{
    Path p;
    if (!path.startsWith(QLatin1String("//")))
        return p;
    const QStringList parts = path.mid(2).split(u'/');
    if (parts.size() == 1 && !parts[0].isEmpty()) {
        p.name = parts[0].toStdString();
        p.valid = true;
    } else if (parts.size() == 2 && !parts[0].isEmpty() && !parts[1].isEmpty()) {
        p.parent = parts[0].toStdString();
        p.name = parts[1].toStdString();
        p.valid = true;
    }
    return p;
}

bool matches(pugi::xml_node n, const Path &p)
{
    if (n.type() != pugi::node_element || p.name != n.name())
        return false;
    return p.parent.empty() || p.parent == n.parent().name();
}

// The encoding named by the XML declaration of a file without a byte-order
// mark, in lower case; empty when there is none.
QByteArray declaredEncoding(const QByteArray &bytes)
{
    if (!bytes.startsWith("<?xml"))
        return {};
    const qsizetype end = bytes.indexOf("?>");
    if (end < 0)
        return {};
    const QByteArray declaration = bytes.left(end);
    qsizetype at = declaration.indexOf("encoding");
    if (at < 0)
        return {};
    at = declaration.indexOf('=', at);
    if (at < 0)
        return {};
    ++at;
    while (at < declaration.size() && (declaration[at] == ' ' || declaration[at] == '\t' ||
                                       declaration[at] == '\r' || declaration[at] == '\n'))
        ++at;
    if (at >= declaration.size() || (declaration[at] != '"' && declaration[at] != '\''))
        return {};
    const char quote = declaration[at];
    const qsizetype close = declaration.indexOf(quote, at + 1);
    if (close < 0)
        return {};
    return declaration.mid(at + 1, close - at - 1).toLower();
}

// Windows configurations are often written in a code page such as
// windows-1252, which the parser does not know (it reads UTF-8, UTF-16,
// UTF-32 and Latin-1 by itself). Such a file is turned into UTF-8 first, so
// its accented texts arrive as written. Answers whether it did so.
bool transcodeToUtf8(QByteArray &bytes)
{
    const QByteArray name = declaredEncoding(bytes);
    static const char *const known[] = {"utf-8",    "utf8",       "utf-16",     "utf-16le",
                                        "utf-16be", "utf-32",     "iso-8859-1", "latin1",
                                        "latin-1",  "iso_8859-1", "us-ascii",   "ascii"};
    if (name.isEmpty() || std::find(std::begin(known), std::end(known), name) != std::end(known))
        return false;
    QStringDecoder decoder(name.constData());
    if (!decoder.isValid())
        return false;
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return false;
    bytes = text.toUtf8();
    return true;
}

} // namespace

QString Node::name() const
{
    return isNull() ? QString() : toQ(pugi::xml_node(m_node).name());
}

std::optional<QString> Node::attribute(const QString &name) const
{
    if (isNull())
        return std::nullopt;
    const pugi::xml_attribute a = pugi::xml_node(m_node).attribute(name.toUtf8().constData());
    if (!a)
        return std::nullopt;
    return toQ(a.value());
}

QString Node::text() const
{
    if (isNull())
        return {};
    std::string out;
    appendText(pugi::xml_node(m_node), out);
    return QString::fromStdString(out);
}

QString Node::xml() const
{
    if (isNull())
        return {};
    std::ostringstream os;
    pugi::xml_node(m_node).print(os, "", pugi::format_raw);
    return QString::fromStdString(os.str());
}

QList<Node> Node::children(const QString &name) const
{
    QList<Node> out;
    if (isNull())
        return out;
    const QByteArray n = name.toUtf8();
    for (pugi::xml_node c : pugi::xml_node(m_node).children(n.constData()))
        out.append(Node(c.internal_object(), m_doc));
    return out;
}

QList<Node> Node::elements() const
{
    QList<Node> out;
    if (isNull())
        return out;
    for (pugi::xml_node c : pugi::xml_node(m_node).children())
        if (c.type() == pugi::node_element)
            out.append(Node(c.internal_object(), m_doc));
    return out;
}

QList<Node> Node::descendants(const QString &name) const
{
    QList<Node> out;
    if (isNull())
        return out;
    const std::string n = name.toStdString();
    walk(pugi::xml_node(m_node), [&](pugi::xml_node e) {
        if (n == e.name())
            out.append(Node(e.internal_object(), m_doc));
        return true;
    });
    return out;
}

Node Node::parent() const
{
    if (isNull())
        return {};
    const pugi::xml_node p = pugi::xml_node(m_node).parent();
    if (p.type() != pugi::node_element)
        return {};
    return Node(p.internal_object(), m_doc);
}

QList<std::pair<QString, QString>> Node::attributes() const
{
    QList<std::pair<QString, QString>> out;
    if (isNull())
        return out;
    for (pugi::xml_attribute a : pugi::xml_node(m_node).attributes())
        out.append({toQ(a.name()), toQ(a.value())});
    return out;
}

Node Node::firstChild(const QString &name) const
{
    if (isNull())
        return {};
    return Node(pugi::xml_node(m_node).child(name.toUtf8().constData()).internal_object(), m_doc);
}

int Node::line() const
{
    if (isNull() || !m_doc)
        return 0;
    return m_doc->lineOf(pugi::xml_node(m_node).offset_debug());
}

int Node::column() const
{
    if (isNull() || !m_doc)
        return 0;
    // The element's offset is that of its name, one byte after the "<".
    const std::ptrdiff_t name = pugi::xml_node(m_node).offset_debug();
    return name > 0 ? m_doc->columnOf(name - 1) : 0;
}

Document::Document() : m_doc(std::make_unique<pugi::xml_document>()) {}
Document::~Document() = default;

void Document::clear()
{
    ++m_generation;
    m_doc->reset();
    m_lineStarts.clear();
    m_asciiLines.clear();
    m_text.clear();
    m_error.clear();
    m_parseError = {};
}

bool Document::isEmpty() const
{
    return !m_doc->document_element();
}

int Document::lineOf(std::ptrdiff_t offset) const
{
    if (offset < 0 || m_lineStarts.empty())
        return 0;
    auto it = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), offset);
    return int(it - m_lineStarts.begin());
}

int Document::columnOf(std::ptrdiff_t offset) const
{
    const int line = lineOf(offset);
    if (line <= 0 || offset >= m_text.size())
        return 0;
    // Count characters, not bytes: UTF-8 continuation bytes add no column.
    // A line of ASCII alone (most are) needs no counting, which keeps a
    // configuration written on one long line from costing a pass over the
    // line for every element reported on it.
    if (m_asciiLines[size_t(line - 1)])
        return int(offset - m_lineStarts[size_t(line - 1)]) + 1;
    int column = 1;
    for (std::ptrdiff_t i = m_lineStarts[size_t(line - 1)]; i < offset; ++i)
        if ((uchar(m_text[qsizetype(i)]) & 0xC0) != 0x80)
            ++column;
    return column;
}

namespace {

// An element the scan found open, by where its "<" stands.
struct OpenTag {
    QByteArray name;
    std::ptrdiff_t at;
};

qsizetype nameEnd(const QByteArray &bytes, qsizetype from)
{
    qsizetype i = from;
    while (i < bytes.size() && !QByteArrayView(" \t\r\n/>").contains(bytes[i]))
        ++i;
    return i;
}

// The elements still open at `end`, outermost first, in a text the parser
// accepted up to there. Only tags are told apart (comments, CDATA sections,
// declarations and quoted attribute values are skipped whole): the parser has
// already found the text well-formed up to `end`, so nothing more is needed
// to tell which start tags have not been closed.
std::vector<OpenTag> openTagsBefore(const QByteArray &bytes, qsizetype end)
{
    std::vector<OpenTag> open;
    const auto skipPast = [&](qsizetype from, const char *closer) {
        const qsizetype at = bytes.indexOf(closer, from);
        return at < 0 ? end : at + qsizetype(std::strlen(closer));
    };
    qsizetype i = 0;
    while (i < end) {
        const qsizetype lt = bytes.indexOf('<', i);
        if (lt < 0 || lt >= end)
            break;
        const QByteArrayView rest = QByteArrayView(bytes).sliced(lt);
        if (rest.startsWith("<!--")) {
            i = skipPast(lt + 4, "-->");
        } else if (rest.startsWith("<![CDATA[")) {
            i = skipPast(lt + 9, "]]>");
        } else if (rest.startsWith("<?")) {
            i = skipPast(lt + 2, "?>");
        } else if (rest.startsWith("<!")) {
            i = skipPast(lt + 2, ">");
        } else if (rest.startsWith("</")) {
            if (!open.empty())
                open.pop_back();
            i = skipPast(lt + 2, ">");
        } else {
            const qsizetype nameStop = nameEnd(bytes, lt + 1);
            qsizetype j = nameStop;
            char quote = 0;
            while (j < end && (quote || bytes[j] != '>')) {
                if (quote && bytes[j] == quote)
                    quote = 0;
                else if (!quote && (bytes[j] == '"' || bytes[j] == '\''))
                    quote = bytes[j];
                ++j;
            }
            if (j >= end || bytes[j - 1] != '/')
                open.push_back({bytes.mid(lt + 1, nameStop - lt - 1), lt});
            i = j + 1;
        }
    }
    return open;
}

// The parser's reasons, in the words of someone editing the file.
QString plainReason(pugi::xml_parse_status status)
{
    switch (status) {
    case pugi::status_unrecognized_tag:
        return QStringLiteral("a \"<\" that starts no tag (write &lt; for a less-than sign "
                              "in a text)");
    case pugi::status_bad_pi:
        return QStringLiteral("the <?...?> declaration is not closed or not well-formed");
    case pugi::status_bad_comment:
        return QStringLiteral("a comment that is not closed with -->");
    case pugi::status_bad_cdata:
        return QStringLiteral("a <![CDATA[ section that is not closed with ]]>");
    case pugi::status_bad_doctype:
        return QStringLiteral("the <!DOCTYPE ...> is not well-formed");
    case pugi::status_bad_pcdata:
        return QStringLiteral("the text here cannot be read");
    case pugi::status_bad_start_element:
        return QStringLiteral("the start tag is not well-formed: after the name come "
                              "attributes written name=\"value\", then > or />");
    case pugi::status_bad_attribute:
        return QStringLiteral("an attribute is not well-formed: write name=\"value\" with the "
                              "value in quotes (a quote inside is &quot;, a < is &lt;, "
                              "an & is &amp;)");
    case pugi::status_bad_end_element:
        return QStringLiteral("the end tag is not well-formed: write </name>");
    case pugi::status_append_invalid_root:
        return QStringLiteral("this cannot stand outside the root element");
    case pugi::status_no_document_element:
        return QStringLiteral("there is no element: the configuration is one <register> "
                              "element holding all the others");
    default: {
        pugi::xml_parse_result result;
        result.status = status;
        return QString::fromUtf8(result.description());
    }
    }
}

} // namespace

ParseError Document::describeFailure(int status, std::ptrdiff_t offset) const
{
    const QByteArray &bytes = m_text;
    const auto at = [&](std::ptrdiff_t where, QString element, QString what) {
        where = std::clamp<std::ptrdiff_t>(where, 0, std::max<std::ptrdiff_t>(bytes.size() - 1, 0));
        return ParseError{lineOf(where), columnOf(where), std::move(element), std::move(what)};
    };
    if (status == pugi::status_bad_start_element || status == pugi::status_bad_attribute) {
        // Named by the tag the parser was reading.
        const qsizetype lt = offset > 0 ? bytes.lastIndexOf('<', offset - 1) : -1;
        const QString element = lt < 0 ? QString()
                                       : QStringLiteral("<%1>").arg(QString::fromUtf8(
                                             bytes.mid(lt + 1, nameEnd(bytes, lt + 1) - lt - 1)));
        return at(offset, element, plainReason(pugi::xml_parse_status(status)));
    }
    // The parser notices a stray "<" one byte after it; a text without an
    // element at its end.
    if (status == pugi::status_unrecognized_tag)
        return at(offset - 1, QString(), plainReason(pugi::status_unrecognized_tag));
    if (status == pugi::status_no_document_element)
        return at(0, QString(), plainReason(pugi::status_no_document_element));
    if (status != pugi::status_end_element_mismatch)
        return at(offset, QString(), plainReason(pugi::xml_parse_status(status)));

    // The parser stops either at an end tag that does not match the element
    // open there (its offset is the end tag's name) or at the end of the text.
    const bool atEndTag = offset >= 2 && offset <= bytes.size() &&
                          QByteArrayView(bytes).sliced(offset - 2).startsWith("</");
    const std::vector<OpenTag> open = openTagsBefore(bytes, atEndTag ? offset - 2 : bytes.size());
    const auto tag = [&](const QByteArray &name) {
        return QStringLiteral("<%1>").arg(QString::fromUtf8(name));
    };
    if (!atEndTag) {
        if (open.empty())
            return at(offset, QString(), QStringLiteral("the text ends inside a tag"));
        // Of the elements never closed, the innermost is where the end tag
        // was forgotten; the ones around it wait for that one.
        const OpenTag &last = open.back();
        return at(last.at, tag(last.name),
                  QStringLiteral("no </%1> closes it before the end of the file")
                      .arg(QString::fromUtf8(last.name)));
    }
    const QByteArray closer = bytes.mid(offset, nameEnd(bytes, offset) - offset);
    const QString closerText = QStringLiteral("</%1>").arg(QString::fromUtf8(closer));
    const QString closerLine = QString::number(lineOf(offset));
    // An end tag that closes an element further out leaves every element
    // inside that one open: the innermost of them lacks its end tag.
    for (auto it = open.rbegin(); it != open.rend(); ++it) {
        if (it->name != closer || it == open.rbegin())
            continue;
        const OpenTag &left = open.back();
        return at(left.at, tag(left.name),
                  QStringLiteral("no </%1> closes it before %2 on line %3")
                      .arg(QString::fromUtf8(left.name), closerText, closerLine));
    }
    // An end tag that matches nothing open is itself the mistake.
    if (open.empty())
        return at(offset - 2, closerText, QStringLiteral("this end tag closes nothing"));
    return at(offset - 2, closerText,
              QStringLiteral("this end tag closes nothing: the element open here is %1 from "
                             "line %2")
                  .arg(tag(open.back().name))
                  .arg(lineOf(open.back().at)));
}

void Document::noteFailure(const QString &where, int status, std::ptrdiff_t offset)
{
    m_parseError = describeFailure(status, offset);
    QString text = where;
    if (m_parseError.line > 0)
        text += QStringLiteral(":%1:%2").arg(m_parseError.line).arg(m_parseError.column);
    text += QStringLiteral(": ");
    if (!m_parseError.element.isEmpty())
        text += m_parseError.element + QStringLiteral(": ");
    m_error = text + m_parseError.what;
}

void Document::indexLines(const QByteArray &bytes)
{
    m_text = bytes;
    m_lineStarts.assign(1, 0);
    m_asciiLines.assign(1, true);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            m_lineStarts.push_back(i + 1);
            m_asciiLines.push_back(true);
        } else if (uchar(bytes[i]) >= 0x80) {
            m_asciiLines.back() = false;
        }
    }
}

std::optional<QString> readConfigurationFile(const QString &path, QByteArray &bytes)
{
    const auto systemError = [] { return QString::fromLocal8Bit(std::strerror(errno)); };
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return systemError();
    const auto closing = qScopeGuard([fd] { ::close(fd); });
    struct stat info = {};
    if (::fstat(fd, &info) != 0)
        return systemError();
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("is a folder, not a file");
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("is not a regular file");
    if (info.st_size > Document::kMaxFileBytes)
        return QStringLiteral("is %1 bytes long, more than the %2 a configuration may have")
            .arg(info.st_size)
            .arg(Document::kMaxFileBytes);
    // The file may still grow while it is read: one byte beyond the limit is
    // enough to tell.
    bytes.resize(qsizetype(info.st_size) + 1);
    qsizetype filled = 0;
    while (filled < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return systemError();
        if (n == 0)
            break;
        filled += n;
        if (filled == bytes.size() && bytes.size() <= Document::kMaxFileBytes)
            bytes.resize(std::min<qsizetype>(bytes.size() * 2, Document::kMaxFileBytes + 1));
    }
    if (filled > Document::kMaxFileBytes)
        return QStringLiteral("is more than the %1 bytes a configuration may have")
            .arg(Document::kMaxFileBytes);
    bytes.truncate(filled);
    return std::nullopt;
}

bool Document::load(const QString &path)
{
    clear();
    QByteArray bytes;
    if (const std::optional<QString> why = readConfigurationFile(path, bytes)) {
        m_error = QStringLiteral("%1: %2").arg(path, *why);
        return false;
    }
    const bool transcoded = transcodeToUtf8(bytes);
    indexLines(bytes);
    const pugi::xml_parse_result r =
        m_doc->load_buffer(bytes.constData(), size_t(bytes.size()), kParseOptions,
                           transcoded ? pugi::encoding_utf8 : pugi::encoding_auto);
    if (!r || !m_doc->document_element()) {
        noteFailure(path, r ? int(pugi::status_no_document_element) : int(r.status),
                    r ? 0 : r.offset);
        m_doc->reset();
        return false;
    }
    return true;
}

bool Document::loadXml(const QString &markup)
{
    clear();
    const QByteArray bytes = markup.toUtf8();
    indexLines(bytes);
    const pugi::xml_parse_result r = m_doc->load_buffer(bytes.constData(), size_t(bytes.size()),
                                                        kParseOptions, pugi::encoding_utf8);
    if (!r) {
        noteFailure(QStringLiteral("markup"), int(r.status), r.offset);
        m_doc->reset();
        return false;
    }
    return true;
}

Node Document::documentElement() const
{
    return Node(m_doc->document_element().internal_object(), this);
}

Node Document::selectSingleNode(const QString &path) const
{
    const Path p = parsePath(path);
    if (!p.valid)
        return {};
    pugi::xml_node found;
    walk(*m_doc, [&](pugi::xml_node n) {
        if (matches(n, p)) {
            found = n;
            return false;
        }
        return true;
    });
    return Node(found.internal_object(), this);
}

QList<Node> Document::selectNodes(const QString &path) const
{
    QList<Node> out;
    const Path p = parsePath(path);
    if (!p.valid)
        return out;
    walk(*m_doc, [&](pugi::xml_node n) {
        if (matches(n, p))
            out.append(Node(n.internal_object(), this));
        return true;
    });
    return out;
}

} // namespace xml
