#include "platform/pictures/pictures.h"

#include <QBuffer>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QString>

namespace pictures {

namespace {

const QString resourceRoot = QStringLiteral(":/pictures");

// Section (case-folded) -> name (case-folded) -> resource path. The names in
// the configuration are written in any case, the resources in upper case, so
// the lookup ignores case on both levels.
using Index = QHash<QString, QHash<QString, QString>>;

Index buildIndex()
{
    Index index;
    QDirIterator it(resourceRoot, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = path.mid(resourceRoot.size() + 1); // "SECTION/NAME"
        const qsizetype slash = relative.indexOf(u'/');
        if (slash <= 0)
            continue;
        const QString section = relative.left(slash).toCaseFolded();
        const QString name = relative.mid(slash + 1).toCaseFolded();
        // Keep the first of two resources that differ only in case.
        if (!index[section].contains(name))
            index[section].insert(name, path);
    }
    return index;
}

// Built on first use; the compiled-in resources never change while running.
const Index &index()
{
    static const Index built = buildIndex();
    return built;
}

// The format that the first bytes of a JPEG, GIF or PNG picture name, or
// nothing for any other content. Asked to decide the format itself, Qt's
// reader loads every image-format plugin there is (TIFF, WebP, MNG, ... with
// their libraries) to ask each whether it knows the bytes; the pictures of
// the wizard's first window would pay for that before it shows. Named, the
// one decoder needed is the only one loaded.
QByteArray signatureFormat(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xD8\xFF"))
        return QByteArrayLiteral("jpeg");
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return QByteArrayLiteral("gif");
    if (bytes.startsWith("\x89PNG\r\n\x1A\n"))
        return QByteArrayLiteral("png");
    return {};
}

} // namespace

QByteArray resourceBytes(QStringView section, QStringView name)
{
    const auto sectionIt = index().constFind(section.toString().toCaseFolded());
    if (sectionIt == index().constEnd())
        return {};
    const auto nameIt = sectionIt->constFind(name.toString().toCaseFolded());
    if (nameIt == sectionIt->constEnd())
        return {};
    QFile file(*nameIt);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QPixmap pictureFromBytes(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return {};
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return {};
    // The format comes from the content; an unknown one makes read() fail
    // quietly with a null image.
    QImageReader reader(&buffer);
    const QByteArray format = signatureFormat(bytes);
    if (format.isEmpty()) {
        reader.setDecideFormatFromContent(true);
    } else {
        reader.setFormat(format);
        reader.setAutoDetectImageFormat(false);
    }
    const QImage image = reader.read();
    if (image.isNull())
        return {};
    return QPixmap::fromImage(image);
}

QPixmap picture(QStringView section, QStringView name)
{
    return pictureFromBytes(resourceBytes(section, name));
}

} // namespace pictures
