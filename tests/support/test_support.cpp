#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace testsupport {

QString writeFile(const QString &dir, const QString &name, const QString &text)
{
    const QString path = QDir(dir).filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(text.toUtf8());
    return path;
}

QString readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

#ifndef VELMORA_BIN_DIR
#define VELMORA_BIN_DIR ""
#endif
#ifndef VELMORA_SOURCE_DIR
#define VELMORA_SOURCE_DIR ""
#endif

QString binDir()
{
    return QStringLiteral(VELMORA_BIN_DIR);
}
QString sourceDir()
{
    return QStringLiteral(VELMORA_SOURCE_DIR);
}

std::string caseName(const char *name)
{
    std::string out;
    bool upper = true;
    for (const char *c = name; *c; ++c) {
        const bool alphanumeric =
            (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9');
        if (!alphanumeric) {
            upper = true;
            continue;
        }
        out += upper && *c >= 'a' && *c <= 'z' ? char(*c - 'a' + 'A') : *c;
        upper = false;
    }
    return out;
}

} // namespace testsupport
