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

// libpng's own fast mode: no filtering and light compression. Qt's writer
// tries every filter on every row, which costs twice the time for files a few
// per cent smaller; a sheet of a hundred screens is written in half the time.
bool savePng(const QImage &picture, const QString &path)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(rgb.width());
    image.height = png_uint_32(rgb.height());
    image.format = PNG_FORMAT_RGB;
    image.flags = PNG_IMAGE_FLAG_FAST;
    const bool written =
        png_image_write_to_file(&image, QFile::encodeName(path).constData(), 0, rgb.constBits(),
                                png_int_32(rgb.bytesPerLine()), nullptr) != 0;
    png_image_free(&image);
    return written;
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
    core::ConfigProblems fileProblems;
    for (const Visit &visit : visits) {
        SheetRow row;
        row.title = visit.section.title();
        const VisitResult result = walk(folder.path(), visit, [&](const Screen &screen) {
            const QString file = visit.section.slug() + u'-' + screen.key + QStringLiteral(".png");
            writer.write(picture(screen), out.filePath(file));
            row.screens.append(SheetScreen{file, screen.caption});
        });
        for (const core::ConfigProblem &problem : result.problems) {
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
    for (const core::ConfigProblem &problem : fileProblems.all())
        fileLines.append(problem.toString(options.configPath));
    sheet.write(contactSheet(options.configPath, fileLines, rows).toUtf8());
    if (!sheet.commit()) {
        err << "register-config: cannot write " << sheet.fileName() << Qt::endl;
        return 2;
    }
    return 0;
}

} // namespace regconfig
