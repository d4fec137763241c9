#pragma once

// The per-user autostart entry that brings schedule back at every logon: an
// XDG Desktop Entry in $XDG_CONFIG_HOME/autostart, which desktop sessions run
// when the user logs on.

#include <QString>
#include <QStringView>

namespace shell {

// The one file name earlier versions gave the reminder entry, whatever the
// game: a second game's reminder replaced the first's. Such an entry is still
// looked for, so that a player who updates keeps one reminder, not two.
inline constexpr QStringView legacyAutostartEntryFileName = u"velmora register.desktop";

// $XDG_CONFIG_HOME/autostart; ~/.config/autostart when the variable is unset,
// empty or not an absolute path (the XDG rules ignore relative ones).
QString autostartDir();

// The game's name as it may stand in a file name: "/", control characters
// and a leading "." (a hidden file) become "_", and the name is cut so that
// the whole entry name stays far below the 255 bytes a file name may have.
// A name that had to be changed gets a short digest of the whole name, so
// two games whose names differ only in what was changed keep two files.
QString safeGameFileName(const QString &game);

// The file name of one game's reminder entry:
// "<safe game name> registration reminder.desktop", or
// "registration reminder.desktop" for a game without a name.
QString reminderEntryFileName(const QString &game);

// autostartDir() joined with reminderEntryFileName(game).
QString autostartEntryPath(const QString &game);

// autostartDir() joined with legacyAutostartEntryFileName.
QString legacyAutostartEntryPath();

// The program an entry file runs, from its TryExec key with the string
// escapes undone; empty when the file cannot be read or has no such key.
QString entryTryExec(const QString &entryPath);

// True when the entry at entryPath names program (compared as canonical
// paths, so links and ".." do not matter) as its TryExec: the entry was
// written for the game installed beside that program.
bool entryBelongsTo(const QString &entryPath, const QString &program);

struct AutostartEntry {
    QString name = QStringLiteral("Registration reminder");
    QString comment = QStringLiteral("Registration reminder");
    QString program;      // absolute path of the program to start
    QString argumentText; // handed to the program as one single argument
    QString workingDir;   // empty: no working folder is written
    QString tryExec;      // the entry is skipped when this program is missing; empty: not written
};

// The whole entry file. Every value is escaped so that quotes, backslashes,
// "$", backticks, "%", blanks, line breaks and non-ASCII letters reach the
// program unchanged and can never add a key, a line or an argument.
// A program whose path needs escaping in Exec (a "%", a quote, a backslash,
// "$" or a backtick) and that lies in the working folder is started as
// "/usr/bin/env ./name" from there, since launchers differ on those escapes.
// Windows shortcuts carry a window style; a Desktop Entry has no such key
// (the program decides how its windows open), so none is written.
QString desktopEntryText(const AutostartEntry &entry);

// One argument of an Exec line: double-quoted, with "\" before '"', "`", "$"
// and "\", and every "%" doubled so it is not taken for a field code. The
// general string escapes of the file come on top (see desktopEntryText).
QString escapeExecArgument(const QString &argument);

// Writes the entry atomically (a temporary file in the same folder, checked
// and read back, then a rename), creating the folder when needed; an older
// entry of that name is replaced only by a complete new one and stays as it
// was on any failure. On failure, *error (when given) says why.
bool writeAutostartEntry(const QString &filePath, const AutostartEntry &entry,
                         QString *error = nullptr);

// Deletes the entry; false when there was none or it could not be deleted.
bool removeAutostartEntry(const QString &filePath);

} // namespace shell
