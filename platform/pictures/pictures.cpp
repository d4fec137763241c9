#include "platform/pictures/pictures.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
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
using Names = QHash<QString, QString>;

// The sections, by case-folded name: their folders under the root.
const Names &sections()
{
    static const Names built = [] {
        Names out;
        QDirIterator it(resourceRoot, QDir::Dirs | QDir::NoDotAndDotDot);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString folded = it.fileName().toCaseFolded();
            // Keep the first of two sections that differ only in case.
            if (!out.contains(folded))
                out.insert(folded, path);
        }
        return out;
    }();
    return built;
}

// The pictures of one section, listed the first time it is asked for: a run
// shows one language, so the other sections are never listed. The
// compiled-in resources never change while running.
const Names *sectionIndex(const QString &foldedSection)
{
    static QHash<QString, Names> listed;
    if (const auto it = listed.constFind(foldedSection); it != listed.cend())
        return &*it;
    const auto folder = sections().constFind(foldedSection);
    if (folder == sections().cend())
        return nullptr;
    Names names;
    QDirIterator it(*folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = path.mid(folder->size() + 1).toCaseFolded(); // "NAME"
        // Keep the first of two resources that differ only in case.
        if (!names.contains(name))
            names.insert(name, path);
    }
    return &*listed.insert(foldedSection, std::move(names));
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

// The files of `dir` that are pictures by their extension, sorted by name.
QFileInfoList pictureFiles(const QDir &dir)
{
    QFileInfoList out;
    for (const QFileInfo &file : dir.entryInfoList(QDir::Files | QDir::Readable, QDir::Name)) {
        const QString suffix = file.suffix().toCaseFolded();
        for (const char *extension : ownPictureExtensions)
            if (suffix == QLatin1String(extension)) {
                out.append(file);
                break;
            }
    }
    return out;
}

// The subfolders of `folder` named `section`, letter case ignored, in sorted
// order ("English" and "english" may both be there).
QStringList sectionFolders(const QString &folder, QStringView section)
{
    QStringList out;
    const QString folded = section.toString().toCaseFolded();
    for (const QFileInfo &sub :
         QDir(folder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        if (sub.fileName().toCaseFolded() == folded)
            out.append(sub.filePath());
    return out;
}

QString pictureIn(const QString &folder, const QString &foldedName)
{
    for (const QFileInfo &file : pictureFiles(QDir(folder)))
        if (file.completeBaseName().toCaseFolded() == foldedName)
            return file.filePath();
    return {};
}

} // namespace

QString ownPictureFile(const QString &folder, QStringView section, QStringView name)
{
    if (folder.isEmpty() || name.isEmpty() || !QFileInfo(folder).isDir())
        return {};
    const QString folded = name.toString().toCaseFolded();
    if (!section.isEmpty()) {
        for (const QString &sub : sectionFolders(folder, section))
            if (QString file = pictureIn(sub, folded); !file.isEmpty())
                return file;
    }
    return pictureIn(folder, folded);
}

bool hasOwnPictures(const QString &folder, QStringView section)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    if (!pictureFiles(QDir(folder)).isEmpty())
        return true;
    if (section.isEmpty())
        return false;
    for (const QString &sub : sectionFolders(folder, section))
        if (!pictureFiles(QDir(sub)).isEmpty())
            return true;
    return false;
}

QByteArray resourceBytes(QStringView section, QStringView name)
{
    const Names *names = sectionIndex(section.toString().toCaseFolded());
    if (!names)
        return {};
    const auto nameIt = names->constFind(name.toString().toCaseFolded());
    if (nameIt == names->constEnd())
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

LazyPicture::LazyPicture(const QPixmap &decoded)
{
    if (!decoded.isNull())
        m_data = std::make_shared<Data>(Data{{}, decoded});
}

LazyPicture LazyPicture::fromBytes(const QByteArray &bytes)
{
    LazyPicture out;
    if (!bytes.isEmpty())
        out.m_data = std::make_shared<Data>(Data{bytes, {}});
    return out;
}

bool LazyPicture::isNull() const
{
    return !m_data;
}

const QPixmap &LazyPicture::pixmap() const
{
    static const QPixmap none;
    if (!m_data)
        return none;
    if (!m_data->bytes.isEmpty()) {
        m_data->pixmap = pictureFromBytes(m_data->bytes);
        m_data->bytes.clear();
    }
    return m_data->pixmap;
}

} // namespace pictures
