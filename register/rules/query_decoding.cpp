#include "register/rules/query_decoding.h"

#include <array>

namespace registration {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Windows-1252 differs from Latin-1 only in 0x80 to 0x9F; its five unassigned
// codes there keep their C1 control code points, as most decoders do.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t windows1252(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return kWindows1252High[byte - 0x80];
    return byte;
}

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 sequence at bytes[i] (RFC 3629: no overlong
// forms, no surrogates, nothing above U+10FFFF), or 0 when there is none.
qsizetype utf8SequenceLength(QByteArrayView bytes, qsizetype i)
{
    const auto at = [&](qsizetype k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = at(i);
    qsizetype length = 0;
    unsigned char secondMin = 0x80;
    unsigned char secondMax = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            secondMin = 0xA0;
        else if (lead == 0xED)
            secondMax = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            secondMin = 0x90;
        else if (lead == 0xF4)
            secondMax = 0x8F;
    } else {
        return 0;
    }
    if (i + length > bytes.size())
        return 0;
    if (at(i + 1) < secondMin || at(i + 1) > secondMax)
        return 0;
    for (qsizetype k = 2; k < length; ++k) {
        if (!isContinuation(at(i + k)))
            return 0;
    }
    return length;
}

QString hex(uint value, int digits)
{
    return QString::number(value, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
}

} // namespace

QByteArray percentDecode(QByteArrayView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
            hexValue(text[i + 2]) >= 0) {
            bytes += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

QString bytesToText(QByteArrayView bytes)
{
    // Each byte gives at most one UTF-16 unit (a four-byte sequence gives
    // two), so the text is written into room for as many units as bytes.
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    char16_t *const start = out;
    const auto at = [&](qsizetype k) { return char32_t(static_cast<unsigned char>(bytes[k])); };
    for (qsizetype i = 0; i < bytes.size();) {
        const char32_t byte = at(i);
        if (byte < 0x80) {
            *out++ = char16_t(byte);
            ++i;
            continue;
        }
        const qsizetype length = utf8SequenceLength(bytes, i);
        if (length == 0) {
            *out++ = windows1252(static_cast<unsigned char>(byte));
            ++i;
            continue;
        }
        char32_t code = length == 2 ? byte & 0x1F : length == 3 ? byte & 0x0F : byte & 0x07;
        for (qsizetype k = 1; k < length; ++k)
            code = (code << 6) | (at(i + k) & 0x3F);
        if (QChar::requiresSurrogates(code)) {
            *out++ = QChar::highSurrogate(code);
            *out++ = QChar::lowSurrogate(code);
        } else {
            *out++ = char16_t(code);
        }
        i += length;
    }
    text.truncate(out - start);
    return text;
}

QString decodeValueEscapes(QStringView text)
{
    if (!text.contains(u'%'))
        return text.toString();
    static constexpr struct {
        char16_t high;
        char16_t low;
        char16_t character;
    } kEscapes[] = {{u'2', u'E', u'.'}, {u'3', u'F', u'?'}, {u'2', u'F', u'/'},
                    {u'3', u'A', u':'}, {u'3', u'D', u'='}, {u'2', u'6', u'&'}};
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'%' && i + 2 < text.size()) {
            const QChar high = text[i + 1];
            const QChar low = text[i + 2].toUpper();
            bool matched = false;
            for (const auto &escape : kEscapes) {
                if (high == escape.high && low == escape.low) {
                    result += QChar(escape.character);
                    i += 2;
                    matched = true;
                    break;
                }
            }
            if (matched)
                continue;
        }
        result += text[i];
    }
    return result;
}

QString decodeValueEscapes(const QString &text)
{
    return text.contains(u'%') ? decodeValueEscapes(QStringView(text)) : text;
}

QList<Field> decodeQuery(QByteArrayView rawQuery)
{
    const QString query = bytesToText(percentDecode(rawQuery));
    QList<Field> fields;
    fields.reserve(16);
    for (const QStringView piece : QStringView(query).tokenize(u'&', Qt::SkipEmptyParts)) {
        const qsizetype equals = piece.indexOf(u'=');
        if (equals < 0)
            fields.append({piece.toString(), QString()});
        else
            fields.append(
                {piece.first(equals).toString(), decodeValueEscapes(piece.sliced(equals + 1))});
    }
    return fields;
}

QString decodeAnswerEscapes(QStringView text)
{
    if (!text.contains(u'%'))
        return text.toString();
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'%' && i + 2 < text.size()) {
            const QChar high = text[i + 1];
            const QChar low = text[i + 2].toUpper();
            if (high == u'7' && low == u'C') {
                result += u'|';
                i += 2;
                continue;
            }
            if (high == u'6' && low == u'0') {
                result += u'`';
                i += 2;
                continue;
            }
        }
        result += text[i];
    }
    return result;
}

QString decodeAnswerEscapes(const QString &text)
{
    return text.contains(u'%') ? decodeAnswerEscapes(QStringView(text)) : text;
}

QList<Answer> splitAnswers(const QString &answers)
{
    QList<Answer> result;
    if (answers.isEmpty())
        return result;
    for (const QStringView entry : QStringView(answers).tokenize(u'|')) {
        const qsizetype accent = entry.indexOf(u'`');
        if (accent < 0)
            result.append({QString(), decodeAnswerEscapes(entry)});
        else
            result.append({decodeAnswerEscapes(entry.first(accent)),
                           decodeAnswerEscapes(entry.sliced(accent + 1))});
    }
    return result;
}

QString printable(const QString &text)
{
    // Besides the control characters: the line and paragraph separators,
    // which some terminals and editors break lines at, and the marks that
    // reorder the text around them (U+202E shows what follows backwards), so
    // that a value can neither start a line of its own nor disguise one.
    const auto escaped = [](QChar c) {
        const char16_t u = c.unicode();
        return c.category() == QChar::Other_Control || u == 0x2028 || u == 0x2029 || u == 0x061C ||
               u == 0x200E || u == 0x200F || (u >= 0x202A && u <= 0x202E) ||
               (u >= 0x2066 && u <= 0x2069);
    };
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (!escaped(c)) {
            result += c;
        } else if (c.unicode() <= 0xFF) {
            result += QLatin1String("\\x") + hex(c.unicode(), 2);
        } else {
            result += QLatin1String("\\u") + hex(c.unicode(), 4);
        }
    }
    return result;
}

QString printableBytes(QByteArrayView bytes)
{
    QString result;
    result.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F)
            result += QChar(byte);
        else
            result += QLatin1String("\\x") + hex(byte, 2);
    }
    return result;
}

QStringList describeRegistration(int number, QByteArrayView requestTarget)
{
    QStringList lines{QStringLiteral("--- registration #%1").arg(number)};
    const qsizetype question = requestTarget.indexOf('?');
    const QByteArrayView rawQuery =
        question < 0 ? QByteArrayView() : requestTarget.sliced(question + 1);
    for (const Field &field : decodeQuery(rawQuery)) {
        if (field.key == QLatin1String("ans")) {
            for (const Answer &answer : splitAnswers(field.value)) {
                lines += answer.id.isEmpty()
                             ? QStringLiteral("answer: %1").arg(printable(answer.value))
                             : QStringLiteral("answer %1: %2")
                                   .arg(printable(answer.id), printable(answer.value));
            }
        } else {
            lines += QStringLiteral("%1: %2").arg(printable(field.key), printable(field.value));
        }
    }
    lines += QStringLiteral("request: %1").arg(printableBytes(requestTarget));
    return lines;
}

} // namespace registration
