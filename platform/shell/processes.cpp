#include "platform/shell/processes.h"

#include <QFileInfo>
#include <QProcess>

namespace shell {

bool startDetached(const QString &program, const QStringList &args, const QString &workingDir)
{
    return QProcess::startDetached(program, args, workingDir);
}

bool fileExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

} // namespace shell
