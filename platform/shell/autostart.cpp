#include "platform/shell/autostart.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>

namespace shell {

namespace {

// NUL cannot be stored in the file nor passed in a process argument; it is
// left out rather than letting it cut the value short.
QString withoutNul(const QString &value)
{
    QString out = value;
    out.remove(QChar(u'\0'));
    return out;
}

// The escapes of the file's string values. Line breaks and tabs are written
// as escapes, so a value can never start a new line (and with it a key or a
// group); blanks at either end are escaped because readers trim them.
QString escapeStringValue(QStringView value)
{
    qsizetype leading = 0;
    while (leading < value.size() && value[leading] == u' ')
        ++leading;
    qsizetype trailingFrom = value.size();
    while (trailingFrom > leading && value[trailingFrom - 1] == u' ')
        --trailingFrom;

    QString out;
    out.reserve(value.size() + 8);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        switch (c.unicode()) {
        case u'\\':
            out += u"\\\\";
            break;
        case u'\n':
            out += u"\\n";
            break;
        case u'\r':
            out += u"\\r";
            break;
        case u'\t':
            out += u"\\t";
            break;
        case u' ':
            out += (i < leading || i >= trailingFrom) ? QStringView(u"\\s") : QStringView(u" ");
            break;
        default:
            out += c;
        }
    }
    return out;
}

void appendLine(QString &text, QStringView key, const QString &value)
{
    text += key;
    text += u'=';
    text += escapeStringValue(withoutNul(value));
    text += u'\n';
}

// Launchers disagree on a program path that Exec can only carry escaped:
// gio looks the program up before it turns "%%" back into "%", so it finds no
// program in a folder whose name holds a "%", and dex refuses any backslash
// in Exec. Such a program, when it lies in the working folder, is named
// relative to it through env, and its folder only appears in Path, a plain
// string value without field codes (dex still takes a backslash escape there
// literally, so a folder with a backslash stays beyond it).
QString execProgram(const AutostartEntry &entry)
{
    const QString escaped = escapeExecArgument(entry.program);
    const bool plain = escaped.size() == entry.program.size() + 2;
    const QFileInfo program(entry.program);
    if (plain || entry.workingDir.isEmpty() ||
        QDir::cleanPath(program.absolutePath()) != QDir::cleanPath(entry.workingDir))
        return escaped;
    return QStringLiteral("/usr/bin/env ") +
           escapeExecArgument(QStringLiteral("./") + program.fileName());
}

// The temporary files writeAutostartEntry makes for the entry at filePath
// are named like it plus "." and six letters or digits. A write that was
// killed half-way leaves one behind that nothing else would ever remove;
// the next write of the same entry does. One changed within the last minute
// may belong to a write going on right now (they take milliseconds) and is
// left alone, as is anything that is not a plain file of ours.
void removeLeftovers(const QString &filePath)
{
    const QFileInfo entry(filePath);
    const QString prefix = entry.fileName() + u'.';
    const QDateTime settled = QDateTime::currentDateTime().addSecs(-60);
    const QFileInfoList found =
        QDir(entry.absolutePath()).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo &candidate : found) {
        const QString name = candidate.fileName();
        if (!name.startsWith(prefix) || name.size() != prefix.size() + 6 || candidate.isSymLink())
            continue;
        const QStringView suffix = QStringView(name).sliced(prefix.size());
        const bool generated = std::all_of(suffix.begin(), suffix.end(), [](QChar c) {
            return c.isDigit() || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        });
        if (generated && candidate.ownerId() == ::getuid() && candidate.lastModified() < settled)
            QFile::remove(candidate.filePath());
    }
}

} // namespace

QString autostartDir()
{
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty() || !QDir::isAbsolutePath(configHome))
        configHome = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(configHome + QStringLiteral("/autostart"));
}

QString safeGameFileName(const QString &game)
{
    // Room for the entry's own words around the name, in UTF-8 bytes.
    constexpr qsizetype kMaxNameBytes = 160;
    QString safe;
    safe.reserve(game.size());
    qsizetype bytes = 0;
    bool changed = false;
    for (qsizetype i = 0; i < game.size(); ++i) {
        QChar c = game[i];
        const bool pair =
            c.isHighSurrogate() && i + 1 < game.size() && game[i + 1].isLowSurrogate();
        QString piece = pair ? game.mid(i, 2) : QString(c);
        if (c == u'/' || c.unicode() < 0x20 || c.unicode() == 0x7f || (c.isSurrogate() && !pair) ||
            (i == 0 && c == u'.')) {
            piece = QStringLiteral("_");
            changed = true;
        }
        const qsizetype pieceBytes = piece.toUtf8().size();
        if (bytes + pieceBytes > kMaxNameBytes) {
            changed = true;
            break;
        }
        bytes += pieceBytes;
        safe += piece;
        if (pair)
            ++i;
    }
    if (changed) {
        const QByteArray digest =
            QCryptographicHash::hash(game.toUtf8(), QCryptographicHash::Sha256).toHex().left(8);
        safe += u' ' + QString::fromLatin1(digest);
    }
    return safe;
}

