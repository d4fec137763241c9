#include "register/rules/reply.h"

#include <QList>

int submitResultFromReply(const QString &reply)
{
    if (reply.isEmpty())
        return 2;
    const QList<QStringView> parts = QStringView(reply).split(replySeparator);
    if (parts.size() != 2)
        return 1;
    return parts.first() == u"ok" ? 0 : 2;
}
