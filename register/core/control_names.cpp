#include "register/core/control_names.h"

#include <QStringList>

namespace names {

namespace {

const QLatin1String kObjectPrefix{"page"};
const QLatin1String kGroupFramePrefix{"frm_"};
const QLatin1String kOption{"opt"};

QLatin1String suffixOf(Holder holder)
{
    return holder == Holder::Pattern ? QLatin1String("patten") : QLatin1String("optional");
}

std::optional<Holder> holderOf(const QString &suffix)
{
    if (suffix == suffixOf(Holder::Pattern))
        return Holder::Pattern;
    if (suffix == suffixOf(Holder::Optional))
        return Holder::Optional;
    return std::nullopt;
}

} // namespace

QString objectName(int page, QLatin1String code, const QString &id)
{
    return QString(kObjectPrefix) + u'_' + QString::number(page) + u'_' + code + u'_' + id;
}

std::optional<ObjectName> parseObjectName(const QString &name)
{
    const QStringList parts = name.split(u'_');
    if (parts.size() != 4 || parts[0] != kObjectPrefix)
        return std::nullopt;
    return ObjectName{parts[1], parts[2], parts[3]};
}

QString objectIdField(const QString &name)
{
    const QStringList parts = name.split(u'_');
    return parts.size() > 3 ? parts[3] : QString();
}

QString holderName(const QString &field, Holder holder)
{
    return field + u'_' + suffixOf(holder);
}

std::optional<HolderName> parseHolderName(const QString &name)
{
    const qsizetype cut = name.lastIndexOf(u'_');
    if (cut <= 0)
        return std::nullopt;
    const std::optional<Holder> holder = holderOf(name.mid(cut + 1));
    if (!holder)
        return std::nullopt;
    const QString field = name.left(cut);
    if (!field.contains(u'_'))
        return HolderName{field, *holder, std::nullopt};
    std::optional<ObjectName> object = parseObjectName(field);
    if (!object)
        return std::nullopt;
    return HolderName{field, *holder, std::move(object)};
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

bool isGroupFrame(const QString &name)
{
    return name.startsWith(QString(kGroupFramePrefix) + kObjectPrefix + u'_');
}

} // namespace names
