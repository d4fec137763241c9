#include "platform/shell/processes.h"

#include <QProcess>

namespace shell {

bool startDetached(const QString &program, const QStringList &args, const QString &workingDir)
{
    return QProcess::startDetached(program, args, workingDir);
}

} // namespace shell
