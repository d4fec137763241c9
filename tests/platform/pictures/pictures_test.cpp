// The compiled-in pictures and the picture buttons' pointer.
#include "platform/pictures/pictures.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>
#include <QtGlobal>

namespace {

const QStringList sections = {u"DUTCH"_qs,  u"ENGLISH"_qs, u"FRENCH"_qs,
                              u"GERMAN"_qs, u"ITALIAN"_qs, u"SPANISH"_qs};

const QStringList jpegNames = {u"BACK"_qs, u"BIRTHDAYBACK"_qs, u"WELCOME"_qs, u"WELCOMETITLE_1"_qs,
                               u"WELCOMETITLE_2"_qs};

const QStringList buttonNames = {u"CANCEL"_qs,   u"EXIT"_qs, u"FINISH"_qs, u"NEXT"_qs,  u"OK"_qs,
                                 u"PREVIOUS"_qs, u"QUIT"_qs, u"RETRY"_qs,  u"SUBMIT"_qs};

QStringList gifNames()
{
    QStringList names;
    for (const QString &button : buttonNames)
        names << button << button + u"_OVER"_qs;
    return names;
}

bool isJpeg(const QByteArray &bytes)
{
    return bytes.startsWith("\xFF\xD8\xFF");
}

bool isGif(const QByteArray &bytes)
{
    return bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a");
}

QImage argb(const QPixmap &pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

// Counts the warnings Qt prints while it is alive.
class WarningCounter {
  public:
    WarningCounter()
    {
        s_count = 0;
        m_previous = qInstallMessageHandler(&WarningCounter::handler);
    }
    ~WarningCounter() { qInstallMessageHandler(m_previous); }
    int count() const { return s_count; }

  private:
    static void handler(QtMsgType type, const QMessageLogContext &, const QString &)
    {
        if (type != QtDebugMsg && type != QtInfoMsg)
            ++s_count;
    }
    static inline int s_count = 0;
    QtMessageHandler m_previous = nullptr;
};

// A picture kept as bytes decodes to what the eager path decodes, once,
// shared by every copy; nothing stays nothing.
TEST(Pictures, LazyPicturesDecodeOnceWhenShown)
{
    const QByteArray bytes = pictures::resourceBytes(u"ENGLISH", u"NEXT_OVER");
    const pictures::LazyPicture lazy = pictures::LazyPicture::fromBytes(bytes);
    const pictures::LazyPicture copy = lazy;
    EXPECT_FALSE(lazy.isNull());
    EXPECT_EQ(copy.pixmap().toImage(), pictures::pictureFromBytes(bytes).toImage());
    EXPECT_EQ(lazy.cacheKey(), copy.cacheKey());

    struct Case {
        const char *name;
        pictures::LazyPicture picture;
        bool isNull;
    };
    const Case cases[] = {
        {"no bytes", pictures::LazyPicture::fromBytes({}), true},
        {"a null pixmap", QPixmap(), true},
        {"bytes that are no picture", pictures::LazyPicture::fromBytes("not a picture"), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.picture.isNull(), c.isNull);
        EXPECT_TRUE(c.picture.pixmap().isNull());
    }
}

} // namespace

TEST(Pictures, EverySectionHasEveryPictureInItsFormat)
{
    for (const QString &section : sections) {
        for (const QString &name : jpegNames + gifNames()) {
            SCOPED_TRACE((section + u'/' + name).toStdString());
            const QByteArray bytes = pictures::resourceBytes(section, name);
            ASSERT_FALSE(bytes.isEmpty());
            if (jpegNames.contains(name))
                EXPECT_TRUE(isJpeg(bytes));
            else
                EXPECT_TRUE(isGif(bytes));
            EXPECT_FALSE(pictures::pictureFromBytes(bytes).isNull());
        }
    }
}

TEST(Pictures, ResourceTreeHoldsExactlyTheSixSectionsOf23Pictures)
{
    QSet<QString> found;
    QDirIterator it(u":/pictures"_qs, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        found.insert(it.next().mid(QStringLiteral(":/pictures/").size()));
    QSet<QString> expected;
    for (const QString &section : sections)
        for (const QString &name : jpegNames + gifNames())
            expected.insert(section + u'/' + name);
    EXPECT_EQ(jpegNames.size() + gifNames().size(), 23);
    EXPECT_EQ(found, expected);
}

TEST(Pictures, PicturesHaveTheirDesignSizes)
{
    for (const QString &section : sections) {
        SCOPED_TRACE(section.toStdString());
        EXPECT_EQ(pictures::picture(section, u"BACK").size(), QSize(651, 459));
        const QSize title = pictures::picture(section, u"WELCOMETITLE_1").size();
        EXPECT_EQ(pictures::picture(section, u"WELCOMETITLE_2").size(), title);
        // All buttons of all languages line up in one row.
        for (const QString &name : gifNames())
            EXPECT_EQ(pictures::picture(section, name).size(), QSize(120, 20))
                << name.toStdString();
    }
}

TEST(Pictures, LookupIgnoresLetterCase)
{
    const QByteArray back = pictures::resourceBytes(u"ENGLISH", u"BACK");
    ASSERT_FALSE(back.isEmpty());
    EXPECT_EQ(pictures::resourceBytes(u"English", u"back"), back);
    EXPECT_EQ(pictures::resourceBytes(u"english", u"Back"), back);
    EXPECT_EQ(pictures::resourceBytes(u"gErMaN", u"next_over"),
              pictures::resourceBytes(u"GERMAN", u"NEXT_OVER"));
    EXPECT_FALSE(pictures::picture(u"Spanish", u"welcometitle_1").isNull());
}

TEST(Pictures, EachLanguageHasItsOwnButtonWords)
{
    // Same style, different word: the Next pictures of two languages differ.
    EXPECT_NE(pictures::resourceBytes(u"ENGLISH", u"NEXT"),
              pictures::resourceBytes(u"FRENCH", u"NEXT"));
    EXPECT_NE(pictures::resourceBytes(u"GERMAN", u"WELCOMETITLE_1"),
              pictures::resourceBytes(u"DUTCH", u"WELCOMETITLE_1"));
}

TEST(Pictures, MissingSectionOrNameGivesNothing)
{
    struct Case {
        const char16_t *section;
        const char16_t *name;
    };
    const Case cases[] = {
        {u"LATIN", u"BACK"},       // a language the program carries no pictures for
        {u"ENGLISH", u"NOPE"},     // a name the configuration got wrong
        {u"", u"BACK"},            // no section
        {u"ENGLISH", u""},         // no name
        {u"ENGLISH", u"BACK.jpg"}, // resource names carry no extension
        {u"ENGLISH/BACK", u""},    // the section is one path element
        {u"", u"ENGLISH/BACK"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.section).toStdString() + " / " +
                     QString::fromUtf16(c.name).toStdString());
        EXPECT_TRUE(pictures::resourceBytes(c.section, c.name).isEmpty());
        EXPECT_TRUE(pictures::picture(c.section, c.name).isNull());
    }
}

// A publisher's folder answers only with files it lists itself: names that
// look like paths, other extensions and other sections' files give nothing.
TEST(Pictures, OwnPictureFilesAreFoundOnlyInsideTheFolder)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("pictures");
    for (const char *file :
         {"pictures/english/NEXT.png", "pictures/french/OK.gif", "pictures/BACK.jpeg",
          "pictures/notes.txt", "secret.png", "pictures/english/sub/DEEP.png"}) {
        QDir().mkpath(QFileInfo(dir.filePath(file)).absolutePath());
        QFile f(dir.filePath(file));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const struct {
        const char16_t *section;
        const char16_t *name;
        const char *found; // below the temporary folder; nullptr: nothing
    } cases[] = {
        {u"English", u"next", "pictures/english/NEXT.png"},
        {u"english", u"BACK", "pictures/BACK.jpeg"},
        {u"english", u"OK", nullptr},    // French's own
        {u"english", u"notes", nullptr}, // not a picture's extension
        {u"english", u"../secret", nullptr},
        {u"english", u"sub/DEEP", nullptr},
        {u"..", u"secret", nullptr},
        {u"english", u"NEXT.png", nullptr}, // names carry no extension
    };
    for (const auto &c : cases) {
        const QString found = pictures::ownPictureFile(folder, c.section, c.name);
        EXPECT_EQ(found, c.found ? dir.filePath(c.found) : QString())
            << QString::fromUtf16(c.name).toStdString();
    }
    EXPECT_TRUE(pictures::hasOwnPictures(folder, u"latin")); // BACK serves every section
    EXPECT_FALSE(pictures::hasOwnPictures(dir.filePath("none"), u"english"));
}

TEST(Pictures, EmptyOrUndecodableBytesGiveANullPictureQuietly)
{
    WarningCounter warnings;
    EXPECT_TRUE(pictures::pictureFromBytes(QByteArray()).isNull());
    EXPECT_TRUE(pictures::pictureFromBytes(QByteArray("not a picture at all")).isNull());
    EXPECT_TRUE(pictures::pictureFromBytes(QByteArray(1000, '\0')).isNull());
    EXPECT_TRUE(pictures::pictureFromBytes(QByteArray("GIF89a")).isNull());
    EXPECT_EQ(warnings.count(), 0);
}

TEST(Pictures, EveryFormatDecodesWhateverItsSignature)
{
    // JPEG, GIF and PNG are read by the decoder their first bytes name; any
    // other format is still found from the content.
    QImage drawn(7, 5, QImage::Format_RGB32);
    drawn.fill(qRgb(200, 40, 10));
    drawn.setPixel(3, 2, qRgb(0, 0, 255));
    for (const char *format : {"png", "bmp", "ppm", "gif", "jpeg"}) {
        SCOPED_TRACE(format);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!QImageWriter(&buffer, format).write(drawn))
            continue; // no writer for it here (Qt writes no GIF); reading is what counts
        const QImage read = pictures::pictureFromBytes(bytes).toImage();
        ASSERT_FALSE(read.isNull());
        EXPECT_EQ(read.size(), drawn.size());
        if (QByteArray(format) != "jpeg") { // lossless ones give back every pixel
            EXPECT_EQ(read.convertToFormat(QImage::Format_RGB32), drawn);
        }
    }
    // The resource GIFs stand for the format Qt cannot write.
    EXPECT_EQ(pictures::pictureFromBytes(pictures::resourceBytes(u"ENGLISH", u"NEXT")).size(),
              QSize(120, 20));
    // A signature with nothing sound behind it is no picture (the decoder
    // says why on standard error).
    EXPECT_TRUE(pictures::pictureFromBytes(QByteArray("\xFF\xD8\xFF\xE0 not JPEG")).isNull());
    EXPECT_TRUE(pictures::pictureFromBytes(QByteArray("\x89PNG\r\n\x1A\n cut")).isNull());
}

