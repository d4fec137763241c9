#include "register-config/preview.h"

#include "register-config/contact_sheet.h"
#include "register-config/walk.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QMutex>
#include <QSaveFile>
#include <QTextStream>
#include <QThreadPool>

#include <png.h>

namespace regconfig {

namespace {

void writeBytes(png_structp png, png_bytep data, size_t length)
{
    auto *out = static_cast<QIODevice *>(png_get_io_ptr(png));
    if (out->write(reinterpret_cast<const char *>(data), qint64(length)) != qint64(length))
        png_error(png, "write failed");
}

void flushNothing(png_structp) {}

// The rows go unfiltered, with zlib's quickest level, straight from the
// screen's 32-bit pixels: Qt's writer tries every filter on every row and
// converts the picture first, which costs twice the time for files a few per
// cent smaller. libpng reports an error by jumping back to the setjmp below,
// so nothing in this function may need a destructor.
bool encodePng(const QImage &picture, QIODevice *out)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, writeBytes, flushNothing);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 1);
    png_set_IHDR(png, info, png_uint_32(picture.width()), png_uint_32(picture.height()), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    // A 32-bit pixel is the word 0xffRRGGBB: the unused byte is dropped, and
    // on a little-endian machine the colours lie in memory as blue, green, red.
    if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
        png_set_filler(png, 0, PNG_FILLER_AFTER);
        png_set_bgr(png);
    } else {
        png_set_filler(png, 0, PNG_FILLER_BEFORE);
    }
    for (int y = 0; y < picture.height(); ++y)
        png_write_row(png, picture.constScanLine(y));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool savePng(const QImage &picture, const QString &path)
{
    const QImage pixels = picture.format() == QImage::Format_RGB32
                              ? picture
                              : picture.convertToFormat(QImage::Format_RGB32);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && encodePng(pixels, &file) && file.flush();
}

class PictureWriter {
  public:
    void write(const QImage &image, const QString &path)
    {
        m_pool.start([this, image, path] {
            if (!savePng(image, path)) {
                const QMutexLocker lock(&m_mutex);
                m_failed.append(path);
            }
        });
    }

    // Waits for every picture; answers the paths that could not be written.
    QStringList finish()
    {
        m_pool.waitForDone();
        const QMutexLocker lock(&m_mutex);
        m_failed.sort();
        return m_failed;
    }

  private:
    QThreadPool m_pool;
    QMutex m_mutex;
    QStringList m_failed;
};

} // namespace

int preview(const PreviewOptions &options, QTextStream &err)
{
    WizardFolder folder;
    QString error;
    if (!folder.prepare(options.configPath, &error)) {
        err << "register-config: " << error << Qt::endl;
        return 2;
    }
    const QList<Visit> visits = visitsFor(folder.config(), options.language, options.country);
    if (visits.isEmpty() && (!options.language.isEmpty() || !options.country.isEmpty())) {
        err << "register-config: " << options.configPath
            << " has no language section for the language and country asked for" << Qt::endl;
        return 2;
    }
    const QDir out(options.outDir);
    if (!QDir().mkpath(out.absolutePath())) {
        err << "register-config: cannot make the folder " << options.outDir << Qt::endl;
        return 2;
    }

    // The pictures are encoded on worker threads while the walk draws the
    // next screens: encoding costs more than drawing.
    PictureWriter writer;
    QList<SheetRow> rows;
    model::ConfigProblems fileProblems;
    for (const Visit &visit : visits) {
        SheetRow row;
        row.title = visit.section.title();
        const VisitResult result = walk(folder.path(), visit, [&](const Screen &screen) {
            const QString file = visit.section.slug() + u'-' + screen.key + QStringLiteral(".png");
            writer.write(picture(screen), out.filePath(file));
            row.screens.append(SheetScreen{file, screen.caption});
        });
        for (const model::ConfigProblem &problem : result.problems) {
            if (problem.section.isEmpty())
                fileProblems.report(problem);
            else
                row.problems.append(problem.toString(options.configPath));
        }
        row.note = result.unreachable
                       ? QStringLiteral("The language list does not offer \"%1\" (it has no "
                                        "section for every other country), so no player sees "
                                        "this section; it is drawn as if it were offered.")
                             .arg(visit.section.id)
                       : QStringLiteral("Line %1. Chosen on the region screen: %2, %3.")
                             .arg(visit.section.line)
                             .arg(result.country, visit.section.id);
        rows.append(row);
    }

    const QStringList failed = writer.finish();
    for (const QString &path : failed)
        err << "register-config: cannot write " << path << Qt::endl;
    if (!failed.isEmpty())
        return 2;

    QSaveFile sheet(out.filePath(QStringLiteral("index.html")));
    if (!sheet.open(QIODevice::WriteOnly)) {
        err << "register-config: cannot write " << sheet.fileName() << Qt::endl;
        return 2;
    }
    QStringList fileLines;
    for (const model::ConfigProblem &problem : fileProblems.all())
        fileLines.append(problem.toString(options.configPath));
    sheet.write(contactSheet(options.configPath, fileLines, rows).toUtf8());
    if (!sheet.commit()) {
        err << "register-config: cannot write " << sheet.fileName() << Qt::endl;
        return 2;
    }
    return 0;
}

} // namespace regconfig
