#include "platform/late/late_services.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace late {

const Services *loadServices(const QString &modulePath, QString *error)
{
    QLibrary module(modulePath);
    if (!module.load()) {
        if (error)
            *error = module.errorString();
        return nullptr;
    }
    using Entry = const Services *(*)();
    const auto entry = reinterpret_cast<Entry>(module.resolve("velmoraLateServices"));
    const Services *loaded = entry ? entry() : nullptr;
    if (!loaded) {
        if (error)
            *error = QStringLiteral("%1 offers no services").arg(modulePath);
        module.unload();
    }
    // Loaded, the module stays for the rest of the run: QLibrary unloads
    // nothing on its own.
    return loaded;
}

const Services *services(QString *error)
{
    static QString loadError;
    // The module ships beside the program, as config.xml does.
    static const Services *const loaded = loadServices(
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(VELMORA_LATE_MODULE)),
        &loadError);
    if (!loaded && error)
        *error = loadError;
    return loaded;
}

} // namespace late
