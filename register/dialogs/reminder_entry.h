#pragma once

// The autostart entry that carries a confirmed reminder to schedule, and the
// words the player reads when it cannot be written.

#include "platform/shell/autostart.h"

#include <QString>

// The entry that starts schedule with the reminder's argument text. schedule
// is taken from the wizard's own folder (appPath), never from the current
// folder: a wizard started from elsewhere must still leave a reminder that
// finds its relauncher. The working folder is appPath too, and the entry is
// skipped by the session when schedule has since been removed. The entry's
// name carries the game's, so the player tells two games' reminders apart.
shell::AutostartEntry reminderEntry(const QString &appPath, const QString &game,
                                    const QString &argumentText);

// Writes the game's reminder entry in the autostart folder; on success, an
// entry an earlier version wrote under its one shared name for this same
// installation (its TryExec is our schedule) is removed, since the new entry
// replaces it. Another game's such entry stays. On failure *entryPath and
// *error say which file and why.
bool writeReminder(const QString &appPath, const QString &game, const QString &argumentText,
                   QString *entryPath, QString *error);

// The message shown when the entry at entryPath could not be written, with
// the reason writeAutostartEntry gave. It names the folder and the reason,
// broken into short lines, and opened in the player's language.
QString reminderFailureMessage(const QString &entryPath, const QString &reason,
                               const QString &language);
