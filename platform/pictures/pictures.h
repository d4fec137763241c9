#pragma once

// Pictures compiled into the program: raw bytes by resource section
// and name, and a picture decoded from bytes held in memory.
//
// The resources live under ":/pictures/<SECTION>/<NAME>" (no file extension),
// supplied by the register_resources object library.

#include <QByteArray>
#include <QPixmap>
#include <QStringView>

#include <memory>

namespace pictures {

// The raw bytes of the resource `name` of the resource section `section`.
// Both lookups ignore letter case ("English" finds ENGLISH, "back" finds BACK).
// Empty when the section or the name does not exist.
QByteArray resourceBytes(QStringView section, QStringView name);

// Decodes a JPEG or GIF file held in memory (any format Qt can read from
// content). Empty or undecodable bytes give a null pixmap, silently.
// Needs a QGuiApplication.
QPixmap pictureFromBytes(const QByteArray &bytes);

// pictureFromBytes(resourceBytes(section, name)).
QPixmap picture(QStringView section, QStringView name);

// The extensions a picture file of a publisher's own may have.
inline constexpr const char *ownPictureExtensions[] = {"png", "jpg", "jpeg", "gif"};

// The file that stands for the picture `name` of `section` among the files
// of `folder`: folder/<section>/<name>.<ext> first (the section's own), then
// folder/<name>.<ext> (for every section); letter case ignored in the section,
// the name and the extension. Of two files that differ only in extension or
// case, the first in sorted order wins; so does the first of two section
// folders that differ only in case. Empty when there is none. A name is
// only ever compared with the names the folder lists, so "../x" or "a/b"
// never reaches outside it.
QString ownPictureFile(const QString &folder, QStringView section, QStringView name);

// True when `folder` holds any picture file for `section`: in its own
// subfolder or for every section.
bool hasOwnPictures(const QString &folder, QStringView section);

// A picture kept as its file's bytes and decoded the first time it is shown
// (a button's hover picture waits for the mouse), or one decoded already.
// Copies share the one decoded picture. Bytes that do not decode show as a
// null pixmap.
class LazyPicture {
  public:
    LazyPicture() = default;
    LazyPicture(const QPixmap &decoded); // NOLINT: stands wherever a pixmap does
    static LazyPicture fromBytes(const QByteArray &bytes);

    // Neither bytes nor a picture.
    bool isNull() const;
    const QPixmap &pixmap() const;
    operator const QPixmap &() const { return pixmap(); }
    qint64 cacheKey() const { return pixmap().cacheKey(); }

  private:
    struct Data {
        QByteArray bytes;
        QPixmap pixmap;
    };
    std::shared_ptr<Data> m_data;
};

} // namespace pictures
