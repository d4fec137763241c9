#include "register-config/preview.h"

#include "register-config/authoring.h"
#include "register-config/contact_sheet.h"
#include "register-config/walk.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QImage>
#include <QMutex>
#include <QSaveFile>
#include <QTextStream>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>

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

// What a section's screens are drawn from: its own markup, the root's
// settings every section shares (start-up keys, countries, age limits) and
// the country chosen for it. Equal fingerprints draw equal screens.
QString fingerprintOf(const xml::Document &config, const Visit &visit)
{
    QString shared;
    for (const xml::Node &child : config.documentElement().elements())
        if (child.name() != QLatin1String("language"))
            shared += child.xml();
    QString own;
    for (const xml::Node &node : config.selectNodes(QStringLiteral("//language")))
        if (node.line() == visit.section.line)
            own = node.xml();
    return shared + u'\n' + own + u'\n' + visit.country;
}

// The drawing of one preview folder, kept between redraws so that a redraw
// walks only the sections whose configuration changed.
class Previewer {
  public:
    Previewer(const PreviewOptions &options, QTextStream &err) : m_options(options), m_err(err) {}

    // Reads the configuration and draws what changed since the last draw
    // (everything the first time, or when `everything`). Answers the exit
    // status; `drawn` gets the sections walked.
    int draw(bool everything, QStringList *drawn)
    {
        WizardFolder folder;
        QString error;
        if (!folder.prepare(m_options.configPath, &error)) {
            m_err << (folder.malformed() ? QString() : QStringLiteral("register-config: ")) << error
                  << Qt::endl;
            return 2;
        }
        const QList<Visit> visits =
            visitsFor(folder.config(), m_options.language, m_options.country);
        if (visits.isEmpty() && (!m_options.language.isEmpty() || !m_options.country.isEmpty())) {
            m_err << "register-config: " << m_options.configPath
                  << " has no language section for the language and country asked for" << Qt::endl;
            return 2;
        }
        const QDir out(m_options.outDir);
        if (!QDir().mkpath(out.absolutePath())) {
            m_err << "register-config: cannot make the folder " << m_options.outDir << Qt::endl;
            return 2;
        }
        ++m_version;

        // The pictures are encoded on worker threads while the walk draws the
        // next screens: encoding costs more than drawing.
        PictureWriter writer;
        QList<Drawn> rows;
        QStringList fileLines;
        model::ConfigProblems fileProblems;
        fileProblems.setAccepted(model::AcceptedWarnings::fromText(folder.document().text()));
        for (const model::ConfigProblem &problem : folder.fileProblems())
            fileProblems.report(problem);
        // The mistakes the wizard passes over, by section (as problems name
        // sections); those of the root go with the whole file.
        model::ConfigProblems authoring;
        authoring.setAccepted(model::AcceptedWarnings::fromText(folder.document().text()));
        for (const model::ConfigProblem &problem : authoringProblems(folder.document()))
            (problem.section.isEmpty() ? fileProblems : authoring).report(problem);
        for (const Visit &visit : visits) {
            const QString fingerprint = fingerprintOf(folder.document(), visit);
            const auto earlier = std::find_if(m_drawn.begin(), m_drawn.end(), [&](const Drawn &d) {
                return d.slug == visit.section.slug() && d.fingerprint == fingerprint;
            });
            if (!everything && earlier != m_drawn.end()) {
                for (const model::ConfigProblem &problem : earlier->fileProblems)
                    fileProblems.report(problem);
                rows.append(*earlier);
                continue;
            }
            Drawn row;
            row.slug = visit.section.slug();
            row.fingerprint = fingerprint;
            row.sheet.title = visit.section.title();
            drawn->append(row.sheet.title);
            const QString suffix =
                m_options.watch ? QStringLiteral("?v=%1").arg(m_version) : QString();
            const VisitResult result = walk(
                folder.path(), visit,
                [&](const Screen &screen) {
                    const QString file = row.slug + u'-' + screen.key + QStringLiteral(".png");
                    writer.write(picture(screen), out.filePath(file));
                    row.files.append(file);
                    row.sheet.screens.append(SheetScreen{file + suffix, screen.caption});
                },
                true);
            const QString sectionName =
                visit.section.isCountryVariant()
                    ? QStringLiteral("%1, %2").arg(visit.section.id, visit.section.country)
                    : visit.section.id;
            QList<model::ConfigProblem> problems = result.problems;
            for (const model::ConfigProblem &problem : authoring.all())
                if (problem.section == sectionName)
                    problems.append(problem);
            for (const model::ConfigProblem &problem : problems) {
                if (problem.section.isEmpty()) {
                    row.fileProblems.append(problem);
                    fileProblems.report(problem);
                } else {
                    row.sheet.problems.append(problem.toString(m_options.configPath));
                }
            }
            row.sheet.note =
                result.unreachable
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
            m_err << "register-config: cannot write " << path << Qt::endl;
        if (!failed.isEmpty())
            return 2;
        // Pictures of a section or screen that is gone would stay beside
        // the sheet and mislead whoever opens the folder.
        for (const Drawn &old : m_drawn)
            for (const QString &file : old.files)
                if (std::none_of(rows.begin(), rows.end(),
                                 [&](const Drawn &d) { return d.files.contains(file); }))
                    QFile::remove(out.filePath(file));
        m_drawn = rows;

        for (const model::ConfigProblem &problem : fileProblems.all())
            fileLines.append(problem.toString(m_options.configPath));
        QList<SheetRow> sheetRows;
        for (const Drawn &row : rows)
            sheetRows.append(row.sheet);
        if (!writeFile(out.filePath(QStringLiteral("index.html")),
                       contactSheet(m_options.configPath, fileLines, sheetRows,
                                    m_options.watch ? m_version : 0)
                           .toUtf8()))
            return 2;
        // Written last: an open sheet reloads itself when this changes, and
        // by then every picture and the sheet are in place.
        if (m_options.watch &&
            !writeFile(out.filePath(QStringLiteral("sheet-version.js")),
                       QStringLiteral("sheetVersion(%1);\n").arg(m_version).toUtf8()))
            return 2;
        return 0;
    }

  private:
    struct Drawn {
        QString slug;
        QString fingerprint;
        SheetRow sheet;
        QStringList files;
        QList<model::ConfigProblem> fileProblems;
    };

    bool writeFile(const QString &path, const QByteArray &bytes)
    {
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
            return true;
        m_err << "register-config: cannot write " << path << Qt::endl;
        return false;
    }

    const PreviewOptions &m_options;
    QTextStream &m_err;
    QList<Drawn> m_drawn;
    int m_version = 0;
};

// Watches config.xml, the folder it lies in (an editor often saves by
// writing a new file and renaming it over the old one) and the pictures
// folder beside it, and redraws after each save.
class Watcher : public QObject {
  public:
    Watcher(Previewer &previewer, const PreviewOptions &options, QTextStream &out)
        : m_previewer(previewer), m_out(out)
    {
        const QFileInfo config(options.configPath);
        m_config = config.absoluteFilePath();
        m_pictures = config.absoluteDir().filePath(QStringLiteral("pictures"));
        // A save comes as several events (truncate, write, rename): they are
        // gathered into one redraw.
        m_settle.setSingleShot(true);
        m_settle.setInterval(150);
        connect(&m_settle, &QTimer::timeout, this, &Watcher::redraw);
        connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &Watcher::changed);
        connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &Watcher::changed);
        watchPaths();
    }

  private:
    void watchPaths()
    {
        QStringList paths{m_config, QFileInfo(m_config).absolutePath()};
        if (QFileInfo(m_pictures).isDir()) {
            paths.append(m_pictures);
            QDirIterator it(m_pictures, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                            QDirIterator::Subdirectories);
            while (it.hasNext())
                paths.append(it.next());
        }
        for (const QString &path : paths)
            if (QFileInfo::exists(path) && !m_watcher.files().contains(path) &&
                !m_watcher.directories().contains(path))
                m_watcher.addPath(path);
    }

    void changed(const QString &path)
    {
        if (path.startsWith(m_pictures))
            m_picturesChanged = true;
        m_settle.start();
    }

    void redraw()
    {
        // A renamed-over file is a new file: it is watched again.
        watchPaths();
        const QByteArray bytes = readAll(m_config);
        if (bytes == m_lastBytes && !m_picturesChanged)
            return;
        m_lastBytes = bytes;
        QStringList drawn;
        const int status = m_previewer.draw(m_picturesChanged, &drawn);
        m_picturesChanged = false;
        if (status == 0)
            m_out << "redrawn: "
                  << (drawn.isEmpty() ? QStringLiteral("no section changed")
                                      : drawn.join(QStringLiteral(", ")))
                  << Qt::endl;
    }

  public:
    static QByteArray readAll(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void start() { m_lastBytes = readAll(m_config); }

  private:
    Previewer &m_previewer;
    QTextStream &m_out;
    QString m_config;
    QString m_pictures;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QByteArray m_lastBytes;
    bool m_picturesChanged = false;
};

} // namespace

int preview(const PreviewOptions &options, QTextStream &out, QTextStream &err)
{
    Previewer previewer(options, err);
    QStringList drawn;
    if (!options.watch)
        return previewer.draw(true, &drawn);

    // The configuration is read before the first draw, so that a save made
    // while it runs is seen as a change.
    Watcher watcher(previewer, options, out);
    watcher.start();
    const int first = previewer.draw(true, &drawn);
    if (first == 0)
        out << "drawn: " << drawn.join(QStringLiteral(", ")) << Qt::endl;
    // A file that cannot be read now may be mended by the next save; the
    // watch goes on until it is interrupted.
    out << "watching " << options.configPath << " (Ctrl+C ends)" << Qt::endl;
    return QCoreApplication::exec();
}

} // namespace regconfig
