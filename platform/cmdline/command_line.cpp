#include "platform/cmdline/command_line.h"

#include <algorithm>

QStringList GetCommandLine(QStringView rawText, int maxArgs)
{
    maxArgs = std::max(maxArgs, 0);
    QStringList entries(1);
    bool inArgument = false;
    for (qsizetype p = 0; p < rawText.size(); ++p) {
        const QChar c = rawText[p];
        if (c != u'/' && inArgument) {
            entries.last().append(c);
        } else if (p == 0 || rawText[p - 1] == u' ') {
            // The opening character itself (normally the "/") is not stored.
            inArgument = true;
            if (entries.size() - 1 == maxArgs)
                break;
            entries.append(QString());
        } else {
            entries.last().append(c);
        }
    }
    return entries;
}

QString rawArgumentText(const QStringList &processArgs)
{
    return processArgs.mid(1).join(u' ');
}
