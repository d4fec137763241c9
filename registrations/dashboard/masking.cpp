#include "registrations/dashboard/masking.h"

namespace registrations::dashboard {

namespace {

// The first character as the reader sees it: a surrogate pair stays whole.
QString firstLetter(const QString &text)
{
    if (text.isEmpty())
        return {};
    const int length = text.front().isHighSurrogate() && text.size() > 1 ? 2 : 1;
    return text.left(length);
}

} // namespace

QString maskEmail(const QString &address)
{
    const QString trimmed = address.trimmed();
    if (trimmed.isEmpty())
        return {};
    const qsizetype at = trimmed.lastIndexOf(u'@');
    if (at <= 0)
        return firstLetter(trimmed) + QChar(0x2026);
    return firstLetter(trimmed) + QChar(0x2026) + trimmed.mid(at);
}

QString maskName(const QString &name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return {};
    return firstLetter(trimmed) + u'.';
}

} // namespace registrations::dashboard
