#include "register/core/control_names.h"

namespace names {

namespace {

const QLatin1String kObjectPrefix{"page"};
const QLatin1String kGroupFramePrefix{"frm_"};
const QLatin1String kOption{"opt"};

QLatin1String suffixOf(Holder holder)
{
    return holder == Holder::Pattern ? QLatin1String("patten") : QLatin1String("optional");
}

} // namespace

QString objectName(int page, QLatin1String code, const QString &id)
{
    return QString(kObjectPrefix) + u'_' + QString::number(page) + u'_' + code + u'_' + id;
}

QString holderName(const QString &field, Holder holder)
{
    return field + u'_' + suffixOf(holder);
}

QString optionName(const QString &object, int k)
{
    return object + kOption + QString::number(k);
}

QString idBeforeOption(const QString &id)
{
    const qsizetype at = id.indexOf(kOption);
    return at < 0 ? id : id.left(at);
}

QString datePartName(const QString &object, QStringView part)
{
    return object + part.toString();
}

QString dateSeparatorName(const QString &object, QStringView part)
{
    return object + code::label + part.toString();
}

QString groupFrameName(const QString &object)
{
    return QString(kGroupFramePrefix) + object;
}

} // namespace names
