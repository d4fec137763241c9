#pragma once

// The autostart entry that carries a confirmed reminder to schedule, and the
// words the player reads when it cannot be written.

#include "platform/shell/autostart.h"

#include <QString>

// The entry that starts schedule with the reminder's argument text. schedule
// is taken from the wizard's own folder (appPath), never from the current
// folder: a wizard started from elsewhere must still leave a reminder that
// finds its relauncher. The working folder is appPath too, and the entry is
// skipped by the session when schedule has since been removed.
shell::AutostartEntry reminderEntry(const QString &appPath, const QString &argumentText);

// The message shown when the entry at entryPath could not be written, with
// the reason writeAutostartEntry gave. It names the folder and the reason,
// broken into short lines, and opened in the player's language.
QString reminderFailureMessage(const QString &entryPath, const QString &reason,
                               const QString &language);