TEST(Pictures, EveryHoverPictureDiffersFromItsNormalPictureAndHasItsSize)
{
    for (const QString &section : sections) {
        for (const QString &button : buttonNames) {
            SCOPED_TRACE((section + u'/' + button).toStdString());
            const QImage normal = argb(pictures::picture(section, button));
            const QImage hover = argb(pictures::picture(section, button + u"_OVER"_qs));
            ASSERT_FALSE(normal.isNull());
            ASSERT_FALSE(hover.isNull());
            EXPECT_EQ(hover.size(), normal.size());
            EXPECT_NE(hover, normal);
            // Rounded corners are transparent, so the buttons sit on any background.
            EXPECT_EQ(qAlpha(normal.pixel(0, 0)), 0);
            EXPECT_EQ(qAlpha(normal.pixel(normal.width() / 2, normal.height() / 2)), 255);
        }
    }
}

TEST(Pictures, PointerIs32By32With16ColoursAndAFingertipAtTheHotSpot)
{
    const QImage pointer(u":/cursor/pointer.png"_qs);
    ASSERT_FALSE(pointer.isNull());
    EXPECT_EQ(pointer.size(), QSize(32, 32));
    const QImage pixels = pointer.convertToFormat(QImage::Format_ARGB32);
    QSet<QRgb> colours;
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x)
            colours.insert(pixels.pixel(x, y));
    EXPECT_LE(colours.size(), 16);
    // Hot spot column 12, row 1: the topmost opaque pixel of its column.
    EXPECT_EQ(qAlpha(pixels.pixel(12, 1)), 255);
    EXPECT_EQ(qAlpha(pixels.pixel(12, 0)), 0);
}
