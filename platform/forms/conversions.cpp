#include "platform/forms/conversions.h"

#include <QLocale>

#include <cmath>

namespace forms {

namespace {

std::optional<double> toDecimal(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    // Only plain decimal notation: digits, one point, an optional sign.
    // (The C locale would also take "1e3", "inf" and "nan".)
    int digits = 0;
    int points = 0;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c.isDigit() && c.unicode() < 128)
            ++digits;
        else if (c == u'.')
            ++points;
        else if ((c == u'-' || c == u'+') && i == 0)
            continue;
        else
            return std::nullopt;
    }
    if (digits == 0 || points > 1)
        return std::nullopt;
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

} // namespace

QString trimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.mid(begin, end - begin);
}

bool isNumeric(QStringView text)
{
    return toDecimal(text).has_value();
}

std::optional<std::int16_t> toInt16(QStringView text)
{
    const std::optional<double> v = toDecimal(text);
    if (!v)
        return std::nullopt;
    // std::nearbyint rounds ties to even under the default rounding mode.
    const double r = std::nearbyint(*v);
    if (r < -32768.0 || r > 32767.0)
        return std::nullopt;
    return static_cast<std::int16_t>(r);
}

std::optional<std::uint32_t> bgrFromHex(QStringView text)
{
    const QStringView t = text.trimmed();
    // Up to eight digits make a number; leading zeros are allowed, but a
    // number beyond 0xFFFFFF is no colour.
    if (t.isEmpty() || t.size() > 8)
        return std::nullopt;
    std::uint32_t v = 0;
    for (QChar c : t) {
        const char16_t u = c.unicode();
        int d;
        if (u >= u'0' && u <= u'9')
            d = u - u'0';
        else if (u >= u'a' && u <= u'f')
            d = u - u'a' + 10;
        else if (u >= u'A' && u <= u'F')
            d = u - u'A' + 10;
        else
            return std::nullopt;
        v = v * 16 + static_cast<std::uint32_t>(d);
    }
    if (v > 0xFFFFFFu)
        return std::nullopt;
    return v;
}

} // namespace forms
