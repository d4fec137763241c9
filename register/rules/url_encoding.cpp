#include "register/rules/url_encoding.h"

#include <QByteArray>

#include <array>
#include <cstdint>

namespace {

constexpr QStringView structureCharacters = u".?/:=&";

// Code points of the Windows-1252 bytes 0x80..0x9F. Zero marks the five
// positions the code page leaves undefined; their code points (U+0081 and so
// on) are not Windows-1252 characters and go out as UTF-8.
constexpr std::array<char16_t, 32> cp1252High{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// The Windows-1252 byte of a code point, or -1 when the code page lacks it.
int cp1252Byte(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return int(codePoint);
    for (std::size_t i = 0; i < cp1252High.size(); ++i) {
        if (cp1252High[i] != 0 && cp1252High[i] == codePoint)
            return int(0x80 + i);
    }
    return -1;
}

void appendEscape(QString &out, std::uint8_t byte)
{
    static constexpr char16_t hex[] = u"0123456789ABCDEF";
    out.append(u'%');
    out.append(QChar(hex[byte >> 4]));
    out.append(QChar(hex[byte & 0x0F]));
}

bool isPlainAscii(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9');
}

} // namespace

QString encodeValue(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (structureCharacters.contains(c))
            appendEscape(out, std::uint8_t(c.unicode()));
        else
            out.append(c);
    }
    return out;
}

QString encodeUrl(QStringView text)
{
    QString out;
    out.reserve(text.size() * 3);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (isPlainAscii(c) || structureCharacters.contains(c)) {
            out.append(c);
            continue;
        }
        char32_t codePoint = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            codePoint = QChar::surrogateToUcs4(c, text[i + 1]);
            ++i;
        } else if (c.isSurrogate()) {
            // A lone half of a pair is no character; send the replacement
            // character rather than bytes no decoder would accept.
            codePoint = QChar::ReplacementCharacter;
        }
        if (const int byte = cp1252Byte(codePoint); byte >= 0) {
            appendEscape(out, std::uint8_t(byte));
            continue;
        }
        const QByteArray utf8 = QString::fromUcs4(&codePoint, 1).toUtf8();
        for (char b : utf8)
            appendEscape(out, std::uint8_t(b));
    }
    return out;
}
