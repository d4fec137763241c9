#include "platform/xml/encoding_check.h"

#include <QStringDecoder>

namespace xml {

namespace {

// The encoding named in the XML declaration, as written; empty when none.
QString declaredEncoding(const QByteArray &bytes)
{
    if (!bytes.startsWith("<?xml"))
        return {};
    const QByteArray declaration = bytes.left(bytes.indexOf("?>"));
    const qsizetype key = declaration.indexOf("encoding");
    if (key < 0)
        return {};
    qsizetype open = declaration.indexOf('=', key) + 1;
    while (open > 0 && open < declaration.size() &&
           QByteArrayView(" \t\r\n").contains(declaration[open]))
        ++open;
    if (open <= 0 || open >= declaration.size() ||
        (declaration[open] != '"' && declaration[open] != '\''))
        return {};
    const qsizetype close = declaration.indexOf(declaration[open], open + 1);
    if (close < 0)
        return {};
    return QString::fromLatin1(declaration.mid(open + 1, close - open - 1));
}

// Encodings of one byte per character, in which UTF-8's two-byte sequences
// read as two characters each.
bool isSingleByte(const QString &name)
{
    const QString n = name.toLower();
    return n.startsWith(QLatin1String("iso-8859")) || n.startsWith(QLatin1String("iso8859")) ||
           n.startsWith(QLatin1String("latin")) || n.startsWith(QLatin1String("windows-125")) ||
           n.startsWith(QLatin1String("cp125"));
}

bool isUtf8Name(const QString &name)
{
    const QString n = name.toLower();
    return n == QLatin1String("utf-8") || n == QLatin1String("utf8");
}

// Length of the well-formed UTF-8 sequence at i, 0 when there is none.
int utf8SequenceAt(const QByteArray &bytes, qsizetype i)
{
    const uchar lead = uchar(bytes[i]);
    const int length = lead < 0x80           ? 1
                       : (lead >> 5) == 0x6  ? 2
                       : (lead >> 4) == 0xE  ? 3
                       : (lead >> 3) == 0x1E ? 4
                                             : 0;
    if (length == 0 || i + length > bytes.size())
        return 0;
    for (int k = 1; k < length; ++k)
        if ((uchar(bytes[i + k]) & 0xC0) != 0x80)
            return 0;
    // Overlong forms of ASCII are no text an editor writes.
    if (length == 2 && lead < 0xC2)
        return 0;
    return length;
}

// The word around a place: the bytes up to the nearest blank, quote or tag
// mark on either side, at most 40 bytes.
QByteArray wordAround(const QByteArray &bytes, qsizetype at)
{
    const auto stop = [](char c) { return QByteArrayView(" \t\r\n<>\"'=`|").contains(c); };
    qsizetype from = at;
    while (from > 0 && at - from < 20 && !stop(bytes[from - 1]))
        --from;
    qsizetype to = at;
    while (to < bytes.size() && to - at < 20 && !stop(bytes[to]))
        ++to;
    return bytes.mid(from, to - from);
}

std::pair<int, int> placeOf(const QByteArray &bytes, qsizetype at)
{
    const qsizetype lineStart = bytes.lastIndexOf('\n', at - 1) + 1;
    int line = 1;
    for (qsizetype i = 0; i < lineStart; ++i)
        line += bytes[i] == '\n';
    // The bytes before `at` are well-formed in the encoding that counts here:
    // UTF-8 continuation bytes add no column.
    int column = 1;
    for (qsizetype i = lineStart; i < at; ++i)
        column += (uchar(bytes[i]) & 0xC0) != 0x80;
    return {line, column};
}

QString decoded(const QByteArray &word, const char *encoding)
{
    QStringDecoder decoder(encoding);
    return decoder.isValid() ? decoder.decode(word) : QString::fromLatin1(word);
}

} // namespace

std::optional<EncodingMismatch> findEncodingMismatch(const QByteArray &bytes)
{
    // A byte-order mark says what the text is, whatever is declared.
    if (bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") ||
        bytes.startsWith("\xFE\xFF"))
        return std::nullopt;
    const QString declared = declaredEncoding(bytes);
    const bool readAsUtf8 = declared.isEmpty() || isUtf8Name(declared);
    if (!readAsUtf8 && !isSingleByte(declared))
        return std::nullopt;

    qsizetype firstMultiByte = -1;
    for (qsizetype i = 0; i < bytes.size();) {
        const int length = utf8SequenceAt(bytes, i);
        if (length == 0) {
            if (!readAsUtf8)
                return std::nullopt; // not UTF-8 either: the declaration may well be right
            const QByteArray word = wordAround(bytes, i);
            const auto [line, column] = placeOf(bytes, i);
            EncodingMismatch m;
            m.line = line;
            m.column = column;
            m.declared = declared;
            m.what = QStringLiteral("the bytes are not UTF-8 (\"%1\" if they are Windows-1252), "
                                    "and %2")
                         .arg(decoded(word, "windows-1252"),
                              declared.isEmpty()
                                  ? QStringLiteral("no encoding is declared")
                                  : QStringLiteral("the declaration says %1").arg(declared));
            m.shown = QString::fromUtf8(word);
            return m;
        }
        if (length > 1 && firstMultiByte < 0)
            firstMultiByte = i;
        i += length;
    }
    if (readAsUtf8 || firstMultiByte < 0)
        return std::nullopt;
    const QByteArray word = wordAround(bytes, firstMultiByte);
    const auto [line, column] = placeOf(bytes, firstMultiByte);
    EncodingMismatch m;
    m.kind = EncodingMismatch::Utf8UnderOtherName;
    m.line = line;
    m.column = column;
    m.declared = declared;
    m.what = QStringLiteral("the text is UTF-8 (\"%1\") but the declaration says %2")
                 .arg(QString::fromUtf8(word), declared);
    m.shown = decoded(word, declared.toLatin1().constData());
    return m;
}

} // namespace xml
