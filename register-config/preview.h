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
};

// 0 when the sheet was written; 2 when the configuration cannot be read, the
// folder cannot be written or no section matches. Says why on err.
int preview(const PreviewOptions &options, QTextStream &err);

} // namespace regconfig
