#pragma once

// The configuration document: load a file or markup, select nodes with the two
// path forms the configuration uses ("//name" and "//parent/child"), read
// attributes, text and markup. A path that matches nothing gives nothing or an
// empty list, never an error. pugixml stays behind this header.

#include <QByteArray>
#include <QHashFunctions>
#include <QList>
#include <QString>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace pugi {
class xml_document;
class xml_node;
struct xml_node_struct;
} // namespace pugi

namespace xml {

class Node {
  public:
    Node() = default;

    bool isNull() const { return m_node == nullptr; }
    explicit operator bool() const { return !isNull(); }

    QString name() const;
    // The attribute's value, or nothing when the element has no such attribute.
    std::optional<QString> attribute(const QString &name) const;
    // Concatenated character data of the element and all its descendants.
    QString text() const;
    // Markup of the element and its subtree; loads back with Document::loadXml.
    QString xml() const;
    // Child elements named `name`, in document order.
    QList<Node> children(const QString &name) const;
    Node firstChild(const QString &name) const;
    // Every child element, in document order.
    QList<Node> elements() const;
    // Elements named `name` anywhere below this one, in document order.
    QList<Node> descendants(const QString &name) const;
    // The enclosing element; nothing for the root element.
    Node parent() const;
    // Names and values of the attributes, in the order written.
    QList<std::pair<QString, QString>> attributes() const;
    bool belongsTo(const class Document &doc) const { return m_doc == &doc; }
    friend bool operator==(const Node &a, const Node &b) { return a.m_node == b.m_node; }
    // Nodes as keys: equal nodes are the same element of the same content.
    friend size_t qHash(const Node &node, size_t seed = 0) noexcept
    {
        return ::qHash(static_cast<const void *>(node.m_node), seed);
    }
    // 1-based line of the element in the loaded text (0 when unknown).
    int line() const;
    // 1-based column of the element's "<" on that line, in characters (0 when
    // unknown), so that a problem can point an editor at the element itself.
    int column() const;

  private:
    friend class Document;
    Node(pugi::xml_node_struct *node, const class Document *doc) : m_node(node), m_doc(doc) {}
    pugi::xml_node_struct *m_node = nullptr;
    const Document *m_doc = nullptr;
};

// Reads a configuration file whole into bytes; the reason when it cannot.
// Only a regular file of at most Document::kMaxFileBytes is read: a link to
// /dev/zero would read until memory runs out, and a FIFO would block before
// any window. The file is opened without waiting (a FIFO with no writer would
// block open() itself) and judged by what was opened, not by its name, so
// nothing can be swapped in between.
std::optional<QString> readConfigurationFile(const QString &path, QByteArray &bytes);

// Where and why a text is not well-formed XML: the element left open when a
// missing end tag is the cause (so the report points at the element to mend,
// not at the end tag, often far below, where the parser noticed), else the
// place the parser stopped.
struct ParseError {
    int line = 0;    // 1-based
    int column = 0;  // 1-based, in characters
    QString element; // "<page>", "</language>", or empty
    QString what;    // the reason, in plain words
};

class Document {
  public:
    Document();
    ~Document();
    Document(const Document &) = delete;
    Document &operator=(const Document &) = delete;

    // No configuration comes near this size; anything larger is refused unread.
    static constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

    // Parses the file; false when it is missing, not a regular file, larger
    // than kMaxFileBytes or not well-formed (the document is then empty and
    // errorString() says why, as "PATH:LINE:COLUMN: ..." when it does not parse).
    bool load(const QString &path);
    // Replaces the content with the parsed markup; false when it does not parse
    // (the document is then empty).
    bool loadXml(const QString &markup);
    void clear();

    QString errorString() const { return m_error; }
    // Of the last failed parse; line 0 when the text could not be read at all.
    const ParseError &parseError() const { return m_parseError; }
    // Counts the times the content was replaced or cleared: a Node kept from
    // an earlier content points into freed memory, and whoever keeps Nodes
    // for later compares this first.
    quint64 generation() const { return m_generation; }
    bool isEmpty() const;
    Node documentElement() const;

    // "//name" or "//parent/child": the first match in document order.
    Node selectSingleNode(const QString &path) const;
    // All matches in document order.
    QList<Node> selectNodes(const QString &path) const;

    // The text parsed (as UTF-8, after a declared code page was converted).
    const QByteArray &text() const { return m_text; }

    int lineOf(std::ptrdiff_t offset) const;
    // 1-based column, in characters, of the byte at `offset` (0 when unknown).
    int columnOf(std::ptrdiff_t offset) const;

  private:
    // Where each line of the parsed text begins, for reporting lines.
    void indexLines(const QByteArray &bytes);
    ParseError describeFailure(int status, std::ptrdiff_t offset) const;
    void noteFailure(const QString &where, int status, std::ptrdiff_t offset);

    std::unique_ptr<pugi::xml_document> m_doc;
    QString m_error;
    ParseError m_parseError;
    quint64 m_generation = 0;
    std::vector<std::ptrdiff_t> m_lineStarts; // byte offsets where lines begin
    std::vector<bool> m_asciiLines;           // per line: no byte from 0x80 up
    QByteArray m_text;                        // the parsed UTF-8 text, for columns
};

} // namespace xml
