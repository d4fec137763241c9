#pragma once

// register-config preview: every screen of every language section as PNG
// files, and index.html, the contact sheet that shows them side by side.

#include <QString>

class QTextStream;

namespace regconfig {

struct PreviewOptions {
    QString configPath;
    QString outDir;
    QString language; // empty: every language
    QString country;  // empty: every section with its own country
    // Draw again after each save of the configuration or of a picture,
    // until interrupted; the open sheet reloads itself.
    bool watch = false;
};

// 0 when the sheet was written; 2 when the configuration cannot be read, the
// folder cannot be written or no section matches. Says why on err. A watch
// says on out what each redraw drew and returns only when interrupted.
int preview(const PreviewOptions &options, QTextStream &out, QTextStream &err);

} // namespace regconfig
