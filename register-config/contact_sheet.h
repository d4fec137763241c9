#pragma once

// The contact sheet of a preview: one row per language section, its screens
// in the order the player meets them, and the section's configuration
// problems beside them.

#include <QList>
#include <QString>
#include <QStringList>

namespace regconfig {

struct SheetScreen {
    QString file; // relative to the sheet
    QString caption;
};

struct SheetRow {
    QString title; // "french (Canada)"
    QString note;  // what the row stands for, or why it has no screens
    QList<SheetScreen> screens;
    QStringList problems;
};

// The whole page. fileProblems: the problems that belong to no one section.
// A version above 0 makes the page reload itself once sheet-version.js beside
// it names another version (a watching preview rewrites it after each draw).
QString contactSheet(const QString &configName, const QStringList &fileProblems,
                     const QList<SheetRow> &rows, int version = 0);

} // namespace regconfig