QString reminderEntryFileName(const QString &game)
{
    const QString safe = safeGameFileName(game);
    return safe.isEmpty() ? QStringLiteral("registration reminder.desktop")
                          : safe + QStringLiteral(" registration reminder.desktop");
}

QString autostartEntryPath(const QString &game)
{
    return autostartDir() + u'/' + reminderEntryFileName(game);
}

QString legacyAutostartEntryPath()
{
    return autostartDir() + u'/' + legacyAutostartEntryFileName.toString();
}

QString entryTryExec(const QString &entryPath)
{
    QFile file(entryPath);
    // An entry is a few hundred bytes; anything far larger is not ours.
    if (!file.open(QIODevice::ReadOnly) || file.size() > 64 * 1024)
        return {};
    const QString text = QString::fromUtf8(file.readAll());
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (!line.startsWith(u"TryExec="))
            continue;
        QString value;
        const QStringView escaped = line.mid(8);
        for (qsizetype i = 0; i < escaped.size(); ++i) {
            if (escaped[i] != u'\\' || i + 1 == escaped.size()) {
                value += escaped[i];
                continue;
            }
            switch (escaped[++i].unicode()) {
            case u's':
                value += u' ';
                break;
            case u'n':
                value += u'\n';
                break;
            case u't':
                value += u'\t';
                break;
            case u'r':
                value += u'\r';
                break;
            default:
                value += escaped[i];
            }
        }
        return value;
    }
    return {};
}

bool entryBelongsTo(const QString &entryPath, const QString &program)
{
    const QString named = entryTryExec(entryPath);
    if (named.isEmpty())
        return false;
    const QString mine = QFileInfo(program).canonicalFilePath();
    return !mine.isEmpty() && QFileInfo(named).canonicalFilePath() == mine;
}

QString escapeExecArgument(const QString &argument)
{
    QString out;
    out.reserve(argument.size() + 2);
    out += u'"';
    for (QChar c : withoutNul(argument)) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            out += u'\\';
        else if (c == u'%')
            out += u'%';
        out += c;
    }
    out += u'"';
    return out;
}

QString desktopEntryText(const AutostartEntry &entry)
{
    QString text = QStringLiteral("[Desktop Entry]\nType=Application\n");
    appendLine(text, u"Name", entry.name);
    appendLine(text, u"Comment", entry.comment);
    // The whole argument text travels as one argument; the program joins its
    // arguments again and so receives exactly this text.
    appendLine(text, u"Exec", execProgram(entry) + u' ' + escapeExecArgument(entry.argumentText));
    if (!entry.workingDir.isEmpty())
        appendLine(text, u"Path", entry.workingDir);
    if (!entry.tryExec.isEmpty())
        appendLine(text, u"TryExec", entry.tryExec);
    text += QStringLiteral("Terminal=false\n");
    return text;
}

bool writeAutostartEntry(const QString &filePath, const AutostartEntry &entry, QString *error)
{
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    const QString folder = QFileInfo(filePath).absolutePath();
    if (!QDir().mkpath(folder))
        return fail(QStringLiteral("cannot create the folder %1").arg(folder));
    const QByteArray bytes = desktopEntryText(entry).toUtf8();
    removeLeftovers(filePath);

    // QSaveFile's commit() answers true even when its last buffered write
    // failed (a full disk, a file-size limit) and then puts an empty or cut
    // entry in place of the older one. The entry is therefore written to a
    // temporary file beside it (whose name does not end in ".desktop", so no
    // session runs it), every step checked and the file read back whole; only
    // then is it renamed over the older entry, which stays untouched on any
    // failure before that.
    QTemporaryFile temp(filePath + QStringLiteral(".XXXXXX"));
    if (!temp.open())
        return fail(QStringLiteral("cannot write %1: %2").arg(filePath, temp.errorString()));
    const auto failWriting = [&](const QString &why) {
        return fail(QStringLiteral("cannot write %1: %2").arg(filePath, why));
    };
    // A write cut short (a file-size limit lets part of it through) leaves
    // Qt without the system's reason; the system's words are kept for it.
    errno = 0;
    if (temp.write(bytes) != bytes.size() || !temp.flush() || temp.error() != QFile::NoError)
        return failWriting(errno != 0 ? QString::fromLocal8Bit(std::strerror(errno))
                                      : temp.errorString());
    if (::fsync(temp.handle()) != 0)
        return failWriting(QString::fromLocal8Bit(std::strerror(errno)));
    if (!temp.seek(0) || temp.readAll() != bytes)
        return failWriting(QStringLiteral("the written entry does not read back"));
    if (::rename(QFile::encodeName(temp.fileName()).constData(),
                 QFile::encodeName(filePath).constData()) != 0)
        return failWriting(QString::fromLocal8Bit(std::strerror(errno)));
    temp.setAutoRemove(false);

    QFile written(filePath);
    if (!written.open(QIODevice::ReadOnly) || written.readAll() != bytes)
        return failWriting(QStringLiteral("the entry does not read back"));
    return true;
}

bool removeAutostartEntry(const QString &filePath)
{
    return QFile::remove(filePath);
}

} // namespace shell
