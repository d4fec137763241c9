#include "register-config/check.h"

#include "register-config/walk.h"

#include <QTextStream>

namespace regconfig {

int check(const QString &configPath, QTextStream &out, QTextStream &err)
{
    WizardFolder folder;
    QString error;
    if (!folder.prepare(configPath, &error)) {
        err << "register-config: " << error << Qt::endl;
        return 2;
    }
    for (const Visit &visit : visitsFor(folder.config(), QString(), QString()))
        walk(folder.path(), visit, [](const Screen &) {});
    Q_UNUSED(out);
    return 0;
}

} // namespace regconfig
